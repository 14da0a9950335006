#pragma once

#include "DocumentKind.h"

#include <QIcon>

namespace pravik {

// Small row icons by document kind. One icon per kind is shared by every
// row, so a long list costs no memory per row.
class FileIcons {
public:
    static QIcon icon(DocumentKind kind);
};

} // namespace pravik

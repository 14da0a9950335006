#pragma once

#include "DocumentKind.h"

#include <QIcon>
#include <QVariant>

#include <string>

namespace pravik {

// Small row icons by document kind. One icon per kind is shared by every
// row, so a long list costs no memory per row.
class FileIcons {
public:
    // The icon for the document at `cp932Path`, or an empty QVariant when
    // the file no longer exists.
    static QVariant iconFor(const std::string& cp932Path);

    static QIcon icon(DocumentKind kind);
};

} // namespace pravik

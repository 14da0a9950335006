#pragma once

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

    enum class Kind { Word, Excel, Other };
    static Kind kindOf(const std::string& extension);
    static QIcon icon(Kind kind);
};

} // namespace pravik

#pragma once

#include "Error.h"

#include <string>

namespace pravik {

// A list ran out of items: "リストのインデックスが範囲を超えています (%d)",
// preceded by the file it was read from when there is one.
class ListIndexError : public Error {
public:
    explicit ListIndexError(long index, const std::string& cp932Path = {});
    long index() const { return index_; }

private:
    long index_;
};

// "ファイル %s は開けません" with the path.
Error fileOpenError(const std::string& cp932Path);
// "ファイル %s を作成できません" with the path.
Error fileCreateError(const std::string& cp932Path);

// A file that exists and may not be replaced: read-only, or another user's.
class FileReadOnlyError : public Error {
public:
    explicit FileReadOnlyError(const std::string& cp932Path);
};

} // namespace pravik

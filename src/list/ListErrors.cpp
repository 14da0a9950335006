#include "ListErrors.h"

#include "TextCodec.h"

namespace pravik {

ListIndexError::ListIndexError(long index, const std::string& cp932Path)
    : Error((cp932Path.empty() ? std::string() : "ファイル " + codec::toDisplay(cp932Path) + ": ")
            + "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")")
    , index_(index)
{
}

Error fileOpenError(const std::string& cp932Path)
{
    return Error(formatMessage("ファイル %s は開けません", codec::toDisplay(cp932Path)));
}

Error fileCreateError(const std::string& cp932Path)
{
    return Error(formatMessage("ファイル %s を作成できません", codec::toDisplay(cp932Path)));
}

FileReadOnlyError::FileReadOnlyError(const std::string& cp932Path)
    : Error(formatMessage("ファイル %s は読み取り専用のため、上書き保存できません", codec::toDisplay(cp932Path)))
{
}

} // namespace pravik

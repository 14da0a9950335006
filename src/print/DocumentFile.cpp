#include "DocumentFile.h"

#include "Error.h"
#include "NothingToPrint.h"
#include "TextCodec.h"

#include <filesystem>
#include <fstream>

namespace pravik {

void checkDocumentFile(const std::string& cp932Path)
{
    std::filesystem::path path;
    try {
        path = codec::toOsPath(cp932Path);
    } catch (const codec::ConversionError& error) {
        throw Error(error.what());
    }
    const std::string shown = codec::toDisplay(cp932Path);
    std::error_code failed;
    const std::filesystem::file_status status = std::filesystem::status(path, failed);
    if (status.type() == std::filesystem::file_type::not_found)
        throw Error("ファイル " + shown + " が見つかりません");
    if (failed)
        throw Error("ファイル " + shown + " を読み込めません（" + failed.message() + "）");
    if (!std::filesystem::is_regular_file(status))
        throw Error(shown + " はファイルではありません");
    if (!std::ifstream(path, std::ios::binary).is_open())
        throw Error("ファイル " + shown + " を読み込めません（読み取りの許可がないか、他のプログラムが使用中です）");
    if (std::filesystem::file_size(path, failed) == 0 && !failed)
        throw NothingToPrint("ファイル " + shown + " は空（0 バイト）のため、印刷するものがありません");
}

} // namespace pravik

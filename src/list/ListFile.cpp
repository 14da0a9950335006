#include "ListFile.h"

#include "AtomicFile.h"
#include "ListErrors.h"
#include "TextCodec.h"

#include <fstream>
#include <iterator>

namespace pravik {

namespace {

const char* const fieldNames[PrintEntry::fieldCount] = {
    "ファイル名", "メモ", "印刷ページ／シート", "拡張子", "部数", "プリンタ", "ファイルパス",
};

} // namespace

std::vector<std::string> splitListLines(std::string_view bytes)
{
    if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

ListFileContent parseListFile(std::string_view bytes)
{
    std::vector<std::string> lines = splitListLines(bytes);
    ListFileContent content;
    const size_t complete = lines.size() / PrintEntry::fieldCount;
    content.entries.resize(complete);
    for (size_t i = 0; i < complete * PrintEntry::fieldCount; ++i)
        content.entries[i / PrintEntry::fieldCount].field(static_cast<int>(i % PrintEntry::fieldCount)) =
            std::move(lines[i]);
    // Reading an incomplete entry runs past the last line: that index is missing.
    if (lines.size() % PrintEntry::fieldCount != 0)
        content.missingLineIndex = static_cast<long>(lines.size());
    return content;
}

std::string formatListFile(const std::vector<PrintEntry>& entries)
{
    std::string text;
    for (const PrintEntry& entry : entries) {
        for (int f = 0; f < PrintEntry::fieldCount; ++f) {
            const std::string& value = entry.field(f);
            if (value.find_first_of("\r\n") != std::string::npos)
                throw Error("「" + codec::toDisplay(entry.fileName) + "」の" + fieldNames[f] +
                            "に改行が含まれているため、リストを保存できません");
            text += value;
            text += "\r\n";
        }
    }
    return text;
}

ListFileContent readListFile(const std::string& cp932Path)
{
    std::filesystem::path osPath;
    try {
        osPath = codec::toOsPath(cp932Path);
    } catch (const codec::ConversionError&) {
        throw fileOpenError(cp932Path);
    }
    std::error_code ec;
    if (std::filesystem::is_directory(osPath, ec))
        throw fileOpenError(cp932Path);
    std::ifstream in(osPath, std::ios::binary);
    if (!in)
        throw fileOpenError(cp932Path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw fileOpenError(cp932Path);
    return parseListFile(bytes);
}

void writeListFile(const std::string& cp932Path, const std::vector<PrintEntry>& entries)
{
    const std::string text = formatListFile(entries);
    std::filesystem::path target;
    try {
        target = codec::toOsPath(cp932Path);
    } catch (const codec::ConversionError&) {
        throw fileCreateError(cp932Path);
    }
    if (!writeFileAtomically(target, text))
        throw fileCreateError(cp932Path);
}

} // namespace pravik

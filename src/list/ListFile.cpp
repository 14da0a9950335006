#include "ListFile.h"

#include "AtomicFile.h"
#include "ListErrors.h"
#include "TextCodec.h"

#include <algorithm>
#include <fstream>

namespace pravik {

namespace {

const char* const fieldNames[PrintEntry::fieldCount] = {
    "ファイル名", "メモ", "印刷ページ／シート", "拡張子", "部数", "プリンタ", "ファイルパス",
};

// The first CR or LF at or after `from`, or the size. A plain loop: the
// library's find_first_of searches its set once per byte.
size_t findLineBreak(std::string_view text, size_t from)
{
    const char* p = text.data() + from;
    const char* const end = text.data() + text.size();
    while (p != end && *p != '\r' && *p != '\n')
        ++p;
    return static_cast<size_t>(p - text.data());
}

} // namespace

ListFileContent parseListFile(std::string_view bytes)
{
    if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    // One pass straight into the entries: long lists must load quickly.
    ListFileContent content;
    content.entries.reserve(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) /
                                PrintEntry::fieldCount + 1);
    PrintEntry pending;
    long lineCount = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = findLineBreak(bytes, start);
        const int field = static_cast<int>(lineCount % PrintEntry::fieldCount);
        pending.field(field).assign(bytes.data() + start, end - start);
        ++lineCount;
        if (field == PrintEntry::fieldCount - 1)
            content.entries.push_back(std::move(pending));
        start = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    // Reading an incomplete entry runs past the last line: that index is missing.
    if (lineCount % PrintEntry::fieldCount != 0)
        content.missingLineIndex = lineCount;
    return content;
}

std::string formatListFile(const std::vector<PrintEntry>& entries)
{
    std::string text;
    for (const PrintEntry& entry : entries) {
        for (int f = 0; f < PrintEntry::fieldCount; ++f) {
            const std::string& value = entry.field(f);
            if (findLineBreak(value, 0) != value.size())
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
    std::ifstream in(osPath, std::ios::binary | std::ios::ate);
    if (!in)
        throw fileOpenError(cp932Path);
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
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

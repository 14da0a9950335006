#include "ListFile.h"

#include "AtomicFile.h"
#include "ListErrors.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace pravik {

namespace {

const char* const fieldNames[PrintEntry::fieldCount] = {
    "ファイル名", "メモ", "印刷ページ／シート", "拡張子", "部数", "プリンタ", "ファイルパス",
};

size_t findByte(std::string_view text, size_t from, char byte)
{
    const void* found = std::memchr(text.data() + from, byte, text.size() - from);
    return found ? static_cast<size_t>(static_cast<const char*>(found) - text.data()) : text.size();
}

// Finds line ends with memchr, keeping the next CR and the next LF so each
// byte is searched only once per kind: long lists must load quickly.
class LineBreakFinder {
public:
    explicit LineBreakFinder(std::string_view text) : text_(text) {}

    size_t next(size_t from)
    {
        if (nextCr_ < from || nextCr_ == npos)
            nextCr_ = findByte(text_, from, '\r');
        if (nextLf_ < from || nextLf_ == npos)
            nextLf_ = findByte(text_, from, '\n');
        return std::min(nextCr_, nextLf_);
    }

private:
    static constexpr size_t npos = std::string_view::npos;
    std::string_view text_;
    size_t nextCr_ = npos;
    size_t nextLf_ = npos;
};

bool hasLineBreak(std::string_view text)
{
    return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

size_t countByte(std::string_view text, char byte)
{
    size_t count = 0;
    for (size_t at = findByte(text, 0, byte); at < text.size(); at = findByte(text, at + 1, byte))
        ++count;
    return count;
}

} // namespace

ListFileContent parseListFile(std::string_view bytes)
{
    if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    ListFileContent content;
    content.entries.reserve(countByte(bytes, '\n') / PrintEntry::fieldCount + 1);
    LineBreakFinder lineBreaks(bytes);
    PrintEntry pending;
    long lineCount = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = lineBreaks.next(start);
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
            if (hasLineBreak(value))
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

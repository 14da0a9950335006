#include "ListFile.h"

#include "AtomicFile.h"
#include "DocumentKind.h"
#include "PathParts.h"
#include "ListErrors.h"
#include "TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace pravik {

namespace {

const char* const fieldNames[PrintEntry::fieldCount] = {
    "ファイル名", "メモ", "印刷ページ／シート", "拡張子", "部数", "プリンター", "ファイルパス",
};

// The first CR or LF at or after `from`, or the size. Eight bytes at a time:
// list lines are short, and long lists must load quickly.
size_t findLineBreak(std::string_view text, size_t from)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    const char* const data = text.data();
    size_t at = from;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + at, 8);
        const std::uint64_t cr = word ^ (ones * '\r');
        const std::uint64_t lf = word ^ (ones * '\n');
        // A byte of `cr` or `lf` is zero where the text holds CR or LF.
        // The lowest flagged byte is always a true match (bytes are little-endian).
        const std::uint64_t found = ((cr - ones) & ~cr & highs) | ((lf - ones) & ~lf & highs);
        if (found)
            return at + static_cast<size_t>(__builtin_ctzll(found)) / 8;
    }
    while (at < text.size() && data[at] != '\r' && data[at] != '\n')
        ++at;
    return at;
}

size_t countLineFeeds(std::string_view text)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t lows = 0x7F7F7F7F7F7F7F7FULL;
    size_t count = 0;
    size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        const std::uint64_t lf = word ^ (ones * '\n');
        // Exact per byte: the high bit is set only where the byte was zero.
        const std::uint64_t zero = ~(((lf & lows) + lows) | lf | lows);
        count += static_cast<size_t>(((zero >> 7) * ones) >> 56); // sums the byte flags
    }
    for (; at < text.size(); ++at)
        count += text[at] == '\n';
    return count;
}

bool hasLineBreak(std::string_view text)
{
    return findLineBreak(text, 0) != text.size();
}

// The 1-based line that holds the byte at `at`; CR LF is one line end.
long lineNumberAt(std::string_view text, size_t at)
{
    long line = 1;
    for (size_t i = findLineBreak(text, 0); i < at; i = findLineBreak(text, i)) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        ++line;
        ++i;
    }
    return line;
}

// A Word document or an Excel workbook opened by mistake: the binary
// formats' compound file, or the zip of the newer ones.
bool isOfficeContainer(std::string_view bytes)
{
    return bytes.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") || bytes.starts_with("PK\x03\x04");
}

Error notAListError(const std::string& cp932Path)
{
    return Error(formatMessage("ファイル %s はリストファイルではありません", codec::toDisplay(cp932Path)));
}

// The file's bytes; nullopt when it cannot be opened or read.
std::optional<std::string> readBytes(const std::filesystem::path& osPath)
{
    std::ifstream in(osPath, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return std::nullopt;
    return bytes;
}

} // namespace

ListFileStamp stampOf(std::string_view bytes)
{
    // FNV-1a: the same in every process, so two windows agree on a file.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return {bytes.size(), hash};
}

std::optional<ListFileStamp> currentStamp(const std::string& cp932Path)
{
    try {
        std::error_code ec;
        const std::filesystem::path osPath = codec::toOsPath(cp932Path);
        if (!std::filesystem::is_regular_file(osPath, ec))
            return std::nullopt;
        if (const std::optional<std::string> bytes = readBytes(osPath))
            return stampOf(*bytes);
    } catch (const codec::ConversionError&) {
    }
    return std::nullopt;
}

ListFileContent parseListFile(std::string_view bytes)
{
    ListFileContent content;
    if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
        content.nulLine = lineNumberAt(bytes, nul);
        return content;
    }
    content.entries.reserve(countLineFeeds(bytes) / PrintEntry::fieldCount + 1);
    PrintEntry pending;
    long lineCount = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = findLineBreak(bytes, start);
        const int field = static_cast<int>(lineCount % PrintEntry::fieldCount);
        (pending.*PrintEntry::fields[field]).assign(bytes.data() + start, end - start);
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
    size_t size = 0;
    for (const PrintEntry& entry : entries)
        for (const auto field : PrintEntry::fields)
            size += (entry.*field).size() + 2;
    std::string text;
    text.reserve(size);
    for (const PrintEntry& entry : entries) {
        for (int f = 0; f < PrintEntry::fieldCount; ++f) {
            const std::string& value = entry.*PrintEntry::fields[f];
            if (hasLineBreak(value))
                throw Error("「" + codec::toDisplay(entry.fileName) + "」の" + fieldNames[f] +
                            "に改行が含まれているため、リストを保存できません");
            text.append(value).append("\r\n", 2);
        }
    }
    return text;
}

bool regularFileExists(const std::string& cp932Path)
{
    std::error_code ec;
    try {
        return std::filesystem::is_regular_file(codec::toOsPath(cp932Path), ec);
    } catch (const codec::ConversionError&) {
        return false;
    }
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
    const std::filesystem::file_status status = std::filesystem::status(osPath, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw Error(formatMessage("ファイル %s は通常のファイルではないため開けません", codec::toDisplay(cp932Path)));
    const std::optional<std::string> read = readBytes(osPath);
    if (!read)
        throw fileOpenError(cp932Path);
    const std::string& bytes = *read;
    if (isOfficeContainer(bytes))
        throw notAListError(cp932Path);
    ListFileContent content = parseListFile(bytes);
    if (content.nulLine)
        throw Error(formatMessage("ファイル %s は壊れているため開けません", codec::toDisplay(cp932Path)) + "（"
                    + std::to_string(*content.nulLine) + " 行目に NUL 文字があります）");
    // Text without one whole entry is some other file, not a list cut short.
    if (content.entries.empty() && content.missingLineIndex)
        throw notAListError(cp932Path);
    content.stamp = stampOf(bytes);
    return content;
}

ListFileStamp writeListFile(const std::string& cp932Path, const std::vector<PrintEntry>& entries)
{
    const std::string text = formatListFile(entries);
    std::filesystem::path target;
    try {
        target = codec::toOsPath(cp932Path);
    } catch (const codec::ConversionError&) {
        throw fileCreateError(cp932Path);
    }
    if (!writeFileAtomically(target, text)) {
        // Refused before anything was written (see writeFileAtomically).
        const int refusal = errno;
        std::error_code ignored;
        if ((refusal == EACCES || refusal == EPERM) && std::filesystem::exists(target, ignored))
            throw FileReadOnlyError(cp932Path);
        throw fileCreateError(cp932Path);
    }
    return stampOf(text);
}

bool hasListExtension(std::string_view cp932Path)
{
    return asciiLower(extensionPart(cp932Path)) == "lst";
}

} // namespace pravik

#include "IniFile.h"

#include "AtomicFile.h"
#include "Blanks.h"
#include "Error.h"
#include "TextCodec.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace pravik {

namespace {

constexpr size_t maxTextBytes = 2047;
constexpr std::string_view newLine = "\r\n";

// Bytes of the character at s[i]: a trail byte may look like ']' or a letter.
size_t charLength(std::string_view s, size_t i)
{
    return codec::isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

std::string_view withoutEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size();) {
        const size_t n = charLength(a, i);
        if (n == 2 ? a.substr(i, 2) != b.substr(i, 2) : lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
        i += n;
    }
    return true;
}

size_t findChar(std::string_view s, char c)
{
    for (size_t i = 0; i < s.size(); i += charLength(s, i))
        if (s[i] == c)
            return i;
    return std::string_view::npos;
}

std::optional<std::string_view> sectionName(std::string_view line)
{
    const std::string_view text = trimBlanks(line);
    if (!text.starts_with('['))
        return std::nullopt;
    const size_t close = findChar(text, ']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(text.substr(1, close - 1));
}

struct KeyLine {
    std::string_view name;
    size_t equals; // position of '=' in the line
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::string_view text = trimBlanks(line);
    const size_t equals = line.find('=');
    if (text.empty() || text.front() == ';' || equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimBlanks(line.substr(0, equals)), equals};
}

std::string_view unquote(std::string_view value)
{
    value = trimBlanks(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// Cut at a character boundary so that no lone lead byte is left at the end.
std::string_view cutText(std::string_view text)
{
    size_t end = 0;
    while (end < text.size() && end + charLength(text, end) <= maxTextBytes)
        end += charLength(text, end);
    return text.substr(0, end);
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

std::optional<int> parseInteger(std::string_view s)
{
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        std::uint64_t value = 0;
        size_t i = 2;
        for (; i < s.size() && digitValue(s[i]) < 16; ++i) {
            value = value * 16 + static_cast<unsigned>(digitValue(s[i]));
            if (value > UINT32_MAX)
                return std::nullopt;
        }
        if (i == 2)
            return std::nullopt;
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    const bool negative = !s.empty() && s[0] == '-';
    size_t i = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
    const size_t firstDigit = i;
    std::int64_t value = 0;
    for (; i < s.size() && digitValue(s[i]) < 10; ++i) {
        value = value * 10 + digitValue(s[i]);
        if (value > std::int64_t{INT_MAX} + 1)
            return std::nullopt;
    }
    if (i == firstDigit || (!negative && value > INT_MAX))
        return std::nullopt;
    return static_cast<int>(negative ? -value : value);
}

struct Location {
    std::optional<size_t> header; // the first matching section's header line
    size_t end = 0;               // one past that section's last line
    std::optional<size_t> key;    // the first matching key line in it
};

Location locate(const std::vector<std::string>& lines, std::string_view section,
                std::string_view key)
{
    // Names in the file are read trimmed, so the asked-for ones are too:
    // otherwise a key written as "k " could never be found again.
    section = trimBlanks(section);
    key = trimBlanks(key);
    Location at;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = withoutEnd(lines[i]);
        if (const auto name = sectionName(line)) {
            if (at.header) {
                at.end = i;
                return at;
            }
            if (sameName(*name, section))
                at.header = i;
        } else if (at.header && !at.key) {
            if (const auto k = keyLine(line); k && sameName(k->name, key))
                at.key = i;
        }
    }
    at.end = lines.size();
    return at;
}

void insertLine(std::vector<std::string>& lines, size_t at, std::string text)
{
    if (at > 0 && withoutEnd(lines[at - 1]).size() == lines[at - 1].size())
        lines[at - 1] += newLine;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), text.append(newLine));
}

// The file's bytes, "" (and `missing` set) when it does not exist, nothing
// when it cannot be read.
std::optional<std::string> readFile(const std::string& path, bool& missing)
{
    std::filesystem::path osPath;
    try {
        osPath = codec::toOsPath(path);
    } catch (const codec::ConversionError&) {
        return std::nullopt;
    }
    std::error_code ec;
    const bool exists = std::filesystem::exists(osPath, ec);
    missing = !exists && !ec;
    if (!exists)
        return missing ? std::optional<std::string>("") : std::nullopt;
    // Checked before opening: a FIFO in the file's place must not hang the
    // program, and a folder or a device is no settings file.
    if (!std::filesystem::is_regular_file(osPath, ec))
        return std::nullopt;
    std::ifstream in(osPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        lines.emplace_back(bytes.substr(start, i + 1 - start));
        start = i + 1;
    }
    if (start < bytes.size())
        lines.emplace_back(bytes.substr(start));
    return lines;
}

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A lead byte with nothing after it: in "[名\x81]" it would take the bracket.
bool endsInHalfCharacter(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && i + charLength(s, i) < s.size())
        i += charLength(s, i);
    return i < s.size() && codec::isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 == s.size();
}

// Why the pair cannot be written without breaking the file, or "".
std::string refusal(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view s = trimBlanks(section);
    const std::string_view k = trimBlanks(key);
    if (s.empty() || hasLineBreak(s) || findChar(s, ']') != std::string_view::npos || endsInHalfCharacter(s))
        return "セクション名「" + codec::toDisplay(section) + "」は使えません";
    if (k.empty() || hasLineBreak(k) || k.find('=') != std::string_view::npos || k.front() == ';'
        || k.front() == '[')
        return "キー名「" + codec::toDisplay(key) + "」は使えません";
    if (hasLineBreak(value))
        return codec::toDisplay(key) + " の値に改行が含まれています";
    if (value.size() > maxTextBytes)
        return codec::toDisplay(key) + " の値が長すぎます";
    return {};
}

// A value that trimming or quote removal would change goes in quotes, so that
// it reads back as written.
std::string storedValue(std::string_view value)
{
    if (unquote(value) == value)
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path))
{
    const auto bytes = readFile(path_, missing_);
    unreadable_ = !bytes;
    if (bytes)
        lines_ = splitLines(*bytes);
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const
{
    const Location at = locate(lines_, section, key);
    if (!at.key)
        return std::string(defaultValue);
    const std::string_view line = withoutEnd(lines_[*at.key]);
    return std::string(cutText(unquote(line.substr(keyLine(line)->equals + 1))));
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    return parseInteger(readString(section, key, {})).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string failure = codec::toDisplay(path_) + " に書き込めません";
    if (const std::string why = refusal(section, key, value); !why.empty())
        throw Error(failure + "（" + why + "）");
    // Replacing a file whose content is unknown would lose it.
    if (unreadable_)
        throw Error(failure + "（ファイルを読み込めませんでした）");

    std::vector<std::string> lines = lines_;
    const Location at = locate(lines, section, key);
    const std::string stored = storedValue(value);
    if (at.key) {
        std::string& line = lines[*at.key];
        const std::string end(line.substr(withoutEnd(line).size()));
        line = line.substr(0, keyLine(line)->equals + 1) + stored + end;
    } else if (at.header) {
        size_t after = *at.header + 1;
        for (size_t i = after; i < at.end; ++i)
            if (!trimBlanks(withoutEnd(lines[i])).empty())
                after = i + 1;
        insertLine(lines, after, std::string(key) + "=" + stored);
    } else {
        insertLine(lines, lines.size(), "[" + std::string(section) + "]");
        insertLine(lines, lines.size(), std::string(key) + "=" + stored);
    }

    std::string bytes;
    for (const auto& line : lines)
        bytes += line;
    if (!writeFileAtomically(codec::toOsPath(path_), bytes))
        throw Error(failure);
    lines_ = std::move(lines);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

} // namespace pravik

#include "TextCodec.h"
#include "WideText.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <optional>

namespace pravik::codec {

namespace {

constexpr UINT kShiftJis = 932;

bool isTrailByte(unsigned char c)
{
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// Bytes of the CP932 character that starts `s` (not empty).
size_t unitLength(std::string_view s)
{
    return s.size() >= 2 && isLeadByte(static_cast<unsigned char>(s[0]))
                   && isTrailByte(static_cast<unsigned char>(s[1]))
               ? 2
               : 1;
}

// Single bytes Windows maps to the private use area and some code page 932
// tables (Wine's) lack; taken here so every system reads them alike.
constexpr std::array<std::pair<char, wchar_t>, 4> privateBytes{{
    {'\xA0', L'\xF8F0'}, {'\xFD', L'\xF8F1'}, {'\xFE', L'\xF8F2'}, {'\xFF', L'\xF8F3'}}};

// nullopt when some byte has no Unicode form.
std::optional<std::wstring> decodeRun(std::string_view cp932)
{
    if (cp932.empty())
        return std::wstring();
    const int size = static_cast<int>(cp932.size());
    const int length =
        ::MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, cp932.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, cp932.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::wstring> decodeStrict(std::string_view cp932)
{
    std::wstring out;
    size_t start = 0;
    for (size_t i = 0; i < cp932.size();) {
        const size_t length = unitLength(cp932.substr(i));
        const auto special = std::find_if(privateBytes.begin(), privateBytes.end(),
                                          [&](const auto& p) { return length == 1 && p.first == cp932[i]; });
        i += length;
        if (special == privateBytes.end())
            continue;
        auto run = decodeRun(cp932.substr(start, i - 1 - start));
        if (!run)
            return std::nullopt;
        out += *run;
        out += special->second;
        start = i;
    }
    auto run = decodeRun(cp932.substr(start));
    if (!run)
        return std::nullopt;
    return out + *run;
}

void appendEscaped(std::string& out, std::string_view bytes)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        out += "\\x";
        out += hex[c >> 4];
        out += hex[c & 0xF];
    }
}

// One code point of UTF-8, or nullopt for a malformed sequence (overlong,
// surrogate, beyond U+10FFFF, cut short). `length` is set either way.
std::optional<char32_t> nextCodePoint(std::string_view s, size_t& length)
{
    const auto c = static_cast<unsigned char>(s[0]);
    length = 1;
    if (c < 0x80)
        return c;
    const size_t n = c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    if (n == 0 || s.size() < n)
        return std::nullopt;
    char32_t cp = c & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        const auto t = static_cast<unsigned char>(s[i]);
        if ((t & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (t & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    length = n;
    return cp;
}

// UTF-8 for a message: malformed bytes appear as \xNN.
std::string displayUtf8(std::string_view text)
{
    std::string out;
    while (!text.empty()) {
        size_t length = 0;
        if (nextCodePoint(text, length))
            out.append(text.substr(0, length));
        else
            appendEscaped(out, text.substr(0, 1));
        text.remove_prefix(length);
    }
    return out;
}

// The JIS forms of characters whose Windows forms differ, with those forms.
// Typed text may use them; a path may not, as it would name another file.
// ¥ and ‾ are not here: they are refused rather than read as \ and ~.
struct JisForm {
    char32_t jis;
    char32_t windows;
};
constexpr std::array<JisForm, 7> jisForms{{
    {0x00A2, 0xFFE0}, // ¢ ￠
    {0x00A3, 0xFFE1}, // £ ￡
    {0x00AC, 0xFFE2}, // ¬ ￢
    {0x2014, 0x2015}, // — ―
    {0x2016, 0x2225}, // ‖ ∥
    {0x2212, 0xFF0D}, // − －
    {0x301C, 0xFF5E}, // 〜 ～
}};

void appendUtf16(std::wstring& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<wchar_t>(cp);
        return;
    }
    cp -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (cp >> 10));
    out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
}

// CP932 of UTF-16 text with none of the private bytes' characters, or
// nullopt when code page 932 has no exact form for some character.
std::optional<std::string> encodeRun(std::wstring_view wide)
{
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                             nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length,
                          nullptr, &usedDefault);
    // Some characters are taken one way only; they would come back as others.
    const auto back = decodeRun(out);
    if (usedDefault || !back || *back != wide)
        return std::nullopt;
    return out;
}

std::optional<std::string> encodeExactly(std::wstring_view wide)
{
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i < wide.size(); ++i) {
        const auto special = std::find_if(privateBytes.begin(), privateBytes.end(),
                                          [&](const auto& p) { return p.second == wide[i]; });
        if (special == privateBytes.end())
            continue;
        auto run = encodeRun(wide.substr(start, i - start));
        if (!run)
            return std::nullopt;
        out += *run;
        out += special->first;
        start = i + 1;
    }
    auto run = encodeRun(wide.substr(start));
    if (!run)
        return std::nullopt;
    return out + *run;
}

ConversionError unencodable(std::string_view utf8, std::string_view character)
{
    return ConversionError("「" + displayUtf8(utf8) + "」には、リストファイルに書けない文字「"
                           + displayUtf8(character) + "」が含まれています");
}

// UTF-8 to CP932. `exact` refuses the JIS forms too.
std::string encode(std::string_view utf8, bool exact)
{
    std::wstring wide;
    wide.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        size_t length = 0;
        std::optional<char32_t> cp = nextCodePoint(utf8.substr(at), length);
        if (!cp)
            throw unencodable(utf8, utf8.substr(at, length));
        for (const auto& form : jisForms)
            if (!exact && *cp == form.jis)
                cp = form.windows;
        appendUtf16(wide, *cp);
        at += length;
    }
    if (auto whole = encodeExactly(wide))
        return *whole;
    // Find the character to name.
    std::string out;
    for (size_t at = 0, w = 0; at < utf8.size();) {
        size_t length = 0;
        nextCodePoint(utf8.substr(at), length);
        const size_t units = length == 4 ? 2 : 1;
        auto unit = encodeExactly(std::wstring_view(wide).substr(w, units));
        if (!unit)
            throw unencodable(utf8, utf8.substr(at, length));
        out += *unit;
        at += length;
        w += units;
    }
    return out;
}

} // namespace

std::string toUtf8(std::string_view cp932)
{
    if (auto wide = decodeStrict(cp932))
        return win::utf8Of(*wide);
    throw ConversionError("「" + toDisplay(cp932)
                          + "」には Shift-JIS として読めないバイトが含まれています");
}

std::string fromUtf8(std::string_view utf8)
{
    return encode(utf8, false);
}

std::string toDisplay(std::string_view cp932)
{
    if (auto whole = decodeStrict(cp932))
        return win::utf8Of(*whole);
    std::string out;
    while (!cp932.empty()) {
        const size_t length = unitLength(cp932);
        if (auto unit = decodeStrict(cp932.substr(0, length)))
            out += win::utf8Of(*unit);
        else
            appendEscaped(out, cp932.substr(0, length));
        cp932.remove_prefix(length);
    }
    return out;
}

std::filesystem::path toOsPath(std::string_view cp932Path)
{
    try {
        return std::filesystem::path(win::widen(cp932Path));
    } catch (const ConversionError&) {
        throw ConversionError("パス " + toDisplay(cp932Path)
                              + " には Shift-JIS として読めないバイトが含まれているため扱えません");
    }
}

std::string fromOsPath(const std::filesystem::path& path)
{
    // Qt's dialogs and drops give forward slashes: what the program keeps
    // and shows is in Windows' own form, as Explorer and other programs
    // expect it.
    const std::string utf8 = win::utf8Of(std::filesystem::path(path).make_preferred().native());
    try {
        return encode(utf8, true);
    } catch (const ConversionError&) {
        throw ConversionError("ファイル名 " + utf8
                              + " には、リストファイルに書けない文字が含まれているため扱えません");
    }
}

} // namespace pravik::codec

namespace pravik::win {

std::wstring widen(std::string_view cp932)
{
    if (auto wide = codec::decodeStrict(cp932))
        return *wide;
    throw codec::ConversionError("「" + codec::toDisplay(cp932)
                                 + "」には Shift-JIS として読めないバイトが含まれています");
}

std::string narrow(std::wstring_view text)
{
    if (auto exact = codec::encodeExactly(text))
        return *exact;
    codec::encode(utf8Of(text), true); // throws, naming the character
    throw codec::ConversionError("リストファイルに書けない文字が含まれています");
}

std::string utf8Of(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

} // namespace pravik::win

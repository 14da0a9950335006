#include "TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace pravik::codec {

namespace {

// An iconv descriptor per direction and thread: descriptors are not shareable
// between threads, and opening one per call would cost more than the work.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter()
    {
        if (usable())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Appends the conversion of `in` to `out` and returns how many bytes of
    // `in` were converted: all of them, or up to the first sequence that is
    // invalid, incomplete or has no form in the target.
    size_t run(std::string_view in, std::string& out)
    {
        if (!usable())
            return 0;
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char buffer[1024];
        while (left > 0) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            const size_t result = ::iconv(cd_, &src, &left, &dst, &room);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (result == static_cast<size_t>(-1) && errno != E2BIG)
                break;
        }
        return in.size() - left;
    }

private:
    iconv_t cd_;
};

Converter& decoder()
{
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& encoder()
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& utf8Checker()
{
    thread_local Converter converter("UTF-8", "UTF-8");
    return converter;
}

void requireConverters()
{
    if (!decoder().usable() || !encoder().usable())
        throw ConversionError("Shift-JIS の変換機能 (iconv CP932) を利用できません");
}

// Single bytes that Windows maps and iconv rejects.
struct WindowsByte {
    char byte;
    std::string_view utf8;
};
constexpr std::array<WindowsByte, 5> windowsBytes{{
    {'\x80', "\xC2\x80"},         // U+0080
    {'\xA0', "\xEF\xA3\xB0"},     // U+F8F0
    {'\xFD', "\xEF\xA3\xB1"},     // U+F8F1
    {'\xFE', "\xEF\xA3\xB2"},     // U+F8F2
    {'\xFF', "\xEF\xA3\xB3"},     // U+F8F3
}};

const WindowsByte* windowsByteOf(char byte)
{
    for (const auto& w : windowsBytes)
        if (w.byte == byte)
            return &w;
    return nullptr;
}

const WindowsByte* windowsByteAt(std::string_view utf8)
{
    for (const auto& w : windowsBytes)
        if (utf8.starts_with(w.utf8))
            return &w;
    return nullptr;
}

// The JIS forms of characters whose Windows forms differ: iconv encodes them
// to the same JIS code, which reads back as the Windows form (〜 as ～).
// Typed text may use them; a path may not, as it would name another file.
// ¥ and ‾ are not here: iconv would turn them into \ and ~.
constexpr std::array<std::string_view, 7> jisVariants{
    "\xC2\xA2",     // ¢
    "\xC2\xA3",     // £
    "\xC2\xAC",     // ¬
    "\xE2\x80\x94", // —
    "\xE2\x80\x96", // ‖
    "\xE2\x88\x92", // −
    "\xE3\x80\x9C", // 〜
};

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

size_t utf8Length(std::string_view s)
{
    const auto c = static_cast<unsigned char>(s[0]);
    const size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : 1;
    return std::min(n, s.size());
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

// Decodes CP932, handing each character with no Unicode form to `bad`.
template <typename Bad>
std::string decode(std::string_view in, Bad bad)
{
    std::string out;
    out.reserve(in.size() + in.size() / 2);
    auto convertRun = [&](std::string_view run) {
        while (!run.empty()) {
            const size_t done = decoder().run(run, out);
            if (done == run.size())
                return;
            const size_t length = unitLength(run.substr(done));
            bad(run.substr(done, length), out);
            run.remove_prefix(done + length);
        }
    };
    size_t start = 0;
    for (size_t i = 0; i < in.size();) {
        const WindowsByte* special = windowsByteOf(in[i]);
        if (!special) {
            i += unitLength(in.substr(i));
            continue;
        }
        convertRun(in.substr(start, i - start));
        out += special->utf8;
        start = ++i;
    }
    convertRun(in.substr(start));
    return out;
}

// UTF-8 for a message: invalid bytes appear as \xNN.
std::string displayUtf8(std::string_view text)
{
    std::string out;
    while (!text.empty()) {
        const size_t done = utf8Checker().run(text, out);
        if (done == text.size())
            break;
        appendEscaped(out, text.substr(done, 1));
        text.remove_prefix(done + 1);
    }
    return out;
}

ConversionError unencodable(std::string_view utf8, size_t at)
{
    const std::string_view character = utf8.substr(at, utf8Length(utf8.substr(at)));
    return ConversionError("「" + displayUtf8(utf8) + "」には、リストファイルに書けない文字「"
                           + displayUtf8(character) + "」が含まれています");
}

// iconv encodes a few characters one way only; find the first one that does
// not come back as itself and refuse it unless it is an accepted JIS form.
void refuseOneWay(std::string_view utf8, std::string_view cp932, bool exact)
{
    size_t at = 0;
    while (!cp932.empty() && at < utf8.size()) {
        const size_t unit = unitLength(cp932);
        const std::string_view character = utf8.substr(at, utf8Length(utf8.substr(at)));
        if (toUtf8(cp932.substr(0, unit)) != character) {
            bool accepted = false;
            for (const auto variant : jisVariants)
                accepted = accepted || (!exact && character == variant);
            if (!accepted)
                throw unencodable(utf8, at);
        }
        cp932.remove_prefix(unit);
        at += character.size();
    }
}

std::string encode(std::string_view utf8, bool exact)
{
    requireConverters();
    std::string out;
    out.reserve(utf8.size());
    size_t start = 0;
    auto convertRun = [&](size_t end) {
        const std::string_view run = utf8.substr(start, end - start);
        const size_t done = encoder().run(run, out);
        if (done != run.size())
            throw unencodable(utf8, start + done);
    };
    for (size_t i = 0; i < utf8.size();) {
        const WindowsByte* special = windowsByteAt(utf8.substr(i));
        if (!special) {
            ++i;
            continue;
        }
        convertRun(i);
        out += special->byte;
        i += special->utf8.size();
        start = i;
    }
    convertRun(utf8.size());
    if (toUtf8(out) != utf8)
        refuseOneWay(utf8, out, exact);
    return out;
}

} // namespace

std::string toUtf8(std::string_view cp932)
{
    requireConverters();
    return decode(cp932, [cp932](std::string_view, std::string&) {
        throw ConversionError("「" + toDisplay(cp932)
                              + "」には Shift-JIS として読めないバイトが含まれています");
    });
}

std::string fromUtf8(std::string_view utf8)
{
    return encode(utf8, false);
}

std::string toDisplay(std::string_view cp932)
{
    return decode(cp932, [](std::string_view bytes, std::string& out) { appendEscaped(out, bytes); });
}

std::filesystem::path toOsPath(std::string_view cp932Path)
{
    requireConverters();
    try {
        return std::filesystem::path(toUtf8(cp932Path));
    } catch (const ConversionError&) {
        throw ConversionError("パス " + toDisplay(cp932Path)
                              + " には Shift-JIS として読めないバイトが含まれているため扱えません");
    }
}

std::string fromOsPath(const std::filesystem::path& path)
{
    requireConverters();
    try {
        return encode(path.native(), true);
    } catch (const ConversionError&) {
        throw ConversionError("ファイル名 " + displayUtf8(path.native())
                              + " には、リストファイルに書けない文字が含まれているため扱えません");
    }
}

} // namespace pravik::codec

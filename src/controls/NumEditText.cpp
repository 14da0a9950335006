#include "NumEditText.h"

#include <optional>

namespace pravik::numedit {

namespace {

// Decodes one UTF-8 character at pos and advances pos; nullopt when the bytes
// are malformed (which ends the scan like any unknown character).
std::optional<char32_t> nextChar(std::string_view s, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + extra >= s.size())
        return std::nullopt;
    for (int i = 1; i <= extra; ++i) {
        const unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    // Overlong forms would smuggle ASCII digits past the check.
    static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < smallest[extra])
        return std::nullopt;
    pos += extra + 1;
    return c;
}

// Full-width pass: ASCII stays, the full-width number characters become
// ASCII, the full-width comma disappears, anything else ends the text.
std::string toAscii(std::string_view utf8)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::optional<char32_t> c = nextChar(utf8, pos);
        if (!c)
            break;
        if (*c == U'，')
            continue;
        const char32_t h = halfWidth(*c);
        if (h >= 0x80)
            break;
        out += static_cast<char>(h);
    }
    return out;
}

// Keeps digits, one point (when decimals are allowed), a leading minus (when
// allowed); drops commas; stops at anything else.
std::string filter(std::string_view ascii, const Limits& limits)
{
    std::string out;
    bool point = false;
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        const char c = ascii[i];
        if (c >= '0' && c <= '9') {
            out += c;
        } else if (c == ',') {
            continue;
        } else if (c == '.') {
            if (limits.decimalLength == 0 || point)
                break;
            point = true;
            out += c;
        } else if (c == '-') {
            if (i != 0 || !limits.minus)
                break;
            out += c;
        } else {
            break;
        }
    }
    return out;
}

void groupByThree(std::string& digits)
{
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ',');
}

struct Parts {
    std::string sign;
    std::string integer;
    bool point = false;
    std::string decimals;
};

Parts split(std::string_view value)
{
    Parts p;
    if (!value.empty() && value.front() == '-') {
        p.sign = "-";
        value.remove_prefix(1);
    }
    const std::size_t dot = value.find('.');
    p.integer = std::string(value.substr(0, dot));
    if (dot != std::string_view::npos) {
        p.point = true;
        p.decimals = std::string(value.substr(dot + 1));
    }
    return p;
}

std::string join(Parts p, const Format& format)
{
    if (format.comma)
        groupByThree(p.integer);
    return p.sign + p.integer + (p.point ? "." : "") + p.decimals;
}

} // namespace

char32_t halfWidth(char32_t c)
{
    if (c >= U'０' && c <= U'９')
        return U'0' + (c - U'０');
    if (c == U'－' || c == U'−')
        return U'-';
    if (c == U'．')
        return U'.';
    return c;
}

int integerDigits(std::string_view value)
{
    if (!value.empty() && value.front() == '-')
        value.remove_prefix(1);
    return static_cast<int>(value.substr(0, value.find('.')).size());
}

int decimalDigits(std::string_view value)
{
    const std::size_t dot = value.find('.');
    return dot == std::string_view::npos ? 0 : static_cast<int>(value.size() - dot - 1);
}

Normalised normalise(std::string_view utf8, const Limits& limits)
{
    Normalised result{filter(toAscii(utf8), limits)};
    std::string& text = result.text;
    const std::size_t dot = text.find('.');
    if (dot != std::string::npos && decimalDigits(text) > limits.decimalLength)
        text.resize(dot + 1 + static_cast<std::size_t>(limits.decimalLength));
    if (integerDigits(text) > limits.integerLength) {
        text.clear();
        result.tooLong = true;
    }
    return result;
}

std::string stripLeadingZeros(std::string_view value)
{
    Parts p = split(value);
    const std::size_t first = p.integer.find_first_not_of('0');
    if (first == std::string::npos) {
        if (!p.integer.empty())
            p.integer = "0";
    } else {
        p.integer.erase(0, first);
    }
    if (p.integer.empty() && p.point)
        p.integer = "0";
    return p.sign + p.integer + (p.point ? "." : "") + p.decimals;
}

std::string formatNumber(std::string_view value, const Limits& limits, const Format& format)
{
    Parts p = split(value);
    if (format.decimalFixed) {
        const auto length = static_cast<std::size_t>(limits.decimalLength);
        p.decimals.resize(length, '0');
        p.point = length > 0;
    }
    if ((format.integerFixed || format.decimalFixed) && p.integer.empty())
        p.integer = "0";
    return join(std::move(p), format);
}

std::string formatDisplay(std::string_view value, const Limits& limits, const Format& format)
{
    const std::string number = formatNumber(value, limits, format);
    if (number.empty())
        return {};
    return format.leftMark + number + format.rightMark;
}

std::string numberAreaSample(std::string_view value, const Limits& limits, const Format& format)
{
    Parts p = split(value);
    if (format.integerFixed) {
        p.integer.assign(static_cast<std::size_t>(limits.integerLength), '0');
        p.sign = limits.minus ? "-" : "";
    }
    if (format.decimalFixed) {
        p.decimals.assign(static_cast<std::size_t>(limits.decimalLength), '0');
        p.point = limits.decimalLength > 0;
    }
    if ((format.integerFixed || format.decimalFixed) && p.integer.empty())
        p.integer = "0";
    return join(std::move(p), format);
}

bool marksTakeRoom(std::string_view value, const Format& format)
{
    return !value.empty() || format.integerFixed || format.decimalFixed;
}

} // namespace pravik::numedit

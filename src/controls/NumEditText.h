#pragma once

#include <string>
#include <string_view>

// The text rules of the numeric edit control, free of any UI. A value text is
// ASCII: an optional leading "-", integer digits, optionally "." and decimals.
// Raw input and the marks are UTF-8.
namespace pravik::numedit {

struct Limits {
    int integerLength = 9; // most digits before the point, sign not counted
    int decimalLength = 3; // most digits after the point; 0: no point
    bool minus = true;     // a leading minus sign is accepted
};

struct Format {
    bool comma = true;         // group integer digits by three
    bool integerFixed = false; // empty integer part shows as "0"; room for integerLength digits
    bool decimalFixed = false; // always decimalLength decimals
    std::string leftMark;      // UTF-8
    std::string rightMark;     // UTF-8
};

struct Normalised {
    std::string text;
    // The integer part had more digits than allowed, so the text was emptied.
    bool tooLong = false;
};

// Full-width digits and signs to ASCII, then keeps what a value may hold and
// stops at the first character that doesn't fit; cuts surplus decimals and
// empties a text whose integer part is too long.
Normalised normalise(std::string_view utf8, const Limits& limits);

// "007" -> "7", "000" -> "0", "-.5" -> "-0.5", "." -> "0.".
std::string stripLeadingZeros(std::string_view value);

// ０-９ － ． (and the JIS minus −) as their ASCII forms; anything else unchanged.
char32_t halfWidth(char32_t c);

// The number as drawn, without marks.
std::string formatNumber(std::string_view value, const Limits& limits, const Format& format);

// The marks around the formatted number, or empty when that is empty.
std::string formatDisplay(std::string_view value, const Limits& limits, const Format& format);

// The text whose width the number area takes: the formatted value, or the
// widest fixed form when integerFixed/decimalFixed reserve room.
std::string numberAreaSample(std::string_view value, const Limits& limits, const Format& format);

// Whether the marks take room: only with a value or a fixed layout.
bool marksTakeRoom(std::string_view value, const Format& format);

int integerDigits(std::string_view value);
int decimalDigits(std::string_view value);
inline bool hasPoint(std::string_view value) { return value.find('.') != std::string_view::npos; }

} // namespace pravik::numedit

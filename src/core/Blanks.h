#pragma once

#include <string_view>

namespace pravik {

// Space and tab: what settings, numbers and page ranges may be padded with.
constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

constexpr std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace pravik

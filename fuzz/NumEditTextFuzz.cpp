// Feeds arbitrary UTF-8 (and broken UTF-8) to the numeric edit control's text
// rules under limits taken from the input. What normalising keeps is a value
// within the limits, and normalising it again changes nothing.
#include "NumEditText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    pravik::numedit::Limits limits;
    limits.integerLength = data[0] % 20;
    limits.decimalLength = data[1] % 8;
    limits.minus = (data[1] & 0x80) != 0;
    pravik::numedit::Format format;
    format.comma = (data[0] & 0x20) != 0;
    format.integerFixed = (data[0] & 0x40) != 0;
    format.decimalFixed = (data[0] & 0x80) != 0;
    format.leftMark = "¥";
    const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

    const auto normalised = pravik::numedit::normalise(input, limits);
    const std::string& value = normalised.text;
    if (pravik::numedit::integerDigits(value) > limits.integerLength
        || pravik::numedit::decimalDigits(value) > limits.decimalLength)
        std::abort();
    if (!limits.minus && value.starts_with('-'))
        std::abort();
    if (pravik::numedit::normalise(value, limits).text != value)
        std::abort();
    const std::string stripped = pravik::numedit::stripLeadingZeros(value);
    if (pravik::numedit::stripLeadingZeros(stripped) != stripped)
        std::abort();
    (void)pravik::numedit::formatDisplay(stripped, limits, format);
    (void)pravik::numedit::numberAreaSample(stripped, limits, format);
    return 0;
}

#include "ValueCoercion.h"

#include "AutomationErrors.h"
#include "Blanks.h"
#include "TextCodec.h"

#include <charconv>

namespace pravik::office {

namespace {

[[noreturn]] void mismatch(std::string_view what, const std::string& detail)
{
    throw EOleSysError(olecode::TypeMismatch,
                       std::string(what) + " に " + detail + " は使えません（型が一致しません）");
}

std::string shown(const Variant& value)
{
    switch (value.kind()) {
    case VariantKind::Empty: return "空の値";
    case VariantKind::Text: return "'" + codec::toDisplay(value.text()) + "'";
    case VariantKind::Boolean: return value.boolean() ? "True" : "False";
    case VariantKind::Integer: return std::to_string(value.integer());
    case VariantKind::TextArray: return "配列";
    case VariantKind::Object: return "オブジェクト";
    }
    return "値";
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// A decimal integer text; false when it is not one.
bool parseDecimal(std::string_view text, long long& number)
{
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

} // namespace

bool toBoolean(const Variant& value, std::string_view what)
{
    switch (value.kind()) {
    case VariantKind::Boolean: return value.boolean();
    case VariantKind::Integer: return value.integer() != 0;
    case VariantKind::Text: {
        const std::string_view text = trimBlanks(value.text());
        if (equalsIgnoringCase(text, "true"))
            return true;
        if (equalsIgnoringCase(text, "false"))
            return false;
        long long number = 0;
        if (parseDecimal(text, number))
            return number != 0;
        break;
    }
    default: break;
    }
    mismatch(what, shown(value));
}

int toInteger(const Variant& value, std::string_view what, int min, int max)
{
    long long number = 0;
    switch (value.kind()) {
    case VariantKind::Integer: number = value.integer(); break;
    case VariantKind::Text:
        if (!parseDecimal(value.text(), number))
            mismatch(what, shown(value));
        break;
    default: mismatch(what, shown(value));
    }
    if (number < min || number > max)
        throw EOleSysError(olecode::Overflow, std::string(what) + " に " + shown(value)
                                                  + " は使えません（" + std::to_string(min) + " から "
                                                  + std::to_string(max) + " まで）");
    return static_cast<int>(number);
}

const std::string& toText(const Variant& value, std::string_view what)
{
    if (value.kind() != VariantKind::Text)
        mismatch(what, shown(value));
    return value.text();
}

std::vector<std::string> toNames(const Variant& value, std::string_view what)
{
    if (value.kind() == VariantKind::Text)
        return {value.text()};
    if (value.kind() == VariantKind::TextArray)
        return value.textArray();
    mismatch(what, shown(value));
}

} // namespace pravik::office

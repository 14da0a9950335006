#include "Variant.h"

#include "AutomationErrors.h"
#include "Blanks.h"

#include <charconv>
#include <limits>

namespace pravik {

namespace {

[[noreturn]] void typeMismatch()
{
    throw EOleSysError(olecode::TypeMismatch);
}

std::int32_t parseInteger(const std::string& text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    while (first != last && isBlank(*first))
        ++first;
    while (last != first && isBlank(last[-1]))
        --last;
    const bool plus = first != last && *first == '+';
    if (plus)
        ++first; // from_chars takes '-' but not '+'
    if (first == last || (plus && *first == '-'))
        typeMismatch();
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range)
        throw EOleSysError(olecode::Overflow);
    if (ec != std::errc() || end != last)
        typeMismatch();
    if (value < std::numeric_limits<std::int32_t>::min()
        || value > std::numeric_limits<std::int32_t>::max())
        throw EOleSysError(olecode::Overflow);
    return static_cast<std::int32_t>(value);
}

} // namespace

Variant Variant::fromText(std::string text)
{
    return Variant(Value(std::in_place_type<std::string>, std::move(text)));
}

Variant Variant::fromBool(bool value)
{
    return Variant(Value(std::in_place_type<bool>, value));
}

Variant Variant::fromInt(std::int32_t value)
{
    return Variant(Value(std::in_place_type<std::int32_t>, value));
}

Variant Variant::fromTextArray(std::vector<std::string> items)
{
    return Variant(Value(std::in_place_type<std::vector<std::string>>, std::move(items)));
}

Variant Variant::fromObject(ObjectRef object)
{
    if (!object)
        return Variant();
    return Variant(Value(std::in_place_type<ObjectRef>, std::move(object)));
}

VariantKind Variant::kind() const
{
    return static_cast<VariantKind>(value_.index());
}

std::uint16_t Variant::typeCode() const
{
    switch (kind()) {
    case VariantKind::Empty: return 0;
    case VariantKind::Text: return 8;
    case VariantKind::Boolean: return 11;
    case VariantKind::Integer: return 3;
    case VariantKind::TextArray: return 0x200C;
    case VariantKind::Object: return 9;
    }
    return 0;
}

const std::string& Variant::text() const
{
    if (auto* v = std::get_if<std::string>(&value_))
        return *v;
    typeMismatch();
}

bool Variant::boolean() const
{
    if (auto* v = std::get_if<bool>(&value_))
        return *v;
    typeMismatch();
}

std::int32_t Variant::integer() const
{
    if (auto* v = std::get_if<std::int32_t>(&value_))
        return *v;
    typeMismatch();
}

const std::vector<std::string>& Variant::textArray() const
{
    if (auto* v = std::get_if<std::vector<std::string>>(&value_))
        return *v;
    typeMismatch();
}

const ObjectRef& Variant::object() const
{
    if (auto* v = std::get_if<ObjectRef>(&value_))
        return *v;
    typeMismatch();
}

std::int32_t Variant::asInteger() const
{
    switch (kind()) {
    case VariantKind::Empty: return 0;
    case VariantKind::Boolean: return boolean() ? -1 : 0;
    case VariantKind::Integer: return integer();
    case VariantKind::Text: return parseInteger(text());
    case VariantKind::TextArray:
    case VariantKind::Object: break;
    }
    typeMismatch();
}

std::string Variant::asText() const
{
    switch (kind()) {
    case VariantKind::Empty: return {};
    case VariantKind::Boolean: return boolean() ? "True" : "False";
    case VariantKind::Integer: return std::to_string(integer());
    case VariantKind::Text: return text();
    case VariantKind::TextArray:
    case VariantKind::Object: break;
    }
    typeMismatch();
}

} // namespace pravik

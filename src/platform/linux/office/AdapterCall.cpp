#include "AdapterCall.h"

#include "TextCodec.h"

namespace pravik::office {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool fits(Shape shape, CallKind kind)
{
    switch (shape) {
    case Shape::Get: return kind == CallKind::PropertyGet;
    case Shape::Put: return kind == CallKind::PropertySet;
    case Shape::Method: return kind == CallKind::Procedure || kind == CallKind::Function;
    }
    return false;
}

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

bool MemberCall::is(std::string_view member) const { return sameName(call_.member, member); }

void MemberCall::expect(Shape shape, std::size_t minArgs, std::size_t maxArgs,
                        std::initializer_list<std::string_view> namedArgs) const
{
    const std::string member(call_.member);
    if (!fits(shape, call_.kind))
        throw EOleSysError(kMemberNotFound, "メンバー '" + codec::toDisplay(member)
                                                + "' はこの呼び出し方では使えません");
    for (const NamedParm& given : call_.named) {
        bool known = false;
        for (std::string_view name : namedArgs)
            known = known || sameName(given.name, name);
        if (!known)
            throwUnknownName(call_.form, given.name);
    }
    if (shape == Shape::Put)
        return; // the layer passes exactly the one new value
    if (call_.args.size() < minArgs || call_.args.size() > maxArgs)
        throw EOleSysError(olecode::BadParamCount, "メンバー '" + codec::toDisplay(member)
                                                       + "' の引数の数が正しくありません");
}

const Variant* MemberCall::named(std::string_view name) const
{
    for (const NamedParm& given : call_.named)
        if (sameName(given.name, name))
            return &given.value;
    return nullptr;
}

void MemberCall::unknownMember() const { throwUnknownName(call_.form, std::string(call_.member)); }

} // namespace pravik::office

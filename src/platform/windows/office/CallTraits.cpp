#include "CallTraits.h"

namespace pravik::win::calls {

bool isName(std::string_view name, std::string_view lowerCase)
{
    if (name.size() != lowerCase.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lowerCase[i])
            return false;
    }
    return true;
}

namespace {

std::optional<std::string> textNamed(const Invocation& call, std::string_view lowerCase)
{
    for (const NamedParm& named : call.named)
        if (isName(named.name, lowerCase) && named.value.kind() == VariantKind::Text)
            return named.value.text();
    return std::nullopt;
}

bool isTrue(const Variant& value)
{
    switch (value.kind()) {
    case VariantKind::Boolean: return value.boolean();
    case VariantKind::Integer: return value.integer() != 0;
    case VariantKind::Text: return isName(value.text(), "true"); // Excel's texts
    default: return false;
    }
}

} // namespace

bool printsOut(const Invocation& call)
{
    return call.kind != CallKind::PropertyGet && call.kind != CallKind::PropertySet
        && isName(call.member, "printout");
}

bool previews(const Invocation& call)
{
    return call.kind != CallKind::PropertyGet && call.kind != CallKind::PropertySet
        && isName(call.member, "printpreview");
}

bool showsServer(const Invocation& call)
{
    if (previews(call))
        return true;
    return call.kind == CallKind::PropertySet && isName(call.member, "visible") && call.args.size() == 1
        && isTrue(call.args[0]);
}

bool setsDefaultPrinter(const Invocation& call)
{
    return call.kind == CallKind::PropertySet && isName(call.member, "activeprinter") && call.args.size() == 1
        && call.args[0].kind() == VariantKind::Text;
}

std::optional<std::string> printerNamed(const Invocation& call)
{
    if (setsDefaultPrinter(call))
        return call.args[0].text();
    if (call.kind == CallKind::PropertyGet || call.kind == CallKind::PropertySet)
        return std::nullopt;
    if (isName(call.member, "fileprintsetup"))
        return textNamed(call, "printer");
    if (isName(call.member, "printout"))
        return textNamed(call, "activeprinter");
    return std::nullopt;
}

} // namespace pravik::win::calls

#include "AutomationCall.h"

#include "TextCodec.h"

#include <stdexcept>

namespace pravik {

std::uint16_t dispatchFlag(CallKind kind)
{
    switch (kind) {
    case CallKind::Procedure:
    case CallKind::Function: return 1;
    case CallKind::PropertyGet: return 2;
    case CallKind::PropertySet: return 4;
    }
    return 1;
}

std::optional<std::uint32_t> lookupLocale(CallForm form)
{
    if (form == CallForm::Shorthand)
        return kLocaleSystemDefault;
    return std::nullopt;
}

std::uint32_t invokeLocale(CallForm form)
{
    return form == CallForm::Shorthand ? kLocaleSystemDefault : kLocaleNeutral;
}

void throwUnknownName(CallForm form, const std::string& member)
{
    if (form == CallForm::Command)
        throw EOleError(member);
    // The code is what the form prescribes; the text still names the member,
    // or the user could not tell what went wrong.
    throw EOleSysError(olecode::UnknownName, "名前 '" + codec::toDisplay(member) + "' が不明です。");
}

void throwServerException(CallForm form, const std::string& description,
                          const std::string& source, std::int32_t serverCode)
{
    if (form == CallForm::Command)
        throw EOleException(description, source, olecode::Exception, serverCode);
    // Keeps the server's description (or its code) as the text the user is shown.
    throw EOleSysError(olecode::Exception, description.empty() && serverCode == 0
                                               ? std::string()
                                               : serverExceptionText(description, {}, serverCode));
}

AutomationCall::AutomationCall(std::shared_ptr<AutomationBackend> backend)
    : backend_(std::move(backend))
{
    if (!backend_)
        throw std::invalid_argument("AutomationCall needs a backend");
}

void AutomationCall::endServerAfterRelease(const Variant& application)
{
    if (application.isObject())
        backend_->endServerAfterRelease(application.object());
}

void AutomationCall::handedToUser(const Variant& application)
{
    if (application.isObject())
        backend_->handedToUser(application.object());
}

Variant AutomationCall::createObject(const std::string& progId)
{
    ObjectRef object = backend_->createObject(progId);
    if (!object) // a backend bug must not look like a usable server
        throw EOleSysError(olecode::ClassNotRegistered);
    return Variant::fromObject(std::move(object));
}

Variant AutomationCall::invoke(const Variant& object, CallKind kind, const std::string& member,
                               std::span<const Variant> args, std::span<const NamedParm> named,
                               CallForm form)
{
    if (!object.isObject())
        throw EOleError(member, "'" + codec::toDisplay(member)
                                    + "' の呼び出し先がオートメーション オブジェクトではありません");
    if (kind == CallKind::PropertySet && (args.size() != 1 || !named.empty()))
        throw EOleSysError(olecode::BadParamCount);

    Variant result =
        backend_->invoke(object.object(), Invocation{kind, member, args, named, form});
    if (kind == CallKind::Function || kind == CallKind::PropertyGet)
        return result;
    return Variant();
}

Variant AutomationCall::execute(const Variant& object, const AutoCmd& cmd)
{
    return invoke(object, cmd.kind(), cmd.member(), cmd.args(), cmd.namedArgs(),
                  CallForm::Command);
}

Variant AutomationCall::getProperty(const Variant& object, const std::string& name,
                                    std::initializer_list<Variant> args)
{
    return invoke(object, CallKind::PropertyGet, name, {args.begin(), args.size()}, {},
                  CallForm::Shorthand);
}

void AutomationCall::setProperty(const Variant& object, const std::string& name, Variant value)
{
    invoke(object, CallKind::PropertySet, name, {&value, 1}, {}, CallForm::Shorthand);
}

Variant AutomationCall::callFunction(const Variant& object, const std::string& name,
                                     std::initializer_list<Variant> args)
{
    return invoke(object, CallKind::Function, name, {args.begin(), args.size()}, {},
                  CallForm::Shorthand);
}

void AutomationCall::callProcedure(const Variant& object, const std::string& name,
                                   std::initializer_list<Variant> args)
{
    invoke(object, CallKind::Procedure, name, {args.begin(), args.size()}, {},
           CallForm::Shorthand);
}

} // namespace pravik

#include "RecordingBackend.h"

#include "Error.h"

#include <stdexcept>

namespace pravik::test {

class RecordingBackend::Object final : public AutomationObject {
public:
    Object(std::shared_ptr<State> state, std::string label)
        : state_(std::move(state)), label_(std::move(label))
    {
        ++state_->live;
        ++state_->made;
    }
    ~Object() override { --state_->live; }
    const std::string& label() const { return label_; }

private:
    std::shared_ptr<State> state_;
    std::string label_;
};

std::string RecordedValue::str() const
{
    switch (kind) {
    case VariantKind::Empty: return "empty";
    case VariantKind::Text: return '"' + text + '"';
    case VariantKind::Boolean: return boolean ? "true" : "false";
    case VariantKind::Integer: return std::to_string(integer);
    case VariantKind::TextArray: {
        std::string s = "[";
        for (std::size_t i = 0; i < array.size(); ++i)
            s += (i ? ",\"" : "\"") + array[i] + '"';
        return s + ']';
    }
    case VariantKind::Object: return '@' + objectLabel;
    }
    return "?";
}

std::string RecordedCall::str() const
{
    if (create)
        return "create " + member;
    static const char* const kinds[] = {"proc", "call", "get", "put"};
    std::string s = target + ' ' + kinds[static_cast<int>(kind)] + ' ' + member + '(';
    bool first = true;
    for (const auto& a : args) {
        s += (first ? "" : ", ") + a.str();
        first = false;
    }
    for (const auto& [name, value] : named) {
        s += (first ? "" : ", ") + name + ":=" + value.str();
        first = false;
    }
    return s + (form == CallForm::Shorthand ? ") short" : ") cmd");
}

RecordingBackend::RecordingBackend() : state_(std::make_shared<State>()) {}

RecordedValue RecordingBackend::snapshot(const Variant& value) const
{
    RecordedValue r;
    r.kind = value.kind();
    r.typeCode = value.typeCode();
    switch (value.kind()) {
    case VariantKind::Empty: break;
    case VariantKind::Text: r.text = value.text(); break;
    case VariantKind::Boolean: r.boolean = value.boolean(); break;
    case VariantKind::Integer: r.integer = value.integer(); break;
    case VariantKind::TextArray: r.array = value.textArray(); break;
    case VariantKind::Object: {
        auto* object = dynamic_cast<const Object*>(value.object().get());
        r.objectLabel = object ? object->label() : "<foreign>";
        break;
    }
    }
    return r;
}

void RecordingBackend::maybeFail(const RecordedCall& call)
{
    const bool atIndex = failAt_ == static_cast<int>(calls_.size());
    const bool atMember = !failMember_.empty() && call.member == failMember_;
    if (!atIndex && !atMember)
        return;
    failAt_ = 0;
    failMember_.clear();
    switch (failWith_) {
    case FailWith::SysError: throw EOleSysError(olecode::make(0x80004005u), "scripted failure");
    case FailWith::OleError: throw EOleError(call.member);
    case FailWith::Exception: throw EOleException("scripted exception", "RecordingBackend");
    case FailWith::UnknownName: throwUnknownName(call.form, call.member);
    case FailWith::ServerException:
        throwServerException(call.form, "scripted exception", "RecordingBackend");
    }
}

ObjectRef RecordingBackend::createObject(const std::string& progId)
{
    RecordedCall call;
    call.create = true;
    call.member = progId;
    calls_.push_back(call);
    maybeFail(call);
    return std::make_shared<Object>(state_, progId);
}

Variant RecordingBackend::invoke(const ObjectRef& target, const Invocation& invocation)
{
    auto* object = dynamic_cast<const Object*>(target.get());
    if (!object)
        throw std::logic_error("RecordingBackend: object of another backend");
    RecordedCall call;
    call.target = object->label();
    call.kind = invocation.kind;
    call.member = std::string(invocation.member);
    for (const Variant& a : invocation.args)
        call.args.push_back(snapshot(a));
    for (const NamedParm& n : invocation.named)
        call.named.emplace_back(n.name, snapshot(n.value));
    call.form = invocation.form;
    calls_.push_back(call);
    maybeFail(call);

    if (call.kind != CallKind::Function && call.kind != CallKind::PropertyGet)
        return Variant();
    if (auto it = responders_.find(call.member); it != responders_.end())
        return it->second(call);
    auto label = labels_.find(call.member);
    return makeObject(label != labels_.end() ? label->second : call.member);
}

std::string RecordingBackend::serverName(const std::string& progId) const
{
    if (!namedServers_)
        return {};
    return progId.substr(0, progId.find('.'));
}

void RecordingBackend::endServerAfterRelease(const ObjectRef& application)
{
    auto* object = dynamic_cast<const Object*>(application.get());
    serversToEnd_.push_back(object ? object->label() : "<foreign>");
}

void RecordingBackend::checkDocument(const std::string& path)
{
    if (!gone_.empty() && path == gone_)
        throw Error("ファイル " + path + " が見つかりません");
}

void RecordingBackend::respond(const std::string& member, Variant value)
{
    if (value.isObject())
        throw std::logic_error("RecordingBackend: a stored object would never be released");
    responders_[member] = [value](const RecordedCall&) { return value; };
}

void RecordingBackend::respond(const std::string& member, Responder responder)
{
    responders_[member] = std::move(responder);
}

void RecordingBackend::labelResults(const std::string& member, std::string label)
{
    labels_[member] = std::move(label);
}

Variant RecordingBackend::makeObject(const std::string& label)
{
    return Variant::fromObject(std::make_shared<Object>(state_, label));
}

void RecordingBackend::failAtCall(int n, FailWith with)
{
    failAt_ = n;
    failWith_ = with;
}

void RecordingBackend::failAtMember(const std::string& member, FailWith with)
{
    failMember_ = member;
    failWith_ = with;
}

std::vector<std::string> RecordingBackend::lines() const
{
    std::vector<std::string> out;
    for (const auto& c : calls_)
        out.push_back(c.str());
    return out;
}

} // namespace pravik::test

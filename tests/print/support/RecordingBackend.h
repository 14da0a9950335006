#pragma once

#include "AutomationBackend.h"
#include "AutomationErrors.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pravik::test {

// A value as it was passed, without holding on to any object.
struct RecordedValue {
    VariantKind kind = VariantKind::Empty;
    std::uint16_t typeCode = 0;
    std::string text;
    bool boolean = false;
    std::int32_t integer = 0;
    std::vector<std::string> array;
    std::string objectLabel;

    std::string str() const; // "text", true, 4, ["a","b"], @label, empty
};

struct RecordedCall {
    bool create = false;       // object creation; member holds the ProgID
    std::string target;        // label of the object called
    CallKind kind = CallKind::Procedure;
    std::string member;
    std::vector<RecordedValue> args;
    std::vector<std::pair<std::string, RecordedValue>> named;
    CallForm form = CallForm::Shorthand;

    // "create Excel.Application" or
    // "<target> get|put|call|proc <member>(<args>, <name>:=<value>) short|cmd"
    std::string str() const;
};

enum class FailWith {
    SysError,        // EOleSysError E_FAIL
    OleError,        // EOleError naming the member
    Exception,       // EOleException
    UnknownName,     // as a backend reports an unknown name: per form
    ServerException, // as a backend reports a server exception: per form
};

// Records every creation and call, answers from a script, fails on demand,
// and counts the objects it handed out that are still referenced.
class RecordingBackend : public AutomationBackend {
public:
    using Responder = std::function<Variant(const RecordedCall&)>;

    RecordingBackend();

    ObjectRef createObject(const std::string& progId) override;
    Variant invoke(const ObjectRef& target, const Invocation& call) override;
    std::string serverName(const std::string& progId) const override;
    void endServerAfterRelease(const ObjectRef& application) override;
    // The rows' files are taken as present and printable, but for the one
    // marked gone.
    void checkDocument(const std::string& path) override;
    void markGone(std::string path) { gone_ = std::move(path); }

    // Servers named as Office's are ("Word" for "Word.Application"); unnamed
    // by default, as the office engine's.
    void nameServers() { namedServers_ = true; }
    // Labels of the applications whose servers a job asked to end.
    const std::vector<std::string>& serversToEnd() const { return serversToEnd_; }

    // Results of Function and PropertyGet calls of member. Unscripted ones
    // yield a new object labelled with the member name (or the label set
    // here). A responder makes its objects with makeObject on each call, so
    // that nothing keeps them alive between calls.
    void respond(const std::string& member, Variant value);
    void respond(const std::string& member, Responder responder);
    void labelResults(const std::string& member, std::string label);
    Variant makeObject(const std::string& label);

    // The nth recorded call (1-based, creations included) fails after being
    // recorded; or the first call of member (creation: the ProgID).
    void failAtCall(int n, FailWith with);
    void failAtMember(const std::string& member, FailWith with);

    const std::vector<RecordedCall>& calls() const { return calls_; }
    std::vector<std::string> lines() const;
    int liveObjects() const { return state_->live; }
    int objectsMade() const { return state_->made; }

private:
    struct State {
        int live = 0;
        int made = 0;
    };
    class Object;

    RecordedValue snapshot(const Variant& value) const;
    void maybeFail(const RecordedCall& call);

    std::shared_ptr<State> state_;
    std::vector<RecordedCall> calls_;
    std::map<std::string, Responder> responders_;
    std::map<std::string, std::string> labels_;
    std::vector<std::string> serversToEnd_;
    bool namedServers_ = false;
    std::string gone_;
    int failAt_ = 0;
    std::string failMember_;
    FailWith failWith_ = FailWith::SysError;
};

} // namespace pravik::test

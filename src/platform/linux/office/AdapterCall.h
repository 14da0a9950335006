#pragma once

#include "AutomationBackend.h"
#include "AutomationErrors.h"

#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace pravik::office {

// An object this backend hands out. It answers calls by member name at the
// moment of the call, as a late-bound automation server does.
class Adapter : public AutomationObject {
public:
    virtual Variant invoke(const Invocation& call) = 0;
};

// How a member is reached: a property read, a property write, or a method
// (with or without a result: callers may use either).
enum class Shape { Get, Put, Method };

inline constexpr std::int32_t kMemberNotFound = olecode::MemberNotFound;

// One call as an adapter reads it. Member and argument names match without
// regard to ASCII letter case, as automation names do.
class MemberCall {
public:
    explicit MemberCall(const Invocation& call) : call_(call) {}

    bool is(std::string_view member) const;

    // Checks the call against the member's shape and argument list, raising
    // what a server raises: a member used in a way it cannot be (member not
    // found), a named argument it does not take (unknown name), or a wrong
    // number of positional arguments (bad parameter count).
    void expect(Shape shape, std::size_t minArgs = 0, std::size_t maxArgs = 0,
                std::initializer_list<std::string_view> namedArgs = {}) const;

    std::size_t argCount() const { return call_.args.size(); }
    const Variant& arg(std::size_t index) const { return call_.args[index]; }
    // The named argument's value, or nullptr when it was not given.
    const Variant* named(std::string_view name) const;

    // For a member this object does not have.
    [[noreturn]] void unknownMember() const;

    const Invocation& invocation() const { return call_; }

private:
    const Invocation& call_;
};

bool sameName(std::string_view a, std::string_view b);

} // namespace pravik::office

#pragma once

#include "AutomationBackend.h"
#include "AutomationErrors.h"
#include "Variant.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace pravik {

// One prepared call: kind, member, positional arguments in the order given,
// named arguments in the order added.
class AutoCmd {
public:
    AutoCmd(CallKind kind, std::string member) : kind_(kind), member_(std::move(member)) {}

    AutoCmd& arg(Variant value)
    {
        args_.push_back(std::move(value));
        return *this;
    }
    AutoCmd& named(std::string name, Variant value)
    {
        named_.push_back({std::move(name), std::move(value)});
        return *this;
    }

    CallKind kind() const { return kind_; }
    const std::string& member() const { return member_; }
    const std::vector<Variant>& args() const { return args_; }
    const std::vector<NamedParm>& namedArgs() const { return named_; }

private:
    CallKind kind_;
    std::string member_;
    std::vector<Variant> args_;
    std::vector<NamedParm> named_;
};

// The late-bound call layer. Holds no state beyond the backend: it hands out
// object values and raises an error for every failed step. It never tells a
// server to quit; releasing an application object only drops the reference.
class AutomationCall {
public:
    explicit AutomationCall(std::shared_ptr<AutomationBackend> backend);

    // An object value for the program identifier. Throws EOleSysError.
    Variant createObject(const std::string& progId);

    // Executes cmd in the Command form. Returns the result for Function and
    // PropertyGet, an empty value otherwise.
    Variant execute(const Variant& object, const AutoCmd& cmd);

    // Shorthands: positional arguments only, Shorthand form.
    Variant getProperty(const Variant& object, const std::string& name,
                        std::initializer_list<Variant> args = {});
    void setProperty(const Variant& object, const std::string& name, Variant value);
    Variant callFunction(const Variant& object, const std::string& name,
                         std::initializer_list<Variant> args = {});
    void callProcedure(const Variant& object, const std::string& name,
                       std::initializer_list<Variant> args = {});

    // The backend's answers and requests about servers as a whole.
    std::string serverName(const std::string& progId) const { return backend_->serverName(progId); }
    void checkPrinter(const std::string& printer) { backend_->checkPrinter(printer); }
    void checkDocument(const std::string& path) { backend_->checkDocument(path); }
    void endServerAfterRelease(const Variant& application);
    void handedToUser(const Variant& application);

private:
    Variant invoke(const Variant& object, CallKind kind, const std::string& member,
                   std::span<const Variant> args, std::span<const NamedParm> named,
                   CallForm form);

    std::shared_ptr<AutomationBackend> backend_;
};

} // namespace pravik

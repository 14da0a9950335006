#pragma once

#include "AutomationCall.h"
#include "OfficeScript.h"
#include "RecordingBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pravik::test {

using Script = std::function<void(RecordingBackend&)>;
using Job = std::function<void(AutomationCall&)>;

inline const RecordedValue* namedArg(const RecordedCall& call, const std::string& name)
{
    for (const auto& [given, value] : call.named)
        if (given == name)
            return &value;
    return nullptr;
}

inline bool isFalseOrZero(const RecordedValue* value)
{
    return value
        && ((value->kind == VariantKind::Boolean && !value->boolean)
            || (value->kind == VariantKind::Integer && value->integer == 0));
}

// What every job promises the user, checked on the calls it made: no file is
// written, every file opens read-only with a password that answers any
// password box, Word prints before PrintOut returns, nothing closes or quits
// with saving, and Word's options and ActivePrinter (which is the default
// printer of Windows) end as scriptOffice() reads them. A put that failed
// (failedCall, 1-based) may leave its value unset.
inline void expectUserStateKept(const std::vector<RecordedCall>& calls, int failedCall = 0)
{
    const std::map<std::string, std::string> asRead = {
        {"UpdateFieldsAtPrint", "false"}, {"PrintBackground", "true"}, {"ActivePrinter", "\"Default\""}};
    std::map<std::string, std::string> lastPut;
    for (size_t i = 0; i < calls.size(); ++i) {
        const RecordedCall& call = calls[i];
        SCOPED_TRACE(call.str());
        EXPECT_NE(call.member, "Save");
        if (call.member == "Open") {
            const RecordedValue* readOnly = namedArg(call, "ReadOnly");
            ASSERT_TRUE(readOnly);
            EXPECT_TRUE(readOnly->boolean);
            int passwords = 0;
            for (const auto& [name, value] : call.named)
                if (name.find("Password") != std::string::npos) {
                    EXPECT_FALSE(value.text.empty());
                    ++passwords;
                }
            EXPECT_EQ(passwords, 2);
        }
        if (call.member == "PrintOut" && call.target == "ActiveWindow") {
            EXPECT_TRUE(isFalseOrZero(namedArg(call, "Background")));
        }
        if (call.member == "Close" || (call.member == "Quit" && !call.named.empty())) {
            EXPECT_TRUE(isFalseOrZero(namedArg(call, "SaveChanges")));
        }
        const bool failed = static_cast<int>(i) + 1 == failedCall;
        if (asRead.count(call.member) && call.kind == CallKind::PropertySet)
            lastPut[call.member] = failed ? asRead.at(call.member) : call.args.at(0).str();
    }
    for (const auto& [member, value] : lastPut)
        EXPECT_EQ(value, asRead.at(member)) << member << " is not as the user had it";
}

// Where the line stands among the recorded ones; -1 when it is not there.
inline long lineIndex(const RecordingBackend& backend, const std::string& line)
{
    const std::vector<std::string> all = backend.lines();
    const auto found = std::find(all.begin(), all.end(), line);
    return found == all.end() ? -1 : found - all.begin();
}

// The job let go of its server: quit it, handed it to the user, or asked
// the backend to end it.
inline bool serverLetGo(const RecordingBackend& backend)
{
    for (const RecordedCall& call : backend.calls())
        if (call.member == "Quit" || (call.member == "Visible" && call.kind == CallKind::PropertySet))
            return true;
    return !backend.serversToEnd().empty();
}

// A failure the job recovers from: Word without FilePrintSetup is pointed at
// its printer through ActivePrinter.
inline bool recovers(const RecordedCall& failed, FailWith with)
{
    const bool missing = with == FailWith::OleError || with == FailWith::UnknownName;
    if (missing && (failed.member == "WordBasic" || failed.member == "FilePrintSetup"))
        return true;
    // A story Word does not have, and pages Excel cannot count.
    const bool answered = with != FailWith::SysError;
    if (answered && failed.member == "Item" && failed.target == "StoryRanges")
        return with == FailWith::Exception || with == FailWith::ServerException;
    return answered
        && (failed.member == "PageSetup" || failed.member == "Pages"
            || (failed.member == "Count" && failed.target == "Pages"));
}

// Runs job once to learn its calls, then again with each call failing in
// turn with each kind of error. Every time the error reaches the caller
// (unless the job recovers), the user's state is kept, the server is let go
// of, and every object handed out has been released.
inline void expectCleanFailureAtEachCall(const Script& script, const Job& job)
{
    auto clean = std::make_shared<RecordingBackend>();
    script(*clean);
    {
        AutomationCall automation(clean);
        job(automation);
    }
    expectUserStateKept(clean->calls());
    const std::vector<RecordedCall> all = clean->calls();
    ASSERT_FALSE(all.empty());

    const FailWith kinds[] = {FailWith::SysError, FailWith::OleError, FailWith::Exception,
                              FailWith::UnknownName, FailWith::ServerException};
    for (std::size_t k = 1; k <= all.size(); ++k) {
        for (FailWith with : kinds) {
            SCOPED_TRACE("failing call " + std::to_string(k) + ": " + all[k - 1].str()
                         + " / error kind " + std::to_string(static_cast<int>(with)));
            auto backend = std::make_shared<RecordingBackend>();
            script(*backend);
            backend->failAtCall(static_cast<int>(k), with);
            bool threw = false;
            {
                AutomationCall automation(backend);
                try {
                    job(automation);
                } catch (const std::exception&) {
                    threw = true;
                }
            }
            EXPECT_EQ(threw, !recovers(all[k - 1], with));
            expectUserStateKept(backend->calls(), static_cast<int>(k));
            if (k > 1) { // once created, the server is never left running unseen
                EXPECT_TRUE(serverLetGo(*backend));
            }
            EXPECT_EQ(backend->liveObjects(), 0);
        }
    }
}

} // namespace pravik::test

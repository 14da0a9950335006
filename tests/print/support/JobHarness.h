#pragma once

#include "AutomationCall.h"
#include "RecordingBackend.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace pravik::test {

using Script = std::function<void(RecordingBackend&)>;
using Job = std::function<void(AutomationCall&)>;

// Runs job once to learn its calls, then again with each call failing in
// turn with each kind of error. Every time the error reaches the caller as
// the form of the failed call dictates, nothing is called after the failed
// call, and every object handed out has been released.
inline void expectCleanFailureAtEachCall(const Script& script, const Job& job)
{
    auto clean = std::make_shared<RecordingBackend>();
    script(*clean);
    {
        AutomationCall automation(clean);
        job(automation);
    }
    const std::vector<std::string> all = clean->lines();
    ASSERT_FALSE(all.empty());

    const FailWith kinds[] = {FailWith::SysError, FailWith::OleError, FailWith::Exception,
                              FailWith::UnknownName, FailWith::ServerException};
    for (std::size_t k = 1; k <= all.size(); ++k) {
        for (FailWith with : kinds) {
            SCOPED_TRACE("failing call " + std::to_string(k) + ": " + all[k - 1]
                         + " / error kind " + std::to_string(static_cast<int>(with)));
            auto backend = std::make_shared<RecordingBackend>();
            script(*backend);
            backend->failAtCall(static_cast<int>(k), with);
            AutomationCall automation(backend);

            const RecordedCall failed = clean->calls()[k - 1];
            const bool command = !failed.create && failed.form == CallForm::Command;
            try {
                job(automation);
                ADD_FAILURE() << "the failure did not reach the caller";
            } catch (const EOleSysError& e) {
                EXPECT_TRUE(with == FailWith::SysError || !command);
                if (with == FailWith::UnknownName) {
                    EXPECT_EQ(e.code(), olecode::UnknownName);
                }
                if (with == FailWith::ServerException) {
                    EXPECT_EQ(e.code(), olecode::Exception);
                }
            } catch (const EOleError& e) {
                EXPECT_TRUE(with == FailWith::OleError || (with == FailWith::UnknownName && command));
                EXPECT_EQ(e.member(), failed.member);
            } catch (const EOleException&) {
                EXPECT_TRUE(with == FailWith::Exception
                            || (with == FailWith::ServerException && command));
            }
            const std::vector<std::string> prefix(all.begin(), all.begin() + k);
            EXPECT_EQ(backend->lines(), prefix);
            EXPECT_EQ(backend->liveObjects(), 0);
        }
    }
}

} // namespace pravik::test

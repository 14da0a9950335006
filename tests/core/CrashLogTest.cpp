#include "CrashLog.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace pravik::test {
namespace {

[[noreturn]] void throwUnexpected()
{
    throw std::runtime_error("the list view has no model");
}

void escapeAnException() noexcept
{
    throwUnexpected();
}

TEST(CrashLogDeathTest, FatalEndsLeaveTheirTextAndABacktraceOnStderrAndInTheLog)
{
    TempDir cache;
    ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    const std::string log = cache.path().string() + "/pravik/crash.log";
    ASSERT_EQ(crashLogPath(), log);

    EXPECT_EXIT(
        {
            installCrashLog();
            escapeAnException();
        },
        ::testing::KilledBySignal(SIGABRT), "uncaught exception: the list view has no model\n.*backtrace");
    EXPECT_EXIT(
        {
            installCrashLog();
            std::raise(SIGSEGV);
        },
        ::testing::KilledBySignal(SIGSEGV), "fatal signal SIGSEGV");
    EXPECT_EXIT(
        {
            installCrashLog();
            crashWithMessage("QWidget: Must construct a QApplication before a QWidget");
        },
        ::testing::KilledBySignal(SIGABRT), "fatal error: QWidget: Must construct");

    const std::string written = readBytes(log);
    EXPECT_NE(written.find("uncaught exception: the list view has no model"), std::string::npos) << written;
    EXPECT_NE(written.find("fatal signal SIGSEGV"), std::string::npos);
    EXPECT_NE(written.find("fatal error: QWidget"), std::string::npos);
    EXPECT_NE(written.find("backtrace:\n"), std::string::npos);
    ::unsetenv("XDG_CACHE_HOME");
}

} // namespace
} // namespace pravik::test

// The crash log of the Windows build: faults and escaped C++ exceptions.
#include "CrashLog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace pravik::test {
namespace {

std::wstring environmentValue(const wchar_t* name)
{
    wchar_t value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

// %LOCALAPPDATA% in a fresh folder. A death test's child runs the test again
// from its start: it finds its parent's folder already set and keeps it.
class LocalAppData {
public:
    LocalAppData()
    {
        const std::wstring current = environmentValue(L"LOCALAPPDATA");
        if (std::filesystem::path(current).filename().wstring().starts_with(kPrefix)) {
            path_ = current;
            return;
        }
        previous_ = current;
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::filesystem::path(temp) / (kPrefix + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::create_directories(path_);
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", path_.c_str());
        owner_ = true;
    }
    ~LocalAppData()
    {
        if (!owner_)
            return;
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", previous_.empty() ? nullptr : previous_.c_str());
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    LocalAppData(const LocalAppData&) = delete;
    LocalAppData& operator=(const LocalAppData&) = delete;

    std::string log() const
    {
        std::ifstream in(path_ / L"pravik" / L"crash.log", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    const std::filesystem::path& path() const { return path_; }

private:
    static constexpr const wchar_t* kPrefix = L"pravik-crash-test-";
    std::filesystem::path path_;
    std::wstring previous_;
    bool owner_ = false;
};

[[noreturn]] void throwUnexpected()
{
    throw std::runtime_error("the list view has no model");
}

void escapeAnException() noexcept
{
    throwUnexpected();
}

// Escapes to the thread's start, where it meets the unhandled-exception
// filter before std::terminate.
DWORD WINAPI throwOnAThread(void*)
{
    throwUnexpected();
}

TEST(CrashLogDeathTest, AFaultEndsWithItsCodeAndLeavesWhereItHappened)
{
    LocalAppData folder;
    ASSERT_EQ(crashLogPath(), (folder.path() / L"pravik" / L"crash.log").string());

    EXPECT_EXIT(
        {
            installCrashLog();
            int* volatile nowhere = nullptr;
            *nowhere = 1;
        },
        ::testing::ExitedWithCode(static_cast<int>(0xC0000005)), "structured exception: code 0xC0000005");

    const std::string written = folder.log();
    const size_t at = written.find("structured exception: code 0xC0000005 at 0x");
    ASSERT_NE(at, std::string::npos) << written;
    // The frames are walked from the fault, not from the filter: the first
    // is where it happened, named by its module.
    const std::string where = written.substr(at + 41, 18);
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string exe = std::filesystem::path(std::wstring(self, length)).filename().string();
    EXPECT_NE(written.find("backtrace:\n    #0 " + where + " " + exe + "+0x"), std::string::npos) << written;
}

TEST(CrashLogDeathTest, AnEscapedExceptionLeavesItsText)
{
    LocalAppData folder;
    EXPECT_EXIT(
        {
            installCrashLog();
            escapeAnException();
        },
        ::testing::ExitedWithCode(3), "uncaught exception: the list view has no model");
    EXPECT_EXIT(
        {
            installCrashLog();
            const HANDLE thread = ::CreateThread(nullptr, 0, throwOnAThread, nullptr, 0, nullptr);
            ::WaitForSingleObject(thread, INFINITE);
        },
        ::testing::ExitedWithCode(3), "uncaught exception: the list view has no model");

    const std::string written = folder.log();
    const size_t first = written.find("uncaught exception: the list view has no model");
    ASSERT_NE(first, std::string::npos) << written;
    EXPECT_NE(written.find("uncaught exception: the list view has no model", first + 1), std::string::npos)
        << written;
}

} // namespace
} // namespace pravik::test

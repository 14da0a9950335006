// The server processes a run starts: how their executable is found, when
// they are ended, and what is recorded for a run that cannot end them.
#include "ServerEnding.h"
#include "ServerLaunch.h"
#include "ServerRecords.h"
#include "WaitingProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

using namespace pravik;
using namespace pravik::test;
using namespace std::chrono_literals;

namespace {

std::filesystem::path tempFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / name;
    std::filesystem::create_directories(folder);
    return folder;
}

ULONGLONG creationTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

} // namespace

TEST(ServerExecutable, IsReadFromTheRegisteredCommandLineAsTheSystemReadsIt)
{
    const std::filesystem::path folder = tempFolder(L"Pravik Office Test");
    const std::wstring exe = (folder / L"office server.exe").wstring();
    std::ofstream(std::filesystem::path(exe)) << "";
    const std::wstring stem = exe.substr(0, exe.size() - 4);
    EXPECT_EQ(win::serverExecutable(L"\"" + exe + L"\" /Automation"), exe);
    EXPECT_EQ(win::serverExecutable(exe + L" /Automation -Embedding"), exe);
    EXPECT_EQ(win::serverExecutable(L"  " + stem + L" /Automation"), exe);
    EXPECT_EQ(win::serverExecutable((folder / L"missing.exe").wstring() + L" /Automation"), L"");

    // An expanded registry value gives its variables' values.
    const CLSID clsid = {0x3c5b1a7f, 0x8e2d, 0x4f6a, {0xb1, 0xc9, 0x2d, 0x7e, 0x0a, 0x4f, 0x5b, 0x61}};
    const std::wstring key = L"CLSID\\{3C5B1A7F-8E2D-4F6A-B1C9-2D7E0A4F5B61}";
    const std::wstring value = L"\"%TEMP%\\Pravik Office Test\\office server.exe\" /Automation";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, (key + L"\\LocalServer32").c_str(), nullptr, REG_EXPAND_SZ,
                                value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const std::wstring command = win::localServerCommand(clsid);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    EXPECT_EQ(command.find(L'%'), std::wstring::npos);
    EXPECT_TRUE(std::filesystem::equivalent(win::serverExecutable(command), exe));
}

TEST(ServerEnding, AServerIsEndedAtItsTimeButNotWhileItsPrintJobStillGrows)
{
    std::atomic<bool> spooling{true};
    win::ServerEnding ending([&](const std::wstring& printer) { return printer == L"Laser" && spooling.load(); });
    WaitingProcess late, printing, quiet;
    ending.endAt(win::HeldProcess(late.take()), std::chrono::steady_clock::now() + 1500ms, L"");
    ending.endAt(win::HeldProcess(printing.take()), std::chrono::steady_clock::now(), L"Laser");
    ending.endAt(win::HeldProcess(quiet.take()), std::chrono::steady_clock::now(), L"Other");

    EXPECT_FALSE(quiet.runsAfter(3000));
    EXPECT_TRUE(late.runsAfter(0)) << "ended before its time";
    EXPECT_FALSE(late.runsAfter(3000));
    EXPECT_TRUE(printing.runsAfter(0)) << "ended while its job grew";
    spooling = false;
    EXPECT_FALSE(printing.runsAfter(3000));
}

TEST(ServerRecords, AForcedExitEndsTheRunsServersAndTheNextStartThoseOfADeadRunOnly)
{
    {
        WaitingProcess server;
        const win::HeldProcess held(server.take());
        win::endRecordedServers(); // as a second Ctrl+C does
        EXPECT_FALSE(server.runsAfter(3000));
    }

    // Files as runs leave them: one that died, one still going (this one).
    WaitingProcess ofDeadRun, ofLiveRun, sameIdLater;
    const std::filesystem::path folder = tempFolder(L"pravik-servers");
    const auto line = [](const WaitingProcess& p, ULONGLONG shift = 0) {
        return std::to_string(p.id()) + " " + std::to_string(creationTime(p.handle()) + shift) + "\n";
    };
    const std::filesystem::path ours = folder
        / (std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(creationTime(::GetCurrentProcess())) + L".txt");
    std::ofstream(folder / L"4000000000-1.txt") << line(ofDeadRun) + line(sameIdLater, 1); // no such run
    std::ofstream(ours) << line(ofLiveRun);
    win::endServersOfDeadRuns();
    EXPECT_FALSE(ofDeadRun.runsAfter(3000));
    EXPECT_TRUE(sameIdLater.runsAfter(0)) << "a process under a recorded id but created at another time";
    EXPECT_TRUE(ofLiveRun.runsAfter(0));
    std::filesystem::remove(ours);
}

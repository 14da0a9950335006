#include "OfficeProcess.h"
#include "ProfileSlot.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pravik::office {
namespace {

using test::TempDir;

// True while any process of the group exists.
bool groupAlive(pid_t group) { return ::kill(-group, 0) == 0 || errno == EPERM; }

bool waitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 200; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return condition();
}

// A stand-in office that starts a child of its own, as the real one does.
const std::vector<std::string> kOfficeWithChild = {"sh", "-c", "sleep 60 & sleep 60"};

TEST(OfficeProcess, StopEndsTheWholeGroupAndRemovesWhatItLeaves)
{
    TempDir dir;
    const std::string socket = dir.file("socket");
    // Its temp folder, named to it in its environment, goes with it too.
    const std::filesystem::path scratch = dir.path() / "scratch";
    OfficeProcess office("/bin/sh",
                         {"sh", "-c", "touch " + socket + "; mkdir -p \"$TMPDIR/lu1.tmp\"; sleep 60 & sleep 60"},
                         dir.path() / "log", {socket}, {"TMPDIR=" + scratch.string()}, scratch);
    const pid_t group = office.group();
    EXPECT_TRUE(office.running());
    EXPECT_TRUE(groupAlive(group));
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(socket); }));
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(scratch / "lu1.tmp"); }));
    office.stop();
    EXPECT_FALSE(office.running());
    EXPECT_TRUE(waitUntil([&] { return !groupAlive(group); }));
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_FALSE(std::filesystem::exists(scratch));
}

TEST(OfficeProcess, AnOfficeThatEndsIsNoticed)
{
    TempDir dir;
    OfficeProcess office("/bin/sh", {"sh", "-c", "echo started; exit 3"}, dir.path() / "log");
    EXPECT_TRUE(waitUntil([&] { return !office.running(); }));
    std::ifstream log(dir.path() / "log");
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, "started");

    OfficeProcess missing("/nonexistent/soffice", {"soffice"}, dir.path() / "log2");
    EXPECT_TRUE(waitUntil([&] { return !missing.running(); }));
}

TEST(OfficeProcess, TheOfficeEndsWhenTheProgramIsKilled)
{
    TempDir dir;
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t program = ::fork();
    if (program == 0) {
        ::close(report[0]);
        OfficeProcess office("/bin/sh", kOfficeWithChild, dir.path() / "log");
        const pid_t group = office.group();
        [[maybe_unused]] const ssize_t sent = ::write(report[1], &group, sizeof group);
        ::pause(); // until killed, without any chance to clean up
        ::_exit(0);
    }
    ::close(report[1]);
    pid_t group = 0;
    ASSERT_EQ(::read(report[0], &group, sizeof group), static_cast<ssize_t>(sizeof group));
    ::close(report[0]);
    ASSERT_TRUE(groupAlive(group));

    ::kill(program, SIGKILL);
    int status;
    ::waitpid(program, &status, 0);
    EXPECT_TRUE(waitUntil([&] { return !groupAlive(group); }));
}

TEST(ProfileSlot, RunningCopiesGetProfilesOfTheirOwn)
{
    TempDir dir;
    const char* old = std::getenv("XDG_CACHE_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CACHE_HOME", dir.path().c_str(), 1);
    {
        const ProfileSlot first = ProfileSlot::acquire("print");
        const ProfileSlot second = ProfileSlot::acquire("print");
        EXPECT_EQ(first.profileDir(), dir.path() / "pravik" / "office" / "print-0");
        EXPECT_EQ(second.profileDir(), dir.path() / "pravik" / "office" / "print-1");
        EXPECT_EQ(ProfileSlot::acquire("preview").profileDir().filename(), "preview-0");
    }
    // Released slots are taken again, so the warm profile is reused.
    EXPECT_EQ(ProfileSlot::acquire("print").profileDir().filename(), "print-0");

    // Also while another office of this program sweeps the free slots (and
    // holds them for a moment): two offices starting then use the first two.
    std::atomic<bool> sweeping = false;
    std::thread sweep([&sweeping] {
        ProfileSlot::forEachFreeSlot("print", [&sweeping](const ProfileSlot&) {
            sweeping = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        });
    });
    while (!sweeping)
        std::this_thread::yield();
    const ProfileSlot first = ProfileSlot::acquire("print");
    const ProfileSlot second = ProfileSlot::acquire("print");
    sweep.join();
    EXPECT_EQ(first.profileDir().filename(), "print-0");
    EXPECT_EQ(second.profileDir().filename(), "print-1");
    if (old)
        ::setenv("XDG_CACHE_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CACHE_HOME");
}

} // namespace
} // namespace pravik::office

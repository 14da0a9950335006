#include "OfficeLeftovers.h"
#include "OfficeLifetime.h"
#include "SpoolFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pravik::office {
namespace {

// A socket file such as the office's runtime makes for a pipe.
void bindSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    ::close(fd); // the file stays, as it does when its process is killed
}

TEST(OfficeLeftovers, OnlyASocketOfThisUserIsConnectedTo)
{
    const std::string name = unpredictablePipeName("pravik-test-");
    EXPECT_NE(name, unpredictablePipeName("pravik-test-"));
    const std::string path = pipeSocketPaths(name)[0];
    EXPECT_EQ(pipeOwner(name), PipeOwner::Missing);
    std::ofstream(path) << "not a socket";
    EXPECT_EQ(pipeOwner(name), PipeOwner::Stranger);
    ::unlink(path.c_str());
    bindSocket(path);
    EXPECT_EQ(pipeOwner(name), PipeOwner::Ours);
    ::unlink(path.c_str());
}

TEST(OfficeLeftovers, AnOrphanOnTheProfileIsEndedAndItsPipeRemoved)
{
    const std::string profile = "file:///tmp/" + unpredictablePipeName("pravik-test-profile-");
    const std::string pipe = unpredictablePipeName("pravik-test-");
    const std::string profileArg = "-env:UserInstallation=" + profile;
    const std::string acceptArg = "--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext";
    // The shell waits in a builtin on a pipe nobody writes to: a command it
    // forked would carry the same arguments for a moment and count twice.
    int input[2];
    ASSERT_EQ(::pipe(input), 0);
    const pid_t orphan = ::fork();
    if (orphan == 0) {
        ::dup2(input[0], STDIN_FILENO);
        ::close(input[1]);
        ::execl("/bin/sh", "sh", "-c", "read line", "sh", profileArg.c_str(), acceptArg.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(input[0]);
    bindSocket(pipeSocketPaths(pipe)[0]);
    for (int i = 0; i < 200 && processesUsingProfile(profile).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(processesUsingProfile(profile), std::vector<pid_t>{orphan});

    EXPECT_EQ(endOrphans(profile), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(orphan, &status, 0), orphan);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(pipeOwner(pipe), PipeOwner::Missing);
    EXPECT_EQ(endOrphans(profile), 0);
    ::close(input[1]);
}

TEST(SpoolFile, FilesOfRunsThatAreGoneAreRemovedAndThoseInHandKept)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / unpredictablePipeName("spool-");
    std::filesystem::create_directory(folder);
    ::setenv("TMPDIR", folder.c_str(), 1); // every test runs in a process of its own
    // Above the kernel's largest process id: a run that is surely gone.
    const std::filesystem::path left = folder / "pravik-print-4194305-12345-0a1b2c";
    const std::filesystem::path foreign = folder / "pravik-print-notes.txt";
    std::ofstream(left) << "rendered";
    std::ofstream(foreign) << "not a spool file of this program's making";
    {
        const SpoolFile inHand;
        removeSpoolFilesOfEndedRuns();
        EXPECT_FALSE(std::filesystem::exists(left));
        EXPECT_TRUE(std::filesystem::exists(inHand.path()));
        EXPECT_TRUE(std::filesystem::exists(foreign));
        removeSpoolFileNow(); // as a stop signal's handler does
        EXPECT_FALSE(std::filesystem::exists(inHand.path()));
    }
    ::unsetenv("TMPDIR");
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace pravik::office

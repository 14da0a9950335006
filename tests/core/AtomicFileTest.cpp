#include "AtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "atomicfile.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }

    static void put(const fs::path& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static std::string get(const fs::path& file)
    {
        std::ostringstream bytes;
        bytes << std::ifstream(file, std::ios::binary).rdbuf();
        return bytes.str();
    }
    size_t entries() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
};

} // namespace

TEST_F(AtomicFile, ReplacesTheContentAndKeepsThePermissions)
{
    const fs::path file = dir / "main.ini";
    put(file, "old content that is longer");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    ASSERT_TRUE(pravik::writeFileAtomically(file, std::string("new\0\r\n", 6)));
    EXPECT_EQ(get(file), std::string("new\0\r\n", 6));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entries(), 1u); // no temporary file left behind
}

TEST_F(AtomicFile, CreatesAMissingFileWithTheUmaskMode)
{
    const fs::path file = dir / "new.ini";
    const mode_t mask = ::umask(022);
    const bool ok = pravik::writeFileAtomically(file, "x");
    ::umask(mask);
    ASSERT_TRUE(ok);
    EXPECT_EQ(get(file), "x");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, static_cast<fs::perms>(0644));
}

TEST_F(AtomicFile, WritesThroughASymbolicLink)
{
    fs::create_directory(dir / "real");
    put(dir / "real" / "main.ini", "old");
    fs::create_symlink("real/main.ini", dir / "link.ini");

    ASSERT_TRUE(pravik::writeFileAtomically(dir / "link.ini", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(get(dir / "real" / "main.ini"), "new");
}

TEST_F(AtomicFile, FailureInAMissingFolderReportsErrno)
{
    errno = 0;
    EXPECT_FALSE(pravik::writeFileAtomically(dir / "missing" / "main.ini", "new"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(AtomicFile, FailureInAReadOnlyFolderLeavesTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const fs::path file = dir / "main.ini";
    put(file, "old");
    fs::permissions(dir, fs::perms::owner_write, fs::perm_options::remove);

    errno = 0;
    EXPECT_FALSE(pravik::writeFileAtomically(file, "new"));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(get(file), "old");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, FailureToRenameRemovesTheTemporaryFile)
{
    fs::create_directory(dir / "main.ini"); // rename cannot replace a folder
    EXPECT_FALSE(pravik::writeFileAtomically(dir / "main.ini", "new"));
    EXPECT_TRUE(fs::is_directory(dir / "main.ini"));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, ReadOnlyTargetIsRefusedAndLeftUntouched)
{
    const fs::path file = dir / "week.lst";
    put(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);

    errno = 0;
    EXPECT_FALSE(pravik::writeFileAtomically(file, "new"));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(get(file), "old");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, TargetThatIsNotARegularFileIsRefused)
{
    const fs::path fifo = dir / "pipe.lst";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_FALSE(pravik::writeFileAtomically(fifo, "new"));
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, ReplacedFileKeepsItsOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const fs::path file = dir / "shared.lst";
    put(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);

    ASSERT_TRUE(pravik::writeFileAtomically(file, "new"));
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 4321u);
    EXPECT_EQ(after.st_gid, 4322u);
    EXPECT_EQ(get(file), "new");
}

// Run as another user (uid 1234, in no group of the files), the way a
// colleague saves a list in a shared folder.
TEST_F(AtomicFile, AnotherUsersFileIsRefusedWhileOurOwnIsSaved)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can act as two users";
    fs::permissions(dir, fs::perms::all);
    const fs::path theirs = dir / "theirs.lst";
    const fs::path mine = dir / "mine.lst";
    put(theirs, "theirs");
    put(mine, "mine");
    fs::permissions(theirs, static_cast<fs::perms>(0666));
    ASSERT_EQ(::chown(theirs.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chown(mine.c_str(), 1234, 4322), 0);

    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(1234) != 0 || ::setuid(1234) != 0)
            ::_exit(10);
        errno = 0;
        if (pravik::writeFileAtomically(theirs, "new") || errno != EPERM)
            ::_exit(11);
        ::_exit(pravik::writeFileAtomically(mine, "new") ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(get(theirs), "theirs");
    EXPECT_EQ(get(mine), "new");
    struct stat after {};
    ASSERT_EQ(::stat(mine.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(entries(), 2u);
}

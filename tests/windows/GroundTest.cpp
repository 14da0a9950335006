// The ground's Windows calls: paths, file replacement, the executable's folder.
#include "AtomicFile.h"
#include "ExecutablePath.h"
#include "TextCodec.h"
#include "UserFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

using namespace pravik;

namespace {

struct TempFolder {
    std::filesystem::path path;
    TempFolder()
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        path = std::filesystem::path(temp) / (L"pravik-ground-" + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::create_directories(path);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

std::string contents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(WindowsPaths, PathsFromTheSystemAreKeptInWindowsForm)
{
    // As Qt's dialogs and drops give them.
    EXPECT_EQ(codec::fromOsPath(std::filesystem::path(L"C:/users/\u9031\u6b21/report.doc")),
              codec::fromUtf8("C:\\users\\週次\\report.doc"));
}

TEST(WindowsGround, PathsAreCp932BothWays)
{
    // 日本\表.doc: the trail byte 0x5C of 表 is not a separator.
    const std::string cp932 = "C:\\\x93\xFA\x96\x7B\\\x95\x5C.doc";
    const std::filesystem::path os = codec::toOsPath(cp932);
    EXPECT_EQ(os.native(), L"C:\\\u65E5\u672C\\\u8868.doc");
    EXPECT_EQ(os.filename().native(), L"\u8868.doc");
    EXPECT_EQ(codec::fromOsPath(os), cp932);
    // A path must come back as the same file name: no lookalikes.
    EXPECT_THROW(codec::fromOsPath(L"C:\\caf\u00E9.doc"), codec::ConversionError);
    EXPECT_THROW(codec::fromOsPath(L"C:\\\u301C.doc"), codec::ConversionError);
    EXPECT_THROW(codec::toOsPath("C:\\\x85\x40"), codec::ConversionError);
}

TEST(WindowsGround, ReplacesAFileWholeAndKeepsAReadOnlyOne)
{
    TempFolder folder;
    const std::filesystem::path target = folder.path / L"\u4E00\u89A7.lst"; // 一覧.lst
    ASSERT_TRUE(writeFileAtomically(target, "old"));
    ASSERT_TRUE(writeFileAtomically(target, std::string("new\0bytes", 9)));
    EXPECT_EQ(contents(target), std::string("new\0bytes", 9));

    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(writeFileAtomically(target, "lost"));
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(contents(target), std::string("new\0bytes", 9));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WindowsGround, AReplacedFileKeepsItsAttributesAndWaitsForAReaderToLetGo)
{
    TempFolder folder;
    const std::filesystem::path target = folder.path / L"week.lst";
    ASSERT_TRUE(writeFileAtomically(target, "old"));
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const auto hidden = [&] { return (::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0; };
    const bool diskKeepsIt = hidden();
    // Held without sharing, for a moment (as a virus scanner does), then for good.
    const auto hold = [&] { return ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); };
    std::thread release([held = hold()] { ::Sleep(300), ::CloseHandle(held); });
    EXPECT_TRUE(writeFileAtomically(target, "new"));
    release.join();
    EXPECT_EQ(hidden(), diskKeepsIt);
    const HANDLE held = hold();
    EXPECT_FALSE(writeFileAtomically(target, "lost"));
    ::CloseHandle(held);
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), std::filesystem::directory_iterator()), 1);
}

TEST(WindowsGround, SettingsLiveBesideTheExecutableWhileItsFolderIsWritableElseInAppData)
{
    wchar_t module[MAX_PATH];
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::string dir = executableDir();
    EXPECT_EQ(codec::toOsPath(dir), std::filesystem::path(module).parent_path());
    EXPECT_EQ(sharedDataDir(), "");
    EXPECT_TRUE(folderWritable(dir));
    EXPECT_FALSE(std::filesystem::exists(codec::toOsPath(dir + "\\.pravik-write-probe-"
                                                         + std::to_string(::GetCurrentProcessId()))));
    EXPECT_FALSE(folderWritable(dir + "\\missing"));
    ASSERT_NE(std::getenv("APPDATA"), nullptr);
    EXPECT_EQ(userConfigDir(), codec::fromOsPath(std::filesystem::path(std::getenv("APPDATA"))));
}

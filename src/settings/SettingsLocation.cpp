#include "SettingsLocation.h"

#include "AtomicFile.h"
#include "ExecutablePath.h"
#include "TextCodec.h"
#include "UserFolders.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace pravik {

namespace {

std::string join(const std::string& dir, const char* name) { return dir + kPathSeparator + name; }

bool isFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(codec::toOsPath(path), ec);
}

} // namespace

std::string SettingsLocation::iniPath() const { return join(dir, "main.ini"); }

SettingsLocation chooseSettingsLocation(const SettingsFacts& facts)
{
    const bool installedForSystem = !facts.iniBesideProgram && facts.iniInSharedDir;
    const std::string delivered = installedForSystem ? facts.sharedDir : facts.programDir;
    const bool besideProgram = (facts.programDirWritable && !installedForSystem) || facts.userConfigDir.empty();
    const std::string dir = besideProgram ? facts.programDir : join(facts.userConfigDir, "pravik");
    const std::string saveDir = facts.installedByInstaller && !facts.documentsDir.empty()
                                    ? join(facts.documentsDir, "Pravik")
                                    : join(dir, "save");
    return {dir, delivered, !besideProgram, saveDir};
}

SettingsFacts systemSettingsFacts()
{
    SettingsFacts facts;
    facts.programDir = executableDir();
    facts.programDirWritable = folderWritable(facts.programDir);
    facts.iniBesideProgram = isFile(join(facts.programDir, "main.ini"));
    facts.sharedDir = sharedDataDir();
    facts.iniInSharedDir = !facts.sharedDir.empty() && isFile(join(facts.sharedDir, "main.ini"));
    facts.userConfigDir = userConfigDir();
#ifdef _WIN32
    facts.installedByInstaller = isFile(join(facts.programDir, "uninstall.exe"));
    if (facts.installedByInstaller)
        facts.documentsDir = userDocumentsDir();
#endif
    return facts;
}

void prepareSettingsLocation(const SettingsLocation& location)
{
    if (!location.perUser)
        return;
    std::error_code ec;
    // A folder among the user's documents is made only when a list is saved.
    if (location.saveDir == join(location.dir, "save"))
        std::filesystem::create_directories(codec::toOsPath(location.saveDir), ec);
    const std::filesystem::path ini = codec::toOsPath(location.iniPath());
    if (std::filesystem::exists(ini, ec) || ec)
        return;
    std::ifstream in(codec::toOsPath(join(location.deliveredDir, "main.ini")), std::ios::binary);
    if (!in)
        return;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.bad())
        writeFileAtomically(ini, bytes);
}

SettingsLocation settingsLocation()
{
    SettingsLocation location = chooseSettingsLocation(systemSettingsFacts());
    prepareSettingsLocation(location);
    return location;
}

} // namespace pravik

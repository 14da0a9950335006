#pragma once

#include <string>

namespace pravik {

// What decides where main.ini lives. All paths CP932, without a trailing
// separator.
struct SettingsFacts {
    std::string programDir;
    bool programDirWritable = false;
    bool iniBesideProgram = false;
    // The folder of an installation for the whole system, and whether the
    // delivered main.ini lies there.
    std::string sharedDir;
    bool iniInSharedDir = false;
    // Where each user's programs keep their settings; "" when unknown.
    std::string userConfigDir;
    // A copy the Windows installer put there (its uninstaller lies beside
    // the program), and the user's documents folder ("" when unknown).
    bool installedByInstaller = false;
    std::string documentsDir;
};

struct SettingsLocation {
    std::string dir;          // holds main.ini
    std::string deliveredDir; // the main.ini and the guide the program came with
    bool perUser = false;     // main.ini is made from the delivered one at the first start
    std::string saveDir;      // where the save dialog first opens

    std::string iniPath() const;
    bool operator==(const SettingsLocation&) const = default;
};

// main.ini beside the program, as a build folder or a portable copy keeps
// it, while the program may write there; otherwise the user's own
// (userConfigDir/pravik). A program installed for the whole system (its
// main.ini delivered to the shared folder, none beside it) always uses the
// user's own, even for a user who could write beside it: the system's
// folders belong to the package manager.
// Lists are first saved into "save" beside main.ini, but an installed
// Windows copy's into the user's Documents\Pravik: a folder hidden under
// AppData is one a user can neither find nor back up.
SettingsLocation chooseSettingsLocation(const SettingsFacts& facts);

// The facts of this program on this system.
SettingsFacts systemSettingsFacts();

// A user's own folder gets its "save" and, at the first start, a copy of the
// delivered main.ini; an existing main.ini is never replaced. Best effort:
// what cannot be made shows later, when main.ini or a list is written.
void prepareSettingsLocation(const SettingsLocation& location);

// The location of this program, prepared.
SettingsLocation settingsLocation();

} // namespace pravik

#pragma once

#include "Settings.h"

#include <string>
#include <vector>

namespace pravik {

class PrintList;

inline constexpr int columnCount = 7;

// What start-up applies main.ini to: the main window and its neighbours.
class StartupWindow {
public:
    virtual ~StartupWindow() = default;
    virtual void setColumnWidth(int column, int width) = 0;
    virtual void setTop(int top) = 0;
    virtual void setLeft(int left) = 0;
    virtual void setHeight(int height) = 0;
    virtual void setWidth(int width) = 0;
    // The first start, before main.ini knew the window: a size that shows
    // the list's columns, in the middle of the screen.
    virtual void placeForFirstStart() = 0;
    virtual void centreSecondaryWindows() = 0;
    virtual void setCaption(const std::string& caption) = 0; // CP932
};

// The main window as it is written back at close.
struct WindowState {
    std::vector<std::string> headingsInDisplayOrder; // CP932
    std::vector<int> widthsInDisplayOrder;
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
};

// The settings of main.ini alone, for a run without windows.
Settings readSettings(const std::string& iniPath);

// The settings of a file the user named: one that is missing, not a regular
// file or unreadable throws Error naming it, rather than give defaults.
Settings readNamedSettings(const std::string& iniPath);

// Reads main.ini into `settings`, then sizes the columns from "COLUMN" and
// places the windows, and reopens the last list when asked to. A missing or
// malformed "COLUMN" throws there, leaving the settings read before it in
// force and the later steps undone.
void loadSettings(const std::string& iniPath, Settings& settings, StartupWindow& window,
                  PrintList& list);

// Writes "COLUMN" (only while the headings stand in their designed order),
// "FMTOP", "FMLEFT", "FMHEIGHT", "FMWIDTH" and "LASTLIST".
void saveWindowState(const std::string& iniPath, const WindowState& state,
                     const std::string& listFileName);

// Writes "DONEMSG", the finished run's message on or off.
void saveAnnounceFinishedRuns(const std::string& iniPath, bool announce);

// The folders the file dialogs were last left in (CP932; empty: never used),
// kept across sessions in a section of their own ("FOLDERS": "OPEN",
// "SAVE", "ADD").
struct DialogFolders {
    std::string open;
    std::string save;
    std::string add;
    bool operator==(const DialogFolders&) const = default;
};
DialogFolders readDialogFolders(const std::string& iniPath);
// Writes the folders that are known; the others stay as they were.
void saveDialogFolders(const std::string& iniPath, const DialogFolders& folders);

// The designed column headings, CP932.
const std::vector<std::string>& designedHeadings();

} // namespace pravik

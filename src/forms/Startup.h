#pragma once

#include <memory>
#include <string>

namespace pravik {

class Dialogs;
struct SettingsLocation;
class TFmMain;
class TFmOption;
class TFmEdit;
class TFmVersion;
class TFmDialog;

// The program's five windows. They live from start to end; only the main
// window is shown at start, the others when their commands ask for them.
struct Windows {
    std::unique_ptr<TFmMain> FmMain;
    std::unique_ptr<TFmOption> FmOption;
    std::unique_ptr<TFmEdit> FmEdit;
    std::unique_ptr<TFmDialog> FmDialog;
    std::unique_ptr<TFmVersion> FmVersion;

    Windows();
    Windows(Windows&&) noexcept;
    ~Windows();
};

// Creates the windows in their fixed order, the main window first, with the
// settings of `location`.
Windows createWindows(Dialogs& dialogs, const SettingsLocation& location);

} // namespace pravik

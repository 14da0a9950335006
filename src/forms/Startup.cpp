#include "Startup.h"

#include "ProgramIcon.h"
#include "SettingsLocation.h"
#include "ShellOpen.h"
#include "UDialog.h"
#include "UEdit.h"
#include "UMain.h"
#include "UOption.h"
#include "UVersion.h"

namespace pravik {

Windows::Windows() = default;
Windows::Windows(Windows&&) noexcept = default;
Windows::~Windows() = default;

Windows createWindows(Dialogs& dialogs, const SettingsLocation& location)
{
    const std::string iniPath = location.iniPath();
    Windows windows;
    windows.FmMain = std::make_unique<TFmMain>(dialogs, location.dir);
    windows.FmMain->setGuideFolder(location.deliveredDir);
    windows.FmMain->setSaveFolder(location.saveDir);
    windows.FmMain->setWindowIcon(programIcon());
    windows.FmOption = std::make_unique<TFmOption>(dialogs, iniPath);
    windows.FmEdit = std::make_unique<TFmEdit>(*windows.FmMain);
    windows.FmDialog = std::make_unique<TFmDialog>(windows.FmMain->abortFlag);
    windows.FmVersion = std::make_unique<TFmVersion>(
        dialogs, iniPath, [](const QString& address) { return shellOpen(QUrl::fromUserInput(address)); });
    windows.FmMain->setProgressDialog(windows.FmDialog.get());
    windows.FmMain->setEntryEditor(windows.FmEdit.get());
    windows.FmMain->setOptionWindow(windows.FmOption.get());
    windows.FmMain->setVersionWindow(windows.FmVersion.get());
    windows.FmMain->setSecondaryWindows({windows.FmEdit.get(), windows.FmDialog.get(),
                                         windows.FmOption.get(), windows.FmVersion.get()});
    return windows;
}

} // namespace pravik

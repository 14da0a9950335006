#include "Startup.h"

#include "ProgramIcon.h"
#include "UDialog.h"
#include "UEdit.h"
#include "UMain.h"
#include "UOption.h"
#include "UVersion.h"

#include <QDesktopServices>
#include <QUrl>

namespace pravik {

namespace {

bool openWithDesktop(const QString& pathOrAddress)
{
    const QUrl url = QUrl::fromUserInput(pathOrAddress);
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace

Windows::Windows() = default;
Windows::Windows(Windows&&) noexcept = default;
Windows::~Windows() = default;

Windows createWindows(Dialogs& dialogs, const std::string& appFolder)
{
    const std::string iniPath = appFolder + "/main.ini";
    MainServices services = MainServices::system();
    services.openExternally = openWithDesktop;

    Windows windows;
    windows.FmMain = std::make_unique<TFmMain>(dialogs, appFolder, std::move(services));
    windows.FmMain->setWindowIcon(programIcon());
    windows.FmOption = std::make_unique<TFmOption>(dialogs, iniPath);
    windows.FmEdit = std::make_unique<TFmEdit>(*windows.FmMain);
    windows.FmDialog = std::make_unique<TFmDialog>(windows.FmMain->abortFlag);
    windows.FmVersion = std::make_unique<TFmVersion>(dialogs, iniPath, openWithDesktop);
    windows.FmMain->setProgressDialog(windows.FmDialog.get());
    windows.FmMain->setEntryEditor(windows.FmEdit.get());
    windows.FmMain->setOptionWindow(windows.FmOption.get());
    windows.FmMain->setVersionWindow(windows.FmVersion.get());
    windows.FmMain->setSecondaryWindows({windows.FmEdit.get(), windows.FmDialog.get(),
                                         windows.FmOption.get(), windows.FmVersion.get()});
    return windows;
}

} // namespace pravik

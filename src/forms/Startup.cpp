#include "Startup.h"

#include "UEdit.h"
#include "UMain.h"
#include "UOption.h"
#include "UVersion.h"

namespace pravik {

Windows::Windows() = default;
Windows::Windows(Windows&&) noexcept = default;
Windows::~Windows() = default;

Windows createWindows(Dialogs& dialogs, const std::string& appFolder)
{
    Windows windows;
    windows.FmMain = std::make_unique<TFmMain>(dialogs, appFolder);
    windows.FmOption = std::make_unique<TFmOption>();
    windows.FmEdit = std::make_unique<TFmEdit>();
    windows.FmVersion = std::make_unique<TFmVersion>();
    windows.FmMain->setSecondaryWindows(
        {windows.FmEdit.get(), windows.FmOption.get(), windows.FmVersion.get()});
    return windows;
}

} // namespace pravik

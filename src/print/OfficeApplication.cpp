#include "OfficeJobs.h"

#include "AutomationWorker.h"

namespace pravik {

Variant createOfficeApplication(AutomationCall& automation, const std::string& progId)
{
    nameWorkServer(automation.serverName(progId));
    // Until the new server has answered once, it may be stuck in its start.
    const ServerStart starting;
    const Variant app = automation.createObject(progId);
    try {
        automation.setProperty(app, "AutomationSecurity", Variant::fromInt(kMacrosForceDisabled));
    } catch (...) {
        // Nothing was opened in it yet; it is not left running unseen.
        automation.endServerAfterRelease(app);
        throw;
    }
    return app;
}

} // namespace pravik

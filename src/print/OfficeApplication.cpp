#include "OfficeJobs.h"

namespace pravik {

Variant createOfficeApplication(AutomationCall& automation, const std::string& progId)
{
    const Variant app = automation.createObject(progId);
    automation.setProperty(app, "AutomationSecurity", Variant::fromInt(kMacrosForceDisabled));
    return app;
}

} // namespace pravik

#include "SystemAutomation.h"

#include "OfficeBackend.h"

namespace pravik {

std::shared_ptr<AutomationBackend> makeSystemAutomationBackend(int lane)
{
    return std::make_shared<office::OfficeBackend>(lane);
}

} // namespace pravik

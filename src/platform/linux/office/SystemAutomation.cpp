#include "SystemAutomation.h"

#include "OfficeBackend.h"

namespace pravik {

std::shared_ptr<AutomationBackend> makeSystemAutomationBackend()
{
    return std::make_shared<office::OfficeBackend>();
}

} // namespace pravik

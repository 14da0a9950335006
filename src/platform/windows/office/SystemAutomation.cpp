#include "SystemAutomation.h"

#include "ComBackend.h"

namespace pravik {

std::shared_ptr<AutomationBackend> makeSystemAutomationBackend(int)
{
    return std::make_shared<win::ComBackend>();
}

} // namespace pravik

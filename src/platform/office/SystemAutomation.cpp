#include "SystemAutomation.h"

#include "AutomationErrors.h"
#include "TextCodec.h"

namespace pravik {

namespace {

class UnavailableBackend final : public AutomationBackend {
public:
    ObjectRef createObject(const std::string& progId) override
    {
        throw EOleSysError(olecode::ClassString,
                           "オフィス エンジンを利用できません: " + codec::toDisplay(progId));
    }

    Variant invoke(const ObjectRef&, const Invocation& call) override
    {
        // Unreachable: no object is ever handed out. Fail loudly all the same.
        throwUnknownName(call.form, std::string(call.member));
    }
};

} // namespace

std::shared_ptr<AutomationBackend> makeSystemAutomationBackend()
{
    return std::make_shared<UnavailableBackend>();
}

} // namespace pravik

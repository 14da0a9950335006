#include "ApplicationState.h"

#include "Error.h"
#include "ValueCoercion.h"

namespace pravik::office {

void ApplicationState::checkRunning() const
{
    if (quit)
        throw Error(name + " は既に終了しています");
}

bool setApplicationSwitch(const MemberCall& call, ApplicationState& application)
{
    if (call.is("AutomationSecurity")) {
        call.expect(Shape::Put);
        // The engine opens every document with its macros off, whatever is
        // asked: the value is only checked.
        toInteger(call.arg(0), "AutomationSecurity", 1, 3);
        return true;
    }
    if (call.is("DisplayAlerts")) {
        call.expect(Shape::Put);
        application.displayAlerts = toBoolean(call.arg(0), "DisplayAlerts");
        return true;
    }
    if (call.is("Visible")) {
        call.expect(Shape::Put);
        application.visible = toBoolean(call.arg(0), "Visible");
        return true;
    }
    return false;
}

} // namespace pravik::office

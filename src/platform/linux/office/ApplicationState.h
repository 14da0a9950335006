#pragma once

#include "AdapterCall.h"

#include <string>

namespace pravik::office {

// What Word and Excel hold alike as applications: the switches a job sets
// before its work, and whether the application has quit.
struct ApplicationState {
    explicit ApplicationState(std::string name) : name(std::move(name)) {}

    std::string name; // as the user calls it: "Word", "Excel"
    bool displayAlerts = true;
    bool visible = false;
    bool quit = false;

    // Throws pravik::Error once the application has quit.
    void checkRunning() const;
};

// Sets the switch the call names (AutomationSecurity, DisplayAlerts,
// Visible); false when it names none of them.
bool setApplicationSwitch(const MemberCall& call, ApplicationState& application);

} // namespace pravik::office

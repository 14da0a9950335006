#pragma once

#include "AutomationBackend.h"

namespace pravik::office {

// The automation backend over the office engines: "Excel.Application" and
// "Word.Application" are served by adapters that drive the office, and
// everything that goes wrong underneath reaches the caller as the layer's
// errors with a text the user can act on.
class OfficeBackend final : public AutomationBackend {
public:
    ObjectRef createObject(const std::string& progId) override;
    Variant invoke(const ObjectRef& target, const Invocation& call) override;
    // Takes the number of documents after which the print office restarts.
    void applySettings(const Settings& settings) override;

    // Ends the offices at once; the next object created starts fresh ones.
    void abandon() override;
};

} // namespace pravik::office

#pragma once

#include "AutomationBackend.h"

namespace pravik::office {

// The automation backend over the office engines: "Excel.Application" and
// "Word.Application" are served by adapters that drive the office, and
// everything that goes wrong underneath reaches the caller as the layer's
// errors with a text the user can act on.
class OfficeBackend final : public AutomationBackend {
public:
    // The backend of one lane of print offices; lane 0 also previews.
    explicit OfficeBackend(int lane = 0) : lane_(lane) {}

    // Each instance drives its own office process and profile.
    int parallelInstances() const override;
    void enterThread() override;

    ObjectRef createObject(const std::string& progId) override;
    Variant invoke(const ObjectRef& target, const Invocation& call) override;
    // Takes the number of documents after which the print office restarts.
    void applySettings(const Settings& settings) override;
    // Launches the print office of this lane, or the preview office.
    void startServerAhead(PrintMode mode) override;
    // Ends every print office, and the preview office unless it shows a
    // document the user reads.
    void endIdleServers() override;

    // Ends the office the row in hand works with at once; the next object
    // created starts a fresh one.
    void abandon() override;
    // An office waits on the print system for the printer's details: when
    // that does not answer, it is what stalled.
    std::optional<std::string> stallCause(std::chrono::seconds deadline, bool printSystemWasSilent) override;

private:
    int lane_;
};

} // namespace pravik::office

#pragma once

#include "UnoRuntime.h"

namespace pravik::office {

// An office without windows never records in its profile that it has met
// its own version, so at every start it tests its graphics as after an
// upgrade, which takes half a second or more. Recording the version once,
// as an office with windows does, spares the later starts of this profile
// that test. Anything that goes wrong only leaves the starts as slow as
// they were.
void recordProfileVersion(const Reference<css::uno::XComponentContext>& office) noexcept;

} // namespace pravik::office

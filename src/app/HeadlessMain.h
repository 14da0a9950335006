#pragma once

#include "HeadlessRun.h"

namespace pravik {

// `pravik --print LIST.lst` and `--preview`: the jobs on automation threads,
// one per print office, each within the deadline; the run stops after the
// row in hand when the system asks the program to stop. The windowed program
// and its console twin run the list alike. Returns the exit status.
int runWithoutWindows(const HeadlessOptions& options);

} // namespace pravik

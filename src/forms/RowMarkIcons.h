#pragma once

#include "RowOutcome.h"

#include <QIcon>

namespace pravik {

// The small pictures a row shows in place of its document's icon: how it
// ended in the last run, or that it cannot be printed as it stands. Drawn
// as vector shapes, one icon per mark shared by every row.
QIcon outcomeIcon(RowOutcome::Kind kind);
QIcon unprintableIcon();

} // namespace pravik

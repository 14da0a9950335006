#pragma once

#include <QIcon>

namespace pravik {

// The program's icon, for every window's title bar and the version window:
// a printer feeding a stack of pages. Drawn as shapes, so it is sharp at
// every size the desktop asks for.
QIcon programIcon();

} // namespace pravik

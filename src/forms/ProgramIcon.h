#pragma once

#include <QIcon>

class QPainter;

namespace pravik {

// The program's icon, for every window's title bar and the version window:
// a printer feeding a stack of pages. Drawn as shapes, so it is sharp at
// every size the desktop asks for.
QIcon programIcon();

// The same picture on a 64 × 64 grid, for the icon files made from it.
void drawProgramIcon(QPainter& painter);

} // namespace pravik

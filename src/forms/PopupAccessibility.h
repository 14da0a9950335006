#pragma once

namespace pravik {

// Screen readers find a window's parts through its accessible children, and
// Qt lists no popup menu among a window's or the application's children: a
// menu of the menu bar is found under its title, but a popup opened by a
// button or the list's context key is not found at all. Installed once, this
// makes a main window list its popup menus that are showing as children.
void exposeOpenPopupMenus();

} // namespace pravik

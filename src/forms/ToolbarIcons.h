#pragma once

#include <QIcon>
#include <QString>

namespace pravik {

// The toolbar's pictures, drawn as vector shapes so they are crisp at any
// scale: "print", "new", "open", "save", "add", "delete", "settings",
// "view", "up", "down".
QIcon toolbarIcon(const QString& name);

} // namespace pravik

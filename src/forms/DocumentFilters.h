#pragma once

#include "DocumentKind.h"

#include <QString>

#include <initializer_list>

namespace pravik {

// A file dialog's filter for the files of the kinds, with both letter cases
// of each extension (file names are case-sensitive on Linux).
QString documentFilter(const QString& caption, std::initializer_list<DocumentKind> kinds);

} // namespace pravik

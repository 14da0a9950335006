#pragma once

#include <string>

namespace pravik {

// The running executable's folder as CP932, with no trailing separator (the
// root folder gives ""). Throws codec::ConversionError when CP932 cannot hold
// it, Error when the system does not tell.
std::string executableDir();

// main.ini beside the executable.
std::string settingsFilePath();

} // namespace pravik

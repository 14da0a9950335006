#pragma once

#include <string>

namespace pravik {

// The running executable's folder as CP932, with no trailing separator (the
// root folder gives ""). Throws codec::ConversionError when CP932 cannot hold
// it, Error when the system does not tell.
std::string executableDir();

// Where a program installed for the whole system finds what it was
// delivered with (main.ini, the guide): <prefix>/share/pravik for a program
// in <prefix>/bin, CP932. "" on Windows, where all of it lies beside the
// program.
std::string sharedDataDir();

// The separator of the paths this program makes, as the system writes them
// (and shows them in messages).
#ifdef _WIN32
inline constexpr const char* kPathSeparator = "\\";
#else
inline constexpr const char* kPathSeparator = "/";
#endif

} // namespace pravik

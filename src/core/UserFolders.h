#pragma once

#include <string>

namespace pravik {

// The folder where each user's programs keep their settings, CP932 with no
// trailing separator: $XDG_CONFIG_HOME (when absolute) or ~/.config; on
// Windows %APPDATA%. "" when the system does not tell, or CP932 cannot
// hold it.
std::string userConfigDir();

#ifdef _WIN32
// The user's documents folder (Explorer's ドキュメント, wherever the user or
// the domain moved it), CP932 with no trailing separator; "" when the
// system does not tell, or CP932 cannot hold it.
std::string userDocumentsDir();
#endif

// Whether this process may create files in `folder` (CP932).
bool folderWritable(const std::string& folder);

} // namespace pravik

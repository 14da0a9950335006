#pragma once

#include <string>

namespace pravik {

// The folder where each user's programs keep their settings, CP932 with no
// trailing separator: $XDG_CONFIG_HOME (when absolute) or ~/.config; on
// Windows %APPDATA%. "" when the system does not tell, or CP932 cannot
// hold it.
std::string userConfigDir();

// Whether this process may create files in `folder` (CP932).
bool folderWritable(const std::string& folder);

} // namespace pravik

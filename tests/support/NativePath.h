#pragma once

#include <algorithm>
#include <string>

namespace pravik::test {

// A path (CP932 or ASCII) as the program keeps what the system hands it:
// with backslashes on Windows. A slash is never a CP932 trail byte.
inline std::string nativePath(std::string path)
{
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

} // namespace pravik::test

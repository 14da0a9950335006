#pragma once

#include <string>

namespace pravik {

// Checks the document of a row (CP932 path) on disk before any office is
// asked for it: an office told to open a missing file says so in its own
// words, or opens something else. Throws pravik::Error (UTF-8) for a file
// that is missing, not a file, or unreadable, and NothingToPrint for an
// empty one.
void checkDocumentFile(const std::string& cp932Path);

} // namespace pravik

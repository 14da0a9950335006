#pragma once

#include <string>
#include <string_view>

// Path splitting on CP932 text: a trail byte of a double-byte character may
// be 0x5C, so the text is walked character by character, never byte by byte.
namespace pravik {

// The text after the last folder separator ("\\" or "/") or a drive colon.
std::string fileNamePart(std::string_view path);

// The extension without its dot ("doc" for "a.b.doc"); empty when the file
// name part has no dot.
std::string extensionPart(std::string_view path);

} // namespace pravik

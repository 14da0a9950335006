#pragma once

#include "Error.h"

#include <filesystem>
#include <string>
#include <string_view>

// The one place where CP932 (Shift-JIS as Windows uses it) meets Unicode.
// Core text is CP932 bytes; UTF-8 appears only at the edges (Qt, OS paths,
// error messages).
namespace pravik::codec {

class ConversionError : public Error {
public:
    using Error::Error;
};

// CP932 bytes to UTF-8. Throws ConversionError on bytes with no Unicode form.
std::string toUtf8(std::string_view cp932);

// UTF-8 to CP932 bytes. Throws ConversionError naming the text when a
// character has no CP932 form (or the UTF-8 is malformed). The JIS forms
// 〜 ‖ − — ¢ £ ¬ are taken as the same JIS characters and read back in their
// Windows forms (～ ∥ － ― ￠ ￡ ￢); ¥ and ‾ are refused rather than turned
// into \ and ~.
std::string fromUtf8(std::string_view utf8);

// For messages and list cells: never throws; bytes with no Unicode form
// appear as \xNN so they stay visible instead of being silently replaced.
std::string toDisplay(std::string_view cp932);

// A stored (CP932) path as the OS needs it. Throws ConversionError.
std::filesystem::path toOsPath(std::string_view cp932Path);

// A path that came from the system, in the system's own form (backslashes
// on Windows). Throws ConversionError with a message
// naming the file when CP932 cannot hold it exactly: a lossy path is never
// stored (so here the JIS forms above are refused too).
std::string fromOsPath(const std::filesystem::path& path);

// True when the byte starts a two-byte CP932 character.
constexpr bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace pravik::codec

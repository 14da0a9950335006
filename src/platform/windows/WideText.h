#pragma once

#include <string>
#include <string_view>

// Text as the Windows API takes it (UTF-16), made from and back to the
// program's CP932. Always code page 932, never the system's ANSI code page:
// the stored bytes are Shift-JIS whatever the machine's language is.
namespace pravik::win {

// CP932 to UTF-16. Throws codec::ConversionError on bytes with no Unicode form.
std::wstring widen(std::string_view cp932);

// UTF-16 to CP932, exactly: a character CP932 cannot hold (or holds only as
// a lookalike) throws codec::ConversionError naming the text.
std::string narrow(std::wstring_view text);

// UTF-16 to UTF-8 for messages. Never throws; unpaired surrogates become U+FFFD.
std::string utf8Of(std::wstring_view text);

} // namespace pravik::win

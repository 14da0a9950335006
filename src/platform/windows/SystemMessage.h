#pragma once

#include <string>

namespace pravik::win {

// The system's text for an error code (a Win32 error or an HRESULT), as
// UTF-8, without the trailing line break; empty where the system has none
// (Wine has none for COM's codes).
std::string systemMessage(long code);

// The system's text, or `fallback` where there is none, with the code
// itself, so that a text the user cannot act on can still be looked up:
// "text (0x80040154)".
std::string systemMessageWithCode(long code, const std::string& fallback);

} // namespace pravik::win

#pragma once

#include <windows.h>

#include <string>

namespace pravik::win {

// What the user calls the server of progId in messages: "Word" for
// Word.Application, "Excel" for Excel.Application; empty for any other.
std::string serverNameOf(const std::string& progId);

// A creation that failed because the class is not there: the application
// is not installed (or its registration is broken).
bool notInstalled(HRESULT hr);
std::string notInstalledText(const std::string& serverName);

// A call that failed because the server's process is gone: it ended or
// crashed while the call was in hand, or before it.
bool serverGone(HRESULT hr);
std::string serverGoneText(const std::string& serverName);

// A creation refused by a server that was ending at that moment (the one
// of the row before, say), which a moment later starts afresh.
bool worthOneMoreStart(HRESULT hr);

} // namespace pravik::win

#pragma once

#include <windows.h>

#include <oaidl.h>

#include <optional>
#include <vector>

namespace pravik::win {

// Which of `candidates` is the process of an automation server, told by the
// server's own main window: Excel gives its window ("Hwnd"); Word is given a
// caption of its own for a moment ("Caption"), by which its window is found,
// and then its caption back. None when the server gives neither, or its
// window belongs to none of them. Calls the server: on the thread that may.
std::optional<DWORD> serverProcessByWindow(IDispatch* application, const std::vector<DWORD>& candidates);

} // namespace pravik::win

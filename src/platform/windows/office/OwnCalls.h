#pragma once

#include <windows.h>

#include <oaidl.h>

#include <optional>

namespace pravik::win {

// The backend's own calls on a server (to find its window, to tell a spare
// to quit), apart from the jobs' calls and their deadlines and messages:
// plain IDispatch, in the system's locale, calls turned away by a starting
// server retried for a while. Each answers only whether it went through.
std::optional<DISPID> memberId(IDispatch* application, const wchar_t* name);
bool getProperty(IDispatch* application, DISPID id, VARIANT& value);
bool putProperty(IDispatch* application, DISPID id, VARIANT value);
bool callMethod(IDispatch* application, DISPID id);

} // namespace pravik::win

#pragma once

#include <windows.h>

namespace pravik::win {

// Whether the office server in process `processId` shows its main window
// (Word's "OpusApp", Excel's "XLMAIN"). Ours run unseen: one that shows
// itself was handed to the user or taken over by them (a document opened
// from the desktop lands in it). A server that no longer answers may still
// be the user's then, and is never ended.
bool serverShownToUser(DWORD processId);

} // namespace pravik::win

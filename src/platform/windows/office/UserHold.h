#pragma once

#include <windows.h>

#include <oaidl.h>

#include <optional>

namespace pravik::win {

// A user who starts Word or Excel, or opens a document, while a server of
// ours runs unseen can land in it: what it holds then is the user's.

// How many documents (Word) or workbooks (Excel) are open in `application`;
// nullopt when it does not answer. On the thread that may call it.
std::optional<long> documentsOpen(IDispatch* application);

// Leaves it to the user as it is: alerts on, visible, and for Excel under
// the user's control, so that it does not close when our last reference
// to it goes.
void handToUser(IDispatch* application);

} // namespace pravik::win

#pragma once

namespace pravik {

// From now on a print queue that asks for a password is answered in this
// program's own dialog, on the window's thread, once per server and run.
// Call on the window's thread once the application exists.
void askPrintSystemPasswordsInDialogs();

} // namespace pravik

#pragma once

namespace pravik {

// Windows' print system asks for its own passwords.
inline void askPrintSystemPasswordsInDialogs() {}

} // namespace pravik

#pragma once

#include <stdexcept>
#include <string>

namespace pravik {

// Base of every error the program reports to the user. Unlike the rest of
// the core, the text is UTF-8: it is display text only (never stored), and it
// may need to name a file that Shift-JIS cannot spell.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace pravik

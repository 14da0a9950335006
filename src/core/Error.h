#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pravik {

// Base of every error the program reports to the user. Unlike the rest of
// the core, the text is UTF-8: it is display text only (never stored), and it
// may need to name a file that Shift-JIS cannot spell.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the user is told of a failure that carries no text of its own.
inline constexpr const char* kUnknownErrorText = "原因不明のエラーが発生しました。";

// A message text with its "%s" replaced by `argument`, as the messages are
// written in their Windows form ("%s に書き込めません").
inline std::string formatMessage(std::string_view format, std::string_view argument)
{
    std::string text(format);
    if (const size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

} // namespace pravik

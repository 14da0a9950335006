#pragma once

#include <functional>
#include <optional>
#include <string>

namespace pravik::printers {

// Who answers a print system that asks for a password. libcups would ask on
// the terminal, where a run without windows would wait for nobody; here it
// is nobody (the job fails, saying why) unless the windowed program names
// its own dialog. nullopt: the user declined. Each server is asked once a
// run (the answer is kept until the run ends).
using PasswordAsker =
    std::function<std::optional<std::string>(const std::string& server, const std::string& user)>;
void setPasswordAsker(PasswordAsker asker);

// Makes libcups ask through it on the calling thread (libcups keeps its
// password callback per thread), for a new connection.
void usePasswordAsker();

// True when a password was asked for on this thread since the last call,
// and none was given.
bool takePasswordRefused();

// The message for a queue that asks for a password nobody gave.
std::string passwordNeededText(const std::string& queue);

} // namespace pravik::printers

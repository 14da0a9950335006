#pragma once

#include <exception>
#include <string>

namespace pravik {

// What the exception in flight says, for the report of a program that ends
// because of it (std::terminate has no other way to know).
inline std::string currentExceptionText()
{
    const std::exception_ptr error = std::current_exception();
    if (!error)
        return "terminated without an exception";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

} // namespace pravik

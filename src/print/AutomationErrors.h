#pragma once

#include "Error.h"

#include <cstdint>
#include <string>

namespace pravik {

// Result codes of the automation standard that the layer itself produces or
// tells apart. Stored as the signed 32-bit value the platform uses.
namespace olecode {
constexpr std::int32_t make(std::uint32_t code) { return static_cast<std::int32_t>(code); }
inline constexpr std::int32_t TypeMismatch = make(0x80020005u);  // DISP_E_TYPEMISMATCH
inline constexpr std::int32_t MemberNotFound = make(0x80020003u); // DISP_E_MEMBERNOTFOUND
inline constexpr std::int32_t UnknownName = make(0x80020006u);   // DISP_E_UNKNOWNNAME
inline constexpr std::int32_t Exception = make(0x80020009u);     // DISP_E_EXCEPTION
inline constexpr std::int32_t Overflow = make(0x8002000Au);      // DISP_E_OVERFLOW
inline constexpr std::int32_t BadParamCount = make(0x8002000Eu); // DISP_E_BADPARAMCOUNT
inline constexpr std::int32_t ClassString = make(0x800401F3u);   // CO_E_CLASSSTRING
inline constexpr std::int32_t ClassNotRegistered = make(0x80040154u); // REGDB_E_CLASSNOTREG
} // namespace olecode

// The layer's own wording of a result code, for backends that have no system
// message at hand. Never empty.
std::string describeOleCode(std::int32_t code);

// Common base of the automation errors; what() is the text the error display
// shows (UTF-8).
class AutomationError : public Error {
public:
    using Error::Error;
};

// A failing result code of the platform: object creation, lookup, call, or
// a value that cannot be coerced.
class EOleSysError : public AutomationError {
public:
    // An empty systemMessage is replaced by describeOleCode(code).
    EOleSysError(std::int32_t code, std::string systemMessage = {});
    std::int32_t code() const { return code_; }

private:
    std::int32_t code_;
};

// A member (or named argument) the object does not know, or an object
// expected where there is none. member is CP932, as the program spells it.
class EOleError : public AutomationError {
public:
    // An empty message is replaced by one that names the member.
    explicit EOleError(std::string member, std::string message = {});
    const std::string& member() const { return member_; }

private:
    std::string member_;
};

// The server raised an exception during the call. description and source are
// the server's texts (UTF-8); serverCode is the server's own code for it (0
// when it gave none). what() is the description, or a generic text naming
// the source and the server's code when the server gave none.
class EOleException : public AutomationError {
public:
    EOleException(std::string description, std::string source,
                  std::int32_t code = olecode::Exception, std::int32_t serverCode = 0);
    const std::string& description() const { return description_; }
    const std::string& source() const { return source_; }
    std::int32_t code() const { return code_; }
    std::int32_t serverCode() const { return serverCode_; }

private:
    std::string description_;
    std::string source_;
    std::int32_t code_;
    std::int32_t serverCode_;
};

// The text of a server exception: its description, or when it has none a
// generic text naming the source and the server's code.
std::string serverExceptionText(const std::string& description, const std::string& source,
                                std::int32_t serverCode);

} // namespace pravik

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace pravik {

// An object of an automation server as a backend holds it. The backend's
// subclass releases the server's reference in its destructor, so the last
// ObjectRef going away is the release: deterministic, also when a call throws.
class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;

protected:
    AutomationObject() = default;
};

using ObjectRef = std::shared_ptr<AutomationObject>;

enum class VariantKind { Empty, Text, Boolean, Integer, TextArray, Object };

// One automation value. Text is the program's CP932 text; converting it to
// whatever the server speaks is the backend's business. Copies of an object
// value share the object; the last copy that is cleared or overwritten
// releases it.
//
// Values are made through the named factories only: a constructor overload
// set would let a string literal silently become a boolean.
class Variant {
public:
    Variant() = default;

    static Variant fromText(std::string text);
    static Variant fromBool(bool value);
    static Variant fromInt(std::int32_t value);
    static Variant fromTextArray(std::vector<std::string> items);
    static Variant fromObject(ObjectRef object);

    VariantKind kind() const;
    bool isEmpty() const { return kind() == VariantKind::Empty; }
    bool isObject() const { return kind() == VariantKind::Object; }

    // The standard's type code: VT_EMPTY 0, VT_BSTR 8, VT_BOOL 11, VT_I4 3,
    // VT_ARRAY|VT_VARIANT 0x200C, VT_DISPATCH 9.
    std::uint16_t typeCode() const;

    // Raw access; each throws EOleSysError (type mismatch) on another kind.
    const std::string& text() const;
    bool boolean() const;
    std::int32_t integer() const;
    const std::vector<std::string>& textArray() const;
    const ObjectRef& object() const;

    // Coercions as a server's result is read. Integer: empty is 0, a boolean
    // is -1 or 0, a text must be a decimal number that fits in 32 bits.
    // Text: empty is "", a boolean is "True" or "False", an integer its
    // decimal digits. Everything else throws EOleSysError (type mismatch or
    // overflow); no value is made up.
    std::int32_t asInteger() const;
    std::string asText() const;

    void clear() { value_ = std::monostate{}; }

    // Structural equality; objects compare by identity.
    bool operator==(const Variant&) const = default;

private:
    using Value = std::variant<std::monostate, std::string, bool, std::int32_t,
                               std::vector<std::string>, ObjectRef>;
    explicit Variant(Value value) : value_(std::move(value)) {}
    Value value_;
};

} // namespace pravik

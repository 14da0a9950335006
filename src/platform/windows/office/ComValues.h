#pragma once

#include "AutomationBackend.h"

#include <oaidl.h>

#include <memory>
#include <string>

namespace pravik::win {

// The automation object behind an ObjectRef: one IDispatch reference,
// released when the last ObjectRef goes. `owner` (may be empty) lives until
// the reference is released: whoever made the object learns that way when
// nothing of its server is held any more.
class ComObject final : public AutomationObject {
public:
    // Takes the reference.
    explicit ComObject(IDispatch* dispatch, std::shared_ptr<const void> owner = {})
        : dispatch_(dispatch), owner_(std::move(owner))
    {
    }
    ~ComObject() override { dispatch_->Release(); }
    IDispatch* dispatch() const { return dispatch_; }
    const std::shared_ptr<const void>& owner() const { return owner_; }

private:
    IDispatch* dispatch_;
    std::shared_ptr<const void> owner_;
};

// A VARIANT that is cleared when it goes.
class ComVariant {
public:
    ComVariant() { ::VariantInit(&value_); }
    ~ComVariant() { ::VariantClear(&value_); }
    ComVariant(const ComVariant&) = delete;
    ComVariant& operator=(const ComVariant&) = delete;
    VARIANT* get() { return &value_; }

private:
    VARIANT value_;
};

// The layer's value as a VARIANT (cleared first). Texts become BSTRs from
// CP932; an array becomes a one-dimensional SAFEARRAY of VARIANT BSTRs with
// bounds 0..n-1. Throws EOleSysError (type mismatch) for text CP932 cannot
// decode and for an object of another backend.
void toComVariant(const Variant& value, VARIANT& out);

// A server's result as the layer's value. Kinds the layer does not hold are
// coerced where that loses nothing (other integers, whole numbers, dates as
// text); the rest is refused with EOleSysError. A text CP932 cannot hold is
// refused, never replaced by a lookalike. An object gets `owner` (see
// ComObject).
Variant fromComVariant(VARIANT& value, const std::shared_ptr<const void>& owner = {});

// The text of a BSTR as UTF-8, for messages.
std::string utf8OfBstr(BSTR text);

} // namespace pravik::win

#include "ComValues.h"

#include "AutomationErrors.h"
#include "TextCodec.h"
#include "WideText.h"

#include <cmath>

namespace pravik::win {

namespace {

BSTR bstrOf(const std::string& cp932)
{
    std::wstring wide;
    try {
        wide = widen(cp932);
    } catch (const codec::ConversionError& error) {
        throw EOleSysError(olecode::TypeMismatch, error.what());
    }
    BSTR text = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!text)
        throw EOleSysError(olecode::make(0x8007000Eu)); // E_OUTOFMEMORY
    return text;
}

std::string textOfBstr(BSTR text)
{
    try {
        return narrow(std::wstring_view(text, ::SysStringLen(text)));
    } catch (const codec::ConversionError& error) {
        throw EOleSysError(olecode::TypeMismatch, error.what());
    }
}

void check(HRESULT hr)
{
    if (FAILED(hr))
        throw EOleSysError(static_cast<std::int32_t>(hr));
}

SAFEARRAY* arrayOf(const std::vector<std::string>& items)
{
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
    if (!array)
        throw EOleSysError(olecode::make(0x8007000Eu));
    try {
        for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
            ComVariant item;
            item.get()->vt = VT_BSTR;
            item.get()->bstrVal = bstrOf(items[static_cast<size_t>(i)]);
            check(::SafeArrayPutElement(array, &i, item.get())); // copies the element
        }
    } catch (...) {
        ::SafeArrayDestroy(array);
        throw;
    }
    return array;
}

std::vector<std::string> textsOf(VARIANT& value)
{
    SAFEARRAY* array = (value.vt & VT_BYREF) ? *value.pparray : value.parray;
    const VARTYPE element = value.vt & VT_TYPEMASK;
    if (!array || ::SafeArrayGetDim(array) != 1 || (element != VT_BSTR && element != VT_VARIANT))
        throw EOleSysError(olecode::TypeMismatch, "サーバーが扱えない配列を返しました");
    LONG lower = 0, upper = -1;
    check(::SafeArrayGetLBound(array, 1, &lower));
    check(::SafeArrayGetUBound(array, 1, &upper));
    std::vector<std::string> items;
    for (LONG i = lower; i <= upper; ++i) {
        ComVariant item;
        if (element == VT_BSTR) {
            BSTR text = nullptr;
            check(::SafeArrayGetElement(array, &i, &text));
            item.get()->vt = VT_BSTR;
            item.get()->bstrVal = text;
        } else {
            check(::SafeArrayGetElement(array, &i, item.get()));
        }
        Variant converted = fromComVariant(*item.get());
        if (converted.kind() != VariantKind::Text)
            throw EOleSysError(olecode::TypeMismatch, "サーバーが文字列以外を含む配列を返しました");
        items.push_back(converted.text());
    }
    return items;
}

bool isNumber(VARTYPE type)
{
    switch (type) {
    case VT_I1: case VT_I2: case VT_UI1: case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT:
    case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

// A copy of `value` as `type`; the code of the failed coercion otherwise.
void coerce(VARIANT& value, VARTYPE type, VARIANT& out)
{
    check(::VariantChangeTypeEx(&out, &value, kLocaleSystemDefault, 0, type));
}

} // namespace

void toComVariant(const Variant& value, VARIANT& out)
{
    ::VariantClear(&out);
    switch (value.kind()) {
    case VariantKind::Empty: break;
    case VariantKind::Text:
        out.bstrVal = bstrOf(value.text());
        out.vt = VT_BSTR;
        break;
    case VariantKind::Boolean:
        out.vt = VT_BOOL;
        out.boolVal = value.boolean() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VariantKind::Integer:
        out.vt = VT_I4;
        out.lVal = value.integer();
        break;
    case VariantKind::TextArray:
        out.parray = arrayOf(value.textArray());
        out.vt = VT_ARRAY | VT_VARIANT;
        break;
    case VariantKind::Object: {
        auto* object = dynamic_cast<const ComObject*>(value.object().get());
        if (!object)
            throw EOleSysError(olecode::TypeMismatch, "別の仕組みのオブジェクトは渡せません");
        object->dispatch()->AddRef();
        out.vt = VT_DISPATCH;
        out.pdispVal = object->dispatch();
        break;
    }
    }
}

Variant fromComVariant(VARIANT& value, const std::shared_ptr<const void>& owner)
{
    if (value.vt & VT_ARRAY)
        return Variant::fromTextArray(textsOf(value));
    if (value.vt & VT_BYREF) {
        ComVariant direct;
        check(::VariantCopyInd(direct.get(), &value));
        return fromComVariant(*direct.get(), owner);
    }
    switch (value.vt) {
    case VT_EMPTY: return Variant();
    case VT_BSTR: return Variant::fromText(value.bstrVal ? textOfBstr(value.bstrVal) : std::string());
    case VT_BOOL: return Variant::fromBool(value.boolVal != VARIANT_FALSE);
    case VT_I4: return Variant::fromInt(value.lVal);
    case VT_DISPATCH: {
        if (!value.pdispVal)
            return Variant();
        IDispatch* dispatch = value.pdispVal;
        value.vt = VT_EMPTY; // the reference moves to the object
        return Variant::fromObject(std::make_shared<ComObject>(dispatch, owner));
    }
    case VT_UNKNOWN: {
        IDispatch* dispatch = nullptr;
        if (!value.punkVal
            || FAILED(value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
            throw EOleSysError(olecode::TypeMismatch, "サーバーがオートメーションに対応しないオブジェクトを返しました");
        return Variant::fromObject(std::make_shared<ComObject>(dispatch, owner));
    }
    case VT_ERROR: throw EOleSysError(static_cast<std::int32_t>(value.scode));
    case VT_NULL: throw EOleSysError(olecode::TypeMismatch, "サーバーが値のない結果 (Null) を返しました");
    case VT_DATE: {
        ComVariant text;
        coerce(value, VT_BSTR, *text.get());
        return fromComVariant(*text.get());
    }
    default: break;
    }
    if (isNumber(value.vt)) {
        // Whole numbers as integers (an overflow is refused); fractions as
        // their text, which keeps every digit.
        ComVariant real;
        coerce(value, VT_R8, *real.get());
        ComVariant converted;
        const bool whole = std::floor(real.get()->dblVal) == real.get()->dblVal;
        coerce(value, whole ? VT_I4 : VT_BSTR, *converted.get());
        return fromComVariant(*converted.get());
    }
    throw EOleSysError(olecode::TypeMismatch, "サーバーが扱えない種類の値 (VARTYPE "
                                                  + std::to_string(value.vt) + ") を返しました");
}

std::string utf8OfBstr(BSTR text)
{
    return text ? utf8Of(std::wstring_view(text, ::SysStringLen(text))) : std::string();
}

} // namespace pravik::win

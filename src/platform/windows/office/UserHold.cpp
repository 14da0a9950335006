#include "UserHold.h"

#include "OwnCalls.h"

namespace pravik::win {

namespace {

constexpr LONG kWordAlertsAll = -1; // wdAlertsAll

// Word has Documents, Excel has Workbooks.
std::optional<DISPID> collectionId(IDispatch* application, bool& word)
{
    if (const std::optional<DISPID> documents = memberId(application, L"Documents")) {
        word = true;
        return documents;
    }
    word = false;
    return memberId(application, L"Workbooks");
}

void put(IDispatch* application, const wchar_t* name, VARIANT value)
{
    if (const std::optional<DISPID> id = memberId(application, name))
        putProperty(application, *id, value);
}

} // namespace

std::optional<long> documentsOpen(IDispatch* application)
{
    bool word = false;
    const std::optional<DISPID> collection = collectionId(application, word);
    if (!collection)
        return std::nullopt;
    VARIANT value;
    ::VariantInit(&value);
    if (!getProperty(application, *collection, value))
        return std::nullopt;
    std::optional<long> count;
    if (value.vt == VT_DISPATCH && value.pdispVal) {
        VARIANT number;
        ::VariantInit(&number);
        const std::optional<DISPID> countId = memberId(value.pdispVal, L"Count");
        if (countId && getProperty(value.pdispVal, *countId, number)
            && SUCCEEDED(::VariantChangeType(&number, &number, 0, VT_I4)))
            count = number.lVal;
        ::VariantClear(&number);
    }
    ::VariantClear(&value);
    return count;
}

void handToUser(IDispatch* application)
{
    bool word = false;
    collectionId(application, word);
    VARIANT yes;
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    VARIANT alerts = yes;
    if (word) {
        alerts.vt = VT_I4;
        alerts.lVal = kWordAlertsAll;
    }
    put(application, L"DisplayAlerts", alerts);
    if (!word)
        put(application, L"UserControl", yes);
    put(application, L"Visible", yes);
}

} // namespace pravik::win

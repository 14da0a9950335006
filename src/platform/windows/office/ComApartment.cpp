#include "ComApartment.h"

#include <objbase.h>

namespace pravik::win {

ComApartment::ComApartment()
{
    // No DDE for OLE 1: nothing here speaks it, and its broadcasts would
    // wait on this thread.
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // S_FALSE joins COM the thread already has, and must be left as well;
    // RPC_E_CHANGED_MODE keeps the thread's multithreaded apartment.
    joined_ = SUCCEEDED(hr);
}

ComApartment::~ComApartment()
{
    if (joined_)
        ::CoUninitialize();
}

} // namespace pravik::win

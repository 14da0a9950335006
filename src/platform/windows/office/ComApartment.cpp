#include "ComApartment.h"

#include <objbase.h>

namespace pravik::win {

ComApartment::ComApartment()
{
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE joins COM the thread already has, and must be left as well;
    // RPC_E_CHANGED_MODE keeps the thread's multithreaded apartment.
    joined_ = SUCCEEDED(hr);
}

ComApartment::~ComApartment()
{
    if (joined_)
        ::CoUninitialize();
}

void enterApartmentForThisThread()
{
    // Left when the thread ends, after the objects its calls made (held by
    // the jobs' values) are gone.
    thread_local ComApartment apartment;
}

} // namespace pravik::win

#include "DefaultPrinterKeeper.h"

#include <windows.h>

#include <winspool.h>

namespace pravik::win {

namespace {

// Empty when there is no default printer.
std::wstring defaultPrinter()
{
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    std::wstring name(size, L'\0');
    if (size == 0 || !::GetDefaultPrinterW(name.data(), &size))
        return {};
    name.resize(size > 0 ? size - 1 : 0);
    return name;
}

} // namespace

void DefaultPrinterKeeper::noteDefault()
{
    std::lock_guard lock(mutex_);
    if (!before_)
        before_ = defaultPrinter();
}

void DefaultPrinterKeeper::noteDefaultAfresh()
{
    std::lock_guard lock(mutex_);
    before_ = defaultPrinter();
}

void DefaultPrinterKeeper::putBack()
{
    std::lock_guard lock(mutex_);
    if (before_ && !before_->empty() && defaultPrinter() != *before_)
        ::SetDefaultPrinterW(before_->c_str());
}

DefaultPrinterKeeper::~DefaultPrinterKeeper()
{
    putBack();
}

} // namespace pravik::win

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
    if (!before_)
        before_ = defaultPrinter();
}

DefaultPrinterKeeper::~DefaultPrinterKeeper()
{
    if (before_ && !before_->empty() && defaultPrinter() != *before_)
        ::SetDefaultPrinterW(before_->c_str());
}

} // namespace pravik::win

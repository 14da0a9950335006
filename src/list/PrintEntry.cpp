#include "PrintEntry.h"

#include <stdexcept>

namespace pravik {

std::string& PrintEntry::field(int index)
{
    return const_cast<std::string&>(static_cast<const PrintEntry&>(*this).field(index));
}

const std::string& PrintEntry::field(int index) const
{
    switch (index) {
    case 0: return fileName;
    case 1: return memo;
    case 2: return pagesOrSheets;
    case 3: return extension;
    case 4: return copies;
    case 5: return printer;
    case 6: return filePath;
    }
    throw std::out_of_range("PrintEntry::field");
}

} // namespace pravik

#include "PrintEntry.h"

#include <stdexcept>

namespace pravik {

std::string& PrintEntry::field(int index)
{
    if (index < 0 || index >= fieldCount)
        throw std::out_of_range("PrintEntry::field");
    return this->*fields[index];
}

const std::string& PrintEntry::field(int index) const
{
    if (index < 0 || index >= fieldCount)
        throw std::out_of_range("PrintEntry::field");
    return this->*fields[index];
}

} // namespace pravik

#include "SystemPrinters.h"

#include <gtest/gtest.h>

namespace pravik::printers {
namespace {

// Whatever this machine has (often no scheduler at all), asking must not fail.
TEST(CupsPrinterSourceTest, QueryOfThisSystem)
{
    EXPECT_NO_THROW(makeCupsPrinterSource()->query());
}

} // namespace
} // namespace pravik::printers

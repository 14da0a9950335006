#pragma once

#include <guiddef.h>

namespace pravik::test {

// The classes the test server registers in the Wine prefix under the
// office servers' ProgIDs.
// {3C5B1A70-8E2D-4F6A-B1C9-2D7E0A4F5B61}
inline constexpr CLSID kTestExcelClsid = {
    0x3c5b1a70, 0x8e2d, 0x4f6a, {0xb1, 0xc9, 0x2d, 0x7e, 0x0a, 0x4f, 0x5b, 0x61}};
// {3C5B1A71-8E2D-4F6A-B1C9-2D7E0A4F5B61}
inline constexpr CLSID kTestWordClsid = {
    0x3c5b1a71, 0x8e2d, 0x4f6a, {0xb1, 0xc9, 0x2d, 0x7e, 0x0a, 0x4f, 0x5b, 0x61}};

} // namespace pravik::test

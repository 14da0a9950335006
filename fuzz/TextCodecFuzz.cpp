// Feeds arbitrary bytes to the CP932 codec both ways. Text that decodes
// encodes back to bytes that decode to the same text (CP932 has a few
// duplicate codes, so the bytes themselves may differ), and the display form
// never throws and never loses a byte silently.
#include "TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace pravik::codec;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string shown = toDisplay(bytes);
    if (shown.size() < bytes.size())
        std::abort(); // every byte leaves a trace (a double-byte character is at least 2 UTF-8 bytes)

    try {
        const std::string utf8 = toUtf8(bytes);
        if (toUtf8(fromUtf8(utf8)) != utf8)
            std::abort();
        if (shown != utf8)
            std::abort();
    } catch (const ConversionError&) {
    }

    // The same bytes taken as UTF-8 typed by the user.
    try {
        const std::string cp932 = fromUtf8(bytes);
        if (fromUtf8(toUtf8(cp932)) != cp932)
            std::abort();
    } catch (const ConversionError&) {
    }
    return 0;
}

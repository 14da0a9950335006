// Feeds arbitrary bytes to the page-range readers: the stored Word page text
// and the office's page-range parser. Stored text round-trips through the
// quotes; ranges that parse, written in the office's form, parse the same.
#include "Error.h"
#include "PageRanges.h"
#include "SheetListText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (!text.empty() && pravik::pageRangesOf(pravik::pageRangeText(text)) != text)
        std::abort();
    const std::string inner = pravik::pageRangesOf(text);
    if (inner.size() > text.size())
        std::abort();

    try {
        const auto spans = pravik::parsePageRanges(text);
        for (const auto& span : spans) {
            if (span.first == pravik::PageMark{} || span.first.page < 0 || span.first.section < 0)
                std::abort();
            // A range of plain pages never runs backwards.
            if (!span.inSections() && span.last.page != 0 && span.last.page < span.first.page)
                std::abort();
        }
        const std::string office = pravik::officePageRanges(spans);
        if (!office.empty() && pravik::parsePageRanges(office) != spans)
            std::abort();
        (void)pravik::anyPageWithin(spans, static_cast<int>(size));
    } catch (const pravik::Error&) {
    }
    return 0;
}

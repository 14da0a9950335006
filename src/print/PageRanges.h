#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// One range of a page-range text; `last` is 0 for "to the end".
struct PageSpan {
    int first = 0;
    int last = 0;
    bool operator==(const PageSpan&) const = default;
};

// Reads a page-range text (CP932) as users type it: pages and ranges separated by
// commas, such as "1-10,15-30", "3" or "5-" (page 5 to the end); blanks are
// ignored. Throws pravik::Error naming the text when it is anything else:
// the office would otherwise print nothing, or everything, without a word.
std::vector<PageSpan> parsePageRanges(std::string_view text);

// The ranges as the office's page-range text.
std::string officePageRanges(const std::vector<PageSpan>& spans);

// True when at least one page of the ranges lies within 1..pageCount.
bool anyPageWithin(const std::vector<PageSpan>& spans, int pageCount);

} // namespace pravik

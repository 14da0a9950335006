#include "PageRanges.h"

#include "Blanks.h"
#include "Error.h"
#include "TextCodec.h"

#include <charconv>

namespace pravik {

namespace {

constexpr int kMaxPage = 999999;

[[noreturn]] void refuse(std::string_view text)
{
    throw Error("ページ範囲 '" + codec::toDisplay(text) + "' が正しくありません（例： 1-10,15-30）");
}

// A page number at `at`, after blanks; 0 when there is none.
int readPage(std::string_view text, size_t& at, std::string_view whole)
{
    while (at < text.size() && isBlank(text[at]))
        ++at;
    int page = 0;
    const char* begin = text.data() + at;
    const auto result = std::from_chars(begin, text.data() + text.size(), page);
    if (result.ptr == begin)
        return 0;
    if (result.ec != std::errc() || page < 1 || page > kMaxPage)
        refuse(whole);
    at += static_cast<size_t>(result.ptr - begin);
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return page;
}

} // namespace

std::vector<PageSpan> parsePageRanges(std::string_view text)
{
    std::vector<PageSpan> spans;
    size_t at = 0;
    for (;;) {
        PageSpan span;
        span.first = readPage(text, at, text);
        if (span.first == 0)
            refuse(text);
        span.last = span.first;
        if (at < text.size() && text[at] == '-') {
            ++at;
            span.last = readPage(text, at, text);
            if (span.last != 0 && span.last < span.first)
                refuse(text);
        }
        spans.push_back(span);
        if (at == text.size())
            return spans;
        if (text[at] != ',')
            refuse(text);
        ++at;
    }
}

std::string officePageRanges(const std::vector<PageSpan>& spans)
{
    std::string text;
    for (const PageSpan& span : spans) {
        if (!text.empty())
            text += ',';
        text += std::to_string(span.first);
        if (span.last != span.first) {
            text += '-';
            if (span.last != 0)
                text += std::to_string(span.last);
        }
    }
    return text;
}

bool anyPageWithin(const std::vector<PageSpan>& spans, int pageCount)
{
    for (const PageSpan& span : spans)
        if (span.first <= pageCount)
            return true;
    return false;
}

} // namespace pravik

#include "PageRanges.h"

#include "Blanks.h"
#include "Error.h"
#include "TextCodec.h"

#include <charconv>

namespace pravik {

namespace {

constexpr int kMaxPage = 999999;

[[noreturn]] void refuseText(std::string_view text)
{
    throw Error("ページ範囲 '" + codec::toDisplay(text) + "' が正しくありません（例： 1-10,15-30）");
}

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The ASCII form of a two-byte CP932 character of a page range; 0 for none.
char asciiOf(unsigned char lead, unsigned char trail)
{
    if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) // ０-９
        return static_cast<char>('0' + (trail - 0x4F));
    if (lead == 0x82) {
        switch (trail) {
        case 0x6F: return 'P'; // Ｐ
        case 0x72: return 'S'; // Ｓ
        case 0x90: return 'p'; // ｐ
        case 0x93: return 's'; // ｓ
        default: return 0;
        }
    }
    if (lead != 0x81)
        return 0;
    switch (trail) {
    case 0x40: return ' '; // ideographic space
    case 0x41:             // 、
    case 0x43: return ','; // ，
    case 0x5B:             // ー
    case 0x5D:             // ‐
    case 0x60:             // ～ (and the wave dash 〜)
    case 0x7C: return '-'; // －
    default: return 0;
    }
}

class RangeReader {
public:
    RangeReader(std::string_view text, std::string_view shown) : text_(text), shown_(shown) {}

    bool atEnd() { return skipBlanks() == text_.size(); }
    bool take(char wanted)
    {
        skipBlanks();
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (at_ < text_.size() && lower(text_[at_]) == wanted) {
            ++at_;
            return true;
        }
        return false;
    }

    // A page number; 0 when none stands here.
    int number()
    {
        skipBlanks();
        int value = 0;
        const char* begin = text_.data() + at_;
        const auto result = std::from_chars(begin, text_.data() + text_.size(), value);
        if (result.ptr == begin)
            return 0;
        if (result.ec != std::errc() || value < 1 || value > kMaxPage)
            refuseText(shown_);
        at_ += static_cast<size_t>(result.ptr - begin);
        return value;
    }

    int required()
    {
        const int value = number();
        if (value == 0)
            refuseText(shown_);
        return value;
    }

    // "3", "p3s2" or "s2"; {0, 0} when nothing stands here.
    PageMark mark()
    {
        PageMark mark;
        if (take('p')) {
            mark.page = required();
            if (!take('s'))
                refuseText(shown_);
            mark.section = required();
        } else if (take('s')) {
            mark.section = required();
        } else {
            mark.page = number();
        }
        return mark;
    }

    [[noreturn]] void refuse() const { refuseText(shown_); }

private:
    size_t skipBlanks()
    {
        while (at_ < text_.size() && isBlank(text_[at_]))
            ++at_;
        return at_;
    }

    std::string_view text_;
    std::string_view shown_; // as typed, for the message
    size_t at_ = 0;
};

bool before(const PageMark& last, const PageMark& first)
{
    if (last.section != first.section)
        return last.section != 0 && first.section != 0 && last.section < first.section;
    return last.page != 0 && last.page < first.page;
}

std::string markText(const PageMark& mark)
{
    if (mark.section == 0)
        return std::to_string(mark.page);
    const std::string section = "s" + std::to_string(mark.section);
    return mark.page == 0 ? section : "p" + std::to_string(mark.page) + section;
}

} // namespace

std::string asciiPageText(std::string_view cp932)
{
    std::string ascii;
    ascii.reserve(cp932.size());
    for (size_t i = 0; i < cp932.size(); ++i) {
        const auto lead = static_cast<unsigned char>(cp932[i]);
        if (!isLeadByte(lead) || i + 1 == cp932.size()) {
            ascii += cp932[i];
            continue;
        }
        const char mapped = asciiOf(lead, static_cast<unsigned char>(cp932[i + 1]));
        if (mapped)
            ascii += mapped;
        else
            ascii.append(cp932.substr(i, 2));
        ++i;
    }
    return ascii;
}

std::vector<PageSpan> parsePageRanges(std::string_view text)
{
    const std::string ascii = asciiPageText(text);
    RangeReader reader(ascii, text);
    std::vector<PageSpan> spans;
    for (;;) {
        PageSpan span;
        span.first = reader.mark();
        if (span.first == PageMark{})
            reader.refuse();
        span.last = span.first;
        if (reader.take('-')) {
            span.last = reader.mark();
            // "p1s2-" has no end Word understands.
            if ((span.last == PageMark{} && span.first.section != 0) || before(span.last, span.first))
                reader.refuse();
        }
        spans.push_back(span);
        if (reader.atEnd())
            return spans;
        if (!reader.take(','))
            reader.refuse();
    }
}

std::string sectionPagesProblem(const std::vector<PageSpan>& spans)
{
    if (kSectionPagesPrintable)
        return {};
    for (const PageSpan& span : spans)
        if (span.inSections())
            return "セクションごとのページ範囲 '" + officePageRanges({span})
                + "' は、この環境では印刷できません。文書全体のページ番号で指定してください";
    return {};
}

std::string officePageRanges(const std::vector<PageSpan>& spans)
{
    std::string text;
    for (const PageSpan& span : spans) {
        if (!text.empty())
            text += ',';
        text += markText(span.first);
        if (span.last != span.first) {
            text += '-';
            if (span.last != PageMark{})
                text += markText(span.last);
        }
    }
    return text;
}

bool anyPageWithin(const std::vector<PageSpan>& spans, int pageCount)
{
    for (const PageSpan& span : spans)
        if (span.inSections() || span.first.page <= pageCount)
            return true;
    return false;
}

void checkPagesWithin(const std::vector<PageSpan>& spans, int pageCount, const std::string& shownDocument)
{
    if (!anyPageWithin(spans, pageCount))
        throw Error("ページ範囲 '" + officePageRanges(spans) + "' のページは文書 " + shownDocument
                    + " にありません（" + std::to_string(pageCount) + " ページ）");
}

} // namespace pravik

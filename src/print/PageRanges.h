#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// One end of a page range: a page of the document ("3"), or a page as a
// section numbers it ("p3s2": page 3 of section 2; "s2": all of section 2,
// page 0), which Word prints and numbering that restarts per section needs.
struct PageMark {
    int page = 0;
    int section = 0; // 0: a page of the whole document
    bool operator==(const PageMark&) const = default;
};

// One range of a page-range text; `last` is {0, 0} for "to the end".
struct PageSpan {
    PageMark first;
    PageMark last;
    bool operator==(const PageSpan&) const = default;
    bool inSections() const { return first.section != 0 || last.section != 0; }
};

// Reads a page-range text (CP932) as users type it: pages, ranges and
// section forms separated by commas, such as "1-10,15-30", "3", "5-" (page
// 5 to the end) or "p1s2-p3s2", also in full-width forms; blanks are ignored. Throws pravik::Error
// naming the text when it is anything else: the office would otherwise print
// nothing, or everything, without a word.
std::vector<PageSpan> parsePageRanges(std::string_view text);

// The text with what a Japanese input method types for the characters of a
// page range (full-width digits, commas, dashes, blanks, "ｐ" and "ｓ", the
// long-vowel mark and the wave dash typed as a dash) in their ASCII forms;
// everything else as it stands.
std::string asciiPageText(std::string_view cp932);

// The ranges as the office's page-range text, blanks left out.
std::string officePageRanges(const std::vector<PageSpan>& spans);

// Whether the office of this system prints pages as sections number them:
// Word does; the Linux engine numbers the pages of the whole document only.
#ifdef _WIN32
inline constexpr bool kSectionPagesPrintable = true;
#else
inline constexpr bool kSectionPagesPrintable = false;
#endif

// Why the office of this system refuses the ranges (UTF-8); empty when it
// takes them.
std::string sectionPagesProblem(const std::vector<PageSpan>& spans);

// True when at least one page of the ranges lies within 1..pageCount, or
// when a range names sections, whose pages the count cannot tell.
bool anyPageWithin(const std::vector<PageSpan>& spans, int pageCount);

// Throws pravik::Error when no page of the ranges lies within pageCount,
// naming the ranges and the document (UTF-8, as shown to the user).
void checkPagesWithin(const std::vector<PageSpan>& spans, int pageCount, const std::string& shownDocument);

} // namespace pravik

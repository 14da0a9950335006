#include "PrintReadiness.h"

#include "Blanks.h"
#include "DocumentKind.h"
#include "Error.h"
#include "PageRanges.h"
#include "SheetListText.h"
#include "TextCodec.h"

#include <algorithm>
#include <charconv>

namespace pravik {

namespace {

const std::string kCopiesHint = "1 から " + std::to_string(kMaxCopies) + " までの数を入れてください";

// True for a count a run takes, as decimal digits with an optional '+'.
bool isCopiesCount(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int count = 0;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), count);
    return !text.empty() && read.ec == std::errc() && read.ptr == text.data() + text.size() && count >= 1
        && count <= kMaxCopies;
}

bool printerInstalled(const std::string& printer, const std::vector<std::string>& installed)
{
    const std::string wanted = asciiLower(printer);
    return std::any_of(installed.begin(), installed.end(),
                       [&](const std::string& name) { return asciiLower(name) == wanted; });
}

} // namespace

std::string copiesProblem(const std::string& copies)
{
    const std::string_view text = trimBlanks(copies);
    if (text.empty())
        return "部数が空です。" + kCopiesHint;
    if (!isCopiesCount(text))
        return "部数 '" + codec::toDisplay(text) + "' は使えません。" + kCopiesHint;
    return {};
}

void checkCopies(const std::string& copies)
{
    if (std::string problem = copiesProblem(copies); !problem.empty())
        throw Error(problem);
}

std::vector<std::string> printProblems(const PrintEntry& entry, const std::vector<std::string>& installed)
{
    std::vector<std::string> problems;
    if (std::string copies = copiesProblem(entry.copies); !copies.empty())
        problems.push_back(std::move(copies));
    if (documentKindOfExtension(entry.extension) == DocumentKind::Word && !entry.pagesOrSheets.empty()) {
        try {
            if (std::string sections = sectionPagesProblem(parsePageRanges(pageRangesOf(entry.pagesOrSheets)));
                !sections.empty())
                problems.push_back(std::move(sections));
        } catch (const Error& error) {
            problems.emplace_back(error.what());
        }
    }
    if (entry.printer.empty())
        problems.emplace_back("プリンターが選ばれていません");
    else if (!installed.empty() && !printerInstalled(entry.printer, installed))
        problems.push_back("プリンター " + codec::toDisplay(entry.printer) + " が見つかりません");
    return problems;
}

} // namespace pravik

#include "OfficeJobs.h"

#include "JobNotes.h"
#include "PageRanges.h"
#include "PrintReadiness.h"
#include "StartedApplication.h"
#include "TextCodec.h"
#include "WordFields.h"
#include "WordSettings.h"

#include <algorithm>
#include <optional>

namespace pravik {

namespace {

constexpr std::int32_t kStatisticPages = 2;    // wdStatisticPages
constexpr std::int32_t kPrintRangeOfPages = 4; // the pages listed in "Pages"
constexpr std::int32_t kDocumentContent = 0;
constexpr std::int32_t kAllPagesOfRange = 0;   // odd and even pages
constexpr std::int32_t kAdjustedPageNumber = 1; // wdActiveEndAdjustedPageNumber

// Read-only, never into the recent files, and without any of the questions
// Word asks on opening (conversion, encoding, passwords, a file in use),
// which would wait where nobody sees them.
Variant openDocument(AutomationCall& automation, const Variant& documents, const std::string& path)
{
    return automation.execute(documents, AutoCmd(CallKind::Function, "Open")
                                             .arg(Variant::fromText(path))
                                             .named("ConfirmConversions", Variant::fromBool(false))
                                             .named("ReadOnly", Variant::fromBool(true))
                                             .named("AddToRecentFiles", Variant::fromBool(false))
                                             .named("PasswordDocument", Variant::fromText(kNoPassword))
                                             .named("WritePasswordDocument", Variant::fromText(kNoPassword))
                                             .named("NoEncodingDialog", Variant::fromBool(true)));
}

// Word prints nothing, and says nothing, for pages past the document's end.
// Asked once Word lays the document out for the row's printer: pagination
// follows the printer.
void checkPages(AutomationCall& automation, const Variant& document, const std::vector<PageSpan>& spans,
                const std::string& path)
{
    if (std::any_of(spans.begin(), spans.end(), [](const PageSpan& span) { return span.inSections(); }))
        return; // the pages of sections are Word's to find
    const std::int32_t pages =
        automation
            .execute(document, AutoCmd(CallKind::Function, "ComputeStatistics").arg(Variant::fromInt(kStatisticPages)))
            .asInteger();
    // Word reads the ranges as the numbers it shows on the pages. Where those
    // differ from the count (numbering from 5, or restarted per section),
    // which pages exist is Word's to decide.
    const Variant content = automation.execute(document, AutoCmd(CallKind::PropertyGet, "Content"));
    const std::int32_t lastShown =
        automation
            .execute(content, AutoCmd(CallKind::PropertyGet, "Information").arg(Variant::fromInt(kAdjustedPageNumber)))
            .asInteger();
    if (lastShown == pages)
        checkPagesWithin(spans, pages, codec::toDisplay(path));
}

AutoCmd printOut(const PrintEntry& entry, const std::optional<std::vector<PageSpan>>& pages)
{
    AutoCmd print(CallKind::Procedure, "PrintOut");
    // Returns once the print has reached the spooler.
    print.named("Background", Variant::fromBool(false));
    if (pages) {
        print.named("Range", Variant::fromInt(kPrintRangeOfPages))
            .named("Item", Variant::fromInt(kDocumentContent))
            .named("Pages", Variant::fromText(officePageRanges(*pages)))
            .named("PageType", Variant::fromInt(kAllPagesOfRange));
    }
    print.named("Copies", Variant::fromText(entry.copies));
    return print;
}

} // namespace

void PrintWordFile(const PrintEntry& entry, PrintMode mode, AutomationCall& automation)
{
    // A text Word cannot read fails the row before Word starts.
    std::optional<std::vector<PageSpan>> pages;
    if (!entry.pagesOrSheets.empty())
        pages = parsePageRanges(pageRangesOf(entry.pagesOrSheets));
    if (mode == PrintMode::Print) {
        // Refused in the field's own words, before the office starts.
        checkCopies(entry.copies);
        automation.checkPrinter(entry.printer);
    }
    automation.checkDocument(entry.filePath);

    StartedApplication word(automation, OfficeKind::Word, createOfficeApplication(automation, kWordProgId));
    try {
        automation.setProperty(word.app(), "DisplayAlerts", Variant::fromBool(false));
        const Variant documents = automation.execute(word.app(), AutoCmd(CallKind::PropertyGet, "Documents"));
        word.setCollection(documents);
        // The document Open returns, never the active one: a user's own
        // document may be active in this Word.
        const Variant document = openDocument(automation, documents, entry.filePath);
        word.setOpened(document);
        const Variant window = automation.execute(document, AutoCmd(CallKind::PropertyGet, "ActiveWindow"));

        WordPrinter printer(automation, word.app());
        printer.use(entry.printer);
        if (pages && mode == PrintMode::Print)
            checkPages(automation, document, *pages, entry.filePath);
        WordPrintOptions options(automation, word.app());
        options.setForPrinting();
        if (mode == PrintMode::Print) {
            if (const int locked = lockFieldsThatAsk(automation, document); locked > 0)
                jobnotes::report("入力を求めるフィールド（FILLIN・ASK）" + std::to_string(locked)
                                 + " 個は、文書に保存された値のまま印刷しました");
        }

        switch (mode) {
        case PrintMode::Print:
            automation.execute(window, printOut(entry, pages));
            options.restore();
            printer.restore();
            word.finish();
            break;
        case PrintMode::Preview:
            // Handed over as the user's Word: their options and alerts, so a
            // document changed in the preview is neither saved nor dropped
            // without a question. The row's printer stays this Word's (never
            // the default of Windows): the preview shows the pages as that
            // printer lays them out, and printing from it prints there.
            options.restore();
            printer.keep();
            word.handToUser();
            automation.callProcedure(document, "PrintPreview");
            break;
        }
    } catch (...) {
        word.finishAfterFailure();
        throw;
    }
}

} // namespace pravik

#include "OfficePrinting.h"

#include "CupsJobCancel.h"
#include "CupsQueues.h"
#include "Error.h"
#include "JobNotes.h"
#include "NothingToPrint.h"
#include "OfficeLifetime.h"
#include "StepTimes.h"
#include "SpoolFile.h"
#include "SubmissionGate.h"
#include "TextCodec.h"

#include <com/sun/star/view/XPrintable.hpp>
#include <osl/file.hxx>

#include <filesystem>
#include <optional>

namespace pravik::office {

namespace {

rtl::OUString printerNameOf(const Reference<css::view::XPrintable>& printable)
{
    const Sequence<css::beans::PropertyValue> settings = printable->getPrinter();
    for (const css::beans::PropertyValue& setting : settings) {
        rtl::OUString name;
        if (setting.Name == "Name" && (setting.Value >>= name))
            return name;
    }
    return {};
}

std::string jobTitle(const OfficeDocument& document)
{
    return std::filesystem::path(codec::toDisplay(document.path())).filename().string();
}

} // namespace

std::string checkedQueue(const std::string& cp932Printer)
{
    if (cp932Printer.empty())
        throw Error("プリンター名が空です");
    std::string queue;
    try {
        queue = codec::toUtf8(cp932Printer);
    } catch (const codec::ConversionError&) {
        throw Error("プリンター " + codec::toDisplay(cp932Printer) + " が見つかりません");
    }
    const std::optional<printers::Queue> found = printers::findQueue(queue);
    if (!found)
        throw Error("プリンター " + queue + " が見つかりません");
    // The print system's own spelling: the office knows no other.
    return found->shownName();
}

void printDocument(const OfficeDocument& document, const PrintRequest& request)
{
    const std::string named = request.printer.empty() ? printers::defaultQueue() : request.printer;
    if (named.empty())
        throw Error("既定のプリンターがありません");
    const std::optional<printers::Queue> found = printers::findQueue(named);
    if (!found)
        throw Error("プリンター " + named + " が見つかりません");
    const std::string queue = found->shownName();

    // The office knows queues, not their instances: it lays the pages out
    // for the queue, and the instance's options go with the job.
    const Reference<css::view::XPrintable> printable(document.model(), UNO_QUERY_THROW);
    const rtl::OUString wanted = fromUtf8(found->name);
    printable->setPrinter(properties({{"Name", Any(wanted)}}));
    // The office quietly keeps its previous printer for a name it does not know.
    if (printerNameOf(printable) != wanted)
        throw Error("オフィス エンジンがプリンター " + found->name + " を使えません");

    // Copies and collation are the print system's to make; the office
    // renders each page once.
    auto spool = std::make_shared<const SpoolFile>();
    rtl::OUString spoolUrl;
    osl::FileBase::getFileURLFromSystemPath(fromUtf8(spool->path()), spoolUrl);
    std::vector<Property> options = {{"FileName", Any(spoolUrl)}, {"Wait", Any(true)}};
    if (!request.pages.empty())
        options.push_back({"Pages", Any(fromUtf8(request.pages))});
    steps::reached("document rendering");
    printable->print(properties(options));
    steps::reached("document rendered");
    if (spool->empty())
        throw NothingToPrint("文書 " + shownPath(document.path()) + " には印刷するページがありません");

    // Rendered ahead of earlier rows, it leaves after their jobs; a stopped
    // run drops it unsent, and the file with it.
    handOverInTurn([spool, job = printers::SubmitRequest{*found, spool->path(), jobTitle(document),
                                                        request.copies, request.collate}] {
        const int jobId = printers::submitPrintFile(job);
        steps::reached("job handed to the print system");
        jobnotes::reportAccepted();
        jobnotes::reportCancel([queue = job.queue, jobId](OutcomeUnknown::Clock::time_point until) {
            return printers::cancelHandedOverJob(queue, jobId, until);
        });
    });
}

} // namespace pravik::office

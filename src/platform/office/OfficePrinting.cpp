#include "OfficePrinting.h"

#include "CupsJobs.h"
#include "Error.h"
#include "TextCodec.h"

#include <com/sun/star/view/XPrintable.hpp>

namespace pravik::office {

namespace {

// The office hands the job over before print() returns; this only covers a
// slow print system.
constexpr auto kAcceptLimit = std::chrono::seconds(20);

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

} // namespace

std::string checkedQueue(const std::string& cp932Printer)
{
    if (cp932Printer.empty())
        throw Error("プリンタ名が空です");
    std::string queue;
    try {
        queue = codec::toUtf8(cp932Printer);
    } catch (const codec::ConversionError&) {
        throw Error("プリンタ " + codec::toDisplay(cp932Printer) + " が見つかりません");
    }
    if (!printers::queueExists(queue))
        throw Error("プリンタ " + queue + " が見つかりません");
    return queue;
}

void printDocument(const OfficeDocument& document, const PrintRequest& request)
{
    std::string queue = request.printer;
    if (queue.empty()) {
        queue = printers::defaultQueue();
        if (queue.empty())
            throw Error("既定のプリンタがありません");
    } else if (!printers::queueExists(queue)) {
        throw Error("プリンタ " + queue + " が見つかりません");
    }

    const Reference<css::view::XPrintable> printable(document.model(), UNO_QUERY_THROW);
    const rtl::OUString wanted = fromUtf8(queue);
    printable->setPrinter(properties({{"Name", Any(wanted)}}));
    // The office quietly keeps its previous printer for a name it does not know.
    if (printerNameOf(printable) != wanted)
        throw Error("オフィス エンジンがプリンタ " + queue + " を使えません");

    std::vector<Property> options = {
        {"CopyCount", Any(static_cast<sal_Int16>(request.copies))},
        {"Collate", Any(request.collate)},
        {"Wait", Any(true)},
    };
    if (!request.pages.empty())
        options.push_back({"Pages", Any(fromUtf8(request.pages))});

    const printers::QueueWatch watch(queue);
    printable->print(properties(options));
    watch.awaitAccepted(kAcceptLimit, runIdleHook);
}

} // namespace pravik::office

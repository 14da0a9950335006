#include "OfficeJobs.h"

namespace pravik {

namespace {

AutoCmd setTo(const std::string& property, Variant value)
{
    return std::move(AutoCmd(CallKind::PropertySet, property).arg(std::move(value)));
}

} // namespace

void PrintWordFile(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter,
                   AutomationCall& automation)
{
    const Variant app = createOfficeApplication(automation, kWordProgId);
    automation.setProperty(app, "DisplayAlerts", Variant::fromBool(false));
    const Variant documents = automation.execute(app, AutoCmd(CallKind::PropertyGet, "Documents"));
    automation.execute(documents, AutoCmd(CallKind::Procedure, "Open")
                                      .arg(Variant::fromText(entry.filePath)));
    const Variant document =
        automation.execute(app, AutoCmd(CallKind::PropertyGet, "ActiveDocument"));
    const Variant window =
        automation.execute(document, AutoCmd(CallKind::PropertyGet, "ActiveWindow"));
    automation.execute(app, setTo("ActivePrinter", Variant::fromText(entry.printer)));
    const Variant options = automation.execute(app, AutoCmd(CallKind::PropertyGet, "Options"));
    automation.execute(options, setTo("UpdateFieldsAtPrint", Variant::fromBool(true)));
    automation.execute(options, setTo("PrintBackground", Variant::fromBool(false)));

    switch (mode) {
    case PrintMode::Print: {
        AutoCmd printOut(CallKind::Procedure, "PrintOut");
        if (entry.pagesOrSheets.empty()) {
            printOut.named("Background", Variant::fromBool(false))
                .named("Copies", Variant::fromText(entry.copies));
        } else {
            printOut.named("Range", Variant::fromInt(4)) // the pages listed in "Pages"
                .named("Item", Variant::fromInt(0))      // the document's content
                .named("Pages", Variant::fromText(pageRangesOf(entry.pagesOrSheets)))
                .named("PageType", Variant::fromInt(0))  // odd and even pages
                .named("Copies", Variant::fromText(entry.copies));
        }
        automation.execute(window, printOut);
        automation.execute(app, setTo("ActivePrinter", Variant::fromText(currentPrinter)));
        automation.execute(documents, AutoCmd(CallKind::Procedure, "Save"));
        automation.execute(document, AutoCmd(CallKind::Procedure, "Close"));
        automation.callProcedure(app, "Quit");
        break;
    }
    case PrintMode::Preview:
        // Word stays open and visible with the preview, for the user.
        automation.setProperty(app, "Visible", Variant::fromBool(true));
        automation.callProcedure(document, "PrintPreview");
        automation.execute(app, setTo("ActivePrinter", Variant::fromText(currentPrinter)));
        break;
    }
}

} // namespace pravik

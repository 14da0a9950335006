#include "Printers.h"

#include "Error.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace pravik;
using namespace pravik::printers;

namespace {

class FakeSource : public PrinterSource {
public:
    PrinterQuery answer;
    std::string failure;
    int queries = 0;

    PrinterQuery query() override
    {
        ++queries;
        if (!failure.empty())
            throw Error(failure);
        return answer;
    }
};

struct Service {
    FakeSource* source = new FakeSource;
    PrinterService service{std::unique_ptr<PrinterSource>(source)};
};

std::string errorOf(PrinterService& service)
{
    try {
        service.currentPrinterName();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(PrinterServiceTest, CurrentPrinterFollowsTheSystemsDefault)
{
    Service s;
    s.source->answer = {{"Laser", "経理部プリンター"}, "経理部プリンター"};
    EXPECT_EQ(s.service.currentPrinterName(), codec::fromUtf8("経理部プリンター"));
    // Changed while the program runs.
    s.source->answer = {{"Laser", "経理部プリンター"}, "Laser"};
    EXPECT_EQ(s.service.currentPrinterName(), "Laser");
}

TEST(PrinterServiceTest, FailuresAreReportedAndNotRemembered)
{
    Service s;
    s.source->answer = {{"Laser"}, ""};
    EXPECT_EQ(errorOf(s.service), "デフォルト プリンターが存在しません");

    s.source->answer = {{"Laser"}, "Removed"};
    EXPECT_EQ(errorOf(s.service), "デフォルト プリンターが存在しません");

    s.source->failure = "Scheduler is not responding";
    EXPECT_EQ(errorOf(s.service), "Scheduler is not responding");

    s.source->failure.clear();
    s.source->answer = {{"Laser"}, "Laser"};
    EXPECT_EQ(s.service.currentPrinterName(), "Laser");
}

TEST(PrinterServiceTest, NamesCp932CannotHold)
{
    Service s;
    s.source->answer = {{"Café Printer", "Laser"}, "Café Printer"};
    EXPECT_EQ(s.service.printerNames(), (std::vector<std::string>{"Laser"}));
    EXPECT_THROW(s.service.currentPrinterName(), codec::ConversionError);
}

TEST(PrinterServiceTest, ListsShowADescriptionOfItsOwnBeforeTheName)
{
    Service s;
    s.source->answer = {{"Eigyo_Color", "Laser", "PDF"}, "PDF", {}, {"営業部 カラー", "Laser"}};
    std::vector<std::string> labels;
    for (const PrinterChoice& choice : s.service.printerChoices())
        labels.push_back(choice.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"営業部 カラー (Eigyo_Color)", "Laser", "PDF"}));
    EXPECT_EQ(s.service.printerNames(), (std::vector<std::string>{"Eigyo_Color", "Laser", "PDF"}));
}

} // namespace

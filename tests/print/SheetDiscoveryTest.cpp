#include "JobHarness.h"
#include "OfficeJobs.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace pravik;
using namespace pravik::test;
using Lines = std::vector<std::string>;

namespace {

// A workbook whose sheets are named `names`; "Count" can be scripted apart
// to see how the count is read.
Script workbookWith(std::vector<std::string> names)
{
    return [names](RecordingBackend& backend) {
        backend.labelResults("Open", "Book");
        backend.respond("Count", Variant::fromInt(static_cast<std::int32_t>(names.size())));
        backend.respond("item", [&backend](const RecordedCall& c) {
            return backend.makeObject("sheet" + std::to_string(c.args.at(0).integer));
        });
        backend.respond("Name", [names](const RecordedCall& c) {
            return Variant::fromText(names.at(std::stoi(c.target.substr(5)) - 1));
        });
    };
}

struct Discovery {
    std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>();
    CheckItems list;

    void run(const Script& script, const std::string& stored)
    {
        script(*backend);
        AutomationCall automation(backend);
        LoadSheetNames(list, "C:\\data\\book.xls", stored, automation);
    }
};

} // namespace

TEST(LoadSheetNames, CallsExcelInOrderAndListsTheSheetsUnchecked)
{
    Discovery d;
    d.run(workbookWith({"Sheet1", "Chart1"}), "");
    EXPECT_EQ(d.backend->lines(), (Lines{
                                      "create Excel.Application",
                                      "Excel.Application put AutomationSecurity(3) short",
                                      "Excel.Application put DisplayAlerts(false) short",
                                      "Excel.Application get Workbooks() cmd",
                                      "Workbooks call Open(\"C:\\data\\book.xls\") cmd",
                                      "Book get Sheets() cmd",
                                      "Sheets get Count() cmd",
                                      "Sheets get item(1) cmd",
                                      "sheet1 get Name() cmd",
                                      "Sheets get item(2) cmd",
                                      "sheet2 get Name() cmd",
                                      "Workbooks call Close() cmd",
                                      "Excel.Application call Quit() cmd",
                                  }));
    EXPECT_EQ(d.list.items, (std::vector<CheckItem>{{"Sheet1", false}, {"Chart1", false}}));
    EXPECT_EQ(d.backend->liveObjects(), 0);
}

TEST(LoadSheetNames, EmptyWorkbookAndCountAsText)
{
    Discovery empty;
    empty.run(workbookWith({}), "\"Sheet1\"");
    EXPECT_EQ(empty.backend->lines().size(), 9u); // no "item" call at all
    EXPECT_TRUE(empty.list.items.empty());

    Discovery text;
    text.run(
        [](RecordingBackend& b) {
            workbookWith({"A", "B"})(b);
            b.respond("Count", Variant::fromText("2"));
        },
        "");
    EXPECT_EQ(text.list.count(), 2);
}

TEST(LoadSheetNames, ChecksStoredNamesExactly)
{
    const std::string shuukei = codec::fromUtf8("集計 表");
    Discovery d;
    d.run(workbookWith({"Sheet1", "sheet1", shuukei, "Dup", "Dup", "A, B"}),
          "\"sheet1\",\"Gone\",\"Dup\",\"Dup\",\"A, B\",\"" + shuukei + "\"");
    // Case counts, a missing name is ignored, a repeated stored name or a
    // repeated sheet name checks only the first item.
    EXPECT_EQ(d.list.items, (std::vector<CheckItem>{{"Sheet1", false},
                                                    {"sheet1", true},
                                                    {shuukei, true},
                                                    {"Dup", true},
                                                    {"Dup", false},
                                                    {"A, B", true}}));
}

TEST(LoadSheetNames, FailureAtAnyCallStopsThereAndReleasesEverything)
{
    expectCleanFailureAtEachCall(workbookWith({"S1", "S2"}), [](AutomationCall& a) {
        CheckItems list;
        LoadSheetNames(list, "b.xls", "\"S1\"", a);
    });
}

TEST(LoadSheetNames, ReadThatFailsPartWayListsNoSheet)
{
    Discovery d;
    d.backend->failAtCall(11, FailWith::Exception); // the second sheet's "Name"
    EXPECT_THROW(d.run(workbookWith({"S1", "S2"}), "\"S1\""), EOleException);
    EXPECT_TRUE(d.list.items.empty());
    EXPECT_EQ(d.backend->liveObjects(), 0);
}

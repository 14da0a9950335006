#include "JobHarness.h"
#include "OfficeJobs.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace pravik;
using namespace pravik::test;

namespace {

// A workbook whose sheets are named `names`; those in `hidden` are hidden.
Script workbookWith(std::vector<std::string> names, std::vector<std::string> hidden = {})
{
    return [names, hidden](RecordingBackend& backend) {
        scriptOffice(backend);
        backend.respond("Count", [names](const RecordedCall& c) {
            return Variant::fromInt(c.target == "Sheets" ? static_cast<std::int32_t>(names.size()) : 0);
        });
        backend.respond("item", [&backend](const RecordedCall& c) {
            return backend.makeObject("sheet" + std::to_string(c.args.at(0).integer));
        });
        const auto nameOf = [names](const RecordedCall& c) { return names.at(std::stoi(c.target.substr(5)) - 1); };
        backend.respond("Name", [nameOf](const RecordedCall& c) { return Variant::fromText(nameOf(c)); });
        backend.respond("Visible", [nameOf, hidden](const RecordedCall& c) {
            return Variant::fromInt(std::find(hidden.begin(), hidden.end(), nameOf(c)) == hidden.end() ? -1 : 2);
        });
    };
}

struct Discovery {
    std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>();
    CheckItems list;

    void run(const Script& script, const std::string& stored)
    {
        script(*backend);
        {
            AutomationCall automation(backend);
            LoadSheetNames(list, "C:\\data\\book.xls", stored, automation);
        }
        EXPECT_EQ(backend->liveObjects(), 0);
        expectUserStateKept(backend->calls());
    }
};

} // namespace

TEST(LoadSheetNames, ListsTheVisibleSheetsUncheckedAndLetsExcelGo)
{
    Discovery d;
    d.run(workbookWith({"Sheet1", "Secret", "Chart1"}, {"Secret"}), "");
    EXPECT_EQ(d.list.items, (std::vector<CheckItem>{{"Sheet1", false}, {"Chart1", false}}));
    const std::vector<std::string> lines = d.backend->lines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"Opened proc Close(SaveChanges:=false) cmd", "Workbooks get Count() cmd",
                                        "Excel.Application proc Quit() short"}));
}

TEST(LoadSheetNames, EmptyWorkbookAndCountAsText)
{
    Discovery empty;
    empty.run(workbookWith({}), "\"Sheet1\"");
    EXPECT_TRUE(empty.list.items.empty());

    Discovery text;
    text.run(
        [](RecordingBackend& b) {
            workbookWith({"A", "B"})(b);
            b.respond("Count", [](const RecordedCall& c) { return Variant::fromText(c.target == "Sheets" ? "2" : "0"); });
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

TEST(LoadSheetNames, FailureAtAnyCallListsNoSheetAndLetsExcelGo)
{
    expectCleanFailureAtEachCall(workbookWith({"S1", "S2"}), [](AutomationCall& a) {
        CheckItems list;
        try {
            LoadSheetNames(list, "b.xls", "\"S1\"", a);
        } catch (...) {
            // A list cut short would save as if the unread sheets had been unchecked.
            EXPECT_TRUE(list.items.empty() || list.count() == 2);
            throw;
        }
    });
}

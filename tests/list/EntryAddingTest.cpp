#include "DocumentKind.h"
#include "EntryAdding.h"
#include "Error.h"
#include "PrintList.h"

#include <gtest/gtest.h>

using namespace pravik;

namespace {

class EntryAddingTest : public ::testing::Test {
protected:
    PrintList list;
    AddRules rules;
    int printerLookups = 0;
    CurrentPrinter printer = [this] {
        ++printerLookups;
        return std::string("Office Printer");
    };

    size_t add(std::vector<std::string> paths, AddSource source = AddSource::Dialog)
    {
        return addFiles(list, paths, source, rules, printer).appended;
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const PrintEntry& row : list.rows())
            result.push_back(row.fileName);
        return result;
    }
};

} // namespace

TEST(DocumentExtension, ComparesTheLowerCasedExtensionWithTheKindsOldAndNew)
{
    for (const char* path : {"C:\\A.DOC", "b.Xls", "c.dot", "/x/d.XLT", "c.docx", "e.DOTM", "f.xlsx", "g.xltm"})
        EXPECT_TRUE(hasDocumentExtension(path)) << path;
    for (const char* path : {"c.rtf", "c.docs", "h.xlsb", "readme", "doc", "C:\\x.doc\\folder", "a.doc."})
        EXPECT_FALSE(hasDocumentExtension(path)) << path;
    EXPECT_EQ(documentKindOfPath("f.xlsm"), DocumentKind::Excel);
}

TEST(DocumentExtension, FieldKeepsCaseAndAtMostThreeCharacters)
{
    EXPECT_EQ(extensionField("Report.DOC"), "DOC");
    EXPECT_EQ(extensionField("plan.docx"), "doc");
    EXPECT_EQ(extensionField("readme"), "");
    // Never half a double-byte character: "あい" is 82 A0 82 A2.
    EXPECT_EQ(extensionField("a.x\x82\xa0\x82\xa2"), "x\x82\xa0");
    EXPECT_EQ(extensionField("a.xy\x82\xa0"), "xy");
}

TEST_F(EntryAddingTest, DialogRowsGetTheFieldsOfANewEntry)
{
    rules.defaultCopies = -2;
    EXPECT_EQ(add({"C:\\\x95\x5C\\Report.DOC"}), 1u);
    const PrintEntry& row = list.at(0);
    EXPECT_EQ(row, (PrintEntry{"Report.DOC", "", "", "DOC", "-2", "Office Printer", "C:\\\x95\x5C\\Report.DOC"}));
}

TEST_F(EntryAddingTest, ForeignFilesNeedTheSetting)
{
    EXPECT_EQ(add({"c.rtf", "a.doc"}), 1u);
    EXPECT_EQ(add({"c.rtf"}, AddSource::Drop), 0u);
    rules.acceptOtherFiles = true;
    add({"c.rtf", "noext"});
    EXPECT_EQ(names(), (std::vector<std::string>{"a.doc", "c.rtf", "noext"}));
    EXPECT_EQ(list.at(1).extension, "rtf");
    EXPECT_EQ(list.at(2).extension, "");
}

TEST_F(EntryAddingTest, DroppedForeignFileGetsNoCopiesNorPrinterButTheDialogGivesBoth)
{
    rules.acceptOtherFiles = true;
    add({"notes.txt"}, AddSource::Drop);
    add({"notes.txt"}, AddSource::Dialog);
    EXPECT_EQ(list.at(0).copies, "");
    EXPECT_EQ(list.at(0).printer, "");
    EXPECT_EQ(list.at(1).copies, "1");
    EXPECT_EQ(list.at(1).printer, "Office Printer");
}

TEST_F(EntryAddingTest, DuplicateRuleComparesBytesAndIncludesTheBatch)
{
    rules.skipSameFile = true;
    add({"C:\\A\\x.doc"});
    const AddOutcome outcome =
        addFiles(list, {"C:\\A\\x.doc", "c:\\a\\x.doc", "c:\\a\\x.doc", "x.rtf"}, AddSource::Drop, rules, printer);
    EXPECT_EQ(outcome.appended, 1u);
    EXPECT_EQ(outcome.skippedDuplicates, 2u);
    EXPECT_EQ(outcome.skippedOtherFiles, 1u);
    EXPECT_EQ(list.size(), 2u);

    rules.skipSameFile = false;
    EXPECT_EQ(add({"C:\\A\\x.doc", "C:\\A\\x.doc"}), 2u);
}

TEST_F(EntryAddingTest, PrinterIsAskedOnlyWhenARowNeedsIt)
{
    rules.acceptOtherFiles = true;
    add({"a.txt", "b.txt"}, AddSource::Drop);
    EXPECT_EQ(printerLookups, 0);
}

TEST_F(EntryAddingTest, MissingDefaultPrinterAddsEveryRowWithoutAPrinterAndSaysWhyOnce)
{
    rules.acceptOtherFiles = true;
    printer = [this]() -> std::string {
        ++printerLookups;
        throw Error("デフォルト プリンターが存在しません");
    };
    const AddOutcome outcome = addFiles(list, {"a.txt", "b.doc", "c.doc"}, AddSource::Drop, rules, printer);
    EXPECT_EQ(outcome.appended, 3u);
    EXPECT_EQ(outcome.printerMissing, "デフォルト プリンターが存在しません");
    EXPECT_EQ(printerLookups, 1);
    EXPECT_EQ(list.at(1), (PrintEntry{"b.doc", "", "", "doc", "1", "", "b.doc"}));
}

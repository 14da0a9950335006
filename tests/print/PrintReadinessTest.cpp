#include "PageRanges.h"
#include "PrintReadiness.h"

#include "DocumentFile.h"
#include "Error.h"
#include "NothingToPrint.h"
#include "TempDir.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace pravik;

namespace {

PrintEntry wordRow(std::string pages, std::string copies, std::string printer)
{
    return {"a.doc", "", std::move(pages), "doc", std::move(copies), std::move(printer), "/docs/a.doc"};
}

const std::vector<std::string> installed = {"Office_Color", "PDF/draft"};

} // namespace

TEST(PrintReadiness, CopiesAreACountFromOneToTheLimitAndARefusalSaysWhatTheFieldHolds)
{
    const struct {
        const char* copies;
        const char* problem; // empty: a run takes it
    } cases[] = {
        {"1", ""},
        {" 12 ", ""},
        {"+3", ""},
        {"999", ""},
        {"", "部数が空です。1 から 999 までの数を入れてください"},
        {"  ", "部数が空です。1 から 999 までの数を入れてください"},
        {"0", "部数 '0' は使えません。1 から 999 までの数を入れてください"},
        {"1000", "部数 '1000' は使えません。1 から 999 までの数を入れてください"},
        {"-2", "部数 '-2' は使えません。1 から 999 までの数を入れてください"},
        {"2x", "部数 '2x' は使えません。1 から 999 までの数を入れてください"},
        {"99999999999", "部数 '99999999999' は使えません。1 から 999 までの数を入れてください"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(copiesProblem(c.copies), c.problem) << c.copies;
        if (*c.problem)
            EXPECT_THROW(checkCopies(c.copies), Error) << c.copies;
        else
            EXPECT_NO_THROW(checkCopies(c.copies)) << c.copies;
    }
}

TEST(PrintReadiness, ARowIsRefusedForItsCopiesItsWordPagesAndItsPrinterInThatOrder)
{
    // ２，４ as a Japanese input method types it.
    const std::string widePages = "\"\x82\x51\x81\x43\x82\x53\"";
    const struct {
        const char* name;
        PrintEntry entry;
        std::vector<std::string> problems;
    } cases[] = {
        {"printable", wordRow("\"1-3\"", "1", "Office_Color"), {}},
        {"full-width pages", wordRow(widePages, "1", "Office_Color"), {}},
        {"printer in another letter case", wordRow("", "1", "office_color"), {}},
        {"an instance", wordRow("", "1", "PDF/draft"), {}},
        {"reversed pages", wordRow("\"5-3\"", "1", "Office_Color"),
         {"ページ範囲 '5-3' が正しくありません（例： 1-10,15-30）"}},
        {"everything wrong",
         wordRow("\"1,,2\"", "", "Gone"),
         {"部数が空です。1 から 999 までの数を入れてください",
          "ページ範囲 '1,,2' が正しくありません（例： 1-10,15-30）", "プリンター Gone が見つかりません"}},
        {"no printer", wordRow("", "1", ""), {"プリンターが選ばれていません"}},
        {"an Excel row's sheets are no pages",
         {"b.xls", "", "\"5-3\"", "xls", "1", "Office_Color", "/docs/b.xls"}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printProblems(c.entry, installed), c.problems) << c.name;

    // While the printers are not known, no row is refused for its printer.
    EXPECT_TRUE(printProblems(wordRow("", "1", "Gone"), {}).empty());

    // Section forms only where the office prints them.
    const std::vector<std::string> sections = printProblems(wordRow("\"1,p1s2-p3s2\"", "1", "Office_Color"), installed);
    if (kSectionPagesPrintable)
        EXPECT_TRUE(sections.empty());
    else
        EXPECT_EQ(sections, std::vector<std::string>{"セクションごとのページ範囲 'p1s2-p3s2' は、この環境では印刷できません。"
                                                     "文書全体のページ番号で指定してください"});
}

TEST(CheckDocumentFile, AFileThatCannotPrintIsNamedBeforeAnyOfficeSeesIt)
{
    test::TempDir dir;
    test::writeBytes(dir.path() / "memo.doc", "content");
    test::writeBytes(dir.path() / "empty.xls", "");
    std::filesystem::create_directory(dir.path() / "folder.doc");
    EXPECT_NO_THROW(checkDocumentFile(dir.file("memo.doc")));

    const auto refusal = [](const std::string& path) -> std::string {
        try {
            checkDocumentFile(path);
        } catch (const NothingToPrint& nothing) {
            return std::string("nothing: ") + nothing.what();
        } catch (const Error& error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_EQ(refusal(dir.file("gone.doc")), "ファイル " + dir.file("gone.doc") + " が見つかりません");
    EXPECT_EQ(refusal(dir.file("folder.doc")), dir.file("folder.doc") + " はファイルではありません");
    // Nothing to print is an outcome, not a failure to print again.
    EXPECT_EQ(refusal(dir.file("empty.xls")),
              "nothing: ファイル " + dir.file("empty.xls") + " は空（0 バイト）のため、印刷するものがありません");
}

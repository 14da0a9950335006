#include "JobHarness.h"
#include "JobNotes.h"
#include "OfficeJobs.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pravik;
using namespace pravik::test;

namespace {

PrintEntry wordRow(std::string pages, std::string printer = "PrinterB")
{
    PrintEntry e;
    e.fileName = "memo.doc";
    e.extension = "doc";
    e.pagesOrSheets = std::move(pages);
    e.copies = "3";
    e.printer = std::move(printer);
    e.filePath = "C:\\docs\\memo.doc";
    return e;
}

struct WordRun {
    std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>();

    explicit WordRun(const Script& script = scriptOffice) { script(*backend); }

    void run(const PrintEntry& row, PrintMode mode)
    {
        {
            AutomationCall automation(backend);
            PrintWordFile(row, mode, automation);
        }
        EXPECT_EQ(backend->liveObjects(), 0);
        expectUserStateKept(backend->calls());
    }
    std::vector<std::string> lines() const { return backend->lines(); }
    long at(const std::string& line) const { return lineIndex(*backend, line); }
    bool has(const std::string& line) const { return at(line) >= 0; }
};

const std::string kPrintAll = "ActiveWindow proc PrintOut(Background:=false, Copies:=\"3\") cmd";
const std::string kQuit = "Word.Application proc Quit(SaveChanges:=0) cmd";

} // namespace

TEST(PrintWordFile, PrintsTheDocumentItOpenedOnTheRowsPrinterAndQuits)
{
    WordRun word;
    word.run(wordRow(""), PrintMode::Print);
    EXPECT_TRUE(word.has(kPrintAll));
    EXPECT_TRUE(word.has("WordBasic proc FilePrintSetup(Printer:=\"PrinterB\", DoNotSetAsSysDefault:=1) cmd"));
    // The document Open returned: a user's own may be the active one.
    EXPECT_TRUE(word.has("Opened get ActiveWindow() cmd"));
    EXPECT_TRUE(word.has("Opened proc Close(SaveChanges:=0) cmd"));
    EXPECT_FALSE(word.has("Word.Application get ActiveDocument() cmd"));
    EXPECT_LT(word.at("Word.Application get NormalTemplate() cmd"), word.at(kQuit));
    EXPECT_TRUE(word.has("NormalTemplate put Saved(true) cmd"));
    EXPECT_EQ(word.lines().back(), kQuit);
}

TEST(PrintWordFile, PageRangesAreCheckedAgainstTheDocumentThenPrinted)
{
    WordRun word;
    word.run(wordRow("\" 1-10 , 15-30\""), PrintMode::Print);
    EXPECT_TRUE(word.has("Opened call ComputeStatistics(2) cmd"));
    EXPECT_TRUE(word.has("ActiveWindow proc PrintOut(Background:=false, Range:=4, Item:=0, Pages:=\"1-10,15-30\", "
                         "PageType:=0, Copies:=\"3\") cmd"));

    // Sections number their own pages: Word finds them.
    WordRun sections;
    sections.run(wordRow("\"p1s2-p3s2\""), PrintMode::Print);
    EXPECT_FALSE(sections.has("Opened call ComputeStatistics(2) cmd"));
    EXPECT_TRUE(sections.has("ActiveWindow proc PrintOut(Background:=false, Range:=4, Item:=0, "
                             "Pages:=\"p1s2-p3s2\", PageType:=0, Copies:=\"3\") cmd"));
}

TEST(PrintWordFile, PagesWordWouldSilentlySkipFailTheRow)
{
    const auto pagesNumbered = [](int count, int lastShown) {
        return [=](RecordingBackend& b) {
            scriptOffice(b);
            b.respond("ComputeStatistics", Variant::fromInt(count));
            b.respond("Information", Variant::fromInt(lastShown));
        };
    };
    WordRun word(pagesNumbered(3, 3));
    try {
        word.run(wordRow("\"5-9\""), PrintMode::Print);
        FAIL() << "pages past the end printed nothing and were reported printed";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("（3 ページ）"), std::string::npos) << e.what();
    }
    EXPECT_EQ(word.at(kPrintAll), -1);
    EXPECT_TRUE(word.has(kQuit));

    // Numbered from 5, the three pages are 5 to 7 as Word reads a range.
    WordRun fromFive(pagesNumbered(3, 7));
    fromFive.run(wordRow("\"5-7\""), PrintMode::Print);
    EXPECT_TRUE(fromFive.has("ActiveWindow proc PrintOut(Background:=false, Range:=4, Item:=0, Pages:=\"5-7\", "
                             "PageType:=0, Copies:=\"3\") cmd"));
    // Counted on the row's printer, whose paper lays the pages out.
    EXPECT_LT(fromFive.at("WordBasic proc FilePrintSetup(Printer:=\"PrinterB\", DoNotSetAsSysDefault:=1) cmd"),
              fromFive.at("Opened call ComputeStatistics(2) cmd"));

    // A text Word cannot read fails before Word starts.
    WordRun unreadable;
    EXPECT_THROW(unreadable.run(wordRow("\"1;3\""), PrintMode::Print), Error);
    EXPECT_EQ(unreadable.backend->objectsMade(), 0);
}

TEST(PrintWordFile, AWordWithTheUsersOwnDocumentIsHandedBackNotQuit)
{
    WordRun word([](RecordingBackend& b) {
        scriptOffice(b);
        b.respond("Count", [](const RecordedCall& call) { return Variant::fromInt(call.target == "Documents" ? 1 : 0); });
    });
    word.run(wordRow(""), PrintMode::Print);
    EXPECT_FALSE(word.has(kQuit));
    EXPECT_FALSE(word.has("NormalTemplate put Saved(true) cmd")) << "the user's template changes would be lost";
    EXPECT_TRUE(word.has("Word.Application put DisplayAlerts(-1) short"));
    EXPECT_EQ(word.lines().back(), "Word.Application put Visible(true) short");
    EXPECT_TRUE(word.backend->serversToEnd().empty());
}

TEST(PrintWordFile, WithoutFilePrintSetupTheDefaultPrinterIsPutBack)
{
    WordRun word([](RecordingBackend& b) {
        scriptOffice(b);
        b.failAtMember("WordBasic", FailWith::UnknownName);
    });
    word.run(wordRow(""), PrintMode::Print);
    EXPECT_LT(word.at("Word.Application put ActivePrinter(\"PrinterB\") cmd"), word.at(kPrintAll));
    EXPECT_LT(word.at(kPrintAll), word.at("Word.Application put ActivePrinter(\"Default\") cmd"));
}

TEST(PrintWordFile, PreviewHandsWordOverWithTheUsersOptionsAndAlerts)
{
    WordRun word;
    word.run(wordRow("\"1-2\""), PrintMode::Preview);
    const long visible = word.at("Word.Application put Visible(true) short");
    EXPECT_LT(word.at("Options put PrintBackground(true) cmd"), visible);
    EXPECT_LT(word.at("Word.Application put DisplayAlerts(-1) short"), visible);
    EXPECT_LT(visible, word.at("Opened proc PrintPreview() short"));
    // A print from the preview goes where the row says, as the preview shows it.
    EXPECT_EQ(word.lines().back(), "Opened proc PrintPreview() short");
    EXPECT_FALSE(word.has("WordBasic proc FilePrintSetup(Printer:=\"Default\", DoNotSetAsSysDefault:=1) cmd"));
    EXPECT_FALSE(word.has(kQuit));
    EXPECT_EQ(word.at("Opened proc Close(SaveChanges:=0) cmd"), -1);
    EXPECT_TRUE(word.backend->serversToEnd().empty());
}

TEST(PrintWordFile, FailureAtAnyCallKeepsTheUsersStateAndLetsWordGo)
{
    for (PrintMode mode : {PrintMode::Print, PrintMode::Preview}) {
        for (const char* pages : {"", "\"3-5\""}) {
            SCOPED_TRACE(std::string("pages [") + pages + "] mode " + std::to_string(static_cast<int>(mode)));
            expectCleanFailureAtEachCall(scriptOffice,
                                         [&](AutomationCall& a) { PrintWordFile(wordRow(pages), mode, a); });
        }
    }
}

namespace {

// Tells, as the backends do, that the print system took the job.
class AcceptingBackend : public RecordingBackend {
public:
    Variant invoke(const ObjectRef& target, const Invocation& call) override
    {
        Variant result = RecordingBackend::invoke(target, call);
        if (call.member == "PrintOut")
            jobnotes::reportAccepted();
        return result;
    }
};

} // namespace

TEST(AutomationPrintJobs, ARowCountsAsPrintedOnceThePrintSystemHasItsJob)
{
    const Settings settings;
    WordRun clean;
    clean.run(wordRow(""), PrintMode::Print);
    const int printOut = static_cast<int>(clean.at(kPrintAll)) + 1;
    for (const int failing : {printOut, printOut + 1, printOut + 6}) {
        SCOPED_TRACE("failing call " + clean.lines()[failing - 1]);
        auto backend = std::make_shared<AcceptingBackend>();
        scriptOffice(*backend);
        backend->failAtCall(failing, FailWith::ServerException);
        AutomationPrintJobs jobs(backend, settings);
        if (failing == printOut) {
            EXPECT_ANY_THROW(jobs.printWord(wordRow(""), PrintMode::Print));
            continue;
        }
        // Reported failed, the row would be printed twice by whoever prints
        // the failed rows again; the failure is told as a note instead.
        EXPECT_NO_THROW(jobs.printWord(wordRow(""), PrintMode::Print));
        const std::vector<std::string> notes = jobs.takeNotes();
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_NE(notes[0].find("受け付け後"), std::string::npos) << notes[0];
    }
}

TEST(AutomationPrintJobs, ServersAheadAreAskedOnlyForTheNextRowsOfTheJobsOwnApplication)
{
    class AheadBackend : public AcceptingBackend {
    public:
        std::vector<std::string> told; // "job: next..." for each job
        void jobStarting(const std::string& forJob, const std::vector<std::string>& forNext) override
        {
            std::string line = forJob + ":";
            for (const std::string& next : forNext)
                line += " " + next;
            told.push_back(line);
        }
    };
    auto backend = std::make_shared<AheadBackend>();
    scriptOffice(*backend);
    AutomationPrintJobs jobs(backend, Settings());
    PrintEntry book = wordRow("");
    book.extension = "xls";

    jobs.expectAfter({wordRow(""), wordRow(""), book});
    jobs.printWord(wordRow(""), PrintMode::Print);
    jobs.expectAfter({wordRow(""), book, wordRow("")});
    jobs.printWord(wordRow(""), PrintMode::Print);
    jobs.expectAfter({book, wordRow("")});
    jobs.printWord(wordRow(""), PrintMode::Print);
    EXPECT_EQ(backend->told, (std::vector<std::string>{"Word.Application: Word.Application Word.Application",
                                                       "Word.Application: Word.Application", "Word.Application:"}));
}

TEST(PrintWordFile, FieldsThatAskAreLockedInEveryStoryBeforePrintingAndTheRowSaysSo)
{
    // The main text, and the headers of two sections (one story in two
    // ranges); each range holds a FILLIN, an ASK and a DATE field. Word has
    // no other story.
    WordRun word([](RecordingBackend& b) {
        scriptOffice(b);
        b.respond("Item", [&b](const RecordedCall& call) {
            if (call.target == "StoryRanges") {
                const int story = call.args.at(0).integer;
                if (story != 1 && story != 7)
                    throw EOleException("The requested member of the collection does not exist.", "Word");
                return b.makeObject("Story" + std::to_string(story));
            }
            return b.makeObject("Field" + std::to_string(call.args.at(0).integer));
        });
        b.respond("NextStoryRange", [&b](const RecordedCall& call) {
            return call.target == "Story7" ? b.makeObject("Story7-2") : Variant();
        });
        b.respond("Count", [](const RecordedCall& call) { return Variant::fromInt(call.target == "Fields" ? 3 : 0); });
        b.respond("Type", [](const RecordedCall& call) {
            return Variant::fromInt(call.target == "Field1" ? 39 : call.target == "Field2" ? 38 : 31);
        });
    });
    jobnotes::take();
    word.run(wordRow(""), PrintMode::Print);
    const std::vector<std::string> lines = word.lines();
    const long printed = word.at(kPrintAll);
    std::vector<long> locks;
    for (long i = 0; i < static_cast<long>(lines.size()); ++i)
        if (lines[i].find("put Locked(true)") != std::string::npos)
            locks.push_back(i);
    ASSERT_EQ(locks.size(), 6u) << "two fields that ask in each of three ranges";
    EXPECT_LT(locks.back(), printed);
    EXPECT_TRUE(word.has("Field1 put Locked(true) cmd"));
    EXPECT_FALSE(word.has("Field3 put Locked(true) cmd")) << "a date still updates as it prints";
    EXPECT_TRUE(word.has("Story7-2 get Fields() cmd"));
    const std::vector<std::string> notes = jobnotes::take().notes;
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("6 個"), std::string::npos) << notes[0];
}

TEST(PrintWordFile, AFileGoneBeforeItsTurnNeverReachesWord)
{
    WordRun word;
    word.backend->markGone("C:\\docs\\memo.doc");
    EXPECT_THROW(word.run(wordRow(""), PrintMode::Print), Error);
    EXPECT_EQ(word.backend->objectsMade(), 0);
}

#include "Error.h"
#include "MainWindowFixture.h"
#include "ModalAnswer.h"
#include "OfficeScript.h"
#include "RecordingBackend.h"
#include "SaNumEdit.h"
#include "UEdit.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace pravik;
using namespace pravik::test;

namespace {

PrintEntry row(const std::string& path, const std::string& pages = "", const std::string& copies = "1",
               const std::string& printer = "Office Printer")
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    return {path.substr(slash + 1), "", pages, dot == std::string::npos ? "" : path.substr(dot + 1, 3),
            copies, printer, path};
}

class EntryEditorTest : public MainWindowTest {
protected:
    std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>();
    std::unique_ptr<TFmEdit> editor;

    std::function<std::vector<std::string>()> printerNames = [] {
        return std::vector<std::string>{"Office Printer", "Plotter"};
    };

    void open(std::vector<PrintEntry> rows, int index = 0)
    {
        editor.reset(); // a child of the window it edits for
        writeBytes(dir.file("main.ini"), designedIni);
        MainServices services{[] { return std::string("Office Printer"); }, printerNames, backend};
        window = std::make_unique<TFmMain>(dialogs, dir.path().string(), services);
        window->show();
        editor = std::make_unique<TFmEdit>(*window);
        window->setEntryEditor(editor.get());
        window->printList().replaceAll(std::move(rows));
        editor->OpenEntry(index);
    }
    template <typename W>
    W* child(const char* name) const
    {
        return editor->findChild<W*>(QLatin1String(name));
    }
    QPushButton* pushButton(const char* name) const { return child<QPushButton>(name); }
    QLineEdit* field(const char* name) const { return child<QLineEdit>(name); }
    const PrintEntry& stored(int index) const { return window->printList().at(static_cast<size_t>(index)); }
    bool changed() const { return window->printList().changed; }
};

} // namespace

TEST_F(EntryEditorTest, StepButtonsFollowTheEndsOfTheList)
{
    open({row("/d/a.doc"), row("/d/b.doc"), row("/d/c.doc")});
    EXPECT_FALSE(pushButton("btnBefore")->isEnabled());
    EXPECT_TRUE(pushButton("btnAfter")->isEnabled());
    pushButton("btnAfter")->click();
    pushButton("btnAfter")->click();
    EXPECT_EQ(editor->currentRow(), 2);
    EXPECT_TRUE(pushButton("btnBefore")->isEnabled());
    EXPECT_FALSE(pushButton("btnAfter")->isEnabled());
    EXPECT_EQ(window->listView()->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(window->listView()->selectionModel()->isRowSelected(2, {}));

    open({row("/d/only.doc")});
    EXPECT_FALSE(pushButton("btnBefore")->isEnabled());
    EXPECT_FALSE(pushButton("btnAfter")->isEnabled());
}

TEST_F(EntryEditorTest, UpperCaseDocIsAWordRowWithItsPages)
{
    open({row("/d/REPORT.DOC", "\"3-5\"")});
    EXPECT_TRUE(child<QGroupBox>("grpWord")->isVisible());
    EXPECT_FALSE(child<QGroupBox>("grpExcel")->isVisible());
    EXPECT_EQ(field("edtPage")->text(), QStringLiteral("3-5"));

    field("edtPage")->clear();
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).pagesOrSheets, "");
    EXPECT_TRUE(changed());
    EXPECT_TRUE(window->isWindowModified()) << "the caption marks unsaved changes";
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(EntryEditorTest, PagesOrCopiesTheRunWouldRefuseAreToldAtWriteBackAndKept)
{
    for (const char* pages : {"5-3", "1,,2", "abc", "0"}) {
        open({row("/d/report.doc")});
        field("edtPage")->setText(QString::fromLatin1(pages));
        pushButton("btnClose")->click();
        ASSERT_FALSE(dialogs.warnings.isEmpty()) << pages;
        EXPECT_TRUE(dialogs.warnings.last().contains(QString::fromLatin1(pages))) << dialogs.warnings.last().toStdString();
        EXPECT_EQ(pageFieldOf(stored(0)), pages);
    }
    const qsizetype warned = dialogs.warnings.size();
    open({row("/d/report.doc")});
    field("edtPage")->setText(QStringLiteral("1-10,15-30"));
    pushButton("btnClose")->click();
    // What a Japanese input method types is taken in its ASCII form.
    open({row("/d/report.doc")});
    field("edtPage")->setText(QStringLiteral("２，４〜５"));
    pushButton("btnClose")->click();
    EXPECT_EQ(dialogs.warnings.size(), warned);
    EXPECT_EQ(pageFieldOf(stored(0)), "2,4-5");

    open({row("/d/report.doc")});
    child<TSaNumEdit>("edtBusu")->setText(QString());
    pushButton("btnClose")->click();
    ASSERT_EQ(dialogs.warnings.size(), warned + 1) << "an empty copies field fails at print as 0 does";
    EXPECT_TRUE(dialogs.warnings.last().contains(QStringLiteral("部数が空です")));
}

TEST_F(EntryEditorTest, ARenameInTheMainWindowIsNotUndoneByTheEditor)
{
    open({row("/d/report.doc"), row("/d/plan.doc")});
    PrintEntry renamed = stored(0);
    renamed.fileName = "week report.doc";
    window->printList().setEntry(0, renamed);
    EXPECT_EQ(field("edtFile")->text(), QStringLiteral("week report.doc"));
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).fileName, "week report.doc");

    // What the user typed in the editor wins over a change elsewhere.
    open({row("/d/report.doc")});
    QTest::keyClicks(field("edtMemo"), "typed");
    PrintEntry changed = stored(0);
    changed.memo = "from elsewhere";
    window->printList().setEntry(0, changed);
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).memo, "typed");
}

TEST_F(EntryEditorTest, HandWrittenPagesWithoutQuotesAreShownWhole)
{
    open({row("/d/report.doc", "15,30")});
    EXPECT_EQ(field("edtPage")->text(), QStringLiteral("15,30"));
}

TEST_F(EntryEditorTest, OtherRowShowsNoGroupAndKeepsItsPagesField)
{
    open({row("/d/notes.txt", "kept")});
    EXPECT_FALSE(child<QGroupBox>("grpWord")->isVisible());
    EXPECT_FALSE(child<QGroupBox>("grpExcel")->isVisible());
    field("edtFilepass")->setText(QStringLiteral("/d/notes.text"));
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).pagesOrSheets, "kept");
    EXPECT_EQ(stored(0).extension, "tex");
}

TEST_F(EntryEditorTest, ClosingUnchangedLeavesChangedAloneAndAMemoSetsIt)
{
    open({row("/d/a.xls", "\"Sheet1\"")});
    pushButton("btnClose")->click();
    EXPECT_FALSE(changed());
    EXPECT_FALSE(window->findChild<QToolButton*>(QStringLiteral("btnSave"))->isEnabled());

    editor->OpenEntry(0);
    field("edtMemo")->setText(QStringLiteral("月次"));
    pushButton("btnClose")->click();
    EXPECT_TRUE(changed());
    EXPECT_TRUE(window->findChild<QToolButton*>(QStringLiteral("btnSave"))->isEnabled());
    EXPECT_EQ(stored(0).memo, "\x8c\x8e\x8e\x9f");
    EXPECT_EQ(stored(0).pagesOrSheets, "\"Sheet1\""); // sheets never loaded: kept
}

TEST_F(EntryEditorTest, UntouchedFieldsKeepTheirStoredBytesAndOnlyTypedTextIsEncoded)
{
    // 0x85 0x40 does not decode; 0xEE 0xEF decodes to a character whose
    // encoding is 0xFA 0x40.
    PrintEntry odd{"\xEE\xEF.doc", "\x85\x40", "\"1-\x85\x40\"", "doc", "1", "Office Printer",
                   "/d/\x85\x40/\xEE\xEF.doc"};
    open({odd});
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0), odd);
    EXPECT_FALSE(changed());

    editor->OpenEntry(0);
    field("edtMemo")->setText(QStringLiteral("新しいメモ"));
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).memo, "\x90\x56\x82\xb5\x82\xa2\x83\x81\x83\x82");
    EXPECT_EQ(stored(0).filePath, odd.filePath);
    EXPECT_EQ(stored(0).fileName, odd.fileName);
    EXPECT_EQ(stored(0).pagesOrSheets, odd.pagesOrSheets);
}

TEST_F(EntryEditorTest, CopiesAreNormalisedByTheCopiesField)
{
    open({row("/d/a.doc", "", "1000"), row("/d/b.doc", "", "05")});
    EXPECT_EQ(child<TSaNumEdit>("edtBusu")->text(), QString());
    pushButton("btnAfter")->click();
    EXPECT_EQ(stored(0).copies, "");
    EXPECT_TRUE(changed());
    EXPECT_EQ(child<TSaNumEdit>("edtBusu")->text(), QStringLiteral("5"));
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(1).copies, "5");
}

TEST_F(EntryEditorTest, APrinterThatIsNotInstalledIsShownAsMissingAndKept)
{
    open({row("/d/a.doc", "", "1", "Gone Printer")});
    EXPECT_EQ(child<QComboBox>("cmbPrt")->currentText(), QStringLiteral("Gone Printer（見つかりません）"));
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).printer, "Gone Printer") << "opening the editor must not empty the row's printer";
}

TEST_F(EntryEditorTest, PrintersThatCannotBeListedLeaveAnEmptyListAnErrorAndTheRowsPrinter)
{
    printerNames = []() -> std::vector<std::string> { throw Error("CUPS に接続できません"); };
    open({row("/d/a.doc")});
    EXPECT_EQ(child<QComboBox>("cmbPrt")->currentText(), QStringLiteral("Office Printer"));
    EXPECT_TRUE(dialogs.errors.isEmpty()); // not before the main window is up
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.errors, QStringList{QStringLiteral("CUPS に接続できません")});
    field("edtMemo")->setText(QStringLiteral("m"));
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).printer, "Office Printer");
}

TEST_F(EntryEditorTest, SecondOpeningNeverShowsTheFirstRowsPages)
{
    open({row("/d/a.doc", "\"1-2\""), row("/d/b.doc")});
    editor->hide();
    editor->OpenEntry(1);
    EXPECT_EQ(field("edtPage")->text(), QString());
}

TEST_F(EntryEditorTest, OpeningAnotherRowWhileOpenSavesTheFirstAndFollowsTheNew)
{
    open({row("/d/a.doc"), row("/d/b.xls"), row("/d/c.xls")});
    field("edtMemo")->setText(QStringLiteral("first"));
    editor->OpenEntry(2);
    EXPECT_EQ(stored(0).memo, "first");
    EXPECT_EQ(stored(2).memo, "");
    EXPECT_TRUE(child<QGroupBox>("grpExcel")->isVisible());
    EXPECT_FALSE(child<QGroupBox>("grpWord")->isVisible());
    EXPECT_FALSE(pushButton("btnAfter")->isEnabled());
    EXPECT_TRUE(window->listView()->selectionModel()->isRowSelected(2, {}));
}

TEST_F(EntryEditorTest, OpeningAgainOnTheEditedRowWritesTheTypedTextBackFirst)
{
    open({row("/d/a.doc"), row("/d/b.doc")});
    field("edtMemo")->setText(QStringLiteral("typed"));
    window->listView()->selectRow(0);
    window->openEditorOnSelection();
    EXPECT_EQ(stored(0).memo, "typed");
    EXPECT_EQ(field("edtMemo")->text(), QStringLiteral("typed"));
    EXPECT_TRUE(changed());
}

TEST_F(EntryEditorTest, RestoringMinimisedWindowsKeepsWhatTheEditorShows)
{
    open({row("/d/book.xls"), row("/d/a.doc")});
    child<QComboBox>("cmbPrt")->setCurrentIndex(1);
    child<QListWidget>("chkLst")->addItem(QStringLiteral("Sheet1"));
    for (QWidget* minimised : std::initializer_list<QWidget*>{editor.get(), window.get()}) {
        minimised->setWindowState(Qt::WindowMinimized);
        minimised->setWindowState(Qt::WindowNoState);
    }
    EXPECT_EQ(child<QComboBox>("cmbPrt")->currentText(), QStringLiteral("Plotter"));
    EXPECT_EQ(child<QListWidget>("chkLst")->count(), 1);
    EXPECT_EQ(window->printList().size(), 2u);
}

TEST_F(EntryEditorTest, EnterOnAFocusedButtonPressesThatButton)
{
    open({row("/d/a.doc"), row("/d/b.doc")});
    QApplication::setActiveWindow(editor.get());
    field("edtMemo")->setText(QStringLiteral("typed"));
    pushButton("btnAfter")->setFocus();
    QTest::keyClick(pushButton("btnAfter"), Qt::Key_Return);
    EXPECT_EQ(editor->currentRow(), 1);
    EXPECT_EQ(stored(0).memo, "typed");

    field("edtMemo")->setText(QStringLiteral("also typed"));
    pushButton("btnClose")->setFocus();
    QTest::keyClick(pushButton("btnClose"), Qt::Key_Enter);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(stored(1).memo, "also typed");
}

TEST_F(EntryEditorTest, RowThatGoesAwayClosesTheEditorWithoutWriting)
{
    open({row("/d/a.doc")});
    field("edtMemo")->setText(QStringLiteral("typed"));
    window->printList().replaceAll({row("/d/other.doc")});
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(stored(0).memo, "");
}

TEST_F(EntryEditorTest, SheetsAreReadFromTheWorkbookAndTheCheckedOnesSaved)
{
    scriptOffice(*backend);
    backend->respond("Count", [](const RecordedCall& call) { return Variant::fromInt(call.target == "Sheets" ? 3 : 0); });
    backend->respond("item", [this](const RecordedCall& call) {
        return backend->makeObject("sheet" + std::to_string(call.args.at(0).integer));
    });
    const std::vector<std::string> names = {"Sheet1", "\x8f\x57\x8c\x76 \x95\x5c", "Q1, Sales"};
    backend->respond("Name", [names](const RecordedCall& call) {
        return Variant::fromText(names.at(std::stoul(call.target.substr(5)) - 1));
    });
    open({row("/d/book.xls", "\"Q1, Sales\"")});
    QPushButton* sheets = pushButton("btnAll");
    EXPECT_EQ(sheets->text(), QStringLiteral("読込(&L)"));
    sheets->click();
    EXPECT_EQ(sheets->text(), QStringLiteral("すべて(&A)"));
    auto* list = child<QListWidget>("chkLst");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("集計 表"));
    EXPECT_EQ(list->item(2)->checkState(), Qt::Checked);
    list->item(1)->setCheckState(Qt::Checked);
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).pagesOrSheets, "\"\x8f\x57\x8c\x76 \x95\x5c\",\"Q1, Sales\"");
}

TEST_F(EntryEditorTest, FailedSheetReadingSaysSoAndKeepsTheEditorWithAllThatWasTyped)
{
    backend->failAtMember("Open", FailWith::Exception);
    open({row("/d/book.xls")});
    field("edtMemo")->setText(QStringLiteral("typed"));
    pushButton("btnAll")->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith(QStringLiteral("シートを読み込めませんでした。\n"))) << dialogs.errors[0].toStdString();
    EXPECT_GT(dialogs.errors[0].size(), QStringLiteral("シートを読み込めませんでした。\n").size()) << "and why";
    EXPECT_EQ(pushButton("btnAll")->text(), QStringLiteral("読込(&L)"));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(field("edtMemo")->text(), QStringLiteral("typed"));
}

TEST_F(EntryEditorTest, TheRowsOwnSheetsShowTickedUntilTheWorkbookIsRead)
{
    open({row("/d/stock.xls", "\"Stock A\",B")}); // written by hand
    auto* list = child<QListWidget>("chkLst");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Stock A"));
    EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).pagesOrSheets, "\"Stock A\",B") << "bytes the user did not change are kept";

    open({row("/d/stock.xls", "\"Stock A\",B")});
    child<QListWidget>("chkLst")->item(1)->setCheckState(Qt::Unchecked);
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).pagesOrSheets, "\"Stock A\"");
}

TEST_F(EntryEditorTest, SheetReadThatFailsPartWayKeepsTheStoredSheets)
{
    scriptOffice(*backend);
    backend->respond("Count", [](const RecordedCall& call) { return Variant::fromInt(call.target == "Sheets" ? 2 : 0); });
    int names = 0;
    backend->respond("Name", [&names](const RecordedCall&) {
        if (++names == 2) // the second sheet's
            throw EOleException("scripted exception", "RecordingBackend");
        return Variant::fromText("S1");
    });
    open({row("/d/book.xls", "\"S2\"")});
    pushButton("btnAll")->click();
    EXPECT_EQ(dialogs.errors.size(), 1);
    pushButton("btnClose")->click();
    EXPECT_EQ(stored(0).pagesOrSheets, "\"S2\"");
}

TEST_F(EntryEditorTest, BrowsingForAnotherWorkbookEmptiesTheSheetsAndKeepsTheGroup)
{
    open({row("/d/book.xls")});
    auto* list = child<QListWidget>("chkLst");
    list->addItem(QStringLiteral("old"));
    dialogs.openFilesChoices = {{QStringLiteral("/d/other.xls")}};
    pushButton("btnOpen")->click();
    EXPECT_TRUE(dialogs.addFilters[0].startsWith(QStringLiteral("Excelファイル")));
    // In the system's form: backslashes on Windows.
    EXPECT_EQ(field("edtFilepass")->text(), QDir::toNativeSeparators(QStringLiteral("/d/other.xls")));
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(pushButton("btnAll")->text(), QStringLiteral("読込(&L)"));
    EXPECT_TRUE(child<QGroupBox>("grpExcel")->isVisible());
}

TEST_F(EntryEditorTest, BrowsedNameWithALineBreakIsRefusedAndThePathKept)
{
    open({row("/d/book.xls")});
    dialogs.openFilesChoices = {{QStringLiteral("/d/two\nlines.xls")}};
    pushButton("btnOpen")->click();
    EXPECT_EQ(field("edtFilepass")->text(), QStringLiteral("/d/book.xls"));
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("改行")));
}

TEST_F(EntryEditorTest, WhatWasTypedReachesTheRowBeforeTheListIsClosedOrSaved)
{
    // The main window closing: the list's own save question covers it.
    open({row("/d/a.doc")});
    field("edtMemo")->setText(QStringLiteral("typed"));
    dialogs.answers = {std::nullopt}; // the save question dismissed
    EXPECT_FALSE(window->close());
    EXPECT_EQ(stored(0).memo, "typed");
    EXPECT_TRUE(changed());
    EXPECT_FALSE(editor->isVisible());

    open({row("/d/a.doc")});
    field("edtMemo")->setText(QStringLiteral("saved"));
    dialogs.saveChoices = {QString::fromStdString(dir.file("a.lst"))};
    window->saveList();
    EXPECT_NE(readBytes(dir.file("a.lst")).find("saved"), std::string::npos);

    // The close box discards, as キャンセル and Escape do.
    open({row("/d/a.doc")});
    field("edtMemo")->setText(QStringLiteral("dropped"));
    editor->close();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(stored(0).memo, "");
}

TEST_F(EntryEditorTest, AMessageShownWhileTheEditorIsOpenTakesTheInputAndTheTypedTextStays)
{
    QtDialogs shownDialogs;
    writeBytes(dir.file("main.ini"), designedIni);
    window = std::make_unique<TFmMain>(shownDialogs, dir.path().string(),
                                       MainServices{[] { return std::string("Office Printer"); }, printerNames, backend});
    window->show();
    editor = std::make_unique<TFmEdit>(*window);
    window->setEntryEditor(editor.get());
    window->printList().replaceAll({row("/d/a.doc")});
    editor->OpenEntry(0);
    QTest::keyClicks(field("edtMemo"), QStringLiteral("typed"));
    // An owned window above its owner, never above every window: a message of
    // either window must come in front of it.
    EXPECT_FALSE(editor->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(editor->parentWidget(), window.get());

    bool answered = false;
    whenModalShown([&](QWidget* box) {
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowActive(box));
        EXPECT_TRUE(editor->isVisible());
        answered = true;
        box->close();
    });
    window->guarded([] { throw Error("読込に失敗しました"); });
    EXPECT_TRUE(answered);
    EXPECT_EQ(field("edtMemo")->text(), QStringLiteral("typed"));
}

TEST_F(EntryEditorTest, EnterMovesToTheNextFieldAndEscapeCancels)
{
    open({row("/d/a.doc")});
    QApplication::setActiveWindow(editor.get());
    field("edtFile")->setFocus();
    QTest::keyClick(field("edtFile"), Qt::Key_Return);
    EXPECT_EQ(editor->focusWidget(), field("edtMemo"));
    field("edtMemo")->setText(QStringLiteral("not kept"));
    QTest::keyClick(field("edtMemo"), Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(stored(0).memo, "");
}

#include "Error.h"
#include "ListFile.h"
#include "NativePath.h"
#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

using namespace pravik;
using namespace pravik::test;

namespace {

// Drops local files on a widget the way the window system delivers them.
void dropFiles(QWidget* target, const QStringList& paths, QPoint at = {5, 7})
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents(); // the files are handled after the drop
}

class AddingEntriesTest : public MainWindowTest {
protected:
    QWidget* viewport() const { return window->listView()->viewport(); }
    std::string fileNameAt(int row) const { return window->printList().at(static_cast<size_t>(row)).fileName; }
};

} // namespace

TEST_F(AddingEntriesTest, DroppedFilesArriveInOrderAndMarkTheListChanged)
{
    start();
    dropFiles(viewport(), {"/docs/b.xls", "/docs/A.DOC", "/docs/c.dot", "/docs/new.xlsx"});
    ASSERT_EQ(rowCount(), 4);
    EXPECT_EQ(window->printList().at(3).extension, "xls") << "the stored field keeps three letters";
    EXPECT_EQ(fileNameAt(0), "b.xls");
    EXPECT_EQ(fileNameAt(1), "A.DOC");
    EXPECT_EQ(window->printList().at(1),
              (PrintEntry{"A.DOC", "", "", "DOC", "1", "Office Printer", nativePath("/docs/A.DOC")}));
    EXPECT_TRUE(window->printList().changed);
    EXPECT_TRUE(button("btnSave")->isEnabled());
}

TEST_F(AddingEntriesTest, ADroppedListFileOpensAsFromOpenAfterTheSaveQuestion)
{
    start();
    writeListFile(dir.file("week.lst"), {entry("a.doc"), entry("b.xls")});
    changeRows();
    window->printList().changed = true;
    dialogs.answers = {std::nullopt}; // the save question dismissed: nothing opens
    dropFiles(viewport(), {QString::fromStdString(dir.file("week.lst"))});
    EXPECT_EQ(window->printList().at(1).fileName, "b.doc");
    EXPECT_NE(caption(), QStringLiteral("Pravik - week.lst"));

    dialogs.answers = {false}; // not saved
    dropFiles(viewport(), {QString::fromStdString(dir.file("week.lst")), "/docs/c.doc"});
    ASSERT_EQ(rowCount(), 2);
    EXPECT_EQ(window->printList().at(1).fileName, "b.xls");
    EXPECT_EQ(caption(), QStringLiteral("Pravik - week.lst"));
}

TEST_F(AddingEntriesTest, DropOfOnlySkippedFilesChangesNothing)
{
    start();
    dropFiles(viewport(), {"/docs/notes.txt", "/docs/plan.pdf"});
    EXPECT_EQ(rowCount(), 0);
    EXPECT_FALSE(window->printList().changed);
    EXPECT_FALSE(button("btnSave")->isEnabled());
}

TEST_F(AddingEntriesTest, NameShiftJisCannotHoldIsRefusedAndTheOthersStillArrive)
{
    start();
    dropFiles(viewport(), {"/docs/a.doc", "/docs/café.doc", "/docs/b.doc"});
    EXPECT_EQ(rowCount(), 2);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("café.doc")));
}

// Such a row could never be saved: every later Save would be refused.
TEST_F(AddingEntriesTest, NameWithALineBreakIsRefusedWhereverItEnters)
{
    start();
    dropFiles(viewport(), {"/docs/a.doc", "/docs/two\nlines.doc"});
    dialogs.openFilesChoices = {{"/docs/b.doc", "/docs/c\r.doc"}};
    button("btnAdd")->click();
    ASSERT_EQ(rowCount(), 2);
    EXPECT_EQ(fileNameAt(1), "b.doc");
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("ファイル名 /docs/two\\nlines.doc には改行が含まれているため扱えません"));
    EXPECT_TRUE(dialogs.errors[1].contains(QStringLiteral("/docs/c\\r.doc")));
}

TEST_F(AddingEntriesTest, DroppedJapaneseNameIsStoredAsShiftJis)
{
    start();
    dropFiles(viewport(), {QStringLiteral("/資料/表.xls")});
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(fileNameAt(0), "\x95\x5C.xls");
    // In the system's form: on Windows with backslashes, as Explorer and
    // a hand-written list have them.
    EXPECT_EQ(window->printList().at(0).filePath, nativePath("/\x8E\x91\x97\xBF/\x95\x5C.xls"));
}

TEST_F(AddingEntriesTest, AddDialogUsesTheFilterOfTheSettingAndFilesAllRefusedLeaveTheListUnchanged)
{
    start(designedIni + "ONAJI=1\r\n");
    dialogs.openFilesChoices = {{"/docs/a.xls", "/docs/a.xls", "/docs/plan.pdf"}, {"/docs/a.xls"}};
    button("btnAdd")->click();
    EXPECT_TRUE(dialogs.addFilters[0].startsWith(QStringLiteral("Word,Excelファイル")));
    EXPECT_EQ(rowCount(), 1);

    window->printList().changed = false;
    button("btnSave")->setEnabled(false);
    button("btnAdd")->click(); // the only file is listed already
    EXPECT_EQ(rowCount(), 1);
    EXPECT_FALSE(window->printList().changed);
    EXPECT_FALSE(button("btnSave")->isEnabled());
}

TEST_F(AddingEntriesTest, CancelledAddDialogChangesNothing)
{
    start(designedIni + "ETCFILE=1\r\n");
    dialogs.openFilesChoices = {{}};
    button("btnAdd")->click();
    EXPECT_EQ(dialogs.addFilters[0], QStringLiteral("全てのファイル (*)"));
    EXPECT_FALSE(window->printList().changed);
}

TEST_F(AddingEntriesTest, MissingDefaultPrinterAddsTheRowsAndSaysWhereToChooseOne)
{
    writeBytes(dir.file("main.ini"), designedIni + "ETCFILE=1\r\n");
    MainServices services{[]() -> std::string { throw Error("デフォルト プリンターが存在しません"); },
                          [] { return std::vector<std::string>{}; }, makeSystemAutomationBackend()};
    window = std::make_unique<TFmMain>(dialogs, dir.path().string(), services);
    window->show();
    dropFiles(viewport(), {"/docs/readme.txt", "/docs/a.doc", "/docs/b.doc"});
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(window->printList().at(2).printer, "");
    EXPECT_TRUE(window->printList().changed);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings[0].contains(QStringLiteral("「設定」で選べます"))) << dialogs.warnings[0].toStdString();
}

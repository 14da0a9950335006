// The main window's commands on the selected rows, as the user reaches them.
#include "MainWindowFixture.h"
#include "PopupAccessibility.h"
#include "UEdit.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#ifdef _WIN32
#include <windows.h>

#include <oleidl.h>
#include <shellapi.h>
#endif

using namespace pravik;
using namespace pravik::test;

namespace {

#ifdef _WIN32
// What Explorer pastes: the CF_HDROP file names and the "Preferred DropEffect".
struct ShellFileList {
    std::vector<std::wstring> files;
    DWORD effect = 0;
};

ShellFileList shellFileList()
{
    ShellFileList list;
    if (!::OpenClipboard(nullptr))
        return list;
    if (const auto drop = static_cast<HDROP>(::GetClipboardData(CF_HDROP))) {
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            wchar_t name[MAX_PATH] = {};
            ::DragQueryFileW(drop, i, name, MAX_PATH);
            list.files.emplace_back(name);
        }
    }
    if (const HANDLE effect = ::GetClipboardData(::RegisterClipboardFormatW(L"Preferred DropEffect"))) {
        list.effect = *static_cast<const DWORD*>(::GlobalLock(effect));
        ::GlobalUnlock(effect);
    }
    ::CloseClipboard();
    return list;
}
#endif

class ListCommandsTest : public MainWindowTest {
protected:
    void startWith(std::vector<PrintEntry> rows, const std::string& ini = designedIni)
    {
        start(ini);
        window->printList().replaceAll(std::move(rows));
    }
    void select(std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = window->listView()->selectionModel();
        selection->clear();
        for (int row : rows)
            selection->select(window->listView()->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const PrintEntry& row : window->printList().rows())
            result.push_back(row.fileName);
        return result;
    }
    std::vector<size_t> selected() const { return window->selectedRows(); }
};

std::vector<PrintEntry> fiveRows()
{
    return {entry("0.doc"), entry("1.doc"), entry("2.doc"), entry("3.doc"), entry("4.doc")};
}

} // namespace

TEST_F(ListCommandsTest, HeaderClickSortsTheRowsWithoutMarkingTheListChanged)
{
    startWith({entry("b.doc"), entry("a.doc"), entry("B.doc")});
    window->listView()->horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(names(), (std::vector<std::string>{"B.doc", "a.doc", "b.doc"}));
    EXPECT_TRUE(button("btnSave")->isEnabled());
    EXPECT_FALSE(window->printList().changed);
}

TEST_F(ListCommandsTest, SortingAnEmptyListLeavesSaveAsItWas)
{
    start();
    window->sortByColumn(3);
    EXPECT_FALSE(button("btnSave")->isEnabled());
}

TEST_F(ListCommandsTest, TheEditorKeepsEditingItsOwnRowAfterASortAndAMove)
{
    startWith({entry("c.doc"), entry("a.doc"), entry("b.doc")});
    TFmEdit editor(*window);
    window->setEntryEditor(&editor);
    editor.OpenEntry(0); // c.doc
    window->sortByColumn(0);
    EXPECT_EQ(editor.currentRow(), 2);
    select({2});
    window->moveSelectedUp();
    EXPECT_EQ(editor.currentRow(), 1);
    EXPECT_EQ(window->printList().at(1).fileName, "c.doc");
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(ListCommandsTest, ContextMenuNeedsASelectionExceptPrintWhenAllRowsPrint)
{
    struct Case {
        const char* name;
        std::string ini;
        bool withSelection;
        QStringList enabled;
    };
    const QStringList all = {"印刷(&P)", "印刷プレビュー(&V)", "設定(&O)", "リストから削除(&D)",
                             "ファイル名を変更する(&M)", "起動(&K)", "コピー(&C)", "切り取り(&X)"};
    const Case cases[] = {
        {"no selection", designedIni, false, {}},
        {"no selection, all rows print", designedIni + "PRINT=1\r\n", false, {"印刷(&P)"}},
        {"a selection", designedIni, true, all},
    };
    for (const Case& c : cases) {
        startWith(fiveRows(), c.ini);
        if (c.withSelection)
            select({1});
        auto* pop = window->findChild<QMenu*>(QStringLiteral("pop"));
        pop->popup(QPoint(0, 0));
        QStringList enabled;
        for (QAction* item : pop->actions())
            if (!item->isSeparator() && item->isEnabled())
                enabled << item->text();
        pop->hide();
        EXPECT_EQ(pop->actions().size(), 10) << c.name;
        EXPECT_EQ(enabled, c.enabled) << c.name;
    }
}

TEST_F(ListCommandsTest, DeleteRemovesExactlyTheSelectedRowsAfterOk)
{
    startWith(fiveRows());
    select({0, 2, 4});
    dialogs.answers = {false};
    button("btnDel")->click();
    EXPECT_EQ(dialogs.warningQuestions.size(), 1) << "rows are taken away: the exclamation icon";
    EXPECT_EQ(names().size(), 5u);
    EXPECT_FALSE(window->printList().changed);
    EXPECT_EQ(selected(), (std::vector<size_t>{0, 2, 4}));

    dialogs.answers = {true};
    button("btnDel")->click();
    EXPECT_EQ(names(), (std::vector<std::string>{"1.doc", "3.doc"}));
    EXPECT_TRUE(selected().empty());
    EXPECT_TRUE(window->printList().changed);
    EXPECT_TRUE(button("btnSave")->isEnabled());
}

TEST_F(ListCommandsTest, MovesKeepTheSelectionOnTheMovedRowsAndMarkTheListChanged)
{
    startWith(fiveRows());
    // Down offers the list for saving even with nothing to move.
    button("btnDown")->click();
    EXPECT_TRUE(window->printList().changed);
    EXPECT_TRUE(button("btnSave")->isEnabled());

    select({2, 3});
    button("btnUp")->click();
    EXPECT_EQ(names(), (std::vector<std::string>{"0.doc", "2.doc", "3.doc", "1.doc", "4.doc"}));
    EXPECT_EQ(selected(), (std::vector<size_t>{1, 2}));
    EXPECT_EQ(window->listView()->currentIndex().row(), 1);
    EXPECT_TRUE(window->printList().changed);

    button("btnDown")->click();
    button("btnDown")->click();
    EXPECT_EQ(names(), (std::vector<std::string>{"0.doc", "1.doc", "4.doc", "2.doc", "3.doc"}));
    EXPECT_EQ(selected(), (std::vector<size_t>{3, 4}));

    // The last row cannot go lower: nothing moves and the selection ends.
    button("btnDown")->click();
    EXPECT_EQ(names(), (std::vector<std::string>{"0.doc", "1.doc", "4.doc", "2.doc", "3.doc"}));
    EXPECT_TRUE(selected().empty());
}

TEST_F(ListCommandsTest, RenameChangesOnlyTheShownNameAndRefusesWhatCannotBeStored)
{
    startWith({entry("a.doc"), entry("b.doc"), entry("c.doc"), entry("d.doc")});
    select({0, 1, 2, 3});
    dialogs.inputs = {std::nullopt, QString(), QStringLiteral("two\nlines"), QStringLiteral("café")};
    window->renameSelectedRows();
    EXPECT_EQ(dialogs.prompts.first(), QStringLiteral("ファイル名：a.doc"));
    EXPECT_EQ(names(), (std::vector<std::string>{"a.doc", "", "c.doc", "d.doc"}));
    EXPECT_EQ(window->printList().at(1).filePath, "/docs/b.doc");
    EXPECT_EQ(dialogs.warnings.size(), 2);
    EXPECT_TRUE(window->printList().changed);
    EXPECT_TRUE(button("btnSave")->isEnabled());
}

TEST_F(ListCommandsTest, RenameCancelledEverywhereLeavesTheListUnchanged)
{
    startWith({entry("a.doc")});
    select({0});
    dialogs.inputs = {std::nullopt};
    window->renameSelectedRows();
    EXPECT_EQ(names(), (std::vector<std::string>{"a.doc"}));
    EXPECT_FALSE(window->printList().changed);
}

TEST_F(ListCommandsTest, AbortDuringALaunchStopsBeforeTheNextFileAndGivesTheWindowBack)
{
    startWith({entry("a.doc"), entry("b.doc"), entry("c.doc")});
    select({0, 1, 2});
    openDocument = [this](const std::string& path) {
        opened.push_back(path);
        EXPECT_FALSE(window->isEnabled());
        progress->findChild<QPushButton*>(QStringLiteral("btnAbort"))->click();
        return std::string();
    };
    window->launchSelectedFiles();
    EXPECT_EQ(opened, (std::vector<std::string>{"/docs/a.doc"}));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(window->currentView()->testAttribute(Qt::WA_SetCursor));
    EXPECT_FALSE(progress->isVisible());
}

TEST_F(ListCommandsTest, FilesThatCouldNotBeOpenedAreListedOnceWhenTheLaunchEnds)
{
    startWith({entry("a.doc"), entry("b.doc"), entry("c.doc")});
    select({0, 1, 2});
    openDocument = [this](const std::string& path) {
        opened.push_back(path);
        return path == "/docs/a.doc" ? std::string() : std::string("ファイルが見つかりません。");
    };
    window->launchSelectedFiles();
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(dialogs.errors, QStringList{QStringLiteral("次のファイルを起動できませんでした。\n"
                                                         "b.doc: ファイルが見つかりません。\n"
                                                         "c.doc: ファイルが見つかりません。")});
}

TEST_F(ListCommandsTest, DoubleClickOpensOnlyTheFirstSelectedRow)
{
    startWith(fiveRows());
    select({3, 1});
    const QPoint onRow = window->listView()->visualRect(window->listView()->model()->index(1, 0)).center();
    QTest::mouseDClick(window->listView()->viewport(), Qt::LeftButton, Qt::ControlModifier, onRow);
    EXPECT_EQ(opened, (std::vector<std::string>{"/docs/1.doc"}));
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(ListCommandsTest, CopyAndCutPutTheFilesOnTheClipboardAsFileManagersPasteThem)
{
    startWith({entry("a b.doc"), entry("\x95\x5C.doc"), entry("c.doc")}); // 表.doc
    select({0, 1});
#ifdef _WIN32
    // Explorer's own blocks, on the system's clipboard.
    for (const auto& [effect, dropEffect] : {std::pair{DropEffect::Copy, DWORD{DROPEFFECT_COPY}},
                                             std::pair{DropEffect::Move, DWORD{DROPEFFECT_MOVE}}}) {
        window->putFilesOnClipboard(effect);
        const ShellFileList pasted = shellFileList();
        EXPECT_EQ(pasted.files, (std::vector<std::wstring>{L"/docs/a b.doc", L"/docs/\u8868.doc"}));
        EXPECT_EQ(pasted.effect, dropEffect);
    }
#else
    const QByteArray uris = "file:///docs/a%20b.doc\r\nfile:///docs/%E8%A1%A8.doc\r\n";
    struct Case {
        DropEffect effect;
        QByteArray gnome;
        QByteArray kde;
    } cases[] = {
        {DropEffect::Copy, "copy\nfile:///docs/a%20b.doc\nfile:///docs/%E8%A1%A8.doc", "0"},
        {DropEffect::Move, "cut\nfile:///docs/a%20b.doc\nfile:///docs/%E8%A1%A8.doc", "1"},
    };
    for (const Case& c : cases) {
        window->putFilesOnClipboard(c.effect);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_TRUE(data);
        EXPECT_EQ(data->data(QStringLiteral("text/uri-list")), uris);
        EXPECT_EQ(data->data(QStringLiteral("x-special/gnome-copied-files")), c.gnome);
        EXPECT_EQ(data->data(QStringLiteral("application/x-kde-cutselection")), c.kde);
        EXPECT_EQ(data->text(), QStringLiteral("/docs/a b.doc\n/docs/表.doc"));
    }
#endif
    EXPECT_EQ(names().size(), 3u); // a cut leaves the rows where they are
    EXPECT_FALSE(window->printList().changed);
}

TEST_F(ListCommandsTest, StatusBarShowsTheCellReallyUnderThePointer)
{
    PrintEntry wide = entry("a.doc");
    wide.memo = "memo of a";
    wide.printer = "Printer of a";
    startWith({wide});
    QTableView* view = window->listView();
    // Columns dragged into another order, and the list scrolled sideways.
    view->horizontalHeader()->moveSection(5, 0);
    window->resize(300, 300);
    QCoreApplication::processEvents();
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    const QModelIndex printer = view->model()->index(0, 5);
    const QModelIndex memo = view->model()->index(0, 1);
    view->scrollTo(memo);
    QTest::mouseMove(view->viewport(), view->visualRect(memo).center());
    EXPECT_EQ(window->statusText(), QStringLiteral("memo of a"));
    view->scrollTo(printer);
    QTest::mouseMove(view->viewport(), view->visualRect(printer).center());
    EXPECT_EQ(window->statusText(), QStringLiteral("Printer of a"));

    // Below the last row the text is empty; the list left, no row's text
    // stays behind.
    QTest::mouseMove(view->viewport(), QPoint(5, view->viewport()->height() - 2));
    EXPECT_EQ(window->statusText(), QString());
    QTest::mouseMove(view->viewport(), view->visualRect(printer).center());
    QTest::mouseMove(button("btnPrt"));
    EXPECT_EQ(window->statusText(), QString());
}

TEST_F(ListCommandsTest, ViewStylesShareOneSelectionAndTheCommandsReachEverySelectedRow)
{
    startWith(fiveRows());
    select({1, 3});
    // A focused view that hides must not pass its focus on by moving its row.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->listView()->setFocus();
    const struct {
        const char* item;
        TFmMain::ViewStyle style;
    } styles[] = {{"hyo2", TFmMain::vsList}, {"hyo3", TFmMain::vsSmallIcon}, {"hyo1", TFmMain::vsReport}};
    for (const auto& s : styles) {
        window->findChild<QAction*>(QLatin1String(s.item))->trigger();
        EXPECT_EQ(window->viewStyle(), s.style) << s.item;
        EXPECT_TRUE(window->currentView()->isVisible()) << s.item;
        EXPECT_EQ(window->currentView()->selectionModel(), window->listView()->selectionModel());
        EXPECT_EQ(selected(), (std::vector<size_t>{1, 3})) << s.item;
    }
    EXPECT_TRUE(window->listView()->isVisible());

    window->setViewStyle(TFmMain::vsSmallIcon);
    QListView* icons = qobject_cast<QListView*>(window->currentView());
    ASSERT_TRUE(icons);
    // A click on a name selects its whole row, as in the report.
    QTest::mouseClick(icons->viewport(), Qt::LeftButton, Qt::NoModifier,
                      icons->visualRect(icons->model()->index(4, 0)).center());
    EXPECT_EQ(selected(), (std::vector<size_t>{4}));
    select({0, 2, 4});
    dialogs.answers = {true};
    window->deleteSelectedRows();
    EXPECT_EQ(names(), (std::vector<std::string>{"1.doc", "3.doc"}));
}

TEST_F(ListCommandsTest, KeysOnTheListReachTheCommands)
{
    startWith(fiveRows());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTableView* view = window->listView();
    view->setFocus();
    select({2});
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(window->printList().at(1).fileName, "2.doc");
    dialogs.inputs = {QStringLiteral("two.doc")};
    QTest::keyClick(view, Qt::Key_F2);
    EXPECT_EQ(window->printList().at(1).fileName, "two.doc");
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(opened, (std::vector<std::string>{"/docs/2.doc"}));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    dialogs.answers = {true};
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(names(), (std::vector<std::string>{"0.doc", "1.doc", "3.doc", "4.doc"}));

    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(selected(), (std::vector<size_t>{3}));
    EXPECT_EQ(view->currentIndex().row(), 3);
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(selected(), (std::vector<size_t>{0}));

    // The keys every desktop program has: Ctrl+O and Ctrl+S reach their
    // dialogs (cancelled here), F1 the guide (missing here).
    dialogs.answers = {false}; // the deleted rows are not saved first
    dialogs.openChoices = {QString()};
    QTest::keyClick(view, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.openChoices.empty());
    dialogs.saveChoices = {QString()};
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.saveChoices.empty());
    QTest::keyClick(view, Qt::Key_F1);
    ASSERT_FALSE(dialogs.errors.isEmpty());
    EXPECT_TRUE(dialogs.errors.last().startsWith(QStringLiteral("ヘルプファイル"))) << dialogs.errors.last().toStdString();
}

TEST_F(ListCommandsTest, CommandsWithNothingToActOnSaySoPrintingInAMessage)
{
    startWith(fiveRows());
    select({});
    window->PrintFiles(0);
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("印刷: 印刷する行を選んでください。")});
    window->openEditorOnSelection();
    EXPECT_EQ(window->statusText(), QStringLiteral("設定する行を選んでください"));
    window->deleteSelectedRows();
    EXPECT_EQ(window->statusText(), QStringLiteral("削除する行を選んでください"));
    EXPECT_EQ(names().size(), 5u);
}

TEST_F(ListCommandsTest, OpenPopupMenusAreFoundUnderTheWindowAsScreenReadersLook)
{
    exposeOpenPopupMenus();
    startWith(fiveRows());
    button("btnHyouji")->click();
    auto* views = window->findChild<QMenu*>(QStringLiteral("hpop"));
    ASSERT_TRUE(views->isVisible());
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
    QStringList found;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* child = root->child(i); child && child->object() == views)
            for (int item = 0; item < child->childCount(); ++item)
                found << child->child(item)->text(QAccessible::Name);
    EXPECT_EQ(found, (QStringList{QStringLiteral("詳細(S)"), QStringLiteral("一覧(L)"), QStringLiteral("アイコン（M）")}));
    views->hide();
}

TEST_F(ListCommandsTest, ALaunchKeepsItsRowsAndTheWindowWhateverHappensMeanwhile)
{
    startWith(fiveRows());
    select({2});
    // A new list arrives while the launch lets events through: the row in
    // hand is the one chosen, not what now lies at its place.
    QTimer::singleShot(0, window.get(), [this] { window->printList().replaceAll({entry("other.doc")}); });
    window->launchFirstSelected();
    EXPECT_EQ(opened, (std::vector<std::string>{"/docs/2.doc"}));

    // Closing the window while the files open is refused until they have.
    startWith(fiveRows());
    select({0, 1});
    openDocument = [this](const std::string& path) {
        opened.push_back(path);
        EXPECT_FALSE(window->close()) << "closed during the launch";
        return std::string();
    };
    window->launchSelectedFiles();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->close());
}

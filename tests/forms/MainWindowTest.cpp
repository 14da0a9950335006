#include "ListFile.h"
#include "MainWindowFixture.h"
#include "PrintListModel.h"

#include <QGuiApplication>
#include <QAction>
#include <QHeaderView>
#include <QScreen>

using namespace pravik;
using namespace pravik::test;

TEST_F(MainWindowTest, StartsWithTheDesignedCaptionHeadingsAndToolbar)
{
    start();
    EXPECT_EQ(caption(), QStringLiteral("Pravik"));
    EXPECT_TRUE(dialogs.errors.isEmpty());
    const QStringList names = {"btnPrt", "btnNew", "btnOpen", "btnSave", "btnAdd",
                               "btnDel", "btnSet", "btnHyouji", "btnUp", "btnDown"};
    for (const QString& name : names) {
        QToolButton* tool = window->findChild<QToolButton*>(name);
        ASSERT_TRUE(tool) << name.toStdString();
        EXPECT_EQ(tool->size(), QSize(55, 45));
        EXPECT_FALSE(tool->toolTip().isEmpty());
    }
    EXPECT_FALSE(button("btnSave")->isEnabled());
    EXPECT_EQ(button("btnNew")->text(), QStringLiteral("新規(&N)"));
    EXPECT_TRUE(window->listView()->horizontalHeader()->sectionsMovable());
    EXPECT_EQ(window->listView()->columnWidth(2), 200);
}

TEST_F(MainWindowTest, HexTopFromSettingsPlacesTheWindow)
{
    start(designedIni + "FMTOP=0x10\r\nFMLEFT=30\r\nFMHEIGHT=300\r\nFMWIDTH=600\r\n");
    EXPECT_EQ(window->geometry().topLeft(), QPoint(30, 16));
    EXPECT_EQ(window->size(), QSize(600, 300));
}

TEST_F(MainWindowTest, APlaceOffTheScreenIsMovedOntoItAndAPlaceOnItKept)
{
    start(designedIni + "FMTOP=5000\r\nFMLEFT=-3000\r\nFMHEIGHT=300\r\nFMWIDTH=600\r\n");
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(window->geometry())) << "a smaller screen, or another scaling";
    EXPECT_TRUE(window->close());

    start(designedIni + "FMTOP=190\r\nFMLEFT=100\r\nFMHEIGHT=300\r\nFMWIDTH=600\r\n");
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_NE(ini().find("FMTOP=190\r\n"), std::string::npos) << "the window creeps at each start";
}

TEST_F(MainWindowTest, ASecondStartOnTheSameSettingsOpensOffsetFromTheRunningOneAndItsPlaceIsFreedAtClose)
{
    const std::string placed = designedIni + "FMTOP=100\r\nFMLEFT=100\r\nFMHEIGHT=300\r\nFMWIDTH=600\r\n";
    start(placed);
    const QPoint first = window->geometry().topLeft();
    const std::unique_ptr<TFmMain> running = std::move(window);
    start(placed);
    const QPoint offset = window->geometry().topLeft() - first;
    EXPECT_GT(offset.x(), 0);
    EXPECT_EQ(offset.y(), offset.x());
    EXPECT_TRUE(running->close());
    EXPECT_TRUE(window->close());
    start(placed);
    EXPECT_EQ(window->geometry().topLeft(), first);
}

TEST_F(MainWindowTest, MissingColumnsAreReportedAndTheDesignedGeometryStays)
{
    start("[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nFMTOP=5\r\n");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("リストのインデックスが範囲を超えています (0)"));
    EXPECT_EQ(window->geometry().topLeft(), QPoint(99, 235));
    EXPECT_EQ(window->size(), QSize(589, 325));

    // The next close writes a complete set, so the following start succeeds.
    EXPECT_TRUE(window->close());
    for (const char* key : {"COLUMN=150,150,200,40,40,100,200\r\n", "FMTOP=235\r\n", "FMLEFT=99\r\n",
                            "FMHEIGHT=325\r\n", "FMWIDTH=589\r\n", "LASTLIST=\r\n"})
        EXPECT_NE(ini().find(key), std::string::npos) << key;
    dialogs.errors.clear();
    start(ini());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainWindowTest, ReopensTheLastListWithItsNameInTheCaption)
{
    writeListFile(dir.file("week.lst"), {entry("a.doc")});
    start(designedIni + "MEMORY=1\r\nLASTLIST=" + dir.file("week.lst") + "\r\n");
    EXPECT_EQ(window->listView()->model()->rowCount(), 1);
    EXPECT_EQ(caption(), QStringLiteral("Pravik - week.lst"));
    EXPECT_FALSE(button("btnSave")->isEnabled());
    EXPECT_FALSE(window->printList().changed);

    EXPECT_TRUE(window->close());
    EXPECT_NE(ini().find("LASTLIST=" + dir.file("week.lst") + "\r\n"), std::string::npos);
}

// A second start reopens the last list: neither window may silently save
// over what the other saved.
TEST_F(MainWindowTest, TwoWindowsOnTheLastListAskBeforeSavingOverEachOther)
{
    const std::string week = dir.file("week.lst");
    writeListFile(week, {entry("a.doc")});
    const std::string ini = designedIni + "MEMORY=1\r\nLASTLIST=" + week + "\r\n";
    start(ini);
    const std::unique_ptr<TFmMain> first = std::move(window);
    start(ini);
    const auto edit = [](TFmMain& shown, const char* name) {
        shown.printList().replaceAll({entry(name)});
        shown.markListChanged();
        shown.saveList();
    };
    edit(*first, "first.doc");
    EXPECT_TRUE(dialogs.questions.isEmpty());

    dialogs.choices = {2}; // キャンセル
    edit(*window, "second.doc");
    EXPECT_EQ(dialogs.choiceButtons, (QStringList{QStringLiteral("上書き"), QStringLiteral("名前を付けて保存"),
                                                  QStringLiteral("キャンセル")}));
    EXPECT_EQ(readListFile(week).entries, std::vector<PrintEntry>{entry("first.doc")});
    EXPECT_TRUE(window->printList().changed);

    dialogs.choices = {0}; // 上書き
    window->saveList();
    EXPECT_EQ(readListFile(week).entries, std::vector<PrintEntry>{entry("second.doc")});
    EXPECT_FALSE(window->printList().changed);
    EXPECT_TRUE(dialogs.choices.empty());
}

TEST_F(MainWindowTest, ToolbarSaveAndOpenNameTheListInTheCaption)
{
    start();
    changeRows();
    button("btnSave")->setEnabled(true);
    dialogs.saveChoices = {QString::fromStdString(dir.file("a.lst"))};
    button("btnSave")->click();
    EXPECT_EQ(dialogs.saveFolders, QStringList{QString::fromStdString(dir.file("save/"))});
    EXPECT_EQ(caption(), QStringLiteral("Pravik - a.lst"));
    EXPECT_FALSE(button("btnSave")->isEnabled());
    EXPECT_FALSE(window->isWindowModified());

    dialogs.openChoices = {QString::fromStdString(dir.file("a.lst"))};
    button("btnOpen")->click();
    EXPECT_EQ(caption(), QStringLiteral("Pravik - a.lst"));
    EXPECT_EQ(window->listView()->model()->rowCount(), 2);

    button("btnNew")->click();
    EXPECT_EQ(caption(), QStringLiteral("Pravik - "));
    EXPECT_EQ(window->listView()->model()->rowCount(), 0);
}

TEST_F(MainWindowTest, SaveAsOverAListAsksAndOpeningANonListKeepsTheRows)
{
    start();
    changeRows();
    writeBytes(dir.file("week.lst"), formatListFile({{"a.doc", "", "", "doc", "1", "", "/docs/a.doc"}}));
    // No: the dialog comes back, and its cancel keeps the old list.
    dialogs.saveChoices = {QString::fromStdString(dir.file("week.lst")), QString()};
    dialogs.answers = {false};
    window->saveListAs();
    EXPECT_EQ(dialogs.questions,
              QStringList{QStringLiteral("%1 は既に存在します。\n置き換えますか？").arg(QString::fromStdString(dir.file("week.lst")))});
    EXPECT_EQ(readListFile(dir.file("week.lst")).entries.size(), 1u);

    const QString before = caption();
    const int rows = window->listView()->model()->rowCount();
    writeBytes(dir.file("notes.txt"), "一行目\r\n二行目\r\n");
    dialogs.openChoices = {QString::fromStdString(dir.file("notes.txt"))};
    dialogs.answers = {false}; // do not save the changed rows first
    button("btnOpen")->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].endsWith(QStringLiteral("はリストファイルではありません"))) << dialogs.errors[0].toStdString();
    EXPECT_EQ(caption(), before);
    EXPECT_EQ(window->listView()->model()->rowCount(), rows);
}

TEST_F(MainWindowTest, OpenErrorGoesToTheErrorDisplay)
{
    start();
    dialogs.openChoices = {QString::fromStdString(dir.file("missing.lst"))};
    button("btnOpen")->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0].toStdString(), "ファイル " + dir.file("missing.lst") + " は開けません");
    EXPECT_EQ(caption(), QStringLiteral("Pravik"));
}

TEST_F(MainWindowTest, ChosenFileThatShiftJisCannotHoldIsRefused)
{
    start();
    changeRows();
    // Built as Unicode: narrow paths are the system code page's on Windows.
    dialogs.saveChoices = {QString::fromStdString(dir.file("")) + QStringLiteral("café.lst")};
    window->saveListAs();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("café.lst"))) << dialogs.errors[0].toStdString();
    EXPECT_TRUE(window->printList().changed);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / std::filesystem::path(u8"café.lst")));
}

TEST_F(MainWindowTest, CloseAsksAndCancellingTheSaveDialogKeepsTheWindowOpen)
{
    start();
    changeRows();
    dialogs.answers = {true};
    dialogs.saveChoices = {QString()};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("内容が変更されています。保存しますか？")});

    dialogs.answers = {true};
    dialogs.saveChoices = {QString::fromStdString(dir.file("kept.lst"))};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(readBytes(dir.file("kept.lst")), formatListFile({entry("a.doc"), entry("b.doc")}));
    EXPECT_NE(ini().find("LASTLIST=" + dir.file("kept.lst") + "\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, DismissedSaveQuestionKeepsTheWindowAndTheRows)
{
    start();
    changeRows();
    dialogs.answers = {std::nullopt, std::nullopt};
    EXPECT_FALSE(window->close());
    button("btnNew")->click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(rowCount(), 2);
    EXPECT_TRUE(window->printList().changed);
    EXPECT_EQ(ini(), designedIni); // nothing written on a close that did not happen
}

TEST_F(MainWindowTest, WindowClosesEvenWhenSettingsCannotBeWritten)
{
    start();
    std::filesystem::remove(dir.path() / "main.ini");
    std::filesystem::create_directory(dir.path() / "main.ini"); // a folder in its place
    EXPECT_TRUE(window->close());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("main.ini に書き込めません")));
}

TEST_F(MainWindowTest, PrintWarnsOfRowsThatCannotPrintAndTheyThenSayWhyTheyFailed)
{
    start();
    window->printList().replaceAll({entry("a.doc"), {"b.xls", "", "", "xls", "1", "P", "/docs/b.xls"},
                                    {"c.txt", "", "", "txt", "", "", "/docs/c.txt"}});
    PrintListModel& model = *window->listModel();
    EXPECT_TRUE(model.data(model.index(0, 5), Qt::ToolTipRole).toString().contains(QStringLiteral("プリンター P が見つかりません")));
    window->listView()->selectAll();
    dialogs.answers = {true};
    button("btnPrt")->click();

    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions[0].startsWith(QStringLiteral("選択したファイルを印刷します。よろしいですか？\n\n"
                                                               "選択した 3 件のうち 3 件は、このままでは印刷できません。")));
    ASSERT_EQ(dialogs.errors.size(), 1);
    const QString report = dialogs.errors[0];
    EXPECT_TRUE(report.startsWith(QStringLiteral("次のファイルを印刷できませんでした。")));
    EXPECT_TRUE(report.contains(QStringLiteral("\n　a.doc")));
    EXPECT_TRUE(report.contains(QStringLiteral("\n　b.xls")));
    EXPECT_FALSE(report.contains(QStringLiteral("c.txt")));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(window->listView()->cursor().shape(), Qt::ArrowCursor);

    // The rows say how they ended, and the failed ones are one command away.
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::ToolTipRole).toString().contains(QStringLiteral("印刷できませんでした: ")));
    EXPECT_EQ(model.outcome(2)->kind, RowOutcome::Kind::Skipped);
    window->listView()->clearSelection();
    window->findChild<QAction*>(QStringLiteral("P8"))->trigger();
    EXPECT_EQ(window->selectedRows(), (std::vector<size_t>{0, 1}));
    // Mending one row leaves the marks of the others.
    window->printList().setEntry(2, entry("d.doc"));
    EXPECT_EQ(model.outcome(2), nullptr);
    EXPECT_EQ(model.rowsToReprint(), (std::vector<size_t>{0, 1}));

    // The next run's question shows the rows it prints as they stand now.
    window->listView()->clearSelection();
    window->listView()->selectRow(0);
    dialogs.answers = {false};
    button("btnPrt")->click();
    EXPECT_EQ(model.outcome(0), nullptr);
    EXPECT_EQ(model.outcome(1)->kind, RowOutcome::Kind::Failed);
}

#include "ListFile.h"
#include "MainWindowFixture.h"
#include "ModalAnswer.h"
#include "UOption.h"
#include "UVersion.h"

#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

using namespace pravik;
using namespace pravik::test;

namespace {

class MainMenuTest : public MainWindowTest {
protected:
    std::unique_ptr<TFmOption> options;
    std::unique_ptr<TFmVersion> version;

    void startWithWindows()
    {
        start();
        const std::string iniPath = dir.file("main.ini");
        options = std::make_unique<TFmOption>(dialogs, iniPath);
        version = std::make_unique<TFmVersion>(dialogs, iniPath, [](const QString&) { return true; });
        window->setOptionWindow(options.get());
        window->setVersionWindow(version.get());
    }
    void choose(const char* item) { window->findChild<QAction*>(QLatin1String(item))->trigger(); }
    QMenu* menu(const char* name) { return window->findChild<QMenu*>(QLatin1String(name)); }
};

} // namespace

TEST_F(MainMenuTest, HasTheFourMenusInOrderWithTheirItemsAndSeparators)
{
    start();
    QStringList shown;
    for (QAction* title : window->menuBar()->actions()) {
        shown << title->text();
        for (QAction* item : title->menu()->actions())
            shown << (item->isSeparator() ? QStringLiteral("-") : QStringLiteral("  ") + item->text());
    }
    EXPECT_EQ(shown.join(QLatin1Char('|')),
              QStringLiteral("ファイル(&F)|  新規作成(&N)|-|  開く(&O)|-|  上書き保存(&S)|  名前を付けて保存(&A)|-|"
                             "  オプション(&T)|-|  終了(&X)|印刷(&P)|  印刷開始(&R)|  印刷プレビュー(&P)|-|  印刷できなかった行を選択(&F)|"
                             "ソート(&S)|  ファイル名でソート(&F)|  拡張子でソート(&T)|"
                             "ヘルプ(&H)|  ヘルプ(&H)|-|  バージョン情報(&V)"));
}

TEST_F(MainMenuTest, FileItemsSaveOpenAndStartAnewLikeTheToolbar)
{
    start();
    changeRows();
    dialogs.saveChoices = {QString::fromStdString(dir.file("week.lst"))};
    choose("SaveAs1");
    EXPECT_EQ(caption(), QStringLiteral("Pravik - week.lst"));
    EXPECT_EQ(readListFile(dir.file("week.lst")).entries.size(), 2u);

    window->printList().replaceAll({entry("c.doc")});
    window->markListChanged();
    choose("Save1"); // under its name, without a dialog
    EXPECT_EQ(readListFile(dir.file("week.lst")).entries.size(), 1u);

    choose("New1");
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(caption(), QStringLiteral("Pravik - "));

    dialogs.openChoices = {QString::fromStdString(dir.file("week.lst"))};
    choose("Open1");
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(caption(), QStringLiteral("Pravik - week.lst"));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainMenuTest, ExitClosesThroughTheSaveQuestion)
{
    start();
    changeRows();
    dialogs.answers = {false};
    choose("Exit2");
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("内容が変更されています。保存しますか？")});
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainMenuTest, PrintItemsStartARunToPrintOrToPreview)
{
    start();
    changeRows();
    window->listView()->selectAll();
    dialogs.answers = {false, false};
    choose("E1");
    choose("P7");
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_TRUE(dialogs.questions[0].startsWith(QStringLiteral("選択したファイルを印刷します。よろしいですか？")));
    EXPECT_EQ(dialogs.questions[1], QStringLiteral("選択したファイルを印刷プレビューします。よろしいですか？"));
}

TEST_F(MainMenuTest, OptionsAndVersionOpenModally)
{
    startWithWindows();
    for (const auto& [item, expected] : {std::pair{"N6", "FmOption"}, std::pair{"About1", "FmVersion"}}) {
        QString shown;
        whenModalShown([&shown](QWidget* modal) {
            if (!modal)
                return;
            shown = modal->objectName();
            modal->close();
        });
        choose(item);
        EXPECT_EQ(shown, QLatin1String(expected));
    }
    EXPECT_EQ(ini(), designedIni); // closed without OK: nothing written
}

TEST_F(MainMenuTest, HelpOpensTheGuideBesideTheProgramOrNamesWhatIsMissing)
{
    start();
    const std::string guide = dir.file("help/index.html");
    choose("Help2");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("ヘルプファイル %1 が見つかりません").arg(QString::fromStdString(guide)));
    EXPECT_TRUE(opened.empty());

    std::filesystem::create_directory(dir.file("help"));
    writeBytes(guide, "<html></html>");
    choose("Help2");
    EXPECT_EQ(opened, std::vector<std::string>{guide});

    openDocument = [](const std::string&) { return std::string("起動できません。"); };
    choose("Help2");
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_EQ(dialogs.errors[1],
              QStringLiteral("ヘルプファイル %1 を開けません。\n起動できません。").arg(QString::fromStdString(guide)));
}

TEST_F(MainMenuTest, SortItemsOrderByFileNameOrExtensionWithoutMarkingTheListChanged)
{
    start();
    choose("N7"); // nothing to sort: Save stays as it was
    EXPECT_FALSE(button("btnSave")->isEnabled());

    window->printList().replaceAll({{"b.doc", "", "", "doc", "1", "P", "/d/b.doc"},
                                    {"a.xls", "", "", "xls", "1", "P", "/d/a.xls"},
                                    {"c.dot", "", "", "dot", "1", "P", "/d/c.dot"}});
    const auto names = [this] {
        QStringList shown;
        for (int row = 0; row < rowCount(); ++row)
            shown << window->listView()->model()->index(row, 0).data().toString();
        return shown.join(QLatin1Char(' '));
    };
    choose("N7");
    EXPECT_EQ(names(), QStringLiteral("a.xls b.doc c.dot"));
    choose("T1");
    EXPECT_EQ(names(), QStringLiteral("b.doc c.dot a.xls"));
    EXPECT_TRUE(button("btnSave")->isEnabled());
    EXPECT_FALSE(window->printList().changed);
}

TEST_F(MainMenuTest, TheSortTitleAndUnknownTagsDoNothing)
{
    start();
    changeRows();
    const std::string before = ini();
    for (int tag : {0, 17, 99, -1})
        window->MainMenuClick(tag);
    EXPECT_EQ(rowCount(), 2);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ini(), before);
}

TEST_F(MainMenuTest, EveryAltKeyReachesExactlyOneControl)
{
    start();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    struct Case {
        Qt::Key key;
        const char* reaches; // a toolbar button or a menu
    };
    dialogs.openFilesChoices = {QStringList()}; // the Add dialog, cancelled
    for (const Case& c : {Case{Qt::Key_N, "btnNew"}, Case{Qt::Key_A, "btnAdd"}, Case{Qt::Key_D, "btnDel"},
                          Case{Qt::Key_O, "btnSet"}, Case{Qt::Key_F, "File1"}, Case{Qt::Key_P, "Print1"},
                          Case{Qt::Key_S, "Sort1"}, Case{Qt::Key_H, "Help1"}}) {
        SCOPED_TRACE(c.reaches);
        const QList<QToolButton*> tools = window->findChildren<QToolButton*>();
        std::vector<std::unique_ptr<QSignalSpy>> clicks;
        for (QToolButton* tool : tools)
            clicks.push_back(std::make_unique<QSignalSpy>(tool, &QToolButton::clicked));
        QTest::keyClick(window.get(), c.key, Qt::AltModifier);
        QTest::qWait(300); // a button's mnemonic clicks after its press animation
        int fired = 0;
        for (size_t i = 0; i < clicks.size(); ++i) {
            if (clicks[i]->count() > 0) {
                ++fired;
                EXPECT_EQ(tools[static_cast<qsizetype>(i)]->objectName(), QLatin1String(c.reaches));
            }
        }
        for (QMenu* popup : window->findChildren<QMenu*>()) {
            if (popup->isVisible()) {
                ++fired;
                EXPECT_EQ(popup->objectName(), QLatin1String(c.reaches));
                popup->close();
            }
        }
        EXPECT_EQ(fired, 1);
    }
}

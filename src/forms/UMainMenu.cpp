// The main window's menu bar, its one click handler and the help command.
#include "UMain.h"

#include "Dialogs.h"
#include "ExecutablePath.h"
#include "QtText.h"
#include "UOption.h"
#include "UVersion.h"

#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <vector>

namespace pravik {

namespace {

struct MenuItem {
    const char* name;
    const char* caption; // UTF-8; empty for a separator
    int tag;
    // The key every desktop program has for the command, beside the Alt keys.
    QKeySequence key = {};
};

struct MenuTitle {
    const char* name;
    const char* caption;
    std::vector<MenuItem> items;
};

const MenuItem separator{"", "", 0};

// The help shipped with the program. Windows keeps its compiled help
// first; the HTML guide serves where that is not installed.
std::vector<std::string> helpFileCandidates(const std::string& folder)
{
    const std::string guide = folder + kPathSeparator + "help" + kPathSeparator + "index.html";
#ifdef _WIN32
    return {folder + "\\help.chm", guide};
#else
    return {guide};
#endif
}

} // namespace

void TFmMain::buildMenu()
{
    const MenuTitle titles[] = {
        {"File1", "ファイル(&F)",
         {{"New1", "新規作成(&N)", 11, QKeySequence::New}, separator,
          {"Open1", "開く(&O)", 12, QKeySequence::Open}, separator,
          {"Save1", "上書き保存(&S)", 13, QKeySequence::Save}, {"SaveAs1", "名前を付けて保存(&A)", 14}, separator,
          {"N6", "オプション(&T)", 15}, separator, {"Exit2", "終了(&X)", 16}}},
        {"Print1", "印刷(&P)", {{"E1", "印刷開始(&R)", 21, QKeySequence::Print}, {"P7", "印刷プレビュー(&P)", 22}, separator,
          {"P8", "印刷できなかった行を選択(&F)", 23}}},
        {"Sort1", "ソート(&S)", {{"N7", "ファイル名でソート(&F)", 31}, {"T1", "拡張子でソート(&T)", 32}}},
        {"Help1", "ヘルプ(&H)",
         {{"Help2", "ヘルプ(&H)", 41, QKeySequence(Qt::Key_F1)}, separator, {"About1", "バージョン情報(&V)", 42}}},
    };

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menu"));
    for (const MenuTitle& title : titles) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(title.caption));
        menu->setObjectName(QString::fromLatin1(title.name));
        // The title itself carries tag 0, which runs nothing.
        menu->menuAction()->setProperty("tag", 0);
        for (const MenuItem& item : title.items) {
            if (item.tag == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(QString::fromLatin1(item.name));
            action->setProperty("tag", item.tag);
            action->setShortcut(item.key);
            connect(action, &QAction::triggered, this, [this, tag = item.tag] { MainMenuClick(tag); });
        }
    }
}

void TFmMain::MainMenuClick(int tag)
{
    guarded([this, tag] {
        switch (tag) {
        case 11: newList(); break;
        case 12: openList(); break;
        case 13: saveList(); break;
        case 14: saveListAs(); break;
        case 15:
            if (optionWindow_)
                optionWindow_->exec();
            break;
        case 16: close(); break;
        case 21: PrintFiles(0); break;
        case 22: PrintFiles(1); break;
        case 23: selectRowsToReprint(); break;
        case 31: sortByColumn(0); break;
        case 32: sortByColumn(3); break;
        case 41: openHelp(); break;
        case 42:
            if (versionWindow_)
                versionWindow_->exec();
            break;
        default: break;
        }
    });
}

void TFmMain::openHelp()
{
    const std::vector<std::string> candidates = helpFileCandidates(guideFolder_);
    for (const std::string& candidate : candidates) {
        const QString path = pathToQString(candidate);
        if (!QFileInfo(path).isFile())
            continue;
        if (const std::string reason = services_.openDocument(candidate); !reason.empty())
            dialogs_.showError(
                this, QStringLiteral("ヘルプファイル %1 を開けません。\n%2").arg(path, QString::fromUtf8(reason)));
        return;
    }
    // Named, so that the user knows what is missing and where: the guide
    // every installation has.
    dialogs_.showError(
        this, QStringLiteral("ヘルプファイル %1 が見つかりません").arg(pathToQString(candidates.back())));
}

} // namespace pravik

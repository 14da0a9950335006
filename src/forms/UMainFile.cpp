// The main window's list file commands, start-up and close.
#include "UMain.h"

#include "UDialog.h"

#include "Dialogs.h"
#include "ExecutablePath.h"
#include "PrintListModel.h"
#include "QtText.h"
#include "TextCodec.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace pravik {

namespace {

const QString listFilter = QStringLiteral("リストファイル（*.lst） (*.lst);;全てのファイル (*)");

std::string iniPathIn(const std::string& folder) { return folder + kPathSeparator + "main.ini"; }

} // namespace

void TFmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    guarded([this] { FormShow(); });
}

void TFmMain::FormShow()
{
    list_.clear();
    list_.changed = false;
    btnSave->setEnabled(false);
    list_.listFileName.clear();
    loadSettings(iniPathIn(appFolder_), settings_, *this, list_);
}

void TFmMain::closeEvent(QCloseEvent* event)
{
    // A run's or a launch's loop is still on the stack: closing now would
    // pull the window out from under it.
    if (officeWorkRunning_ || launchRunning_) {
        event->ignore();
        return;
    }
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TFmMain::endOnStopRequest()
{
    if (progressDialog_ && progressDialog_->isVisible())
        progressDialog_->requestStop();
    else
        abortFlag = 1;
    if (abandonAhead_)
        abandonAhead_();
    if (officeWorkRunning_ || launchRunning_)
        return;
    try {
        saveWindowState(iniPathIn(appFolder_), currentWindowState(), list_.listFileName);
    } catch (...) {
        // Ending matters more than the window's place.
    }
    QCoreApplication::quit();
}

bool TFmMain::FormClose()
{
    bool proceed = false;
    guarded([this, &proceed] { proceed = fileCommands_.confirmClose(); });
    if (!proceed)
        return false;
    // The window closes even when main.ini cannot be written: the error is
    // shown, and the user's list is already safe.
    guarded([this] { saveWindowState(iniPathIn(appFolder_), currentWindowState(), list_.listFileName); });
    return true;
}

WindowState TFmMain::currentWindowState() const
{
    WindowState state;
    const QHeaderView* header = lstView->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        state.headingsInDisplayOrder.push_back(
            fromQString(model_->headerData(logical, Qt::Horizontal).toString()));
        state.widthsInDisplayOrder.push_back(header->sectionSize(logical));
    }
    state.top = y();
    state.left = x();
    state.height = height();
    state.width = width();
    return state;
}

void TFmMain::btnNewClick(int tag)
{
    switch (tag) {
    case 1: newList(); break;
    case 2: openList(); break;
    case 3: saveList(); break;
    }
}

void TFmMain::newList() { guarded([this] { fileCommands_.newList(); }); }
void TFmMain::openList() { guarded([this] { fileCommands_.open(); }); }
void TFmMain::saveList() { guarded([this] { fileCommands_.save(); }); }
void TFmMain::saveListAs() { guarded([this] { fileCommands_.saveAs(); }); }

SaveAnswer TFmMain::askSaveChanges()
{
    switch (dialogs_.askYesNoOrDismiss(this, QStringLiteral("内容が変更されています。保存しますか？"),
                                       QStringLiteral("保存確認"))) {
    case Dialogs::Reply::Yes: return SaveAnswer::Save;
    case Dialogs::Reply::No: return SaveAnswer::Discard;
    case Dialogs::Reply::Dismissed: break;
    }
    return SaveAnswer::Dismissed;
}

std::optional<std::string> TFmMain::chooseListToOpen()
{
    const QString chosen = dialogs_.chooseOpenFile(this, listFilter, QString());
    if (chosen.isEmpty())
        return std::nullopt;
    return pathFromQString(chosen);
}

std::optional<std::string> TFmMain::chooseListToSave(const std::string& initialFolder)
{
    const QString chosen =
        dialogs_.chooseSaveFile(this, listFilter, QStringLiteral("lst"), pathToQString(initialFolder));
    if (chosen.isEmpty())
        return std::nullopt;
    return pathFromQString(chosen);
}

bool TFmMain::confirmReplace(const std::string& cp932Path)
{
    return dialogs_.askYesNo(this,
                             QStringLiteral("%1 は既に存在します。\n置き換えますか？").arg(pathToQString(cp932Path)),
                             QStringLiteral("名前を付けて保存"));
}

void TFmMain::setCaption(const std::string& caption) { setWindowTitle(toQString(caption)); }
void TFmMain::setSaveEnabled(bool enabled) { btnSave->setEnabled(enabled); }

void TFmMain::setColumnWidth(int column, int width) { lstView->setColumnWidth(column, width); }
void TFmMain::setTop(int top) { move(x(), top); }
void TFmMain::setLeft(int left) { move(left, y()); }
void TFmMain::setHeight(int height) { resize(width(), height); }
void TFmMain::setWidth(int width) { resize(width, height()); }

void TFmMain::placeForFirstStart()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Wide enough for every column at its designed width.
    resize(std::min(900, area.width() * 9 / 10), std::min(560, area.height() * 8 / 10));
    move(area.center() - rect().center());
}

void TFmMain::centreSecondaryWindows()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize size = screen->size();
    // C++ division truncates toward zero, as the window placement expects
    // also for windows wider than the screen.
    for (QWidget* window : secondaryWindows_)
        window->move(size.width() / 2 - window->width() / 2, size.height() / 2 - window->height() / 2);
}

} // namespace pravik

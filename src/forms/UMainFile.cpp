// The main window's list file commands, start-up and close.
#include "UMain.h"

#include "UDialog.h"
#include "UEdit.h"

#include "Dialogs.h"
#include "ExecutablePath.h"
#include "PrintListModel.h"
#include "QtText.h"
#include "TextCodec.h"
#include "WindowSlot.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace pravik {

namespace {

const QString listFilter = QStringLiteral("リストファイル（*.lst） (*.lst);;全てのファイル (*)");

std::string iniPathIn(const std::string& folder) { return folder + kPathSeparator + "main.ini"; }

} // namespace

std::string TFmMain::iniPath() const { return iniPathIn(appFolder_); }

void TFmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    refreshInstalledPrinters();
    guarded([this] { FormShow(); });
}

void TFmMain::FormShow()
{
    list_.clear();
    list_.changed = false;
    setSaveEnabled(false);
    list_.listFileName.clear();
    loadSettings(iniPathIn(appFolder_), settings_, *this, list_);
    dialogs_.setLastFolders(readDialogFolders(iniPathIn(appFolder_)));
    // A second start while the first runs opens a title bar's height down and
    // to the right of it, as Windows cascades windows, not hidden under it.
    windowSlot_ = std::make_unique<WindowSlot>(pathToQString(appFolder_));
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) * windowSlot_->index();
    setGeometry(geometry().translated(step, step));
    // Saved on another screen or at another scaling, it may lie off this one.
    keepOnScreen();
}

void TFmMain::closeEvent(QCloseEvent* event)
{
    // A run's or a launch's loop is still on the stack: closing now would
    // pull the window out from under it.
    if (officeWorkRunning_ || launchRunning_) {
        event->ignore();
        return;
    }
    if (FormClose()) {
        event->accept();
        windowSlot_.reset(); // the next start may open in this place
    } else
        event->ignore();
}

void TFmMain::endOnStopRequest()
{
    if (progressDialog_ && progressDialog_->isVisible())
        progressDialog_->requestStop();
    else
        abortFlag = 1;
    if (stopRun_)
        stopRun_();
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
    // What the editor holds is asked about with the rest of the list; when
    // it cannot be written back, the window stays for the user to mend it.
    guarded([this, &proceed] {
        takeEditorChanges();
        proceed = fileCommands_.confirmClose();
    });
    if (!proceed)
        return false;
    // The window closes even when main.ini cannot be written: the error is
    // shown, and the user's list is already safe.
    guarded([this] {
        saveWindowState(iniPathIn(appFolder_), currentWindowState(), list_.listFileName);
        saveDialogFolders(iniPathIn(appFolder_), dialogs_.lastFolders());
    });
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
    state.top = geometry().y();
    state.left = geometry().x();
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

void TFmMain::newList() { guarded([this] { takeEditorChanges(); fileCommands_.newList(); }); }
void TFmMain::openList() { guarded([this] { takeEditorChanges(); fileCommands_.open(); }); }
void TFmMain::openListFile(const std::string& path)
{
    guarded([this, &path] {
        takeEditorChanges();
        fileCommands_.openFile(path);
    });
}
void TFmMain::saveList() { guarded([this] { takeEditorChanges(); fileCommands_.save(); }); }
void TFmMain::saveListAs() { guarded([this] { takeEditorChanges(); fileCommands_.saveAs(); }); }

void TFmMain::takeEditorChanges()
{
    if (entryEditor_)
        entryEditor_->writeBackTypedChanges();
}

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

std::optional<std::string> TFmMain::chooseListToOpen(const std::string& initialFolder)
{
    const QString chosen = dialogs_.chooseOpenFile(this, listFilter, pathToQString(initialFolder));
    if (chosen.isEmpty())
        return std::nullopt;
    return pathFromQString(chosen);
}

void TFmMain::setSaveFolder(const std::string& folder) { fileCommands_.setSaveFolder(folder + kPathSeparator); }

std::optional<std::string> TFmMain::chooseListToSave(const std::string& initialFolder)
{
    // A folder among the user's documents is made when it is first needed,
    // not at every start of a program that may never save a list.
    QDir().mkpath(pathToQString(initialFolder));
    const QString chosen =
        dialogs_.chooseSaveFile(this, listFilter, QStringLiteral("lst"), pathToQString(initialFolder));
    if (chosen.isEmpty())
        return std::nullopt;
    return pathFromQString(chosen);
}

OverwriteAnswer TFmMain::askOverwriteChangedFile()
{
    switch (dialogs_.askChoice(this,
                               QStringLiteral("このファイルは他のウィンドウまたはプログラムで変更されています。上書きしますか？"),
                               QStringLiteral("上書き保存"),
                               {QStringLiteral("上書き"), QStringLiteral("名前を付けて保存"), QStringLiteral("キャンセル")})) {
    case 0: return OverwriteAnswer::Overwrite;
    case 1: return OverwriteAnswer::SaveAs;
    default: return OverwriteAnswer::Cancel;
    }
}

bool TFmMain::confirmReplace(const std::string& cp932Path)
{
    return dialogs_.askYesNo(this,
                             QStringLiteral("%1 は既に存在します。\n置き換えますか？").arg(pathToQString(cp932Path)),
                             QStringLiteral("名前を付けて保存"));
}

bool TFmMain::offerSaveAs(const std::string& problem)
{
    return dialogs_.askYesNo(this, QString::fromStdString(problem) + QStringLiteral("\n名前を付けて保存しますか？"),
                             QStringLiteral("上書き保存"));
}

void TFmMain::setCaption(const std::string& caption)
{
    // Qt marks unsaved changes where the placeholder stands.
    setWindowTitle(toQString(caption) + QStringLiteral("[*]"));
    setWindowModified(list_.changed);
}

void TFmMain::setSaveEnabled(bool enabled)
{
    btnSave->setEnabled(enabled);
    setWindowModified(list_.changed);
}

void TFmMain::setColumnWidth(int column, int width) { lstView->setColumnWidth(column, width); }
// The position kept is the client area's: a frame's position is not known
// before the window is shown, and the window would creep by its title bar's
// height at every start.
void TFmMain::setTop(int top) { setGeometry(QRect(QPoint(geometry().x(), top), geometry().size())); }
void TFmMain::setLeft(int left) { setGeometry(QRect(QPoint(left, geometry().y()), geometry().size())); }

void TFmMain::keepOnScreen()
{
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect shown(geometry().topLeft(), geometry().size().boundedTo(area.size()));
    shown.moveLeft(std::clamp(shown.left(), area.left(), area.right() + 1 - shown.width()));
    shown.moveTop(std::clamp(shown.top(), area.top(), area.bottom() + 1 - shown.height()));
    if (shown != geometry())
        setGeometry(shown);
}
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

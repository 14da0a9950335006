// The main window's commands on the selected rows: delete, move, rename and
// copy or cut, with the context menu and the keys that reach them.
#include "UMain.h"

#include "Dialogs.h"
#include "FileClipboard.h"
#include "PrintListModel.h"
#include "QtText.h"
#include "RepaintSuspended.h"
#include "RowOrder.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QListView>
#include <QMenu>
#include <QShortcut>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace pravik {

namespace {

const QString printCaption = QStringLiteral("印刷(&P)");
const QString previewCaption = QStringLiteral("印刷プレビュー(&V)");
const QString settingsCaption = QStringLiteral("設定(&O)");
const QString deleteCaption = QStringLiteral("リストから削除(&D)");
const QString renameCaption = QStringLiteral("ファイル名を変更する(&M)");
const QString launchCaption = QStringLiteral("起動(&K)");
const QString copyCaption = QStringLiteral("コピー(&C)");
const QString cutCaption = QStringLiteral("切り取り(&X)");

constexpr int renameMaxLength = 255;

} // namespace

void TFmMain::buildMenus()
{
    pop = new QMenu(this);
    pop->setObjectName(QStringLiteral("pop"));
    const struct {
        const char* name;
        const QString& caption;
    } items[] = {{"pop1", printCaption},  {"pop2", previewCaption}, {"pop3", settingsCaption},
                 {"pop4", deleteCaption}, {"pop5", renameCaption},  {"N8", QString()},
                 {"pop6", launchCaption}, {"pop7", copyCaption},    {"pop8", cutCaption}};
    for (const auto& item : items) {
        QAction* action = item.caption.isEmpty() ? pop->addSeparator() : pop->addAction(item.caption);
        action->setObjectName(QString::fromLatin1(item.name));
    }
    connect(pop, &QMenu::aboutToShow, this, &TFmMain::popPopup);
    connect(pop, &QMenu::triggered, this, &TFmMain::popClick);

    for (QWidget* owner : {static_cast<QWidget*>(lstView), static_cast<QWidget*>(lstNames),
                           static_cast<QWidget*>(btnHyouji)}) {
        owner->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(owner, &QWidget::customContextMenuRequested, this, [this, owner](const QPoint& at) {
            const auto* view = qobject_cast<QAbstractItemView*>(owner);
            pop->popup((view ? view->viewport() : owner)->mapToGlobal(at));
        });
    }
    // Shift+F10 opens it from the keyboard as the Menu key does, under the
    // current row.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(lstView), static_cast<QAbstractItemView*>(lstNames)}) {
        auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), view, nullptr, nullptr,
                                      Qt::WidgetWithChildrenShortcut);
        connect(menuKey, &QShortcut::activated, this, [this, view] {
            const QRect row = view->visualRect(view->currentIndex());
            pop->popup(view->viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint()));
        });
    }

    connect(btnDel, &QToolButton::clicked, this, [this] { btnAddClick(2); });
    connect(btnHyouji, &QToolButton::clicked, this, [this] { btnUpClick(1); });
    // 表示's menu from the keyboard; its caption has no room for a letter.
    auto* viewKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_V), this);
    connect(viewKey, &QShortcut::activated, this, [this] { btnUpClick(1); });
    connect(btnUp, &QToolButton::clicked, this, [this] { btnUpClick(2); });
    connect(btnDown, &QToolButton::clicked, this, [this] { btnUpClick(3); });

    // Keys on the list for what the mouse reaches through the menus.
    const struct {
        QKeySequence key;
        void (TFmMain::*command)();
    } keys[] = {{QKeySequence::Delete, &TFmMain::deleteSelectedRows},
                {QKeySequence(Qt::Key_F2), &TFmMain::renameSelectedRows},
                {QKeySequence(Qt::Key_Return), &TFmMain::launchFirstSelected},
                {QKeySequence(Qt::Key_Enter), &TFmMain::launchFirstSelected},
                {QKeySequence(Qt::CTRL | Qt::Key_Up), &TFmMain::moveSelectedUp},
                {QKeySequence(Qt::CTRL | Qt::Key_Down), &TFmMain::moveSelectedDown},
                {QKeySequence(Qt::Key_Home), &TFmMain::selectFirstRow},
                {QKeySequence(Qt::Key_End), &TFmMain::selectLastRow}};
    for (QWidget* view : {static_cast<QWidget*>(lstView), static_cast<QWidget*>(lstNames)}) {
        for (const auto& key : keys) {
            auto* shortcut = new QShortcut(key.key, view, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, command = key.command] {
                const RepaintSuspended quiet({lstView, lstNames});
                (this->*command)();
            });
        }
        auto* copy = new QShortcut(QKeySequence::Copy, view, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(copy, &QShortcut::activated, this, [this] { putFilesOnClipboard(DropEffect::Copy); });
        auto* cut = new QShortcut(QKeySequence::Cut, view, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(cut, &QShortcut::activated, this, [this] { putFilesOnClipboard(DropEffect::Move); });
    }
}

void TFmMain::popPopup()
{
    const bool any = lstView->selectionModel()->hasSelection();
    for (QAction* item : pop->actions())
        if (!item->isSeparator())
            item->setEnabled(any || (item->text() == printCaption && settings_.printTarget == AllRows));
}

void TFmMain::popClick(QAction* item)
{
    const QString caption = item->text();
    if (caption == printCaption)
        PrintFiles(0);
    else if (caption == previewCaption)
        PrintFiles(1);
    else if (caption == launchCaption)
        launchSelectedFiles();
    else if (caption == settingsCaption)
        openEditorOnSelection();
    else if (caption == deleteCaption)
        deleteSelectedRows();
    else if (caption == renameCaption)
        renameSelectedRows();
    else if (caption == copyCaption)
        putFilesOnClipboard(DropEffect::Copy);
    else if (caption == cutCaption)
        putFilesOnClipboard(DropEffect::Move);
}

std::vector<size_t> TFmMain::selectedRows() const
{
    // Read from the selection's ranges: a long list is not walked row by row.
    std::vector<size_t> rows;
    for (const QItemSelectionRange& range : lstView->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(static_cast<size_t>(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TFmMain::selectFirstRow()
{
    if (!list_.empty())
        goToRow(0);
}

void TFmMain::selectLastRow()
{
    if (!list_.empty())
        goToRow(list_.size() - 1);
}

void TFmMain::goToRow(size_t row)
{
    const QModelIndex index = model_->index(static_cast<int>(row), 0);
    lstView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lstView->scrollTo(index);
    lstNames->scrollTo(index);
}

void TFmMain::selectRows(const std::vector<size_t>& rows)
{
    QItemSelectionModel* selection = lstView->selectionModel();
    QItemSelection ranges;
    for (size_t first = 0; first < rows.size();) {
        size_t last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        ranges.select(model_->index(static_cast<int>(rows[first]), 0),
                      model_->index(static_cast<int>(rows[last]), PrintEntry::fieldCount - 1));
        first = last + 1;
    }
    selection->select(ranges, QItemSelectionModel::ClearAndSelect);
}

void TFmMain::focusFirstSelected()
{
    const std::vector<size_t> rows = selectedRows();
    QItemSelectionModel* selection = lstView->selectionModel();
    if (rows.empty())
        selection->clearCurrentIndex();
    else
        selection->setCurrentIndex(model_->index(static_cast<int>(rows.front()), 0), QItemSelectionModel::NoUpdate);
}

void TFmMain::reorderRows(const std::vector<size_t>& order, const std::vector<size_t>& selectionAfter)
{
    // The selection is taken off and put back as ranges rather than carried
    // by the model: Qt follows every selected row with a persistent index,
    // which on a long list costs many times the reorder itself.
    lstView->selectionModel()->clearSelection();
    list_.reorder(order);
    selectRows(selectionAfter);
}

void TFmMain::deleteSelectedRows()
{
    guarded([this] {
        const std::vector<size_t> rows = selectedRows();
        if (rows.empty()) {
            tellInStatusBar(QStringLiteral("削除する行を選んでください"));
            return;
        }
        if (!dialogs_.confirmWarningOkCancel(this, QStringLiteral("選択したファイルをリストから削除します。よろしいですか？"),
                                      QStringLiteral("削除確認")))
            return;
        {
            const RepaintSuspended quiet({lstView, lstNames});
            lstView->selectionModel()->clear();
            list_.removeRows(rows);
        }
        markListChanged();
    });
}

void TFmMain::moveSelectedUp()
{
    guarded([this] {
        const std::vector<size_t> rows = selectedRows();
        if (rows.empty())
            return;
        const RowShuffle shuffle = selectionMovedUp(list_.size(), rows);
        {
            const RepaintSuspended quiet({lstView, lstNames});
            if (shuffle.moved)
                reorderRows(shuffle.order, shuffle.selection);
            focusFirstSelected();
        }
        markListChanged();
    });
}

void TFmMain::moveSelectedDown()
{
    guarded([this] {
        const std::vector<size_t> rows = selectedRows();
        const RowShuffle shuffle = selectionMovedDown(list_.size(), rows);
        {
            const RepaintSuspended quiet({lstView, lstNames});
            if (shuffle.moved)
                reorderRows(shuffle.order, shuffle.selection);
            else if (!rows.empty())
                selectRows(shuffle.selection);
            focusFirstSelected();
        }
        // Also with nothing selected: the command always offers the list for saving.
        markListChanged();
    });
}

void TFmMain::renameSelectedRows()
{
    guarded([this] {
        for (const size_t row : selectedRows()) {
            const QString current = toQString(list_.at(row).fileName);
            const QString typed = dialogs_.inputBox(this, QStringLiteral("ファイル名の変更"),
                                                    QStringLiteral("ファイル名：") + current, current,
                                                    renameMaxLength);
            if (typed == current)
                continue;
            // A line break would split the row in the list file; text that
            // CP932 cannot hold could not be stored at all.
            if (typed.contains(QLatin1Char('\n')) || typed.contains(QLatin1Char('\r'))) {
                dialogs_.showWarning(this, QStringLiteral("ファイル名に改行は使えません。「%1」の名前は変わりません。").arg(current),
                                     QStringLiteral("ファイル名の変更"));
                continue;
            }
            std::string name;
            try {
                name = fromQString(typed);
            } catch (const std::exception& error) {
                dialogs_.showWarning(this,
                                     QString::fromUtf8(error.what()) +
                                         QStringLiteral("\n「%1」の名前は変わりません。").arg(current),
                                     QStringLiteral("ファイル名の変更"));
                continue;
            }
            PrintEntry entry = list_.at(row);
            entry.fileName = std::move(name);
            list_.setEntry(row, std::move(entry));
            // A renamed row is a change like any other: closing asks to save it.
            markListChanged();
        }
    });
}

void TFmMain::putFilesOnClipboard(DropEffect effect)
{
    guarded([this, effect] {
        std::vector<std::string> paths;
        for (const size_t row : selectedRows())
            paths.push_back(list_.at(row).filePath);
        if (paths.empty())
            return;
        pravik::putFilesOnClipboard(paths, effect);
    });
}

} // namespace pravik

// The main window's ways of showing the list: sorting, the three view styles
// and the status bar text under the pointer.
#include "UMain.h"

#include "Dropdst.h"
#include "PrintListModel.h"
#include "QtText.h"
#include "RepaintSuspended.h"
#include "RowOrder.h"

#include <algorithm>

#include <QEvent>
#include <QItemSelectionModel>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QListView>
#include <QActionGroup>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

namespace pravik {

namespace {

// The list style shows names only; the small-icon style adds the icons.
class NameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool showIcons = false;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!showIcons) {
            option->features &= ~QStyleOptionViewItem::HasDecoration;
            option->icon = QIcon();
            option->decorationSize = QSize();
        }
    }
};

} // namespace

void TFmMain::buildStyleViews()
{
    lstNames = new QListView(this);
    lstNames->setObjectName(QStringLiteral("lstNames"));
    lstNames->setModel(model_);
    // One selection for every style: the rows chosen in one are the rows
    // chosen in the others, for the commands, the editor and the print run.
    lstNames->setSelectionModel(lstView->selectionModel());
    lstNames->setModelColumn(0);
    lstNames->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstNames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstNames->setViewMode(QListView::ListMode);
    lstNames->setResizeMode(QListView::Adjust);
    lstNames->setWrapping(true);
    // Each name as wide as it needs; a long list is laid out in batches so
    // the window stays responsive.
    lstNames->setLayoutMode(QListView::Batched);
    lstNames->setBatchSize(2000);
    lstNames->setIconSize(QSize(16, 16));
    lstNames->setPalette(lstView->palette());
    lstNames->setItemDelegate(new NameDelegate(lstNames));
    lstNames->hide();

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(lstView), static_cast<QAbstractItemView*>(lstNames)}) {
        view->viewport()->setMouseTracking(true);
        view->viewport()->installEventFilter(this);
    }

    QHeaderView* header = lstView->horizontalHeader();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, &TFmMain::lstViewColumnClick);

    hpop = new QMenu(this);
    hpop->setObjectName(QStringLiteral("hpop"));
    const struct {
        const char* name;
        QString caption;
        int tag;
    } styles[] = {{"hyo1", QStringLiteral("詳細(&S)"), 1},
                  {"hyo2", QStringLiteral("一覧(&L)"), 2},
                  {"hyo3", QStringLiteral("アイコン（&M）"), 3}};
    // The style in use carries the mark.
    auto* choices = new QActionGroup(hpop);
    for (const auto& style : styles) {
        QAction* item = hpop->addAction(style.caption);
        item->setObjectName(QString::fromLatin1(style.name));
        item->setData(style.tag);
        item->setCheckable(true);
        item->setChecked(style.tag == 1);
        choices->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag = style.tag] { hyo1Click(tag); });
    }
}

QAbstractItemView* TFmMain::currentView() const
{
    if (viewStyle_ == vsReport)
        return lstView;
    return lstNames;
}

void TFmMain::hyo1Click(int tag)
{
    switch (tag) {
    case 2: setViewStyle(vsList); break;
    case 3: setViewStyle(vsSmallIcon); break;
    default: setViewStyle(vsReport); break;
    }
}

void TFmMain::setViewStyle(ViewStyle style)
{
    auto* layout = centralWidget()->layout();
    QWidget* before = currentView();
    viewStyle_ = style;
    if (style != vsReport) {
        auto* delegate = static_cast<NameDelegate*>(lstNames->itemDelegate());
        delegate->showIcons = style == vsSmallIcon;
        lstNames->setFlow(style == vsList ? QListView::TopToBottom : QListView::LeftToRight);
        lstNames->setSpacing(style == vsList ? 0 : 2);
    }
    for (QAction* item : hpop->actions())
        item->setChecked(item->data().toInt() == static_cast<int>(style) + 1);
    QAbstractItemView* now = currentView();
    if (now != before) {
        // The focus moves before the old view hides: a focused item view that
        // hides passes the focus on with a Tab of its own, which moves its
        // current row and with it replaces the whole selection.
        const bool hadFocus = before->hasFocus();
        layout->replaceWidget(before, now);
        now->show();
        if (hadFocus)
            now->setFocus();
        before->hide();
        // Files can be dropped on the list in every style.
        drop->SetControl(now);
    }
    now->doItemsLayout();
    now->viewport()->update();
}

void TFmMain::btnUpClick(int tag)
{
    const RepaintSuspended quiet({lstView, lstNames});
    switch (tag) {
    case 1: showViewMenu(); break;
    case 2: moveSelectedUp(); break;
    case 3: moveSelectedDown(); break;
    }
}

void TFmMain::showViewMenu()
{
    // Under the button, as a drop-down opens.
    hpop->popup(btnHyouji->mapToGlobal(QPoint(0, btnHyouji->height())));
}

void TFmMain::lstViewColumnClick(int column)
{
    sortByColumn(column);
}

void TFmMain::sortByColumn(int column)
{
    if (column < 0 || column >= PrintEntry::fieldCount)
        return;
    {
        const RepaintSuspended quiet({lstView, lstNames});
        const std::vector<size_t> order = orderByColumn(list_.rows(), column);
        std::vector<size_t> newRowOfOld(order.size());
        for (size_t newRow = 0; newRow < order.size(); ++newRow)
            newRowOfOld[order[newRow]] = newRow;
        std::vector<size_t> selection;
        for (const size_t row : selectedRows())
            selection.push_back(newRowOfOld[row]);
        std::sort(selection.begin(), selection.end());
        reorderRows(order, selection);
    }
    // Offered for saving, but not asked about at close: only the order changed.
    if (!list_.empty())
        setSaveEnabled(true);
}

QString TFmMain::cellTextAt(int x, int y) const
{
    // The view's own hit test knows about scrolling and about columns dragged
    // into another order, so the text is the one under the pointer.
    const QModelIndex index = currentView()->indexAt(QPoint(x, y));
    if (!index.isValid())
        return {};
    return model_->cellText(index.row(), index.column());
}

void TFmMain::lstViewMouseMove(int x, int y)
{
    stsText->setText(cellTextAt(x, y));
    statusShowsHover_ = true;
}

void TFmMain::tellInStatusBar(const QString& text)
{
    stsText->setText(text);
    statusShowsHover_ = false;
}

QString TFmMain::statusText() const
{
    return stsText->text();
}

bool TFmMain::eventFilter(QObject* watched, QEvent* event)
{
    const bool onList = watched == lstView->viewport() || watched == lstNames->viewport();
    if (onList && event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        lstViewMouseMove(at.x(), at.y());
    } else if (onList && event->type() == QEvent::Leave && statusShowsHover_) {
        // The cell under the pointer, not one it left long ago.
        tellInStatusBar(QString());
    } else if (onList && event->type() == QEvent::MouseButtonDblClick &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lstViewDblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace pravik

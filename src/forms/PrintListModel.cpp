#include "PrintListModel.h"

#include "FileExistence.h"
#include "FileIcons.h"
#include "PathParts.h"
#include "PrintReadiness.h"
#include "SheetListText.h"
#include "QtText.h"
#include "RowMarkIcons.h"
#include "SettingsFile.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>

#include <algorithm>
#include <unordered_set>

namespace pravik {

namespace {
constexpr int pagesColumn = 2;
constexpr int extensionColumn = 3;
constexpr int copiesColumn = 4;

QString outcomeText(const RowOutcome& outcome)
{
    const QString text = QString::fromStdString(outcome.text);
    switch (outcome.kind) {
    case RowOutcome::Kind::Printed: return QStringLiteral("印刷しました");
    case RowOutcome::Kind::PrintedWithNote: return QStringLiteral("印刷しました（お知らせ: %1）").arg(text);
    case RowOutcome::Kind::Failed: return QStringLiteral("印刷できませんでした: %1").arg(text);
    case RowOutcome::Kind::Skipped: return QStringLiteral("印刷していません: %1").arg(text);
    case RowOutcome::Kind::NotReached:
        // A job taken back from the print system says how far it got.
        return text.isEmpty() ? QStringLiteral("中止したため印刷していません") : text;
    case RowOutcome::Kind::Unknown:
        return QStringLiteral("印刷されたかどうか確認できません。もう一度印刷する前にプリンターを確かめてください: %1")
            .arg(text);
    }
    return {};
}

} // namespace

PrintListModel::PrintListModel(PrintList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), existence_(new FileExistence(this))
{
    list_.setListener(this);
    connect(existence_, &FileExistence::changed, this, &PrintListModel::iconsChanged);
}

PrintListModel::~PrintListModel()
{
    list_.setListener(nullptr);
}

int PrintListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int PrintListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : PrintEntry::fieldCount;
}

QVariant PrintListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const PrintEntry& entry = list_.at(static_cast<size_t>(index.row()));
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::ToolTipRole: {
        // The cell's own text first, as a narrow column cuts it.
        const QString text = cellText(index.row(), index.column());
        const QString status = statusTip(index.row());
        if (status.isEmpty())
            return text;
        return text.isEmpty() ? status : text + QLatin1Char('\n') + status;
    }
    case Qt::DecorationRole:
        if (index.column() != 0)
            return {};
        if (const RowOutcome* ended = outcome(index.row()))
            return outcomeIcon(ended->kind);
        if (!existence_->exists(entry.filePath))
            return {};
        if (!printProblem(index.row()).isEmpty())
            return unprintableIcon();
        return FileIcons::icon(documentKindOfPath(entry.filePath));
    case Qt::ForegroundRole:
        // A row whose file has gone is greyed, not merely iconless: in the
        // grey of a disabled list, so that it stays grey when the whole
        // list is greyed during a run.
        if (!existence_->exists(entry.filePath))
            return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == extensionColumn || index.column() == copiesColumn)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QString PrintListModel::cellText(int row, int column) const
{
    const PrintEntry& entry = list_.at(static_cast<size_t>(row));
    if (column == extensionColumn) {
        const std::string real = extensionPart(entry.filePath);
        return toQString(real.empty() ? entry.extension : real);
    }
    if (column == pagesColumn && !entry.pagesOrSheets.empty()) {
        switch (documentKindOfExtension(entry.extension)) {
        case DocumentKind::Word: return toQString(pageRangesOf(entry.pagesOrSheets));
        case DocumentKind::Excel: {
            QStringList names;
            for (const std::string& name : readSheetList(entry.pagesOrSheets))
                names << toQString(name);
            return names.join(QStringLiteral("、"));
        }
        case DocumentKind::Other: break;
        }
    }
    return toQString(entry.field(column));
}

QString PrintListModel::printProblem(int row) const
{
    const PrintEntry& entry = list_.at(static_cast<size_t>(row));
    if (!existence_->exists(entry.filePath))
        return QStringLiteral("ファイルが見つかりません: %1").arg(toQString(entry.filePath));
    QStringList problems;
    for (const std::string& problem : printProblems(entry, installedPrinters_))
        problems << QString::fromStdString(problem);
    return problems.join(QLatin1Char('\n'));
}

QString PrintListModel::statusTip(int row) const
{
    QStringList lines;
    const RowOutcome* ended = outcome(row);
    if (ended)
        lines << outcomeText(*ended);
    QStringList problems = printProblem(row).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // What the run already said is not said twice.
    if (ended && ended->kind == RowOutcome::Kind::Failed)
        problems.removeAll(QString::fromStdString(ended->text));
    if (!problems.isEmpty()) {
        // A missing file says so by itself.
        if (existence_->exists(list_.at(static_cast<size_t>(row)).filePath))
            lines << QStringLiteral("このままでは印刷できません:");
        lines << problems;
    }
    return lines.join(QLatin1Char('\n'));
}

void PrintListModel::setInstalledPrinters(std::vector<std::string> names)
{
    if (names == installedPrinters_)
        return;
    installedPrinters_ = std::move(names);
    marksChanged();
}

void PrintListModel::showOutcomes(const std::vector<RowOutcome>& outcomes)
{
    outcomes_.resize(list_.size());
    for (const RowOutcome& ended : outcomes)
        if (ended.row >= 0 && static_cast<size_t>(ended.row) < outcomes_.size())
            outcomes_[static_cast<size_t>(ended.row)] = ended;
    marksChanged();
}

const RowOutcome* PrintListModel::outcome(int row) const
{
    if (row < 0 || static_cast<size_t>(row) >= outcomes_.size() || !outcomes_[static_cast<size_t>(row)])
        return nullptr;
    return &*outcomes_[static_cast<size_t>(row)];
}

std::vector<size_t> PrintListModel::rowsToReprint() const
{
    std::vector<size_t> rows;
    for (size_t row = 0; row < outcomes_.size(); ++row)
        if (outcomes_[row] && wantsReprint(outcomes_[row]->kind))
            rows.push_back(row);
    return rows;
}

void PrintListModel::clearOutcomesOf(const std::vector<size_t>& rows)
{
    bool cleared = false;
    for (const size_t row : rows) {
        if (row < outcomes_.size() && outcomes_[row]) {
            outcomes_[row].reset();
            cleared = true;
        }
    }
    if (cleared)
        marksChanged();
}

void PrintListModel::marksChanged()
{
    if (list_.empty())
        return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, PrintEntry::fieldCount - 1),
                     {Qt::DecorationRole, Qt::ToolTipRole});
}

QVariant PrintListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= PrintEntry::fieldCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return toQString(designedHeadings()[static_cast<size_t>(section)]);
    if (role == Qt::TextAlignmentRole && (section == extensionColumn || section == copiesColumn))
        return int(Qt::AlignCenter);
    return {};
}

void PrintListModel::rowsAboutToBeReset()
{
    beginResetModel();
    outcomes_.clear();
}
void PrintListModel::rowsReset()
{
    std::unordered_set<std::string> paths;
    for (size_t row = 0; row < list_.size(); ++row)
        paths.insert(list_.at(row).filePath);
    existence_->keepOnly(paths);
    endResetModel();
}

void PrintListModel::rowsAboutToBeInserted(size_t first, size_t last)
{
    pendingFirst_ = first;
    pendingCount_ = last - first + 1;
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
}

void PrintListModel::rowsInserted()
{
    // New rows have no run behind them; the rows below keep their marks.
    if (pendingFirst_ <= outcomes_.size())
        outcomes_.insert(outcomes_.begin() + static_cast<std::ptrdiff_t>(pendingFirst_), pendingCount_, std::nullopt);
    endInsertRows();
}

void PrintListModel::rowChanged(size_t row)
{
    // The mark told how the row as it was printed; the others still hold.
    if (row < outcomes_.size())
        outcomes_[row].reset();
    const int r = static_cast<int>(row);
    emit dataChanged(index(r, 0), index(r, PrintEntry::fieldCount - 1));
}

void PrintListModel::iconsChanged(const std::vector<std::string>& paths)
{
    const std::unordered_set<std::string> changed(paths.begin(), paths.end());
    for (size_t row = 0; row < list_.size(); ++row) {
        if (changed.contains(list_.at(row).filePath)) {
            const int r = static_cast<int>(row);
            emit dataChanged(index(r, 0), index(r, PrintEntry::fieldCount - 1),
                             {Qt::DecorationRole, Qt::ForegroundRole, Qt::ToolTipRole});
        }
    }
}

void PrintListModel::rowsAboutToBeRemoved(size_t first, size_t last)
{
    pendingFirst_ = first;
    pendingCount_ = last - first + 1;
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
}

void PrintListModel::rowsRemoved()
{
    if (pendingFirst_ < outcomes_.size()) {
        const auto from = outcomes_.begin() + static_cast<std::ptrdiff_t>(pendingFirst_);
        outcomes_.erase(from, from + static_cast<std::ptrdiff_t>(std::min(pendingCount_, outcomes_.size() - pendingFirst_)));
    }
    endRemoveRows();
}

void PrintListModel::rowsAboutToBeReordered()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PrintListModel::rowsReordered(const std::vector<size_t>& newRowOfOld)
{
    // The selection, the editor's row and every other persistent index go
    // with their rows.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(static_cast<int>(newRowOfOld[static_cast<size_t>(old.row())]), old.column()));
    changePersistentIndexList(from, to);
    if (!outcomes_.empty()) {
        std::vector<std::optional<RowOutcome>> moved(outcomes_.size());
        for (size_t old = 0; old < outcomes_.size(); ++old) {
            std::optional<RowOutcome>& to = moved[newRowOfOld[old]];
            to = std::move(outcomes_[old]);
            if (to)
                to->row = static_cast<int>(newRowOfOld[old]);
        }
        outcomes_ = std::move(moved);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace pravik

#include "PrintListModel.h"

#include "FileExistence.h"
#include "FileIcons.h"
#include "QtText.h"
#include "SettingsFile.h"

#include <QColor>

#include <unordered_set>

namespace pravik {

namespace {
constexpr int extensionColumn = 3;
constexpr int copiesColumn = 4;
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
        return toQString(entry.field(index.column()));
    case Qt::ToolTipRole:
        if (index.column() == 0 && !existence_->exists(entry.filePath))
            return QStringLiteral("ファイルが見つかりません: %1").arg(toQString(entry.filePath));
        return toQString(entry.field(index.column()));
    case Qt::DecorationRole:
        if (index.column() == 0 && existence_->exists(entry.filePath))
            return FileIcons::icon(documentKindOfPath(entry.filePath));
        return {};
    case Qt::ForegroundRole:
        // A row whose file has gone is greyed, not merely iconless.
        if (!existence_->exists(entry.filePath))
            return QColor(Qt::gray);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == extensionColumn || index.column() == copiesColumn)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
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

void PrintListModel::rowsAboutToBeReset() { beginResetModel(); }
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
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
}

void PrintListModel::rowsInserted() { endInsertRows(); }

void PrintListModel::rowChanged(size_t row)
{
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
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
}

void PrintListModel::rowsRemoved() { endRemoveRows(); }

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
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace pravik

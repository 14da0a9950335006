#pragma once

#include "PrintList.h"

#include <QAbstractTableModel>

namespace pravik {

class FileIcons;

// The print list as the list view shows it: one row per entry, the seven
// fields as columns, the document's icon on the first.
class PrintListModel : public QAbstractTableModel, private PrintListListener {
    Q_OBJECT
public:
    explicit PrintListModel(PrintList& list, QObject* parent = nullptr);
    ~PrintListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void rowsAboutToBeReset() override;
    void rowsReset() override;
    void rowsAboutToBeInserted(size_t first, size_t last) override;
    void rowsInserted() override;
    void rowChanged(size_t row) override;
    void rowsAboutToBeRemoved(size_t first, size_t last) override;
    void rowsRemoved() override;
    void rowsAboutToBeReordered() override;
    void rowsReordered(const std::vector<size_t>& newRowOfOld) override;

    PrintList& list_;
};

} // namespace pravik

#pragma once

#include <QItemSelectionModel>

namespace pravik {

// One selection for every view of the list, always of whole rows: a click in
// the one-column list styles selects the row, not only its name cell, so the
// selected rows are the same in every style.
class RowSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    using QItemSelectionModel::QItemSelectionModel;

    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override
    {
        QItemSelectionModel::select(QItemSelection(index, index), command);
    }

    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override
    {
        // Qt's widening to rows compares every range with every other, so a
        // selection that already holds whole rows is passed on as it is.
        if (!coversWholeRows(selection))
            command |= QItemSelectionModel::Rows;
        QItemSelectionModel::select(selection, command);
    }

private:
    bool coversWholeRows(const QItemSelection& selection) const
    {
        for (const QItemSelectionRange& range : selection)
            if (range.left() != 0 || range.right() != model()->columnCount(range.parent()) - 1)
                return false;
        return true;
    }
};

} // namespace pravik

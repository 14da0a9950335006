#pragma once

#include "PrintList.h"
#include "RowOutcome.h"

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <vector>

namespace pravik {

class FileExistence;

// The print list as the list view shows it: one row per entry, the seven
// fields as columns, the document's icon on the first while the document
// exists (as last checked off the GUI thread: painting never waits on disk).
// A row that cannot be printed as it stands, and a row of the last run,
// shows a mark in its place and says why in its tip.
class PrintListModel : public QAbstractTableModel, private PrintListListener {
    Q_OBJECT
public:
    explicit PrintListModel(PrintList& list, QObject* parent = nullptr);
    ~PrintListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A cell as the list shows it: pages and sheets without the quotes the
    // list file keeps, the file's own extension (docx, xlsm) where the
    // file keeps three letters.
    QString cellText(int row, int column) const;

    FileExistence& fileExistence() const { return *existence_; }

    // The printers the system has (CP932), as last fetched: painting never
    // waits on the print system. Empty: not known, so no row's printer is
    // marked.
    void setInstalledPrinters(std::vector<std::string> names);
    // Why the row cannot be printed as it stands; empty when nothing is
    // known against it.
    QString printProblem(int row) const;

    // How the rows of a run ended. Other rows keep the marks of earlier
    // runs; a row keeps its mark until it is edited or removed, and moved
    // rows take theirs along.
    void showOutcomes(const std::vector<RowOutcome>& outcomes);
    // A run is about to print these rows: their last marks would hide what
    // stands in their way now.
    void clearOutcomesOf(const std::vector<size_t>& rows);
    const RowOutcome* outcome(int row) const;
    // The rows whose outcome asks for another run, ascending.
    std::vector<size_t> rowsToReprint() const;

private:
    void rowsAboutToBeReset() override;
    void rowsReset() override;
    void rowsAboutToBeInserted(size_t first, size_t last) override;
    void rowsInserted() override;
    void rowChanged(size_t row) override;
    void iconsChanged(const std::vector<std::string>& paths);
    void rowsAboutToBeRemoved(size_t first, size_t last) override;
    void rowsRemoved() override;
    void rowsAboutToBeReordered() override;
    void rowsReordered(const std::vector<size_t>& newRowOfOld) override;
    // The marks and tips of every row changed.
    void marksChanged();
    QString statusTip(int row) const;

    PrintList& list_;
    FileExistence* existence_;
    std::vector<std::string> installedPrinters_;
    // By row; empty when no run is shown.
    std::vector<std::optional<RowOutcome>> outcomes_;
    // The rows being inserted or removed, between the two calls.
    size_t pendingFirst_ = 0;
    size_t pendingCount_ = 0;
};

} // namespace pravik

// The main window's commands that add rows: the Add dialog and dropped files.
#include "UMain.h"

#include "Dialogs.h"
#include "EntryAdding.h"
#include "PrintListModel.h"
#include "QtText.h"
#include "UEdit.h"

#include <QTableView>
#include <QToolButton>

namespace pravik {

namespace {

AddRules addRulesFrom(const Settings& settings)
{
    return {settings.skipSameFile, settings.acceptOtherFiles, settings.defaultCopies};
}

// Runs `work`, then `after` however `work` ended.
template <typename Work, typename After>
void runThen(Work work, After after)
{
    try {
        work();
    } catch (...) {
        after();
        throw;
    }
    after();
}

} // namespace

void TFmMain::btnAddClick(int tag)
{
    if (tag == 1)
        addFilesFromDialog();
    else if (tag == 2)
        deleteSelectedRows();
    else if (tag == 3)
        openEditorOnSelection();
}

void TFmMain::markListChanged()
{
    list_.changed = true;
    btnSave->setEnabled(true);
}

void TFmMain::openEditorOnSelection()
{
    const QModelIndexList selected = lstView->selectionModel()->selectedRows();
    if (selected.isEmpty() || !entryEditor_)
        return;
    int first = selected.first().row();
    for (const QModelIndex& index : selected)
        first = std::min(first, index.row());
    entryEditor_->OpenEntry(first);
}

void TFmMain::markChangedAfterAdding(size_t firstNewRow)
{
    markListChanged();
    if (list_.size() > firstNewRow)
        lstView->scrollTo(model_->index(static_cast<int>(list_.size()) - 1, 0));
}

void TFmMain::addFilesFromDialog()
{
    guarded([this] {
        const QString filter = settings_.acceptOtherFiles
                                   ? QStringLiteral("全てのファイル (*)")
                                   : QStringLiteral("Word,Excelファイル (*.doc *.dot *.xls *.xlt "
                                                    "*.DOC *.DOT *.XLS *.XLT)");
        const QStringList chosen = dialogs_.chooseOpenFiles(this, filter);
        if (chosen.isEmpty())
            return;
        std::vector<std::string> paths;
        QStringList refused;
        for (const QString& path : chosen) {
            try {
                paths.push_back(pathFromQString(path));
            } catch (const std::exception& error) {
                refused << QString::fromUtf8(error.what());
            }
        }
        const size_t firstNewRow = list_.size();
        // A confirmed dialog marks the list changed even when every file was
        // skipped, and also when the batch ended early by an error.
        runThen([&] { addFiles(list_, paths, AddSource::Dialog, addRulesFrom(settings_), services_.currentPrinter); },
                [&] { markChangedAfterAdding(firstNewRow); });
        if (!refused.isEmpty())
            dialogs_.showError(this, refused.join(QLatin1Char('\n')));
    });
}

void TFmMain::dropFileDrop(TDropDst*, const std::vector<std::string>& files, int, int)
{
    const size_t firstNewRow = list_.size();
    runThen([&] { addFiles(list_, files, AddSource::Drop, addRulesFrom(settings_), services_.currentPrinter); },
            [&] {
                if (list_.size() > firstNewRow)
                    markChangedAfterAdding(firstNewRow);
            });
}

} // namespace pravik

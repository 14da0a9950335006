// The main window's commands that add rows: the Add dialog and dropped files.
#include "UMain.h"

#include "Dialogs.h"
#include "DocumentFilters.h"
#include "EntryAdding.h"
#include "ListFile.h"
#include "PrintListModel.h"
#include "QtText.h"
#include "UEdit.h"

#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace pravik {

namespace {

AddRules addRulesFrom(const Settings& settings)
{
    return {settings.skipSameFile, settings.acceptOtherFiles, settings.defaultCopies};
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
    setSaveEnabled(true);
}

void TFmMain::openEditorOnSelection()
{
    const QModelIndexList selected = lstView->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        tellInStatusBar(QStringLiteral("設定する行を選んでください"));
        return;
    }
    if (!entryEditor_)
        return;
    int first = selected.first().row();
    for (const QModelIndex& index : selected)
        first = std::min(first, index.row());
    entryEditor_->OpenEntry(first);
}

void TFmMain::markChangedAfterAdding(size_t firstNewRow)
{
    markListChanged();
    // New rows are checked against the printers as they are now.
    refreshInstalledPrinters();
    if (list_.size() > firstNewRow)
        lstView->scrollTo(model_->index(static_cast<int>(list_.size()) - 1, 0));
}

void TFmMain::addFilesFromDialog()
{
    guarded([this] {
        const QString filter = settings_.acceptOtherFiles
                                   ? QStringLiteral("全てのファイル (*)")
                                   : documentFilter(QStringLiteral("Word,Excelファイル"),
                                                    {DocumentKind::Word, DocumentKind::Excel});
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
        const AddOutcome outcome =
            addFiles(list_, paths, AddSource::Dialog, addRulesFrom(settings_), services_.currentPrinter);
        // Files that were all refused leave the list as it was saved.
        if (outcome.appended > 0)
            markChangedAfterAdding(firstNewRow);
        if (!refused.isEmpty())
            dialogs_.showError(this, refused.join(QLatin1Char('\n')));
        tellAddOutcome(outcome);
    });
}

void TFmMain::dropFileDrop(TDropDst*, const std::vector<std::string>& files, int, int)
{
    // A list file dropped on the window opens, as from 開く.
    if (const auto list = std::find_if(files.begin(), files.end(), [](const std::string& file) { return hasListExtension(file); });
        list != files.end()) {
        openListFile(*list);
        return;
    }
    const size_t firstNewRow = list_.size();
    const AddOutcome outcome =
        addFiles(list_, files, AddSource::Drop, addRulesFrom(settings_), services_.currentPrinter);
    if (outcome.appended > 0)
        markChangedAfterAdding(firstNewRow);
    tellAddOutcome(outcome);
}

void TFmMain::tellAddOutcome(const AddOutcome& outcome)
{
    QStringList skipped;
    if (outcome.skippedDuplicates > 0)
        skipped << QStringLiteral("リストにある %1 件").arg(outcome.skippedDuplicates);
    if (outcome.skippedOtherFiles > 0)
        skipped << QStringLiteral("Word・Excel 以外の %1 件").arg(outcome.skippedOtherFiles);
    if (!skipped.isEmpty())
        tellInStatusBar(skipped.join(QStringLiteral("、")) + QStringLiteral("は追加しませんでした"));
    if (!outcome.printerMissing)
        return;
    dialogs_.showWarning(this,
                         QStringLiteral("既定のプリンターが見つからないため、追加した行のプリンターは空欄です。\n"
                                        "プリンターは行ごとに「設定」で選べます。\n（%1）")
                             .arg(QString::fromUtf8(*outcome.printerMissing)),
                         QStringLiteral("追加"));
}

} // namespace pravik

#include "ListFileCommands.h"

#include "ListErrors.h"

#include "ListFile.h"
#include "PathParts.h"

namespace pravik {

ListFileCommands::ListFileCommands(PrintList& list, ListFileUi& ui, const std::string& titlePrefix,
                                   std::string saveFolder)
    : list_(list), ui_(ui), titlePrefix_(titlePrefix), saveFolder_(std::move(saveFolder))
{
}

void ListFileCommands::markSaved()
{
    list_.changed = false;
    ui_.setSaveEnabled(false);
}

bool ListFileCommands::saveThroughDialog()
{
    // The name as saved, with the extension the dialog may have added: an
    // existing list is replaced only when the user says so; otherwise the
    // dialog comes back for another name.
    std::optional<std::string> chosen;
    do
        chosen = ui_.chooseListToSave(saveFolder_);
    while (chosen && regularFileExists(*chosen) && !ui_.confirmReplace(*chosen));
    if (!chosen)
        return false;
    list_.saveListFile(*chosen);
    list_.listFileName = *chosen;
    ui_.setCaption(titlePrefix_ + fileNamePart(*chosen));
    markSaved();
    return true;
}

// A second window on the same list, or another program, saved over it: a
// silent save would throw that work away.
bool ListFileCommands::changedOnDiskSinceRead() const
{
    const std::optional<ListFileStamp> now = currentStamp(list_.listFileName);
    return now && list_.listFileStamp && *now != *list_.listFileStamp;
}

bool ListFileCommands::saveUnderCurrentNameOrAsk()
{
    if (list_.listFileName.empty())
        return saveThroughDialog();
    if (changedOnDiskSinceRead()) {
        switch (ui_.askOverwriteChangedFile()) {
        case OverwriteAnswer::Overwrite: break;
        case OverwriteAnswer::SaveAs: return saveThroughDialog();
        case OverwriteAnswer::Cancel: return false;
        }
    }
    try {
        list_.saveListFile(list_.listFileName);
    } catch (const FileReadOnlyError& error) {
        // Another name is the way out; declined, the list stays as it was,
        // unsaved, and the command that asked is abandoned.
        return ui_.offerSaveAs(error.what()) && saveThroughDialog();
    }
    markSaved();
    return true;
}

// False when the command that asked is to be abandoned.
bool ListFileCommands::answerSaveQuestion()
{
    switch (ui_.askSaveChanges()) {
    case SaveAnswer::Save: return saveUnderCurrentNameOrAsk();
    case SaveAnswer::Discard: return true;
    case SaveAnswer::Dismissed: break;
    }
    return false;
}

bool ListFileCommands::confirmSaveChanges()
{
    return !list_.changed || answerSaveQuestion();
}

void ListFileCommands::newList()
{
    if (!confirmSaveChanges())
        return;
    list_.listFileName.clear();
    list_.changed = false;
    list_.clear();
    ui_.setCaption(titlePrefix_);
}

void ListFileCommands::open()
{
    if (!confirmSaveChanges())
        return;
    const std::optional<std::string> chosen = ui_.chooseListToOpen(saveFolder_);
    if (chosen)
        load(*chosen);
}

void ListFileCommands::openFile(const std::string& path)
{
    if (confirmSaveChanges())
        load(path);
}

void ListFileCommands::load(const std::string& path)
{
    // Read before anything changes: a file that is no list, or a damaged
    // one, leaves the rows, the list's name and the caption as they were.
    ListFileContent content = readListFile(path);
    list_.listFileName.clear();
    list_.changed = false;
    list_.loadListContent(std::move(content), path);
    list_.listFileName = path;
    ui_.setCaption(titlePrefix_ + fileNamePart(path));
}

void ListFileCommands::save()
{
    if (list_.empty())
        return;
    saveUnderCurrentNameOrAsk();
}

void ListFileCommands::saveAs()
{
    saveThroughDialog();
}

bool ListFileCommands::confirmClose()
{
    return !list_.changed || list_.empty() || answerSaveQuestion();
}

} // namespace pravik

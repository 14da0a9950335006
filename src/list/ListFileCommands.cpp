#include "ListFileCommands.h"

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

bool ListFileCommands::saveUnderCurrentNameOrAsk()
{
    if (list_.listFileName.empty())
        return saveThroughDialog();
    list_.saveListFile(list_.listFileName);
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
    const std::optional<std::string> chosen = ui_.chooseListToOpen();
    if (!chosen)
        return;
    // Read before anything changes: a file that is no list, or a damaged
    // one, leaves the rows, the list's name and the caption as they were.
    ListFileContent content = readListFile(*chosen);
    list_.listFileName.clear();
    list_.changed = false;
    list_.loadListContent(std::move(content), *chosen);
    list_.listFileName = *chosen;
    ui_.setCaption(titlePrefix_ + fileNamePart(*chosen));
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

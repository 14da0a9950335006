#include "ListFileCommands.h"

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
    const std::optional<std::string> chosen = ui_.chooseListToSave(saveFolder_);
    if (!chosen)
        return false;
    list_.saveListFile(*chosen);
    list_.listFileName = *chosen;
    ui_.setCaption(titlePrefix_ + fileNamePart(*chosen) + "]");
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
    list_.listFileName.clear();
    list_.changed = false;
    list_.loadListFile(*chosen);
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

#pragma once

#include "PrintList.h"

#include <optional>
#include <string>

namespace pravik {

// How the user answered the save question.
enum class SaveAnswer {
    Save,
    Discard,
    // Escape or the box's close button: the command that asked is abandoned.
    Dismissed,
};

// How the user answered when the list file changed on disk since this list
// read or saved it.
enum class OverwriteAnswer {
    Overwrite,
    SaveAs,
    // Cancel, Escape or the close button: nothing is saved.
    Cancel,
};

// The dialogs and window parts the file commands need, so the commands can
// be run without a window. Paths and captions are CP932.
class ListFileUi {
public:
    virtual ~ListFileUi() = default;
    // "内容が変更されています。保存しますか？" with Yes, No and Cancel.
    virtual SaveAnswer askSaveChanges() = 0;
    // The open dialog, first opened where lists are saved; empty when cancelled.
    virtual std::optional<std::string> chooseListToOpen(const std::string& initialFolder) = 0;
    // The save dialog, opened in `initialFolder`; empty when cancelled.
    virtual std::optional<std::string> chooseListToSave(const std::string& initialFolder) = 0;
    // "このファイルは他のウィンドウまたはプログラムで変更されています。上書きしますか？"
    virtual OverwriteAnswer askOverwriteChangedFile() = 0;
    // Whether the chosen file, which exists, may be replaced.
    virtual bool confirmReplace(const std::string& cp932Path) = 0;
    // The list cannot be saved under its own name (`problem`, UTF-8): true
    // to save it under another.
    virtual bool offerSaveAs(const std::string& problem) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setSaveEnabled(bool enabled) = 0;
};

// New, Open, Save, Save as and the question that protects unsaved rows.
//
// Unlike a plain "ask, then carry on", a dismissed question or a cancelled
// save dialog never costs the user a list: it leaves `changed` and the Save
// button as they were, and it abandons the New, Open or close that asked.
class ListFileCommands {
public:
    ListFileCommands(PrintList& list, ListFileUi& ui, const std::string& titlePrefix,
                     std::string saveFolder);

    // Where the save dialog first opens (CP932, ending in a separator).
    void setSaveFolder(std::string folder) { saveFolder_ = std::move(folder); }

    void newList();
    void open();
    // Opens the list file at `path` (a list given on the command line or
    // dropped on the window), after the same question as open().
    void openFile(const std::string& path);
    void save();
    void saveAs();

    // The close handler's question. False when the user abandoned the close
    // by dismissing the question or cancelling the save dialog; a failed save
    // throws and so also keeps the window open.
    bool confirmClose();

private:
    bool confirmSaveChanges();
    void load(const std::string& path);
    bool answerSaveQuestion();
    bool saveUnderCurrentNameOrAsk();
    bool saveThroughDialog();
    bool changedOnDiskSinceRead() const;
    void markSaved();

    PrintList& list_;
    ListFileUi& ui_;
    const std::string& titlePrefix_;
    std::string saveFolder_;
};

} // namespace pravik

#pragma once

#include "AutomationBackend.h"
#include "ClipboardBlocks.h"
#include "Printers.h"
#include "AutomationWorker.h"
#include "ListFileCommands.h"
#include "PrintJobs.h"
#include "PrintList.h"
#include "RowOutcome.h"
#include "Settings.h"
#include "SettingsFile.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QAbstractItemView;
class QAction;
class QFrame;
class QLabel;
class QListView;
class QMenu;
class QStatusBar;
class QTableView;
class QTimer;
class QToolButton;

namespace pravik {

struct AddOutcome;
class Dialogs;
class TDropDst;
class PrintListModel;
class TFmDialog;
class TFmEdit;
class TFmOption;
class TFmVersion;
class WindowSlot;

// The offices kept running for the next run (each holds 150 MB or more) are
// ended after this long without office work; the next run starts them again.
inline constexpr std::chrono::minutes kOfficeIdleLimit{10};

// What the main window takes from the system; tests put their own in.
struct MainServices {
    // The application's current printer (CP932); throws when there is none.
    std::function<std::string()> currentPrinter;
    // The installed printers (CP932), in the system's order.
    std::function<std::vector<std::string>()> printerNames;
    std::shared_ptr<AutomationBackend> automation;
    // Opens a document (CP932 path) with the desktop's application for it:
    // empty when it was handed over, otherwise why not (UTF-8).
    std::function<std::string(const std::string&)> openDocument = openWithDesktop;

    // The backend of a further print office (lane 1 and up) rendering beside
    // `automation`; empty: printing uses `automation` alone.
    std::function<std::shared_ptr<AutomationBackend>(int lane)> laneAutomation = {};
    // The printers with the labels lists show; empty: `printerNames` alone.
    std::function<std::vector<printers::PrinterChoice>()> printerChoices = {};

    static std::string openWithDesktop(const std::string& cp932Path);

    // The system's printers and office engine.
    static MainServices system();
};

// The main window: the toolbar, the print list and the status bar.
class TFmMain : public QMainWindow, private ListFileUi, private StartupWindow {
    Q_OBJECT
public:
    // `appFolder` is the CP932 folder that holds main.ini (and by default "save").
    TFmMain(Dialogs& dialogs, std::string appFolder, MainServices services = MainServices::system(),
            QWidget* parent = nullptr);
    ~TFmMain() override;

    // Where the guide lies ("help", on Windows also help.chm), when not
    // beside main.ini: an installed program's settings are the user's own.
    void setGuideFolder(std::string folder) { guideFolder_ = std::move(folder); }
    // Where lists are first saved, when not in "save" beside main.ini.
    void setSaveFolder(const std::string& folder);

    // Edit, progress, option and version windows, centred at start-up.
    void setSecondaryWindows(std::vector<QWidget*> windows);
    void setProgressDialog(TFmDialog* dialog);
    void setEntryEditor(TFmEdit* editor) { entryEditor_ = editor; }
    // The windows the main menu opens modally.
    void setOptionWindow(TFmOption* window) { optionWindow_ = window; }
    void setVersionWindow(TFmVersion* window) { versionWindow_ = window; }
    TFmDialog* progressDialog() const { return progressDialog_; }
    TFmEdit* entryEditor() const { return entryEditor_; }
    // Writes what the entry editor holds typed into its row.
    void takeEditorChanges();
    // A short word to the user, in the status bar: a command that had
    // nothing to act on, or work in hand.
    void tellInStatusBar(const QString& text);
    Dialogs& dialogs() { return dialogs_; }
    const MainServices& services() const { return services_; }

    // 1 once the progress dialog's Abort button was pressed.
    int abortFlag = 0;

    // The program was asked to end (a stop signal, the session ending): a
    // run or a launch stops after the file in hand, then the window's state
    // is saved and the program quits, without questions that nobody may be
    // there to answer. Called again until it has quit.
    void endOnStopRequest();

    PrintList& printList() { return list_; }
    const Settings& settings() const { return settings_; }
    QTableView* listView() const { return lstView; }
    PrintListModel* listModel() const { return model_; }

    // The file commands, as the toolbar and the menu call them.
    void newList();
    void openList();
    void saveList();
    // Opens a list given by name (CP932), as 開く does with the chosen one.
    void openListFile(const std::string& path);
    void saveListAs();

    // Rows were edited: the list differs from its file.
    void markListChanged();
    // Opens the entry editor on the first selected row, if any.
    void openEditorOnSelection();

    // Prints (mode 0) or previews (mode 1) the chosen rows.
    void PrintFiles(int mode);
    // Selects the rows the last run left unprinted (failed, or left by a
    // stop), so that printing them again is one step.
    void selectRowsToReprint();
    // Says how many rows a print run printed; a long run that printed
    // everything says it in a message too, unless the user turned it off.
    void tellFinishedRun(const std::vector<RowOutcome>& outcomes, std::chrono::milliseconds took);
    // Fetches the installed printers the rows are checked against. At
    // moments of the user's choosing, never while painting.
    void refreshInstalledPrinters();

    // The main menu's one handler: runs the command of an item's tag.
    void MainMenuClick(int tag);
    // The commands on the selected rows.
    void deleteSelectedRows();
    void moveSelectedUp();
    void moveSelectedDown();
    // Home and End: the first or the last row, alone selected and current.
    void selectFirstRow();
    void selectLastRow();
    void renameSelectedRows();
    void launchSelectedFiles();
    void launchFirstSelected();
    void putFilesOnClipboard(DropEffect effect);
    // The selected rows, ascending.
    std::vector<size_t> selectedRows() const;

    // Sorts all rows ascending by a column (0 file name ... 6 path). The
    // order is the list's own, so it prints and saves in this order.
    void sortByColumn(int column);

    enum ViewStyle { vsReport, vsList, vsSmallIcon };
    void setViewStyle(ViewStyle style);
    ViewStyle viewStyle() const { return viewStyle_; }
    // The view that shows the rows in the current style.
    QAbstractItemView* currentView() const;
    // The full text of the cell at a point of the current view's viewport.
    QString cellTextAt(int x, int y) const;
    QString statusText() const;
    // Runs work that calls the office on the automation thread within the
    // deadline of the settings, while the windows go on repainting. The
    // window refuses to close until it ends.
    void runOfficeWork(const std::function<void()>& work);
    bool officeWorkRunning() const { return officeWorkRunning_; }
    // Starts the office that work in `mode` would wait for, without waiting:
    // while the user reads a question or opens a workbook's row.
    void startOfficeAhead(PrintMode mode);

    // Runs a handler; an error that escapes it goes to the general error display.
    void guarded(const std::function<void()>& handler);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildListView();
    void buildMenu();
    void openHelp();
    QToolButton* addToolButton(const char* name, const QString& caption, const QString& hint,
                               int tag, const QString& icon);
    void btnNewClick(int tag);
    void btnPrtClick();
    void btnAddClick(int tag);
    void btnUpClick(int tag);
    void buildMenus();
    void buildStyleViews();
    void popPopup();
    void popClick(QAction* item);
    void hyo1Click(int tag);
    void lstViewDblClick();
    void lstViewColumnClick(int column);
    void lstViewMouseMove(int x, int y);
    void showViewMenu();
    void reorderRows(const std::vector<size_t>& order, const std::vector<size_t>& selectionAfter);
    void selectRows(const std::vector<size_t>& rows);
    void goToRow(size_t row);
    void focusFirstSelected();
    void addFilesFromDialog();
    void dropFileDrop(TDropDst* sender, const std::vector<std::string>& files, int x, int y);
    void markChangedAfterAdding(size_t firstNewRow);
    // Says what an add left out, and once that the added rows got no
    // printer and where to choose one.
    void tellAddOutcome(const AddOutcome& outcome);
    void FormShow();
    bool FormClose();
    WindowState currentWindowState() const;
    std::string iniPath() const; // main.ini, CP932

    // ListFileUi
    SaveAnswer askSaveChanges() override;
    std::optional<std::string> chooseListToOpen(const std::string& initialFolder) override;
    std::optional<std::string> chooseListToSave(const std::string& initialFolder) override;
    OverwriteAnswer askOverwriteChangedFile() override;
    bool confirmReplace(const std::string& cp932Path) override;
    bool offerSaveAs(const std::string& problem) override;
    void setCaption(const std::string& caption) override;
    void setSaveEnabled(bool enabled) override;

    // StartupWindow
    void setColumnWidth(int column, int width) override;
    void setTop(int top) override;
    void setLeft(int left) override;
    void setHeight(int height) override;
    void setWidth(int width) override;
    void placeForFirstStart() override;
    void keepOnScreen();
    void centreSecondaryWindows() override;

    Dialogs& dialogs_;
    std::string appFolder_;
    std::string guideFolder_;
    MainServices services_;
    Settings settings_;
    PrintList list_;
    ListFileCommands fileCommands_;
    std::vector<QWidget*> secondaryWindows_;
    TFmDialog* progressDialog_ = nullptr;
    TFmEdit* entryEditor_ = nullptr;
    TFmOption* optionWindow_ = nullptr;
    TFmVersion* versionWindow_ = nullptr;
    bool shown_ = false;
    std::unique_ptr<WindowSlot> windowSlot_;

    QFrame* pMenu = nullptr;
    QTableView* lstView = nullptr;
    QListView* lstNames = nullptr; // the list and small-icon styles
    QStatusBar* stsBar = nullptr;
    QLabel* stsText = nullptr;
    bool statusShowsHover_ = false; // the cell under the pointer, not a word to the user
    QMenu* pop = nullptr;
    QMenu* hpop = nullptr;
    ViewStyle viewStyle_ = vsReport;
    PrintListModel* model_ = nullptr;
    QToolButton* btnPrt = nullptr;
    QToolButton* btnNew = nullptr;
    QToolButton* btnOpen = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnDel = nullptr;
    QToolButton* btnSet = nullptr;
    QToolButton* btnHyouji = nullptr;
    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;
    TDropDst* drop = nullptr;

    // The one thread that calls the automation backend; ended before the
    // window's other members go.
    std::unique_ptr<AutomationWorker> worker_;
    bool officeWorkRunning_ = false;
    // Restarted by all office work: when it runs out, the offices kept for
    // the next run are ended.
    QTimer* officeIdle_ = nullptr;
    void endIdleOffices();
    bool launchRunning_ = false;
    // When the printers were last fetched on the window's activation.
    QElapsedTimer printersFetched_;
    // During a print run: gives up the row in hand and those rendering ahead.
    std::function<void()> stopRun_;
};

} // namespace pravik

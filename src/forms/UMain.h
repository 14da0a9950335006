#pragma once

#include "ListFileCommands.h"
#include "PrintList.h"
#include "Settings.h"
#include "SettingsFile.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QFrame;
class QStatusBar;
class QTableView;
class QToolButton;

namespace pravik {

class Dialogs;
class PrintListModel;

// The main window: the toolbar, the print list and the status bar.
class TFmMain : public QMainWindow, private ListFileUi, private StartupWindow {
    Q_OBJECT
public:
    // `appFolder` is the CP932 folder that holds main.ini and "save".
    TFmMain(Dialogs& dialogs, std::string appFolder, QWidget* parent = nullptr);
    ~TFmMain() override;

    // Edit, progress, option and version windows, centred at start-up.
    void setSecondaryWindows(std::vector<QWidget*> windows);

    PrintList& printList() { return list_; }
    const Settings& settings() const { return settings_; }
    QTableView* listView() const { return lstView; }

    // The file commands, as the toolbar and the menu call them.
    void newList();
    void openList();
    void saveList();
    void saveListAs();

    // Runs a handler; an error that escapes it goes to the general error display.
    void guarded(const std::function<void()>& handler);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void buildListView();
    QToolButton* addToolButton(const char* name, const QString& caption, const QString& hint,
                               int tag, const QString& icon);
    void btnNewClick(int tag);
    void FormShow();
    bool FormClose();
    WindowState currentWindowState() const;

    // ListFileUi
    bool askSaveChanges() override;
    std::optional<std::string> chooseListToOpen() override;
    std::optional<std::string> chooseListToSave(const std::string& initialFolder) override;
    void setCaption(const std::string& caption) override;
    void setSaveEnabled(bool enabled) override;

    // StartupWindow
    void setColumnWidth(int column, int width) override;
    void setTop(int top) override;
    void setLeft(int left) override;
    void setHeight(int height) override;
    void setWidth(int width) override;
    void centreSecondaryWindows() override;

    Dialogs& dialogs_;
    std::string appFolder_;
    Settings settings_;
    PrintList list_;
    ListFileCommands fileCommands_;
    std::vector<QWidget*> secondaryWindows_;
    bool shown_ = false;

    QFrame* pMenu = nullptr;
    QTableView* lstView = nullptr;
    QStatusBar* stsBar = nullptr;
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
};

} // namespace pravik

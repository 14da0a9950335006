#pragma once

#include "EntryEditing.h"
#include "Printers.h"
#include "QtText.h"

#include <QDialog>
#include <QPersistentModelIndex>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pravik {

class TFmMain;
class TSaNumEdit;

// The entry editor: a non-modal window above the main window that edits one
// row at a time and steps through the rows, writing each one back.
//
// It follows its row through the list model, so a row that moves stays the
// one edited; when the row goes away the editor closes without writing.
class TFmEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFmEdit(TFmMain& main);

    // Opens the editor on the row at `index`. When it is open, what was
    // typed is written back first, also when it is opened on the same row.
    void OpenEntry(int index);
    // The row being edited, or -1.
    int currentRow() const;

    void SaveEntry();
    // Before the list is closed, replaced, saved or printed: what was typed
    // is written into the row and the editor closed, as 閉じる does, so
    // nothing typed is lost or left out. Nothing happens when nothing was.
    void writeBackTypedChanges();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followRowChangedElsewhere(const QModelIndex& first, const QModelIndex& last);
    // The row as the fields would write it back.
    SavedEntry typedEntry(const PrintEntry& before) const;
    DocumentKind shownGroup() const;
    void buildLayout();
    void FormCreate();
    void FormShow();
    void loadRow();
    void btnAfterClick(int tag);
    void btnOpenClick();
    void btnAllClick();
    void btnCloseClick();
    void setSheetButtonToLoad(bool load);
    void showStoredSheets(const std::string& stored);
    void showPrinters(const std::string& rowPrinter);
    // Asks the system for its printers; throws when it cannot list them.
    void listPrinters();
    void clearSheets();
    void closeIfRowIsGone();
    DocumentKind pathKind() const;
    std::string pathBytes() const;

    TFmMain& main_;
    QPersistentModelIndex current_;
    // While the editor writes its own row back: that change is not one made elsewhere.
    bool savingRow_ = false;
    QString browseFilter_;
    bool sheetButtonLoads_ = false;
    // The sheet list shows the row's own sheets, not yet the workbook's:
    // unless a tick changes, the row keeps its text as it was.
    bool sheetsFromRow_ = false;
    bool sheetChecksChanged_ = false;
    // What the text fields were loaded from, so untouched text is written
    // back byte for byte.
    ShownText fileText_;
    ShownText memoText_;
    ShownText pathText_;
    ShownText pageText_;
    // False while the system's printers could never be listed.
    bool printersListed_ = false;
    std::vector<printers::PrinterChoice> installedPrinters_; // as last listed

    QPushButton* btnBefore = nullptr;
    QPushButton* btnAfter = nullptr;
    QLineEdit* edtFile = nullptr;
    QLineEdit* edtMemo = nullptr;
    QLineEdit* edtFilepass = nullptr;
    QPushButton* btnOpen = nullptr;
    TSaNumEdit* edtBusu = nullptr;
    QComboBox* cmbPrt = nullptr;
    QGroupBox* grpWord = nullptr;
    QLineEdit* edtPage = nullptr;
    QGroupBox* grpExcel = nullptr;
    QPushButton* btnAll = nullptr;
    QListWidget* chkLst = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace pravik

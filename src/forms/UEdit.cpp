#include "UEdit.h"

#include "Dialogs.h"
#include "DocumentFilters.h"
#include "FlagScope.h"
#include "Fonts.h"
#include "OfficeJobs.h"
#include "PrintListModel.h"
#include "PrintReadiness.h"
#include "QtText.h"
#include "SaNumEdit.h"
#include "UMain.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace pravik {

namespace {

const QString bothKindsFilter =
    documentFilter(QStringLiteral("Word,Excelファイル"), {DocumentKind::Word, DocumentKind::Excel});

template <typename W>
W* place(W* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
    return widget;
}

// A label standing right-aligned just left of its field.
void labelLeftOf(QWidget* field, const QString& caption)
{
    auto* label = new QLabel(caption, field->parentWidget());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(0, field->y(), field->x() - 2, field->height());
    label->setBuddy(field);
}

// The sheet check list as the sheet code sees it. Each item keeps the name's
// CP932 bytes, so a name is written back exactly as the workbook spells it.
class SheetCheckList : public CheckList {
public:
    explicit SheetCheckList(QListWidget* list) : list_(list) {}

    int count() const override { return list_->count(); }
    std::string itemText(int index) const override
    {
        return list_->item(index)->data(Qt::UserRole).toByteArray().toStdString();
    }
    bool isChecked(int index) const override { return list_->item(index)->checkState() == Qt::Checked; }
    void setChecked(int index, bool checked) override
    {
        list_->item(index)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    void addUnchecked(const std::string& text) override
    {
        auto* item = new QListWidgetItem(toQString(text), list_);
        item->setData(Qt::UserRole, QByteArray::fromStdString(text));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }

private:
    QListWidget* list_;
};

} // namespace

TFmEdit::TFmEdit(TFmMain& main)
    // Owned by the main window, so it stays above it; never above every
    // window, or the messages of either window would open behind it.
    // A minimise box, so it can be put aside while the user looks at the
    // list; its fixed size greys the maximise box. Windows' thin dialog
    // frame would drop both.
    : QDialog(&main, Qt::Dialog | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint),
      main_(main),
      browseFilter_(bothKindsFilter)
{
    setObjectName(QStringLiteral("FmEdit"));
    setWindowTitle(QStringLiteral("設定"));
    setFont(windowFont());
    setFixedSize(585, 305);
    setModal(false);
    buildLayout();
    FormCreate();

    const QAbstractItemModel* model = main_.listView()->model();
    connect(model, &QAbstractItemModel::modelReset, this, &TFmEdit::closeIfRowIsGone);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TFmEdit::closeIfRowIsGone);
    // Marks and icons repainted (printers fetched again when a window is
    // activated, a file's existence checked) are no change of the row's
    // text: following them would throw away what was typed.
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    followRowChangedElsewhere(first, last);
            });
}

void TFmEdit::followRowChangedElsewhere(const QModelIndex& first, const QModelIndex& last)
{
    if (savingRow_ || !isVisible() || !current_.isValid() || current_.row() < first.row()
        || current_.row() > last.row())
        return;
    // A rename in the main window, say: a later write-back must not undo it.
    // A field the user has typed in keeps what was typed.
    const PrintEntry& row = main_.printList().at(static_cast<size_t>(current_.row()));
    const auto follow = [](QLineEdit* field, ShownText& kept, std::string stored) {
        if (field->isModified())
            return;
        kept = ShownText(std::move(stored));
        field->setText(kept.shown());
    };
    follow(edtFile, fileText_, row.fileName);
    follow(edtMemo, memoText_, row.memo);
    follow(edtFilepass, pathText_, row.filePath);
    follow(edtPage, pageText_, pageFieldOf(row));
}

void TFmEdit::buildLayout()
{
    auto* panel = place(new QFrame(this), 8, 8, 569, 257);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);

    btnBefore = place(new QPushButton(panel), 16, 6, 41, 24);
    btnBefore->setObjectName(QStringLiteral("btnBefore"));
    btnBefore->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    // Icon-only buttons: a screen reader reads these names.
    btnBefore->setToolTip(QStringLiteral("前の行"));
    btnBefore->setAccessibleName(QStringLiteral("前の行"));
    btnAfter = place(new QPushButton(panel), 56, 6, 41, 24);
    btnAfter->setObjectName(QStringLiteral("btnAfter"));
    btnAfter->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    btnAfter->setToolTip(QStringLiteral("次の行"));
    btnAfter->setAccessibleName(QStringLiteral("次の行"));
    auto* hint = new QLabel(QStringLiteral("前ボタン、次ボタン、閉じるボタンで自動的に情報が保存されます"), panel);
    hint->move(104, 13);
    hint->adjustSize();
    auto* rule = place(new QFrame(panel), 11, 35, 547, 2);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* basics = place(new QGroupBox(QStringLiteral("基本情報"), panel), 8, 55, 337, 194);
    edtFile = place(new QLineEdit(basics), 81, 27, 224, 20);
    edtMemo = place(new QLineEdit(basics), 81, 59, 224, 20);
    edtFilepass = place(new QLineEdit(basics), 80, 91, 225, 20);
    btnOpen = place(new QPushButton(QStringLiteral("..."), basics), 305, 90, 20, 21);
    edtBusu = place(new TSaNumEdit(basics), 80, 121, 33, 20);
    cmbPrt = place(new QComboBox(basics), 80, 154, 225, 20);
    labelLeftOf(edtFile, QStringLiteral("ファイル名："));
    labelLeftOf(edtMemo, QStringLiteral("メモ："));
    labelLeftOf(edtFilepass, QStringLiteral("ファイルパス："));
    labelLeftOf(edtBusu, QStringLiteral("印刷部数："));
    labelLeftOf(cmbPrt, QStringLiteral("プリンター："));
    edtFile->setObjectName(QStringLiteral("edtFile"));
    edtMemo->setObjectName(QStringLiteral("edtMemo"));
    edtFilepass->setObjectName(QStringLiteral("edtFilepass"));
    btnOpen->setObjectName(QStringLiteral("btnOpen"));
    edtBusu->setObjectName(QStringLiteral("edtBusu"));
    cmbPrt->setObjectName(QStringLiteral("cmbPrt"));
    edtBusu->setIntegerLength(3);
    edtBusu->setDecimalLength(0);
    edtBusu->setComma(false);
    edtBusu->setEnterFocusMove(true);
    edtBusu->setArrowStep(true, 1);
    edtBusu->setErrorBeep(false);
    edtBusu->setImeMode(TSaNumEdit::imDisable);

    grpWord = place(new QGroupBox(QStringLiteral("Word印刷詳細"), panel), 350, 55, 203, 194);
    grpWord->setObjectName(QStringLiteral("grpWord"));
    int line = 24;
    for (const QString& text : {QStringLiteral("印刷するページ"), QStringLiteral("（複数ある場合はコンマで区切ります）"),
                                QStringLiteral("（空欄の場合は全ページ印刷します）"), QStringLiteral("例： 1-10,15-30")}) {
        auto* label = new QLabel(grpWord);
        // Wrapped inside the frame where a wider font would reach it, after
        // 「場合は」 rather than inside a word.
        const int width = grpWord->width() - 16 - 8;
        QString shown = text;
        if (const qsizetype phrase = shown.indexOf(QStringLiteral("場合は"));
            phrase >= 0 && label->fontMetrics().horizontalAdvance(shown) > width)
            shown.insert(phrase + 3, QLatin1Char('\n'));
        label->setText(shown);
        label->setWordWrap(true);
        label->setFixedWidth(width);
        label->move(16, line);
        label->adjustSize();
        line += std::max(20, label->height() + 4);
    }
    edtPage = place(new QLineEdit(grpWord), 24, 123, 153, 20);
    edtPage->setObjectName(QStringLiteral("edtPage"));
    edtPage->setAttribute(Qt::WA_InputMethodEnabled, false);
    grpWord->hide();

    grpExcel = place(new QGroupBox(QStringLiteral("Excel印刷詳細"), panel), 348, 55, 209, 194);
    grpExcel->setObjectName(QStringLiteral("grpExcel"));
    auto* sheetsLabel = new QLabel(QStringLiteral("印刷するシート"), grpExcel);
    sheetsLabel->move(16, 21);
    sheetsLabel->adjustSize();
    // Below the frame's top line, not on it.
    btnAll = place(new QPushButton(grpExcel), 111, 16, 81, 24);
    btnAll->setObjectName(QStringLiteral("btnAll"));
    chkLst = place(new QListWidget(grpExcel), 16, 44, 177, 141);
    chkLst->setObjectName(QStringLiteral("chkLst"));
    connect(chkLst, &QListWidget::itemChanged, this, [this] { sheetChecksChanged_ = true; });
    grpExcel->hide();
    setSheetButtonToLoad(false);

    btnCancel = place(new QPushButton(QStringLiteral("キャンセル"), this), 365, 272, 97, 25);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnClose = place(new QPushButton(QStringLiteral("閉じる(&C)"), this), 469, 272, 97, 25);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    setTabOrder(edtFile, edtMemo);
    setTabOrder(edtMemo, edtFilepass);
    setTabOrder(edtFilepass, edtBusu);
    setTabOrder(edtBusu, cmbPrt);
    setTabOrder(cmbPrt, btnOpen);
    setTabOrder(btnOpen, edtPage);
    setTabOrder(edtPage, btnAll);
    setTabOrder(btnAll, chkLst);
    setTabOrder(chkLst, btnBefore);
    setTabOrder(btnBefore, btnAfter);
    setTabOrder(btnAfter, btnClose);
    setTabOrder(btnClose, btnCancel);

    // Enter in a field moves on instead of pressing a button, and Enter on a
    // button presses that button (keyPressEvent): no button is the default,
    // so Enter can never press Cancel and lose what was typed.
    for (QWidget* field : std::initializer_list<QWidget*>{edtFile, edtMemo, edtFilepass, cmbPrt, edtPage, chkLst})
        field->installEventFilter(this);
    for (QPushButton* button : {btnBefore, btnAfter, btnOpen, btnAll, btnClose, btnCancel})
        button->setAutoDefault(false);

    connect(btnBefore, &QPushButton::clicked, this, [this] { btnAfterClick(1); });
    connect(btnAfter, &QPushButton::clicked, this, [this] { btnAfterClick(2); });
    connect(btnOpen, &QPushButton::clicked, this, &TFmEdit::btnOpenClick);
    connect(btnAll, &QPushButton::clicked, this, &TFmEdit::btnAllClick);
    connect(btnClose, &QPushButton::clicked, this, &TFmEdit::btnCloseClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFmEdit::reject);
}

void TFmEdit::FormCreate()
{
    try {
        listPrinters();
    } catch (const std::exception& error) {
        // The program starts without printers rather than not at all. The
        // error is shown once the main window is up, not before it.
        QTimer::singleShot(0, &main_, [&main = main_, message = QString::fromUtf8(error.what())] {
            main.dialogs().showError(&main, message);
        });
    }
}

int TFmEdit::currentRow() const
{
    return current_.isValid() ? current_.row() : -1;
}

std::string TFmEdit::pathBytes() const
{
    return pathText_.bytesFor(edtFilepass->text());
}

DocumentKind TFmEdit::pathKind() const
{
    try {
        return documentKindOfPath(pathBytes());
    } catch (const std::exception&) {
        return DocumentKind::Other;
    }
}

void TFmEdit::OpenEntry(int index)
{
    main_.guarded([this, index] {
        if (isVisible() && current_.isValid())
            SaveEntry();
        current_ = QPersistentModelIndex(main_.listView()->model()->index(index, 0));
        loadRow();
        if (isVisible())
            FormShow(); // becoming visible does it otherwise
        show();
        raise();
        activateWindow();
    });
}

void TFmEdit::loadRow()
{
    const PrintEntry& row = main_.printList().at(static_cast<size_t>(current_.row()));
    const auto load = [](QLineEdit* field, ShownText& kept, std::string stored) {
        kept = ShownText(std::move(stored));
        field->setText(kept.shown());
    };
    load(edtFile, fileText_, row.fileName);
    load(edtMemo, memoText_, row.memo);
    load(edtFilepass, pathText_, row.filePath);
    edtBusu->setText(toQString(row.copies));
    load(edtPage, pageText_, pageFieldOf(row));
}

void TFmEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring the minimised window is a spontaneous show: it must not reset
    // the printer or empty the sheets the user has loaded.
    if (!event->spontaneous() && current_.isValid())
        FormShow();
}

void TFmEdit::FormShow()
{
    const int row = current_.row();
    const int rows = static_cast<int>(main_.printList().size());
    btnBefore->setEnabled(row != 0);
    btnAfter->setEnabled(row != rows - 1);

    const DocumentKind kind = pathKind();
    grpWord->setVisible(kind == DocumentKind::Word);
    grpExcel->setVisible(kind == DocumentKind::Excel);

    // Rows chosen together stay chosen: the user may print them next.
    QItemSelectionModel* selection = main_.listView()->selectionModel();
    if (!selection->isRowSelected(row, {}))
        selection->select(current_, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

    showPrinters(main_.printList().at(static_cast<size_t>(row)).printer);

    if (kind == DocumentKind::Excel) {
        showStoredSheets(main_.printList().at(static_cast<size_t>(row)).pagesOrSheets);
        setSheetButtonToLoad(true);
        main_.startOfficeAhead(PrintMode::Print); // 読込 reads the sheets with it
    }
}

void TFmEdit::showPrinters(const std::string& rowPrinter)
{
    // Asked anew: a printer added since the program started is offered too.
    try {
        listPrinters();
    } catch (const std::exception&) {
        // The printers listed last stay; the failure was told at the start.
    }
    cmbPrt->clear();
    for (const printers::PrinterChoice& printer : installedPrinters_)
        cmbPrt->addItem(QString::fromStdString(printer.label), QByteArray::fromStdString(printer.name));
    int index = cmbPrt->findData(QByteArray::fromStdString(rowPrinter));
    if (index < 0 && !rowPrinter.empty()) {
        // Shown for what it is, and kept at the next write-back unless
        // another is chosen, rather than silently emptied.
        const QString shown = toQString(rowPrinter);
        cmbPrt->addItem(printersListed_ ? shown + QStringLiteral("（見つかりません）") : shown,
                        QByteArray::fromStdString(rowPrinter));
        index = cmbPrt->count() - 1;
    }
    cmbPrt->setCurrentIndex(index);
}

void TFmEdit::listPrinters()
{
    const MainServices& services = main_.services();
    if (services.printerChoices) {
        installedPrinters_ = services.printerChoices();
    } else {
        installedPrinters_.clear();
        for (std::string& name : services.printerNames())
            installedPrinters_.push_back({name, toQString(name).toStdString()});
    }
    printersListed_ = true;
}

void TFmEdit::showStoredSheets(const std::string& stored)
{
    clearSheets();
    const QSignalBlocker quiet(chkLst);
    SheetCheckList sheets(chkLst);
    for (const std::string& name : readSheetList(stored)) {
        sheets.addUnchecked(name);
        sheets.setChecked(sheets.count() - 1, true);
    }
    sheetsFromRow_ = true;
}

void TFmEdit::clearSheets()
{
    chkLst->clear();
    sheetsFromRow_ = false;
    sheetChecksChanged_ = false;
}

DocumentKind TFmEdit::shownGroup() const
{
    return grpWord->isVisibleTo(this)    ? DocumentKind::Word
           : grpExcel->isVisibleTo(this) ? DocumentKind::Excel
                                         : DocumentKind::Other;
}

SavedEntry TFmEdit::typedEntry(const PrintEntry& before) const
{
    SheetCheckList sheets(chkLst);
    EntryFields fields;
    fields.fileName = fileText_.bytesFor(edtFile->text());
    fields.memo = memoText_.bytesFor(edtMemo->text());
    fields.filePath = pathBytes();
    fields.copies = fromQString(edtBusu->text());
    // Without a printer list nothing could be chosen: the row keeps its printer.
    fields.printer = cmbPrt->currentIndex() >= 0 ? cmbPrt->currentData().toByteArray().toStdString()
                     : printersListed_          ? std::string()
                                                : before.printer;
    fields.shownGroup = shownGroup();
    fields.pageField = pageText_.bytesFor(edtPage->text());
    fields.sheets = sheetsFromRow_ && !sheetChecksChanged_ ? nullptr : &sheets;
    return savedEntry(before, fields);
}

void TFmEdit::writeBackTypedChanges()
{
    if (!isVisible() || !current_.isValid())
        return;
    const PrintEntry& before = main_.printList().at(static_cast<size_t>(current_.row()));
    const SavedEntry typed = typedEntry(before);
    if (typed.entry == before && !typed.sheetNameRefused)
        return;
    SaveEntry();
    hide();
}

void TFmEdit::SaveEntry()
{
    if (!current_.isValid())
        return;
    const FlagScope saving(savingRow_);
    const auto row = static_cast<size_t>(current_.row());
    const PrintEntry before = main_.printList().at(row);
    const SavedEntry saved = typedEntry(before);
    if (shownGroup() == DocumentKind::Word)
        edtPage->clear();
    if (saved.entry != before) {
        main_.printList().setEntry(row, saved.entry);
        main_.markListChanged();
    }
    if (saved.sheetNameRefused)
        main_.dialogs().showWarning(this, QString::fromUtf8(kSheetNameQuoteMessage),
                                    QString::fromUtf8(kSheetNameQuoteCaption));
    // Said now rather than when the run fails; the row keeps what was typed.
    // The printer comes from the installed ones; only an empty one is told.
    if (const std::vector<std::string> problems = printProblems(saved.entry, {}); !problems.empty()) {
        QString text;
        for (const std::string& problem : problems)
            text += QString::fromStdString(problem) + QStringLiteral("。\n");
        main_.dialogs().showWarning(this, text + QStringLiteral("このままでは印刷できません。"),
                                    QStringLiteral("設定の確認"));
    }
}

void TFmEdit::btnAfterClick(int tag)
{
    main_.guarded([this, tag] {
        SaveEntry();
        edtPage->clear();
        const int next = current_.row() + (tag == 1 ? -1 : 1);
        if (next < 0 || next >= static_cast<int>(main_.printList().size()))
            return;
        current_ = QPersistentModelIndex(main_.listView()->model()->index(next, 0));
        loadRow();
        FormShow();
        edtFile->setFocus();
    });
}

void TFmEdit::btnOpenClick()
{
    main_.guarded([this] {
        const DocumentKind kind = pathKind();
        if (kind == DocumentKind::Word)
            browseFilter_ = documentFilter(QStringLiteral("Wordファイル"), {DocumentKind::Word});
        else if (kind == DocumentKind::Excel)
            browseFilter_ = documentFilter(QStringLiteral("Excelファイル"), {DocumentKind::Excel});
        const QStringList chosen = main_.dialogs().chooseOpenFiles(this, browseFilter_);
        if (!chosen.isEmpty()) {
            // Refuses a name Shift-JIS cannot hold; shown in the system's form.
            edtFilepass->setText(pathToQString(pathFromQString(chosen.first())));
        }
        const DocumentKind now = pathKind();
        if (now == DocumentKind::Excel) {
            clearSheets();
            setSheetButtonToLoad(true);
        } else if (now == DocumentKind::Word) {
            edtPage->clear();
        }
    });
}

void TFmEdit::setSheetButtonToLoad(bool load)
{
    sheetButtonLoads_ = load;
    btnAll->setText(load ? QStringLiteral("読込(&L)") : QStringLiteral("すべて(&A)"));
    btnAll->setIcon(style()->standardIcon(load ? QStyle::SP_BrowserReload : QStyle::SP_DialogApplyButton));
}

void TFmEdit::btnAllClick()
{
    main_.guarded([this] {
        if (!sheetButtonLoads_) {
            for (int i = 0; i < chkLst->count(); ++i)
                chkLst->item(i)->setCheckState(Qt::Checked);
            return;
        }
        if (pathKind() == DocumentKind::Excel) {
            clearSheets();
            const std::string stored = main_.printList().at(static_cast<size_t>(current_.row())).pagesOrSheets;
            const std::string path = pathBytes();
            // The workbook is read on the automation thread; the windows
            // repaint meanwhile but take no input.
            CheckItems found;
            std::exception_ptr failure;
            {
                setCursor(Qt::WaitCursor);
                setEnabled(false);
                main_.setEnabled(false);
                // Starting the office may take seconds: say what is going on.
                btnAll->setText(QStringLiteral("読込中…"));
                main_.tellInStatusBar(QStringLiteral("シートを読み込んでいます…"));
                struct Restore {
                    TFmEdit* editor;
                    TFmMain& main;
                    ~Restore()
                    {
                        main.tellInStatusBar(QString());
                        main.setEnabled(true);
                        editor->setEnabled(true);
                        editor->unsetCursor();
                        editor->setSheetButtonToLoad(true);
                    }
                } restore{this, main_};
                try {
                    main_.runOfficeWork([&] {
                        AutomationCall automation(main_.services().automation);
                        LoadSheetNames(found, path, stored, automation);
                    });
                } catch (...) {
                    failure = std::current_exception();
                }
            }
            // A read that failed part-way found nothing, so the row keeps
            // its stored sheets.
            SheetCheckList sheets(chkLst);
            for (const CheckItem& item : found.items) {
                sheets.addUnchecked(item.name);
                if (item.checked)
                    sheets.setChecked(sheets.count() - 1, true);
            }
            if (failure) {
                // Said from the editor, which stays open with all that was typed.
                try {
                    std::rethrow_exception(failure);
                } catch (const std::exception& error) {
                    main_.dialogs().showError(this, QStringLiteral("シートを読み込めませんでした。\n%1")
                                                        .arg(QString::fromUtf8(error.what())));
                    return;
                }
            }
        }
        setSheetButtonToLoad(false);
    });
}

void TFmEdit::btnCloseClick()
{
    main_.guarded([this] {
        SaveEntry();
        hide();
    });
}

void TFmEdit::closeIfRowIsGone()
{
    if (!current_.isValid() && isVisible())
        hide();
}

void TFmEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // A button that is not a default ignores Enter, and it arrives here.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFmEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pravik

#include "UOption.h"

#include "Dialogs.h"
#include "Fonts.h"
#include "OptionsFile.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace pravik {

namespace {

template <typename Control>
Control* addControl(QGroupBox* group, const char* name, const QString& caption)
{
    auto* control = new Control(caption, group);
    control->setObjectName(QString::fromLatin1(name));
    group->layout()->addWidget(control);
    return control;
}

QGroupBox* addGroup(QVBoxLayout* layout, const char* name, const QString& caption)
{
    auto* group = new QGroupBox(caption);
    group->setObjectName(QString::fromLatin1(name));
    auto* inside = new QVBoxLayout(group);
    inside->setSpacing(6);
    inside->setContentsMargins(12, 8, 12, 10);
    layout->addWidget(group);
    return group;
}

} // namespace

TFmOption::TFmOption(Dialogs& dialogs, std::string iniPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs),
      iniPath_(std::move(iniPath))
{
    setObjectName(QStringLiteral("FmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    setFont(windowFont());
    setFixedSize(441, 420);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);

    QGroupBox* print = addGroup(layout, "grpPrint", QStringLiteral("印刷設定"));
    rdoBetu = addControl<QRadioButton>(print, "rdoBetu", QStringLiteral("選択されたファイルのみを印刷対象とする"));
    rdoAll = addControl<QRadioButton>(print, "rdoAll", QStringLiteral("表示されたファイル全てを印刷対象とする"));
    rdoBetu->setChecked(true);

    QGroupBox* basic = addGroup(layout, "grpBasic", QStringLiteral("基本設定"));
    chkInfo = addControl<QCheckBox>(basic, "chkInfo", QStringLiteral("起動時、前回のファイルを開く"));
    chkOnaji = addControl<QCheckBox>(basic, "chkOnaji", QStringLiteral("同じファイルは追加しない"));
    chkFile = addControl<QCheckBox>(basic, "chkFile",
                                    QStringLiteral("Word,Excelファイル以外も取り込む　（※ 印刷はできません）"));

    QGroupBox* excel = addGroup(layout, "grpExcel", QStringLiteral("Excel設定"));
    rdoEx1 = addControl<QRadioButton>(
        excel, "rdoEx1", QStringLiteral("印刷するシートが選択されていない場合、アクティブシートを印刷する"));
    rdoEx2 = addControl<QRadioButton>(
        excel, "rdoEx2", QStringLiteral("印刷するシートが選択されていない場合、全てのシートを印刷する"));
    rdoEx3 = addControl<QRadioButton>(excel, "rdoEx3",
                                      QStringLiteral("印刷するシートが選択されていない場合、印刷しない"));
    rdoEx1->setChecked(true);
    chkSort = addControl<QCheckBox>(excel, "chkSort", QStringLiteral("部単位でソートする"));
    // Word always prints its copies one whole set after another, so the
    // box only changes how workbooks come out.
    auto* sortNote = new QLabel(QStringLiteral("（Excel のブックのみ。Word の文書は常に部単位です）"), excel);
    sortNote->setObjectName(QStringLiteral("lblSortNote"));
    sortNote->setWordWrap(true);
    sortNote->setContentsMargins(20, 0, 0, 0);
    excel->layout()->addWidget(sortNote);

    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setProperty("tag", 1);
    btnOk->setDefault(true);
    btnClose = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                               QStringLiteral("閉じる(&C)"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setProperty("tag", 2);
    btnClose->setAutoDefault(false);
    for (QPushButton* button : {btnOk, btnClose}) {
        button->setMinimumWidth(90);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this,
                [this, button] { btnOkClick(button->property("tag").toInt()); });
    }
    layout->addLayout(buttons);
}

void TFmOption::showEvent(QShowEvent* event)
{
    // Reloaded at every opening, so what a closed dialog left is discarded
    // and edits of the file by hand show.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TFmOption::FormShow()
{
    try {
        const OptionValues values = readOptionValues(iniPath_);
        (values.printAllRows ? rdoAll : rdoBetu)->setChecked(true);
        chkInfo->setChecked(values.reopenLastList);
        chkOnaji->setChecked(values.skipSameFile);
        chkFile->setChecked(values.acceptOtherFiles);
        QRadioButton* excelRules[] = {rdoEx1, rdoEx2, rdoEx3};
        excelRules[values.excelNoSheetRule]->setChecked(true);
        chkSort->setChecked(values.collateCopies);
    } catch (const std::exception& error) {
        dialogs_.showError(this, QString::fromUtf8(error.what()));
    }
}

void TFmOption::btnOkClick(int tag)
{
    if (tag != 1) {
        reject();
        return;
    }
    OptionValues values;
    values.printAllRows = rdoAll->isChecked();
    values.reopenLastList = chkInfo->isChecked();
    values.skipSameFile = chkOnaji->isChecked();
    values.acceptOtherFiles = chkFile->isChecked();
    values.excelNoSheetRule = rdoEx3->isChecked() ? 2 : rdoEx2->isChecked() ? 1 : 0;
    values.collateCopies = chkSort->isChecked();
    try {
        writeOptionValues(iniPath_, values);
    } catch (const std::exception& error) {
        // The dialog stays open with the user's choices, to try again or close.
        dialogs_.showError(this, QString::fromUtf8(error.what()));
        return;
    }
    dialogs_.showMessage(this, QStringLiteral("設定は次回起動時から採用されます"), QStringLiteral("確認"));
    accept();
}

} // namespace pravik

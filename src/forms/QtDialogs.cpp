#include "Dialogs.h"

#include "QtText.h"
#include "ReportBox.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QMessageBox>
#include <QStandardPaths>

namespace pravik {

namespace {

// The errors come from every floor, many written as phrases: a message box
// shows them as sentences, the last closed with 「。」 as the user reads
// everywhere else. A text that ends otherwise (a bracket, a file name, a
// mark) is left as it is.
QString asSentence(const QString& text)
{
    if (text.isEmpty())
        return text;
    const char16_t last = text.back().unicode();
    const bool hiragana = last >= 0x3041 && last <= 0x309F;
    return hiragana ? text + QStringLiteral("。") : text;
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Pravik");
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& text, const QString& caption)
{
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

Dialogs::Reply QtDialogs::askYesNoOrDismiss(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    // A box left with Escape or its close button would otherwise answer No:
    // キャンセル takes those, so only a pressed No counts as No.
    QPushButton* dismiss = box.addButton(QMessageBox::Cancel);
    dismiss->setText(QStringLiteral("キャンセル"));
    box.setEscapeButton(dismiss);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Reply::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Reply::No;
    return Reply::Dismissed;
}

int QtDialogs::askChoice(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> pressed;
    for (const QString& label : buttons)
        pressed << box.addButton(label, QMessageBox::AcceptRole);
    // Escape and the close button answer none of them.
    QPushButton* dismiss = box.addButton(QMessageBox::Cancel);
    dismiss->hide();
    box.setEscapeButton(dismiss);
    if (!pressed.isEmpty())
        box.setDefaultButton(pressed.constFirst());
    box.exec();
    return static_cast<int>(pressed.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
}

bool QtDialogs::confirmOkCancel(QWidget* parent, const QString& text, const QString& caption)
{
    return QMessageBox::question(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

bool QtDialogs::confirmWarningOkCancel(QWidget* parent, const QString& text, const QString& caption)
{
    return QMessageBox::warning(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

namespace {

// The filters' names already show their patterns.
constexpr QFileDialog::Options kFileDialogOptions = QFileDialog::HideNameFilterDetails;

// A dialog starts in the folder last used with it, as Windows' own file
// dialogs do; the first time where the caller says, or else in the user's
// documents (never the program's own folder, hidden under AppData on
// Windows).
QString startFolder(const QString& lastUsed, const QString& initialFolder)
{
    if (!lastUsed.isEmpty())
        return lastUsed;
    if (!initialFolder.isEmpty())
        return initialFolder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString folderOf(const QString& file)
{
    return QFileInfo(file).absolutePath();
}

} // namespace

QString QtDialogs::chooseOpenFile(QWidget* parent, const QString& filter, const QString& initialFolder)
{
    const QString chosen = QFileDialog::getOpenFileName(parent, QString(), startFolder(openFolder_, initialFolder),
                                                        filter, nullptr, kFileDialogOptions);
    if (!chosen.isEmpty())
        openFolder_ = folderOf(chosen);
    return chosen;
}

QString QtDialogs::chooseSaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                  const QString& initialFolder)
{
    QFileDialog dialog(parent, QString(), startFolder(saveFolder_, initialFolder), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOptions(kFileDialogOptions);
    // The program asks itself, once the name has its extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    saveFolder_ = folderOf(chosen);
    return chosen;
}

QStringList QtDialogs::chooseOpenFiles(QWidget* parent, const QString& filter)
{
    const QStringList chosen =
        QFileDialog::getOpenFileNames(parent, QString(), startFolder(addFolder_, QString()), filter, nullptr,
                                      kFileDialogOptions);
    if (!chosen.isEmpty())
        addFolder_ = folderOf(chosen.constFirst());
    return chosen;
}

DialogFolders QtDialogs::lastFolders() const
{
    // A folder CP932 cannot name is not carried over.
    const auto kept = [](const QString& folder) {
        try {
            return folder.isEmpty() ? std::string() : pathFromQString(folder);
        } catch (const std::exception&) {
            return std::string();
        }
    };
    return {kept(openFolder_), kept(saveFolder_), kept(addFolder_)};
}

void QtDialogs::setLastFolders(const DialogFolders& folders)
{
    openFolder_ = pathToQString(folders.open);
    saveFolder_ = pathToQString(folders.save);
    addFolder_ = pathToQString(folders.add);
}

void QtDialogs::showError(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, applicationTitle(), asSentence(text));
}

void QtDialogs::showWarning(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox::warning(parent, caption, asSentence(text));
}

void QtDialogs::showMessage(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, asSentence(text), QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::showFinishedRun(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    auto* optOut = new QCheckBox(QStringLiteral("今後このメッセージを表示しない(&D)"), &box);
    box.setCheckBox(optOut);
    box.exec();
    return optOut->isChecked();
}

void QtDialogs::showFailureReport(QWidget* parent, const QString& text, const QString& caption)
{
    showReportBox(parent, QMessageBox::Critical, text, caption);
}

void QtDialogs::showReport(QWidget* parent, const QString& text, const QString& caption)
{
    showReportBox(parent, QMessageBox::Information, text, caption);
}

QString QtDialogs::inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                           const QString& initial, int maxLength)
{
    QInputDialog box(parent);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(initial);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("キャンセル"));
    if (auto* edit = box.findChild<QLineEdit*>())
        edit->setMaxLength(maxLength);
    if (box.exec() != QDialog::Accepted)
        return initial;
    return box.textValue();
}

} // namespace pravik

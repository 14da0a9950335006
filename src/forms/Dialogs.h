#pragma once

#include "SettingsFile.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace pravik {

// The modal questions and file dialogs of the windows, behind one interface
// so the window tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Yes/No with the question icon; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
    enum class Reply { Yes, No, Dismissed };
    // Yes/No/キャンセル with the question icon: キャンセル, Escape and the
    // close button dismiss the box instead of answering No.
    virtual Reply askYesNoOrDismiss(QWidget* parent, const QString& text, const QString& caption)
    {
        return askYesNo(parent, text, caption) ? Reply::Yes : Reply::No;
    }
    // A question with its own buttons, the first the default: the index of
    // the pressed one, or -1 when Escape or the close button dismissed it.
    virtual int askChoice(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons)
    {
        (void)buttons;
        return askYesNo(parent, text, caption) ? 0 : -1;
    }
    // OK/Cancel with the question icon; true for OK.
    virtual bool confirmOkCancel(QWidget* parent, const QString& text, const QString& caption) = 0;
    // OK/Cancel with the exclamation icon, before something is taken away;
    // true for OK.
    virtual bool confirmWarningOkCancel(QWidget* parent, const QString& text, const QString& caption)
    {
        return confirmOkCancel(parent, text, caption);
    }
    // Empty when cancelled. `filter` uses Qt's form ("name (*.lst);;...").
    virtual QString chooseOpenFile(QWidget* parent, const QString& filter,
                                   const QString& initialFolder) = 0;
    virtual QString chooseSaveFile(QWidget* parent, const QString& filter,
                                   const QString& defaultSuffix, const QString& initialFolder) = 0;
    // Several files at once, in the dialog's order; empty when cancelled.
    virtual QStringList chooseOpenFiles(QWidget* parent, const QString& filter) = 0;
    // The folders the file dialogs were last left in, to carry them over
    // to the next session; stand-ins may keep none.
    virtual DialogFolders lastFolders() const { return {}; }
    virtual void setLastFolders(const DialogFolders&) {}
    // The application's general error display: the error's text, the
    // application's title, an error icon.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // A notice with the exclamation icon and an OK button.
    virtual void showWarning(QWidget* parent, const QString& text, const QString& caption) = 0;
    // A message with no icon and an OK button. Stand-ins that do not look
    // at messages may leave it as it is.
    virtual void showMessage(QWidget* parent, const QString& text, const QString& caption)
    {
        (void)parent, (void)text, (void)caption;
    }
    // A report of several failures under its own caption, with an error icon.
    virtual void showFailureReport(QWidget* parent, const QString& text, const QString& caption) = 0;
    // The report of a run in which nothing failed (rows printed with a
    // note, rows a stop left), with the information icon.
    virtual void showReport(QWidget* parent, const QString& text, const QString& caption)
    {
        showMessage(parent, text, caption);
    }
    // The word that a run printed everything, with a box to tick against
    // seeing it again: true when it was ticked.
    virtual bool showFinishedRun(QWidget* parent, const QString& text, const QString& caption)
    {
        showReport(parent, text, caption);
        return false;
    }
    // The one-line input box with "OK" and "キャンセル": the typed text, or
    // `initial` when cancelled. At most `maxLength` characters can be typed.
    // Answers that never type anything may leave it as it is.
    virtual QString inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                             const QString& initial, int maxLength)
    {
        (void)parent, (void)caption, (void)prompt, (void)maxLength;
        return initial;
    }
};

// The real dialogs.
class QtDialogs : public Dialogs {
public:
    bool askYesNo(QWidget* parent, const QString& text, const QString& caption) override;
    Reply askYesNoOrDismiss(QWidget* parent, const QString& text, const QString& caption) override;
    int askChoice(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons) override;
    bool confirmOkCancel(QWidget* parent, const QString& text, const QString& caption) override;
    bool confirmWarningOkCancel(QWidget* parent, const QString& text, const QString& caption) override;
    QString chooseOpenFile(QWidget* parent, const QString& filter, const QString& initialFolder) override;
    QString chooseSaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                           const QString& initialFolder) override;
    QStringList chooseOpenFiles(QWidget* parent, const QString& filter) override;
    DialogFolders lastFolders() const override;
    void setLastFolders(const DialogFolders& folders) override;
    void showError(QWidget* parent, const QString& text) override;
    void showWarning(QWidget* parent, const QString& text, const QString& caption) override;
    void showFailureReport(QWidget* parent, const QString& text, const QString& caption) override;
    void showReport(QWidget* parent, const QString& text, const QString& caption) override;
    void showMessage(QWidget* parent, const QString& text, const QString& caption) override;
    bool showFinishedRun(QWidget* parent, const QString& text, const QString& caption) override;
    QString inputBox(QWidget* parent, const QString& caption, const QString& prompt, const QString& initial,
                     int maxLength) override;

private:
    // The folder each file dialog was last left in.
    QString openFolder_;
    QString saveFolder_;
    QString addFolder_;
};

// The application's title, shown on its error boxes.
QString applicationTitle();

} // namespace pravik

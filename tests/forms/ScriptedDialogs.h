#pragma once

#include "Dialogs.h"

#include <QStringList>

#include <deque>
#include <optional>
#include <stdexcept>

namespace pravik::test {

// Answers the windows' dialogs from a script and records the questions and
// errors. A dialog with no scripted answer fails the test by throwing.
class ScriptedDialogs : public Dialogs {
public:
    std::deque<std::optional<bool>> answers; // Yes/No and OK/Cancel; nullopt: dismissed
    std::deque<QString> openChoices;  // empty string: cancelled
    std::deque<QString> saveChoices;  // empty string: cancelled
    QStringList questions;
    QStringList errors;
    QStringList saveFolders;

    // A dismissed two-way box answers No, as Qt's boxes do.
    bool askYesNo(QWidget*, const QString& text, const QString&) override { return answer(text).value_or(false); }
    Reply askYesNoOrDismiss(QWidget*, const QString& text, const QString&) override
    {
        const std::optional<bool> value = answer(text);
        return !value ? Reply::Dismissed : *value ? Reply::Yes : Reply::No;
    }
    std::deque<int> choices; // the pressed button's index; -1: dismissed
    QStringList choiceButtons;
    int askChoice(QWidget*, const QString& text, const QString&, const QStringList& buttons) override
    {
        questions << text;
        choiceButtons = buttons;
        if (choices.empty())
            throw std::logic_error("unexpected question: " + text.toStdString());
        const int value = choices.front();
        choices.pop_front();
        return value;
    }
    bool confirmOkCancel(QWidget*, const QString& text, const QString&) override
    {
        return answer(text).value_or(false);
    }
    QStringList warningQuestions;
    bool confirmWarningOkCancel(QWidget* parent, const QString& text, const QString& caption) override
    {
        warningQuestions << text;
        return confirmOkCancel(parent, text, caption);
    }
    QString chooseOpenFile(QWidget*, const QString&, const QString&) override { return pop(openChoices); }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString& folder) override
    {
        saveFolders << folder;
        return pop(saveChoices);
    }
    std::deque<QStringList> openFilesChoices; // empty list: cancelled
    QStringList chooseOpenFiles(QWidget*, const QString& filter) override
    {
        addFilters << filter;
        if (openFilesChoices.empty())
            throw std::logic_error("unexpected file dialog");
        QStringList value = openFilesChoices.front();
        openFilesChoices.pop_front();
        return value;
    }
    QStringList addFilters;
    void showError(QWidget*, const QString& text) override { errors << text; }
    QStringList warnings;
    void showWarning(QWidget*, const QString& text, const QString&) override { warnings << text; }
    void showFailureReport(QWidget*, const QString& text, const QString&) override { errors << text; }
    QStringList reports; // of runs in which nothing failed
    void showReport(QWidget*, const QString& text, const QString&) override { reports << text; }
    QStringList messages; // "caption: text"
    void showMessage(QWidget*, const QString& text, const QString& caption) override
    {
        messages << caption + QStringLiteral(": ") + text;
    }
    std::deque<std::optional<QString>> inputs; // nullopt: cancelled
    QStringList prompts;
    QString inputBox(QWidget*, const QString&, const QString& prompt, const QString& initial, int) override
    {
        prompts << prompt;
        if (inputs.empty())
            throw std::logic_error("unexpected input box");
        const std::optional<QString> value = inputs.front();
        inputs.pop_front();
        return value.value_or(initial);
    }

private:
    std::optional<bool> answer(const QString& text)
    {
        questions << text;
        if (answers.empty())
            throw std::logic_error("unexpected question: " + text.toStdString());
        const std::optional<bool> value = answers.front();
        answers.pop_front();
        return value;
    }
    static QString pop(std::deque<QString>& script)
    {
        if (script.empty())
            throw std::logic_error("unexpected file dialog");
        QString value = script.front();
        script.pop_front();
        return value;
    }
};

} // namespace pravik::test

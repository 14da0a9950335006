#pragma once

#include "PrintEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// What opening the selected rows' documents needs from the main window and
// the progress dialog. Texts handed to the host are UTF-8 display text.
class LaunchHost {
public:
    virtual ~LaunchHost() = default;

    virtual void showProgress(const std::string& message, const std::string& fileLine) = 0;
    virtual void setProgressFileLine(const std::string& fileLine) = 0;
    virtual void focusProgress() = 0;
    virtual void hideProgress() = 0;
    virtual void processPendingEvents() = 0;
    // 1 once the progress dialog's Abort button was pressed.
    virtual int abortFlag() const = 0;
    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // Hands the document (CP932 path) to its application: empty when that
    // worked, otherwise why not.
    virtual std::string openDocument(const std::string& cp932Path) = 0;
    // One modal message with the error icon.
    virtual void reportFailures(const std::string& text, const std::string& caption) = 0;
};

// Opens the documents of `rows` one after the other, with the progress
// dialog up and the main window disabled; Abort stops before the next file.
// The files that could not be opened are listed in one message at the end.
void launchFiles(LaunchHost& host, const std::vector<PrintEntry>& rows);

// Opens only the first row's document (a double-click): the main window stays
// usable and there is nothing to abort.
void launchFirstFile(LaunchHost& host, const PrintEntry& row);

inline constexpr std::string_view launchMessage = "ただいまファイルを起動中です。しばらくお待ちください。";
inline constexpr std::string_view launchFailureCaption = "起動エラー";

} // namespace pravik

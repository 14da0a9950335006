#include "FileLaunch.h"

#include "TextCodec.h"

#include <exception>

namespace pravik {

namespace {

struct LaunchFailure {
    std::string fileName;
    std::string reason;
};

// Puts the windows back however the launch ends.
class LaunchEnd {
public:
    LaunchEnd(LaunchHost& host, bool windowDisabled) : host_(host), windowDisabled_(windowDisabled) {}
    LaunchEnd(const LaunchEnd&) = delete;
    LaunchEnd& operator=(const LaunchEnd&) = delete;
    ~LaunchEnd()
    {
        try {
            host_.hideProgress();
            if (windowDisabled_)
                host_.setMainWindowEnabled(true);
            host_.setBusyCursor(false);
        } catch (...) {
            // Already on the way out; the window state is all that is left.
        }
    }

private:
    LaunchHost& host_;
    bool windowDisabled_;
};

void openOne(LaunchHost& host, const PrintEntry& row, std::vector<LaunchFailure>& failures)
{
    std::string reason;
    try {
        reason = host.openDocument(row.filePath);
    } catch (const std::exception& error) {
        reason = error.what();
    }
    if (!reason.empty())
        failures.push_back({codec::toDisplay(row.fileName), reason});
}

void reportFailures(LaunchHost& host, const std::vector<LaunchFailure>& failures)
{
    if (failures.empty())
        return;
    std::string text = "次のファイルを起動できませんでした。";
    for (const LaunchFailure& failure : failures)
        text += "\n" + failure.fileName + ": " + failure.reason;
    host.reportFailures(text, std::string(launchFailureCaption));
}

} // namespace

void launchFiles(LaunchHost& host, const std::vector<PrintEntry>& rows)
{
    if (rows.empty())
        return;
    std::vector<LaunchFailure> failures;
    {
        host.setBusyCursor(true);
        host.setMainWindowEnabled(false);
        const LaunchEnd end(host, true);
        host.showProgress(std::string(launchMessage), codec::toDisplay(rows.front().filePath));
        for (const PrintEntry& row : rows) {
            host.processPendingEvents();
            if (host.abortFlag() == 1)
                break;
            host.setProgressFileLine(codec::toDisplay(row.fileName));
            host.processPendingEvents();
            openOne(host, row, failures);
            host.focusProgress();
        }
    }
    reportFailures(host, failures);
}

void launchFirstFile(LaunchHost& host, const PrintEntry& row)
{
    std::vector<LaunchFailure> failures;
    {
        host.setBusyCursor(true);
        const LaunchEnd end(host, false);
        host.showProgress(std::string(launchMessage), codec::toDisplay(row.fileName));
        host.processPendingEvents();
        openOne(host, row, failures);
    }
    reportFailures(host, failures);
}

} // namespace pravik

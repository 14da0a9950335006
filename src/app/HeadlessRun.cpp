#include "HeadlessRun.h"

#include "Error.h"
#include "ListErrors.h"
#include "NothingToPrint.h"
#include "OutcomeUnknown.h"
#include "PrintList.h"
#include "PrintRun.h"
#include "SettingsFile.h"
#include "SettingsLocation.h"
#include "SubmissionGate.h"
#include "TextCodec.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>
#include <utility>

namespace pravik {

namespace {

enum class RowResult { None, Done, Skipped, Failed, Unknown, Stopped };

// Passes each job on and remembers how the row in hand ended.
class RecordingJobs : public PrintJobs {
public:
    explicit RecordingJobs(PrintJobs& jobs) : jobs_(jobs) {}

    JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) override
    {
        return record([&] { return jobs_.printExcel(entry, mode); });
    }

    void printWord(const PrintEntry& entry, PrintMode mode) override
    {
        record([&] {
            jobs_.printWord(entry, mode);
            return JobOutcome::Done;
        });
    }

    int roomAhead() const override { return jobs_.roomAhead(); }
    void startAhead(const PrintEntry& entry, PrintMode mode) override
    {
        jobs_.startAhead(entry, mode);
    }
    void discardAhead() override { jobs_.discardAhead(); }
    void expectAfter(const std::vector<PrintEntry>& next) override { jobs_.expectAfter(next); }

    RowResult take(std::string& detail)
    {
        const RowResult result = result_;
        detail = std::move(detail_);
        result_ = RowResult::None;
        detail_.clear();
        return result;
    }
    // The last row's job when its outcome is unknown.
    std::optional<OutcomeUnknown> takeUnknown() { return std::exchange(unknown_, std::nullopt); }

private:
    template <typename Job>
    JobOutcome record(Job job)
    {
        try {
            const JobOutcome outcome = job();
            result_ = outcome == JobOutcome::Done ? RowResult::Done : RowResult::Skipped;
            if (outcome == JobOutcome::Skipped)
                detail_ = "シートが指定されていないため印刷しません";
            notes_ = jobs_.takeNotes();
            for (const std::string& note : notes_)
                detail_ += (detail_.empty() ? "" : " / ") + note;
            return outcome;
        } catch (const SubmissionWithdrawn& stopped) {
            // Given up by the stop before its job left: as the rows after it.
            result_ = RowResult::Stopped;
            detail_ = stopped.what();
            throw;
        } catch (const NothingToPrint& nothing) {
            result_ = RowResult::Skipped;
            detail_ = nothing.what();
            throw;
        } catch (const OutcomeUnknown& unknown) {
            result_ = RowResult::Unknown;
            detail_ = unknown.what();
            unknown_ = unknown;
            throw;
        } catch (const std::exception& error) {
            result_ = RowResult::Failed;
            detail_ = error.what();
            throw;
        } catch (...) {
            result_ = RowResult::Failed;
            detail_ = kUnknownErrorText;
            throw;
        }
    }

    std::vector<std::string> takeNotes() override { return std::exchange(notes_, {}); }

    PrintJobs& jobs_;
    std::vector<std::string> notes_;
    RowResult result_ = RowResult::None;
    std::string detail_;
    std::optional<OutcomeUnknown> unknown_;
};

// The run's host: every row selected, every question answered yes, progress
// and results as lines of text.
class ConsoleHost : public PrintRunHost {
public:
    ConsoleHost(const PrintList& list, PrintMode mode, RecordingJobs& jobs,
                const HeadlessServices& services, std::ostream& results, std::ostream& progress)
        : list_(list), mode_(mode), jobs_(jobs), currentPrinter_(services.currentPrinter)
        , stopSignal_(services.stopSignal), results_(results), progress_(progress), written_(list.size(), false)
    {
    }

    std::string currentPrinter() override { return currentPrinter_(); }
    void selectAllRows() override {}
    int selectedCount() const override { return static_cast<int>(list_.size()); }
    int firstSelectedRow() const override { return list_.empty() ? -1 : 0; }
    int nextSelectedBelow(int row) const override
    {
        return row + 1 < static_cast<int>(list_.size()) ? row + 1 : -1;
    }

    PrintEntry entry(int row) const override
    {
        // The run asks for the row right before it announces it.
        announcing_ = row;
        return list_.at(static_cast<size_t>(row));
    }

    bool confirm(const std::string&, const std::string&) override { return true; }

    void reportFailures(const std::string& text, const std::string&) override
    {
        progress_ << text << '\n';
    }

    void showProgress(const std::string&, const std::string& fileLine) override
    {
        finishRow();
        current_ = announcing_;
        progress_ << '[' << current_ + 1 << '/' << list_.size() << "] "
                  << (mode_ == PrintMode::Print ? "印刷中: " : "プレビュー中: ") << fileLine
                  << std::endl;
    }

    void hideProgress() override
    {
        finishRow();
        // Asked again before the run ended: what they are now is the truth.
        for (auto& [row, unknown] : unsettled_) {
            Settlement settled = unknown.settled();
            const RowResult result = settled.outcome == Settlement::Outcome::Printed ? RowResult::Done
                : settled.outcome == Settlement::Outcome::Failed                   ? RowResult::Failed
                                                                                    : RowResult::Unknown;
            writeResult(row, result, std::move(settled.text));
        }
        unsettled_.clear();
        // Every row the run was given gets its line, those a stop left too.
        if (stopSignal() != 0)
            for (int row = 0; row < static_cast<int>(list_.size()); ++row)
                if (!written_[static_cast<size_t>(row)])
                    writeResult(row, RowResult::Stopped, "中止したため印刷していません");
    }
    void processPendingEvents() override {}
    int abortFlag() const override { return stopSignal() != 0 ? 1 : 0; }
    int stopSignal() const { return stopSignal_ ? stopSignal_() : 0; }
    void setMainWindowEnabled(bool) override {}
    void setBusyCursor(bool) override {}

    bool allPrinted() const { return allPrinted_ && reported_ == static_cast<int>(list_.size()); }
    bool anyUnknown() const { return anyUnknown_; }

private:
    void finishRow()
    {
        if (current_ < 0)
            return;
        std::string detail;
        const RowResult result = jobs_.take(detail);
        if (result == RowResult::None && stopSignal() != 0) {
            current_ = -1; // announced, but the stop came before its job
            return;
        }
        if (result == RowResult::Unknown) {
            // Its line waits for the print system to be asked again.
            if (std::optional<OutcomeUnknown> unknown = jobs_.takeUnknown()) {
                unsettled_.emplace_back(current_, std::move(*unknown));
                written_[static_cast<size_t>(current_)] = true;
            }
        } else {
            writeResult(current_, result, std::move(detail));
        }
        current_ = -1;
    }

    void writeResult(int row, RowResult result, std::string detail)
    {
        const std::string path = codec::toDisplay(list_.at(static_cast<size_t>(row)).filePath);
        const char* status = "skipped";
        switch (result) {
        case RowResult::Done: status = mode_ == PrintMode::Print ? "printed" : "previewed"; break;
        case RowResult::Failed: status = "failed"; break;
        case RowResult::Unknown: status = "unknown"; break;
        case RowResult::Stopped: status = "stopped"; break;
        case RowResult::Skipped: break;
        case RowResult::None: detail = "Word と Excel の文書ではありません"; break;
        }
        results_ << status << '\t' << row + 1 << '\t' << path;
        if (result != RowResult::Done || !detail.empty())
            results_ << '\t' << detail;
        results_ << std::endl;
        written_[static_cast<size_t>(row)] = true;
        allPrinted_ = allPrinted_ && result == RowResult::Done;
        anyUnknown_ = anyUnknown_ || result == RowResult::Unknown;
        ++reported_;
    }

    const PrintList& list_;
    PrintMode mode_;
    RecordingJobs& jobs_;
    std::function<std::string()> currentPrinter_;
    std::function<int()> stopSignal_;
    std::ostream& results_;
    std::ostream& progress_;
    mutable int announcing_ = -1;
    int current_ = -1;
    int reported_ = 0;
    bool allPrinted_ = true;
    bool anyUnknown_ = false;
    std::vector<std::pair<int, OutcomeUnknown>> unsettled_; // rows, in the order they ran
    std::vector<bool> written_; // by row: its line is written, or waits for a settlement
};

// A count as typed after `option` (--timeout, --engines): digits only, 1 or
// more. `what` names the count in the message.
int positiveCount(const std::string& text, const std::string& option, const std::string& what)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 1)
        throw Error(option + " の" + what + " '" + text + "' は 1 以上の整数ではありません\n" + headlessUsage());
    return value;
}

// An argument as a path. Arguments are the system's narrow text: the bytes
// of the file name on Linux, UTF-8 on Windows (where the program hands on
// its wide command line as UTF-8, as the ANSI one could not name every file).
std::filesystem::path argumentPath(const std::string& argument)
{
    return std::filesystem::path(std::u8string(argument.begin(), argument.end()));
}

} // namespace

const char* headlessUsage()
{
    return "使い方: pravik [--print | --preview] リストファイル.lst [--ini 設定ファイル] [--timeout 秒数] [--engines 数]\n"
           "  --print    リストのすべての行を印刷します（ウィンドウは開きません）\n"
           "  --preview  リストのすべての行を印刷プレビューします\n"
           "  --ini      main.ini の代わりに使う設定ファイル\n"
           "  --timeout  一つのファイルの処理に待つ秒数の上限（既定 300）\n"
#ifdef _WIN32
           // Word and Excel print one row at a time there.
           "  --engines  Windows では使われません（Word・Excel は一度に一つずつ印刷します）\n"
#else
           "  --engines  同時に使う印刷用オフィスの数（既定 CPU の数、最大 4）\n"
#endif
           "  --help     この使い方を表示します（/? も同じ）\n"
           "  --version  バージョンを表示します\n";
}

std::string headlessErrorLine(std::string_view text)
{
    std::string line = "pravik: ";
    line += text;
    if (!line.ends_with('\n'))
        line += '\n';
    return line;
}

std::optional<HeadlessOptions> parseHeadlessArguments(const std::vector<std::string>& args)
{
    if (std::find(args.begin(), args.end(), "--print") == args.end()
        && std::find(args.begin(), args.end(), "--preview") == args.end())
        return std::nullopt;

    HeadlessOptions options;
    bool headless = false;
    bool haveList = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--print" || arg == "--preview") {
            if (headless)
                throw Error(std::string("--print と --preview は一つだけ指定してください\n") + headlessUsage());
            headless = true;
            options.mode = arg == "--print" ? PrintMode::Print : PrintMode::Preview;
        } else if (arg == "--ini") {
            if (++i == args.size())
                throw Error(std::string("--ini の後に設定ファイルを指定してください\n") + headlessUsage());
            options.iniFile = codec::fromOsPath(argumentPath(args[i]));
        } else if (arg == "--timeout") {
            if (++i == args.size())
                throw Error(std::string("--timeout の後に秒数を指定してください\n") + headlessUsage());
            options.timeoutSeconds = positiveCount(args[i], "--timeout", "秒数");
        } else if (arg == "--engines") {
            if (++i == args.size())
                throw Error(std::string("--engines の後に数を指定してください\n") + headlessUsage());
            options.engines = positiveCount(args[i], "--engines", "数");
        } else if (!arg.empty() && arg[0] == '-') {
            throw Error("不明なオプション " + arg + "\n" + headlessUsage());
        } else if (!haveList) {
            options.listFile = codec::fromOsPath(argumentPath(arg));
            haveList = true;
        } else {
            throw Error("リストファイルは一つだけ指定してください\n" + std::string(headlessUsage()));
        }
    }
    if (!haveList)
        throw Error(std::string("リストファイルを指定してください\n") + headlessUsage());
    return options;
}

int runHeadless(const HeadlessOptions& options, const HeadlessServices& services,
                std::ostream& results, std::ostream& progress)
{
    PrintList list;
    Settings settings;
    std::unique_ptr<PrintJobs> jobs;
    try {
        // A settings file the user named must be there: running on defaults
        // instead would print with settings nobody chose.
        settings = options.iniFile.empty() ? readSettings(settingsLocation().iniPath())
                                           : readNamedSettings(options.iniFile);
        if (options.timeoutSeconds)
            settings.officeTimeout = *options.timeoutSeconds;
        if (options.engines)
            settings.officeEngines = *options.engines;
        list.loadListFile(options.listFile);
        // Before the offices start: their start would finish it silently.
        if (options.mode == PrintMode::Print && services.leftByEndedRuns)
            for (const std::string& line : services.leftByEndedRuns())
                progress << headlessErrorLine(line) << std::flush;
        jobs = services.makeJobs(settings);
    } catch (const std::exception& error) {
        // A damaged list is not printed in part: its last row would be missing unnoticed.
        progress << headlessErrorLine(error.what()) << std::flush;
        return kRunImpossible;
    }
    if (list.empty()) {
        progress << headlessErrorLine("リスト " + codec::toDisplay(options.listFile) + " には行がないため、何も"
                                      + (options.mode == PrintMode::Print ? "印刷" : "プレビュー") + "しません")
                 << std::flush;
        return kAllRowsPrinted;
    }

    RecordingJobs recording(*jobs);
    ConsoleHost host(list, options.mode, recording, services, results, progress);
    try {
        // Every row takes part, whatever the settings say about selections.
        PrintRun(host, recording, AllRows).printFiles(options.mode);
    } catch (const std::exception& error) {
        progress << headlessErrorLine(error.what()) << std::flush;
        return kRunImpossible;
    }
    const auto stopped = [&] {
        const int signal = host.stopSignal();
        if (signal)
            progress << "pravik: シグナル " << signal << " を受けたため中止しました" << std::endl;
        return signal;
    };
    if (const int signal = stopped())
        return 128 + signal;
    // Waits for the previews to be closed, or for a stop.
    if (options.mode == PrintMode::Preview && services.afterPreview)
        services.afterPreview();
    if (const int signal = stopped())
        return 128 + signal;
    if (host.anyUnknown())
        return kSomeRowsUnknown;
    return host.allPrinted() ? kAllRowsPrinted : kSomeRowsNotPrinted;
}

} // namespace pravik

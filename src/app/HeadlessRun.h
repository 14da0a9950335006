#pragma once

#include "PrintJobs.h"
#include "Settings.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// `pravik --print LIST.lst` / `pravik --preview LIST.lst`: the print run of
// the main window over every row of a saved list, with no window and no
// question. For scheduled printing and for testing the whole path.
struct HeadlessOptions {
    PrintMode mode = PrintMode::Print;
    std::string listFile; // CP932
    std::string iniFile;  // CP932; empty: the windows' own main.ini
    // Seconds an office job may take; replaces "TIMEOUT" of main.ini.
    std::optional<int> timeoutSeconds = std::nullopt;
    // Print offices side by side; replaces "ENGINES" of main.ini.
    std::optional<int> engines = std::nullopt;
};

// Exit statuses of a headless run.
inline constexpr int kAllRowsPrinted = 0;
inline constexpr int kSomeRowsNotPrinted = 1;
inline constexpr int kRunImpossible = 2;
// Some row's job may or may not be in the print system (it did not answer):
// its queue is to be looked at before that row is printed again.
inline constexpr int kSomeRowsUnknown = 3;

// nullopt when the arguments hold neither --print nor --preview: they are
// the windows' (and Qt's). Throws pravik::Error with the usage text on
// arguments it cannot read.
std::optional<HeadlessOptions> parseHeadlessArguments(const std::vector<std::string>& args);

// What a headless run uses of the system.
struct HeadlessServices {
    std::function<std::string()> currentPrinter; // CP932; throws when there is none
    // The jobs for the settings read from the ini file; the settings outlive
    // the jobs.
    std::function<std::unique_ptr<PrintJobs>(const Settings&)> makeJobs;
    // Called after a preview run, before the program ends; returns early
    // on a stop request.
    std::function<void()> afterPreview;
    // The signal that asked the run to stop (SIGTERM, SIGINT, SIGHUP), 0
    // while none did. The run stops before the next row and ends with 128 +
    // the signal. Empty: never asked.
    std::function<int()> stopSignal;
    // Finishes what killed runs left in the print system and says, a line
    // each, which of their documents had reached it: told before anything
    // prints, so that a reprint does not print them twice unknowingly.
    std::function<std::vector<std::string>()> leftByEndedRuns;
};

// Runs the list. A progress line per row goes to `progress`, one result line
// per row to `results`: "printed", "previewed", "failed", "unknown" (the
// print system may or may not hold its job), "skipped" or "stopped" (a stop
// came before the row), a tab, the row's number, a tab, the file's path, and
// for the last four a tab and the reason (an unknown row's line comes once it was asked about again, at the
// end of the run); a printed row the print system had something to say about
// (a stopped queue, a failure after its job was accepted) gets a tab and
// that note. Returns the exit status.
int runHeadless(const HeadlessOptions& options, const HeadlessServices& services,
                std::ostream& results, std::ostream& progress);

// The usage text.
const char* headlessUsage();

// An error as a line of standard error: "pravik: ", the text, and a line end
// unless the text already ends in one.
std::string headlessErrorLine(std::string_view text);

} // namespace pravik

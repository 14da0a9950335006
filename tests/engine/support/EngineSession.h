#pragma once

#include "PrintEntry.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace pravik::test {

// The world that session.sh started for these tests: a private cupsd, a
// virtual display and the test documents. Reading it also points this
// process (and every program it starts) at them: CUPS_SERVER, DISPLAY and
// a cache folder of the session's own.
struct EngineSession {
    std::string cupsServer;
    std::string docs;
    std::string display; // empty: no virtual display
    std::string root;    // scratch space of this session
    mutable pid_t cupsd = -1; // restartPrintSystem() replaces it

    static const EngineSession& get();
    std::string doc(const std::string& name) const { return docs + "/" + name; }
};

// A print queue of the private cupsd with the generic PDF driver writing to
// a file, so the text of what came out can be read back. Removed at the end
// of the test.
class PdfQueue {
public:
    explicit PdfQueue(const std::string& name);
    ~PdfQueue();
    PdfQueue(const PdfQueue&) = delete;
    PdfQueue& operator=(const PdfQueue&) = delete;

    const std::string& name() const { return name_; }

    // Waits until the queue's jobs are done, then the marker of every page
    // that came out, in order (the first word holding "-MARK-" or
    // "LONG-PAGE-"); empty when nothing came out.
    std::vector<std::string> printedMarkers() const;
    int completedJobs() const;

private:
    std::string name_;
    std::string output_;
};

// Waits until no job of the queue is pending or printing.
void waitForQueue(const std::string& queue);

struct PravikRun {
    int status = -1;
    std::vector<std::string> results; // stdout lines
    std::string progress;             // stderr
    pid_t pid = -1;
};

// Runs the program with the arguments; each line it writes to stderr is
// passed to onProgress as it comes. Afterwards checks that the program left
// no office process behind, unless told not to.
PravikRun runPravik(const std::vector<std::string>& args,
                    const std::function<void(const std::string&, pid_t)>& onProgress = {},
                    bool checkNoOfficeLeft = true);

// What the runs of these pids left that they should not have: office
// processes, sockets of their pipes and of the session's profiles, the
// offices' temp folders and spool files. Empty when nothing.
std::vector<std::string> leftoversOf(const std::vector<pid_t>& runs);

// Waits until the program's office renders a job (its spool file exists);
// false when it did not within half a minute.
bool waitUntilRendering(pid_t pravik);

// The guardian of the program's offices (the leader of their group), or -1.
pid_t guardianOf(pid_t pravik);

// Office processes started by the program with that pid.
std::vector<pid_t> officeProcessesOf(pid_t pravik);

// A list file in the session's scratch space; entries' paths CP932.
std::string writeList(const std::string& name, const std::vector<PrintEntry>& entries);
std::string writeIni(const std::string& name, const std::string& mainSection);

// A row as the entry editor writes it.
PrintEntry row(const std::string& docName, const std::string& pagesOrSheets,
               const std::string& copies, const std::string& printer);

// The tab-separated fields of a result line.
std::vector<std::string> fields(const std::string& resultLine);

} // namespace pravik::test

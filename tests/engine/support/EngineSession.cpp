#include "EngineSession.h"

#include "ListFile.h"
#include "OfficeEngine.h"
#include "TextCodec.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pravik::test {

namespace {

std::map<std::string, std::string> readEnvFile(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

std::string capture(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    ::pclose(pipe);
    return output;
}

std::string shellQuoted(const std::string& text) { return "'" + text + "'"; }

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string markerOf(const std::string& page)
{
    std::istringstream words(page);
    for (std::string word; words >> word;)
        if (word.find("-MARK-") != std::string::npos || word.starts_with("LONG-PAGE-"))
            return word;
    return "(no marker)";
}

int jobsOf(const std::string& queue, int which)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, which);
    cupsFreeJobs(count, jobs);
    return count;
}

// Points the whole test program at the session before any test runs.
class SessionEnvironment : public ::testing::Environment {
public:
    void SetUp() override { EngineSession::get(); }
};
[[maybe_unused]] ::testing::Environment* const sessionEnvironment =
    ::testing::AddGlobalTestEnvironment(new SessionEnvironment);

} // namespace

const EngineSession& EngineSession::get()
{
    static const EngineSession session = [] {
        EngineSession s;
        const std::map<std::string, std::string> values = readEnvFile(PRAVIK_ENGINE_SESSION);
        const auto value = [&](const char* key) {
            const auto found = values.find(key);
            return found == values.end() ? std::string() : found->second;
        };
        s.cupsServer = value("CUPS_SERVER");
        s.docs = value("PRAVIK_TEST_DOCS");
        s.display = value("DISPLAY");
        s.root = value("PRAVIK_TEST_ROOT");
        if (const std::string pid = value("PRAVIK_TEST_CUPSD_PID"); !pid.empty())
            s.cupsd = static_cast<pid_t>(std::stol(pid));
        ::setenv("CUPS_SERVER", s.cupsServer.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", value("PRAVIK_TEST_CACHE").c_str(), 1);
        // Spool files of these runs only, not of anyone else using /tmp.
        const std::string temp = s.root + "/runtmp";
        std::filesystem::create_directories(temp);
        ::setenv("TMPDIR", temp.c_str(), 1);
        // Printer instances of the session's own, not the system's.
        ::setenv("CUPS_SERVERROOT", s.root.c_str(), 1);
        if (s.display.empty())
            ::unsetenv("DISPLAY");
        else
            ::setenv("DISPLAY", s.display.c_str(), 1);
        return s;
    }();
    if (session.cupsServer.empty())
        throw std::runtime_error("no engine test session: " PRAVIK_ENGINE_SESSION);
    return session;
}

PdfQueue::PdfQueue(const std::string& name) : name_(name)
{
    const EngineSession& session = EngineSession::get();
    output_ = session.root + "/out/" + name + ".pdf";
    std::filesystem::remove(output_);
    const std::string command = "lpadmin -p " + shellQuoted(name) + " -E -v " + shellQuoted("file://" + output_)
        + " -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot add print queue " + name);
}

PdfQueue::~PdfQueue()
{
    const std::string command = "lpadmin -x " + shellQuoted(name_) + " 2>/dev/null";
    [[maybe_unused]] const int ignored = std::system(command.c_str());
    std::filesystem::remove(output_);
}

void waitForQueue(const std::string& queue)
{
    for (int i = 0; i < 600 && jobsOf(queue, CUPS_WHICHJOBS_ACTIVE) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

int PdfQueue::completedJobs() const
{
    waitForQueue(name_);
    return jobsOf(name_, CUPS_WHICHJOBS_COMPLETED);
}

std::vector<std::string> PdfQueue::printedMarkers() const
{
    waitForQueue(name_);
    std::vector<std::string> markers;
    if (!std::filesystem::exists(output_))
        return markers;
    std::string text = capture("pdftotext " + shellQuoted(output_) + " - 2>/dev/null");
    // pdftotext ends every page with a form feed.
    size_t start = 0;
    for (size_t feed; (feed = text.find('\f', start)) != std::string::npos; start = feed + 1)
        markers.push_back(markerOf(text.substr(start, feed - start)));
    return markers;
}

std::vector<pid_t> officeProcessesOf(pid_t pravik)
{
    const std::string tag = "pipe,name=pravik-" + std::to_string(pravik) + "-";
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string cmdline;
        try {
            std::ifstream in(entry.path() / "cmdline", std::ios::binary);
            cmdline.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } catch (const std::exception&) {
            continue; // it ended while being read
        }
        if (cmdline.find(tag) != std::string::npos)
            found.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return found;
}

PravikRun runPravik(const std::vector<std::string>& args,
                    const std::function<void(const std::string&, pid_t)>& onProgress,
                    bool checkNoOfficeLeft)
{
    EngineSession::get();
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        throw std::runtime_error("pipe");
    std::vector<std::string> argv = {PRAVIK_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& arg : argv)
        raw.push_back(arg.data());
    raw.push_back(nullptr);

    PravikRun run;
    run.pid = ::fork();
    if (run.pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);

    std::string stdoutText;
    std::string pending;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (pollfd& fd : fds) {
            if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const ssize_t got = ::read(fd.fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(fd.fd);
                fd.fd = -1;
                --open;
                continue;
            }
            if (&fd == &fds[0]) {
                stdoutText.append(buffer, static_cast<size_t>(got));
                continue;
            }
            run.progress.append(buffer, static_cast<size_t>(got));
            pending.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                if (onProgress)
                    onProgress(pending.substr(0, end), run.pid);
                pending.erase(0, end + 1);
            }
        }
    }
    int status = 0;
    ::waitpid(run.pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.results = splitLines(stdoutText);

    if (!checkNoOfficeLeft)
        return run;
    // Nothing of the office may outlive the program.
    std::vector<pid_t> left = officeProcessesOf(run.pid);
    for (int i = 0; i < 50 && !left.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        left = officeProcessesOf(run.pid);
    }
    EXPECT_TRUE(left.empty()) << "office processes left behind: " << left.size();
    for (pid_t pid : left)
        ::kill(pid, SIGKILL);
    return run;
}

bool waitUntilRendering(pid_t pravik)
{
    const std::string spool = "pravik-print-" + std::to_string(pravik) + "-";
    for (int i = 0; i < 1500; ++i) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(std::getenv("TMPDIR"), ec))
            if (entry.path().filename().string().starts_with(spool))
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

pid_t guardianOf(pid_t pravik)
{
    for (pid_t office : officeProcessesOf(pravik))
        if (const pid_t group = ::getpgid(office); group > 0)
            return group;
    return -1;
}

std::vector<std::string> leftoversOf(const std::vector<pid_t>& runs)
{
    std::vector<std::string> left;
    const std::string uid = std::to_string(::getuid());
    std::error_code ec;
    for (pid_t run : runs) {
        for (pid_t office : officeProcessesOf(run))
            left.push_back("office process " + std::to_string(office));
        const std::string ownPipe = "OSL_PIPE_" + uid + "_pravik-" + std::to_string(run) + "-";
        for (const char* folder : {"/tmp", "/var/tmp"})
            for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
                if (entry.path().filename().string().starts_with(ownPipe))
                    left.push_back(entry.path().string());
    }
    const std::filesystem::path profiles = std::string(std::getenv("XDG_CACHE_HOME")) + "/pravik/office";
    for (const auto& entry : std::filesystem::directory_iterator(profiles, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".tmp"))
            left.push_back(entry.path().string());
        if (!entry.is_directory() || name.ends_with(".tmp"))
            continue;
        const std::string socket = "OSL_PIPE_" + uid + "_"
            + office::singleInstancePipe("file://" + entry.path().string());
        for (const char* folder : {"/tmp/", "/var/tmp/"})
            if (std::filesystem::exists(folder + socket, ec))
                left.push_back(folder + socket);
    }
    for (const auto& entry : std::filesystem::directory_iterator(std::getenv("TMPDIR"), ec))
        if (entry.path().filename().string().starts_with("pravik-print-"))
            left.push_back(entry.path().string());
    return left;
}

std::string writeList(const std::string& name, const std::vector<PrintEntry>& entries)
{
    const std::string path = EngineSession::get().root + "/" + name;
    writeListFile(codec::fromOsPath(path), entries);
    return path;
}

std::string writeIni(const std::string& name, const std::string& mainSection)
{
    const std::string path = EngineSession::get().root + "/" + name;
    std::ofstream(path, std::ios::binary) << "[MAIN]\r\n" << mainSection;
    return path;
}

PrintEntry row(const std::string& docName, const std::string& pagesOrSheets,
               const std::string& copies, const std::string& printer)
{
    PrintEntry entry;
    entry.fileName = codec::fromUtf8(docName);
    entry.pagesOrSheets = codec::fromUtf8(pagesOrSheets);
    entry.extension = docName.substr(docName.rfind('.') + 1);
    entry.copies = copies;
    entry.printer = codec::fromUtf8(printer);
    entry.filePath = codec::fromUtf8(EngineSession::get().doc(docName));
    return entry;
}

std::vector<std::string> fields(const std::string& resultLine)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t tab; (tab = resultLine.find('\t', start)) != std::string::npos; start = tab + 1)
        parts.push_back(resultLine.substr(start, tab - start));
    parts.push_back(resultLine.substr(start));
    return parts;
}

} // namespace pravik::test

#include "FaultProxy.h"

#include "EngineSession.h"

#include <cups/cups.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pravik::test {

FaultProxy::FaultProxy(const std::vector<std::string>& rules)
{
    const EngineSession& session = EngineSession::get();
    socket_ = session.root + "/proxy.sock";
    log_ = session.root + "/proxy.log";
    std::filesystem::remove(socket_);
    std::filesystem::remove(log_);
    std::vector<std::string> argv = {"python3", PRAVIK_FAULT_PROXY, socket_, session.cupsServer, log_};
    argv.insert(argv.end(), rules.begin(), rules.end());
    std::vector<char*> raw;
    for (std::string& arg : argv)
        raw.push_back(arg.data());
    raw.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execvp(raw[0], raw.data());
        ::_exit(127);
    }
    for (int i = 0; i < 100 && !std::filesystem::exists(socket_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!std::filesystem::exists(socket_))
        throw std::runtime_error("the fault proxy did not start");
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
    // This process's own calls keep going straight to the print system.
    cupsSetServer(session.cupsServer.c_str());
}

FaultProxy::~FaultProxy()
{
    ::setenv("CUPS_SERVER", EngineSession::get().cupsServer.c_str(), 1);
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    std::filesystem::remove(socket_);
}

void FaultProxy::release() const { ::kill(pid_, SIGUSR1); }

double FaultProxy::loggedAt(const std::string& operation, int number, const std::string& event) const
{
    std::ifstream in(log_);
    const std::string wanted = " " + operation + " " + std::to_string(number) + " " + event;
    for (std::string line; std::getline(in, line);)
        if (line.ends_with(wanted))
            return std::stod(line.substr(0, line.find(' ')));
    return 0;
}

void restartPrintSystem(int signal)
{
    const std::string work = std::filesystem::path(PRAVIK_ENGINE_SESSION).parent_path().string();
    const std::string command = std::string(PRAVIK_SESSION_SCRIPT) + " restart-cupsd '" + work + "' "
        + (signal == SIGKILL ? "KILL" : "TERM") + " </dev/null >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("the print system did not start again");
    std::ifstream in(PRAVIK_ENGINE_SESSION);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("PRAVIK_TEST_CUPSD_PID="))
            EngineSession::get().cupsd = static_cast<pid_t>(std::stol(line.substr(line.find('=') + 1)));
}

int jobsHeldBy(const std::string& queue)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count, jobs);
    return count;
}

} // namespace pravik::test

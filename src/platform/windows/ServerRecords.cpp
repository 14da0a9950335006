#include "ServerRecords.h"

#include "ServerShown.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace pravik::win {

namespace {

// A run holds one or two servers at a time; these leave room to spare.
constexpr int kSlots = 32;

struct Slot {
    DWORD id = 0;
    ULONGLONG createdAt = 0;
    int records = 0;
    HANDLE volatile held = nullptr; // read by endRecordedServers without the lock
};

Slot slots[kSlots];
std::mutex slotsMutex;

std::filesystem::path recordFolder()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return {};
    return std::filesystem::path(temp) / L"pravik-servers";
}

// "<process id>-<creation time>.txt": the run the file belongs to.
std::wstring runFileName(DWORD id, ULONGLONG createdAt)
{
    return std::to_wstring(id) + L"-" + std::to_wstring(createdAt) + L".txt";
}

// The run a file name gives; false for a name that is no run file.
bool runOf(const std::wstring& name, DWORD& id, ULONGLONG& createdAt)
{
    const size_t dash = name.find(L'-');
    if (dash == std::wstring::npos || !name.ends_with(L".txt"))
        return false;
    try {
        id = static_cast<DWORD>(std::stoul(name.substr(0, dash)));
        createdAt = std::stoull(name.substr(dash + 1));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The run's file: one line "<id> <creation time>" per server. Under the lock.
void writeRunFile()
{
    const std::filesystem::path folder = recordFolder();
    if (folder.empty())
        return;
    const std::filesystem::path file
        = folder / runFileName(::GetCurrentProcessId(), processCreationTime(::GetCurrentProcess()));
    std::string lines;
    for (const Slot& slot : slots)
        if (slot.records > 0)
            lines += std::to_string(slot.id) + " " + std::to_string(slot.createdAt) + "\n";
    std::error_code ec;
    if (lines.empty()) {
        std::filesystem::remove(file, ec);
        return;
    }
    std::filesystem::create_directories(folder, ec);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << lines;
}

// The process with that id, if it is still the one created then.
HANDLE openSame(DWORD id, ULONGLONG createdAt, DWORD access)
{
    const HANDLE process = ::OpenProcess(access | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process && processCreationTime(process) == createdAt && ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
        return process;
    if (process)
        ::CloseHandle(process);
    return nullptr;
}

} // namespace

ULONGLONG processCreationTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

void recordServer(HANDLE process)
{
    const DWORD id = ::GetProcessId(process);
    std::lock_guard lock(slotsMutex);
    Slot* free = nullptr;
    for (Slot& slot : slots) {
        if (slot.records > 0 && slot.id == id) {
            ++slot.records;
            return;
        }
        if (slot.records == 0 && !free)
            free = &slot;
    }
    HANDLE held = nullptr;
    if (!free || !::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), &held, 0, FALSE,
                                    DUPLICATE_SAME_ACCESS))
        return;
    free->id = id;
    free->createdAt = processCreationTime(process);
    free->records = 1;
    free->held = held;
    writeRunFile();
}

void forgetServer(HANDLE process)
{
    const DWORD id = ::GetProcessId(process);
    std::lock_guard lock(slotsMutex);
    for (Slot& slot : slots) {
        if (slot.records == 0 || slot.id != id)
            continue;
        if (--slot.records == 0) {
            ::CloseHandle(::InterlockedExchangePointer(const_cast<HANDLE*>(&slot.held), nullptr));
            writeRunFile();
        }
        return;
    }
}

bool serverRecorded(DWORD id, ULONGLONG createdAt)
{
    std::lock_guard lock(slotsMutex);
    for (const Slot& slot : slots)
        if (slot.records > 0 && slot.id == id && slot.createdAt == createdAt)
            return true;
    return false;
}

void endRecordedServers()
{
    for (Slot& slot : slots)
        if (const HANDLE held = slot.held)
            ::TerminateProcess(held, 1);
}

void endServersOfDeadRuns()
{
    const std::filesystem::path folder = recordFolder();
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        return;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        files.push_back(entry.path());
    for (const std::filesystem::path& file : files) {
        DWORD runId = 0;
        ULONGLONG runCreatedAt = 0;
        if (!runOf(file.filename().wstring(), runId, runCreatedAt))
            continue;
        if (const HANDLE run = openSame(runId, runCreatedAt, 0)) {
            ::CloseHandle(run); // a run still going: its servers are its own
            continue;
        }
        std::ifstream in(file);
        DWORD id = 0;
        ULONGLONG createdAt = 0;
        while (in >> id >> createdAt) {
            if (const HANDLE server = openSame(id, createdAt, PROCESS_TERMINATE)) {
                // One the user has taken over is theirs; one unseen was
                // left stuck, or holds nothing of theirs as far as can be
                // known, for nobody can reach it.
                if (!serverShownToUser(id))
                    ::TerminateProcess(server, 1);
                ::CloseHandle(server);
            }
        }
        in.close();
        std::filesystem::remove(file, ec);
    }
}

} // namespace pravik::win

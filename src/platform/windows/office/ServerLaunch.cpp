#include "ServerLaunch.h"

#include "ServerRecords.h"

#include <objbase.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>

namespace pravik::win {

namespace {

bool isFile(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring imageOf(HANDLE process)
{
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size))
        return {};
    path.resize(size);
    return path;
}

using QueryProcess = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

QueryProcess queryProcess()
{
    static const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    return query;
}

// From the process's own parameters, where the system cannot give the
// command line itself (before Windows 8.1, and under Wine).
std::wstring commandLineFromParameters(HANDLE process)
{
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (queryProcess()(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0 || !basic.PebBaseAddress
        || !::ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr)
        || !::ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr))
        return {};
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!::ReadProcessMemory(process, parameters.CommandLine.Buffer, line.data(), parameters.CommandLine.Length,
                             nullptr))
        return {};
    return line;
}

// The command line a process was started with; empty when it cannot be read.
std::wstring commandLineOf(DWORD id)
{
    constexpr auto kCommandLineInformation = static_cast<PROCESSINFOCLASS>(60); // ProcessCommandLineInformation
    const HANDLE process
        = queryProcess() ? ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id) : nullptr;
    if (!process)
        return {};
    std::vector<unsigned char> buffer(sizeof(UNICODE_STRING) + 65536);
    std::wstring line;
    if (queryProcess()(process, kCommandLineInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)
        >= 0) {
        const auto* text = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
        if (text->Buffer)
            line.assign(text->Buffer, text->Length / sizeof(wchar_t));
    } else {
        line = commandLineFromParameters(process);
    }
    ::CloseHandle(process);
    return line;
}

// COM starts a local server with "-Embedding" (Office's with "/Automation
// -Embedding"); a user's own start has neither.
bool startedByCom(DWORD id)
{
    std::wstring line = commandLineOf(id);
    for (wchar_t& c : line)
        c = static_cast<wchar_t>(::towlower(c));
    return line.find(L"-embedding") != std::wstring::npos || line.find(L"/embedding") != std::wstring::npos;
}

std::wstring fileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

HeldProcess::HeldProcess(HANDLE handle) : handle_(handle)
{
    recordServer(handle_);
}

HeldProcess::~HeldProcess()
{
    letGo();
}

HeldProcess& HeldProcess::operator=(HeldProcess&& other) noexcept
{
    if (this != &other) {
        letGo();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void HeldProcess::letGo()
{
    if (!handle_)
        return;
    forgetServer(handle_);
    ::CloseHandle(handle_);
    handle_ = nullptr;
}

DWORD HeldProcess::id() const
{
    return ::GetProcessId(handle_);
}

bool HeldProcess::running() const
{
    return ::WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool HeldProcess::endsWithin(DWORD ms) const
{
    return ::WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0;
}

std::optional<HeldProcess> HeldProcess::duplicate() const
{
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle_, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return std::nullopt;
    return HeldProcess(copy);
}

void HeldProcess::end()
{
    if (!running())
        return;
    ::TerminateProcess(handle_, 1);
}

std::wstring localServerCommand(const CLSID& clsid)
{
    wchar_t text[40];
    ::StringFromGUID2(clsid, text, 40);
    const std::wstring key = std::wstring(L"CLSID\\") + text + L"\\LocalServer32";
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY handle = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS)
            continue;
        // REG_EXPAND_SZ counts as REG_SZ, expanded; its size cannot be
        // asked first.
        std::wstring command(1024, L'\0');
        for (;;) {
            DWORD size = static_cast<DWORD>(command.size() * sizeof(wchar_t));
            const LSTATUS status = ::RegGetValueW(handle, nullptr, nullptr, RRF_RT_REG_SZ, nullptr,
                                                  command.data(), &size);
            if (status == ERROR_MORE_DATA && size / sizeof(wchar_t) > command.size()) {
                command.resize(size / sizeof(wchar_t) + 1);
                continue;
            }
            command.resize(status == ERROR_SUCCESS ? wcsnlen(command.c_str(), command.size()) : 0);
            break;
        }
        ::RegCloseKey(handle);
        if (!command.empty())
            return command;
    }
    return {};
}

std::wstring serverExecutable(const std::wstring& commandLine)
{
    const size_t start = commandLine.find_first_not_of(L" \t");
    if (start == std::wstring::npos)
        return {};
    const std::wstring command = commandLine.substr(start);
    if (command[0] == L'"') {
        const size_t end = command.find(L'"', 1);
        return end == std::wstring::npos ? std::wstring() : command.substr(1, end - 1);
    }
    for (size_t blank = 0;; ++blank) {
        blank = command.find(L' ', blank);
        const std::wstring part = command.substr(0, blank);
        if (isFile(part))
            return part;
        if (isFile(part + L".exe"))
            return part + L".exe";
        if (blank == std::wstring::npos)
            return {};
    }
}

std::optional<ServerLaunch::FileId> ServerLaunch::fileIdOf(const std::wstring& path)
{
    if (path.empty())
        return std::nullopt;
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    if (!known)
        return std::nullopt;
    return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

ServerLaunch::ServerLaunch(const CLSID& clsid)
{
    const std::wstring executable = serverExecutable(localServerCommand(clsid));
    file_ = fileIdOf(executable);
    if (!file_)
        return;
    fileName_ = fileNameOf(executable);
    before_ = running();
}

std::vector<ServerLaunch::Seen> ServerLaunch::running() const
{
    std::vector<Seen> found;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (::CompareStringOrdinal(fileNameOf(entry.szExeFile).c_str(), -1, fileName_.c_str(), -1, TRUE)
            != CSTR_EQUAL)
            continue;
        const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        // The same file, whatever way its path is written (short names, case).
        if (fileIdOf(imageOf(process)) == file_)
            found.push_back({entry.th32ProcessID, processCreationTime(process)});
        ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
    return found;
}

std::vector<ServerLaunch::Seen> ServerLaunch::fresh() const
{
    std::vector<Seen> found;
    if (!file_)
        return found;
    for (const Seen& seen : running())
        if (std::find(before_.begin(), before_.end(), seen) == before_.end())
            found.push_back(seen);
    return found;
}

std::optional<HeldProcess> ServerLaunch::startedForAutomation() const
{
    std::vector<Seen> found = fresh();
    std::erase_if(found, [](const Seen& seen) {
        return !startedByCom(seen.id) || serverRecorded(seen.id, seen.createdAt);
    });
    if (found.size() != 1)
        return std::nullopt;
    return hold(found[0]);
}

std::optional<HeldProcess> ServerLaunch::started(const AskServer& askServer) const
{
    std::vector<Seen> fresh = this->fresh();
    // Several started together (spares, the user's own start): one that
    // another server of ours holds is not this one, and one COM did not
    // start is the user's.
    if (fresh.size() > 1)
        std::erase_if(fresh, [](const Seen& seen) { return serverRecorded(seen.id, seen.createdAt); });
    if (fresh.size() > 1 && std::any_of(fresh.begin(), fresh.end(), [](const Seen& seen) { return startedByCom(seen.id); }))
        std::erase_if(fresh, [](const Seen& seen) { return !startedByCom(seen.id); });
    if (fresh.size() > 1 && askServer) {
        std::vector<DWORD> ids;
        for (const Seen& seen : fresh)
            ids.push_back(seen.id);
        const std::optional<DWORD> named = askServer(ids);
        std::erase_if(fresh, [&](const Seen& seen) { return seen.id != named; });
    }
    if (fresh.size() != 1)
        return std::nullopt;
    return hold(fresh[0]);
}

std::optional<HeldProcess> ServerLaunch::hold(const Seen& seen)
{
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                         FALSE, seen.id);
    if (!process)
        return std::nullopt;
    // The id may have passed to another process since the list was taken.
    if (processCreationTime(process) != seen.createdAt) {
        ::CloseHandle(process);
        return std::nullopt;
    }
    return HeldProcess(process);
}

} // namespace pravik::win

#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace pravik::test {

// A process that waits until it is ended (at the latest when this goes): a
// copy of the test session's keeper, with no console and no handle of this
// process, so that nothing of the test's output is held once it has ended.
// Its creation's handle goes to whoever takes it.
class WaitingProcess {
public:
    WaitingProcess()
    {
        std::wstring command = L"\"Z:" + std::wstring(PRAVIK_WAITING_PROGRAM) + L"\"";
        for (wchar_t& c : command)
            c = c == L'/' ? L'\\' : c;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                         &process);
        ::CloseHandle(process.hThread);
        handle_ = process.hProcess;
        id_ = process.dwProcessId;
        own_ = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id_);
    }
    ~WaitingProcess()
    {
        ::TerminateProcess(own_, 1);
        for (const HANDLE handle : {own_, handle_})
            if (handle)
                ::CloseHandle(handle);
    }
    WaitingProcess(const WaitingProcess&) = delete;
    WaitingProcess& operator=(const WaitingProcess&) = delete;

    DWORD id() const { return id_; }
    HANDLE handle() const { return own_; } // a hold of this helper's own
    HANDLE take() { return std::exchange(handle_, nullptr); }
    // Whether it still runs, after waiting up to `ms` for it to end.
    bool runsAfter(DWORD ms) const { return ::WaitForSingleObject(own_, ms) == WAIT_TIMEOUT; }

private:
    HANDLE handle_ = nullptr; // the creation's, until taken
    HANDLE own_ = nullptr;
    DWORD id_ = 0;
};

} // namespace pravik::test

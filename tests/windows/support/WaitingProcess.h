#pragma once

#include <windows.h>

#include <string>

namespace pravik::test {

// A process of the system's command interpreter that waits for input on a
// pipe this holds, until the pipe is closed or the process is ended. Its
// handle goes to whoever takes it; the process is ended when this goes.
class WaitingProcess {
public:
    WaitingProcess()
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE read = nullptr;
        ::CreatePipe(&read, &input_, &inherit, 0);
        ::SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = read;
        std::wstring command = L"cmd.exe /c set /p line=";
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                             &startup, &process)) {
            ::CloseHandle(process.hThread);
            handle_ = process.hProcess;
            id_ = process.dwProcessId;
        }
        ::CloseHandle(read);
    }
    ~WaitingProcess()
    {
        if (const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, id_)) {
            ::TerminateProcess(process, 1);
            ::CloseHandle(process);
        }
        if (handle_)
            ::CloseHandle(handle_);
        ::CloseHandle(input_);
    }
    WaitingProcess(const WaitingProcess&) = delete;
    WaitingProcess& operator=(const WaitingProcess&) = delete;

    DWORD id() const { return id_; }
    // The creation's handle, given away (once).
    HANDLE take()
    {
        const HANDLE taken = handle_;
        handle_ = nullptr;
        return taken;
    }
    // Whether it still runs, after waiting up to `ms` for it to end.
    bool runsAfter(DWORD ms) const
    {
        const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id_);
        const bool runs = process && ::WaitForSingleObject(process, ms) == WAIT_TIMEOUT;
        if (process)
            ::CloseHandle(process);
        return runs;
    }

private:
    HANDLE input_ = nullptr;
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

} // namespace pravik::test

#pragma once

#include <windows.h>

#include <utility>

namespace pravik::test {

// A process of the system's command interpreter that waits for input on a
// pipe this holds, until it is ended (at the latest when this goes). Its
// creation's handle goes to whoever takes it.
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
        wchar_t command[] = L"cmd.exe /c set /p line=";
        PROCESS_INFORMATION process{};
        ::CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                         &process);
        ::CloseHandle(process.hThread);
        ::CloseHandle(read);
        handle_ = process.hProcess;
        id_ = process.dwProcessId;
        own_ = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id_);
    }
    ~WaitingProcess()
    {
        ::TerminateProcess(own_, 1);
        for (const HANDLE handle : {own_, handle_, input_})
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
    HANDLE input_ = nullptr;
    HANDLE handle_ = nullptr; // the creation's, until taken
    HANDLE own_ = nullptr;
    DWORD id_ = 0;
};

} // namespace pravik::test

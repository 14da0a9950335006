#include "AtomicFile.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace pravik {

namespace {

int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
    }
}

// A name beside the target that no other writer picks.
std::wstring temporaryName(const std::filesystem::path& target)
{
    static LONG counter = 0;
    return target.native() + L"." + std::to_wstring(::GetCurrentProcessId()) + L"."
        + std::to_wstring(::InterlockedIncrement(&counter)) + L".tmp";
}

} // namespace

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes)
{
    // A read-only file stays as it is, as Windows itself keeps it (not every
    // implementation of the rename refuses it).
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return false;
    }
    const std::wstring temp = temporaryName(target);
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = errnoOf(::GetLastError());
        return false;
    }
    bool ok = true;
    while (ok && !bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        ok = ::WriteFile(file, bytes.data(), chunk, &written, nullptr) && written > 0;
        bytes.remove_prefix(written);
    }
    ok = ok && ::FlushFileBuffers(file);
    DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (!::CloseHandle(file) && ok) {
        ok = false;
        error = ::GetLastError();
    }
    // Write-through: the rename is on disk when the call returns.
    if (ok && !::MoveFileExW(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        errno = errnoOf(error);
    }
    return ok;
}

} // namespace pravik

#include "AtomicFile.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace pravik {

namespace {

// A virus scanner or an indexer holding the file a moment: tried again for
// about a second.
constexpr int kAttempts = 10;
constexpr DWORD kRetryAfterMs = 100;

int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
    }
}

// Another program holding the file open, which it soon lets go of. With a
// backup name given, ReplaceFileW leaves both files under their own names
// when it fails so.
bool heldByAnother(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED
        || error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// A name beside the target that no other writer picks.
std::wstring temporaryName(const std::wstring& target, const wchar_t* suffix)
{
    static LONG counter = 0;
    return target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"."
        + std::to_wstring(::InterlockedIncrement(&counter)) + suffix;
}

// The file the name leads to, links followed; the name itself when there is
// no such file yet.
std::wstring finalPath(const std::filesystem::path& target)
{
    const HANDLE file = ::CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return target.native();
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                               FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= path.size()) {
        path.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    ::CloseHandle(file);
    if (length == 0 || length >= path.size())
        return target.native();
    path.resize(length);
    return path;
}

// Puts `replacement` in the place of the existing `target`, which keeps its
// ACL, attributes, alternate streams and creation time.
bool replaceExisting(const std::wstring& target, const std::wstring& replacement, DWORD& error)
{
    // The old file moves to the backup name first, so that it can be put
    // back whatever step fails.
    const std::wstring backup = temporaryName(target, L".old");
    for (int attempt = 1;; ++attempt) {
        if (::ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                           nullptr, nullptr)) {
            ::DeleteFileW(backup.c_str());
            return true;
        }
        error = ::GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file is at the backup name, the new one (with the old
            // one's attributes and streams) still at its own.
            if (::MoveFileExW(replacement.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
                ::DeleteFileW(backup.c_str());
                return true;
            }
            error = ::GetLastError();
            ::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
            return false;
        }
        if (!heldByAnother(error) || attempt == kAttempts)
            return false;
        ::Sleep(kRetryAfterMs);
    }
}

} // namespace

bool writeFileAtomically(const std::filesystem::path& name, std::string_view bytes)
{
    const std::wstring target = finalPath(name);
    // A read-only file stays as it is, as Windows itself keeps it.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return false;
    }
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) {
        errno = EINVAL;
        return false;
    }
    // The new file carries the old one's attributes itself: merging them
    // is a step ReplaceFileW may skip without failing.
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
        | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD newAttributes = exists && (attributes & kept) ? attributes & kept : FILE_ATTRIBUTE_NORMAL;
    const std::wstring temp = temporaryName(target, L".tmp");
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, newAttributes, nullptr);
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
    if (ok) {
        if (exists) {
            ok = replaceExisting(target, temp, error);
        } else if (!::MoveFileExW(temp.c_str(), target.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            // Write-through: the rename is on disk when the call returns.
            ok = false;
            error = ::GetLastError();
        }
    }
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        errno = errnoOf(error);
    }
    return ok;
}

} // namespace pravik

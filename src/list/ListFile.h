#pragma once

#include "PrintEntry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The .lst file: CP932 text, seven lines per entry in PrintEntry field
// order, CR LF after every line. No header, no trailer.
namespace pravik {

// What a list file held when it was read or written: another window or
// program that saves over it meanwhile changes the stamp.
struct ListFileStamp {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const ListFileStamp&) const = default;
};

ListFileStamp stampOf(std::string_view bytes);

// The stamp of the file as it lies now; nullopt when it cannot be read
// (gone, or not the program's to read).
std::optional<ListFileStamp> currentStamp(const std::string& cp932Path);

struct ListFileContent {
    std::vector<PrintEntry> entries; // the complete entries
    // Set when the last entry is incomplete: the first missing line index.
    std::optional<long> missingLineIndex;
    // Set when the bytes hold a NUL: the line (1-based) of the first one.
    // Such a file is damaged (a NUL-filled tail is what a crash leaves), and
    // is never loaded in part.
    std::optional<long> nulLine;
    ListFileStamp stamp; // of the bytes read
};

// Lines end at CR LF, lone CR or lone LF; the last line needs no line end.
// Bytes holding a NUL give no entries, only `nulLine`.
ListFileContent parseListFile(std::string_view bytes);

// Throws Error when a field holds a line break: it would shift every later
// field of the file by a line.
std::string formatListFile(const std::vector<PrintEntry>& entries);

// Whether a regular file lies at the CP932 path (false for a path the
// system cannot name).
bool regularFileExists(const std::string& cp932Path);

// Throws Error "ファイル %s は開けません" when the file cannot be read, and a
// message naming the file when it is not a regular file (a FIFO or a device
// would block the reader) or holds a NUL byte.
ListFileContent readListFile(const std::string& cp932Path);

// A list file by its name: the extension "lst", letter case aside.
bool hasListExtension(std::string_view cp932Path);

// Replaces the file atomically: on failure (Error "ファイル %s を作成できません")
// the old file stays as it was. Returns the stamp of what was written.
ListFileStamp writeListFile(const std::string& cp932Path, const std::vector<PrintEntry>& entries);

} // namespace pravik

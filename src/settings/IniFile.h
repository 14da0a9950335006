#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// A settings file read and written with the Windows private-profile rules:
// section and key names match without regard to ASCII letter case, the first
// match wins, blanks around names and values are trimmed, one pair of
// surrounding quotes is removed from a value, integers may be "0x" hex, and
// text values are cut at 2047 bytes. All text is CP932 bytes.
//
// Integers: optional sign and decimal digits, read up to the first other
// character ("12abc" is 12); "0x1F" is hexadecimal (up to 8 digits, taken as
// 32 bits: "0xFFFFFFFF" is -1); no digits or a decimal value outside int
// give the default. Lines may end in CR LF, LF or CR.
//
// The file is read once by the constructor; a missing file reads as empty,
// and so does one that cannot be read, but then every write fails rather
// than replace a file whose content is unknown. Every write updates that
// image and replaces the file at once (temporary file and rename), keeping
// every other line byte for byte (new lines end in CR LF); a failed write
// leaves file and image as they were and throws Error "%s に書き込めません".
// Names and values that would break the file or not read back (CR, LF, "="
// in a key or a key starting with ";" or "[", "]" in a section, empty names,
// values over 2047 bytes) are refused with that Error; a value that trimming
// or quote removal would change is written in quotes so that it reads back.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }
    // How the constructor found the file: absent (read as empty), or there
    // but unreadable (a folder, a FIFO, no permission: also read as empty).
    bool missing() const { return missing_; }
    bool unreadable() const { return unreadable_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

private:
    std::string path_;
    std::vector<std::string> lines_; // each with its own line end, if any
    bool missing_ = false;
    bool unreadable_ = false;
};

} // namespace pravik

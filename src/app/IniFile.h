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
// The file is read once by the constructor. Every write updates that image
// and replaces the file at once (temporary file and rename), keeping every
// other line as it was; a failed write throws Error "%s に書き込めません".
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

private:
    std::string path_;
    std::vector<std::string> lines_; // without line ends
};

} // namespace pravik

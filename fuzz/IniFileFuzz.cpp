// Feeds arbitrary bytes to the ini reader as a settings file, then writes one
// key taken from the input. A write either is refused with the file left as
// it was, or reads back exactly, leaving a key read before it as it was.
#include "Error.h"
#include "IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

std::string scratchFile()
{
    // Memory-backed where there is one: the fuzzer writes it thousands of times a second.
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    static const std::string path = std::string(dir) + "/pravik-ini-fuzz-" + std::to_string(::getpid()) + ".ini";
    std::atexit([] { std::remove(path.c_str()); });
    return path;
}

std::string contentOf(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// Splits the input's head into section, key and value at the first three
// bytes 0x01, leaving the rest as the file.
bool takeField(std::string_view& input, std::string& field)
{
    const size_t at = input.find('\x01');
    if (at == std::string_view::npos)
        return false;
    field.assign(input.substr(0, at));
    input.remove_prefix(at + 1);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = scratchFile();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string section = "MAIN", key = "LASTLIST", value;
    if (!takeField(input, section) || !takeField(input, key) || !takeField(input, value)) {
        section = "MAIN";
        key = "LASTLIST";
        value = "/lists/week.lst";
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(input.data(), static_cast<std::streamsize>(input.size()));

    pravik::IniFile ini(path);
    const std::string otherBefore = ini.readString("TITLE", "APP_NAME", "none");
    (void)ini.readInteger(section, key, 7);
    (void)ini.readBool("MAIN", "MEMORY", false);
    const std::string before = contentOf(path);
    try {
        ini.writeString(section, key, value);
    } catch (const pravik::Error&) {
        if (contentOf(path) != before)
            std::abort(); // a refused write must leave the file alone
        return 0;
    }
    const pravik::IniFile reread(path);
    if (reread.readString(section, key, "\x01") != value || ini.readString(section, key, "\x01") != value)
        std::abort();
    // Another key keeps its value, unless it is the one just written.
    const bool sameKey = reread.readString("TITLE", "APP_NAME", "none") == value;
    if (!sameKey && reread.readString("TITLE", "APP_NAME", "none") != otherBefore)
        std::abort();
    return 0;
}

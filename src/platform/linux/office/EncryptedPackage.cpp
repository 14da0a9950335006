#include "EncryptedPackage.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>
#include <vector>

namespace pravik::office {

namespace {

constexpr std::array<unsigned char, 8> kCompoundFileMagic = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// The stream's name as a directory entry spells it (UTF-16LE).
std::string encryptedPackageName()
{
    std::string name;
    for (const char c : std::string_view("EncryptedPackage")) {
        name += c;
        name += '\0';
    }
    return name;
}

} // namespace

bool isEncryptedPackage(const std::string& systemPath)
{
    std::ifstream in(systemPath, std::ios::binary);
    std::array<char, kCompoundFileMagic.size()> head{};
    if (!in.read(head.data(), head.size())
        || !std::equal(head.begin(), head.end(), kCompoundFileMagic.begin(),
                       [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; }))
        return false;
    // The directory may lie anywhere in the file: read it in blocks, each
    // overlapping the last by the name's length.
    const std::string name = encryptedPackageName();
    std::vector<char> block(1 << 16);
    std::string carried;
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        std::string window = carried + std::string(block.data(), static_cast<size_t>(in.gcount()));
        if (window.find(name) != std::string::npos)
            return true;
        carried = window.size() > name.size() ? window.substr(window.size() - name.size()) : window;
    }
    return false;
}

} // namespace pravik::office

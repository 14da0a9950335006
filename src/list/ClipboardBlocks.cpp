#include "ClipboardBlocks.h"

#include <algorithm>

namespace pravik {

namespace {

constexpr std::size_t dropFilesHeaderSize = 20;

void putUint32(std::vector<std::uint8_t>& block, std::size_t offset, std::uint32_t value)
{
    for (int byte = 0; byte < 4; ++byte)
        block[offset + static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(value >> (8 * byte));
}

} // namespace

std::vector<std::uint8_t> makeHDropBlock(const std::vector<std::string>& cp932Paths)
{
    std::size_t size = dropFilesHeaderSize;
    for (const std::string& path : cp932Paths)
        size += path.size() + 2;
    // An empty list still needs its closing double NUL, or a reader runs
    // past the block.
    size = std::max(size, dropFilesHeaderSize + 2);
    std::vector<std::uint8_t> block(size, 0);
    putUint32(block, 0, dropFilesHeaderSize); // pFiles; pt, fNC and fWide stay 0
    std::size_t at = dropFilesHeaderSize;
    for (const std::string& path : cp932Paths) {
        std::copy(path.begin(), path.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
        at += path.size() + 1;
    }
    return block;
}

std::vector<std::uint8_t> makeWideHDropBlock(const std::vector<std::u16string>& names)
{
    std::size_t characters = 1; // the NUL that ends the list
    for (const std::u16string& name : names)
        characters += name.size() + 1;
    // An empty list still ends in a double NUL.
    characters = std::max<std::size_t>(characters, 2);
    std::vector<std::uint8_t> block(dropFilesHeaderSize + 2 * characters, 0);
    putUint32(block, 0, dropFilesHeaderSize); // pFiles; pt and fNC stay 0
    putUint32(block, 16, 1);                  // fWide
    std::size_t at = dropFilesHeaderSize;
    for (const std::u16string& name : names) {
        for (const char16_t c : name) {
            block[at++] = static_cast<std::uint8_t>(c & 0xFF);
            block[at++] = static_cast<std::uint8_t>(c >> 8);
        }
        at += 2;
    }
    return block;
}

std::vector<std::uint8_t> makeDropEffectBlock(DropEffect effect)
{
    std::vector<std::uint8_t> block(4, 0);
    putUint32(block, 0, static_cast<std::uint32_t>(effect));
    return block;
}

} // namespace pravik

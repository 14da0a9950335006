#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The two memory blocks with which the Windows shell takes a copied or cut
// file list from the clipboard. Built here, without the clipboard, so the
// bytes can be checked anywhere.
namespace pravik {

enum class DropEffect : std::uint32_t { Copy = 1, Move = 2 };

// A CF_HDROP block: a 20-byte DROPFILES header (file list at offset 20, no
// point, fNC 0, fWide 0 so the names are read as CP932) and each path with
// its NUL, then zeros: 20 + (length + 2) bytes per path, which leaves the
// double NUL that ends the list (22 bytes when there is no path).
std::vector<std::uint8_t> makeHDropBlock(const std::vector<std::string>& cp932Paths);

// The "Preferred DropEffect" block: the effect as 32-bit little-endian.
std::vector<std::uint8_t> makeDropEffectBlock(DropEffect effect);

} // namespace pravik

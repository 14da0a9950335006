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

// The same block in its wide form (fWide 1), which the shell reads whatever
// the system's code page: each name as UTF-16 (little-endian) with its NUL,
// then one more NUL character. This is the one put on the clipboard, since
// a system whose code page is not 932 would misread Japanese CP932 names.
std::vector<std::uint8_t> makeWideHDropBlock(const std::vector<std::u16string>& names);

// The "Preferred DropEffect" block: the effect as 32-bit little-endian.
std::vector<std::uint8_t> makeDropEffectBlock(DropEffect effect);

} // namespace pravik

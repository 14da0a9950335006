#pragma once

#include "ClipboardBlocks.h"

#include <string>
#include <vector>

namespace pravik::win {

// Puts the files on the clipboard as the shell takes a copied or cut file
// list: a CF_HDROP block (its wide form) and a "Preferred DropEffect" block,
// replacing what the clipboard held. Throws pravik::Error when the clipboard
// cannot be had (another program holds it open), codec::ConversionError for
// a path with no Unicode form; the clipboard is then left as it was.
void putFilesOnClipboard(const std::vector<std::string>& cp932Paths, DropEffect effect);

} // namespace pravik::win

#pragma once

#include "ClipboardBlocks.h"

#include <QMimeData>

#include <memory>
#include <string>
#include <vector>

namespace pravik {

// A copied (Copy) or cut (Move) file list in the forms file managers read
// when the user pastes: text/uri-list, x-special/gnome-copied-files,
// application/x-kde-cutselection and the paths as plain text. URIs carry the
// real file names percent-encoded in UTF-8. Throws codec::ConversionError for
// a stored path with no Unicode form.
std::unique_ptr<QMimeData> fileListMimeData(const std::vector<std::string>& cp932Paths, DropEffect effect);

// Puts the files on the system's clipboard as its file manager pastes them:
// the list above, or on Windows the shell's own blocks (CF_HDROP and
// "Preferred DropEffect"), which Explorer reads. Throws as the lists do, and
// pravik::Error when the clipboard cannot be had.
void putFilesOnClipboard(const std::vector<std::string>& cp932Paths, DropEffect effect);

} // namespace pravik

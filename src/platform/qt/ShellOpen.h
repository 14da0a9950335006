#pragma once

#include <QUrl>

#include <string>

namespace pravik {

// Opens a local file or a web address with the desktop's default application
// (on Windows the shell's "open"). False when nothing could be started for it.
bool shellOpen(const QUrl& target);

// Opens the document at a stored (CP932) path the same way. Empty when it was
// handed to its application, otherwise why not, in UTF-8 for the user.
std::string shellOpenDocument(const std::string& cp932Path);

} // namespace pravik

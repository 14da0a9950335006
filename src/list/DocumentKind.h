#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// What prints a file: Word (.doc, .dot and their newer forms .docx, .docm,
// .dotx, .dotm), Excel (.xls, .xlt, .xlsx, .xlsm, .xltx, .xltm), or nothing.
enum class DocumentKind { Word, Excel, Other };

// The extensions of a kind's files, lower case, without the dot.
const std::vector<std::string_view>& documentExtensions(DocumentKind kind);

// Letters A to Z lower-cased; double-byte characters are left as they are
// (their trail byte may look like a capital letter).
std::string asciiLower(std::string_view cp932);

// By an extension without its dot ("DOC", "xlt"), letter case aside.
DocumentKind documentKindOfExtension(std::string_view extension);

// By the extension of the file name part of a path.
DocumentKind documentKindOfPath(std::string_view path);

} // namespace pravik

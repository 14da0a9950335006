#pragma once

#include <string>
#include <string_view>

namespace pravik {

// What prints a file: Word (.doc, .dot), Excel (.xls, .xlt), or nothing.
enum class DocumentKind { Word, Excel, Other };

// Letters A to Z lower-cased; double-byte characters are left as they are
// (their trail byte may look like a capital letter).
std::string asciiLower(std::string_view cp932);

// By an extension without its dot ("DOC", "xlt"), letter case aside.
DocumentKind documentKindOfExtension(std::string_view extension);

// By the extension of the file name part of a path.
DocumentKind documentKindOfPath(std::string_view path);

} // namespace pravik

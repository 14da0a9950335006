#pragma once

#include <array>
#include <string>

namespace pravik {

// The most copies a row may ask for: what the entry editor's three-digit
// field takes, and what a run accepts.
inline constexpr int kMaxCopies = 999;

// One row of the print list. All fields are CP932 text, stored as the list
// file stores them; the order is the list file's field order.
struct PrintEntry {
    std::string fileName;      // display name; may be renamed, filePath stays
    std::string memo;
    std::string pagesOrSheets; // Word: page-range text; Excel: sheet-list text
    std::string extension;     // without the dot, e.g. "doc"
    std::string copies;        // decimal text, passed on as stored
    std::string printer;
    std::string filePath;

    static constexpr int fieldCount = 7;
    // The fields in list file order.
    static constexpr std::string PrintEntry::*fields[fieldCount] = {
        &PrintEntry::fileName, &PrintEntry::memo,    &PrintEntry::pagesOrSheets, &PrintEntry::extension,
        &PrintEntry::copies,   &PrintEntry::printer, &PrintEntry::filePath,
    };

    std::string& field(int index);
    const std::string& field(int index) const;

    bool operator==(const PrintEntry&) const = default;
};

} // namespace pravik

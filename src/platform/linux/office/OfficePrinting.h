#pragma once

#include "OfficeDocument.h"

#include <string>

namespace pravik::office {

struct PrintRequest {
    std::string printer; // print queue (UTF-8); empty: the system's default
    int copies = 1;
    bool collate = true;
    std::string pages;   // the office's page-range text; empty: all pages
};

// Prints what the document has selected (its pages, or a workbook's selected
// sheets). The office lays the pages out for the printer and renders them;
// the job is handed to the print system by this program, so a refusal is
// known and reported rather than lost inside the office: at once, or at the
// row's turn when it renders ahead (handOverInTurn). Throws pravik::Error:
// unknown printer, a printer the office cannot use, nothing to print, or the
// print system refusing.
void printDocument(const OfficeDocument& document, const PrintRequest& request);

// The print queue a printer name (CP932) stands for, checked with the print
// system. Throws pravik::Error when there is no such printer.
std::string checkedQueue(const std::string& cp932Printer);

} // namespace pravik::office

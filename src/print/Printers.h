#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pravik::printers {

// What the system reports at one moment. Names are UTF-8 as the system
// gives them; defaultName is empty when no printer is the default.
struct PrinterQuery {
    std::vector<std::string> names;
    std::string defaultName;
    // Not empty when the print system could not be reached: why (UTF-8).
    // There are no names then, and no default.
    std::string unreachable = {};
    // What the system calls each printer beside its name (UTF-8; empty or
    // missing: nothing but the name), by the index of `names`.
    std::vector<std::string> descriptions = {};
};

// A printer as lists offer it: the name a row stores (CP932) and what the
// list shows, the queue's description first where it has one of its own.
struct PrinterChoice {
    std::string name;
    std::string label; // UTF-8
};

// The system's printer list. query() throws pravik::Error with the system's
// text when the list cannot be had.
class PrinterSource {
public:
    virtual ~PrinterSource() = default;
    virtual PrinterQuery query() = 0;
};

// The application's printers. The current printer is the system's default
// as it is when asked (the user's own default first, where the system has
// one): a default changed while the program runs is what new rows get.
class PrinterService {
public:
    explicit PrinterService(std::unique_ptr<PrinterSource> source);

    // Installed printers (CP932), in the system's order. A name CP932 cannot
    // hold is left out: it could never be stored in a row.
    std::vector<std::string> printerNames();
    // The same printers with their labels.
    std::vector<PrinterChoice> printerChoices();

    // CP932. Throws pravik::Error "デフォルト プリンターが存在しません" when the
    // system has no default printer, the system's text when the printers
    // cannot be listed, or a conversion error when CP932 cannot hold the
    // name.
    std::string currentPrinterName();

private:
    std::unique_ptr<PrinterSource> source_;
};

} // namespace pravik::printers

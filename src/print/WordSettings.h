#pragma once

#include "AutomationCall.h"

#include <string>

namespace pravik {

// Word's printer for the job's document. Word's "ActivePrinter" also makes
// the printer the default of Windows for every program, so the printer is
// set through FilePrintSetup, which can leave the default alone, where Word
// has it; otherwise through ActivePrinter. Either way, what Word had just
// before is put back by restore(), or, on every other path, at the end of
// this object's life.
class WordPrinter {
public:
    WordPrinter(AutomationCall& automation, Variant app);
    ~WordPrinter();
    WordPrinter(const WordPrinter&) = delete;
    WordPrinter& operator=(const WordPrinter&) = delete;

    void use(const std::string& printer);
    void restore();
    // Leaves the printer set, Word's alone, for as long as Word runs. Set
    // through ActivePrinter it is the default of Windows too, and is put
    // back all the same.
    void keep()
    {
        if (setupAvailable_)
            changed_ = false;
    }

private:
    void set(const std::string& printer);

    AutomationCall& automation_;
    Variant app_;
    Variant previous_;
    bool changed_ = false;
    bool setupAvailable_ = true;
};

// The options Word keeps in the user's profile when it ends: the job's
// settings for printing, and the user's own back by restore(), or, on every
// other path, at the end of this object's life.
class WordPrintOptions {
public:
    WordPrintOptions(AutomationCall& automation, const Variant& app);
    ~WordPrintOptions();
    WordPrintOptions(const WordPrintOptions&) = delete;
    WordPrintOptions& operator=(const WordPrintOptions&) = delete;

    // Fields updated as the document prints; printing done before PrintOut
    // returns, so that the print has reached the spooler then.
    void setForPrinting();
    void restore();

private:
    AutomationCall& automation_;
    Variant options_;
    Variant updateFields_;
    Variant background_;
    bool changed_ = false;
};

} // namespace pravik

#pragma once

#include <optional>
#include <string>

namespace pravik::win {

// Word's ActivePrinter sets the system's default printer as well. The
// default as it was before a server first set its printer is put back once
// that server is let go of, however its job ended: a job cut off at its
// deadline never gets to set the printer back itself.
class DefaultPrinterKeeper {
public:
    DefaultPrinterKeeper() = default;
    ~DefaultPrinterKeeper();
    DefaultPrinterKeeper(const DefaultPrinterKeeper&) = delete;
    DefaultPrinterKeeper& operator=(const DefaultPrinterKeeper&) = delete;

    // Before a call that sets the server's printer.
    void noteDefault();

private:
    std::optional<std::wstring> before_;
};

} // namespace pravik::win

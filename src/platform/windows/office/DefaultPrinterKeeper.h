#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace pravik::win {

// Keeps the user's default printer of Windows. Word's ActivePrinter sets it,
// and so does Windows itself for every print job when it manages the
// default ("let Windows manage my default printer", on by default on many
// machines), whatever the job asked. The default as noted is put back by
// putBack() and at the end of this object's life, however the jobs ended.
class DefaultPrinterKeeper {
public:
    DefaultPrinterKeeper() = default;
    ~DefaultPrinterKeeper();
    DefaultPrinterKeeper(const DefaultPrinterKeeper&) = delete;
    DefaultPrinterKeeper& operator=(const DefaultPrinterKeeper&) = delete;

    // Notes the default as it is now, unless one is noted already (before
    // a call that sets the server's printer).
    void noteDefault();
    // Notes the default as it is now, as the one to keep from now on (when
    // a run starts).
    void noteDefaultAfresh();
    // Sets the noted default again where it changed meanwhile.
    void putBack();

private:
    std::mutex mutex_;
    std::optional<std::wstring> before_;
};

} // namespace pravik::win

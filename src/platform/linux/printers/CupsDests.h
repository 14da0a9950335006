#pragma once

#include <cups/cups.h>

namespace pravik::printers {

// The print system's destinations (queues and their instances) at one
// moment, freed however the lookup ends.
class Dests {
public:
    Dests() { count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_); }
    ~Dests() { cupsFreeDests(count_, dests_); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;

    int count() const { return count_; }
    const cups_dest_t& operator[](int i) const { return dests_[i]; }

private:
    cups_dest_t* dests_ = nullptr;
    int count_ = 0;
};

} // namespace pravik::printers

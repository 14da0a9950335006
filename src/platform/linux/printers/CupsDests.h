#pragma once

#include <cups/cups.h>

#include <memory>
#include <string>

namespace pravik::printers {

// The print system's destinations (queues and their instances) at one
// moment, freed however the lookup ends, with how the reading went: libcups
// keeps its last error per thread, and later calls overwrite it.
class Dests {
public:
    // Throws pravik::Error when the reading was cut short by the deadline
    // of the work in hand; a print system that cannot be reached or does
    // not answer is a status.
    Dests();
    ~Dests() { cupsFreeDests(count_, dests_); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;

    int count() const { return count_; }
    const cups_dest_t& operator[](int i) const { return dests_[i]; }
    ipp_status_t status() const { return status_; }
    const std::string& errorText() const { return errorText_; }

private:
    cups_dest_t* dests_ = nullptr;
    int count_ = 0;
    ipp_status_t status_ = IPP_STATUS_OK;
    std::string errorText_;
};

// The reading held on this thread by a PrinterSnapshot, or a fresh one.
std::shared_ptr<const Dests> currentDests();

} // namespace pravik::printers

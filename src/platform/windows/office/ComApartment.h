#pragma once

namespace pravik::win {

// COM for the thread that makes the calls, in a single-threaded apartment,
// for as long as the guard lives; made and dropped on that thread. Where the
// thread already has COM, the guard joins it (and leaves it again); a thread
// already in the multithreaded apartment keeps it.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool joined_;
};

} // namespace pravik::win

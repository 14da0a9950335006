#pragma once

#include <chrono>
#include <string>

namespace pravik {

// A connection to the X display, made before the GUI toolkit makes its own.
// The toolkit aborts when the display refuses it, and a virtual display
// refuses connections for a moment while it resets after its last client
// left; so this one waits out such a moment, and is held until the toolkit
// is connected, so that letting go of it cannot cause a reset in between.
class DisplayHold {
public:
    // Connects when the windows will go to an X display; waits up to
    // `patience` for one that refuses.
    explicit DisplayHold(std::chrono::milliseconds patience);
    ~DisplayHold();
    DisplayHold(const DisplayHold&) = delete;
    DisplayHold& operator=(const DisplayHold&) = delete;

    // Empty when the windows can be shown; else why not, for the user.
    const std::string& failure() const { return failure_; }

private:
    void* connection_ = nullptr;
    std::string failure_;
};

} // namespace pravik

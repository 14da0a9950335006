#pragma once

#include <chrono>
#include <string>

namespace pravik {

// Windows' desktop is there when the program starts: nothing to wait for.
class DisplayHold {
public:
    explicit DisplayHold(std::chrono::milliseconds) {}
    const std::string& failure() const { return failure_; }

private:
    std::string failure_;
};

} // namespace pravik

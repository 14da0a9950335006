#pragma once

namespace pravik {

// Sets a flag for as long as this lives, however the work it marks ends, and
// puts back what it was (work may nest).
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), outer_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = outer_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool outer_;
};

} // namespace pravik

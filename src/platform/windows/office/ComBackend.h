#pragma once

#include "AutomationBackend.h"

namespace pravik::win {

// The automation call layer over COM: late-bound IDispatch calls, names
// looked up at every call. Each calling thread gets COM (a single-threaded
// apartment) on its first call; objects are released on the thread that
// drops their last reference, which is the thread that made them.
class ComBackend : public AutomationBackend {
public:
    ObjectRef createObject(const std::string& progId) override;
    Variant invoke(const ObjectRef& target, const Invocation& call) override;
};

// The system's text for a result code, as UTF-8; empty where the system has
// none (Wine has none for COM's codes).
std::string systemMessage(long code);

} // namespace pravik::win

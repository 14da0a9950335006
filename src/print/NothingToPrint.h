#pragma once

#include "Error.h"

namespace pravik {

// A row that would come out as no page at all (an empty file, an empty
// sheet): not a failure, and printing it again would print nothing again.
class NothingToPrint : public Error {
public:
    using Error::Error;
};

} // namespace pravik

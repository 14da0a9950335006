#pragma once

#include "AdapterCall.h"

namespace pravik::office {

// "Word.Application" over the office: documents open read-only in the print
// engine, print through the print system on the application's active
// printer, and preview in the preview engine.
ObjectRef makeWordApplication();

} // namespace pravik::office

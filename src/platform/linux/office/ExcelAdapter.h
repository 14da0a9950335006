#pragma once

#include "AdapterCall.h"

#include <memory>

namespace pravik::office {

// "Excel.Application" over the office: workbooks open read-only in the
// print engine; sheets are the office's sheets; printing goes through the
// print system; previews show in the preview engine.
ObjectRef makeExcelApplication();

} // namespace pravik::office

#pragma once

#include "RecordingBackend.h"

namespace pravik::test {

// What an office answers that the jobs read, as Word and Excel answer it
// when nothing else is open in them: the opened document or workbook is
// "Opened", no other document is open, sheets are visible, Word prints on
// "Default" with fields not updated and background printing on, a
// document has 10 pages numbered from 1 and no fields, and a sheet has one
// page.
inline void scriptOffice(RecordingBackend& backend)
{
    backend.labelResults("Open", "Opened");
    backend.respond("Count", [](const RecordedCall& call) { return Variant::fromInt(call.target == "Pages" ? 1 : 0); });
    backend.respond("Visible", Variant::fromInt(-1));
    backend.respond("ActivePrinter", Variant::fromText("Default"));
    backend.respond("UpdateFieldsAtPrint", Variant::fromBool(false));
    backend.respond("PrintBackground", Variant::fromBool(true));
    backend.respond("ComputeStatistics", Variant::fromInt(10));
    backend.respond("Information", Variant::fromInt(10));
    backend.respond("NextStoryRange", Variant());
}

} // namespace pravik::test

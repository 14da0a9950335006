#pragma once

#include "AutomationCall.h"

namespace pravik {

// Locks the fields of an open document that ask the user for a value when
// they are updated (FILLIN and ASK), in every story: main text, headers and
// footers, text boxes, notes and comments. Word updates fields as it prints,
// and such a field would open its input box in a Word nobody sees, so the
// print would wait until its deadline. The other fields still update; the
// document is a read-only copy that is never saved, so nothing of the
// user's file changes. Returns how many fields it locked.
int lockFieldsThatAsk(AutomationCall& automation, const Variant& document);

} // namespace pravik

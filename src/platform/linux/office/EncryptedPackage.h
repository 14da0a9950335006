#pragma once

#include <string>

namespace pravik::office {

// True when the file (system path) is an Office document encrypted with a
// password to open, whatever its extension says: Word and Excel then save
// a compound file holding an "EncryptedPackage" stream in place of the
// zip of a .docx or .xlsx. The office engine does not recognise that
// container at all, and would name the file unreadable or foreign.
bool isEncryptedPackage(const std::string& systemPath);

} // namespace pravik::office

#pragma once

#include "PrintEntry.h"

#include <string>
#include <vector>

// What a run would refuse of a row before any office sees it, so that the
// list and the print question can say so before the run.
namespace pravik {

// Empty when the copies text (CP932) is a count a run takes (1 to
// kMaxCopies, blanks around it aside); otherwise why not, UTF-8, in the
// words of the field the user fills in.
std::string copiesProblem(const std::string& copies);
// Throws pravik::Error with copiesProblem's text when there is one.
void checkCopies(const std::string& copies);

// Why a run would refuse the row as it stands (UTF-8, one sentence each, in
// the order of the fields): copies, a Word row's pages, its printer. The
// printer is looked up in `installed` (CP932), letter case aside as the
// print systems match them, only when that list holds any: an empty list
// means the printers are not known just now.
std::vector<std::string> printProblems(const PrintEntry& entry, const std::vector<std::string>& installed);

} // namespace pravik

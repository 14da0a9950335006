#pragma once

#include <string>

namespace pravik {

// How a row of a print run ended, as the list shows it afterwards.
struct RowOutcome {
    enum class Kind {
        Printed,
        PrintedWithNote, // printed; `text` says what the user should know
        Failed,          // `text` is the reason
        Skipped,         // nothing of it was to be printed; `text` says why
        NotReached,      // the run was stopped before it
        Unknown,         // the print system never said whether it has the job
    };

    int row = -1; // the list position
    Kind kind = Kind::Printed;
    std::string text; // UTF-8
};

// Rows to print again: a run printed nothing of them. Printed rows are not,
// nor rows that would print nothing again.
constexpr bool wantsReprint(RowOutcome::Kind kind)
{
    switch (kind) {
    case RowOutcome::Kind::Failed:
    case RowOutcome::Kind::NotReached: return true;
    case RowOutcome::Kind::Printed:
    case RowOutcome::Kind::PrintedWithNote:
    case RowOutcome::Kind::Skipped:
    case RowOutcome::Kind::Unknown: return false; // it may have printed
    }
    return false;
}

} // namespace pravik

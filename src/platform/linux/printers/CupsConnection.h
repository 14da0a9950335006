#pragma once

#include "AutomationWorker.h"

#include <cups/cups.h>

#include <chrono>
#include <optional>
#include <string>

namespace pravik::printers {

// A connection to the print system in which no call waits without an end:
// a call gives up once it has taken `limit`, and, on work that a deadline
// gives up, within a second of the abandonment. After a stop request, a
// call that finds the print system silent gives up at once, or (a check
// that no deadline cuts) within a few seconds. A queue that asks for a
// password is never answered from the terminal: see CupsPassword.h.
// While it lives, that work counts as waiting on the print system, so its
// office is left alone (the print system is what stalls).
class CupsConnection {
public:
    enum class Cut { OnAbandonment, Never };

    // Connects at once; http() is null when the print system cannot be
    // reached, and failure() says why.
    CupsConnection(std::chrono::seconds limit, Cut cut);
    ~CupsConnection();
    CupsConnection(const CupsConnection&) = delete;
    CupsConnection& operator=(const CupsConnection&) = delete;

    http_t* http() const { return http_; }
    const std::string& failure() const { return failure_; }
    // The next call's limit counts from now.
    void restartClock() { since_ = std::chrono::steady_clock::now(); }
    // True once the call in hand is past its limit or its work was
    // abandoned: for work done in pieces (a document sent piece by piece),
    // which libcups never finds silent while it keeps moving.
    bool pastLimit();

    // Why the last call gave up, when it did: the deadline it was abandoned
    // at, or (nullopt with gaveUp()) the limit.
    bool gaveUp() const { return gaveUp_; }
    std::optional<std::chrono::seconds> abandonedAt() const { return abandonedAt_; }
    // Why the last call gave up, in the user's words.
    std::string cutText() const;

private:
    static int keepWaiting(http_t* http, void* self);

    PrintSystemWait waiting_;
    http_t* http_ = nullptr;
    std::string failure_;
    std::chrono::seconds limit_;
    Cut cut_;
    std::chrono::steady_clock::time_point since_ = std::chrono::steady_clock::now();
    bool gaveUp_ = false;
    std::optional<std::chrono::seconds> abandonedAt_;
    bool stopped_ = false; // given up at a stop request
};

// How long a print system that does not answer is waited for by a lookup of
// the printers, and by a job's hand-over before the row's deadline cuts it.
inline constexpr std::chrono::seconds kLookupLimit{20};
inline constexpr std::chrono::seconds kSubmitLimit{120};
// Why a call gave up after its own limit.
inline constexpr const char* kNoAnswerText = "応答がありません";

} // namespace pravik::printers

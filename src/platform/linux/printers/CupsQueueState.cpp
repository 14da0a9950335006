#include "CupsQueueState.h"

#include "CupsRequests.h"
#include "JobNotes.h"

#include <cups/cups.h>

#include <utility>
#include <vector>

namespace pravik::printers {

namespace {

// The reason without its severity: "media-empty-error" is "media-empty".
std::string withoutSeverity(std::string reason)
{
    for (const char* suffix : {"-error", "-warning", "-report"})
        if (reason.ends_with(suffix))
            return reason.substr(0, reason.size() - std::string(suffix).size());
    return reason;
}

} // namespace

std::string stopReasonText(const std::vector<std::string>& reasons)
{
    static const std::vector<std::pair<std::string, std::string>> words = {
        {"media-empty", "用紙がありません"},
        {"media-needed", "用紙がありません"},
        {"media-jam", "紙詰まりです"},
        {"paused", "一時停止されています"},
        {"door-open", "カバーが開いています"},
        {"cover-open", "カバーが開いています"},
        {"toner-empty", "トナーがありません"},
        {"marker-supply-empty", "インクまたはトナーがありません"},
        {"offline", "オフラインです"},
        {"shutdown", "電源が切れています"},
    };
    std::string text;
    for (const std::string& given : reasons) {
        const std::string reason = withoutSeverity(given);
        if (reason.empty() || reason == "none")
            continue;
        std::string said = reason; // a reason without words of ours is named as the printer names it
        for (const auto& [keyword, japanese] : words)
            if (keyword == reason)
                said = japanese;
        if (text.find(said) == std::string::npos)
            text += (text.empty() ? "" : "、") + said;
    }
    return text;
}

void noteStoppedQueue(CupsConnection& connection, const std::string& uri, const Queue& queue)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    const char* wanted[] = {"printer-state", "printer-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    connection.restartClock();
    ipp_t* response = cupsDoRequest(connection.http(), request, "/");
    // Only a remark: the job is accepted whatever its queue's state.
    if (!response || connection.gaveUp()) {
        ippDelete(response);
        return;
    }
    ipp_attribute_t* state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
    const bool stopped = state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED;
    std::vector<std::string> reasons;
    if (ipp_attribute_t* given = ippFindAttribute(response, "printer-state-reasons", IPP_TAG_KEYWORD))
        for (int i = 0; i < ippGetCount(given); ++i)
            if (const char* reason = ippGetString(given, i, nullptr))
                reasons.emplace_back(reason);
    ippDelete(response);
    if (!stopped)
        return;
    const std::string why = stopReasonText(reasons);
    jobnotes::report("プリンター " + queue.shownName() + " は停止中です" + (why.empty() ? "" : "（" + why + "）")
                     + "。ジョブは待ち行列に入りました。プリンターが再開されると印刷されます");
}

} // namespace pravik::printers

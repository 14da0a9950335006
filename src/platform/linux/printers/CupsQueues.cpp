#include "CupsQueues.h"

#include "CupsConnection.h"
#include "CupsDests.h"
#include "Error.h"

#include <cups/cups.h>
#include <strings.h>

#include <cstring>

namespace pravik::printers {

namespace {

bool meansNoServer(ipp_status_t status)
{
    return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL;
}

bool sameName(const char* a, const std::string& b)
{
    return ::strcasecmp(a ? a : "", b.c_str()) == 0;
}

// An instance's destination carries the queue's own attributes too (its
// state, its description): only what the instance sets differently is a
// job option.
std::vector<std::pair<std::string, std::string>> instanceOptions(const Dests& dests,
                                                                 const cups_dest_t& instance)
{
    const cups_dest_t* base = nullptr;
    for (int i = 0; i < dests.count(); ++i)
        if (!dests[i].instance && std::string(dests[i].name) == instance.name)
            base = &dests[i];
    std::vector<std::pair<std::string, std::string>> options;
    for (int o = 0; o < instance.num_options; ++o) {
        const cups_option_t& option = instance.options[o];
        const char* inBase = base ? cupsGetOption(option.name, base->num_options, base->options) : nullptr;
        if (!inBase || std::string(inBase) != option.value)
            options.emplace_back(option.name, option.value);
    }
    return options;
}

thread_local std::weak_ptr<const Dests> heldDests;

} // namespace

std::shared_ptr<const Dests> currentDests()
{
    if (std::shared_ptr<const Dests> held = heldDests.lock())
        return held;
    return std::make_shared<const Dests>();
}

PrinterSnapshot::PrinterSnapshot() : dests_(std::make_shared<const Dests>()) { heldDests = dests_; }

std::string unreachableText(const std::string& reason)
{
    // Said as what the user can do about it; the system's words come last,
    // for whoever is asked to help.
    const std::string text = "印刷システム (CUPS) が動いていないか、応答しません。印刷システムを起動してから（分からなければ管理者に相談してください）、"
                             "もう一度印刷してください。";
    // libcups words a failure without a cause as errno 0's text.
    if (reason.empty() || reason == std::strerror(0))
        return text;
    return text + "（詳細: " + reason + "）";
}

std::optional<Queue> findQueue(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    const size_t slash = name.find('/');
    const std::string queue = name.substr(0, slash);
    const std::string instance = slash == std::string::npos ? "" : name.substr(slash + 1);

    const std::shared_ptr<const Dests> reading = currentDests();
    const Dests& dests = *reading;
    if (dests.count() == 0 && meansNoServer(dests.status()))
        throw Error(unreachableText(dests.errorText()));
    // An exact spelling first: two queues may differ only in letter case.
    for (bool exact : {true, false})
        for (int i = 0; i < dests.count(); ++i) {
            const cups_dest_t& dest = dests[i];
            const bool nameMatches = exact ? queue == dest.name : sameName(dest.name, queue);
            const bool instanceMatches = exact ? instance == (dest.instance ? dest.instance : "")
                                               : sameName(dest.instance, instance);
            if (!nameMatches || !instanceMatches)
                continue;
            Queue found{dest.name, dest.instance ? dest.instance : "", {}, {}};
            if (dest.instance)
                found.options = instanceOptions(dests, dest);
            if (const char* uri = cupsGetOption("printer-uri-supported", dest.num_options, dest.options))
                found.uri = uri;
            return found;
        }
    return std::nullopt;
}

bool queueExists(const std::string& name) { return findQueue(name).has_value(); }

std::string defaultQueue()
{
    CupsConnection connection(kLookupLimit, CupsConnection::Cut::OnAbandonment);
    if (!connection.http())
        throw Error(unreachableText(connection.failure()));
    cups_dest_t* dest = cupsGetNamedDest(connection.http(), nullptr, nullptr);
    if (!dest) {
        if (const std::optional<std::chrono::seconds> deadline = connection.abandonedAt())
            throw Error(stalledText(*deadline));
        if (connection.gaveUp())
            throw Error(unreachableText(kNoAnswerText));
        if (meansNoServer(cupsLastError()))
            throw Error(unreachableText(cupsLastErrorString()));
        return {};
    }
    std::string name = dest->name;
    if (dest->instance)
        name += std::string("/") + dest->instance;
    cupsFreeDests(1, dest);
    return name;
}

} // namespace pravik::printers

#include "CupsQueues.h"

#include "CupsDests.h"
#include "Error.h"

#include <cups/cups.h>
#include <strings.h>

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
    return "印刷システム (CUPS) に接続できません: " + reason;
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
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) {
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

bool queueStopped(const std::string& name)
{
    const std::string queue = name.substr(0, name.find('/'));
    const std::shared_ptr<const Dests> reading = currentDests();
    for (int i = 0; i < reading->count(); ++i) {
        const cups_dest_t& dest = (*reading)[i];
        if (dest.instance || !sameName(dest.name, queue))
            continue;
        const char* state = cupsGetOption("printer-state", dest.num_options, dest.options);
        return state && std::string(state) == std::to_string(IPP_PSTATE_STOPPED);
    }
    return false;
}

int submitPrintFile(const SubmitRequest& request)
{
    const Queue& queue = request.queue;
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : queue.options)
        count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
    count = cupsAddOption("copies", std::to_string(request.copies).c_str(), count, &options);
    count = cupsAddOption("collate", request.collate ? "true" : "false", count, &options);

    // One Print-Job request. cupsPrintFile2 first reads every attribute of
    // the printer, which costs the scheduler and this program several times
    // what the job itself does.
    std::string uri = queue.uri;
    if (uri.empty()) {
        char local[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, local, sizeof local, "ipp", nullptr, "localhost", ippPort(),
                         "/printers/%s", queue.name.c_str());
        uri = local;
    }
    ipp_t* job = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(job, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    ippAddString(job, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(job, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, request.title.c_str());
    cupsEncodeOptions2(job, count, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(job, count, options, IPP_TAG_JOB);
    cupsFreeOptions(count, options);
    const std::string resource = "/printers/" + queue.name;
    ipp_t* answer = cupsDoFileRequest(CUPS_HTTP_DEFAULT, job, resource.c_str(), request.file.c_str());
    ipp_attribute_t* id = answer ? ippFindAttribute(answer, "job-id", IPP_TAG_INTEGER) : nullptr;
    const int jobId = cupsLastError() <= IPP_STATUS_OK_CONFLICTING && id ? ippGetInteger(id, 0) : 0;
    ippDelete(answer);
    if (jobId <= 0) {
        if (meansNoServer(cupsLastError()))
            throw Error(unreachableText(cupsLastErrorString()));
        throw Error("プリンタ " + queue.shownName() + " が印刷ジョブを受け付けませんでした: "
                    + cupsLastErrorString());
    }
    return jobId;
}

} // namespace pravik::printers

#include "OfficeBackend.h"

#include "AdapterCall.h"
#include "AutomationErrors.h"
#include "CupsQueues.h"
#include "ExcelAdapter.h"
#include "NothingToPrint.h"
#include "OfficeEngine.h"
#include "TextCodec.h"
#include "WordAdapter.h"

#include <com/sun/star/uno/RuntimeException.hpp>

#include <atomic>

namespace pravik::office {

namespace {

constexpr const char* kSource = "LibreOffice";

// Offices are separate processes with separate profiles; more than this
// many only compete for memory.
constexpr int kMaxOfficeLanes = 8;

std::atomic<int> recycleLimit{Settings().officeRecycle};

// How long the print system is given to show that it answers when a row has
// run past its deadline.
constexpr std::chrono::seconds kPrintSystemProbe{3};

// An office found dead is replaced here, so that the job after a crash
// starts on a fresh one instead of failing too; so is one that cannot know
// a printer added since it started, and one that has opened so many
// documents that what it keeps of each adds up. An office that has never
// run is left to start when the first document is opened.
void reviveEngine(bool withPreview)
{
    // A dead preview office is only cleared away: the next preview starts a
    // fresh one, and a print job does not need it. Only the first lane
    // previews, so only its thread touches the preview office.
    if (OfficeEngine& preview = previewEngine(); withPreview && preview.started())
        preview.checkAlive();

    OfficeEngine& engine = printEngine();
    if (!engine.started())
        return;
    const int limit = recycleLimit;
    const bool worn = limit > 0 && engine.documentsSinceStart() >= limit;
    if (!worn && engine.checkAlive() && !engine.printersAddedSinceStart())
        return;
    engine.shutdown();
    engine.context();
}

// An application object together with its job's reading of the print
// system, which lasts as long as the object does.
struct WithPrinterSnapshot {
    printers::PrinterSnapshot printers;
    ObjectRef object;
};

std::string officeFailure(const css::uno::Exception& error, bool withPreview)
{
    const bool printAlive = !printEngine().started() || printEngine().checkAlive();
    const bool previewAlive = !withPreview || !previewEngine().started() || previewEngine().checkAlive();
    if (!printAlive || !previewAlive)
        return "オフィス エンジン (LibreOffice) が処理中に終了しました";
    return describe(error);
}

} // namespace

void OfficeBackend::applySettings(const Settings& settings) { recycleLimit = settings.officeRecycle; }

ObjectRef OfficeBackend::createObject(const std::string& progId)
{
    const bool excel = sameName(progId, "Excel.Application");
    if (!excel && !sameName(progId, "Word.Application"))
        throw EOleSysError(olecode::ClassString,
                           "オートメーション サーバー '" + codec::toDisplay(progId) + "' はありません");
    auto held = std::make_shared<WithPrinterSnapshot>();
    held->object = excel ? makeExcelApplication() : makeWordApplication();
    try {
        reviveEngine(lane_ == 0);
    } catch (const Error& error) {
        throw EOleSysError(olecode::ClassNotRegistered, error.what());
    }
    return ObjectRef(held, held->object.get());
}

void OfficeBackend::startServerAhead(PrintMode mode)
{
    if (mode == PrintMode::Preview && lane_ == 0)
        previewEngine().launch();
    else
        printEngine().launch();
}

void OfficeBackend::endIdleServers() { shutdownIdleEngines(); }

int OfficeBackend::parallelInstances() const { return kMaxOfficeLanes; }

void OfficeBackend::enterThread() { usePrintLane(lane_); }

void OfficeBackend::abandon()
{
    abandonLane(lane_);
}

std::optional<std::string> OfficeBackend::stallCause(std::chrono::seconds deadline, bool printSystemWasSilent)
{
    // The row may be looked at only once the print system answers again:
    // a silence its own work met counts as well (another row's does not).
    if (!printSystemWasSilent && printers::printSystemAnswers(kPrintSystemProbe))
        return std::nullopt;
    return printers::stalledText(deadline);
}

Variant OfficeBackend::invoke(const ObjectRef& target, const Invocation& call)
{
    auto* adapter = dynamic_cast<Adapter*>(target.get());
    if (!adapter) // an object of another backend
        throwUnknownName(call.form, std::string(call.member));
    try {
        return adapter->invoke(call);
    } catch (const AutomationError&) {
        throw;
    } catch (const NothingToPrint&) {
        throw; // an outcome of the row, not a failure of the call
    } catch (const Error& error) {
        throwServerException(call.form, error.what(), kSource);
    } catch (const css::uno::Exception& error) {
        throwServerException(call.form, officeFailure(error, lane_ == 0), kSource);
    }
}

} // namespace pravik::office

#pragma once

#include "OfficeLifetime.h"
#include "OfficeProcess.h"
#include "ProfileSlot.h"
#include "UnoRuntime.h"

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XDispatchHelper.hpp>
#include <com/sun/star/lang/XSingleServiceFactory.hpp>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>
#include <sys/types.h>

namespace pravik::office {

// Printing runs in an office without windows; previews need one that may
// show them on the user's display. Each kind has its own process and profile.
enum class EngineKind { Print, Preview };

// One office process and the connection to it over a named pipe. Started
// when first needed and kept running for later jobs; a dead office is noticed
// by checkAlive() and replaced at the next call that needs one.
class OfficeEngine {
public:
    explicit OfficeEngine(EngineKind kind);
    ~OfficeEngine();
    OfficeEngine(const OfficeEngine&) = delete;
    OfficeEngine& operator=(const OfficeEngine&) = delete;

    // The running office's context and desktop, starting the office first
    // when none runs. Throws pravik::Error when it cannot be started.
    Reference<css::uno::XComponentContext> context();
    Reference<css::frame::XDesktop2> desktop();
    // Services that rows ask for again and again, made once for each office:
    // making one takes round trips of its own.
    Reference<css::frame::XDispatchHelper> dispatchHelper();
    Reference<css::lang::XSingleServiceFactory> taskCreator();

    // Starts the office's process without waiting for it to answer, so that
    // it boots while the user still reads a question; the first call then
    // only connects. Nothing when one is started already. A failure is left
    // for that first call to meet and tell.
    void launch() noexcept;

    // True while an office started by this engine is running and answers.
    // A dead one is cleared away, so the next context() starts a new one.
    bool checkAlive();
    bool started() const { return process_ != nullptr; }
    // Started and connected (not still starting).
    bool ready() const { return desktop_.is(); }
    // Changes with every start: documents of an earlier office are gone.
    int generation() const { return generation_; }
    // The office reads the printer list once, when it starts: a printer added
    // since is unknown to it until it starts again.
    bool printersAddedSinceStart() const;

    // Documents opened since the office started; the office keeps some
    // memory of each, so it is restarted after a number of them.
    int documentsSinceStart() const { return documentsSinceStart_; }
    void noteDocumentOpened();

    // Asks the office to quit, ends it by signal if it has not within a few
    // seconds, and waits for it.
    void shutdown();

    // Kills the office's process group at once, from any thread, so that a
    // call blocked on it returns with an error. The engine then counts as
    // dead: the next call replaces it. An office still starting is not
    // waited for by work that was abandoned meanwhile.
    void abandon();

private:
    void launchProcess();
    // Connects to the launched office; ends it when that fails.
    void finishStart();
    void connect(const std::string& pipeName);
    void askToQuit();
    std::string startFailure(const std::string& reason) const;

    EngineKind kind_;
    std::optional<ProfileSlot> slot_;
    // Replaced on the engine's thread only, under processMutex_, which
    // abandon() on another thread holds while it ends the office.
    std::shared_ptr<OfficeProcess> process_;
    std::string pipeName_; // the launched office's
    bool connecting_ = false;
    std::mutex processMutex_;
    Reference<css::uno::XComponentContext> context_;
    Reference<css::frame::XDesktop2> desktop_;
    Reference<css::frame::XDispatchHelper> dispatchHelper_;
    Reference<css::lang::XSingleServiceFactory> taskCreator_;
    int generation_ = 0;
    int documentsSinceStart_ = 0;
    std::vector<std::string> printersAtStart_;
    std::vector<std::string> leftovers_;
};

// The program's engines, made on first use and ended by shutdownEngines()
// (also run at exit): a print office for each lane, each with its own
// profile slot, and one preview office. printEngine() is the print office of
// the lane the calling thread works for.
OfficeEngine& printEngine();
OfficeEngine& previewEngine();

// The calling thread's calls go to the print office of `lane` from now on.
void usePrintLane(int lane);

// The office keeps one more pipe for each profile (URL, UTF-8), named by a
// digest of the URL, through which a second start on the same profile hands
// its work over. A killed office leaves its socket behind.
std::string singleInstancePipe(const std::string& profileUrl);

// abandon() on the office the row in hand on `lane` works with, from any
// thread: the lane's print office, and the preview office only while that row
// opens or shows a preview. The other lanes' offices go on, and so do the
// previews the user left open.
void abandonLane(int lane);

// While one lives, the row in hand on the previewing lane works with the
// preview office.
class PreviewInHand {
public:
    PreviewInHand();
    ~PreviewInHand();
    PreviewInHand(const PreviewInHand&) = delete;
    PreviewInHand& operator=(const PreviewInHand&) = delete;
};

// Ends the print offices of every lane, and the preview office unless it
// shows a document; they start again when next needed. Only while no work
// uses them.
void shutdownIdleEngines();

// Runs the hook set with setIdleHook, if any.
void runIdleHook();

} // namespace pravik::office

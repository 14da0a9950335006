#include "OfficeEngine.h"

#include "AutomationWorker.h"
#include "Error.h"
#include "OfficeLeftovers.h"
#include "Preview.h"
#include "ProfileVersion.h"
#include "StepTimes.h"
#include "CupsJobCheck.h"
#include "SpoolFile.h"
#include "SystemPrinters.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/TaskCreator.hpp>
#include <osl/file.hxx>
#include <rtl/digest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <thread>
#include <unistd.h>

namespace pravik::office {

namespace {

bool japaneseLocaleAvailable()
{
    const locale_t japanese = ::newlocale(LC_ALL_MASK, "ja_JP.UTF-8", static_cast<locale_t>(nullptr));
    if (japanese == static_cast<locale_t>(nullptr))
        return false;
    ::freelocale(japanese);
    return true;
}

std::vector<std::string> printerList()
{
    try {
        return printers::makeCupsPrinterSource()->query().names;
    } catch (const Error&) {
        return {};
    }
}

// A first start makes a new profile and takes a few seconds; a loaded
// machine may take many times that.
constexpr auto kStartLimit = std::chrono::seconds(120);
// An office asked to quit is given this long before it is ended by signal.
constexpr auto kQuitLimit = std::chrono::seconds(5);

std::function<void()>& idleHook()
{
    static std::function<void()> hook;
    return hook;
}

const char* kindName(EngineKind kind) { return kind == EngineKind::Print ? "print" : "preview"; }

bool haveDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

std::string lastLines(const std::filesystem::path& file, size_t count)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.empty())
            continue;
        lines.push_back(line);
        if (lines.size() > count)
            lines.erase(lines.begin());
    }
    std::string text;
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

// Ends the orphaned offices of the slot's profile and removes what they left.
void clearProfile(const ProfileSlot& slot)
{
    rtl::OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(fromUtf8(slot.profileDir().string()), url)
        != osl::FileBase::E_None)
        return;
    endOrphans(toUtf8(url));
    removePipeSockets(singleInstancePipe(toUtf8(url)));
    std::error_code ec;
    std::filesystem::remove_all(slot.scratchDir(), ec);
}

} // namespace

std::string singleInstancePipe(const std::string& profileUrlUtf8)
{
    const rtl::OUString profileUrl = fromUtf8(profileUrlUtf8);
    sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
    rtl_digest_MD5(profileUrl.getStr(), static_cast<sal_uInt32>(profileUrl.getLength()) * sizeof(sal_Unicode),
                   digest, sizeof digest);
    std::string name = "SingleOfficeIPC_";
    char hex[3];
    for (sal_uInt8 byte : digest) {
        std::snprintf(hex, sizeof hex, "%x", byte); // the office writes no leading zeros
        name += hex;
    }
    return name;
}

OfficeEngine::OfficeEngine(EngineKind kind) : kind_(kind) {}

OfficeEngine::~OfficeEngine()
{
    shutdown();
}

Reference<css::uno::XComponentContext> OfficeEngine::context()
{
    desktop();
    return context_;
}

Reference<css::frame::XDesktop2> OfficeEngine::desktop()
{
    if (!process_)
        launchProcess();
    if (!desktop_.is()) {
        // Asked again from the idle hook while still connecting.
        if (connecting_)
            throw Error("オフィス エンジンは起動中です");
        finishStart();
    }
    return desktop_;
}

void OfficeEngine::launch() noexcept
{
    if (process_)
        return;
    try {
        launchProcess();
    } catch (const std::exception&) {
        // The first call starts it again and tells why it cannot; that
        // costs no wait, as nothing was started.
    }
}

Reference<css::frame::XDispatchHelper> OfficeEngine::dispatchHelper()
{
    const Reference<css::uno::XComponentContext> running = context();
    if (!dispatchHelper_.is())
        dispatchHelper_ = css::frame::DispatchHelper::create(running);
    return dispatchHelper_;
}

Reference<css::lang::XSingleServiceFactory> OfficeEngine::taskCreator()
{
    const Reference<css::uno::XComponentContext> running = context();
    if (!taskCreator_.is())
        taskCreator_ = css::frame::TaskCreator::create(running);
    return taskCreator_;
}

bool OfficeEngine::checkAlive()
{
    if (!process_)
        return false;
    if (!desktop_.is())
        return process_->running(); // still connecting
    if (process_->running()) {
        try {
            desktop_->getCurrentComponent();
            return true;
        } catch (const css::uno::Exception&) {
        }
    }
    shutdown();
    return false;
}

bool OfficeEngine::printersAddedSinceStart() const
{
    for (const std::string& name : printerList())
        if (std::find(printersAtStart_.begin(), printersAtStart_.end(), name) == printersAtStart_.end())
            return true;
    return false;
}

void OfficeEngine::shutdown()
{
    const bool ran = process_ != nullptr;
    if (process_) {
        if (desktop_.is() && process_->running())
            askToQuit();
        process_->stop();
        std::lock_guard lock(processMutex_);
        process_.reset();
    }
    // A group killed outright had no time to remove them, its guardian's
    // scratch folder included; nothing of the office runs any more.
    for (const std::string& file : leftovers_)
        ::unlink(file.c_str());
    if (ran && slot_) {
        std::error_code ec;
        std::filesystem::remove_all(slot_->scratchDir(), ec);
    }
    leftovers_.clear();
    dispatchHelper_.clear();
    taskCreator_.clear();
    desktop_.clear();
    context_.clear();
}

void OfficeEngine::askToQuit()
{
    // Asked to quit, the office removes its temp folder and its pipes;
    // ended by a signal, it leaves them. A stalled office does not answer:
    // it is given kQuitLimit, then the call is cut off by ending the group.
    auto answered = std::make_shared<std::promise<bool>>();
    std::future<bool> done = answered->get_future();
    std::thread caller([desktop = desktop_, answered] {
        bool quitting = false;
        try {
            quitting = desktop->terminate();
        } catch (...) {
            quitting = true; // the connection went with an office already on its way out
        }
        answered->set_value(quitting);
    });
    const auto deadline = std::chrono::steady_clock::now() + kQuitLimit;
    if (done.wait_until(deadline) == std::future_status::ready) {
        // An office that refused to quit is not waited for.
        const bool quitting = done.get();
        while (quitting && process_->running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } else {
        process_->stop(); // the pipe closes, and the call returns with an error
    }
    caller.join();
}

void OfficeEngine::noteDocumentOpened() { ++documentsSinceStart_; }

void OfficeEngine::abandon()
{
    std::lock_guard lock(processMutex_);
    if (process_)
        process_->killGroup();
}

std::string OfficeEngine::startFailure(const std::string& reason) const
{
    std::string text = "オフィス エンジン (LibreOffice) を起動できません: " + reason;
    if (slot_)
        text += lastLines(slot_->logFile(), 5);
    return text;
}

void OfficeEngine::launchProcess()
{
    steps::reached("office start asked");
    const std::string program = std::string(kOfficeProgramDir) + "/soffice";
    if (::access(program.c_str(), X_OK) != 0)
        throw Error("LibreOffice がインストールされていません (" + program + " がありません)");
    if (kind_ == EngineKind::Preview && !haveDisplay())
        throw Error("プレビューを表示する画面がありません（DISPLAY が設定されていません）");
    localContext(); // a broken local runtime is reported before any process starts
    if (!slot_)
        slot_.emplace(ProfileSlot::acquire(kindName(kind_)));
    const std::filesystem::path scratch = slot_->scratchDir();

    rtl::OUString profileUrl;
    if (osl::FileBase::getFileURLFromSystemPath(fromUtf8(slot_->profileDir().string()), profileUrl)
        != osl::FileBase::E_None)
        throw Error(startFailure("プロファイル フォルダ " + slot_->profileDir().string() + " が使えません"));

    // An office of an earlier copy of this program, killed together with
    // its guardian, still runs on this profile: a new office would hand its
    // work to it. It is ended, and what it left is cleared.
    clearProfile(*slot_);
    // A killed copy that ran several offices left some on slots this copy
    // may never use: they are ended too, once.
    static std::once_flag sweptFreeSlots[2];
    std::call_once(sweptFreeSlots[kind_ == EngineKind::Print ? 0 : 1], [this] {
        ProfileSlot::forEachFreeSlot(kindName(kind_), clearProfile);
        // And their rendered jobs that never reached the print system, and
        // the jobs they made that wait for a document that never comes.
        removeSpoolFilesOfEndedRuns();
        if (kind_ == EngineKind::Print)
            printers::cancelJobsLeftByEndedRuns(); // what they were is told by a run that asks first
    });
    const std::string singleInstance = singleInstancePipe(toUtf8(profileUrl));
    std::error_code ec;
    if (!std::filesystem::create_directory(scratch, ec) || ec)
        throw Error(startFailure("一時フォルダ " + scratch.string() + " を作成できません"));
    std::filesystem::permissions(scratch, std::filesystem::perms::owner_all, ec);

    // The pipe's socket lies in the shared temp folder: its name must not be
    // one that another user could take first.
    const std::string pipeName = unpredictablePipeName(
        "pravik-" + std::to_string(::getpid()) + "-" + kindName(kind_) + "-");

    std::vector<std::string> args = {"soffice"};
    if (kind_ == EngineKind::Print)
        args.push_back("--headless");
    for (const char* arg : {"--invisible", "--nologo", "--nodefault", "--norestore", "--nolockcheck"})
        args.push_back(arg);
    args.push_back("-env:UserInstallation=" + toUtf8(profileUrl));
    args.push_back("--accept=pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext");

    // A write to the pipe of an office that just died must be an error, not
    // the end of this program.
    std::signal(SIGPIPE, SIG_IGN);

    // The sockets of the pipes stay behind when the office is killed rather
    // than asked to quit.
    std::vector<std::string> leftovers = pipeSocketPaths(pipeName);
    for (const std::string& path : pipeSocketPaths(singleInstance))
        leftovers.push_back(path);

    printersAtStart_ = printerList();
    documentsSinceStart_ = 0;
    std::vector<std::string> environment = {"TMPDIR=" + scratch.string()};
    // The user sees the preview office: its menus and buttons in Japanese,
    // as the rest of the program (with the office's Japanese language pack).
    // Only where the system has the locale: without it the office would
    // lose its file names' encoding.
    if (kind_ == EngineKind::Preview && japaneseLocaleAvailable())
        environment.push_back("LC_ALL=ja_JP.UTF-8");
    steps::reached("office process starting");
    {
        auto process = std::make_shared<OfficeProcess>(program, args, slot_->logFile(), leftovers,
                                                       environment, scratch);
        std::lock_guard lock(processMutex_);
        process_ = std::move(process);
    }
    leftovers_ = leftovers;
    pipeName_ = pipeName;
}

void OfficeEngine::finishStart()
{
    connecting_ = true;
    try {
        connect(pipeName_);
    } catch (...) {
        connecting_ = false;
        shutdown();
        throw;
    }
    connecting_ = false;
    ++generation_;
    steps::reached("office connected");
    recordProfileVersion(context_);
}

void OfficeEngine::connect(const std::string& pipeName)
{
    Reference<css::bridge::XUnoUrlResolver> resolver;
    try {
        resolver = css::bridge::UnoUrlResolver::create(localContext());
    } catch (const css::uno::Exception& error) {
        throw Error(startFailure(describe(error)));
    }
    const rtl::OUString url =
        fromUtf8("uno:pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext");
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    for (;;) {
        const PipeOwner owner = pipeOwner(pipeName);
        if (owner == PipeOwner::Stranger)
            throw Error(startFailure("パイプ " + pipeSocketPaths(pipeName)[0]
                                     + " が他のユーザーのものであるため接続しません"));
        std::string problem = "パイプがまだありません";
        if (owner == PipeOwner::Ours) {
            try {
                context_.set(resolver->resolve(url), UNO_QUERY_THROW);
                desktop_ = css::frame::Desktop::create(context_);
                return;
            } catch (const css::uno::Exception& error) {
                problem = describe(error);
            }
        }
        // Work given up while its office starts: the office is ended by the
        // next abandonment, or now, when this notices first.
        if (currentWorkAbandoned())
            throw Error(startFailure("起動中に中止されました"));
        if (!process_->running())
            throw Error(startFailure("起動直後に終了しました"));
        if (std::chrono::steady_clock::now() >= deadline)
            throw Error(startFailure("応答がありません (" + problem + ")"));
        runIdleHook();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

namespace {

// The print offices by lane; the one preview office.
std::vector<std::unique_ptr<OfficeEngine>> printEngines;
std::unique_ptr<OfficeEngine> previewSlot;

// The lane whose print office this thread's calls use.
thread_local int currentLane = 0;

// The slots are filled on the automation threads and read by abandonLane()
// on another.
std::mutex slotMutex;

OfficeEngine& engine(std::unique_ptr<OfficeEngine>& slot, EngineKind kind)
{
    if (!slot) {
        slot = std::make_unique<OfficeEngine>(kind);
        // Registered after the engine's statics exist, so this runs before
        // they are torn down.
        static const bool registered = [] { return std::atexit(shutdownEngines) == 0; }();
        (void)registered;
    }
    return *slot;
}

} // namespace

void usePrintLane(int lane) { currentLane = lane < 0 ? 0 : lane; }

OfficeEngine& printEngine()
{
    std::lock_guard lock(slotMutex);
    if (printEngines.size() <= static_cast<size_t>(currentLane))
        printEngines.resize(static_cast<size_t>(currentLane) + 1);
    return engine(printEngines[static_cast<size_t>(currentLane)], EngineKind::Print);
}

OfficeEngine& previewEngine()
{
    std::lock_guard lock(slotMutex);
    return engine(previewSlot, EngineKind::Preview);
}

namespace {

// All at once: each office takes a moment to quit, and a stalled one its
// full limit, which the others need not wait behind.
void shutdownTogether(const std::vector<OfficeEngine*>& engines)
{
    std::vector<std::thread> ending;
    for (OfficeEngine* engine : engines)
        ending.emplace_back([engine] {
            try {
                engine->shutdown();
            } catch (...) {
                // Its guardian ends it all the same once this program is gone.
            }
        });
    for (std::thread& thread : ending)
        thread.join();
}

std::vector<OfficeEngine*> startedPrintEngines()
{
    std::lock_guard lock(slotMutex);
    std::vector<OfficeEngine*> engines;
    for (std::unique_ptr<OfficeEngine>& slot : printEngines)
        if (slot && slot->started())
            engines.push_back(slot.get());
    return engines;
}

} // namespace

void shutdownEngines()
{
    std::vector<OfficeEngine*> engines = startedPrintEngines();
    if (previewSlot)
        engines.push_back(previewSlot.get());
    shutdownTogether(engines);
}

void shutdownIdleEngines()
{
    std::vector<OfficeEngine*> engines = startedPrintEngines();
    if (previewSlot && previewSlot->started() && !previewShowsDocuments())
        engines.push_back(previewSlot.get());
    shutdownTogether(engines);
}

// Rows on the previewing lane that are opening or showing a preview.
std::atomic<int> previewsInHand{0};

PreviewInHand::PreviewInHand() { ++previewsInHand; }

PreviewInHand::~PreviewInHand() { --previewsInHand; }

void abandonLane(int lane)
{
    std::lock_guard lock(slotMutex);
    // The preview office serves the first lane only, and holds the previews
    // the user left open: only a row stalled in a preview of its own ends it.
    if (lane == 0 && previewsInHand > 0 && previewSlot)
        previewSlot->abandon();
    if (lane >= 0 && static_cast<size_t>(lane) < printEngines.size() && printEngines[static_cast<size_t>(lane)])
        printEngines[static_cast<size_t>(lane)]->abandon();
}

void setIdleHook(std::function<void()> hook) { idleHook() = std::move(hook); }

void runIdleHook()
{
    if (const std::function<void()>& hook = idleHook())
        hook();
}

} // namespace pravik::office

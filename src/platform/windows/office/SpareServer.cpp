#include "SpareServer.h"

#include <objbase.h>

#include <condition_variable>
#include <mutex>
#include <utility>

namespace pravik::win {

namespace {

// How often a taker waiting for the start asks whether to go on waiting.
constexpr auto kTakeRecheck = std::chrono::milliseconds(50);

} // namespace

struct SpareServer::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false; // the start has ended, well or not
    HRESULT result = E_PENDING;
    IStream* marshalled = nullptr; // the application, for the taker's apartment
    bool taken = false;
    bool letGo = false;
    bool finished = false;

    void run(const Start& start, const LetGoOf& letGoOf)
    {
        const bool joined = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        IDispatch* application = nullptr;
        HRESULT hr = start(&application);
        IStream* stream = nullptr;
        if (SUCCEEDED(hr))
            hr = ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, application, &stream);
        bool quit = false;
        {
            std::unique_lock lock(mutex);
            result = hr;
            marshalled = stream;
            started = true;
            changed.notify_all();
            // This thread's own reference stays until the taker has its own.
            changed.wait(lock, [this] { return taken || letGo; });
            quit = !taken && application;
            stream = std::exchange(marshalled, nullptr);
        }
        if (stream) {
            ::CoReleaseMarshalData(stream);
            stream->Release();
        }
        if (quit)
            letGoOf(application);
        if (application)
            application->Release();
        if (joined)
            ::CoUninitialize();
    }
};

SpareServer::SpareServer(std::string progId, Start start, LetGoOf letGoOf)
    : progId_(std::move(progId)), shared_(std::make_shared<Shared>())
{
    thread_ = std::thread([shared = shared_, start = std::move(start), letGoOf = std::move(letGoOf)]() mutable {
        shared->run(start, letGoOf);
        // The server's records go with the start's own objects, before the
        // spare counts as finished.
        start = nullptr;
        letGoOf = nullptr;
        std::lock_guard lock(shared->mutex);
        shared->finished = true;
    });
}

SpareServer::~SpareServer()
{
    letGo();
    thread_.join();
}

HRESULT SpareServer::take(IDispatch** application, const std::function<bool()>& keepWaiting)
{
    *application = nullptr;
    std::unique_lock lock(shared_->mutex);
    while (!shared_->changed.wait_for(lock, kTakeRecheck, [this] { return shared_->started; }))
        if (!keepWaiting())
            return E_ABORT;
    if (FAILED(shared_->result))
        return shared_->result;
    const HRESULT hr = ::CoGetInterfaceAndReleaseStream(std::exchange(shared_->marshalled, nullptr), IID_IDispatch,
                                                        reinterpret_cast<void**>(application));
    shared_->taken = SUCCEEDED(hr);
    shared_->changed.notify_all();
    return hr;
}

void SpareServer::letGo()
{
    std::lock_guard lock(shared_->mutex);
    shared_->letGo = true;
    shared_->changed.notify_all();
}

bool SpareServer::startEnded() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->started;
}

bool SpareServer::finished() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->finished;
}

} // namespace pravik::win

// A stand-in for an office automation server, started by COM as a local
// server: `test_office_server.exe PROGID TRANSCRIPT [MOOD]`.
// It serves one application object of PROGID over IDispatch, answers as the
// recording backend of the job tests does, appends each call to TRANSCRIPT
// in that backend's words and its process id to TRANSCRIPT.pids, and exits
// when its last object is released. MOOD: "MEMBER code|exception" fails the
// call of MEMBER (an exception comes with EXCEPINFO); "busy" turns the first
// calls away; with "hung" the transcript's first server never returns from
// "PrintOut".
#include "ComValues.h"
#include "RecordingBackend.h"
#include "ServerClasses.h"
#include "TextCodec.h"
#include "WideText.h"

#include <windows.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>

using namespace pravik;
using pravik::test::RecordingBackend;

namespace {

std::string gTranscript;
std::shared_ptr<RecordingBackend> gBackend;
int gLiveObjects = 0;
bool gHung = false;

// Calls a busy server turns away before it takes one.
constexpr int kBusyRejections = 3;

void appendLine(const std::string& line)
{
    std::ofstream out(win::widen(gTranscript).c_str(), std::ios::binary | std::ios::app);
    out << line << "\n";
}

void objectGone()
{
    if (--gLiveObjects == 0)
        ::PostQuitMessage(0);
}

// Names get the same id on every object, as an application's type would.
std::map<std::wstring, DISPID>& idsByName()
{
    static std::map<std::wstring, DISPID> ids;
    return ids;
}

std::wstring nameOf(DISPID id)
{
    for (const auto& [name, known] : idsByName())
        if (known == id)
            return name;
    return L"?";
}

class ServerObject final : public IDispatch {
public:
    explicit ServerObject(ObjectRef object) : object_(std::move(object)) { ++gLiveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
            objectGone();
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        for (UINT i = 0; i < count; ++i) {
            auto& known = idsByName();
            auto found = known.emplace(names[i], static_cast<DISPID>(known.size() + 1)).first;
            ids[i] = found->second;
        }
        lookupLocale_ = locale;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override
    {
        try {
            return call(id, locale, flags, *params, result);
        } catch (const EOleException& e) {
            if (exception) {
                *exception = EXCEPINFO{};
                exception->bstrDescription = ::SysAllocString(win::widen(codec::fromUtf8(e.description())).c_str());
                exception->bstrSource = ::SysAllocString(win::widen(codec::fromUtf8(e.source())).c_str());
                exception->scode = static_cast<SCODE>(0x800A03ECu); // as Excel's own errors
            }
            return DISP_E_EXCEPTION;
        } catch (const EOleSysError& e) {
            return static_cast<HRESULT>(e.code());
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

private:
    HRESULT call(DISPID id, LCID locale, WORD flags, const DISPPARAMS& params, VARIANT* result)
    {
        // The form the caller used, told by the locales of lookup and call.
        CallForm form = CallForm::Shorthand;
        if (locale == 0 && lookupLocale_ != 0x0800)
            form = CallForm::Command;
        else if (locale != 0x0800 || lookupLocale_ != 0x0800)
            appendLine("unexpected locales for " + win::narrow(nameOf(id)));

        const UINT named = params.cNamedArgs;
        std::vector<Variant> args;
        std::vector<NamedParm> namedArgs;
        for (UINT i = params.cArgs; i > named; --i)
            args.push_back(win::fromComVariant(params.rgvarg[i - 1]));
        for (UINT i = 0; i < named; ++i) {
            const DISPID namedId = params.rgdispidNamedArgs[i];
            Variant value = win::fromComVariant(params.rgvarg[i]);
            if (namedId == DISPID_PROPERTYPUT)
                args.push_back(std::move(value));
            else
                namedArgs.push_back({win::narrow(nameOf(namedId)), std::move(value)});
        }
        CallKind kind = CallKind::Procedure;
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
            kind = CallKind::PropertySet;
        else if (flags & DISPATCH_PROPERTYGET)
            kind = CallKind::PropertyGet;
        else if (result)
            kind = CallKind::Function;

        const std::string member = win::narrow(nameOf(id));
        Variant answer;
        try {
            answer = gBackend->invoke(object_, Invocation{kind, member, args, namedArgs, form});
        } catch (...) {
            appendLine(gBackend->lines().back());
            throw;
        }
        appendLine(gBackend->lines().back());
        if (gHung && member == "PrintOut")
            ::Sleep(INFINITE); // as an office stuck in a dialog nobody sees
        if (result) {
            if (answer.isObject()) {
                result->vt = VT_DISPATCH;
                result->pdispVal = new ServerObject(answer.object());
            } else {
                win::toComVariant(answer, *result);
            }
        }
        return S_OK;
    }

    ObjectRef object_;
    ULONG references_ = 1;
    LCID lookupLocale_ = 0;
};

// Turns away the first calls, as a starting or busy office does.
class BusyFilter final : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IMessageFilter ? static_cast<IMessageFilter*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return rejected_++ < kBusyRejections ? SERVERCALL_RETRYLATER : SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

private:
    int rejected_ = 0;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(std::string progId) : progId_(std::move(progId)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ObjectRef application;
        try {
            application = gBackend->createObject(progId_);
        } catch (const EOleSysError& e) {
            appendLine(gBackend->lines().back());
            return static_cast<HRESULT>(e.code());
        }
        appendLine(gBackend->lines().back());
        auto* object = new ServerObject(std::move(application));
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::string progId_;
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    const std::string progId = win::narrow(argv[1]);
    gTranscript = win::narrow(argv[2]);
    // COM adds "-Embedding" to the registered command line.
    const std::wstring mood = argc >= 4 && _wcsicmp(argv[3], L"-Embedding") != 0 ? argv[3] : L"";
    gBackend = std::make_shared<RecordingBackend>();
    gBackend->labelResults("Open", "Book"); // as the Excel job tests script it
    std::ofstream(win::widen(gTranscript + ".pids").c_str(), std::ios::app) << ::GetCurrentProcessId() << "\n";
    if (mood == L"hung") {
        // Only the first server hangs: the one after it shows the run going on.
        gHung = ::CreateDirectoryW(win::widen(gTranscript + ".hung").c_str(), nullptr);
    } else if (!mood.empty() && mood != L"busy" && argc >= 5) {
        gBackend->failAtMember(win::narrow(mood), std::wstring(argv[4]) == L"exception" ? test::FailWith::Exception
                                                                                         : test::FailWith::SysError);
    }

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    static BusyFilter busy;
    if (mood == L"busy")
        ::CoRegisterMessageFilter(&busy, nullptr);
    static Factory factory(progId);
    const CLSID& clsid = progId == "Excel.Application" ? test::kTestExcelClsid : test::kTestWordClsid;
    DWORD cookie = 0;
    if (FAILED(::CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie)))
        return 1;
    // Until the last object is released (or nobody comes).
    ::SetTimer(nullptr, 0, 60000, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && gLiveObjects == 0)
            break;
        ::DispatchMessageW(&message);
    }
    ::CoRevokeClassObject(cookie);
    gBackend.reset();
    ::CoUninitialize();
    return 0;
}

// A stand-in for an office automation server, started by COM as a local
// server: `test_office_server.exe PROGID TRANSCRIPT [MOOD...]`.
// It serves one application object of PROGID over IDispatch, answers as the
// recording backend scripted as Office (OfficeScript.h), appends each call
// to TRANSCRIPT in that backend's words and its process id to
// TRANSCRIPT.pids, and exits when its last object is released. As Word's, the stand-in's ActivePrinter
// is the system's default printer, which a put of it changes. MOODs:
//   busy                  turns the first calls away
//   fail=MEMBER:N:HOW     the Nth call of MEMBER fails after it is recorded,
//                         HOW "code" (E_FAIL) or "exception" (with EXCEPINFO)
//   nowordbasic           knows no WordBasic, as a Word without it
//   documents=N           N documents or workbooks are open besides the job's
//   linger                stays when its last object is released (for a
//                         minute), as an office that does not quit
//   start=MS              takes MS milliseconds before it takes calls, as
//                         an office's start does
//   print=MS              takes MS milliseconds in each PrintOut
//   refuse                fails its creation (CO_E_SERVER_EXEC_FAILURE) and
//                         stays, as an office whose start went wrong
//   fillin                the document has a FILLIN field, and PrintOut
//                         never returns unless it was locked, as Word
//                         waiting in the field's input box
//   emptysheet            every sheet has no page to print
//   managesdefault        each PrintOut makes its printer the default of
//                         Windows, as Windows does when it manages the default
// and for the first server of its ProgID in the transcript only (the ones
// after it show the run going on):
//   hang=MEMBER           never returns from MEMBER, as an office stuck in
//                         a dialog nobody sees
//   crash=MEMBER          the process ends inside MEMBER
//   slowstart=SECONDS     takes that long before it takes calls
//   nostart               never takes a call, as an office stuck in its start
// and for the second server of its ProgID only (one started ahead):
//   userlands=MS          MS milliseconds after its start the user opens a
//                         document of theirs in it, as a user who double-clicks
//                         a file while an unseen office runs
// As Office, an application made visible stays when its last object is
// released: it is the user's then.
// `user` makes it a copy the user started: it serves nothing and waits
// until it is ended. As Office's, its main window (never shown) is told by Excel's
// "Hwnd" and takes Word's "Caption"; those questions of the caller are not
// the job's calls and stay out of the transcript.
#include "ComValues.h"
#include "OfficeScript.h"
#include "RecordingBackend.h"
#include "ServerClasses.h"
#include "TextCodec.h"
#include "WideText.h"

#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace pravik;
using pravik::test::RecordingBackend;

namespace {

std::string gTranscript;
std::shared_ptr<RecordingBackend> gBackend;
int gLiveObjects = 0;
bool gLinger = false;
bool gShown = false; // made visible: the user's
bool gRefuse = false;
bool gWord = false;
bool gNoWordBasic = false;
std::string gHangIn, gCrashIn, gFailIn;
int gFailAt = 0;
bool gFailWithException = false;
std::map<std::string, int> gCallsOf;
DWORD gPrintMs = 0;
HWND gWindow = nullptr; // the application's main window, never shown

// The moods of the jobs' own details.
bool gFillIn = false;
bool gFillInLocked = false;
bool gManagesDefault = false;
std::string gLastPrinter; // the printer a job last named (CP932)

bool takeDetailMood(const std::string& word)
{
    if (word == "fillin") {
        gFillIn = true;
        gBackend->respond("Count", [](const test::RecordedCall& call) {
            return Variant::fromInt(call.target == "Fields" || call.target == "Pages" ? 1 : 0);
        });
        gBackend->respond("Type", Variant::fromInt(39)); // wdFieldFillIn
    } else if (word == "emptysheet") {
        gBackend->respond("Count", Variant::fromInt(0));
    } else if (word == "managesdefault") {
        gManagesDefault = true;
    } else {
        return false;
    }
    return true;
}

void noteDetails(const std::string& member, CallKind kind, const std::vector<NamedParm>& named)
{
    if (member == "Locked" && kind == CallKind::PropertySet)
        gFillInLocked = true;
    for (const NamedParm& parm : named)
        if (parm.name == "Printer" || parm.name == "ActivePrinter")
            gLastPrinter = parm.value.asText();
}

void printOutDetails()
{
    if (gManagesDefault && !gLastPrinter.empty())
        ::SetDefaultPrinterW(win::widen(gLastPrinter).c_str());
    if (gFillIn && !gFillInLocked)
        ::Sleep(INFINITE);
}

// Calls a busy server turns away before it takes one.
constexpr int kBusyRejections = 3;

void appendLine(const std::string& line)
{
    std::ofstream out(win::widen(gTranscript).c_str(), std::ios::binary | std::ios::app);
    out << line << "\n";
}

// Word's ActivePrinter is the system's default printer (CP932).
std::string defaultPrinter()
{
    wchar_t name[512] = L"";
    DWORD size = 512;
    return ::GetDefaultPrinterW(name, &size) ? win::narrow(name) : std::string();
}

// Answers the caller's questions about the main window; false for any other call.
bool answerAboutWindow(const std::string& member, CallKind kind, const std::vector<Variant>& args, VARIANT* result)
{
    if (!gWord && member == "Hwnd" && kind == CallKind::PropertyGet && result) {
        win::toComVariant(Variant::fromInt(static_cast<int>(reinterpret_cast<LONG_PTR>(gWindow))), *result);
        return true;
    }
    if (!gWord || member != "Caption")
        return false;
    if (kind == CallKind::PropertySet && !args.empty())
        ::SetWindowTextW(gWindow, win::widen(args[0].asText()).c_str());
    if (kind == CallKind::PropertyGet && result) {
        wchar_t text[512] = L"";
        ::GetWindowTextW(gWindow, text, 512);
        win::toComVariant(Variant::fromText(win::narrow(text)), *result);
    }
    return true;
}

// The user's document counts among the open ones from `after` on.
void userLandsAfter(DWORD ms)
{
    const ULONGLONG landsAt = ::GetTickCount64() + ms;
    gBackend->respond("Count", [landsAt](const test::RecordedCall&) {
        return Variant::fromInt(::GetTickCount64() >= landsAt ? 1 : 0);
    });
}

// Office's methods that give nothing back. Wine's proxy hands the server a
// result slot even for a caller that asked for none, and never releases
// what is put there: an object answered there would keep this process
// alive for as long as the caller's apartment.
bool answersNothing(const std::string& member)
{
    static const std::set<std::string> methods{"PrintOut", "PrintPreview", "Close", "Quit", "FilePrintSetup"};
    return methods.contains(member);
}

// A visible office is the user's, and does not end when let go of.
void noteShown(const std::string& member, CallKind kind, const std::vector<Variant>& args)
{
    if (member != "Visible" || kind != CallKind::PropertySet || args.empty())
        return;
    const Variant& value = args[0];
    gShown = value.kind() == VariantKind::Boolean ? value.boolean()
                                                  : value.kind() == VariantKind::Text && value.text() == "True";
}

void objectGone()
{
    if (--gLiveObjects == 0 && !gLinger && !gShown)
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
            // Word's application has no window handle of its own.
            if ((gNoWordBasic && _wcsicmp(names[i], L"WordBasic") == 0)
                || (gWord && _wcsicmp(names[i], L"Hwnd") == 0)) {
                ids[i] = DISPID_UNKNOWN;
                return DISP_E_UNKNOWNNAME;
            }
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
        if (answerAboutWindow(member, kind, args, result))
            return S_OK;
        noteDetails(member, kind, namedArgs);
        Variant answer;
        try {
            answer = gBackend->invoke(object_, Invocation{kind, member, args, namedArgs, form});
        } catch (...) {
            appendLine(gBackend->lines().back());
            throw;
        }
        appendLine(gBackend->lines().back());
        noteShown(member, kind, args);
        if (member == "PrintOut") {
            printOutDetails();
            ::Sleep(gPrintMs);
        }
        if (member == gHangIn)
            ::Sleep(INFINITE);
        if (member == gCrashIn)
            ::ExitProcess(3);
        if (++gCallsOf[member] == gFailAt && member == gFailIn) {
            if (gFailWithException)
                throw EOleException("scripted exception", "TestOfficeServer");
            throw EOleSysError(static_cast<std::int32_t>(E_FAIL));
        }
        if (gWord && kind == CallKind::PropertySet && member == "ActivePrinter" && !args.empty()
            && !::SetDefaultPrinterW(win::widen(args[0].asText()).c_str()))
            throw EOleException("Printer not found", "TestOfficeServer");
        if (result && !answersNothing(member)) {
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
        if (gRefuse)
            return CO_E_SERVER_EXEC_FAILURE;
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
    gWord = progId == "Word.Application";
    gBackend = std::make_shared<RecordingBackend>();
    test::scriptOffice(*gBackend);
    if (gWord)
        gBackend->respond("ActivePrinter", [](const test::RecordedCall&) { return Variant::fromText(defaultPrinter()); });
    std::vector<std::string> moods;
    for (int i = 3; i < argc; ++i)
        if (_wcsicmp(argv[i], L"-Embedding") != 0 && _wcsicmp(argv[i], L"/Embedding") != 0)
            moods.push_back(win::narrow(argv[i]));
    if (std::find(moods.begin(), moods.end(), "user") != moods.end()) {
        ::Sleep(INFINITE);
        return 0;
    }
    std::ofstream(win::widen(gTranscript + ".pids").c_str(), std::ios::app) << ::GetCurrentProcessId() << "\n";
    const bool first = ::CreateDirectoryW(win::widen(gTranscript + "." + progId + ".first").c_str(), nullptr);
    const bool second
        = !first && ::CreateDirectoryW(win::widen(gTranscript + "." + progId + ".second").c_str(), nullptr);
    bool busy = false;
    for (const std::string& mood : moods) {
        const size_t equals = mood.find('=');
        const std::string word = mood.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : mood.substr(equals + 1);
        if (takeDetailMood(word))
            continue;
        if (word == "busy")
            busy = true;
        else if (word == "refuse")
            gRefuse = true;
        else if (word == "nowordbasic")
            gNoWordBasic = true;
        else if (word == "linger")
            gLinger = true;
        else if (word == "start")
            ::Sleep(static_cast<DWORD>(std::atoi(value.c_str())));
        else if (word == "print")
            gPrintMs = static_cast<DWORD>(std::atoi(value.c_str()));
        else if (word == "documents")
            gBackend->respond("Count", [open = std::atoi(value.c_str())](const test::RecordedCall& call) {
                const bool documents = call.target == "Documents" || call.target == "Workbooks";
                return Variant::fromInt(documents ? open : call.target == "Pages" ? 1 : 0);
            });
        else if (word == "fail") {
            gFailIn = value.substr(0, value.find(':'));
            gFailAt = std::atoi(value.c_str() + gFailIn.size() + 1);
            gFailWithException = value.ends_with(":exception");
        } else if (first && word == "hang")
            gHangIn = value;
        else if (first && word == "crash")
            gCrashIn = value;
        else if (first && word == "slowstart")
            ::Sleep(static_cast<DWORD>(std::atoi(value.c_str())) * 1000);
        else if (second && word == "userlands")
            userLandsAfter(static_cast<DWORD>(std::atoi(value.c_str())));
        else if (first && word == "nostart")
            ::Sleep(INFINITE);
    }

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const wchar_t* windowClass = gWord ? L"OpusApp" : L"XLMAIN";
    WNDCLASSW kind{};
    kind.lpfnWndProc = ::DefWindowProcW;
    kind.hInstance = ::GetModuleHandleW(nullptr);
    kind.lpszClassName = windowClass;
    ::RegisterClassW(&kind);
    // Message-only: a server that COM starts under Wine may not make
    // windows on the desktop.
    gWindow = ::CreateWindowExW(0, windowClass, gWord ? L"Word" : L"Excel", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                kind.hInstance, nullptr);
    static BusyFilter busyFilter;
    if (busy)
        ::CoRegisterMessageFilter(&busyFilter, nullptr);
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

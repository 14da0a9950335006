#include "AutomationCall.h"
#include "AutomationWorker.h"
#include "ComApartment.h"
#include "ComBackend.h"
#include "FakeSpooler.h"
#include "JobNotes.h"
#include "RecordingDispatch.h"
#include "ServerFailures.h"
#include "SystemPrinters.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <optional>

using namespace pravik;
using namespace pravik::test;

namespace {

const wchar_t* const kProgId = L"Pravik.Recorder";

struct ComBackendTest : ::testing::Test {
    win::ComApartment apartment;
    std::shared_ptr<Recording> recording = std::make_shared<Recording>();
    RegisteredRecorder registration{kProgId, recording};
    AutomationCall automation{std::make_shared<win::ComBackend>()};

    const InvokeRecord& last() const { return recording->invokes.back(); }
};

template <typename E, typename F>
std::optional<E> thrown(F call)
{
    try {
        call();
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

std::wstring bstr(const VARIANT& v)
{
    return v.vt == VT_BSTR ? std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal)) : L"<not a BSTR>";
}

} // namespace

TEST_F(ComBackendTest, CommandFormPutsNamedArgumentsFirstThenPositionalOnesInReverse)
{
    const Variant app = automation.createObject("Pravik.Recorder");
    automation.execute(app, AutoCmd(CallKind::Procedure, "PrintOut")
                                .arg(Variant::fromInt(1))
                                .arg(Variant::fromText("two"))
                                .named("Copies", Variant::fromText("3"))
                                .named("Collate", Variant::fromBool(true)));

    // One lookup for the member and its named arguments, in the thread's locale.
    ASSERT_EQ(recording->lookups.size(), 1u);
    EXPECT_EQ(recording->lookups[0].first,
              (std::vector<std::wstring>{L"PrintOut", L"Copies", L"Collate"}));
    EXPECT_EQ(recording->lookups[0].second, ::GetThreadLocale());

    const InvokeRecord& call = last();
    EXPECT_EQ(call.locale, 0u);
    EXPECT_EQ(call.flags, DISPATCH_METHOD);
    EXPECT_FALSE(call.resultSlot);
    ASSERT_EQ(call.args.size(), 4u);
    EXPECT_EQ(bstr(call.args[0]), L"3");
    EXPECT_EQ(call.args[1].vt, VT_BOOL);
    EXPECT_EQ(call.args[1].boolVal, VARIANT_TRUE);
    EXPECT_EQ(bstr(call.args[2]), L"two");
    EXPECT_EQ(call.args[3].vt, VT_I4);
    EXPECT_EQ(call.args[3].lVal, 1);
    EXPECT_EQ(call.namedNames, (std::vector<std::wstring>{L"Copies", L"Collate"}));
}

TEST_F(ComBackendTest, PropertyWriteCarriesOneArgumentNamedPropertyPutInEitherForm)
{
    const Variant app = automation.createObject("Pravik.Recorder");
    automation.setProperty(app, "DisplayAlerts", Variant::fromText("False"));
    automation.execute(app, std::move(AutoCmd(CallKind::PropertySet, "Visible").arg(Variant::fromBool(false))));

    ASSERT_EQ(recording->invokes.size(), 2u);
    const struct {
        LCID lookup, invoke;
    } locales[] = {{0x0800, 0x0800}, {::GetThreadLocale(), 0}};
    for (size_t i = 0; i < 2; ++i) {
        const InvokeRecord& put = recording->invokes[i];
        EXPECT_EQ(put.flags, DISPATCH_PROPERTYPUT);
        EXPECT_EQ(put.namedIds, std::vector<DISPID>{DISPID_PROPERTYPUT});
        EXPECT_EQ(put.args.size(), 1u);
        EXPECT_FALSE(put.resultSlot);
        EXPECT_EQ(put.lookupLocale, locales[i].lookup);
        EXPECT_EQ(put.locale, locales[i].invoke);
    }
    // The text "False" stays a text: the server coerces it.
    EXPECT_EQ(bstr(recording->invokes[0].args[0]), L"False");
    EXPECT_EQ(recording->invokes[1].args[0].vt, VT_BOOL);
}

TEST_F(ComBackendTest, SheetNamesArriveAsOneArrayFromZeroAndEveryObjectIsReleased)
{
    {
        const Variant app = automation.createObject("Pravik.Recorder");
        const Variant sheets = automation.getProperty(
            app, "Sheets", {Variant::fromTextArray({"Sheet1", codec::fromUtf8("集計表"), "A, B"})});
        automation.callFunction(sheets, "Select");

        const InvokeRecord& get = recording->invokes[0];
        EXPECT_EQ(get.flags, DISPATCH_PROPERTYGET);
        EXPECT_TRUE(get.resultSlot);
        EXPECT_EQ(get.lookupLocale, 0x0800u);
        EXPECT_EQ(get.locale, 0x0800u);
        ASSERT_EQ(get.args.size(), 1u);
        ASSERT_EQ(get.args[0].vt, VT_ARRAY | VT_VARIANT);
        SAFEARRAY* array = get.args[0].parray;
        LONG lower = -1, upper = -1;
        EXPECT_EQ(::SafeArrayGetDim(array), 1u);
        ::SafeArrayGetLBound(array, 1, &lower);
        ::SafeArrayGetUBound(array, 1, &upper);
        EXPECT_EQ(lower, 0);
        EXPECT_EQ(upper, 2);
        VARIANT item;
        ::VariantInit(&item);
        LONG index = 1;
        ::SafeArrayGetElement(array, &index, &item);
        EXPECT_EQ(bstr(item), L"\u96C6\u8A08\u8868"); // 集計表
        ::VariantClear(&item);

        EXPECT_EQ(last().member, L"Select");
        EXPECT_TRUE(last().resultSlot);
        EXPECT_GT(recording->liveObjects, 0);
    }
    EXPECT_EQ(recording->liveObjects, 0);
}

TEST_F(ComBackendTest, ResultsComeBackAsTheLayersValues)
{
    const Variant app = automation.createObject("Pravik.Recorder");
    const auto answer = [&](VARIANT value) {
        recording->answerValue(L"Value", value);
        ::VariantClear(&value);
        return automation.getProperty(app, "Value");
    };
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(L"\u96C6\u8A08");
    EXPECT_EQ(answer(v), Variant::fromText(codec::fromUtf8("集計")));
    v.vt = VT_I2;
    v.iVal = 7;
    EXPECT_EQ(answer(v), Variant::fromInt(7));
    v.vt = VT_R8;
    v.dblVal = 3.0;
    EXPECT_EQ(answer(v), Variant::fromInt(3));
    v.vt = VT_BOOL;
    v.boolVal = VARIANT_TRUE;
    EXPECT_EQ(answer(v), Variant::fromBool(true));
    v.vt = VT_EMPTY;
    EXPECT_EQ(answer(v), Variant());

    // Nothing is made up: no lookalike text, no number for Null or an error.
    const auto refusedCode = [&](VARIANT value) -> std::int32_t {
        try {
            answer(value);
        } catch (const EOleSysError& e) {
            return e.code();
        }
        return 0;
    };
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(L"caf\u00E9");
    EXPECT_EQ(refusedCode(v), olecode::TypeMismatch);
    v.vt = VT_NULL;
    EXPECT_EQ(refusedCode(v), olecode::TypeMismatch);
    v.vt = VT_R8;
    v.dblVal = 1e12;
    EXPECT_EQ(refusedCode(v), olecode::Overflow);
    v.vt = VT_ERROR;
    v.scode = static_cast<SCODE>(0x800A03ECu);
    EXPECT_EQ(refusedCode(v), olecode::make(0x800A03ECu));
}

TEST_F(ComBackendTest, ErrorsTakeTheClassOfTheForm)
{
    const Variant app = automation.createObject("Pravik.Recorder");
    recording->unknownNames = {L"Nothing", L"NoSuchArgument"};
    recording->answerCode(L"Broken", static_cast<HRESULT>(0x80004005u));
    recording->answerException(L"Raises", L"\u958B\u3051\u307E\u305B\u3093", L"Recorder"); // 開けません

    // Unknown names.
    try {
        automation.callProcedure(app, "Nothing");
        ADD_FAILURE();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.code(), olecode::UnknownName);
    }
    try {
        automation.execute(app, AutoCmd(CallKind::Procedure, "Nothing"));
        ADD_FAILURE();
    } catch (const EOleError& e) {
        EXPECT_EQ(e.member(), "Nothing");
    }
    try {
        automation.execute(app, AutoCmd(CallKind::Procedure, "PrintOut")
                                    .named("NoSuchArgument", Variant::fromInt(1)));
        ADD_FAILURE();
    } catch (const EOleError& e) {
        EXPECT_EQ(e.member(), "NoSuchArgument");
    }
    EXPECT_TRUE(recording->invokes.empty()); // an unknown name is never invoked

    // A failing code.
    for (const bool command : {false, true}) {
        try {
            if (command)
                automation.execute(app, AutoCmd(CallKind::Procedure, "Broken"));
            else
                automation.callProcedure(app, "Broken");
            ADD_FAILURE();
        } catch (const EOleSysError& e) {
            EXPECT_EQ(e.code(), olecode::make(0x80004005u));
            EXPECT_FALSE(std::string(e.what()).empty());
        }
    }

    // A server exception.
    try {
        automation.execute(app, AutoCmd(CallKind::Procedure, "Raises"));
        ADD_FAILURE();
    } catch (const EOleException& e) {
        EXPECT_EQ(e.description(), "開けません");
        EXPECT_EQ(e.source(), "Recorder");
    }
    try {
        automation.callProcedure(app, "Raises");
        ADD_FAILURE();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.code(), olecode::Exception);
        EXPECT_STREQ(e.what(), "開けません");
    }
}

TEST_F(ComBackendTest, ServerFailuresKeepWhatTheServerSaidAndReleaseEveryObject)
{
    {
        const Variant app = automation.createObject("Pravik.Recorder");
        const Variant book = automation.getProperty(app, "Book");
        recording->answerException(L"Deferred", L"\u958B\u3051\u307E\u305B\u3093", L"Recorder",
                                   static_cast<SCODE>(0x800A03ECu), true);
        recording->answerCode(L"Gone", DISP_E_MEMBERNOTFOUND);
        recording->answerCode(L"Typed", DISP_E_TYPEMISMATCH, 1); // the second named argument

        const auto e = thrown<EOleException>([&] { automation.execute(book, AutoCmd(CallKind::Procedure, "Deferred")); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->description() + "|" + e->source(), "開けません|Recorder"); // filled in only when asked
        EXPECT_EQ(e->serverCode(), olecode::make(0x800A03ECu));
        // A member the object has but cannot use so is no unknown name.
        const auto gone = thrown<EOleSysError>([&] { automation.execute(book, AutoCmd(CallKind::Procedure, "Gone")); });
        EXPECT_EQ(gone ? gone->code() : 0, olecode::make(0x80020003u));
        const auto typed = thrown<EOleSysError>([&] {
            automation.execute(book, AutoCmd(CallKind::Procedure, "Typed")
                                         .named("Copies", Variant::fromInt(1))
                                         .named("Collate", Variant::fromInt(2)));
        });
        ASSERT_TRUE(typed);
        EXPECT_EQ(typed->code(), olecode::TypeMismatch);
        EXPECT_NE(std::string(typed->what()).find("Collate"), std::string::npos) << typed->what();
    }
    EXPECT_EQ(recording->liveObjects, 0);
}

TEST_F(ComBackendTest, AnUnregisteredProgIdIsNamedWithTheReason)
{
    const auto e = thrown<EOleSysError>([&] { automation.createObject("Pravik.NotRegistered"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code(), olecode::ClassString);
    EXPECT_NE(std::string(e->what()).find("'Pravik.NotRegistered' はありません ("), std::string::npos) << e->what();
}

TEST_F(ComBackendTest, OnlyAPrintOutThatReturnsReportsTheJobAccepted)
{
    const Variant app = automation.createObject("Pravik.Recorder");
    recording->answerCode(L"Broken", static_cast<HRESULT>(0x80004005u));
    jobnotes::take();
    automation.callProcedure(app, "Close");
    EXPECT_FALSE(jobnotes::take().accepted);
    automation.execute(app, AutoCmd(CallKind::Procedure, "PrintOut").named("Background", Variant::fromBool(false)));
    EXPECT_TRUE(jobnotes::take().accepted);
    recording->answerCode(L"PrintOut", static_cast<HRESULT>(0x80004005u));
    EXPECT_THROW(automation.callProcedure(app, "PrintOut"), EOleSysError);
    EXPECT_FALSE(jobnotes::take().accepted);
}

TEST_F(ComBackendTest, AServerThatIsGoneIsNamedAsEndedWithItsCode)
{
    const Variant app = automation.createObject("Pravik.Recorder");
    for (const auto code : {0x800706BAu, 0x80010108u, 0x80010105u}) {
        recording->answerCode(L"PrintOut", static_cast<HRESULT>(code));
        const auto e = thrown<EOleSysError>([&] { automation.callProcedure(app, "PrintOut"); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->code(), olecode::make(code));
        EXPECT_STREQ(e->what(), "オートメーション サーバー が予期せず終了しました");
    }
    EXPECT_EQ(win::serverGoneText(win::serverNameOf("word.application")), "Word が予期せず終了しました");
    EXPECT_EQ(win::serverNameOf("Word.Document"), "");
}

TEST_F(ComBackendTest, AServerRefusedAsItWasEndingIsAskedForOnceMore)
{
    recording->refusedCreations = {CO_E_SERVER_STOPPING};
    EXPECT_NO_THROW(automation.createObject("Pravik.Recorder"));
    recording->refusedCreations = {CO_E_SERVER_EXEC_FAILURE, CO_E_SERVER_EXEC_FAILURE};
    EXPECT_THROW(automation.createObject("Pravik.Recorder"), EOleSysError);
    recording->refusedCreations = {E_OUTOFMEMORY};
    EXPECT_THROW(automation.createObject("Pravik.Recorder"), EOleSysError);
    EXPECT_EQ(recording->creations, 5);
}

TEST_F(ComBackendTest, AnUninstalledOfficeIsNamedAsSuch)
{
    if (::RegGetValueW(HKEY_CLASSES_ROOT, L"Word.Application\\CLSID", nullptr, RRF_RT_REG_SZ, nullptr, nullptr,
                       nullptr)
        == ERROR_SUCCESS)
        GTEST_SKIP() << "Word is registered here";
    const auto e = thrown<EOleSysError>([&] { automation.createObject("Word.Application"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code(), olecode::ClassString);
    EXPECT_STREQ(e->what(), "Word がインストールされていないため印刷できません");
}

TEST_F(ComBackendTest, ARowsPrinterMustBeOneTheSpoolerLists)
{
    EXPECT_NO_THROW(automation.checkPrinter(printers::currentPrinterName()));
    std::string shouting = printers::currentPrinterName();
    for (char& c : shouting)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NO_THROW(automation.checkPrinter(shouting));
    EXPECT_NO_THROW(automation.checkPrinter("")); // the job's to refuse
    const std::string missing = codec::fromUtf8("経理部の古いプリンター");
    const auto e = thrown<Error>([&] { automation.checkPrinter(missing); });
    ASSERT_TRUE(e);
    EXPECT_STREQ(e->what(), "プリンター 経理部の古いプリンター が見つかりません");
}

TEST(ComBackendStall, APrintJobStillGrowingOnTheServersPrinterIsNamedAsTheStall)
{
    win::ComApartment apartment;
    RegisteredRecorder registration{kProgId, std::make_shared<Recording>()};
    auto spooler = std::make_shared<FakeSpooler>();
    auto backend = std::make_shared<win::ComBackend>(spooler);
    AutomationCall automation{backend};
    const Variant app = automation.createObject("Pravik.Recorder");
    const auto stall = [&] { return backend->stallCause(std::chrono::seconds(30), false); };

    spooler->jobs = {{thisUser(), JOB_STATUS_SPOOLING, 100, 4096}};
    EXPECT_EQ(stall(), std::nullopt) << "no printer named yet";
    automation.execute(app, AutoCmd(CallKind::Procedure, "FilePrintSetup").named("Printer", Variant::fromText("Laser")));
    EXPECT_EQ(stall(), std::nullopt) << "nothing printed yet";
    automation.callProcedure(app, "PrintOut");
    // Word set back to the user's printer right after: the job still went to Laser.
    automation.execute(app, std::move(AutoCmd(CallKind::PropertySet, "ActivePrinter").arg(Variant::fromText("Other"))));
    EXPECT_EQ(stall(), "制限時間 (30 秒) 内に終わりませんでした。プリンター Laser または印刷システムの処理が遅れています"
                       " (印刷データの送信が続いています)");
}

TEST(ComBackendStall, APrintPastItsDeadlineWhoseJobReachedThePrinterIsSettledFromTheSpooler)
{
    win::ComApartment apartment;
    auto recording = std::make_shared<Recording>();
    RegisteredRecorder registration{kProgId, recording};
    auto spooler = std::make_shared<FakeSpooler>();
    auto backend = std::make_shared<win::ComBackend>(spooler);
    AutomationCall automation{backend};
    const Variant app = automation.createObject("Pravik.Recorder");
    automation.execute(app, AutoCmd(CallKind::Procedure, "FilePrintSetup").named("Printer", Variant::fromText("Laser")));
    spooler->jobs = {{thisUser(), JOB_STATUS_PRINTING, 100, 0}}; // an earlier print's
    std::optional<JobPastDeadline> atDeadline, beforeItsJob;
    recording->during = {{L"PrintOut", [&] {
                              beforeItsJob = backend->jobPastDeadline(std::chrono::seconds(30));
                              spooler->jobs.push_back({thisUser(), JOB_STATUS_SPOOLING, 100, 4096});
                              atDeadline = backend->jobPastDeadline(std::chrono::seconds(30));
                          }}};
    automation.callProcedure(app, "PrintOut");
    EXPECT_FALSE(beforeItsJob) << "the earlier print's job counted as this one's";
    ASSERT_TRUE(atDeadline);
    const auto now = OutcomeUnknown::Clock::now();
    EXPECT_EQ(atDeadline->settle(now).outcome, Settlement::Outcome::Unknown) << "still in the queue";
    spooler->jobs.back().status = JOB_STATUS_PRINTED;
    EXPECT_EQ(atDeadline->settle(now).outcome, Settlement::Outcome::Printed);
    EXPECT_FALSE(backend->jobPastDeadline(std::chrono::seconds(30))) << "no print in hand";
}

TEST_F(ComBackendTest, TimeInAPreviewCountsAgainstNoDeadline)
{
    const std::shared_ptr<WorkItem> item = AutomationWorker::queuedItem();
    std::vector<bool> deadlineRuns;
    const auto look = [&] { deadlineRuns.push_back(item->serverWaitSince().has_value()); };
    recording->during = {{L"PrintPreview", look}, {L"PrintOut", look}};
    AutomationWorker::runItem(*item, [&] {
        const Variant app = automation.createObject("Pravik.Recorder");
        automation.callProcedure(app, "PrintPreview"); // Excel's returns when the user closes it
        automation.callProcedure(app, "PrintOut");
    }, nullptr);
    EXPECT_EQ(deadlineRuns, (std::vector<bool>{false, true}));
}

std::atomic<int> idleProbeMessages{0};

LRESULT CALLBACK countAppMessages(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_APP)
        ++idleProbeMessages;
    return ::DefWindowProcW(window, message, w, l);
}

TEST(ComBackendThread, BetweenRowsTheApartmentsMessagesAreDispatched)
{
    AutomationWorker worker(std::make_shared<win::ComBackend>());
    BlockingWait wait;
    HWND window = nullptr;
    worker.run(
        [&] {
            const WNDCLASSW kind{0, countAppMessages, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr,
                                 nullptr, L"PravikIdleProbe"};
            ::RegisterClassW(&kind);
            window = ::CreateWindowExW(0, kind.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       kind.hInstance, nullptr);
        },
        wait, std::chrono::seconds(30));
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_APP, 0, 0);
    for (int i = 0; i < 300 && idleProbeMessages == 0; ++i)
        ::Sleep(10);
    EXPECT_EQ(idleProbeMessages, 1) << "the message waited for the next row";
    worker.run([&] { ::DestroyWindow(window); }, wait, std::chrono::seconds(30));
}

TEST(ComBackendThread, TheAutomationThreadIsAnApartmentWhoseFilterRetriesRejectedCallsWithinTheDeadline)
{
    auto backend = std::make_shared<win::ComBackend>();
    Settings settings;
    settings.officeTimeout = 2;
    backend->applySettings(settings);
    AutomationWorker worker(backend);
    BlockingWait wait;
    worker.run(
        [&] {
            APTTYPE type{};
            APTTYPEQUALIFIER qualifier{};
            ASSERT_EQ(::CoGetApartmentType(&type, &qualifier), S_OK);
            EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA);
            IMessageFilter* filter = nullptr;
            ::CoRegisterMessageFilter(nullptr, &filter); // taken out to be asked, then put back
            ASSERT_NE(filter, nullptr);
            const auto retries = [&](DWORD elapsedMs, DWORD type) {
                return filter->RetryRejectedCall(nullptr, elapsedMs, type) != static_cast<DWORD>(-1);
            };
            EXPECT_TRUE(retries(0, SERVERCALL_RETRYLATER) && retries(1999, SERVERCALL_REJECTED));
            EXPECT_FALSE(retries(2000, SERVERCALL_RETRYLATER));
            backend->abandon();
            EXPECT_FALSE(retries(0, SERVERCALL_RETRYLATER));
            ::CoRegisterMessageFilter(filter, nullptr);
            filter->Release();
        },
        wait, std::chrono::seconds(30));
}

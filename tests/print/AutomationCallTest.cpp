#include "AutomationCall.h"
#include "OfficeJobs.h"
#include "RecordingBackend.h"
#include "SystemAutomation.h"

#include <gtest/gtest.h>

using namespace pravik;
using pravik::test::FailWith;
using pravik::test::RecordingBackend;

namespace {

template <class F>
std::int32_t sysErrorCode(F&& f)
{
    try {
        f();
    } catch (const EOleSysError& e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST(Variant, ReadsAsInteger)
{
    EXPECT_EQ(Variant().asInteger(), 0);
    EXPECT_EQ(Variant::fromBool(true).asInteger(), -1);
    EXPECT_EQ(Variant::fromBool(false).asInteger(), 0);
    EXPECT_EQ(Variant::fromInt(-5).asInteger(), -5);
    EXPECT_EQ(Variant::fromText(" 42 ").asInteger(), 42);
    EXPECT_EQ(Variant::fromText("+3").asInteger(), 3);
    EXPECT_EQ(Variant::fromText("-2147483648").asInteger(), INT32_MIN);

    for (const char* bad : {"", " ", "abc", "12x", "1.5", "+-1", "-", "+"})
        EXPECT_EQ(sysErrorCode([&] { Variant::fromText(bad).asInteger(); }), olecode::TypeMismatch)
            << bad;
    for (const char* big : {"2147483648", "-2147483649", "99999999999999999999999"})
        EXPECT_EQ(sysErrorCode([&] { Variant::fromText(big).asInteger(); }), olecode::Overflow)
            << big;
    EXPECT_EQ(sysErrorCode([] { Variant::fromTextArray({"1"}).asInteger(); }),
              olecode::TypeMismatch);
}

TEST(Variant, ReadsAsText)
{
    EXPECT_EQ(Variant().asText(), "");
    EXPECT_EQ(Variant::fromBool(true).asText(), "True");
    EXPECT_EQ(Variant::fromBool(false).asText(), "False");
    EXPECT_EQ(Variant::fromInt(-12).asText(), "-12");
    EXPECT_EQ(Variant::fromText("\x8f\x57\x8c\x76").asText(), "\x8f\x57\x8c\x76");
    EXPECT_EQ(sysErrorCode([] { Variant::fromTextArray({}).asText(); }), olecode::TypeMismatch);
    EXPECT_EQ(sysErrorCode([] { (void)Variant::fromInt(1).text(); }), olecode::TypeMismatch);
    EXPECT_TRUE(Variant::fromObject(nullptr).isEmpty());
}

TEST(Variant, CopiesShareAnObjectAndTheLastOneReleasesIt)
{
    auto backend = std::make_shared<RecordingBackend>();
    AutomationCall automation(backend);
    Variant a = automation.createObject("Excel.Application");
    Variant b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(backend->liveObjects(), 1);
    EXPECT_EQ(sysErrorCode([&] { a.asText(); }), olecode::TypeMismatch);
    a.clear();
    EXPECT_EQ(backend->liveObjects(), 1);
    b = Variant::fromInt(1); // overwriting the last copy releases too
    EXPECT_EQ(backend->liveObjects(), 0);
}

TEST(AutomationCall, RecordsKindsArgumentsAndForms)
{
    auto backend = std::make_shared<RecordingBackend>();
    AutomationCall automation(backend);
    {
        Variant app = automation.createObject("X.App");
        automation.setProperty(app, "DisplayAlerts", Variant::fromText("False"));
        Variant items = automation.getProperty(app, "Items", {Variant::fromInt(2)});
        automation.callFunction(items, "Select");
        automation.callProcedure(app, "Quit");
        automation.execute(items, AutoCmd(CallKind::Procedure, "Go")
                                      .arg(Variant::fromText("p1"))
                                      .arg(Variant::fromBool(true))
                                      .named("B", Variant::fromInt(2))
                                      .named("A", Variant::fromTextArray({"x", "y", "z"})));
        automation.execute(app, AutoCmd(CallKind::PropertySet, "Visible").arg(app));
    }
    EXPECT_EQ(backend->lines(), (std::vector<std::string>{
                                    "create X.App",
                                    "X.App put DisplayAlerts(\"False\") short",
                                    "X.App get Items(2) short",
                                    "Items call Select() short",
                                    "X.App proc Quit() short",
                                    "Items proc Go(\"p1\", true, B:=2, A:=[\"x\",\"y\",\"z\"]) cmd",
                                    "X.App put Visible(@X.App) cmd",
                                }));
    // The array is one argument of three text elements.
    const auto& array = backend->calls()[5].named[1].second;
    EXPECT_EQ(array.typeCode, 0x200C);
    EXPECT_EQ(array.array.size(), 3u);
    EXPECT_EQ(backend->calls()[1].args[0].typeCode, 8);
    EXPECT_EQ(backend->liveObjects(), 0);
}

TEST(AutomationCall, RefusesMalformedCallsBeforeReachingTheServer)
{
    auto backend = std::make_shared<RecordingBackend>();
    AutomationCall automation(backend);
    Variant app = automation.createObject("X.App");
    const AutoCmd noValue(CallKind::PropertySet, "Visible");
    EXPECT_EQ(sysErrorCode([&] { automation.execute(app, noValue); }), olecode::BadParamCount);
    EXPECT_EQ(sysErrorCode([&] {
                  automation.execute(app, AutoCmd(CallKind::PropertySet, "Visible")
                                              .arg(Variant::fromBool(true))
                                              .arg(Variant::fromBool(true)));
              }),
              olecode::BadParamCount);
    try {
        automation.getProperty(Variant::fromText("not an object"), "Workbooks");
        FAIL();
    } catch (const EOleError& e) {
        EXPECT_EQ(e.member(), "Workbooks");
        EXPECT_NE(std::string(e.what()).find("Workbooks"), std::string::npos);
    }
    EXPECT_EQ(backend->calls().size(), 1u); // only the creation
}

TEST(AutomationCall, UnknownNamesAndServerExceptionsSurfaceByForm)
{
    auto backend = std::make_shared<RecordingBackend>();
    AutomationCall automation(backend);
    Variant app = automation.createObject("X.App");

    backend->failAtMember("Nope", FailWith::UnknownName);
    EXPECT_EQ(sysErrorCode([&] { automation.getProperty(app, "Nope"); }), olecode::UnknownName);
    backend->failAtMember("Nope", FailWith::UnknownName);
    try {
        automation.execute(app, AutoCmd(CallKind::PropertyGet, "Nope"));
        FAIL();
    } catch (const EOleError& e) {
        EXPECT_EQ(e.member(), "Nope");
    }

    backend->failAtMember("Open", FailWith::ServerException);
    EXPECT_EQ(sysErrorCode([&] { automation.callFunction(app, "Open"); }), olecode::Exception);
    // The shorthand's error keeps the server's text, and names an unknown member.
    backend->failAtMember("Open", FailWith::ServerException);
    EXPECT_THROW(
        try { automation.callFunction(app, "Open"); } catch (const EOleSysError& e) {
            EXPECT_STREQ(e.what(), "scripted exception");
            throw;
        },
        EOleSysError);
    backend->failAtMember("Nope", FailWith::UnknownName);
    EXPECT_THROW(
        try { automation.getProperty(app, "Nope"); } catch (const EOleSysError& e) {
            EXPECT_NE(std::string(e.what()).find("'Nope'"), std::string::npos);
            throw;
        },
        EOleSysError);
    backend->failAtMember("Open", FailWith::ServerException);
    try {
        automation.execute(app, AutoCmd(CallKind::Function, "Open"));
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_EQ(e.description(), "scripted exception");
        EXPECT_EQ(e.source(), "RecordingBackend");
        EXPECT_STREQ(e.what(), "scripted exception");
    }
}

TEST(AutomationErrors, MessagesForTheErrorDisplay)
{
    const Error& sys = EOleSysError(olecode::UnknownName);
    EXPECT_STREQ(sys.what(), "名前が不明です。");
    EXPECT_STREQ(EOleSysError(olecode::make(0x80004005u)).what(), "OLE エラー 80004005");
    EXPECT_STREQ(EOleSysError(1, "system text").what(), "system text");
    EXPECT_NE(std::string(EOleException("", "Excel").what()).find("Excel"), std::string::npos);
    EXPECT_NE(std::string(EOleError("PrintOut").what()).find("'PrintOut'"), std::string::npos);
}

TEST(SystemAutomation, ServesOnlyTheTwoOfficeServers)
{
    AutomationCall automation(makeSystemAutomationBackend());
    try {
        automation.createObject("PowerPoint.Application");
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.code(), olecode::ClassString);
        EXPECT_NE(std::string(e.what()).find("PowerPoint.Application"), std::string::npos);
    }
}

#ifndef _WIN32 // the office engine's own check; Windows leaves files to Office
TEST(SystemAutomation, AMissingFileFailsTheRowWithItsName)
{
    // Reported before any office is started, so this needs none.
    Settings settings;
    AutomationPrintJobs jobs(makeSystemAutomationBackend(), settings);
    PrintEntry entry;
    entry.filePath = "/nonexistent/pravik/a.xls";
    entry.copies = "1";
    try {
        jobs.printExcel(entry, PrintMode::Print);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "ファイル /nonexistent/pravik/a.xls が見つかりません");
    }
    entry.filePath = "/nonexistent/pravik/a.doc";
    EXPECT_THROW(jobs.printWord(entry, PrintMode::Print), Error);
}
#endif

// `pravik.exe --print` over COM against a test server registered as the
// office servers' local server: what the server receives must be exactly
// what the job tests expect of the jobs.
#include "ExpectedCalls.h"
#include "OfficeJobs.h"
#include "PrintEntry.h"
#include "PrintLanes.h"
#include "ListFile.h"
#include "ServerClasses.h"
#include "SystemAutomation.h"
#include "SystemPrinters.h"
#include "TextCodec.h"
#include "WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace pravik;
using namespace pravik::test;
using expected::concat;
using expected::Lines;

namespace {

// A Linux path of the build as Wine shows it.
std::wstring windowsPath(const std::string& unixPath)
{
    std::wstring path = L"Z:" + win::widen(unixPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::wstring clsidText(const CLSID& clsid)
{
    wchar_t text[40];
    ::StringFromGUID2(clsid, text, 40);
    return text;
}

void setDefault(const std::wstring& key, const std::wstring& value)
{
    HKEY handle = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &handle, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
}

// The CLSID a ProgID is registered with; empty when it is not registered.
std::wstring registeredClsid(const std::wstring& progId)
{
    wchar_t value[64] = L"";
    DWORD size = sizeof value;
    ::RegGetValueW(HKEY_CLASSES_ROOT, (progId + L"\\CLSID").c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

Lines readLines(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    Lines lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Across processes Wine's proxy always supplies a result slot, so a server
// cannot tell a procedure from a function there: both arrive as calls.
// Windows passes on that there is none.
Lines acrossProcesses(Lines lines)
{
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return lines;
    for (std::string& line : lines)
        if (const size_t at = line.find(" proc "); at != std::string::npos)
            line.replace(at, 6, " call ");
    return lines;
}

// The system's default printer; empty when there is none.
std::wstring defaultPrinter()
{
    wchar_t name[512] = L"";
    DWORD size = 512;
    return ::GetDefaultPrinterW(name, &size) ? name : L"";
}

const std::wstring kPrintersKey = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
const std::wstring kDevicesKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";

void setValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    ::RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// A printer writing to a file, as the session's test printer, that Word's
// ActivePrinter can make the default. Removed when it goes.
class FilePrinter {
public:
    explicit FilePrinter(std::wstring name) : name_(std::move(name))
    {
        setValue(HKEY_LOCAL_MACHINE, kPrintersKey + name_, L"Name", name_);
        setValue(HKEY_LOCAL_MACHINE, kPrintersKey + name_, L"Port", L"FILE:");
        setValue(HKEY_LOCAL_MACHINE, kPrintersKey + name_, L"Printer Driver", L"Wine PostScript Driver");
        setValue(HKEY_CURRENT_USER, kDevicesKey, name_.c_str(), L"winspool,FILE:");
    }
    ~FilePrinter()
    {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kPrintersKey + name_).c_str());
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDevicesKey.c_str(), name_.c_str());
    }

private:
    std::wstring name_;
};

// Without the run's own question what a server it takes holds (the only
// Count in the short form), which is not the job's.
Lines jobsCalls(Lines lines)
{
    for (auto it = lines.begin(); it != lines.end();) {
        if (!it->ends_with(" get Count() short")) {
            ++it;
            continue;
        }
        it = lines.erase(it);
        if (it != lines.begin() && (std::prev(it)->ends_with(" get Documents() short")
                                    || std::prev(it)->ends_with(" get Workbooks() short")))
            it = lines.erase(std::prev(it));
    }
    return lines;
}

size_t countOf(const Lines& lines, const std::string& part)
{
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    }));
}

// The calls each server received, in the order the servers were created.
std::vector<Lines> callsByServer(const Lines& transcript)
{
    std::vector<Lines> servers;
    for (const std::string& line : transcript) {
        if (line.starts_with("create ") || servers.empty())
            servers.emplace_back();
        servers.back().push_back(line);
    }
    return servers;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Both office servers registered as the test server, in a folder of its own.
// A machine where either ProgID belongs to another server (Office) is left
// alone: the test would unregister it.
class WholePath : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& [progId, clsid] : kServers) {
            const std::wstring registered = registeredClsid(progId);
            if (!registered.empty() && registered != clsidText(*clsid))
                GTEST_SKIP() << win::utf8Of(progId) << " is registered by another server; not replaced";
        }
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::filesystem::path(temp)
            / (L"pravik-whole-" + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::remove_all(dir_); // a killed run's, under a process id used again
        std::filesystem::create_directories(dir_);
        registerServer("Excel.Application", kTestExcelClsid, L"");
        registerServer("Word.Application", kTestWordClsid, L"");
    }
    void TearDown() override
    {
        // Only what this test registered.
        for (const auto& [progId, clsid] : kServers) {
            if (registered_ && registeredClsid(progId) == clsidText(*clsid))
                ::RegDeleteTreeW(HKEY_CLASSES_ROOT, progId);
            if (registered_)
                ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsidText(*clsid)).c_str());
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // mood: the server's moods, blank-separated (see the server).
    void registerServer(const std::string& progId, const CLSID& clsid, const std::wstring& mood)
    {
        registered_ = true;
        const std::wstring id = win::widen(progId);
        setDefault(id + L"\\CLSID", clsidText(clsid));
        setDefault(L"CLSID\\" + clsidText(clsid) + L"\\LocalServer32",
                   L"\"" + windowsPath(PRAVIK_TEST_SERVER) + L"\" " + id + L" \""
                       + transcript().wstring() + L"\" " + mood);
    }

    // A copy of the server that the user started, before any run.
    HANDLE startUserCopy()
    {
        std::wstring command = L"\"" + windowsPath(PRAVIK_TEST_SERVER) + L"\" Word.Application \""
            + (dir_ / L"user.txt").wstring() + L"\" user";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process));
        ::CloseHandle(process.hThread);
        return process.hProcess;
    }

    // The server processes started, in the order they started.
    std::vector<DWORD> serverIds() const
    {
        std::ifstream in(std::filesystem::path(transcript().wstring() + L".pids"));
        std::vector<DWORD> ids;
        for (DWORD id; in >> id;)
            ids.push_back(id);
        return ids;
    }

    // Every server process started has ended: nothing held a reference.
    bool serversEnded() const
    {
        bool ended = true;
        for (const DWORD id : serverIds()) {
            if (const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id)) {
                ended = ended && ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
                ::CloseHandle(process);
            }
        }
        return ended;
    }

    std::filesystem::path transcript() const { return dir_ / L"transcript.txt"; }

    // Runs `pravik.exe --print` over the rows; returns its exit status and
    // keeps its result lines.
    int print(const std::vector<PrintEntry>& rows, const std::wstring& options = L"")
    {
        const std::filesystem::path list = dir_ / L"rows.lst";
        writeListFile(codec::fromOsPath(list), rows);
        const std::filesystem::path output = dir_ / L"results.txt";

        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = ::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = out;
        startup.hStdInput = nullptr;
        std::wstring command
            = L"\"" + windowsPath(PRAVIK_EXE) + L"\" --print \"" + list.wstring() + L"\" " + options;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process)) {
            ::CloseHandle(out);
            ADD_FAILURE() << "pravik.exe does not start";
            return -1;
        }
        ::CloseHandle(out);
        DWORD status = 0;
        if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "pravik.exe did not end within a minute";
            ::TerminateProcess(process.hProcess, 3);
            ::WaitForSingleObject(process.hProcess, 5000);
        }
        ::GetExitCodeProcess(process.hProcess, &status);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
        // Written to a file, the lines are in the system's code page (932).
        results_.clear();
        for (const std::string& line : readLines(output))
            results_.push_back(codec::toUtf8(line));
        return static_cast<int>(status);
    }

    // The result lines' first fields.
    Lines outcomes() const
    {
        Lines found;
        for (const std::string& line : results_)
            if (line.starts_with("printed\t") || line.starts_with("failed\t"))
                found.push_back(line.substr(0, line.find('\t')));
        return found;
    }

    std::string results() const
    {
        std::string all;
        for (const std::string& line : results_)
            all += line + "\n";
        return all;
    }

    PrintEntry row(const std::string& name, const std::string& pagesOrSheets)
    {
        PrintEntry e;
        e.fileName = name;
        e.extension = name.substr(name.rfind('.') + 1);
        e.pagesOrSheets = pagesOrSheets;
        e.copies = "2";
        e.printer = printers::currentPrinterName();
        e.filePath = codec::fromOsPath(dir_ / win::widen(name));
        std::ofstream(dir_ / win::widen(name)) << "not a real document";
        return e;
    }

    static constexpr std::pair<const wchar_t*, const CLSID*> kServers[] = {
        {L"Excel.Application", &kTestExcelClsid}, {L"Word.Application", &kTestWordClsid}};
    std::filesystem::path dir_;
    bool registered_ = false;
    Lines results_;
};

} // namespace

TEST_F(WholePath, TheServersReceiveExactlyTheCallsTheJobsMake)
{
    // Word turns its first calls away. Wine 8 does not hand that back to the
    // caller (whose message filter is never asked), so here this shows only
    // that nothing is lost or sent twice; the filter is tested on its own.
    registerServer("Word.Application", kTestWordClsid, L"busy");
    const FilePrinter accounting(L"\u7D4C\u7406\u90E8\u30D7\u30EA\u30F3\u30BF"); // 経理部プリンタ
    const std::string shuukei = codec::fromUtf8("集計表");
    const PrintEntry memo = row("memo.doc", "");
    const PrintEntry book = row("book.xls", "\"Sheet1\",\"" + shuukei + "\"");
    // On a printer other than the current one, which Word is set back to.
    PrintEntry pages = row("pages.doc", "\"1-2,5\"");
    pages.printer = codec::fromUtf8("経理部プリンタ");
    const std::string current = printers::currentPrinterName();

    EXPECT_EQ(print({memo, book, pages}), 0) << results();
    EXPECT_EQ(outcomes(), (Lines{"printed", "printed", "printed"})) << results();
    // The stand-in's ActivePrinter is the system's default, as Word's is.
    const auto onCurrent = [&](Lines lines) {
        for (std::string& line : lines)
            if (const size_t at = line.find("\"Default\""); at != std::string::npos)
                line.replace(at, 9, expected::quoted(current));
        return lines;
    };
    EXPECT_EQ(jobsCalls(readLines(transcript())),
              acrossProcesses(concat(concat(onCurrent(expected::wordPrintAll(memo)),
                                            expected::excelPrintSheets(book, {"Sheet1", shuukei}, false)),
                                     onCurrent(expected::wordPrintPages(pages, "1-2,5")))));
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AHungServerIsEndedAtTheDeadlineAndTheNextRowGetsAFreshOne)
{
    registerServer("Excel.Application", kTestExcelClsid, L"hang=PrintOut");
    const PrintEntry stuck = row("stuck.xls", "\"Sheet1\"");
    const PrintEntry book = row("book.xls", "\"Sheet1\"");
    // The user's own copy, which no run may end.
    const HANDLE users = startUserCopy();

    EXPECT_EQ(print({stuck, book}, L"--timeout 3"), 1) << results();
    EXPECT_EQ(outcomes(), (Lines{"failed", "printed"})) << results();
    EXPECT_TRUE(contains(results(), "制限時間 (3 秒) 内に終わらなかった")) << results();
    const std::vector<Lines> servers = callsByServer(readLines(transcript()));
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_TRUE(contains(servers[0].back(), " PrintOut(")) << "the hung server got no call after its PrintOut";
    EXPECT_TRUE(contains(servers[1].back(), " Quit(")) << "the next row ran to its end";
    EXPECT_TRUE(serversEnded()); // the hung one too
    EXPECT_EQ(::WaitForSingleObject(users, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the user's copy was ended";
    ::TerminateProcess(users, 0);
    ::CloseHandle(users);
}

TEST_F(WholePath, AServerThatEndsInsideACallFailsItsRowAsEndedAndTheNextRowGetsAFreshOne)
{
    registerServer("Excel.Application", kTestExcelClsid, L"crash=PrintOut");
    EXPECT_EQ(print({row("crash.xls", "\"Sheet1\""), row("book.xls", "\"Sheet1\"")}), 1) << results();
    EXPECT_EQ(outcomes(), (Lines{"failed", "printed"})) << results();
    EXPECT_TRUE(contains(results(), "Excel が予期せず終了しました")) << results();
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AFailureOrAHangAfterThePrintOutLeavesTheRowPrintedWithANote)
{
    registerServer("Word.Application", kTestWordClsid, L"fail=Close:1:code");
    registerServer("Excel.Application", kTestExcelClsid, L"hang=Quit");
    EXPECT_EQ(print({row("memo.doc", ""), row("book.xls", "\"Sheet1\"")}, L"--timeout 3"), 0) << results();
    EXPECT_EQ(outcomes(), (Lines{"printed", "printed"})) << results();
    for (const std::string& line : results_) {
        if (line.starts_with("printed\t"))
            EXPECT_TRUE(contains(line, "印刷ジョブの受け付け後にエラーが発生しました")) << line;
    }
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, WordsPrinterLeavesTheDefaultPrinterAsItWasAfterFailuresAndDeadlines)
{
    const FilePrinter accounting(L"\u7D4C\u7406\u90E8\u30D7\u30EA\u30F3\u30BF"); // 経理部プリンタ
    const std::wstring before = defaultPrinter();
    ASSERT_FALSE(before.empty());
    PrintEntry hung = row("hung.doc", "");
    hung.printer = codec::fromUtf8("経理部プリンタ");
    // No WordBasic: the printer is set through ActivePrinter, which moves the default.
    registerServer("Word.Application", kTestWordClsid, L"nowordbasic hang=PrintOut fail=PrintOut:1:exception");

    EXPECT_EQ(print({hung, hung}, L"--timeout 3"), 1) << results();
    EXPECT_EQ(outcomes(), (Lines{"failed", "failed"})) << results();
    const Lines calls = readLines(transcript());
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const std::string& line) {
        return contains(line, "put ActivePrinter(\"" + codec::fromUtf8("経理部プリンタ"));
    })) << "the default was never moved";
    EXPECT_EQ(defaultPrinter(), before);
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AFailingServerFailsItsRowAndTheRunGoesOn)
{
    registerServer("Word.Application", kTestWordClsid, L"fail=Open:1:code");
    registerServer("Excel.Application", kTestExcelClsid, L"fail=PrintOut:1:exception");
    EXPECT_EQ(print({row("memo.doc", ""), row("book.xls", "\"Sheet1\"")}), 1) << results();
    EXPECT_EQ(outcomes(), (Lines{"failed", "failed"})) << results();
    EXPECT_TRUE(contains(results(), "scripted exception")) << results();

    const std::vector<Lines> servers = callsByServer(readLines(transcript()));
    ASSERT_EQ(servers.size(), 2u);
    for (const Lines& calls : servers)
        EXPECT_TRUE(contains(calls.back(), " Quit(")) << "a failed job's server is told to quit: " << calls.back();
    EXPECT_TRUE(serversEnded()); // every object released after the failures
}

TEST_F(WholePath, AServerStuckInItsStartIsEndedAndTheRestOfItsRowsFailAtOnce)
{
    registerServer("Word.Application", kTestWordClsid, L"nostart");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(print({row("first.doc", ""), row("second.doc", ""), row("book.xls", "\"Sheet1\"")}, L"--timeout 3"), 1)
        << results();
    // Wine's activation gives up on a server that never registers only after
    // 30 seconds, even once the server has been ended.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(45)) << results();
    EXPECT_EQ(outcomes(), (Lines{"failed", "failed", "printed"})) << results();
    EXPECT_TRUE(contains(results(), "Word を一度手動で起動")) << results();
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AServerSlowToStartIsWaitedFor)
{
    registerServer("Word.Application", kTestWordClsid, L"slowstart=4");
    EXPECT_EQ(print({row("memo.doc", "")}, L"--timeout 20"), 0) << results();
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AnOfficeWithOtherDocumentsOpenIsHandedToTheUserNotQuitNorEnded)
{
    // Word stays when let go of, as one the user works in does.
    registerServer("Word.Application", kTestWordClsid, L"documents=2 linger");
    registerServer("Excel.Application", kTestExcelClsid, L"documents=1");
    EXPECT_EQ(print({row("memo.doc", ""), row("book.xls", "\"Sheet1\"")}), 0) << results();
    for (const Lines& calls : callsByServer(readLines(transcript()))) {
        EXPECT_TRUE(std::none_of(calls.begin(), calls.end(), [](const std::string& line) {
            return contains(line, " Quit(");
        }));
        EXPECT_TRUE(contains(calls.back(), "put Visible(")) << calls.back();
    }
    const HANDLE word = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, serverIds().at(0));
    EXPECT_EQ(::WaitForSingleObject(word, 7000), static_cast<DWORD>(WAIT_TIMEOUT)) << "the user's Word was ended";
    ::TerminateProcess(word, 0);
    ::CloseHandle(word);
}

TEST_F(WholePath, AFailedJobsOfficeThatDoesNotQuitIsEndedAMomentLater)
{
    registerServer("Word.Application", kTestWordClsid, L"fail=Open:1:code linger");
    EXPECT_EQ(print({row("memo.doc", "")}), 1) << results();
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, ARowOnAPrinterTheSpoolerDoesNotListFailsBeforeAnyServerStarts)
{
    PrintEntry memo = row("memo.doc", "");
    PrintEntry book = row("book.xls", "\"Sheet1\"");
    memo.printer = book.printer = codec::fromUtf8("撤去済みのプリンタ");
    EXPECT_EQ(print({memo, book}), 1) << results();
    EXPECT_EQ(outcomes(), (Lines{"failed", "failed"})) << results();
    EXPECT_TRUE(contains(results(), "プリンター 撤去済みのプリンタ が見つかりません")) << results();
    EXPECT_TRUE(serverIds().empty());
}

TEST_F(WholePath, TheNextRowsServerStartsWhileARowPrintsAndNoServerStartsBeyondTheRows)
{
    // Each print outlasts a start (Wine answers an activation within a second).
    registerServer("Word.Application", kTestWordClsid, L"print=1500");
    EXPECT_EQ(print({row("a.doc", ""), row("b.doc", ""), row("c.doc", "")}), 0) << results();
    EXPECT_EQ(outcomes(), (Lines{"printed", "printed", "printed"})) << results();
    EXPECT_EQ(serverIds().size(), 3u);
    const Lines calls = readLines(transcript());
    const auto secondCreate = std::find_if(calls.begin() + 1, calls.end(),
                                           [](const std::string& line) { return line.starts_with("create "); });
    const auto firstQuit
        = std::find_if(calls.begin(), calls.end(), [](const std::string& line) { return contains(line, " Quit("); });
    EXPECT_LT(secondCreate, firstQuit) << "the second row's server started only after the first row";
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, ServersStartedTogetherAreToldApartSoThatEachOneThatStaysIsEnded)
{
    // While a row's server works, the next two rows' start together: two new
    // processes of one executable, each of which must be found as its own
    // server's (Word by its caption, Excel by its window) to be ended when it
    // stays after its failed row.
    registerServer("Word.Application", kTestWordClsid, L"start=500 fail=Open:1:code linger");
    registerServer("Excel.Application", kTestExcelClsid, L"start=500 fail=Open:1:code linger");
    EXPECT_EQ(print({row("a.doc", ""), row("b.doc", ""), row("c.doc", ""), row("d.xls", "\"Sheet1\""),
                     row("e.xls", "\"Sheet1\""), row("f.xls", "\"Sheet1\"")}),
              1)
        << results();
    EXPECT_EQ(outcomes(), (Lines(6, "failed"))) << results();
    EXPECT_EQ(serverIds().size(), 6u);
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AServerStartedForARowThatFailsBeforeTakingItIsToldToQuit)
{
    PrintEntry gone = row("gone.doc", "");
    gone.printer = codec::fromUtf8("撤去済みのプリンタ");
    registerServer("Word.Application", kTestWordClsid, L"print=1500");
    EXPECT_EQ(print({row("memo.doc", ""), gone}), 1) << results();
    EXPECT_EQ(outcomes(), (Lines{"printed", "failed"})) << results();
    ASSERT_EQ(serverIds().size(), 2u);
    const Lines calls = readLines(transcript());
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& line) { return contains(line, "Open("); }), 1);
    EXPECT_TRUE(contains(calls.back(), " Quit(")) << calls.back();
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AServerStartedAheadThatTheUserLandedInIsLeftToThemAndItsRowGetsAFreshOne)
{
    // The second server, started while the first row prints, gets a
    // document of the user's before the second row takes it.
    registerServer("Word.Application", kTestWordClsid, L"print=1500 userlands=300");
    EXPECT_EQ(print({row("a.doc", ""), row("b.doc", "")}), 0) << results();
    EXPECT_EQ(outcomes(), (Lines{"printed", "printed"})) << results();
    ASSERT_EQ(serverIds().size(), 3u) << "no fresh server for the second row";
    const Lines calls = readLines(transcript());
    EXPECT_EQ(countOf(calls, "Open("), 2u);
    EXPECT_EQ(countOf(calls, " Quit("), 2u) << "the user's Word was told to quit";
    EXPECT_EQ(countOf(calls, "put Visible(true)"), 1u) << "the user's Word was not shown to them";
    const HANDLE users = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, serverIds().at(1));
    EXPECT_EQ(::WaitForSingleObject(users, 7000), static_cast<DWORD>(WAIT_TIMEOUT)) << "the user's Word was ended";
    ::TerminateProcess(users, 0);
    ::CloseHandle(users);
}

TEST_F(WholePath, AServerStartedAheadForARowThatFailedIsLeftToTheUserWhoLandedInIt)
{
    PrintEntry gone = row("gone.doc", "");
    gone.printer = codec::fromUtf8("撤去済みのプリンタ");
    registerServer("Word.Application", kTestWordClsid, L"print=1500 userlands=300");
    EXPECT_EQ(print({row("memo.doc", ""), gone}), 1) << results();
    ASSERT_EQ(serverIds().size(), 2u);
    const Lines calls = readLines(transcript());
    EXPECT_EQ(countOf(calls, " Quit("), 1u) << "the user's Word was told to quit";
    EXPECT_EQ(countOf(calls, "put Visible(true)"), 1u) << "the user's Word was not shown to them";
    const HANDLE users = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, serverIds().at(1));
    EXPECT_EQ(::WaitForSingleObject(users, 7000), static_cast<DWORD>(WAIT_TIMEOUT)) << "the user's Word was ended";
    ::TerminateProcess(users, 0);
    ::CloseHandle(users);
}

TEST_F(WholePath, AServerWhoseCreationFailedIsEndedNotLeftRunning)
{
    registerServer("Word.Application", kTestWordClsid, L"refuse");
    EXPECT_EQ(print({row("memo.doc", "")}), 1) << results();
    EXPECT_EQ(serverIds().size(), 2u) << "a failed start is tried once more";
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, RunsOnAWorkerThatStaysAsTheWindowsDoesLeaveNoServerRunning)
{
    // The main window keeps its office thread, and with it the apartment,
    // from one run to the next: nothing a run leaves held is let go of then.
    const std::shared_ptr<AutomationBackend> backend = makeSystemAutomationBackend();
    AutomationWorker worker(backend);
    BlockingWait wait;
    const Settings settings;
    const std::vector<PrintEntry> rows{row("a.doc", ""), row("b.doc", "\"1\""), row("c.xls", "\"Sheet1\"")};
    for (int run = 0; run < 2; ++run) {
        AutomationPrintJobs direct(backend, settings);
        PrintLanes jobs(direct, worker, 1, {}, wait, std::chrono::seconds(30));
        for (size_t i = 0; i < rows.size(); ++i) {
            jobs.expectAfter({rows.begin() + static_cast<std::ptrdiff_t>(i) + 1, rows.end()});
            if (rows[i].extension == "xls")
                jobs.printExcel(rows[i], PrintMode::Print);
            else
                jobs.printWord(rows[i], PrintMode::Print);
        }
    }
    EXPECT_EQ(serverIds().size(), 6u);
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, AFillInFieldIsLockedSoTheRowPrintsInsteadOfWaitingForItsDeadline)
{
    registerServer("Word.Application", kTestWordClsid, L"fillin");
    EXPECT_EQ(print({row("fillin.doc", "")}, L"--timeout 20"), 0) << results();
    EXPECT_EQ(outcomes(), (Lines{"printed"})) << results();
    EXPECT_TRUE(contains(results(), "FILLIN")) << results();
    EXPECT_TRUE(serversEnded());
}

TEST_F(WholePath, TheDefaultPrinterWindowsMovesToEachJobsPrinterIsPutBack)
{
    registerServer("Word.Application", kTestWordClsid, L"managesdefault");
    registerServer("Excel.Application", kTestExcelClsid, L"managesdefault");
    const FilePrinter accounting(L"\u7D4C\u7406\u90E8\u30D7\u30EA\u30F3\u30BF"); // 経理部プリンタ
    const std::string before = printers::currentPrinterName();
    PrintEntry memo = row("memo.doc", "");
    PrintEntry book = row("book.xls", "\"Sheet1\"");
    memo.printer = book.printer = codec::fromUtf8("経理部プリンタ");
    EXPECT_EQ(print({memo, book}), 0) << results();
    EXPECT_EQ(outcomes(), (Lines{"printed", "printed"})) << results();
    EXPECT_EQ(printers::currentPrinterName(), before);
}

TEST_F(WholePath, GoneOrEmptyFilesAndEmptySheetsReachNoPrintOut)
{
    registerServer("Excel.Application", kTestExcelClsid, L"emptysheet");
    const PrintEntry gone = row("gone.doc", "");
    std::filesystem::remove(dir_ / L"gone.doc");
    const PrintEntry empty = row("empty.xls", "\"Sheet1\"");
    std::ofstream(dir_ / L"empty.xls", std::ios::trunc).close();
    EXPECT_EQ(print({gone, empty, row("blank.xls", "\"Sheet1\""), row("memo.doc", "")}), 1) << results();
    Lines rows; // standard error's lines left out
    std::copy_if(results_.begin(), results_.end(), std::back_inserter(rows), [](const std::string& line) {
        return line.starts_with("printed\t") || line.starts_with("failed\t") || line.starts_with("skipped\t");
    });
    ASSERT_EQ(rows.size(), 4u) << results();
    EXPECT_TRUE(rows[0].starts_with("failed\t") && contains(rows[0], "が見つかりません")) << results();
    for (size_t i : {1u, 2u})
        EXPECT_TRUE(rows[i].starts_with("skipped\t") && contains(rows[i], "印刷するものがありません")) << results();
    EXPECT_TRUE(rows[3].starts_with("printed\t")) << results();
    const Lines calls = readLines(transcript());
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& line) { return contains(line, "Open("); }), 2);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& line) { return contains(line, "PrintOut("); }), 1);
    EXPECT_TRUE(serversEnded());
}

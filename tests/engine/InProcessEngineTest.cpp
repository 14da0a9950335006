// The engine used from within the program, as the entry editor and the
// windows use it: sheet discovery and previews.
#include "EngineSession.h"
#include "OfficeEngine.h"
#include "OfficeJobs.h"
#include "SystemAutomation.h"
#include "TextCodec.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace pravik::test {
namespace {

using namespace pravik::office;

class InProcessEngine : public ::testing::Test {
protected:
    void SetUp() override { EngineSession::get(); }
    void TearDown() override
    {
        setIdleHook({});
        shutdownEngines();
    }

    AutomationCall automation{makeSystemAutomationBackend()};
};

std::vector<CheckItem> discover(AutomationCall& automation, const std::string& docName,
                                const std::string& stored)
{
    CheckItems list;
    LoadSheetNames(list, codec::fromUtf8(EngineSession::get().doc(docName)), codec::fromUtf8(stored),
                   automation);
    for (CheckItem& item : list.items)
        item.name = codec::toUtf8(item.name);
    return list.items;
}

TEST_F(InProcessEngine, SheetDiscoveryListsTheSheetsInWorkbookOrder)
{
    const std::vector<CheckItem> expected = {
        {"First", false}, {"Second", false}, {"集計 表", true}, {"Q1, Sales", true}};
    EXPECT_EQ(discover(automation, "売上 集計.xls", "\"Q1, Sales\",\"集計 表\",\"Gone\""), expected);
    // Again on the warm engine, from the template.
    EXPECT_EQ(discover(automation, "sheets.xlt", "\"集計 表\",\"Q1, Sales\""), expected);
}

TEST_F(InProcessEngine, SheetDiscoveryRefusesADocumentThatIsNoWorkbook)
{
    try {
        discover(automation, "pages.doc", "");
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_NE(std::string(error.what()).find("Excel のブックではありません"), std::string::npos)
            << error.what();
    }
}

TEST_F(InProcessEngine, HiddenSheetsAreNeitherOfferedNorPrinted)
{
    EXPECT_EQ(discover(automation, "hidden.xls", "\"Secret\""), (std::vector<CheckItem>{{"Shown", false}}));
    PrintEntry hidden = row("hidden.xls", "\"Shown\",\"Secret\"", "1", "nowhere");
    try {
        PrintExcelFile(hidden, PrintMode::Print, Settings{}, automation);
        FAIL() << "a hidden sheet was printed";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "シート 'Secret' は非表示のため印刷できません");
    }
}

// The preview office's frames that show a document, in preview or not.
struct Shown {
    int documents = 0;
    int previews = 0;
};

Shown shownInPreviewEngine()
{
    Shown shown;
    const Reference<css::container::XIndexAccess> frames(previewEngine().desktop()->getFrames(),
                                                         UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < frames->getCount(); ++i) {
        try {
            const Reference<css::frame::XFrame> frame(frames->getByIndex(i), UNO_QUERY);
            const Reference<css::lang::XServiceInfo> info(frame->getController(), UNO_QUERY);
            const rtl::OUString name = info.is() ? info->getImplementationName() : rtl::OUString();
            ++shown.documents;
            // The preview replaces the document's ordinary view.
            if (name != "ScTabViewObj" && name != "SwXTextView")
                ++shown.previews;
        } catch (const css::uno::Exception&) {
            // A window closing at this moment (its own listener closes it).
        }
    }
    return shown;
}

void dispatchToEveryFrame(const char* command)
{
    const Reference<css::container::XIndexAccess> frames(previewEngine().desktop()->getFrames(),
                                                         UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < frames->getCount(); ++i) {
        const Reference<css::frame::XDispatchProvider> frame(frames->getByIndex(i), UNO_QUERY);
        css::frame::DispatchHelper::create(previewEngine().context())
            ->executeDispatch(frame, rtl::OUString::createFromAscii(command), "", 0, {});
    }
}

void closeEveryFrame()
{
    const Reference<css::container::XIndexAccess> frames(previewEngine().desktop()->getFrames(),
                                                         UNO_QUERY_THROW);
    for (sal_Int32 i = frames->getCount() - 1; i >= 0; --i) {
        const Reference<css::util::XCloseable> frame(frames->getByIndex(i), UNO_QUERY_THROW);
        frame->close(true);
    }
}

TEST_F(InProcessEngine, AnExcelPreviewReturnsWhenTheUserClosesIt)
{
    if (EngineSession::get().display.empty())
        GTEST_SKIP() << "no virtual display";
    Shown whileWaiting;
    int polls = 0;
    setIdleHook([&] {
        // Runs while the preview waits for the user (and while the office
        // starts, which is not counted).
        if (!previewEngine().ready())
            return;
        // The user looks for a moment, then closes the preview.
        if (++polls == 5) {
            whileWaiting = shownInPreviewEngine();
            dispatchToEveryFrame(".uno:ClosePreview");
        }
    });
    const Settings settings;
    PrintExcelFile(row("sheets.xls", "\"Second\"", "1", ""), PrintMode::Preview, settings, automation);

    EXPECT_EQ(whileWaiting.documents, 1);
    EXPECT_EQ(whileWaiting.previews, 1);
    EXPECT_EQ(shownInPreviewEngine().documents, 0); // closed with Excel

    // Closing the whole window ends the preview too.
    polls = 0;
    setIdleHook([&] {
        if (++polls == 5)
            closeEveryFrame();
    });
    PrintExcelFile(row("sheets.xls", "", "1", ""), PrintMode::Preview, settings, automation);
    EXPECT_GE(polls, 5);
    EXPECT_EQ(shownInPreviewEngine().documents, 0);
}

TEST_F(InProcessEngine, AWordPreviewStaysOpenForTheUser)
{
    if (EngineSession::get().display.empty())
        GTEST_SKIP() << "no virtual display";
    const PdfQueue queue("word_preview");
    PrintWordFile(row("pages.doc", "", "1", queue.name()), PrintMode::Preview, automation);
    PrintWordFile(row("template.dot", "", "1", queue.name()), PrintMode::Preview, automation);

    const Shown shown = shownInPreviewEngine();
    EXPECT_EQ(shown.documents, 2);
    EXPECT_EQ(shown.previews, 2);

    // The console run waits for the user to close them.
    int polls = 0;
    setIdleHook([&] {
        if (previewEngine().ready() && ++polls == 3)
            closeEveryFrame();
    });
    waitUntilPreviewsClosed();
    EXPECT_GE(polls, 3);
}

TEST_F(InProcessEngine, LeavingAWordPreviewClosesItsWindowAndLeavesNoStartScreen)
{
    if (EngineSession::get().display.empty())
        GTEST_SKIP() << "no virtual display";
    const PdfQueue queue("word_preview_closed");
    PrintWordFile(row("pages.doc", "", "1", queue.name()), PrintMode::Preview, automation);
    ASSERT_EQ(shownInPreviewEngine().previews, 1);

    dispatchToEveryFrame(".uno:ClosePreview"); // the preview's own button
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (shownInPreviewEngine().documents > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(shownInPreviewEngine().documents, 0) << "a document window or the start screen stayed";
}

TEST_F(InProcessEngine, APreviewOfficeThatDiedIsReplacedForTheNextPreview)
{
    if (EngineSession::get().display.empty())
        GTEST_SKIP() << "no virtual display";
    const PdfQueue queue("revived_preview");
    PrintWordFile(row("pages.doc", "", "1", queue.name()), PrintMode::Preview, automation);
    const int before = previewEngine().generation();

    previewEngine().abandon(); // as if it crashed
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    EXPECT_NO_THROW(PrintWordFile(row("template.dot", "", "1", queue.name()), PrintMode::Preview, automation));
    EXPECT_NE(previewEngine().generation(), before);
    EXPECT_EQ(shownInPreviewEngine().previews, 1);
    closeEveryFrame();
}

} // namespace
} // namespace pravik::test

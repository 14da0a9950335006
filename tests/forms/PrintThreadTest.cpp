#include "GatedBackend.h"
#include "MainWindowFixture.h"
#include "PrintListModel.h"
#include "UEdit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <atomic>

namespace pravik::test {
namespace {

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class PrintThreadTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dialogs;
    std::shared_ptr<GatedBackend> backend = std::make_shared<GatedBackend>();
    std::unique_ptr<TFmMain> window;
    std::unique_ptr<TFmDialog> progress;

    void SetUp() override
    {
        writeBytes(dir.file("main.ini"), designedIni);
        MainServices services{[] { return std::string("Office Printer"); },
                              [] { return std::vector<std::string>{"Office Printer"}; }, backend};
        window = std::make_unique<TFmMain>(dialogs, dir.path().string(), services);
        progress = std::make_unique<TFmDialog>(window->abortFlag);
        window->setProgressDialog(progress.get());
        window->show();
        window->printList().replaceAll({entry("a.doc"), entry("b.doc"), entry("c.doc")});
        window->listView()->selectAll();
    }

    // Runs `during` on the GUI thread once the first job is held inside the
    // backend, then lets the job go on.
    void printWhileHeld(const std::function<void()>& during)
    {
        backend->holdNextCreation();
        QTimer poll;
        bool done = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done || !backend->holding())
                return;
            done = true;
            during();
            backend->openGate();
        });
        poll.start(5);
        dialogs.answers = {true};
        window->PrintFiles(0);
        EXPECT_TRUE(done) << "the GUI thread never ran while the job was held";
    }
};

TEST_F(PrintThreadTest, WhileAJobRunsTheWindowsLiveAndAbortGivesUpTheRowNotYetSentAndTheRest)
{
    PaintCounter counter;
    progress->installEventFilter(&counter);
    TFmEdit editor(*window);
    window->setEntryEditor(&editor);
    editor.show();
    bool editorEnabledDuringJob = true;
    bool enabledDuringJob = true;
    bool closedDuringJob = true;

    printWhileHeld([&] {
        enabledDuringJob = window->isEnabled();
        editorEnabledDuringJob = editor.isEnabled();
        closedDuringJob = window->close();
        const int before = counter.paints;
        progress->update();
        QCoreApplication::processEvents();
        EXPECT_GT(counter.paints, before) << "the progress dialog did not repaint";
        EXPECT_TRUE(progress->isEnabled());
        progress->findChild<QPushButton*>("btnAbort")->click();
    });

    EXPECT_FALSE(enabledDuringJob);
    EXPECT_FALSE(editorEnabledDuringJob) << "only the progress dialog takes input during a run";
    EXPECT_TRUE(editor.isEnabled());
    EXPECT_FALSE(closedDuringJob) << "a close request during a run is ignored";
    EXPECT_TRUE(window->isVisible());
    int creations = 0;
    for (const RecordedCall& call : backend->recording->calls())
        creations += call.create ? 1 : 0;
    // Held in its server's start, the row in hand was given up at the click.
    EXPECT_EQ(creations, 0) << "a row went on after the abort";
    EXPECT_EQ(backend->threads().size(), 1u);
    EXPECT_EQ(backend->threads().count(std::this_thread::get_id()), 0u);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << "a stop is no error";
    EXPECT_EQ(dialogs.reports,
              QStringList{QStringLiteral("中止したため、残りの 3 件は印刷していません。\na.doc\nb.doc\nc.doc")});
    const PrintListModel& model = *window->listModel();
    EXPECT_EQ(model.outcome(0)->kind, RowOutcome::Kind::NotReached);
    EXPECT_EQ(model.outcome(2)->kind, RowOutcome::Kind::NotReached);
    EXPECT_EQ(model.rowsToReprint(), (std::vector<size_t>{0, 1, 2}));
}

TEST_F(PrintThreadTest, AShortRunThatPrintedEverythingSaysHowManyInTheStatusBarAlone)
{
    dialogs.answers = {true};
    window->PrintFiles(0);
    EXPECT_EQ(window->statusText(), QStringLiteral("3 件のファイルを印刷しました"));
    EXPECT_TRUE(dialogs.reports.isEmpty()) << "a message only for a run long enough to be left alone";
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

// A server of which several may run side by side.
class ParallelBackend : public GatedBackend {
public:
    int parallelInstances() const override { return 8; }
};

TEST_F(PrintThreadTest, WithSeveralOfficesEveryRowPrintsOnceAwayFromTheWindowsThread)
{
    writeBytes(dir.file("main.ini"), designedIni + "[OFFICE]\r\nENGINES=3\r\n");
    auto first = std::make_shared<ParallelBackend>();
    std::vector<std::shared_ptr<ParallelBackend>> lanes{first};
    MainServices services{[] { return std::string("Office Printer"); },
                          [] { return std::vector<std::string>{"Office Printer"}; }, first};
    // The first office holds its row until a second office is made: instant
    // rows would otherwise all go to the first, free again at once.
    first->holdNextCreation();
    services.laneAutomation = [&lanes, first](int) {
        first->openGate();
        return lanes.emplace_back(std::make_shared<ParallelBackend>());
    };
    TFmMain several(dialogs, dir.path().string(), services);
    several.printList().replaceAll({entry("a.doc"), entry("b.doc"), entry("c.doc"), entry("d.doc")});
    several.listView()->selectAll();
    dialogs.answers = {true};
    several.PrintFiles(0);

    EXPECT_GT(lanes.size(), 1u) << "the run used one office";
    int creations = 0;
    for (const std::shared_ptr<ParallelBackend>& lane : lanes) {
        for (const RecordedCall& call : lane->recording->calls())
            creations += call.create ? 1 : 0;
        EXPECT_EQ(lane->threads().count(std::this_thread::get_id()), 0u);
    }
    EXPECT_EQ(creations, 4);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
}

} // namespace
} // namespace pravik::test

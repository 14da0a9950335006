#include "Dropdst.h"
#include "Error.h"
#include "NativePath.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace pravik;

namespace {

bool dropFile(QWidget* target, const QString& path, QPoint at = {3, 4})
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents(); // the files are handled after the drop
    return drop.isAccepted();
}

struct Drops {
    std::vector<std::vector<std::string>> files;
    std::vector<QPoint> points;
    void connect(TDropDst& hook)
    {
        hook.OnFileDrop = [this](TDropDst*, const std::vector<std::string>& dropped, int x, int y) {
            files.push_back(dropped);
            points.emplace_back(x, y);
        };
    }
};

// A widget whose native window the test can destroy and create again, as
// the window system does when a window's style changes.
class RecreatableEdit : public QLineEdit {
public:
    using QWidget::create;
    using QWidget::destroy;
};

} // namespace

TEST(DropHook, ReportsFilesAndThePointInTheControlsCoordinates)
{
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* list = new QTableView;
    layout->addWidget(list);
    form.show();
    TDropDst hook(&form);
    Drops drops;
    drops.connect(hook);
    hook.SetControl(list);

    EXPECT_TRUE(list->viewport()->acceptDrops());
    dropFile(list->viewport(), "/a.doc", {10, 20});
    ASSERT_EQ(drops.files.size(), 1u);
    EXPECT_EQ(drops.files[0], std::vector<std::string>{test::nativePath("/a.doc")});
    EXPECT_EQ(drops.points[0], list->viewport()->mapTo(list, QPoint(10, 20)));
}

TEST(DropHook, DropsAreTakenAsCopyOrLinkAndHandledAfterTheDropReturns)
{
    QTableView list;
    TDropDst hook;
    Drops drops;
    drops.connect(hook);
    hook.SetControl(&list);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/a.doc")});
    struct Case {
        Qt::DropActions possible;
        bool accepted;
        Qt::DropAction taken;
    };
    // Shift proposes a move wherever a move is possible.
    for (const Case& c : {Case{Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, true, Qt::CopyAction},
                          Case{Qt::MoveAction | Qt::LinkAction, true, Qt::LinkAction},
                          Case{Qt::MoveAction, false, Qt::MoveAction}}) {
        QDragEnterEvent enter({3, 4}, c.possible, &data, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(list.viewport(), &enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted);
        QDropEvent drop({3, 4}, c.possible, &data, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(list.viewport(), &drop);
        EXPECT_EQ(drop.isAccepted(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(enter.dropAction(), c.taken);
            EXPECT_EQ(drop.dropAction(), c.taken);
        }
    }
    EXPECT_TRUE(drops.files.empty()); // nothing runs inside the drop
    QCoreApplication::processEvents();
    EXPECT_EQ(drops.files.size(), 2u);
}

TEST(DropHook, AcceptDropSwitchesAcceptance)
{
    QTableView list;
    TDropDst hook;
    Drops drops;
    drops.connect(hook);
    hook.SetControl(&list);
    hook.SetAcceptDrop(false);
    EXPECT_FALSE(list.viewport()->acceptDrops());
    dropFile(list.viewport(), "/a.doc");
    EXPECT_TRUE(drops.files.empty());
    hook.SetAcceptDrop(true);
    EXPECT_TRUE(list.viewport()->acceptDrops());
    dropFile(list.viewport(), "/a.doc");
    EXPECT_EQ(drops.files.size(), 1u);
}

TEST(DropHook, RecreatedNativeWindowStillAcceptsDrops)
{
    RecreatableEdit edit;
    edit.show();
    TDropDst hook;
    Drops drops;
    drops.connect(hook);
    hook.SetControl(&edit);
    edit.winId();
    edit.destroy();
    edit.create();
    edit.show();
    EXPECT_TRUE(edit.acceptDrops());
    dropFile(&edit, "/a.doc");
    EXPECT_EQ(drops.files.size(), 1u);
}

TEST(DropHook, MovingTheHookGivesTheFirstControlBackItsOwnHandling)
{
    QLineEdit first, second;
    TDropDst hook;
    Drops drops;
    drops.connect(hook);
    hook.SetControl(&first);
    hook.SetControl(&second);
    dropFile(&first, "/first.doc");
    dropFile(&second, "/second.doc");
    ASSERT_EQ(drops.files.size(), 1u);
    EXPECT_EQ(drops.files[0][0], test::nativePath("/second.doc"));
}

TEST(DropHook, ControlDestroyedBeforeTheHookLeavesNothingDangling)
{
    auto hook = std::make_unique<TDropDst>();
    auto edit = std::make_unique<QLineEdit>();
    hook->SetControl(edit.get());
    edit.reset();
    EXPECT_EQ(hook->hookedControl(), nullptr);
    EXPECT_NO_THROW(hook.reset());
}

TEST(DropHook, FormTargetHooksTheWindowThatHoldsTheControl)
{
    QWidget form;
    auto* edit = new QLineEdit(&form);
    TDropDst hook;
    hook.SetControl(edit);
    hook.SetTarget(htForm);
    EXPECT_EQ(hook.hookedControl(), &form);
    EXPECT_TRUE(form.acceptDrops());

    TDropDst orphan;
    try {
        orphan.SetTarget(htForm);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "フック先を特定できません。");
    }
}

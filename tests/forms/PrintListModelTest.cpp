#include "PrintListModel.h"
#include "FileExistence.h"
#include "TempDir.h"
#include "ListFile.h"
#include "RowOrder.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

using namespace pravik;

namespace {
PrintEntry entry(const std::string& name)
{
    return {name, "memo", "", "xls", "2", "P", "/nowhere/" + name};
}
} // namespace

TEST(PrintListModel, FollowsEveryChangeOfTheList)
{
    PrintList list;
    PrintListModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    list.replaceAll({entry("a.xls"), entry("b.xls")});
    list.appendAll({entry("c.xls")});
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 7);
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), QStringLiteral("c.xls"));
    EXPECT_EQ(model.data(model.index(0, 6)).toString(), QStringLiteral("/nowhere/a.xls"));

    list.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(resets.count(), 2);
}

TEST(PrintListModel, ShowsShiftJisTextAndTheDesignedHeadings)
{
    PrintList list;
    PrintListModel model(list);
    list.appendAll({entry("\x8f\x57\x8c\x76\x95\x5C.xls")}); // 集計表.xls
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("集計表.xls"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("印刷ページ（Word） シート（Excel）"));
    EXPECT_EQ(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("部数"));
}

TEST(PrintListModel, RowIconOnlyWhileTheDocumentExists)
{
    pravik::test::TempDir dir;
    pravik::test::writeBytes(dir.file("here.xls"), "x");
    PrintList list;
    PrintListModel model(list);
    QSignalSpy iconChanges(&model, &QAbstractItemModel::dataChanged);
    list.replaceAll({{"here.xls", "", "", "xls", "1", "P", dir.file("here.xls")}, entry("gone.xls")});
    const auto icon = [&](int row, int column = 0) {
        return model.data(model.index(row, column), Qt::DecorationRole).isValid();
    };
    icon(0), icon(1); // painted: the checks start
    ASSERT_TRUE(iconChanges.wait());
    EXPECT_TRUE(icon(0));
    EXPECT_FALSE(icon(1));
    EXPECT_FALSE(icon(0, 1));

    // A file deleted outside loses its icon at the next check.
    std::filesystem::remove(dir.file("here.xls"));
    model.fileExistence().refresh();
    ASSERT_TRUE(iconChanges.wait());
    EXPECT_FALSE(icon(0));
}

TEST(PrintListModel, PaintingNeverWaitsForTheDisk)
{
    PrintList list;
    PrintListModel model(list);
    // A check that hangs, as on an unreachable network folder, until released.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // Shared with the checking thread, which may outlive the test.
    auto checkedOn = std::make_shared<std::promise<std::thread::id>>();
    auto firstCheck = std::make_shared<std::once_flag>();
    model.fileExistence().setProbe([checkedOn, firstCheck, released](const std::string&) {
        std::call_once(*firstCheck, [&] { checkedOn->set_value(std::this_thread::get_id()); });
        released.wait();
        return false;
    });
    list.replaceAll({entry("far.xls")});
    QSignalSpy iconChanges(&model, &QAbstractItemModel::dataChanged);

    EXPECT_TRUE(model.data(model.index(0, 0), Qt::DecorationRole).isValid()); // not known yet
    EXPECT_NE(checkedOn->get_future().get(), std::this_thread::get_id());
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::DecorationRole).isValid()); // still waiting
    release.set_value();
    ASSERT_TRUE(iconChanges.wait());
    EXPECT_EQ(iconChanges.at(0).at(2).value<QList<int>>(),
              (QList<int>{Qt::DecorationRole, Qt::ForegroundRole, Qt::ToolTipRole}));
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    // The whole row says that its file has gone.
    EXPECT_EQ(model.data(model.index(0, 3), Qt::ForegroundRole).value<QColor>(), QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::ToolTipRole).toString().contains(QStringLiteral("ファイルが見つかりません")));
}

TEST(PrintListModel, SelectionFollowsRowsThroughRemovesMovesAndSorts)
{
    PrintList list;
    PrintListModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QItemSelectionModel selection(&model);
    list.replaceAll({entry("e.xls"), entry("d.xls"), entry("c.xls"), entry("b.xls"), entry("a.xls")});
    const QPersistentModelIndex d = model.index(1, 0);
    selection.select(model.index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows); // b.xls

    list.reorder(orderByColumn(list.rows(), 0));
    EXPECT_EQ(d.row(), 3);
    EXPECT_TRUE(selection.isRowSelected(1, {})); // b.xls, now second

    list.removeRows({0, 2}); // a.xls and c.xls, with a kept row between them
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(d.row(), 1);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("b.xls"));
    EXPECT_TRUE(selection.isRowSelected(0, {}));
    EXPECT_EQ(selection.selectedRows().size(), 1);

    list.removeRows({1});
    EXPECT_FALSE(d.isValid());
}

TEST(PrintListModel, ARowIsMarkedForThePrinterItLacksOnlyOnceThePrintersAreKnown)
{
    pravik::test::TempDir dir;
    pravik::test::writeBytes(dir.file("here.xls"), "x");
    PrintList list;
    PrintListModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    list.replaceAll({{"here.xls", "", "", "xls", "1", "P", dir.file("here.xls")}});
    const auto tip = [&] { return model.data(model.index(0, 5), Qt::ToolTipRole).toString(); };
    EXPECT_EQ(tip(), QStringLiteral("P")) << "printers not known yet";

    model.setInstalledPrinters({"Q"});
    EXPECT_EQ(tip(), QStringLiteral("P\nこのままでは印刷できません:\nプリンター P が見つかりません"));
    model.setInstalledPrinters({"p"});
    EXPECT_EQ(tip(), QStringLiteral("P")) << "letter case aside";
}

TEST(PrintListModel, OutcomesOfARunMoveWithTheirRowsAndGoOnlyWithTheirRowsEditOrRemoval)
{
    PrintList list;
    PrintListModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    list.replaceAll({entry("a.xls"), entry("b.xls"), entry("c.xls")});
    model.showOutcomes({{0, RowOutcome::Kind::Printed, ""}, {2, RowOutcome::Kind::Failed, "gone"}});

    list.reorder({2, 0, 1}); // c, a, b
    ASSERT_NE(model.outcome(0), nullptr);
    EXPECT_EQ(model.outcome(0)->kind, RowOutcome::Kind::Failed);
    EXPECT_EQ(model.outcome(1)->kind, RowOutcome::Kind::Printed);
    EXPECT_EQ(model.outcome(2), nullptr) << "b was not in the run";
    EXPECT_EQ(model.rowsToReprint(), std::vector<size_t>{0});
    EXPECT_TRUE(model.data(model.index(0, 1), Qt::ToolTipRole).toString().contains(QStringLiteral("印刷できませんでした: gone")));

    list.appendAll({entry("d.xls")});
    EXPECT_EQ(model.rowsToReprint(), std::vector<size_t>{0}) << "new rows leave the others' marks";
    list.removeRows({0}); // a, b, d
    EXPECT_EQ(model.outcome(0)->kind, RowOutcome::Kind::Printed);
    EXPECT_TRUE(model.rowsToReprint().empty());
    model.showOutcomes({{2, RowOutcome::Kind::NotReached, ""}});
    EXPECT_EQ(model.outcome(0)->kind, RowOutcome::Kind::Printed) << "a run leaves the rows it did not print";
    list.setEntry(0, entry("a2.xls"));
    EXPECT_EQ(model.outcome(0), nullptr);
    model.clearOutcomesOf({2});
    EXPECT_EQ(model.outcome(2), nullptr);
}

TEST(PrintListModel, PagesSheetsAndExtensionShowAsTheUserKnowsThemWhileTheFileKeepsItsBytes)
{
    const struct {
        PrintEntry entry;
        const char* pages;
        const char* extension;
    } cases[] = {
        {{"a.docx", "", "\"1-3,5\"", "doc", "1", "P", "/d/a.docx"}, "1-3,5", "docx"},
        {{"b.xlsm", "", "\"Q1, Sales\",\"S2\"", "xls", "1", "P", "/d/b.xlsm"}, "Q1, Sales、S2", "xlsm"},
        {{"c.xls", "", "S1", "xls", "1", "P", "/d/c.xls"}, "S1", "xls"},
        {{"d.txt", "", "\"as typed\"", "txt", "1", "P", "/d/d.txt"}, "\"as typed\"", "txt"},
        {{"e", "", "", "doc", "1", "P", "/d/e"}, "", "doc"},
    };
    for (const auto& c : cases) {
        PrintList list;
        PrintListModel model(list);
        list.replaceAll({c.entry});
        EXPECT_EQ(model.data(model.index(0, 2)).toString(), QString::fromUtf8(c.pages)) << c.entry.fileName;
        EXPECT_EQ(model.data(model.index(0, 3)).toString(), QString::fromUtf8(c.extension)) << c.entry.fileName;
        EXPECT_EQ(list.at(0), c.entry);
    }
}

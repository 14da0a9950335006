#include "PrintListModel.h"
#include "TempDir.h"
#include "ListFile.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

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
    list.replaceAll({{"here.xls", "", "", "xls", "1", "P", dir.file("here.xls")}, entry("gone.xls")});
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.data(model.index(1, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.data(model.index(0, 1), Qt::DecorationRole).isValid());
}

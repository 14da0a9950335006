#include "UDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace pravik;

namespace {

class ProgressDialogTest : public ::testing::Test {
protected:
    int abortFlag = 7;
    TFmDialog dialog{abortFlag};

    QLabel* label(const char* name) { return dialog.findChild<QLabel*>(name); }
    QPushButton* abortButton() { return dialog.findChild<QPushButton*>("btnAbort"); }
};

TEST_F(ProgressDialogTest, StartsHiddenWithItsTexts)
{
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("処理中・・・"));
    EXPECT_EQ(label("lMsg")->text(), QStringLiteral("ただいまファイルを起動中です。しばらくお待ちください。"));
    EXPECT_TRUE(label("lCnt")->isHidden());
    EXPECT_EQ(abortButton()->text(), QStringLiteral("中止"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(dialog.isModal());
}

TEST_F(ProgressDialogTest, ShowProgressSetsTheLinesAndClearsTheFlagOnlyWhenItAppears)
{
    dialog.showProgress(QStringLiteral("印刷中"), QStringLiteral("報告.doc"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(label("lMsg")->text(), QStringLiteral("印刷中"));
    EXPECT_EQ(label("lCnt")->text(), QStringLiteral("報告.doc"));
    EXPECT_TRUE(label("lCnt")->isVisible());
    EXPECT_EQ(abortFlag, 0);

    abortFlag = 1;
    dialog.showProgress(QStringLiteral("印刷中"), QStringLiteral("b.xls"));
    EXPECT_EQ(label("lCnt")->text(), QStringLiteral("b.xls"));
    EXPECT_EQ(abortFlag, 1) << "a visible dialog shown again keeps the request";

    dialog.hideProgress();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(label("lCnt")->isHidden());
}

TEST_F(ProgressDialogTest, AbortSetsTheFlagAndSaysTheLoopIsStoppingUntilItEnds)
{
    dialog.showProgress("m", "a.doc");
    QTest::mouseClick(abortButton(), Qt::LeftButton);
    EXPECT_EQ(abortFlag, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(label("lMsg")->text().startsWith(QStringLiteral("中止しています"))) << label("lMsg")->text().toStdString();
    EXPECT_FALSE(abortButton()->isEnabled());
    dialog.showProgress("m", "b.doc");
    EXPECT_TRUE(label("lMsg")->text().startsWith(QStringLiteral("中止しています")));

    dialog.hideProgress();
    dialog.showProgress("m", "c.doc");
    EXPECT_EQ(abortFlag, 0);
    EXPECT_TRUE(abortButton()->isEnabled());
}

TEST_F(ProgressDialogTest, ALongMessageWidensTheWindowSoTheCountShowsWhole)
{
    const QString message = QStringLiteral("ただいまファイルを印刷中です。しばらくお待ちください。（12 / 160）");
    dialog.showProgress(message, "a.doc");
    const QRect shown = label("lMsg")->geometry();
    EXPECT_LE(shown.right(), dialog.width() - shown.left());
    EXPECT_EQ(label("lMsg")->text(), message);
    EXPECT_NEAR(abortButton()->geometry().center().x(), dialog.width() / 2, 1) << "the button stays in the middle";

    dialog.setPreviewing(true);
    QTest::mouseClick(abortButton(), Qt::LeftButton);
    EXPECT_TRUE(label("lMsg")->text().contains(QStringLiteral("プレビューを閉じると")));
}

TEST_F(ProgressDialogTest, PrintingOffersToCancelTheJobInHandStillAfterAbortAndEachRunStartsWithout)
{
    auto* cancelJob = dialog.findChild<QCheckBox*>("chkCancelJob");
    QSignalSpy stops(&dialog, &TFmDialog::stopRequested);
    dialog.showProgress("m", "a.doc");
    ASSERT_TRUE(cancelJob->isVisible());
    EXPECT_FALSE(dialog.cancelsJobInHand());
    EXPECT_GT(dialog.height(), cancelJob->geometry().bottom()) << "the check box is cut off";

    QTest::mouseClick(abortButton(), Qt::LeftButton);
    EXPECT_EQ(stops.count(), 1) << "the run hears of the stop at once";
    // The job may still be on its way when the user makes up their mind.
    ASSERT_TRUE(cancelJob->isEnabled());
    cancelJob->click();
    EXPECT_TRUE(dialog.cancelsJobInHand());

    dialog.hideProgress();
    dialog.showProgress("m", "b.doc");
    EXPECT_FALSE(dialog.cancelsJobInHand()) << "a choice of the last run";

    cancelJob->click();
    dialog.setPreviewing(true);
    EXPECT_FALSE(cancelJob->isVisible());
    EXPECT_FALSE(dialog.cancelsJobInHand()) << "a preview has no job";
}

TEST_F(ProgressDialogTest, EscapeDoesNotHideItWithoutAStopRequest)
{
    dialog.showProgress("m", "a.doc");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(abortFlag, 0);
}

TEST_F(ProgressDialogTest, CentredWithHalvesRoundedDown)
{
    dialog.centreOn(QSize(1025, 769));
    EXPECT_EQ(dialog.pos(), QPoint(512 - 161, 384 - 62));
}

} // namespace

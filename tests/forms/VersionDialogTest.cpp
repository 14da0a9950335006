#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "UVersion.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

using namespace pravik;
using namespace pravik::test;

namespace {

class VersionDialogTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dialogs;
    QStringList opened;
    bool openSucceeds = true;
    TFmVersion dialog{dialogs, dir.file("main.ini"), [this](const QString& address) {
                          opened << address;
                          return openSucceeds;
                      }};

    void open(const std::string& ini)
    {
        writeBytes(dir.file("main.ini"), ini);
        dialog.hide();
        dialog.show();
    }
    QString text(const char* name) { return dialog.findChild<QLabel*>(QLatin1String(name))->text(); }
    void clickHomePage() { emit dialog.findChild<QLabel*>(QStringLiteral("Label3"))->linkActivated({}); }
};

} // namespace

TEST_F(VersionDialogTest, ShowsTheTitleSectionAsItIsAtEachOpening)
{
    open("[TITLE]\r\nAPP_NAME=Pravik\r\nVERSION=1.0\r\n");
    EXPECT_EQ(text("lApp"), QStringLiteral("Pravik"));
    EXPECT_EQ(text("lVer"), QStringLiteral("1.0"));
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("ProgramIcon"))->pixmap().isNull());

    open("[TITLE]\r\nAPP_NAME=Pravik\r\nVERSION=1.1 <b>beta</b>\r\n");
    EXPECT_EQ(text("lVer"), QStringLiteral("1.1 <b>beta</b>"));
}

TEST_F(VersionDialogTest, TheLinkOpensTheHomePageAndWithoutOneIsNotShown)
{
    auto* link = dialog.findChild<QLabel*>(QStringLiteral("Label3"));
    open("[TITLE]\r\nHOMEPAGE=https://example.org/pravik\r\n");
    EXPECT_TRUE(link->isVisible());
    clickHomePage();
    EXPECT_EQ(opened, QStringList{QStringLiteral("https://example.org/pravik")});

    open("[TITLE]\r\nHOMEPAGE=\r\n");
    EXPECT_FALSE(link->isVisible());
    clickHomePage();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(VersionDialogTest, AHomePageTheDesktopCannotOpenIsNamedInAMessage)
{
    openSucceeds = false;
    open("[TITLE]\r\nHOMEPAGE=nowhere:page\r\n");
    clickHomePage();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("nowhere:page")));
}

TEST_F(VersionDialogTest, CentredAtTheFirstOpeningThenKeptWhereTheUserLeftIt)
{
    open("");
    const QSize screen = QGuiApplication::primaryScreen()->size();
    // By its frame: a platform's frame makes the window larger than 298 x 146.
    const QSize outer = dialog.frameGeometry().size();
    EXPECT_EQ(dialog.pos(), QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
    dialog.move(5, 7);
    open("");
    EXPECT_EQ(dialog.pos(), QPoint(5, 7));
}

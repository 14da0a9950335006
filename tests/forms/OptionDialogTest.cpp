#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "UOption.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <filesystem>

using namespace pravik;
using namespace pravik::test;

namespace {

class OptionDialogTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dialogs;
    TFmOption dialog{dialogs, dir.file("main.ini")};

    void open(const std::string& ini)
    {
        writeBytes(dir.file("main.ini"), ini);
        dialog.show();
    }
    template <typename Control>
    Control* control(const char* name) { return dialog.findChild<Control*>(QLatin1String(name)); }
    bool checked(const char* name) { return control<QAbstractButton>(name)->isChecked(); }
    void press(const char* name) { control<QPushButton>(name)->click(); }
    std::string ini() const { return readBytes(dir.file("main.ini")); }
};

} // namespace

TEST_F(OptionDialogTest, ValuesOutsideTheChoicesShowTheFirstChoiceAndOkWritesIt)
{
    struct Case {
        const char* stored;
        const char* shownOn;
        const char* written;
    };
    for (const Case& c : {Case{"PRINT=2", "rdoBetu", "PRINT=0"}, Case{"PRINT=1", "rdoAll", "PRINT=1"},
                          Case{"EXCEL=5", "rdoEx1", "EXCEL=0"}, Case{"EXCEL=2", "rdoEx3", "EXCEL=2"}}) {
        SCOPED_TRACE(c.stored);
        open(std::string("[MAIN]\r\n") + c.stored + "\r\n");
        EXPECT_TRUE(checked(c.shownOn));
        press("btnOk");
        EXPECT_NE(ini().find(std::string(c.written) + "\r\n"), std::string::npos) << ini();
    }
}

TEST_F(OptionDialogTest, OkRewritesTheSixKeysKeepsEveryOtherByteAndConfirms)
{
    const std::string before = "; delivered settings\r\n[TITLE]\r\nAPP_NAME=Pravik\r\n\r\n[MAIN]\r\n"
                               "COLUMN=150,150,200,40,40,100,200\r\nPRINT=0\r\nMEMORY=1\r\nONAJI=0\r\n"
                               "ETCFILE=0\r\nEXCEL=1\r\nSORT=1\r\nLASTLIST=/home/a/week.lst\n";
    open(before);
    // Collated workbooks are the user's choice, shown as stored.
    EXPECT_TRUE(control<QCheckBox>("chkSort")->isVisible());
    EXPECT_TRUE(checked("chkSort"));
    EXPECT_TRUE(checked("chkInfo"));
    EXPECT_TRUE(checked("rdoEx2"));
    control<QCheckBox>("chkOnaji")->setChecked(true);
    control<QRadioButton>("rdoAll")->setChecked(true);
    press("btnOk");

    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("確認: 設定は次回起動時から採用されます")});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    std::string expected = before;
    expected.replace(expected.find("PRINT=0"), 7, "PRINT=1");
    expected.replace(expected.find("ONAJI=0"), 7, "ONAJI=1");
    EXPECT_EQ(ini(), expected);

    // The hidden collation setting survives any number of OKs.
    dialog.show();
    press("btnOk");
    EXPECT_EQ(ini(), expected);
}

TEST_F(OptionDialogTest, CloseWritesNothingAndTheNextOpeningShowsTheFileAgain)
{
    open("[MAIN]\r\nONAJI=1\r\n");
    control<QCheckBox>("chkOnaji")->setChecked(false);
    press("btnClose");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ini(), "[MAIN]\r\nONAJI=1\r\n");
    dialog.show();
    EXPECT_TRUE(checked("chkOnaji"));
}

TEST_F(OptionDialogTest, AReadOnlyMainIniShowsTheErrorWithoutConfirmationAndKeepsTheFile)
{
    open("[MAIN]\r\nONAJI=0\r\n");
    std::filesystem::permissions(dir.file("main.ini"), std::filesystem::perms::owner_read);
    control<QCheckBox>("chkOnaji")->setChecked(true);
    press("btnOk");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("に書き込めません"))) << dialogs.errors[0].toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ini(), "[MAIN]\r\nONAJI=0\r\n");
}

#include "ListFileCommands.h"
#include "ListErrors.h"
#include "ListFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace pravik;
using pravik::test::readBytes;
using pravik::test::TempDir;
using pravik::test::writeBytes;

namespace {

// Answers the commands' questions from a script and records what they did.
class ScriptedUi : public ListFileUi {
public:
    std::deque<std::optional<bool>> saveAnswers; // nullopt: the question was dismissed
    std::deque<std::optional<std::string>> openChoices;
    std::deque<std::optional<std::string>> saveChoices;
    std::deque<bool> replaceAnswers;
    int questions = 0;
    std::vector<std::string> saveDialogFolders;
    std::optional<std::string> caption;
    bool saveEnabled = true;

    SaveAnswer askSaveChanges() override
    {
        ++questions;
        const std::optional<bool> answer = pop(saveAnswers);
        return !answer ? SaveAnswer::Dismissed : *answer ? SaveAnswer::Save : SaveAnswer::Discard;
    }
    std::vector<std::string> openDialogFolders;
    std::optional<std::string> chooseListToOpen(const std::string& folder) override
    {
        openDialogFolders.push_back(folder);
        return pop(openChoices);
    }
    std::optional<std::string> chooseListToSave(const std::string& folder) override
    {
        saveDialogFolders.push_back(folder);
        return pop(saveChoices);
    }
    bool confirmReplace(const std::string&) override { return pop(replaceAnswers); }
    std::deque<OverwriteAnswer> overwriteAnswers;
    OverwriteAnswer askOverwriteChangedFile() override { return pop(overwriteAnswers); }
    std::deque<bool> saveAsAnswers;
    std::vector<std::string> saveAsOffers;
    bool offerSaveAs(const std::string& problem) override
    {
        saveAsOffers.push_back(problem);
        return pop(saveAsAnswers);
    }
    void setCaption(const std::string& text) override { caption = text; }
    void setSaveEnabled(bool enabled) override { saveEnabled = enabled; }

private:
    template <typename T>
    static T pop(std::deque<T>& script)
    {
        if (script.empty())
            throw std::logic_error("unexpected dialog");
        T value = script.front();
        script.pop_front();
        return value;
    }
};

PrintEntry entry(const std::string& name)
{
    return {name, "", "", "doc", "1", "P", "/docs/" + name};
}

class ListFileCommandsTest : public ::testing::Test {
protected:
    TempDir dir;
    PrintList list;
    ScriptedUi ui;
    std::string prefix = "Pravik - ";
    ListFileCommands commands{list, ui, prefix, "/app/save/"};

    void changeList(std::vector<PrintEntry> rows = {entry("a.doc")})
    {
        list.replaceAll(std::move(rows));
        list.changed = true;
        ui.saveEnabled = true;
    }
};

} // namespace

TEST_F(ListFileCommandsTest, NewWithoutChangesClearsWithoutAQuestion)
{
    list.replaceAll({entry("a.doc")});
    list.listFileName = "/lists/a.lst";
    commands.newList();
    EXPECT_EQ(ui.questions, 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.listFileName, "");
    EXPECT_EQ(ui.caption, prefix);
}

TEST_F(ListFileCommandsTest, NewOnAChangedUnnamedListSavesThroughTheDialogThenClears)
{
    changeList();
    ui.saveAnswers = {true};
    ui.saveChoices = {dir.file("kept.lst")};
    commands.newList();
    EXPECT_EQ(ui.saveDialogFolders, std::vector<std::string>{"/app/save/"});
    EXPECT_EQ(readBytes(dir.file("kept.lst")), formatListFile({entry("a.doc")}));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(list.changed);
    EXPECT_EQ(ui.caption, prefix);
}

TEST_F(ListFileCommandsTest, CancelledSaveDialogAbandonsNewAndOpen)
{
    changeList();
    ui.saveAnswers = {true, true};
    ui.saveChoices = {std::nullopt, std::nullopt};
    commands.newList();
    commands.open(); // no open dialog is scripted: asking for one would throw
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(list.changed);
    EXPECT_TRUE(ui.saveEnabled);
    EXPECT_FALSE(ui.caption);
}

TEST_F(ListFileCommandsTest, DismissedQuestionAbandonsNewOpenAndClose)
{
    changeList();
    ui.saveAnswers = {std::nullopt, std::nullopt, std::nullopt};
    commands.newList();
    commands.open(); // no open dialog is scripted: asking for one would throw
    EXPECT_FALSE(commands.confirmClose());
    EXPECT_EQ(ui.questions, 3);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(list.changed);
    EXPECT_TRUE(ui.saveEnabled);
    EXPECT_FALSE(ui.caption);
}

TEST_F(ListFileCommandsTest, AnsweringNoDiscardsTheChanges)
{
    changeList();
    ui.saveAnswers = {false};
    commands.newList();
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(list.changed);
}

TEST_F(ListFileCommandsTest, YesSavesANamedListUnderItsName)
{
    changeList();
    list.listFileName = dir.file("named.lst");
    ui.saveAnswers = {true};
    commands.newList();
    EXPECT_EQ(readBytes(dir.file("named.lst")), formatListFile({entry("a.doc")}));
}

TEST_F(ListFileCommandsTest, OpenAsksEvenForAnEmptyChangedList)
{
    list.changed = true;
    writeBytes(dir.file("week.lst"), formatListFile({entry("x.doc"), entry("y.doc")}));
    ui.saveAnswers = {false};
    ui.openChoices = {dir.file("week.lst")};
    commands.open();
    EXPECT_EQ(ui.questions, 1);
    EXPECT_EQ(ui.openDialogFolders, std::vector<std::string>{"/app/save/"}); // where lists are saved
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.listFileName, dir.file("week.lst"));
    EXPECT_EQ(ui.caption, prefix + "week.lst");
    EXPECT_FALSE(list.changed);
}

TEST_F(ListFileCommandsTest, CancelledOpenKeepsRowsAndChanged)
{
    changeList();
    ui.saveAnswers = {false};
    ui.openChoices = {std::nullopt};
    commands.open();
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(list.changed);
}

TEST_F(ListFileCommandsTest, OpenOfAMissingFileKeepsTheRowsAndReportsIt)
{
    list.replaceAll({entry("a.doc")});
    list.listFileName = "/lists/old.lst";
    ui.caption = "before";
    ui.openChoices = {dir.file("typed-but-missing.lst")};
    EXPECT_THROW(commands.open(), Error);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.listFileName, "/lists/old.lst");
    EXPECT_EQ(ui.caption, "before");
}

TEST_F(ListFileCommandsTest, SaveOfAnEmptyListDoesNothing)
{
    list.changed = true;
    commands.save();
    EXPECT_TRUE(list.changed);
    EXPECT_TRUE(ui.saveEnabled);
}

TEST_F(ListFileCommandsTest, SaveOfANewListNamesItInTheCaptionWithABracket)
{
    changeList();
    ui.saveChoices = {dir.file("a.lst")};
    commands.save();
    EXPECT_EQ(list.listFileName, dir.file("a.lst"));
    EXPECT_EQ(ui.caption, prefix + "a.lst");
    EXPECT_FALSE(list.changed);
    EXPECT_FALSE(ui.saveEnabled);

    // Later saves go to the same file without a dialog.
    changeList({entry("b.doc")});
    commands.save();
    EXPECT_EQ(readBytes(dir.file("a.lst")), formatListFile({entry("b.doc")}));
    EXPECT_EQ(ui.caption, prefix + "a.lst");
}

TEST_F(ListFileCommandsTest, CancelledSaveOrSaveAsKeepsChangedAndTheButton)
{
    changeList();
    ui.saveChoices = {std::nullopt, std::nullopt};
    commands.save();
    commands.saveAs();
    EXPECT_TRUE(list.changed);
    EXPECT_TRUE(ui.saveEnabled);
    EXPECT_EQ(list.listFileName, "");
}

TEST_F(ListFileCommandsTest, SaveAsOfAnEmptyListWritesAnEmptyFile)
{
    writeBytes(dir.file("old.lst"), "replaced once the user agrees");
    ui.saveChoices = {dir.file("old.lst")};
    ui.replaceAnswers = {true};
    commands.saveAs();
    EXPECT_EQ(readBytes(dir.file("old.lst")), "");
    EXPECT_EQ(ui.caption, prefix + "old.lst");
}

TEST_F(ListFileCommandsTest, FailedSaveKeepsChangedAndTheButton)
{
    changeList();
    list.listFileName = dir.file("no/folder.lst");
    EXPECT_THROW(commands.save(), Error);
    EXPECT_TRUE(list.changed);
    EXPECT_TRUE(ui.saveEnabled);
}

TEST_F(ListFileCommandsTest, AReadOnlyListIsSavedUnderAnotherNameOnlyIfTheUserWants)
{
    changeList();
    list.listFileName = dir.file("old.lst");
    writeBytes(list.listFileName, "old");
    std::filesystem::permissions(list.listFileName, std::filesystem::perms::owner_read);
    ui.saveAsAnswers = {false, true};
    ui.saveChoices = {dir.file("new.lst")};

    commands.save();
    ASSERT_EQ(ui.saveAsOffers.size(), 1u);
    EXPECT_EQ(ui.saveAsOffers[0], "ファイル " + dir.file("old.lst") + " は読み取り専用のため、上書き保存できません");
    EXPECT_TRUE(list.changed);

    commands.save();
    EXPECT_FALSE(list.changed);
    EXPECT_EQ(list.listFileName, dir.file("new.lst"));
    EXPECT_EQ(readBytes(dir.file("old.lst")), "old");
}

TEST_F(ListFileCommandsTest, CloseAsksOnlyForAChangedListWithRows)
{
    list.changed = true;
    EXPECT_TRUE(commands.confirmClose());
    EXPECT_EQ(ui.questions, 0);

    changeList();
    ui.saveAnswers = {false};
    EXPECT_TRUE(commands.confirmClose());
    EXPECT_EQ(ui.questions, 1);
}

TEST_F(ListFileCommandsTest, CloseWithCancelledSaveDialogKeepsTheWindowOpen)
{
    changeList();
    ui.saveAnswers = {true};
    ui.saveChoices = {std::nullopt};
    EXPECT_FALSE(commands.confirmClose());
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(list.changed);
}

TEST_F(ListFileCommandsTest, ListSavedFromTheCloseQuestionBecomesTheListsFile)
{
    changeList();
    ui.saveAnswers = {true};
    ui.saveChoices = {dir.file("closing.lst")};
    EXPECT_TRUE(commands.confirmClose());
    EXPECT_EQ(list.listFileName, dir.file("closing.lst"));
    EXPECT_EQ(ui.caption, prefix + "closing.lst");
    EXPECT_EQ(readBytes(dir.file("closing.lst")), formatListFile({entry("a.doc")}));
}

TEST_F(ListFileCommandsTest, SaveAsOverAnExistingListAsksAndNoBringsTheDialogBack)
{
    const std::string week = dir.file("week.lst");
    writeListFile(week, {entry("1.doc"), entry("2.doc"), entry("3.doc")});
    changeList();
    ui.saveChoices = {week, dir.file("other.lst")};
    ui.replaceAnswers = {false};
    commands.saveAs();
    EXPECT_EQ(readListFile(week).entries.size(), 3u);
    EXPECT_EQ(list.listFileName, dir.file("other.lst"));

    ui.saveChoices = {week};
    ui.replaceAnswers = {true};
    commands.saveAs();
    EXPECT_EQ(readListFile(week).entries, std::vector<PrintEntry>{entry("a.doc")});
    EXPECT_TRUE(ui.replaceAnswers.empty());
}

TEST_F(ListFileCommandsTest, OpeningAFileThatIsNoListKeepsTheRowsTheNameAndTheCaption)
{
    list.replaceAll({entry("a.doc")});
    list.listFileName = "/lists/week.lst";
    ui.caption = "Pravik - week.lst";
    for (const std::string& bytes : {std::string("memo\r\nnot a list\r\n"),
                                     std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10),
                                     std::string("PK\x03\x04\x14\0", 6)}) {
        writeBytes(dir.file("other"), bytes);
        ui.openChoices = {dir.file("other")};
        try {
            commands.open();
            ADD_FAILURE() << "opened: " << bytes;
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find("はリストファイルではありません"), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(list.size(), 1u);
        EXPECT_EQ(list.listFileName, "/lists/week.lst");
        EXPECT_EQ(ui.caption, "Pravik - week.lst");
    }
}

// Two windows on one list: each keeps what it read, and a save over the
// other's work is the user's decision.
TEST_F(ListFileCommandsTest, SavingOverAListAnotherWindowChangedAsksFirst)
{
    const std::string week = dir.file("week.lst");
    writeListFile(week, {entry("1.doc")});
    PrintList other;
    ScriptedUi otherUi;
    ListFileCommands otherCommands{other, otherUi, prefix, "/app/save/"};
    otherUi.openChoices = {week};
    otherCommands.open();
    ui.openChoices = {week};
    commands.open();

    other.replaceAll({entry("other.doc")});
    other.changed = true;
    otherCommands.save(); // unchanged on disk: no question
    EXPECT_EQ(readListFile(week).entries, std::vector<PrintEntry>{entry("other.doc")});

    changeList({entry("mine.doc")});
    ui.overwriteAnswers = {OverwriteAnswer::Cancel};
    commands.save();
    EXPECT_EQ(readListFile(week).entries, std::vector<PrintEntry>{entry("other.doc")});
    EXPECT_TRUE(list.changed);

    ui.overwriteAnswers = {OverwriteAnswer::SaveAs};
    ui.saveChoices = {dir.file("mine.lst")};
    commands.save();
    EXPECT_EQ(readListFile(week).entries, std::vector<PrintEntry>{entry("other.doc")});
    EXPECT_EQ(readListFile(dir.file("mine.lst")).entries, std::vector<PrintEntry>{entry("mine.doc")});
    EXPECT_EQ(list.listFileName, dir.file("mine.lst"));

    // Overwriting once makes the file this window's again: the next save
    // asks no more.
    writeListFile(week, {entry("third.doc")});
    other.changed = true;
    otherUi.overwriteAnswers = {OverwriteAnswer::Overwrite};
    otherCommands.save();
    EXPECT_EQ(readListFile(week).entries, std::vector<PrintEntry>{entry("other.doc")});
    other.changed = true;
    otherCommands.save();
    EXPECT_TRUE(otherUi.overwriteAnswers.empty());
}

// The main window's commands on the selected rows, as the user reaches them.
#include "MainWindowFixture.h"
#include "UEdit.h"

#include <QHeaderView>
#include <QItemSelectionModel>

using namespace pravik;
using namespace pravik::test;

namespace {

class ListCommandsTest : public MainWindowTest {
protected:
    void startWith(std::vector<PrintEntry> rows, const std::string& ini = designedIni)
    {
        start(ini);
        window->printList().replaceAll(std::move(rows));
    }
    void select(std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = window->listView()->selectionModel();
        selection->clear();
        for (int row : rows)
            selection->select(window->listView()->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const PrintEntry& row : window->printList().rows())
            result.push_back(row.fileName);
        return result;
    }
    std::vector<size_t> selected() const { return window->selectedRows(); }
};

std::vector<PrintEntry> fiveRows()
{
    return {entry("0.doc"), entry("1.doc"), entry("2.doc"), entry("3.doc"), entry("4.doc")};
}

} // namespace

TEST_F(ListCommandsTest, HeaderClickSortsTheRowsWithoutMarkingTheListChanged)
{
    startWith({entry("b.doc"), entry("a.doc"), entry("B.doc")});
    window->listView()->horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(names(), (std::vector<std::string>{"B.doc", "a.doc", "b.doc"}));
    EXPECT_TRUE(button("btnSave")->isEnabled());
    EXPECT_FALSE(window->printList().changed);
}

TEST_F(ListCommandsTest, SortingAnEmptyListLeavesSaveAsItWas)
{
    start();
    window->sortByColumn(3);
    EXPECT_FALSE(button("btnSave")->isEnabled());
}

TEST_F(ListCommandsTest, TheEditorKeepsEditingItsOwnRowAfterASortAndAMove)
{
    startWith({entry("c.doc"), entry("a.doc"), entry("b.doc")});
    TFmEdit editor(*window);
    window->setEntryEditor(&editor);
    editor.OpenEntry(0); // c.doc
    window->sortByColumn(0);
    EXPECT_EQ(editor.currentRow(), 2);
    select({2});
    window->moveSelectedUp();
    EXPECT_EQ(editor.currentRow(), 1);
    EXPECT_EQ(window->printList().at(1).fileName, "c.doc");
    EXPECT_TRUE(editor.isVisible());
}

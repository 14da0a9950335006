// Sorting, deleting and moving rows of a 100,000-row list with the main
// window's own commands, the window shown, beside std::stable_sort of the same 100,000 strings, so the figures can be
// compared on any machine.
#include "Dialogs.h"
#include "UMain.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace pravik;

constexpr int rowCount = 100'000;
constexpr int selectedCount = 10'000;

std::vector<PrintEntry> shuffledRows()
{
    std::mt19937 random(7);
    std::vector<PrintEntry> rows;
    rows.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i) {
        const std::string number = std::to_string(random() % 1'000'000);
        const bool excel = random() % 2 == 0;
        const std::string name = (excel ? "集計-" : "Report-") + number + (excel ? ".xls" : ".doc");
        rows.push_back({name, "memo " + std::to_string(random() % 1000), excel ? "\"Sheet1\"" : "\"1-3\"",
                        excel ? "xls" : "doc", std::to_string(1 + random() % 20),
                        "Printer " + std::to_string(random() % 8), "/home/user/Documents/" + name});
    }
    return rows;
}

// Answers every question with OK; there is nobody to ask.
class OkDialogs : public Dialogs {
public:
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    bool confirmOkCancel(QWidget*, const QString&, const QString&) override { return true; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QStringList chooseOpenFiles(QWidget*, const QString&) override { return {}; }
    void showError(QWidget*, const QString&) override {}
    void showWarning(QWidget*, const QString&, const QString&) override {}
    void showFailureReport(QWidget*, const QString&, const QString&) override {}
};

// The main window, shown, with the rows loaded and every tenth row selected.
struct Stack {
    OkDialogs dialogs;
    TFmMain window{dialogs, std::filesystem::temp_directory_path().string(),
                   MainServices{[] { return std::string("Office Printer"); },
                                [] { return std::vector<std::string>{"Office Printer"}; }, nullptr}};

    Stack()
    {
        window.show();
        QCoreApplication::processEvents();
    }

    void reset()
    {
        window.printList().replaceAll(shuffledRows());
        QItemSelection rows;
        QAbstractItemModel* model = window.listView()->model();
        for (int row = 5; row < rowCount; row += rowCount / selectedCount)
            rows.select(model->index(row, 0), model->index(row, PrintEntry::fieldCount - 1));
        window.listView()->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
        QCoreApplication::processEvents();
    }
};

Stack* stackInstance = nullptr;
Stack& stack() { return *stackInstance; }

void StableSortOfTheStrings(benchmark::State& state)
{
    const std::vector<PrintEntry> rows = shuffledRows();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> names;
        names.reserve(rows.size());
        for (const PrintEntry& row : rows)
            names.push_back(row.fileName);
        state.ResumeTiming();
        std::stable_sort(names.begin(), names.end());
        benchmark::DoNotOptimize(names.data());
    }
}

void SortByColumn(benchmark::State& state)
{
    const int column = static_cast<int>(state.range(0));
    Stack& s = stack();
    for (auto _ : state) {
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
        s.window.sortByColumn(column);
        QCoreApplication::processEvents();
    }
}

void DeleteSpreadSelection(benchmark::State& state)
{
    Stack& s = stack();
    for (auto _ : state) {
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
        s.window.deleteSelectedRows();
        QCoreApplication::processEvents();
    }
}

template <void (TFmMain::*move)()>
void MoveSpreadSelection(benchmark::State& state)
{
    Stack& s = stack();
    for (auto _ : state) {
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
        (s.window.*move)();
        QCoreApplication::processEvents();
    }
}

} // namespace

BENCHMARK(StableSortOfTheStrings)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SortByColumn)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(DeleteSpreadSelection)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(MoveSpreadSelection<&TFmMain::moveSelectedUp>)->Name("MoveSpreadSelectionUp")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(MoveSpreadSelection<&TFmMain::moveSelectedDown>)->Name("MoveSpreadSelectionDown")->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        Stack window;
        stackInstance = &window;
        benchmark::RunSpecifiedBenchmarks();
        stackInstance = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}

// Loading and saving a list of 100,000 entries, beside `wc -l` reading the
// same file, so the figures can be compared on any machine.
#include "ListFile.h"
#include "PrintList.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int entryCount = 100'000;

const std::filesystem::path& listPath()
{
    static const std::filesystem::path path = [] {
        const auto file = std::filesystem::temp_directory_path() / "pravik-bench-100k.lst";
        std::vector<pravik::PrintEntry> entries;
        entries.reserve(entryCount);
        for (int i = 0; i < entryCount; ++i) {
            const std::string name = "report-" + std::to_string(i) + ".xls";
            // "集計 表" in CP932 as a sheet name, as real lists hold.
            entries.push_back({name, "monthly figures", "\"Sheet1\",\"\x8f\x57\x8c\x76 \x95\x5C\"", "xls",
                               "2", "Office Printer", "C:\\Documents\\Reports\\" + name});
        }
        pravik::writeListFile(file.string(), entries);
        return file;
    }();
    return path;
}

// Into an empty list, as at start-up; freeing the rows is not timed.
void LoadListFile(benchmark::State& state)
{
    size_t loaded = 0;
    for (auto _ : state) {
        auto list = std::make_unique<pravik::PrintList>();
        list->loadListFile(listPath().string());
        loaded = list->size();
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(loaded);
}

void SaveListFile(benchmark::State& state)
{
    pravik::PrintList list;
    list.loadListFile(listPath().string());
    const std::string target = listPath().string() + ".out";
    for (auto _ : state)
        list.saveListFile(target);
    std::filesystem::remove(target);
}

void WcLines(benchmark::State& state)
{
    const std::string command = "wc -l < '" + listPath().string() + "' > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
}

} // namespace

BENCHMARK(WcLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadListFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveListFile)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();

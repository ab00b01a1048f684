// The result table's appends and export, its memory per row, and the CPU used while the event
// pump waits.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "mining/Export.h"
#include "mining/ResultTable.h"
#include "text/CodePage.h"
#include "ui/EventPump.h"
#include "ui/Widgets.h"

namespace {

using namespace sowmere;

void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench_mining";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: the toolkit is not torn down among static objects.
    static ui::Application* const application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new ui::Application(argc, argv);
    }();
    (void)application;
}

// A shown main-window-sized window holding the table, as during a run.
struct ShownTable {
    ui::Window window{" Sowmere", 614, 540, "bench"};
    mining::ResultTable table{window};
    ShownTable() {
        window.show();
        QCoreApplication::processEvents();
    }
};

struct RowTexts {
    std::string source = text::utf8ToLocal("百度相关：手机壳");
    std::string keyword = text::utf8ToLocal("手机壳推荐 苹果");
    std::string count = "12300000";
    std::string flag = text::utf8ToLocal("否");
};

// The row rule of the harvesters: serial first, then the other cells of the last row.
std::size_t fill(mining::ResultTable& table, int rows, int eventsEvery) {
    const RowTexts t;
    std::size_t textBytes = 0;
    for (int i = 1; i <= rows; ++i) {
        table.appendRow();
        const int last = table.rowCount() - 1;
        const std::string serial = text::decimal(i);
        table.setCell(last, 0, serial);
        table.setCell(last, 1, t.source);
        table.setCell(last, 2, t.keyword);
        table.setCell(last, 3, t.count);
        table.setCell(last, 4, t.flag);
        textBytes +=
            serial.size() + t.source.size() + t.keyword.size() + t.count.size() + t.flag.size();
        if (eventsEvery > 0 && i % eventsEvery == 0) QCoreApplication::processEvents();
    }
    return textBytes;
}

// Appending to a shown table; the second argument lets window events (layout and painting) run
// every that many rows, 0 for never.
void BM_AppendRows(benchmark::State& state) {
    ensureApplication();
    const int rows = static_cast<int>(state.range(0));
    const int eventsEvery = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        auto shown = std::make_unique<ShownTable>();
        state.ResumeTiming();
        fill(shown->table, rows, eventsEvery);
        QCoreApplication::processEvents();
        state.PauseTiming();
        shown.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_AppendRows)
    ->Args({1000000, 0})
    ->Args({1000000, 1000})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// Rows appended one at a time with window events after each, as a run does, to a table that
// already holds the first argument's number of rows: the cost per row must not grow with it.
void BM_AppendWithEventsToFilledTable(benchmark::State& state) {
    ensureApplication();
    ShownTable shown;
    fill(shown.table, static_cast<int>(state.range(0)), 0);
    QCoreApplication::processEvents();
    for (auto _ : state) fill(shown.table, 1, 1);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendWithEventsToFilledTable)
    ->Arg(0)
    ->Arg(1000000)
    ->Iterations(500)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Heap bytes per row beyond the bytes of its cell texts (model, view and header bookkeeping).
void BM_MemoryPerRow(benchmark::State& state) {
    ensureApplication();
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto shown = std::make_unique<ShownTable>();
        malloc_trim(0);
        const std::size_t before = mallinfo2().uordblks;
        const std::size_t textBytes = fill(shown->table, rows, 0);
        QCoreApplication::processEvents();
        const std::size_t after = mallinfo2().uordblks;
        state.counters["heap_bytes_per_row"] = static_cast<double>(after - before) / rows;
        state.counters["text_bytes_per_row"] = static_cast<double>(textBytes) / rows;
        state.counters["overhead_bytes_per_row"] =
            (static_cast<double>(after - before) - static_cast<double>(textBytes)) / rows;
    }
}
BENCHMARK(BM_MemoryPerRow)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Export(benchmark::State& state) {
    ensureApplication();
    const int rows = static_cast<int>(state.range(0));
    ShownTable shown;
    fill(shown.table, rows, 0);
    QTemporaryDir directory;
    const std::string path = QFile::encodeName(directory.path()).toStdString();
    std::tm t{};
    t.tm_year = 115;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const mining::ExportOutcome outcome = mining::exportResults(shown.table, path, t);
        if (!outcome.written) state.SkipWithError("export failed");
        state.PauseTiming();
        const QString name = QDir(directory.path()).entryList(QDir::Files).value(0);
        bytes += QFileInfo(directory.path() + u'/' + name).size();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_Export)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// CPU time the process uses during a 2 s wait with nothing to do, as a share of the wall time.
void BM_DelayWithEventsCpu(benchmark::State& state) {
    ensureApplication();
    ShownTable shown;  // a window is open, as during a run
    ui::ToolkitEventPump pump;
    for (auto _ : state) {
        rusage before{};
        rusage after{};
        getrusage(RUSAGE_SELF, &before);
        QElapsedTimer wall;
        wall.start();
        pump.delayWithEvents(2000);
        const double wallMs = static_cast<double>(wall.nsecsElapsed()) / 1e6;
        getrusage(RUSAGE_SELF, &after);
        auto ms = [](const timeval& a, const timeval& b) {
            return (b.tv_sec - a.tv_sec) * 1e3 + (b.tv_usec - a.tv_usec) / 1e3;
        };
        const double cpuMs =
            ms(before.ru_utime, after.ru_utime) + ms(before.ru_stime, after.ru_stime);
        state.counters["wall_ms"] = wallMs;
        state.counters["cpu_ms"] = cpuMs;
        state.counters["cpu_percent"] = 100.0 * cpuMs / wallMs;
    }
}
BENCHMARK(BM_DelayWithEventsCpu)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

// Runs the connection analysis in the real windows (offscreen) with the real
// interface table on one interface, in burst mode, and prints the periods of
// the collector and graph timers, the averages shown against the analysis's
// own definitions applied to an independent byte count (/proc/net/dev), and
// the CPU time and peak memory of the process.
//   ulz_traffic_probe IFNAME SECONDS [--hidden]
// --hidden keeps the main window hidden, so nothing is painted: the cost of
// the analysis and the event loop alone.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "kernel_counters.h"
#include "offscreen_program.h"
#include "ui/main_window.h"

namespace {

using ulz::bench::Clock;
using ulz::bench::cpuSeconds;
using ulz::bench::Periods;
using ulz::bench::periodsOf;
using ulz::testing::KernelCounters;
using ulz::testing::kernelCounters;

// The average the analysis defines for `bytes` carried by the ticks whose
// samples are still in slots 0 to P (all but the first tick while n <= P + 1),
// over n ticks.
double definedAverage(std::uint64_t bytes, std::int64_t n, int ticksPerSecond) {
    const double perSecond =
        static_cast<double>(bytes) * 100 / 1024 / (static_cast<double>(n) + 0.01) * ticksPerSecond;
    return std::floor(1000 * perSecond / 1024) / 100;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s IFNAME SECONDS [--hidden]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string ifname = argv[1];
    const int seconds = std::atoi(argv[2]);
    const bool hidden = argc > 3 && std::string(argv[3]) == "--hidden";

    ulz::bench::OffscreenProgram program;
    ulz::ui::ProgramWindows& windows = program.windows;
    ulz::MainForm& form = program.app.Form1;

    int position = -1;
    for (std::size_t i = 0; i < form.cbIf.items.size(); ++i) {
        if (form.cbIf.items[i].rfind(ifname + " (", 0) == 0) position = static_cast<int>(i);
    }
    if (position < 0) {
        std::fprintf(stderr, "%s is not listed\n", ifname.c_str());
        return 1;
    }

    const double cpuBefore = cpuSeconds();
    windows.run([&] {
        if (hidden) form.window.visible = false;
        form.cbIf.select(position);
        form.setBurstChecked(true);  // as the program ticks it: the collector goes to 100 ms
        form.Button3Click();
    });

    // Connected after the window's own handlers: these run right after each tick.
    std::vector<Clock::time_point> collects, graphs;
    KernelCounters first, last;
    const int ticksPerSecond = 1000 / form.tmTraffCollect.intervalMs;
    const std::size_t wanted = static_cast<std::size_t>(seconds * ticksPerSecond);
    // The last tick's slots 0 to P hold the samples of ticks wanted - P to
    // wanted: their octets passed after the read of tick wanted - P - 1.
    const std::size_t span = static_cast<std::size_t>(form.tbHechT.position);
    const std::size_t baseTick = wanted > span + 1 ? wanted - span - 1 : 1;
    auto* collector = ulz::ui::Form1->findChild<QTimer*>(QStringLiteral("tmTraffCollect"));
    auto* graph = ulz::ui::Form1->findChild<QTimer*>(QStringLiteral("tmTGraph"));
    QObject::connect(collector, &QTimer::timeout, [&] {
        collects.push_back(Clock::now());
        if (collects.size() == baseTick) first = kernelCounters(ifname).value_or(KernelCounters{});
        if (collects.size() == wanted) {
            last = kernelCounters(ifname).value_or(KernelCounters{});
            QApplication::quit();
        }
    });
    QObject::connect(graph, &QTimer::timeout, [&] { graphs.push_back(Clock::now()); });
    QApplication::exec();
    const double cpuRun = cpuSeconds() - cpuBefore;

    const Periods c = periodsOf(collects);
    const Periods g = periodsOf(graphs);
    std::printf("collector ticks %zu mean_ms %.3f (goal %d) min_ms %.3f max_ms %.3f\n", c.count + 1,
                c.mean, form.tmTraffCollect.intervalMs, c.shortest, c.longest);
    std::printf("graph ticks %zu mean_ms %.3f (goal 1000) min_ms %.3f max_ms %.3f\n", g.count + 1,
                g.mean, g.shortest, g.longest);
    const std::int64_t n = form.traffic.trafCount;
    std::printf("span P %zu: the figures hold the samples of ticks %zu to %zu over n = %lld\n",
                span, baseTick + 1, wanted, static_cast<long long>(n));
    const struct {
        const char* name;
        float shown;
        std::uint64_t bytes;
    } directions[] = {{"download", form.traffic.avgDl, last.rx - first.rx},
                      {"upload", form.traffic.avgUl, last.tx - first.tx}};
    for (const auto& d : directions) {
        const double defined = definedAverage(d.bytes, n, ticksPerSecond);
        std::printf("%s shown %.2f ko/s defined %.2f ko/s error_pct %.4f bytes %llu\n", d.name,
                    d.shown, defined, defined > 0 ? (d.shown - defined) / defined * 100 : 0.0,
                    static_cast<unsigned long long>(d.bytes));
    }
    auto caption = [](const char* name) {
        return ulz::ui::Form1->findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    std::printf(
        "figures lbMoyd=%s lbMoyu=%s lbStabd=%s lbStabu=%s lbPerfd=%s lbPerfu=%s "
        "lbMaxd=%s lbMaxu=%s lbTraffic=\"%s\" Label23=%s\n",
        qPrintable(caption("lbMoyd")), qPrintable(caption("lbMoyu")),
        qPrintable(caption("lbStabd")), qPrintable(caption("lbStabu")),
        qPrintable(caption("lbPerfd")), qPrintable(caption("lbPerfu")),
        qPrintable(caption("lbMaxd")), qPrintable(caption("lbMaxu")),
        qPrintable(caption("lbTraffic")), qPrintable(caption("Label23")));
    std::printf("cpu_total_s %.3f cpu_run_s %.3f peak_rss_kb %ld\n", cpuSeconds(), cpuRun,
                ulz::bench::peakRssKb());
    return 0;
}

// Runs the ping statistics test in the real windows (offscreen) with the real
// ICMP layer against one host, and prints the collection tick period, the
// last figures, and the CPU time and peak memory of the run.
//   ulz_stats_tick_probe HOST TICKS
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "offscreen_program.h"
#include "ui/main_window.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s HOST TICKS\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int ticks = std::atoi(argv[2]);

    ulz::bench::OffscreenProgram program;
    ulz::App& app = program.app;
    ulz::ui::ProgramWindows& windows = program.windows;

    windows.run([&] {
        app.Form1.host.text = argv[1];
        app.Form1.hostChange();
        app.Form1.Button1Click();
    });

    using ulz::bench::Clock;
    std::vector<Clock::time_point> stamps;
    auto* timer = ulz::ui::Form1->findChild<QTimer*>(QStringLiteral("PingCollect"));
    QObject::connect(timer, &QTimer::timeout, [&] {
        stamps.push_back(Clock::now());
        if (static_cast<int>(stamps.size()) > ticks) QApplication::quit();
    });
    QApplication::exec();

    const ulz::bench::Periods p = ulz::bench::periodsOf(stamps);
    auto caption = [](const char* name) {
        return ulz::ui::Form1->findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    std::printf("ticks %zu mean_period_ms %.3f error_pct %.4f min_ms %.3f max_ms %.3f\n", p.count,
                p.mean, (p.mean - 1000.0) / 10.0, p.shortest, p.longest);
    std::printf("figures lbAct=%s lbMin=%s lbMoy=%s lbMax=%s lbEch=%s lbCoup=%s lbPingZ=%s\n",
                qPrintable(caption("lbAct")), qPrintable(caption("lbMin")),
                qPrintable(caption("lbMoy")), qPrintable(caption("lbMax")),
                qPrintable(caption("lbEch")), qPrintable(caption("lbCoup")),
                qPrintable(caption("lbPingZ")));
    std::printf("cpu_s %.3f peak_rss_kb %ld\n", ulz::bench::cpuSeconds(), ulz::bench::peakRssKb());
    return 0;
}

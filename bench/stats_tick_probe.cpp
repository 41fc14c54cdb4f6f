// Runs the ping statistics test in the real windows (offscreen) with the real
// ICMP layer against one host, and prints the collection tick period, the
// last figures, and the CPU time and peak memory of the run.
//   ulz_stats_tick_probe HOST TICKS
#include <sys/resource.h>

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/app.h"
#include "platform/file_ini.h"
#include "platform/linux_interface_table.h"
#include "platform/linux_pinger.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/program_windows.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s HOST TICKS\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int ticks = std::atoi(argv[2]);

    QTemporaryDir dir;
    ulz::FileIni config(dir.filePath(QStringLiteral("config.ini")).toStdString());
    ulz::FileIni perso(dir.filePath(QStringLiteral("perso.ini")).toStdString());
    ulz::ui::QtMessages messages;
    ulz::ui::setMessageHook([](ulz::ui::MessageKind, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    ulz::LinuxPinger pinger(&ulz::ui::ProgramWindows::post);
    ulz::LinuxInterfaceTable interfaces;
    ulz::App app(ulz::Services{pinger, messages, config, perso, interfaces});
    ulz::ui::ProgramWindows windows(app);

    windows.run([&] {
        app.Form1.host.text = argv[1];
        app.Form1.hostChange();
        app.Form1.Button1Click();
    });

    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> stamps;
    auto* timer = ulz::ui::Form1->findChild<QTimer*>(QStringLiteral("PingCollect"));
    QObject::connect(timer, &QTimer::timeout, [&] {
        stamps.push_back(Clock::now());
        if (static_cast<int>(stamps.size()) > ticks) QApplication::quit();
    });
    QApplication::exec();

    std::vector<double> periods;
    for (std::size_t i = 1; i < stamps.size(); ++i) {
        periods.push_back(
            std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count());
    }
    const double total =
        std::chrono::duration<double, std::milli>(stamps.back() - stamps.front()).count();
    const double mean = total / static_cast<double>(periods.size());
    std::sort(periods.begin(), periods.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    auto caption = [](const char* name) {
        return ulz::ui::Form1->findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    std::printf("ticks %zu mean_period_ms %.3f error_pct %.4f min_ms %.3f max_ms %.3f\n",
                periods.size(), mean, (mean - 1000.0) / 10.0, periods.front(), periods.back());
    std::printf("figures lbAct=%s lbMin=%s lbMoy=%s lbMax=%s lbEch=%s lbCoup=%s lbPingZ=%s\n",
                qPrintable(caption("lbAct")), qPrintable(caption("lbMin")),
                qPrintable(caption("lbMoy")), qPrintable(caption("lbMax")),
                qPrintable(caption("lbEch")), qPrintable(caption("lbCoup")),
                qPrintable(caption("lbPingZ")));
    std::printf("cpu_s %.3f peak_rss_kb %ld\n", cpu, usage.ru_maxrss);
    return 0;
}

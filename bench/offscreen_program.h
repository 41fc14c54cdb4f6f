// What the benchmark probes share: the whole program with its real platform
// layers in its real windows on Qt's offscreen platform, settings in a
// scratch folder, and the process's own cost.
#pragma once

#include <sys/resource.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/app.h"
#include "platform/file_ini.h"
#include "platform/linux_interface_table.h"
#include "platform/linux_pinger.h"
#include "ui/message_box.h"
#include "ui/program_windows.h"

namespace ulz::bench {

// Build it after the QApplication. Messages go to stderr instead of boxes.
struct OffscreenProgram {
    OffscreenProgram() {
        ui::setMessageHook([](ui::MessageKind, const QString& text) {
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
        });
    }

    QTemporaryDir dir;
    FileIni config{dir.filePath(QStringLiteral("config.ini")).toStdString()};
    FileIni perso{dir.filePath(QStringLiteral("perso.ini")).toStdString()};
    ui::QtMessages messages;
    LinuxPinger pinger{&ui::ProgramWindows::post};
    LinuxInterfaceTable interfaces;
    App app{Services{pinger, messages, config, perso, interfaces}};
    ui::ProgramWindows windows{app};
};

// User plus system CPU time of the process so far, in seconds.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Peak resident memory of the process, in kB.
inline long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

using Clock = std::chrono::steady_clock;

struct Periods {
    double mean = 0, shortest = 0, longest = 0;
    std::size_t count = 0;
};

// The intervals between successive time stamps, in milliseconds.
inline Periods periodsOf(const std::vector<Clock::time_point>& stamps) {
    Periods p;
    if (stamps.size() < 2) return p;
    std::vector<double> ms;
    for (std::size_t i = 1; i < stamps.size(); ++i) {
        ms.push_back(std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count());
    }
    p.count = ms.size();
    p.mean = std::chrono::duration<double, std::milli>(stamps.back() - stamps.front()).count() /
             static_cast<double>(ms.size());
    p.shortest = *std::min_element(ms.begin(), ms.end());
    p.longest = *std::max_element(ms.begin(), ms.end());
    return p;
}

}  // namespace ulz::bench

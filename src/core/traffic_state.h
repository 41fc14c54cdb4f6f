// State of the connection analysis and of its graph: the sample history, the
// counters' baselines, the averages, the display unit and the graph's scale.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ulz {

inline constexpr int kTrafficHistorySize = 4000;

// The three series of the history, in this order everywhere (graph columns too).
enum TrafficSeries : std::size_t { kFtpSeries = 0, kDownloadSeries = 1, kUploadSeries = 2 };

struct TrafficState {
    using Series = std::array<std::int32_t, kTrafficHistorySize>;

    // Per collector tick, slot 0 newest: FTP bytes / 10, then the download and
    // upload samples in hundredths of a ko.
    std::array<Series, 3> trafHist{};

    // Counters seen at the previous read and the samples made from them.
    std::uint32_t lastInOctets = 0;
    std::uint32_t lastOutOctets = 0;
    float dlSample = 0.0f;
    float ulSample = 0.0f;

    std::int32_t trafCount = 0;     // ticks since the figures restarted
    std::int32_t ftpCount = 0;      // ticks since the FTP transaction started
    std::int32_t ftpLastBytes = 0;  // FTP byte counter at the previous tick
    bool ftpDownload = true;        // direction of the test transfer
    bool skipSample = true;         // the next tick stores no interface sample

    // The figures of lbMoyd, lbMoyu and lbFMoy as numbers, in the display unit.
    float avgDl = 0.0f;
    float avgUl = 0.0f;
    float avgFtp = 0.0f;

    // Display unit: 1 and "ko/s", or 8 and "kbps".
    std::int32_t unitFactor = 1;
    std::string unitText = "ko/s";

    float trafScale = 0.0f;  // graph pixels per sample unit
};

}  // namespace ulz

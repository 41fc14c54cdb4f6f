// The connection analysis: the chosen interface's octet counters sampled at
// every collector tick into the history, and every figure drawn from it.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/app.h"
#include "core/fixed_arith.h"
#include "core/main_form.h"
#include "core/number_text.h"

namespace ulz {
namespace {

constexpr const char* kAnalyseCaption = "Analyser la connection";
constexpr const char* kStopAnalyseCaption = "Stopper analyse";
constexpr const char* kNotAvailable = "N/A";

constexpr int kBurstIntervalMs = 100;
constexpr int kNormalIntervalMs = 1000;

// An FTP tick that moved this many bytes or more records nothing.
constexpr std::int32_t kFtpDownloadBound = 300000;
constexpr std::int32_t kFtpUploadBound = 500000;

// The last slot a sum may read: the history is bounded, the counts are not.
constexpr std::int32_t kLastSlot = kTrafficHistorySize - 1;

class NoFtpTransfer final : public FtpStatus {
public:
    bool connected() const override { return false; }
    std::int32_t bytesReceived() const override { return 0; }
    std::int32_t bytesSent() const override { return 0; }
};

// floor(x) / 100 written as a number text: at most two decimals.
std::string hundredths(long double x) {
    return floatToStr(floorViaDouble(x) / 100);
}

// The labels and the average of one direction.
struct DirectionOutput {
    const TrafficState::Series& slots;
    Label& average;
    Label& instability;
    Label& burstPerformance;
    Label& theoreticalMax;
    float& averageValue;
};

}  // namespace

const FtpStatus& noFtpTransfer() {
    static const NoFtpTransfer none;
    return none;
}

void MainForm::ListInterfaces() {
    const std::vector<InterfaceRow> rows = app_.services.interfaces.read();
    cbIf.items.clear();
    for (const InterfaceRow& row : rows) {
        // The text up to its first NUL, as a C string would end it.
        cbIf.items.push_back(row.description.substr(0, row.description.find('\0')));
    }
    cbIf.select(cbIf.itemIndex);
    // The last row's counters become the baselines; with no rows there is
    // nothing to prime them from and they stay at zero.
    if (rows.empty()) return;
    TrafficState& t = traffic;
    t.dlSample = static_cast<float>(counterSample(rows.back().inOctets, t.lastInOctets));
    t.ulSample = static_cast<float>(counterSample(rows.back().outOctets, t.lastOutOctets));
    t.lastInOctets = rows.back().inOctets;
    t.lastOutOctets = rows.back().outOctets;
}

void MainForm::ReadIfCounters(int position) {
    const std::vector<InterfaceRow> rows = app_.services.interfaces.read();
    TrafficState& t = traffic;
    if (position < 0 || static_cast<std::size_t>(position) >= rows.size()) {
        // No such row (no selection, a table that shrank or could not be
        // read): nothing passed. The baselines stay, so the octets of this
        // interval count in the next sample that can be read.
        t.dlSample = 0.0f;
        t.ulSample = 0.0f;
        return;
    }
    const InterfaceRow& row = rows[static_cast<std::size_t>(position)];
    t.dlSample = static_cast<float>(counterSample(row.inOctets, t.lastInOctets));
    t.ulSample = static_cast<float>(counterSample(row.outOctets, t.lastOutOctets));
    t.lastInOctets = row.inOctets;
    t.lastOutOctets = row.outOctets;
}

void MainForm::Button3Click() {
    if (Button3.caption == kAnalyseCaption) {
        traffic.trafCount = 0;
        traffic.avgDl = traffic.avgUl = traffic.avgFtp = 0.0f;
        lbFMoy.caption = kNotAvailable;
        lbFtp.caption = kNotAvailable;
        Button3.caption = kStopAnalyseCaption;
        cbIf.enabled = false;
        Button4Click();
        for (int i = 0; i < 4; ++i) ReadIfCounters(cbIf.itemIndex);
        tmTraffCollect.enabled = true;
        tmTGraph.enabled = true;
    } else {
        tmTraffCollect.enabled = false;
        tmTGraph.enabled = false;
        Button3.caption = kAnalyseCaption;
        traffic.skipSample = true;
        cbIf.enabled = true;
    }
}

void MainForm::Button4Click() {
    traffic.trafCount = 0;
    for (auto& series : traffic.trafHist) series.fill(0);
}

void MainForm::burstClick() {
    Button4Click();
    tmTraffCollect.intervalMs = burst.checked ? kBurstIntervalMs : kNormalIntervalMs;
}

void MainForm::setBurstChecked(bool checked) {
    if (burst.checked == checked) return;
    burst.checked = checked;
    burstClick();
}

void MainForm::cbIfChange() {
    traffic.skipSample = true;
}

void MainForm::tmTraffCollectTimer() {
    TrafficState& t = traffic;
    ReadIfCounters(cbIf.itemIndex);
    if (!tmTraffCollect.enabled) return;

    if (t.trafCount < std::numeric_limits<std::int32_t>::max()) ++t.trafCount;
    if (t.ftpCount < std::numeric_limits<std::int32_t>::max()) ++t.ftpCount;
    const std::int32_t n = t.trafCount;
    const std::int32_t m = t.ftpCount;
    const std::int32_t ticksPerSecond = 1000 / std::max(1, tmTraffCollect.intervalMs);
    const std::int32_t u = t.unitFactor;
    const std::int32_t rDown = app_.Opts.downRate();
    const std::int32_t rUp = app_.Opts.upRate();
    auto& hF = t.trafHist[kFtpSeries];
    auto& hD = t.trafHist[kDownloadSeries];
    auto& hU = t.trafHist[kUploadSeries];

    // Shift slots 0..P-1 into 1..P; the graph's auto-scale follows the
    // largest download or upload value moved.
    const int p = std::clamp(tbHechT.position, 0, kLastSlot);
    for (auto& series : t.trafHist) {
        std::copy_backward(series.begin(), series.begin() + p, series.begin() + p + 1);
    }
    std::int32_t peak = 0;
    for (int slot = 1; slot <= p; ++slot) {
        peak = std::max(
            {peak, hD[static_cast<std::size_t>(slot)], hU[static_cast<std::size_t>(slot)]});
    }
    // Each new peak met while shifting rewrote the scale; the last one, the
    // largest, is what stays.
    if (peak > 0 && autoechT.checked) {
        Label23.caption =
            floatToStr(static_cast<double>(static_cast<long double>(u) * peak / 100)) + t.unitText;
        t.trafScale = storeSingle(trafgraph.height() / (peak + 0.01L));
    }

    if (!t.skipSample) {
        hD[0] = truncateToInt32(static_cast<double>(t.dlSample));
        hU[0] = truncateToInt32(static_cast<double>(t.ulSample));
    } else {
        t.skipSample = false;
    }

    hF[0] = 0;
    const bool ftpConnected = ftp_->connected();
    if (ftpConnected) {
        const std::int32_t c = t.ftpDownload ? ftp_->bytesReceived() : ftp_->bytesSent();
        const std::int32_t d = wrappingSub(c, t.ftpLastBytes);
        const std::int32_t bound = t.ftpDownload ? kFtpDownloadBound : kFtpUploadBound;
        if (d > 0 && d < bound) hF[0] = d / 10;
        t.ftpLastBytes = c;

        lbFtp.caption = hundredths(static_cast<long double>(u * hF[0] * 1000) / 1024) + t.unitText;
        float f = 0.0f;
        for (std::int32_t j = 0; j <= std::min(m, kLastSlot); ++j) {
            f = addSingle(f, 10 * hF[static_cast<std::size_t>(j)]);
        }
        f = storeSingle(f / (m + 0.01L));
        f = storeSingle(static_cast<long double>(f) * ticksPerSecond);
        const long double ftpShown = static_cast<long double>(u) * f * 100 / 1024;
        lbFMoy.caption = hundredths(ftpShown) + t.unitText;
        t.avgFtp = storeSingle(floorViaDouble(ftpShown) / 100);
        const std::int32_t r = t.ftpDownload ? rDown : rUp;
        lbFtpc.caption = hundredths(819200.0L * f * 100 / 1024 / r) + "%";
    }

    const std::int32_t lastSlot = std::min(n, kLastSlot);
    const DirectionOutput directions[] = {
        {hD, lbMoyd, lbStabd, lbPerfd, lbMaxd, t.avgDl},
        {hU, lbMoyu, lbStabu, lbPerfu, lbMaxu, t.avgUl},
    };
    for (const DirectionOutput& dir : directions) {
        const auto slot = [&dir](std::int32_t j) { return dir.slots[static_cast<std::size_t>(j)]; };

        float a = 0.0f;
        for (std::int32_t j = 0; j <= lastSlot; ++j) a = addSingle(a, slot(j));
        a = storeSingle(a / (n + 0.01L));
        a = storeSingle(static_cast<long double>(a) * ticksPerSecond);
        const long double shown = static_cast<long double>(1000 * u) * a / 1024;
        dir.average.caption = hundredths(shown) + t.unitText;
        dir.averageValue = storeSingle(floorViaDouble(shown) / 100);

        // Blocks of T + 1 slots, each sharing its first slot with the
        // previous block's last.
        float deviation = 0.0f;
        float strongestShare = 0.0f;
        std::int32_t maxOfBlocks = 0;
        for (std::int32_t b = 0; b + ticksPerSecond <= lastSlot; b += ticksPerSecond) {
            std::int64_t blockSum = 0;
            std::int32_t blockMax = 0;
            float blockSumSingle = 0.0f;
            for (std::int32_t j = b; j <= b + ticksPerSecond; ++j) {
                blockSum += slot(j);
                blockMax = std::max(blockMax, slot(j));
                blockSumSingle = addSingle(blockSumSingle, slot(j));
            }
            deviation = addSingle(deviation, std::fabs(static_cast<long double>(a) - blockSum));
            strongestShare = addSingle(strongestShare, blockMax / (blockSumSingle + 0.01L));
            maxOfBlocks = std::max(maxOfBlocks, blockMax);
        }
        // Both directions compare with the download plan rate.
        const float instability = storeSingle(deviation / ((n + 0.01L) / ticksPerSecond));
        dir.instability.caption = floatToStr(floorViaDouble(80000.0L * instability / rDown) / 1000);

        if (burst.checked) {
            const float perf =
                storeSingle(10000.0L * strongestShare / ((n + 0.01L) * ticksPerSecond * 10));
            dir.burstPerformance.caption = hundredths(100.0L * perf);
            const long double maxRate = static_cast<long double>(u * 10) *
                                        (static_cast<long double>(maxOfBlocks) / 1024) *
                                        (ticksPerSecond * 10);
            dir.theoreticalMax.caption = floatToStr(floorViaDouble(maxRate) / 10) + t.unitText;
        } else {
            dir.burstPerformance.caption = kNotAvailable;
            dir.theoreticalMax.caption = kNotAvailable;
        }

        if (ftpConnected) {
            const float x = t.ftpDownload ? t.avgDl : t.avgUl;
            const long double loss = (100 - t.avgFtp / (x + 0.01L) * 100) * 10;
            lbLoss.caption = floatToStr(floorViaDouble(loss) / 10);
        }
    }

    if (ticksPerSecond == 1) {
        std::int32_t silent = 0;
        for (std::int32_t j = 0; j <= lastSlot; ++j) {
            if (hD[static_cast<std::size_t>(j)] == 0 && hU[static_cast<std::size_t>(j)] == 0)
                ++silent;
        }
        lbCoupT.caption = intToStr(silent);
    }
}

void MainForm::rbKosClick(std::string_view sender) {
    if (sender == "rbKos") {
        traffic.unitText = "ko/s";
        traffic.unitFactor = 1;
    } else if (sender == "RadioButton2") {
        traffic.unitText = "kbps";
        traffic.unitFactor = 8;
    }
}

}  // namespace ulz

// The ping statistics test: one echo request per collection tick, the
// sliding-window figures and the live PingZelk score.
#include <algorithm>
#include <cmath>

#include "core/app.h"
#include "core/fixed_arith.h"
#include "core/main_form.h"
#include "core/number_text.h"

namespace ulz {

void MainForm::Button1Click() {
    ping.pingCount = 0;
    ping.outageSeconds = 0;
    ping.timeoutRun = 0;
    ping.pingTimeouts = 0;
    if (Button1.caption == kStartStatsCaption) {
        ping.pingSamples.fill(0);
        pinger_.setSize(1);
        tmGraph.enabled = true;
        Button2.enabled = false;
        PingCollect.enabled = true;
        Button1.caption = kStopCaption;
        host.enabled = false;
        pingErrorShown_ = false;
    } else {
        Button1.caption = kStartStatsCaption;
        Button2.enabled = true;
        PingCollect.enabled = false;
        tmGraph.enabled = false;
        host.enabled = true;
    }
    // A request still in flight belongs to the run that just ended or to the
    // one before it; its reply must not count in the new state.
    dropPendingPing();
}

void MainForm::hostChange() {
    pinger_.setAddress(host.text);
}

void MainForm::dropPendingPing() {
    ++pingGeneration_;
    pingInFlight_ = false;
}

void MainForm::PingCollectTimer() {
    // A tick is never re-entered: while the last request is still out (a
    // slow name resolution), the timer's ticks pass, as they would while the
    // request blocked the window.
    if (pingInFlight_) return;
    pingInFlight_ = true;
    const std::uint64_t generation = pingGeneration_;
    pinger_.ping([this, generation](const PingOutcome& outcome) {
        if (generation != pingGeneration_) return;
        pingInFlight_ = false;
        pingCollectFinish(outcome);
    });
}

void MainForm::Ping1EchoReply(std::uint32_t rtt) {
    if (rtt >= Pinger::kTimeoutMs) {
        ping.pingSamples[0] = TimeoutSample;
        lbAct.caption = "Timeout";
        ++ping.pingTimeouts;
    } else {
        ping.pingSamples[0] = static_cast<std::int32_t>(rtt);
        lbAct.caption = intToStr(rtt) + "ms";
    }
    ++ping.pingCount;
    if (ping.benchActive) pingBenchStep(rtt);
}

void MainForm::pingCollectFinish(const PingOutcome& outcome) {
    std::int32_t winMax = 0, winMin = 1000, winSum = 0, winLost = 0;

    if (outcome.rtt) {
        Ping1EchoReply(*outcome.rtt);
    } else if (!outcome.error.empty() && !pingErrorShown_) {
        // No request can go out at all: say once per run what to change.
        pingErrorShown_ = true;
        app_.services.messages.showError(outcome.error);
    }

    auto& samples = ping.pingSamples;
    const int n = std::clamp(tbHech.position, 0, kPingBufferSize - 1);
    for (int k = n - 1; k >= 0; --k) {
        const std::int32_t v = samples[static_cast<std::size_t>(k)];
        samples[static_cast<std::size_t>(k) + 1] = v;
        if (v > winMax && v < 1000) {
            if (autoech.checked) {
                ping.graphScale = static_cast<float>((pingraph.height() + 0.0) / (v + 0.01));
            }
            winMax = v;
            lbMax.caption = intToStr(v) + "ms";
        }
        if (v < winMin && v > 0) {
            winMin = v;
            lbMin.caption = intToStr(v) + "ms";
        }
        if (v >= 1000) {
            ++winLost;
        } else {
            winSum += v;
        }
    }

    if (samples[0] == TimeoutSample) {
        ++ping.timeoutRun;
    } else {
        ping.timeoutRun = 0;
    }
    // The reply step may just have ended the ping benchmark.
    if (!PingCollect.enabled) return;

    if (ping.timeoutRun > 1) {
        ++ping.outageSeconds;
        lbAct.caption = "COUPURE";
    }
    lbEch.caption = intToStr(ping.pingCount);
    lbCoup.caption = intToStr(ping.outageSeconds) + "s";
    lbMoy.caption =
        floatToStr(std::floor((winSum * 100) / (ping.pingCount - winLost + 0.01)) * 0.01) + "ms";
    lbPingZ.fontColor = ping.pingCount < 50 ? kRed : kGreen;

    const std::int32_t b = std::min(ping.pingCount, 400) - winLost;
    const double a = (winSum + 0.01) / (b + 0.01);
    const double p1 = 1 / (a * 0.0001);
    const double p2 = 1 / ((winMin + 0.01) * 0.0004);
    const std::int32_t h = winMax / 2;
    const std::int32_t q = ping.pingTimeouts * 50;
    const std::int32_t raw = truncateToInt32(p1 + p2 - h - q);
    ping.pingScore = raw > 0 ? 2 * raw : 0;
    lbPingZ.caption = intToStr(ping.pingScore) + "pts";
}

}  // namespace ulz

// The ping benchmark: ten replies from each host of the list, a report with
// per-host and final figures, the PingZelk score and its certificate.
#include <cmath>

#include "core/app.h"
#include "core/certificate.h"
#include "core/main_form.h"
#include "core/number_text.h"

namespace ulz {

void MainForm::Button2Click() {
    ping.pingCount = 0;
    ping.outageSeconds = 0;
    ping.timeoutRun = 0;
    ping.pingTimeouts = 0;
    bench.benchHostMin = 1000;
    bench.benchHostMax = 0;
    bench.benchHostSum = 0.0f;
    if (Button2.caption == kStartBenchCaption) {
        std::fill_n(ping.pingSamples.begin(), 400, 0);
        pinger_.setSize(32);
        tmGraph.enabled = true;
        Button1.enabled = false;
        PingCollect.enabled = true;
        Button2.caption = kStopCaption;
        host.select(0);
        hostChange();
        host.enabled = false;
        ResultForm& result = app_.Result;
        result.ClearReport();
        result.AddReportLine("BenchMark Ping démarré.");
        result.AddReportLine("\r\nRégion : " + app_.Opts.cbRegion.text);
        result.AddReportLine("Modem : " + app_.Opts.cbModem.text);
        result.AddReportLine("Forfait : " + app_.Opts.cbForfait.text);
        ping.benchActive = true;
        bench.benchHostPings = 0;
        gpDebit.enabled = false;
    } else {
        Button2.caption = kStartBenchCaption;
        Button1.enabled = true;
        PingCollect.enabled = false;
        tmGraph.enabled = false;
        host.enabled = true;
        ping.benchActive = false;
        gpDebit.enabled = true;
    }
    // A request still in flight belongs to the run that just ended.
    dropPendingPing();
}

void MainForm::pingBenchStep(std::uint32_t rtt) {
    ++bench.benchHostPings;
    const auto t = static_cast<std::int32_t>(rtt);
    if (t < bench.benchHostMin) bench.benchHostMin = t;
    if (t > bench.benchHostMax) bench.benchHostMax = t;
    bench.benchHostSum = bench.benchHostSum + static_cast<float>(t);
    if (bench.benchHostPings < PingBenchState::benchPingsPerHost) return;

    bench.benchHostPings = 0;
    const float m = bench.benchHostSum / static_cast<float>(PingBenchState::benchPingsPerHost);
    ResultForm& result = app_.Result;
    result.AddReportLine("\r\n \r\n Test de ping sur " + host.text + " :");
    result.AddReportLine("     Minimum : " + intToStr(bench.benchHostMin) + "ms");
    result.AddReportLine("     Moyenne : " + floatToStr(std::floor(m * 100.0) * 0.01) + "ms");
    result.AddReportLine("     Maximum : " + intToStr(bench.benchHostMax) + "ms");
    bench.benchHostSum = 0.0f;
    bench.benchHostMin = 1000;
    bench.benchHostMax = 0;

    if (host.itemIndex < static_cast<int>(host.items.size()) - 1) {
        host.select(host.itemIndex + 1);
        hostChange();
        return;
    }
    endPingBench();
}

void MainForm::endPingBench() {
    PingCollect.enabled = false;
    // Still reads "Arrêter": this is the stop, with its resets.
    Button2Click();
    host.select(0);
    hostChange();

    ResultForm& result = app_.Result;
    result.AddReportLine("\r\n \r\n Résultats finaux :");
    result.AddReportLine("       Minimum : " + lbMin.caption);
    result.AddReportLine("       Moyenne : " + lbMoy.caption);
    result.AddReportLine("       Maximum : " + lbMax.caption);
    result.AddReportLine("       Coupures : " + lbCoup.caption);
    result.AddReportLine("\r\n  Score : " + intToStr(ping.pingScore) + " PingZelk");
    result.SetScoreText(intToStr(ping.pingScore) + " PingZelk");
    const std::string certificateText =
        lbMin.caption + lbMoy.caption + lbMax.caption + lbCoup.caption + result.GetScoreText();
    result.AddReportLine("\r\nCertificat d'authenticité : " +
                         ComputeCertificateOfText(certificateText));
    result.ShowResults();
}

}  // namespace ulz

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/certificate.h"
#include "fakes.h"

namespace ulz {
namespace {

using Lines = std::vector<std::string>;

class PingBenchTest : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& hosts) {
        form().host.items = hosts;
        form().host.select(0);
        app().Opts.cbRegion.text = "Bas-Rhin";
        app().Opts.cbModem.text = "Modem A";
        app().Opts.cbForfait.text = "Plan A";
        form().Button2Click();
    }
    void tick(std::uint32_t rtt) {
        form().PingCollectTimer();
        program.pinger.reply(rtt);
    }
    void ticks(int n, std::uint32_t rtt) {
        for (int i = 0; i < n; ++i) tick(rtt);
    }
    App& app() { return *program.app; }
    MainForm& form() { return program.app->Form1; }
    const Lines& report() { return app().Result.Memo.lines; }

    void SetUp() override { program.start(); }

    testing::FakeProgram program;
};

Lines hostBlock(const std::string& host, const std::string& min, const std::string& moy,
                const std::string& max) {
    return {"",
            " ",
            " Test de ping sur " + host + " :",
            "     Minimum : " + min + "ms",
            "     Moyenne : " + moy + "ms",
            "     Maximum : " + max + "ms"};
}

const Lines kOpening = {"BenchMark Ping démarré.", "", "Région : Bas-Rhin", "Modem : Modem A",
                        "Forfait : Plan A"};

TEST_F(PingBenchTest, ThreeHostsGiveTheWholeReport) {
    start({"hote-a", "hote-b", "hote-c"});
    EXPECT_EQ(report(), kOpening);
    EXPECT_EQ(program.pinger.size, 32);
    EXPECT_EQ(program.pinger.address, "hote-a");
    ticks(10, 20);
    EXPECT_EQ(program.pinger.address, "hote-b");
    ticks(10, 30);
    ticks(9, 40);
    EXPECT_FALSE(app().Result.window.visible);
    tick(40);

    // The final figures are the captions of the tick before the last reply:
    // 29 replies, the last 40 ms one left out.
    const std::string certificate = ComputeCertificate("20ms29,64ms40ms0s884 PingZelk");
    Lines expected = kOpening;
    for (const Lines& block :
         {hostBlock("hote-a", "20", "20", "20"), hostBlock("hote-b", "30", "30", "30"),
          hostBlock("hote-c", "40", "40", "40")}) {
        expected.insert(expected.end(), block.begin(), block.end());
    }
    expected.insert(expected.end(), {"", " ", " Résultats finaux :", "       Minimum : 20ms",
                                     "       Moyenne : 29,64ms", "       Maximum : 40ms",
                                     "       Coupures : 0s", "", "  Score : 884 PingZelk", "",
                                     "Certificat d'authenticité : " + certificate});
    EXPECT_EQ(report(), expected);
    EXPECT_EQ(app().Result.GetScoreText(), "884 PingZelk");
    EXPECT_TRUE(app().Result.window.visible);
    EXPECT_TRUE(form().window.enabled);

    // Back to idle, on the first host.
    EXPECT_EQ(form().Button2.caption, "Démarrer PingZelk");
    EXPECT_TRUE(form().Button1.enabled);
    EXPECT_TRUE(form().host.enabled);
    EXPECT_TRUE(form().gpDebit.enabled);
    EXPECT_FALSE(form().PingCollect.enabled);
    EXPECT_FALSE(form().tmGraph.enabled);
    EXPECT_EQ(form().host.itemIndex, 0);
    EXPECT_EQ(program.pinger.address, "hote-a");
    // The same tick's window scan still ran after the report was written.
    EXPECT_EQ(form().lbMax.caption, "40ms");
}

TEST_F(PingBenchTest, WhileRunningTheOtherControlsAreOutOfUse) {
    start({"hote-a"});
    EXPECT_EQ(form().Button2.caption, "Arrêter");
    EXPECT_FALSE(form().Button1.enabled);
    EXPECT_FALSE(form().host.enabled);
    EXPECT_FALSE(form().gpDebit.enabled);
    EXPECT_TRUE(form().PingCollect.enabled);
    EXPECT_TRUE(form().tmGraph.enabled);
}

struct HostMeanCase {
    std::vector<std::uint32_t> replies;
    const char *min, *moy, *max;
};

class PingBenchHostLinesTest : public PingBenchTest,
                               public ::testing::WithParamInterface<HostMeanCase> {};

TEST_P(PingBenchHostLinesTest, HostLinesUseTheReportedTimes) {
    start({"hote-a"});
    for (const auto rtt : GetParam().replies) tick(rtt);
    const Lines block = hostBlock("hote-a", GetParam().min, GetParam().moy, GetParam().max);
    ASSERT_GE(report().size(), kOpening.size() + block.size());
    EXPECT_EQ(Lines(report().begin() + static_cast<long>(kOpening.size()),
                    report().begin() + static_cast<long>(kOpening.size() + block.size())),
              block);
}

INSTANTIATE_TEST_SUITE_P(
    Means, PingBenchHostLinesTest,
    ::testing::Values(
        HostMeanCase{{20, 20, 20, 20, 20, 20, 20, 20, 20, 25}, "20", "20,5", "25"},
        // 203 ms in all: the single-precision mean 20.2999992 is cut, not rounded.
        HostMeanCase{{20, 20, 20, 20, 20, 20, 20, 20, 20, 23}, "20", "20,29", "23"},
        // A silent host: the reported times, not the sample value 1000 (and
        // 950.6 in single precision is 950.59998).
        HostMeanCase{{950, 951, 950, 950, 950, 950, 950, 950, 950, 955}, "950", "950,59", "955"},
        HostMeanCase{{0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "0", "0,1", "1"}));

TEST_F(PingBenchTest, StopByTheUserLeavesTheReportUnfinished) {
    start({"hote-a", "hote-b"});
    ticks(12, 20);
    const Lines unfinished = report();
    form().Button2Click();
    EXPECT_EQ(form().Button2.caption, "Démarrer PingZelk");
    EXPECT_FALSE(form().ping.benchActive);
    EXPECT_FALSE(app().Result.window.visible);
    EXPECT_EQ(report(), unfinished);
    // A reply still out when the user stopped changes nothing.
    form().Button2Click();
    form().PingCollectTimer();
    form().Button2Click();
    program.pinger.reply(77);
    EXPECT_EQ(form().ping.pingCount, 0);
    // The next start clears the report.
    form().Button2Click();
    EXPECT_EQ(report(), kOpening);
}

TEST_F(PingBenchTest, UnresolvableHostHoldsTheRunUntilTheUserStopsIt) {
    start({"hote-a", "nulle-part.invalid"});
    ticks(10, 20);
    ASSERT_EQ(program.pinger.address, "nulle-part.invalid");
    for (int i = 0; i < 30; ++i) {
        form().PingCollectTimer();
        program.pinger.noReply();
    }
    EXPECT_EQ(form().host.itemIndex, 1);
    EXPECT_EQ(form().Button2.caption, "Arrêter");
    EXPECT_FALSE(app().Result.window.visible);
    form().Button2Click();
    EXPECT_EQ(form().Button2.caption, "Démarrer PingZelk");
    EXPECT_TRUE(form().Button1.enabled);
    EXPECT_TRUE(form().gpDebit.enabled);
    EXPECT_FALSE(form().PingCollect.enabled);
    EXPECT_FALSE(app().Result.window.visible);
}

TEST_F(PingBenchTest, EmptyHostListEndsAfterOneBlockOnTheTypedHost) {
    form().host.text = "hote-tapee";
    start({});
    EXPECT_EQ(program.pinger.address, "hote-tapee");
    ticks(10, 15);
    ASSERT_GE(report().size(), kOpening.size() + 3);
    EXPECT_EQ(report()[kOpening.size() + 2], " Test de ping sur hote-tapee :");
    EXPECT_TRUE(app().Result.window.visible);
    EXPECT_EQ(form().Button2.caption, "Démarrer PingZelk");
}

TEST_F(PingBenchTest, StartClearsOnlyTheFirst400Samples) {
    form().ping.pingSamples.fill(7);
    start({"hote-a"});
    EXPECT_EQ(form().ping.pingSamples[399], 0);
    EXPECT_EQ(form().ping.pingSamples[400], 7);
}

}  // namespace
}  // namespace ulz

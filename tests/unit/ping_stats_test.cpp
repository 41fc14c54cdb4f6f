#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "fakes.h"

namespace ulz {
namespace {

using testing::FakeProgram;

constexpr std::int64_t kNoReply = -1;  // a tick whose request brought no reply event

std::vector<std::int64_t> repeat(int n, std::int64_t rtt) {
    return std::vector<std::int64_t>(n, rtt);
}

std::vector<std::int64_t> concat(std::initializer_list<std::vector<std::int64_t>> parts) {
    std::vector<std::int64_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

class PingStatsTest : public ::testing::Test {
protected:
    PingStatsTest() : form(program.start().Form1) {}

    // One collection tick whose request is answered at once.
    void tick(std::int64_t rtt) {
        form.PingCollectTimer();
        if (rtt == kNoReply) {
            program.pinger.noReply();
        } else {
            program.pinger.reply(static_cast<std::uint32_t>(rtt));
        }
    }
    void ticks(const std::vector<std::int64_t>& rtts) {
        for (const auto rtt : rtts) tick(rtt);
    }

    FakeProgram program;
    MainForm& form;
};

struct FiguresCase {
    const char* name;
    std::vector<std::int64_t> rtts;
    int window;
    const char *act, *min, *moy, *max, *ech, *coup, *pingZ;
    Rgb pingZColor;
};

class PingFiguresTest : public PingStatsTest, public ::testing::WithParamInterface<FiguresCase> {};

TEST_P(PingFiguresTest, CaptionsAfterARun) {
    const FiguresCase& c = GetParam();
    form.tbHech.position = c.window;
    form.Button1Click();
    ticks(c.rtts);
    EXPECT_EQ(form.lbAct.caption, c.act);
    EXPECT_EQ(form.lbMin.caption, c.min);
    EXPECT_EQ(form.lbMoy.caption, c.moy);
    EXPECT_EQ(form.lbMax.caption, c.max);
    EXPECT_EQ(form.lbEch.caption, c.ech);
    EXPECT_EQ(form.lbCoup.caption, c.coup);
    EXPECT_EQ(form.lbPingZ.caption, c.pingZ);
    EXPECT_EQ(form.lbPingZ.fontColor, c.pingZColor);
}

constexpr std::int64_t T = 950;  // reported for a request that timed out

INSTANTIATE_TEST_SUITE_P(
    Runs, PingFiguresTest,
    ::testing::Values(
        // The + 0.01 of the divisor shows in the average.
        FiguresCase{"TenRepliesOf50", repeat(10, 50), 375, "50ms", "50ms", "49,95ms", "50ms", "10",
                    "0s", "450pts", kRed},
        // More replies than the window: the window's sum over every reply, and B capped at 400.
        FiguresCase{"FiveHundredRepliesOf40", repeat(500, 40), 375, "40ms", "40ms", "29,99ms",
                    "40ms", "500", "0s", "618pts", kGreen},
        // Min and max keep their old captions when the window holds no reply.
        FiguresCase{"TenTimeouts", repeat(10, T), 375, "COUPURE", "0ms", "0ms", "0ms", "10", "9s",
                    "19004pts", kRed},
        FiguresCase{"Reply949IsASample",
                    {949},
                    375,
                    "949ms",
                    "949ms",
                    "939,6ms",
                    "949ms",
                    "1",
                    "0s",
                    "0pts",
                    kRed},
        FiguresCase{"Reply950IsATimeout",
                    {950},
                    375,
                    "Timeout",
                    "0ms",
                    "0ms",
                    "0ms",
                    "1",
                    "0s",
                    "19904pts",
                    kRed},
        FiguresCase{"IsolatedTimeoutIsNoOutage",
                    {50, T, 50},
                    375,
                    "50ms",
                    "50ms",
                    "49,75ms",
                    "50ms",
                    "3",
                    "0s",
                    "350pts",
                    kRed},
        FiguresCase{"TwoTimeoutsInARowMakeOneOutageSecond",
                    {50, T, T},
                    375,
                    "COUPURE",
                    "50ms",
                    "49,5ms",
                    "50ms",
                    "3",
                    "1s",
                    "252pts",
                    kRed},
        // A reply of 0 ms counts and adds nothing; it is never the minimum.
        FiguresCase{"ZeroMsReply",
                    {30, 0},
                    375,
                    "0ms",
                    "30ms",
                    "14,92ms",
                    "30ms",
                    "2",
                    "0s",
                    "1476pts",
                    kRed},
        FiguresCase{"WindowLongerThanTheSamples", repeat(3, 100), 3600, "100ms", "100ms", "99,66ms",
                    "100ms", "3", "0s", "150pts", kRed},
        // Without a reply event the newest sample repeats, and so does the outage.
        FiguresCase{"NoReplyEventRepeatsTheTimeout",
                    {T, kNoReply, kNoReply},
                    375,
                    "COUPURE",
                    "0ms",
                    "0ms",
                    "0ms",
                    "1",
                    "2s",
                    "0pts",
                    kRed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PingStatsTest, StartAndStopSetTheControlsAndTheRequestSize) {
    form.Button1Click();
    EXPECT_EQ(form.Button1.caption, "Arrêter");
    EXPECT_FALSE(form.Button2.enabled);
    EXPECT_FALSE(form.host.enabled);
    EXPECT_TRUE(form.PingCollect.enabled);
    EXPECT_TRUE(form.tmGraph.enabled);
    EXPECT_EQ(program.pinger.size, 1);

    ticks({40, T, T});
    form.Button1Click();
    EXPECT_EQ(form.Button1.caption, "Démarrer Test Statistique");
    EXPECT_TRUE(form.Button2.enabled);
    EXPECT_TRUE(form.host.enabled);
    EXPECT_FALSE(form.PingCollect.enabled);
    EXPECT_FALSE(form.tmGraph.enabled);
    // Counters reset at the stop; the samples and the captions stay.
    EXPECT_EQ(form.ping.pingCount, 0);
    EXPECT_EQ(form.ping.pingTimeouts, 0);
    EXPECT_EQ(form.ping.outageSeconds, 0);
    EXPECT_EQ(form.ping.timeoutRun, 0);
    EXPECT_EQ(form.ping.pingSamples[3], 40);
    EXPECT_EQ(form.lbCoup.caption, "1s");

    // A new start clears all the samples.
    form.Button1Click();
    for (const auto s : form.ping.pingSamples) ASSERT_EQ(s, 0);
}

TEST_F(PingStatsTest, SamplesShiftNewestFirstWithACopyInEntryZero) {
    form.Button1Click();
    ticks({10, 20, 30});
    const auto& s = form.ping.pingSamples;
    EXPECT_EQ(std::vector<int>(s.begin(), s.begin() + 5), (std::vector<int>{30, 30, 20, 10, 0}));
}

TEST_F(PingStatsTest, ReplyOfAStoppedRunIsDropped) {
    form.Button1Click();
    form.PingCollectTimer();
    form.Button1Click();  // stop while the request is out
    form.Button1Click();  // and start again
    program.pinger.reply(25);
    EXPECT_EQ(form.ping.pingCount, 0);
    EXPECT_EQ(form.lbAct.caption, "0ms");
    EXPECT_EQ(form.ping.pingSamples[1], 0);
    // The new run's own ticks go on normally.
    tick(35);
    EXPECT_EQ(form.lbAct.caption, "35ms");
    EXPECT_EQ(form.lbEch.caption, "1");
}

TEST_F(PingStatsTest, ATickWaitsForTheRequestStillOut) {
    form.Button1Click();
    form.PingCollectTimer();
    form.PingCollectTimer();  // the first request has not come back yet
    EXPECT_EQ(program.pinger.sent, 1);
    program.pinger.reply(12);
    EXPECT_EQ(form.lbEch.caption, "1");
    form.PingCollectTimer();
    EXPECT_EQ(program.pinger.sent, 2);
}

TEST_F(PingStatsTest, WindowFollowsTheTrackBarAtEveryTick) {
    form.tbHech.position = 375;
    form.Button1Click();
    ticks({100, 200, 300});
    EXPECT_EQ(form.lbMax.caption, "300ms");
    EXPECT_EQ(form.lbMin.caption, "100ms");
    // A window of three leaves out the 100 on the next tick.
    form.tbHech.position = 3;
    tick(250);
    EXPECT_EQ(form.lbMax.caption, "300ms");
    EXPECT_EQ(form.lbMin.caption, "200ms");
}

TEST_F(PingStatsTest, AutomaticScaleFollowsTheWindowMaximumOnlyWhenTicked) {
    form.Button1Click();
    form.autoech.checked = false;
    ticks({50});
    EXPECT_EQ(form.ping.graphScale, 0.0f);
    form.autoech.checked = true;
    ticks({40});
    EXPECT_EQ(form.ping.graphScale, static_cast<float>(119.0 / 50.01));
}

TEST_F(PingStatsTest, HostChangeAimsThePinger) {
    form.host.text = "192.0.2.7";
    form.hostChange();
    EXPECT_EQ(program.pinger.address, "192.0.2.7");
}

TEST_F(PingStatsTest, PermissionErrorIsShownOncePerRun) {
    form.Button1Click();
    for (int i = 0; i < 3; ++i) {
        form.PingCollectTimer();
        program.pinger.answer({std::nullopt, "pas de permission ICMP"});
    }
    EXPECT_EQ(program.messages.errors, std::vector<std::string>{"pas de permission ICMP"});
    EXPECT_EQ(form.ping.pingCount, 0);
    form.Button1Click();
    form.Button1Click();
    form.PingCollectTimer();
    program.pinger.answer({std::nullopt, "pas de permission ICMP"});
    EXPECT_EQ(program.messages.errors.size(), 2u);
}

TEST_F(PingStatsTest, MoreTimeoutsThanTheScoreCapGiveAZeroScore) {
    form.tbHech.position = 1000;
    form.Button1Click();
    ticks(concat({repeat(10, 20), repeat(500, T)}));
    EXPECT_EQ(form.lbPingZ.caption, "0pts");
    EXPECT_EQ(form.ping.pingScore, 0);
}

}  // namespace
}  // namespace ulz

#include <gtest/gtest.h>

#include <vector>

#include "fakes.h"

namespace ulz {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};

class PingGraphTest : public ::testing::Test {
protected:
    PingGraphTest() : form(program.start().Form1) {}

    // Puts samples newest first, as the collection ticks leave them.
    void setSamples(const std::vector<std::int32_t>& newestFirst) {
        for (std::size_t i = 0; i < newestFirst.size(); ++i)
            form.ping.pingSamples[i] = newestFirst[i];
    }
    void manualScale(int position) {
        form.tbEch.position = position;
        form.tbEchChange();
    }
    // The colours of column x from the top row down, as runs: {colour, rows}.
    std::vector<std::pair<Rgb, int>> column(int x) const {
        std::vector<std::pair<Rgb, int>> runs;
        for (int y = 0; y < form.pingraph.height(); ++y) {
            const Rgb c = form.pingraph.pixel(x, y);
            if (runs.empty() || !(runs.back().first == c)) runs.push_back({c, 0});
            ++runs.back().second;
        }
        return runs;
    }
    using Runs = std::vector<std::pair<Rgb, int>>;

    testing::FakeProgram program;
    MainForm& form;
};

TEST_F(PingGraphTest, BlankUntilAScaleIsSet) {
    setSamples({50, 1000, 20});
    form.tmGraphTimer();
    for (const Rgb& p : form.pingraph.pixels()) ASSERT_EQ(p, kWhite);
}

struct ColourCase {
    std::int32_t sample;
    Rgb colour;
    int barRows;  // rows from the bottom in the sample's colour
};

TEST_F(PingGraphTest, ColoursAndHeightsOfTheColumns) {
    // Position 20: the full height stands for 200 ms.
    const ColourCase cases[] = {{50, kGreen, 29}, {51, kYellow, 30}, {100, kYellow, 59},
                                {101, kRed, 60},  {0, kGreen, 0},    {1000, kRed, 119}};
    std::vector<std::int32_t> samples;
    for (const auto& c : cases) samples.push_back(c.sample);
    setSamples(samples);
    manualScale(20);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const ColourCase& c = cases[i];
        const int x = 374 - static_cast<int>(i);
        Runs expected;
        if (c.barRows < 119) expected.push_back({kWhite, 119 - c.barRows});
        if (c.barRows > 0) expected.push_back({c.colour, c.barRows});
        EXPECT_EQ(column(x), expected) << "sample " << c.sample;
    }
    // Nothing older was sampled: the rest of the graph is background.
    EXPECT_EQ(column(0), (Runs{{kWhite, 119}}));
}

TEST_F(PingGraphTest, TwoSamplesPerColumnAtTheLongerSpan) {
    setSamples({40, 1000, 30, 30});
    manualScale(100);  // full height 1000 ms
    form.tbHech.position = 750;
    form.tbHechChange();
    // Mean of 40 and 1000 truncated: 520, red, 119 - 520 * 0.119 -> row 57 is the top.
    EXPECT_EQ(column(374), (Runs{{kWhite, 58}, {kRed, 61}}));
    EXPECT_EQ(column(373), (Runs{{kWhite, 116}, {kGreen, 3}}));
}

TEST_F(PingGraphTest, SameRatioSamePicture) {
    std::vector<std::int32_t> samples;
    for (int i = 0; i < 800; ++i) samples.push_back(i % 150);
    setSamples(samples);
    manualScale(15);
    form.tbHech.position = 375;
    form.tbHechChange();
    const auto at375 = form.pingraph.pixels();
    form.tbHech.position = 749;
    form.tbHechChange();
    EXPECT_EQ(form.pingraph.pixels(), at375);
    form.tbHech.position = 750;
    form.tbHechChange();
    EXPECT_NE(form.pingraph.pixels(), at375);
}

TEST_F(PingGraphTest, ManualScaleFillsTheColumnAboveItsRange) {
    form.autoech.checked = false;
    setSamples({60});
    manualScale(5);  // full height 50 ms
    EXPECT_EQ(column(374), (Runs{{kYellow, 119}}));
}

TEST_F(PingGraphTest, AutomaticScalePutsTheWindowMaximumJustUnderTheTop) {
    form.Button1Click();
    for (const std::uint32_t rtt : {30u, 80u, 950u}) {
        form.PingCollectTimer();
        program.pinger.reply(rtt);
    }
    form.tmGraphTimer();
    EXPECT_EQ(column(374), (Runs{{kRed, 119}}));  // the time-out fills its column
    EXPECT_EQ(column(374 - 2), (Runs{{kWhite, 1}, {kYellow, 118}}));  // the 80 ms maximum
}

TEST(Canvas, LinesLeaveOutTheirEndPointAndClip) {
    Canvas c(4, 3);
    c.setPenColor(kRed);
    c.moveTo(0, 0);
    c.lineTo(3, 0);
    EXPECT_EQ(c.pixel(2, 0), kRed);
    EXPECT_EQ(c.pixel(3, 0), kWhite);
    c.moveTo(1, 1000000);
    c.lineTo(1, -1000000);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(c.pixel(1, y), kRed);
    c.setPenColor(kGreen);
    c.moveTo(-5, -5);
    c.lineTo(10, 10);
    EXPECT_EQ(c.pixel(0, 0), kGreen);
    EXPECT_EQ(c.pixel(2, 2), kGreen);
}

}  // namespace
}  // namespace ulz

// The traffic graph's pixels, the rate line under it and the vertical scale.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fixed_arith.h"
#include "fakes.h"

namespace ulz {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBarGreen{0, 206, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr int kW = 375, kH = 119;

using Runs = std::vector<std::pair<Rgb, int>>;

class TrafficGraphTest : public ::testing::Test {
protected:
    TrafficGraphTest() : form(program.start().Form1) {}

    // Slots newest first.
    void setSeries(TrafficSeries series, const std::vector<std::int32_t>& slots) {
        for (std::size_t i = 0; i < slots.size(); ++i) form.traffic.trafHist[series][i] = slots[i];
    }
    void manualScale(int position) {
        form.tbEchT.position = position;
        form.tbEchTChange();
    }
    // The colours of column x from the top row down, as runs.
    Runs column(int x) const {
        Runs runs;
        for (int y = 0; y < kH; ++y) {
            const Rgb c = form.trafgraph.pixel(x, y);
            if (runs.empty() || !(runs.back().first == c)) runs.push_back({c, 0});
            ++runs.back().second;
        }
        return runs;
    }

    testing::FakeProgram program;
    MainForm& form;
};

TEST_F(TrafficGraphTest, NothingRisesBeforeAScaleIsSet) {
    setSeries(kFtpSeries, {10, 500});
    setSeries(kDownloadSeries, {300, 20, 4194303});
    setSeries(kUploadSeries, {50, 4194303});
    form.tmTGraphTimer();
    for (const Rgb& p : form.trafgraph.pixels()) ASSERT_EQ(p, kWhite);
}

struct BarCase {
    const char* name;
    std::int32_t ftp, download;
    Runs fromTop;
};

class TrafficBarsTest : public TrafficGraphTest, public ::testing::WithParamInterface<BarCase> {};

TEST_P(TrafficBarsTest, ColumnColours) {
    const BarCase& c = GetParam();
    // Slot 5, column 5: the bars of the neighbours and the upload line (all
    // zero, on the bottom edge) leave it alone.
    form.traffic.trafHist[kFtpSeries][5] = c.ftp;
    form.traffic.trafHist[kDownloadSeries][5] = c.download;
    manualScale(10);  // the top edge stands for 100 sample units
    EXPECT_EQ(column(kW - 1 - 5), c.fromTop);
}

// With 1.19 pixels per unit: 50 reaches row 59, 80 row 23, 30 row 83.
INSTANTIATE_TEST_SUITE_P(
    Columns, TrafficBarsTest,
    ::testing::Values(
        BarCase{"DownloadOnly", 0, 50, {{kWhite, 60}, {kBarGreen, 59}}},
        BarCase{"TransferAboveTheDownload", 80, 50, {{kWhite, 24}, {kRed, 36}, {kBarGreen, 59}}},
        BarCase{"TransferBelowTheDownload", 30, 50, {{kWhite, 60}, {kBarGreen, 24}, {kRed, 35}}},
        BarCase{"TransferEqualToTheDownload", 50, 50, {{kWhite, 60}, {kRed, 59}}},
        BarCase{"TransferAlone", 200, 0, {{kRed, 119}}},
        BarCase{"DownloadAboveTheTop", 0, 150, {{kBarGreen, 119}}},
        BarCase{"Nothing", 0, 0, {{kWhite, 119}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrafficGraphTest, ANewDrawingErasesTheOldBars) {
    setSeries(kDownloadSeries, {90});
    manualScale(10);
    setSeries(kDownloadSeries, {10});
    form.tmTGraphTimer();
    EXPECT_EQ(column(kW - 1), (Runs{{kWhite, 108}, {kBarGreen, 11}}));
}

struct SpanCase {
    const char* name;
    int position;
    std::vector<std::int32_t> slots;
    std::int32_t column0, column1;  // the values of columns 0 and 1
};

class TrafficSpanTest : public TrafficGraphTest, public ::testing::WithParamInterface<SpanCase> {};

TEST_P(TrafficSpanTest, ColumnsAreTruncatedMeansOfTheirSlots) {
    const SpanCase& c = GetParam();
    setSeries(kDownloadSeries, c.slots);
    form.tbHechT.position = c.position;
    form.traffic.trafScale = 1.0f;
    form.tmTGraphTimer();
    // At one pixel per unit a value v ends at row 119 - v, which the line
    // leaves out: v - 1 rows of bar.
    auto bar = [](int value) {
        return value <= 1 ? Runs{{kWhite, kH}}
                          : Runs{{kWhite, kH - value + 1}, {kBarGreen, value - 1}};
    };
    EXPECT_EQ(column(kW - 1), bar(c.column0));
    EXPECT_EQ(column(kW - 2), bar(c.column1));
}

const std::vector<std::int32_t> kSlots = {41, 50, 7, 8, 9, 100, 30, 30, 30,
                                          1,  1,  1, 1, 1, 1,   1,  1,  1};

INSTANTIATE_TEST_SUITE_P(Spans, TrafficSpanTest,
                         ::testing::Values(SpanCase{"OneSlotPerColumn", 375, kSlots, 41, 50},
                                           SpanCase{"StillOneAt749", 749, kSlots, 41, 50},
                                           SpanCase{"TwoSlotsAt750", 750, kSlots, 45,
                                                    7},  // 45,5 and 7,5
                                           SpanCase{"ThreeSlotsAt1125", 1125, kSlots, 32, 39},
                                           SpanCase{"NineSlotsAt3599", 3599, kSlots, 33, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// The upload line must be the line Canvas::lineTo draws through the same
// points; the graph draws it by its vertical runs.
struct LineCase {
    const char* name;
    std::vector<std::int32_t> upload;
};

class UploadLineTest : public TrafficGraphTest, public ::testing::WithParamInterface<LineCase> {};

Canvas referenceLine(const std::vector<std::int32_t>& upload, float scale) {
    Canvas reference(kW, kH);
    reference.setPenColor(kBlue);
    reference.moveTo(kW, kH);
    for (int i = 0; i < 400; ++i) {
        const std::int32_t v =
            i < static_cast<int>(upload.size()) ? upload[static_cast<std::size_t>(i)] : 0;
        reference.lineTo(kW - 1 - i, truncateToInt32(heightMinusScaled(kH, v, scale)));
    }
    return reference;
}

TEST_P(UploadLineTest, SamePixelsAsAPlainLine) {
    const LineCase& c = GetParam();
    setSeries(kUploadSeries, c.upload);
    form.traffic.trafScale = 1.0f;
    form.tmTGraphTimer();
    EXPECT_EQ(form.trafgraph.pixels(), referenceLine(c.upload, 1.0f).pixels());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UploadLineTest,
    ::testing::Values(LineCase{"Flat", std::vector<std::int32_t>(400, 60)},
                      LineCase{"EverySlope",
                               {0,   1,   3,   6,  10, 15, 21, 28, 36, 45, 55, 66, 78, 91,
                                105, 118, 119, 60, 59, 61, 58, 62, 0,  2,  1,  4,  2}},
                      LineCase{"AboveTheTop", {50, 1119, 0, 2000, 30, 30, 119, 120, 118}},
                      LineCase{"IntoTheHiddenColumns",
                               [] {
                                   std::vector<std::int32_t> v(400, 10);
                                   for (int i = 370; i < 400; i += 2) v[i] = 900;
                                   return v;
                               }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrafficGraphTest, ValuesFarAboveTheScaleDrawAtOnce) {
    // Millions of rows above the top: the visible pixels are those of a value
    // whose line still turns above the picture.
    std::vector<std::int32_t> huge, near;
    for (int i = 0; i < 400; ++i) {
        huge.push_back(i % 2 ? 4194303 : i % 7);
        near.push_back(i % 2 ? 1119 : i % 7);
    }
    setSeries(kUploadSeries, huge);
    form.traffic.trafScale = 1.0f;
    form.tmTGraphTimer();
    EXPECT_EQ(form.trafgraph.pixels(), referenceLine(near, 1.0f).pixels());
    // The same at the largest auto-scale, where a full sample lies 5E8 rows up.
    form.traffic.trafScale = storeSingle(kH / (1 + 0.01L));
    form.tmTGraphTimer();
    EXPECT_EQ(form.trafgraph.pixel(kW - 1, 0), kBlue);
}

TEST_F(TrafficGraphTest, UploadLineOverTheBars) {
    setSeries(kDownloadSeries, {50});
    setSeries(kUploadSeries, {20});
    manualScale(10);
    // Column 0: green from row 60 down; the line climbs to row 95 (119 - 23,8)
    // over its right half and leaves over its left half: rows 95 to 107.
    EXPECT_EQ(column(kW - 1), (Runs{{kWhite, 60}, {kBarGreen, 35}, {kBlue, 13}, {kBarGreen, 11}}));
}

// ---------------------------------------------------------------------------
// The rate line

struct RateLineCase {
    const char* name;
    float dl, ul;
    bool kbps;
    const char *down, *up;  // plan rate texts of the options window
    const char* line;
};

class RateLineTest : public TrafficGraphTest, public ::testing::WithParamInterface<RateLineCase> {};

TEST_P(RateLineTest, Text) {
    const RateLineCase& c = GetParam();
    program.app->Opts.down.text = c.down;
    program.app->Opts.up.text = c.up;
    if (c.kbps) form.rbKosClick("RadioButton2");
    form.traffic.dlSample = c.dl;
    form.traffic.ulSample = c.ul;
    form.traffic.skipSample = false;
    form.tmTGraphTimer();
    EXPECT_EQ(form.lbTraffic.caption, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RateLineTest,
    ::testing::Values(RateLineCase{"FullPlan", 6250, 0, false, "512000", "128000",
                                   "DL : 62,5ko/s (100%)  UL : 0ko/s (0%)"},
                      RateLineCase{"Kbps", 6250, 1562, true, "512000", "128000",
                                   "DL : 500kbps (100%)  UL : 124,96kbps (99,9%)"},
                      RateLineCase{"OtherPlan", 6250, 3, false, "1024000", "256000",
                                   "DL : 62,5ko/s (50%)  UL : 0,03ko/s (0%)"},
                      RateLineCase{"PercentTruncated", 6249, 2, false, "512000", "128000",
                                   "DL : 62,49ko/s (99,9%)  UL : 0,02ko/s (0,1%)"},
                      // Rates that are not positive whole numbers count as the defaults.
                      RateLineCase{"UnusableRates", 6250, 1562, false, "0", "abc",
                                   "DL : 62,5ko/s (100%)  UL : 15,62ko/s (99,9%)"},
                      RateLineCase{
                          "LargestSample", 4194303, 4194303, true, "512000", "128000",
                          "DL : 335544,24kbps (67108,8%)  UL : 335544,24kbps (268435,3%)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrafficGraphTest, RateLineWaitsForAStoredSample) {
    form.traffic.dlSample = 6250;
    form.traffic.skipSample = true;
    form.tmTGraphTimer();
    EXPECT_EQ(form.lbTraffic.caption, "DL : 0ko/s (0%) UL : 0ko/s (0%)");
}

// ---------------------------------------------------------------------------
// Manual scale

struct ScaleCase {
    const char* name;
    int position;
    bool kbps;
    const char* label;
};

class ManualScaleTest : public TrafficGraphTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(ManualScaleTest, ScaleLabelAndRedraw) {
    const ScaleCase& c = GetParam();
    if (c.kbps) form.rbKosClick("RadioButton2");
    setSeries(kDownloadSeries, {c.position * 5});  // half the height
    const auto revision = form.trafgraph.revision();
    manualScale(c.position);
    EXPECT_EQ(form.Label23.caption, c.label);
    EXPECT_EQ(form.traffic.trafScale, storeSingle(kH / (c.position * 10.0L)));
    EXPECT_GT(form.trafgraph.revision(), revision);
    EXPECT_EQ(form.trafgraph.pixel(kW - 1, 60), kBarGreen);
    EXPECT_EQ(form.trafgraph.pixel(kW - 1, 58), kWhite);
}

INSTANTIATE_TEST_SUITE_P(Positions, ManualScaleTest,
                         ::testing::Values(ScaleCase{"Smallest", 1, false, "0,1ko/s"},
                                           ScaleCase{"Middle", 25, false, "2,5ko/s"},
                                           ScaleCase{"LargestInKbps", 3000, true, "2400kbps"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ulz

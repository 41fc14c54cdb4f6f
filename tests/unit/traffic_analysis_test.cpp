// The connection analysis over a fake interface table, with the collector
// ticks run by the test: samples, history and every caption to the character.
#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "core/fixed_arith.h"
#include "core/number_text.h"
#include "fakes.h"

namespace ulz {
namespace {

using testing::FakeProgram;

// Octets that make exactly `sample` hundredths of a ko in one read.
std::uint32_t octetsFor(std::uint32_t sample) {
    return (sample * 1024 + 99) / 100;
}

class FakeFtp : public FtpStatus {
public:
    bool connected() const override { return isConnected; }
    std::int32_t bytesReceived() const override { return received; }
    std::int32_t bytesSent() const override { return sent; }

    bool isConnected = true;
    std::int32_t received = 0;
    std::int32_t sent = 0;
};

// The figures of the "Statistiques débit" box, in reading order.
struct Figures {
    std::string moyd, moyu, stabd, stabu, perfd, perfu, maxd, maxu, coupT;
    bool operator==(const Figures&) const = default;
};

void PrintTo(const Figures& f, std::ostream* os) {
    *os << "{" << f.moyd << " | " << f.moyu << " | " << f.stabd << " | " << f.stabu << " | "
        << f.perfd << " | " << f.perfu << " | " << f.maxd << " | " << f.maxu << " | " << f.coupT
        << "}";
}

class TrafficTest : public ::testing::Test {
protected:
    TrafficTest() {
        program.interfaces.rows = {{"lo (loopback)", 900, 900},
                                   {"eth0 (Ethernet, 52:54:00:12:34:56)", 5000, 7000}};
        program.perso.set("perso", "interface", "1");
        form = &program.start().Form1;
    }

    InterfaceRow& row() { return program.interfaces.rows[1]; }
    // One collector tick after these samples' worth of octets went each way.
    void tick(std::uint32_t dlSample = 0, std::uint32_t ulSample = 0) {
        row().inOctets += octetsFor(dlSample);
        row().outOctets += octetsFor(ulSample);
        form->tmTraffCollectTimer();
    }
    void ticks(int count, std::uint32_t dlSample = 0, std::uint32_t ulSample = 0) {
        for (int i = 0; i < count; ++i) tick(dlSample, ulSample);
    }
    Figures figures() const {
        const MainForm& f = *form;
        return {f.lbMoyd.caption,  f.lbMoyu.caption,  f.lbStabd.caption,
                f.lbStabu.caption, f.lbPerfd.caption, f.lbPerfu.caption,
                f.lbMaxd.caption,  f.lbMaxu.caption,  f.lbCoupT.caption};
    }
    void useKbps() {
        form->rbKos.checked = false;
        form->RadioButton2.checked = true;
        form->rbKosClick("RadioButton2");
    }

    FakeProgram program;
    MainForm* form = nullptr;
};

// The number a caption carries, without its unit suffix.
float captionNumber(const std::string& caption) {
    const std::size_t end = caption.find_first_not_of("-0123456789,");
    return static_cast<float>(strToFloat(caption.substr(0, end)).value_or(-1));
}

// ---------------------------------------------------------------------------
// Figures after a run of ticks

struct Tick {
    std::uint32_t dl = 0, ul = 0;
};
struct Reset {};
using Step = std::variant<Tick, Reset>;

std::vector<Step> repeat(int count, Tick t) {
    return std::vector<Step>(count, t);
}
std::vector<Step> concat(std::initializer_list<std::vector<Step>> parts) {
    std::vector<Step> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct FiguresCase {
    const char* name;
    bool burst;
    bool kbps;
    int span;  // tbHechT's position
    std::vector<Step> steps;
    Figures expected;
};

class TrafficFiguresTest : public TrafficTest, public ::testing::WithParamInterface<FiguresCase> {};

TEST_P(TrafficFiguresTest, CaptionsAfterARun) {
    const FiguresCase& c = GetParam();
    form->tbHechT.position = c.span;
    form->setBurstChecked(c.burst);
    if (c.kbps) useKbps();
    form->Button3Click();
    for (const Step& s : c.steps) {
        if (std::holds_alternative<Reset>(s)) {
            form->Button4Click();
        } else {
            tick(std::get<Tick>(s).dl, std::get<Tick>(s).ul);
        }
    }
    EXPECT_EQ(figures(), c.expected);
    // The averages kept as numbers are the numbers shown.
    EXPECT_EQ(form->traffic.avgDl, captionNumber(form->lbMoyd.caption));
    EXPECT_EQ(form->traffic.avgUl, captionNumber(form->lbMoyu.caption));
}

const Tick kIdle{};

INSTANTIATE_TEST_SUITE_P(
    Runs, TrafficFiguresTest,
    ::testing::Values(
        // The worked values: slots 100, 100, 0 at n = 2 (a Reset after the first
        // stored sample, then two samples of 100).
        FiguresCase{"WorkedAverageAndInstability",
                    false,
                    false,
                    375,
                    concat({repeat(2, kIdle), {Reset{}}, repeat(2, Tick{100, 0})}),
                    {"0,97ko/s", "0ko/s", "0,007", "0", "N/A", "N/A", "N/A", "N/A", "1"}},
        // Burst, n = 10: slot 0 holds 1000, slots 1 to 10 are zero.
        FiguresCase{"WorkedBurst",
                    true,
                    false,
                    375,
                    concat({repeat(9, kIdle), {Tick{1000, 0}}}),
                    {"9,75ko/s", "0ko/s", "0", "0", "9,98", "0", "97,6ko/s", "0ko/s", "0"}},
        // kbps floors eight times the value: 7,77 and 78,04, not 8 x 0,97 and 8 x 9,75.
        FiguresCase{"WorkedAverageInKbps",
                    false,
                    true,
                    375,
                    concat({repeat(2, kIdle), {Reset{}}, repeat(2, Tick{100, 0})}),
                    {"7,77kbps", "0kbps", "0,007", "0", "N/A", "N/A", "N/A", "N/A", "1"}},
        FiguresCase{"WorkedBurstInKbps",
                    true,
                    true,
                    375,
                    concat({repeat(9, kIdle), {Tick{1000, 0}}}),
                    {"78,04kbps", "0kbps", "0", "0", "9,98", "0", "781,2kbps", "0kbps", "0"}},
        // The first tick of a run stores no sample: slots 0 and 1 are zero.
        FiguresCase{"FirstTickStoresNothing",
                    false,
                    false,
                    375,
                    repeat(1, Tick{500, 200}),
                    {"0ko/s", "0ko/s", "0", "0", "N/A", "N/A", "N/A", "N/A", "2"}},
        FiguresCase{"TwoZeroSlotsStayInside",
                    false,
                    false,
                    375,
                    repeat(3, Tick{500, 200}),
                    {"3,24ko/s", "1,29ko/s", "0,06", "0,024", "N/A", "N/A", "N/A", "N/A", "2"}},
        // n below T: no block yet.
        FiguresCase{"BurstBeforeTheFirstBlock",
                    true,
                    false,
                    375,
                    repeat(5, Tick{500, 200}),
                    {"38,98ko/s", "15,59ko/s", "0", "0", "0", "0", "0ko/s", "0ko/s", "0"}},
        FiguresCase{"BurstWithBlocks",
                    true,
                    false,
                    375,
                    repeat(25, Tick{500, 200}),
                    {"46,85ko/s", "18,74ko/s", "0,087", "0,035", "0,72", "0,72", "48,8ko/s",
                     "19,5ko/s", "0"}},
        // n up to P + 1: every stored sample counts. Beyond, the slots above P
        // stay zero: outages grow one per tick and the averages decline.
        FiguresCase{"SpanFull",
                    false,
                    false,
                    375,
                    repeat(375, Tick{100, 100}),
                    {"0,97ko/s", "0,97ko/s", "0,015", "0,015", "N/A", "N/A", "N/A", "N/A", "2"}},
        FiguresCase{"SpanPlusTwo",
                    false,
                    false,
                    375,
                    repeat(377, Tick{100, 100}),
                    {"0,97ko/s", "0,97ko/s", "0,015", "0,015", "N/A", "N/A", "N/A", "N/A", "2"}},
        FiguresCase{"SpanPlusThree",
                    false,
                    false,
                    375,
                    repeat(378, Tick{100, 100}),
                    {"0,97ko/s", "0,97ko/s", "0,015", "0,015", "N/A", "N/A", "N/A", "N/A", "3"}},
        FiguresCase{"SpanPlusFive",
                    false,
                    false,
                    375,
                    repeat(380, Tick{100, 100}),
                    {"0,96ko/s", "0,96ko/s", "0,015", "0,015", "N/A", "N/A", "N/A", "N/A", "5"}},
        FiguresCase{"FarBeyondTheSpan",
                    false,
                    false,
                    375,
                    repeat(1000, Tick{100, 100}),
                    {"0,36ko/s", "0,36ko/s", "0,013", "0,013", "N/A", "N/A", "N/A", "N/A", "625"}},
        // n past the 4000 slots: the sums stop at the last slot (399 slots
        // above the span of 3600 never written), the divisor keeps growing.
        FiguresCase{"PastTheHistory",
                    false,
                    false,
                    3600,
                    repeat(4100, Tick{100, 50}),
                    {"0,85ko/s", "0,42ko/s", "0,016", "0,008", "N/A", "N/A", "N/A", "N/A", "399"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Samples

struct SampleCase {
    const char* name;
    std::uint32_t last, now;
    float sample;
};

class CounterSampleTest : public TrafficTest, public ::testing::WithParamInterface<SampleCase> {};

TEST_P(CounterSampleTest, SampleAndNewBaseline) {
    const SampleCase& c = GetParam();
    row().inOctets = c.last;
    row().outOctets = c.last;
    form->ReadIfCounters(1);
    row().inOctets = c.now;
    row().outOctets = c.now;
    form->ReadIfCounters(1);
    EXPECT_EQ(form->traffic.dlSample, c.sample);
    EXPECT_EQ(form->traffic.ulSample, c.sample);
    EXPECT_EQ(form->traffic.lastInOctets, c.now);
    EXPECT_EQ(form->traffic.lastOutOctets, c.now);
}

INSTANTIATE_TEST_SUITE_P(
    Counters, CounterSampleTest,
    ::testing::Values(SampleCase{"Nothing", 5000, 5000, 0}, SampleCase{"OneKo", 5000, 6024, 100},
                      SampleCase{"BelowAHundredth", 5000, 5010, 0},
                      // 7168 octets across the wrap of the 32-bit counter.
                      SampleCase{"WrapPast2To32", 0xFFFFF000u, 0x00000C00u, 700},
                      SampleCase{"LargestProduct", 0, 42949672, 4194303},
                      // One octet more and the product wraps.
                      SampleCase{"ProductWraps", 0, 42949673, 0},
                      // A counter that restarted lower: large but bounded.
                      SampleCase{"CounterReset", 5000000, 1000, 3706120}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrafficTest, WrapBetweenTicksGivesTheSmallDifference) {
    row().inOctets = 0xFFFFFC00u;
    form->Button3Click();
    tick();
    tick(100);  // 1024 octets, through zero
    EXPECT_EQ(row().inOctets, 0u);
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][0], 100);
}

// ---------------------------------------------------------------------------
// The interface list and positions outside it

TEST_F(TrafficTest, ListShowsEveryRowAndPrimesFromTheLast) {
    EXPECT_EQ(form->cbIf.items,
              (std::vector<std::string>{"lo (loopback)", "eth0 (Ethernet, 52:54:00:12:34:56)"}));
    EXPECT_EQ(form->cbIf.itemIndex, 1);
    EXPECT_EQ(form->traffic.lastInOctets, 5000u);
    EXPECT_EQ(form->traffic.lastOutOctets, 7000u);
}

struct StartUpCase {
    const char* name;
    std::vector<InterfaceRow> rows;
    const char* savedInterface;
    std::vector<std::string> items;
    int selected;
    std::uint32_t baselineIn;
};

class StartUpTest : public ::testing::TestWithParam<StartUpCase> {};

TEST_P(StartUpTest, ListSelectionAndAnalysisWithoutReadingOutside) {
    const StartUpCase& c = GetParam();
    FakeProgram program;
    program.interfaces.rows = c.rows;
    program.perso.set("perso", "interface", c.savedInterface);
    MainForm& form = program.start().Form1;
    EXPECT_EQ(form.cbIf.items, c.items);
    EXPECT_EQ(form.cbIf.itemIndex, c.selected);
    EXPECT_EQ(form.traffic.lastInOctets, c.baselineIn);

    form.Button3Click();
    for (int i = 0; i < 3; ++i) {
        for (auto& r : program.interfaces.rows) r.inOctets += 1024;
        form.tmTraffCollectTimer();
    }
    const bool valid = c.selected >= 0;
    EXPECT_EQ(form.traffic.trafHist[kDownloadSeries][0], valid ? 100 : 0);
    EXPECT_EQ(form.lbCoupT.caption, valid ? "2" : "4");
}

INSTANTIATE_TEST_SUITE_P(
    Tables, StartUpTest,
    ::testing::Values(
        StartUpCase{"NoRows", {}, "0", {}, -1, 0},
        StartUpCase{"LoopbackOnly", {{"lo (loopback)", 300, 400}}, "0", {"lo (loopback)"}, 0, 300},
        // The saved choice lies past the list: nothing is selected.
        StartUpCase{"SavedChoicePastTheList",
                    {{"lo (loopback)", 1, 2}, {"eth0 (Ethernet)", 3, 4}},
                    "2",
                    {"lo (loopback)", "eth0 (Ethernet)"},
                    -1,
                    3},
        // A description ends at its first NUL, as the C text it stands for.
        StartUpCase{
            "DescriptionCutAtNul", {{std::string("eth0\0junk", 9), 7, 8}}, "0", {"eth0"}, 0, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrafficTest, ShrunkenTableGivesZeroSamplesAndKeepsTheBaselines) {
    form->Button3Click();
    ticks(3, 200);
    ASSERT_EQ(form->traffic.trafHist[kDownloadSeries][0], 200);
    const InterfaceRow gone = row();
    program.interfaces.rows.pop_back();  // the chosen interface disappears
    ticks(2);
    EXPECT_EQ(form->traffic.dlSample, 0.0f);
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][0], 0);
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][1], 0);
    EXPECT_EQ(form->lbCoupT.caption, "4");
    EXPECT_EQ(form->Button3.caption, "Stopper analyse");
    // An unreadable table reads as no rows at all.
    program.interfaces.rows.clear();
    tick();
    EXPECT_EQ(form->lbCoupT.caption, "5");
    // It comes back: the octets of the missing reads land in the next sample.
    program.interfaces.rows = {{"lo (loopback)", 0, 0}, gone};
    row().inOctets += octetsFor(300);
    tick();
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][0], 300);
}

// ---------------------------------------------------------------------------
// Start, stop, Reset, burst and the interface choice

TEST_F(TrafficTest, StartPreparesAndReadsFourTimes) {
    form->traffic.avgDl = form->traffic.avgUl = form->traffic.avgFtp = 5.0f;
    form->traffic.trafHist[kUploadSeries][3999] = 7;
    const int readsBefore = program.interfaces.reads;
    form->Button3Click();
    EXPECT_EQ(form->Button3.caption, "Stopper analyse");
    EXPECT_FALSE(form->cbIf.enabled);
    EXPECT_TRUE(form->tmTraffCollect.enabled);
    EXPECT_TRUE(form->tmTGraph.enabled);
    EXPECT_EQ(form->lbFtp.caption, "N/A");
    EXPECT_EQ(form->lbFMoy.caption, "N/A");
    EXPECT_EQ(program.interfaces.reads - readsBefore, 4);
    EXPECT_EQ(form->traffic.avgDl, 0.0f);
    EXPECT_EQ(form->traffic.avgUl, 0.0f);
    EXPECT_EQ(form->traffic.avgFtp, 0.0f);
    EXPECT_EQ(form->traffic.trafHist[kUploadSeries][3999], 0);
    EXPECT_EQ(form->traffic.trafCount, 0);
}

TEST_F(TrafficTest, StopKeepsTheFiguresAndTheNextRunSkipsItsFirstSample) {
    form->Button3Click();
    ticks(3, 500, 200);
    const Figures shown = figures();
    form->Button3Click();
    EXPECT_EQ(form->Button3.caption, "Analyser la connection");
    EXPECT_TRUE(form->cbIf.enabled);
    EXPECT_FALSE(form->tmTraffCollect.enabled);
    EXPECT_FALSE(form->tmTGraph.enabled);
    EXPECT_TRUE(form->traffic.skipSample);
    // A tick that still arrives reads the counters and changes nothing else.
    tick(900, 900);
    EXPECT_EQ(figures(), shown);
    EXPECT_EQ(form->traffic.trafCount, 3);

    form->Button3Click();
    tick(500, 200);
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][0], 0);
    EXPECT_EQ(form->lbCoupT.caption, "2");
}

TEST_F(TrafficTest, ResetRestartsTheFiguresButNotTheRun) {
    form->Button3Click();
    ticks(4, 500, 200);
    form->traffic.ftpCount = 9;
    form->Button4Click();
    EXPECT_EQ(form->traffic.trafCount, 0);
    for (const auto& series : form->traffic.trafHist) {
        for (const std::int32_t slot : series) ASSERT_EQ(slot, 0);
    }
    EXPECT_EQ(form->traffic.ftpCount, 9);
    EXPECT_EQ(form->lbMoyd.caption, "3,65ko/s");  // captions stay until the next tick
    // A Reset does not skip a sample: the next tick stores one.
    tick(500, 200);
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][0], 500);
}

struct BurstCase {
    const char* name;
    bool from, to;
    int interval;
    bool resets;
};

class BurstTest : public TrafficTest, public ::testing::WithParamInterface<BurstCase> {};

TEST_P(BurstTest, IntervalAndReset) {
    const BurstCase& c = GetParam();
    form->setBurstChecked(c.from);
    form->Button3Click();
    ticks(3, 100, 100);
    form->setBurstChecked(c.to);
    EXPECT_EQ(form->burst.checked, c.to);
    EXPECT_EQ(form->tmTraffCollect.intervalMs, c.interval);
    EXPECT_EQ(form->tmTGraph.intervalMs, 1000);
    EXPECT_EQ(form->traffic.trafCount, c.resets ? 0 : 3);
    EXPECT_TRUE(form->tmTraffCollect.enabled);
}

INSTANTIATE_TEST_SUITE_P(Changes, BurstTest,
                         ::testing::Values(BurstCase{"On", false, true, 100, true},
                                           BurstCase{"Off", true, false, 1000, true},
                                           // Setting the state it already has raises nothing.
                                           BurstCase{"StaysOn", true, true, 100, false},
                                           BurstCase{"StaysOff", false, false, 1000, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrafficTest, ChangingTheInterfaceSkipsOneSample) {
    program.interfaces.rows.push_back({"wlan0 (Ethernet)", 100000000, 0});
    form->Button3Click();
    ticks(2, 100);
    form->cbIf.select(0);
    form->cbIfChange();
    // The first read of lo compares with eth0's baseline: that sample is not stored.
    tick();
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][0], 100);
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][1], 100);
    program.interfaces.rows[0].inOctets += octetsFor(42);
    tick();
    EXPECT_EQ(form->traffic.trafHist[kDownloadSeries][0], 42);
}

// ---------------------------------------------------------------------------
// Display unit

TEST_F(TrafficTest, UnitChangesNoCaptionUntilItIsWrittenAgain) {
    form->setBurstChecked(true);
    form->Button3Click();
    ticks(15, 500, 200);
    const Figures before = figures();
    const std::string scale = form->Label23.caption;
    useKbps();
    EXPECT_EQ(form->traffic.unitFactor, 8);
    EXPECT_EQ(form->traffic.unitText, "kbps");
    EXPECT_EQ(figures(), before);
    EXPECT_EQ(form->Label23.caption, scale);
    form->rbKosClick("rbKos");
    EXPECT_EQ(form->traffic.unitFactor, 1);
    EXPECT_EQ(form->traffic.unitText, "ko/s");
}

// The same run in both units: the rate captions and the kept averages carry
// the unit, everything else reads the same.
struct UnitRun {
    Figures figures;
    std::string ftp, ftpAverage, ftpShare, loss, scale;
    float avgDl, avgUl, avgFtp;
};

UnitRun runInUnit(bool kbps) {
    FakeProgram program;
    program.interfaces.rows = {{"eth0 (Ethernet)", 0, 0}};
    program.perso.set("perso", "interface", "0");
    MainForm& form = program.start().Form1;
    FakeFtp ftp;
    form.attachFtp(ftp);
    if (kbps) form.rbKosClick("RadioButton2");
    form.setBurstChecked(true);
    form.Button3Click();
    form.traffic.ftpCount = 0;
    form.traffic.ftpLastBytes = 0;
    for (int i = 0; i < 12; ++i) {
        ftp.received += 20000;
        program.interfaces.rows[0].inOctets += 21000 + 500 * static_cast<std::uint32_t>(i % 3);
        program.interfaces.rows[0].outOctets += 700;
        form.tmTraffCollectTimer();
    }
    return {{form.lbMoyd.caption, form.lbMoyu.caption, form.lbStabd.caption, form.lbStabu.caption,
             form.lbPerfd.caption, form.lbPerfu.caption, form.lbMaxd.caption, form.lbMaxu.caption,
             form.lbCoupT.caption},
            form.lbFtp.caption,
            form.lbFMoy.caption,
            form.lbFtpc.caption,
            form.lbLoss.caption,
            form.Label23.caption,
            form.traffic.avgDl,
            form.traffic.avgUl,
            form.traffic.avgFtp};
}

TEST(TrafficUnits, KbpsScalesTheRatesAndNothingElse) {
    const UnitRun kos = runInUnit(false);
    const UnitRun kbps = runInUnit(true);
    const std::pair<std::string, std::string> withUnit[] = {{kos.figures.moyd, kbps.figures.moyd},
                                                            {kos.figures.moyu, kbps.figures.moyu},
                                                            {kos.figures.maxd, kbps.figures.maxd},
                                                            {kos.figures.maxu, kbps.figures.maxu},
                                                            {kos.ftp, kbps.ftp},
                                                            {kos.ftpAverage, kbps.ftpAverage},
                                                            {kos.scale, kbps.scale}};
    const std::pair<std::string, std::string> expected[] = {
        {"188,14ko/s", "1505,12kbps"}, {"6,08ko/s", "48,65kbps"},   {"209,7ko/s", "1678,1kbps"},
        {"6,6ko/s", "53,1kbps"},       {"19,53ko/s", "156,25kbps"}, {"195,14ko/s", "1561,19kbps"},
        {"21,48ko/s", "171,84kbps"}};
    for (std::size_t i = 0; i < std::size(withUnit); ++i) {
        EXPECT_EQ(withUnit[i], expected[i]) << "caption " << i;
    }
    EXPECT_EQ(kos.figures.stabd, "0,503");
    EXPECT_EQ(kos.figures.stabu, "0,016");
    EXPECT_EQ(kos.figures.perfd, "0,77");
    EXPECT_EQ(kos.figures.perfu, "0,75");
    EXPECT_EQ(kos.ftpShare, "312,23%");
    EXPECT_EQ(kos.loss, "-3,8");
    EXPECT_EQ(kos.figures.stabd, kbps.figures.stabd);
    EXPECT_EQ(kos.figures.stabu, kbps.figures.stabu);
    EXPECT_EQ(kos.figures.perfd, kbps.figures.perfd);
    EXPECT_EQ(kos.figures.perfu, kbps.figures.perfu);
    EXPECT_EQ(kos.ftpShare, kbps.ftpShare);
    EXPECT_EQ(kos.loss, kbps.loss);
    EXPECT_EQ(kbps.avgDl, captionNumber(kbps.figures.moyd));
    EXPECT_EQ(kbps.avgUl, captionNumber(kbps.figures.moyu));
    EXPECT_EQ(kbps.avgFtp, captionNumber(kbps.ftpAverage));
    EXPECT_EQ(kos.avgFtp, captionNumber(kos.ftpAverage));
}

// ---------------------------------------------------------------------------
// The test transfer's figures

TEST_F(TrafficTest, NoTransferLeavesTheTransferCaptions) {
    form->Button3Click();
    ticks(3, 500, 200);
    EXPECT_EQ(form->lbFtp.caption, "N/A");
    EXPECT_EQ(form->lbFMoy.caption, "N/A");
    EXPECT_EQ(form->lbFtpc.caption, "0%");
    EXPECT_EQ(form->lbLoss.caption, "N/A");
    for (int j = 0; j < 5; ++j) EXPECT_EQ(form->traffic.trafHist[kFtpSeries][j], 0);
}

struct TransferTick {
    const char *ftp, *ftpAverage, *ftpShare, *loss, *moyd, *moyu;
};

struct TransferCase {
    const char* name;
    bool download;
    std::int32_t ftpBytes;  // per tick
    std::uint32_t inOctets, outOctets;
    std::vector<TransferTick> after;  // captions after each tick
};

class TransferFiguresTest : public TrafficTest,
                            public ::testing::WithParamInterface<TransferCase> {};

TEST_P(TransferFiguresTest, CaptionsTickByTick) {
    const TransferCase& c = GetParam();
    FakeFtp ftp;
    form->attachFtp(ftp);
    form->Button3Click();
    // What starting a transfer does.
    form->traffic.ftpDownload = c.download;
    form->traffic.ftpCount = 0;
    form->traffic.ftpLastBytes = 0;
    for (const TransferTick& e : c.after) {
        (c.download ? ftp.received : ftp.sent) += c.ftpBytes;
        row().inOctets += c.inOctets;
        row().outOctets += c.outOctets;
        form->tmTraffCollectTimer();
        EXPECT_EQ(form->lbFtp.caption, e.ftp);
        EXPECT_EQ(form->lbFMoy.caption, e.ftpAverage);
        EXPECT_EQ(form->lbFtpc.caption, e.ftpShare);
        EXPECT_EQ(form->lbLoss.caption, e.loss);
        EXPECT_EQ(form->lbMoyd.caption, e.moyd);
        EXPECT_EQ(form->lbMoyu.caption, e.moyu);
        EXPECT_EQ(form->traffic.avgFtp, captionNumber(e.ftpAverage));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, TransferFiguresTest,
    ::testing::Values(
        // At the first tick the interface average is still 0: the loss divides by 0.01.
        TransferCase{"Download",
                     true,
                     100000,
                     105000,
                     3000,
                     {{"97,65ko/s", "96,68ko/s", "154,7%", "-966700,1", "0ko/s", "0ko/s"},
                      {"97,65ko/s", "97,17ko/s", "155,47%", "-95,1", "49,81ko/s", "1,41ko/s"},
                      {"97,65ko/s", "97,33ko/s", "155,73%", "-46,3", "66,52ko/s", "1,89ko/s"}}},
        // Upload: the sent counter, the 128000 plan rate and the upload average.
        TransferCase{
            "Upload",
            false,
            200000,
            2000,
            210000,
            {{"195,31ko/s", "193,37ko/s", "1237,62%", "-1933600", "0ko/s", "0ko/s"},
             {"195,31ko/s", "194,34ko/s", "1243,78%", "-95,1", "0,94ko/s", "99,63ko/s"},
             {"195,31ko/s", "194,66ko/s", "1245,84%", "-46,3", "1,26ko/s", "133,06ko/s"}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FtpSlotCase {
    const char* name;
    bool download;
    std::int32_t delta;
    std::int32_t slot;
    const char* caption;
};

class FtpSlotTest : public TrafficTest, public ::testing::WithParamInterface<FtpSlotCase> {};

TEST_P(FtpSlotTest, BytesOfOneTick) {
    const FtpSlotCase& c = GetParam();
    FakeFtp ftp;
    ftp.received = ftp.sent = 1000000;
    form->attachFtp(ftp);
    form->Button3Click();
    form->traffic.ftpDownload = c.download;
    form->traffic.ftpLastBytes = 1000000;
    (c.download ? ftp.received : ftp.sent) += c.delta;
    tick();
    EXPECT_EQ(form->traffic.trafHist[kFtpSeries][0], c.slot);
    EXPECT_EQ(form->lbFtp.caption, c.caption);
    // The reference moves on whatever the delta.
    EXPECT_EQ(form->traffic.ftpLastBytes, 1000000 + c.delta);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, FtpSlotTest,
    ::testing::Values(FtpSlotCase{"DownloadJustBelowTheBound", true, 299999, 29999, "292,95ko/s"},
                      FtpSlotCase{"DownloadAtTheBound", true, 300000, 0, "0ko/s"},
                      FtpSlotCase{"UploadAboveTheDownloadBound", false, 300000, 30000,
                                  "292,96ko/s"},
                      FtpSlotCase{"UploadAtTheBound", false, 500000, 0, "0ko/s"},
                      FtpSlotCase{"Nothing", true, 0, 0, "0ko/s"},
                      FtpSlotCase{"CounterRestarted", true, -999990, 0, "0ko/s"},
                      FtpSlotCase{"NineBytes", true, 9, 0, "0ko/s"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrafficTest, TransferCountPastTheHistoryStopsAtTheLastSlot) {
    FakeFtp ftp;
    form->attachFtp(ftp);
    form->Button3Click();
    form->traffic.ftpCount = 5000;
    form->traffic.trafHist[kFtpSeries].fill(1000);
    ftp.received = 10000;
    tick();
    // Slot 0 holds 1000 and 375 slots were shifted: the sum stays 4000 slots long.
    EXPECT_EQ(form->lbFMoy.caption, "7,81ko/s");
}

// ---------------------------------------------------------------------------
// Auto-scale

TEST_F(TrafficTest, AutoScaleFollowsThePeakOfTheShiftedSlots) {
    form->Button3Click();
    tick();
    tick(250, 40);
    tick(0, 90);
    EXPECT_EQ(form->Label23.caption, "2,5ko/s");  // slot 1 holds 250
    EXPECT_EQ(form->traffic.trafScale, storeSingle(119 / (250 + 0.01L)));
    useKbps();
    tick(9000, 0);  // slot 0 is not looked at
    EXPECT_EQ(form->Label23.caption, "20kbps");
    form->autoechT.checked = false;
    tick();
    EXPECT_EQ(form->Label23.caption, "20kbps");
    EXPECT_EQ(form->traffic.trafScale, storeSingle(119 / (250 + 0.01L)));
}

}  // namespace
}  // namespace ulz

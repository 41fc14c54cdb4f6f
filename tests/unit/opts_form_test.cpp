// The options window's handlers over settings held in memory.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes.h"

namespace ulz {
namespace {

using testing::FakeProgram;
using testing::MapIni;
using Items = std::vector<std::string>;

// Two plans and the modems of both regions; the key after each list is left
// out, so every list ends with "Inconnu". The rates differ from the defaults.
void writeConfig(MapIni& config) {
    const char* entries[][3] = {
        {"ping", "1", "6"},          {"ping", "2", "192.0.2.10"}, {"ping", "3", "192.0.2.20"},
        {"ping", "4", "192.0.2.30"}, {"ping", "5", "192.0.2.40"}, {"ping", "6", "192.0.2.50"},
        {"forfait", "0", "2"},       {"forfait", "1", "Plan A"},  {"forfait", "2", "Plan B"},
        {"vdown", "0", "300000"},    {"vdown", "1", "2048000"},   {"vdown", "2", "1024000"},
        {"vup", "0", "75000"},       {"vup", "1", "256000"},      {"vup", "2", "512000"},
        {"modembr", "0", "2"},       {"modembr", "1", "Modem A"}, {"modembr", "2", "Modem B"},
        {"modemhr", "0", "1"},       {"modemhr", "1", "Modem C"},
    };
    for (const auto& [section, key, value] : entries) config.set(section, key, value);
}

class OptsFormTest : public ::testing::Test {
protected:
    OptsFormTest() { writeConfig(program.config); }

    OptsForm& start() { return program.start().Opts; }
    MainForm& form1() { return program.app->Form1; }

    // What the window does on the user's choice: the selection, then the event.
    void chooseRegion(int index) {
        program.app->Opts.cbRegion.select(index);
        program.app->Opts.cbRegionChange();
    }
    void choosePlan(int index) {
        program.app->Opts.cbForfait.select(index);
        program.app->Opts.cbForfaitChange();
    }

    FakeProgram program;
};

// --- First start, without perso.ini --------------------------------------

struct FirstStartCase {
    const char* name;
    bool withConfig;
    Items plans, modems;
    const char* regionalHost;
    const char* down;
    const char* up;
};
std::ostream& operator<<(std::ostream& os, const FirstStartCase& c) {
    return os << c.name;
}

class OptsFirstStartTest : public OptsFormTest,
                           public ::testing::WithParamInterface<FirstStartCase> {};

TEST_P(OptsFirstStartTest, NothingChosenHautRhinListsAndRatesOfKeyZero) {
    const FirstStartCase& c = GetParam();
    if (!c.withConfig) program.config.values.clear();
    const OptsForm& opts = start();

    EXPECT_EQ(opts.cbRegion.items, (Items{"Bas-Rhin", "Haut-Rhin"}));
    EXPECT_EQ(opts.cbRegion.itemIndex, -1);
    EXPECT_EQ(opts.cbForfait.items, c.plans);
    EXPECT_EQ(opts.cbForfait.itemIndex, -1);
    EXPECT_EQ(opts.cbModem.items, c.modems);
    EXPECT_EQ(opts.cbModem.itemIndex, -1);
    EXPECT_EQ(opts.down.text, c.down);
    EXPECT_EQ(opts.up.text, c.up);
    EXPECT_FALSE(opts.down.enabled);
    EXPECT_FALSE(opts.up.enabled);

    EXPECT_EQ(form1().host.items.front(), c.regionalHost);
    EXPECT_EQ(form1().host.itemIndex, 0);
    EXPECT_EQ(form1().host.text, c.regionalHost);
    EXPECT_EQ(program.pinger.address, c.regionalHost);
    EXPECT_TRUE(program.perso.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Configs, OptsFirstStartTest,
    ::testing::Values(
        FirstStartCase{"WithConfig",
                       true,
                       {"Plan A", "Plan B", "Inconnu"},
                       {"Modem C", "Inconnu"},
                       "192.0.2.20",
                       "300000",
                       "75000"},
        FirstStartCase{
            "WithoutConfig", false, {"Inconnu"}, {"Inconnu"}, "localhost", "512000", "128000"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Region ----------------------------------------------------------------

struct RegionCase {
    const char* name;
    int index;
    Items modems;
    const char* host;
};
std::ostream& operator<<(std::ostream& os, const RegionCase& c) {
    return os << c.name;
}

class OptsRegionTest : public OptsFormTest, public ::testing::WithParamInterface<RegionCase> {};

TEST_P(OptsRegionTest, RefillsModemsAndPutsTheRegionalHostFirst) {
    const RegionCase& c = GetParam();
    start();
    // The user had typed a host of their own, and the pinger followed it.
    form1().host.text = "example.test";
    form1().host.itemIndex = -1;
    form1().hostChange();

    chooseRegion(c.index);

    const OptsForm& opts = program.app->Opts;
    EXPECT_EQ(opts.cbModem.items, c.modems);
    EXPECT_EQ(opts.cbModem.itemIndex, -1);
    EXPECT_EQ(opts.cbModem.text, "");
    EXPECT_EQ(form1().host.items, (Items{c.host, "192.0.2.30", "192.0.2.40", "192.0.2.50"}));
    EXPECT_EQ(form1().host.itemIndex, 0);
    EXPECT_EQ(form1().host.text, c.host);
    EXPECT_EQ(program.pinger.address, c.host);
}

INSTANTIATE_TEST_SUITE_P(
    Regions, OptsRegionTest,
    ::testing::Values(RegionCase{"BasRhin", 0, {"Modem A", "Modem B", "Inconnu"}, "192.0.2.10"},
                      RegionCase{"HautRhin", 1, {"Modem C", "Inconnu"}, "192.0.2.20"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Plan -----------------------------------------------------------------

struct PlanCase {
    const char* name;
    std::optional<std::pair<const char*, const char*>> unlistedRates;  // keys "3" of vdown/vup
    int index;
    bool typed;
    const char* down;
    const char* up;
};
std::ostream& operator<<(std::ostream& os, const PlanCase& c) {
    return os << c.name;
}

class OptsPlanTest : public OptsFormTest, public ::testing::WithParamInterface<PlanCase> {};

TEST_P(OptsPlanTest, RatesOfThePlanEditableOnlyForInconnu) {
    const PlanCase& c = GetParam();
    if (c.unlistedRates) {
        program.config.set("vdown", "3", c.unlistedRates->first);
        program.config.set("vup", "3", c.unlistedRates->second);
    }
    OptsForm& opts = start();
    opts.down.text = "777";
    opts.up.text = "888";

    choosePlan(c.index);

    EXPECT_EQ(opts.down.enabled, c.typed);
    EXPECT_EQ(opts.up.enabled, c.typed);
    EXPECT_EQ(opts.down.text, c.down);
    EXPECT_EQ(opts.up.text, c.up);
}

INSTANTIATE_TEST_SUITE_P(
    Plans, OptsPlanTest,
    ::testing::Values(PlanCase{"FirstPlan", std::nullopt, 0, false, "2048000", "256000"},
                      PlanCase{"SecondPlan", std::nullopt, 1, false, "1024000", "512000"},
                      PlanCase{"InconnuResetsToDefaults", std::nullopt, 2, true, "512000",
                               "128000"},
                      PlanCase{"InconnuWithConfigRates", std::pair{"4096000", "1024000"}, 2, true,
                               "4096000", "1024000"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Saved choices ----------------------------------------------------------

struct SavedCase {
    const char* name;
    const char *region, *forfait, *modem;
    int regionIndex, forfaitIndex, modemIndex;
    const char* modemText;
};
std::ostream& operator<<(std::ostream& os, const SavedCase& c) {
    return os << c.name;
}

class OptsSavedTest : public OptsFormTest, public ::testing::WithParamInterface<SavedCase> {};

TEST_P(OptsSavedTest, StartUpRestoresTheSavedPositions) {
    const SavedCase& c = GetParam();
    program.perso.set("perso", "region", c.region);
    program.perso.set("perso", "forfait", c.forfait);
    program.perso.set("perso", "modem", c.modem);
    const OptsForm& opts = start();
    EXPECT_EQ(opts.cbRegion.itemIndex, c.regionIndex);
    EXPECT_EQ(opts.cbForfait.itemIndex, c.forfaitIndex);
    EXPECT_EQ(opts.cbModem.itemIndex, c.modemIndex);
    EXPECT_EQ(opts.cbModem.text, c.modemText);
}

INSTANTIATE_TEST_SUITE_P(Positions, OptsSavedTest,
                         ::testing::Values(
                             // The modem position counts in the list of the saved region.
                             SavedCase{"BasRhinModemB", "0", "1", "1", 0, 1, 1, "Modem B"},
                             SavedCase{"HautRhinSecondModemIsInconnu", "1", "0", "1", 1, 0, 1,
                                       "Inconnu"},
                             // Positions the lists no longer cover leave them without a selection.
                             SavedCase{"OutOfRange", "5", "7", "9", -1, -1, -1, ""},
                             SavedCase{"NotNumbers", "x", "", "one", -1, -1, -1, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptsFormTest, SavedModemIsRestoredOnlyAtStartUp) {
    program.perso.set("perso", "region", "0");
    program.perso.set("perso", "modem", "1");
    OptsForm& opts = start();
    ASSERT_EQ(opts.cbModem.text, "Modem B");

    // Same region again: the list is rebuilt and the saved modem is not reapplied.
    chooseRegion(0);
    EXPECT_EQ(opts.cbModem.items, (Items{"Modem A", "Modem B", "Inconnu"}));
    EXPECT_EQ(opts.cbModem.itemIndex, -1);
    chooseRegion(1);
    EXPECT_EQ(opts.cbModem.itemIndex, -1);
}

struct SavedRatesCase {
    const char* name;
    const char* forfait;
    bool ratesSaved;
    const char* down;
    const char* up;
};
std::ostream& operator<<(std::ostream& os, const SavedRatesCase& c) {
    return os << c.name;
}

class OptsSavedRatesTest : public OptsFormTest,
                           public ::testing::WithParamInterface<SavedRatesCase> {};

TEST_P(OptsSavedRatesTest, TypedRatesComeBackOnlyForInconnu) {
    const SavedRatesCase& c = GetParam();
    program.perso.set("perso", "forfait", c.forfait);
    if (c.ratesSaved) {
        program.perso.set("perso", "down", "640000");
        program.perso.set("perso", "up", "160000");
    }
    const OptsForm& opts = start();
    EXPECT_EQ(opts.down.text, c.down);
    EXPECT_EQ(opts.up.text, c.up);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, OptsSavedRatesTest,
    ::testing::Values(SavedRatesCase{"InconnuRestoresTypedRates", "2", true, "640000", "160000"},
                      SavedRatesCase{"InconnuWithoutSavedRates", "2", false, "512000", "128000"},
                      // A listed plan's rates come from config.ini, whatever was saved.
                      SavedRatesCase{"ListedPlanIgnoresSavedRates", "1", true, "1024000", "512000"},
                      SavedRatesCase{"NoPlanIgnoresSavedRates", "-1", true, "300000", "75000"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- OK -------------------------------------------------------------------

TEST_F(OptsFormTest, OkWritesTheFiveKeysInOrderAndCloses) {
    OptsForm& opts = start();
    form1().Configurer1Click();
    chooseRegion(0);
    opts.cbModem.select(1);
    choosePlan(2);
    opts.down.text = "640000";
    opts.up.text = "1,5 Mbit";  // saved unchanged: the readers fall back to the default

    opts.Button1Click();

    EXPECT_EQ(program.perso.writes, (Items{"perso/region=0", "perso/forfait=2", "perso/down=640000",
                                           "perso/up=1,5 Mbit", "perso/modem=1"}));
    EXPECT_FALSE(opts.window.visible);
    EXPECT_TRUE(form1().window.enabled);
}

TEST_F(OptsFormTest, OkWithNothingChosenWritesMinusOne) {
    program.config.values.clear();
    OptsForm& opts = start();
    opts.Button1Click();
    EXPECT_EQ(program.perso.writes,
              (Items{"perso/region=-1", "perso/forfait=-1", "perso/down=512000", "perso/up=128000",
                     "perso/modem=-1"}));
}

// Refuses every write from the given one on (counted from 0).
class RefusingIni : public MapIni {
public:
    explicit RefusingIni(std::size_t allowed) : allowed_(allowed) {}
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (writes.size() >= allowed_) refuseWrites = true;
        MapIni::writeString(section, key, value);
    }

private:
    std::size_t allowed_;
};

class OptsRefusedWriteTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(OptsRefusedWriteTest, StopsAtTheRefusedKeyAndStaysOpen) {
    const std::size_t allowed = GetParam();
    testing::FakePinger pinger;
    testing::FakeMessages messages;
    MapIni config{"/fake/config.ini"};
    RefusingIni perso(allowed);
    testing::FakeInterfaceTable interfaces;
    App app(Services{pinger, messages, config, perso, interfaces});
    app.Form1.Configurer1Click();

    try {
        app.Opts.Button1Click();
        FAIL() << "the refused write did not reach the caller";
    } catch (const IniWriteError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'écrire dans /fake/perso.ini");
    }
    const Items all{"perso/region=-1", "perso/forfait=-1", "perso/down=512000", "perso/up=128000",
                    "perso/modem=-1"};
    EXPECT_EQ(perso.writes, Items(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(allowed)));
    EXPECT_TRUE(app.Opts.window.visible);
    EXPECT_FALSE(app.Form1.window.enabled);

    // Closed by its caption button instead, it gives the main window back.
    app.Opts.FormClose();
    EXPECT_FALSE(app.Opts.window.visible);
    EXPECT_TRUE(app.Form1.window.enabled);
}

INSTANTIATE_TEST_SUITE_P(RefusedAt, OptsRefusedWriteTest, ::testing::Values(0u, 2u, 4u));

// --- Rates as the measurements read them -------------------------------------

struct RateCase {
    const char* text;
    std::int32_t down, up;
};
std::ostream& operator<<(std::ostream& os, const RateCase& c) {
    return os << '"' << c.text << '"';
}

class OptsRateTest : public OptsFormTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(OptsRateTest, TextOrDefaultNeverZero) {
    const RateCase& c = GetParam();
    OptsForm& opts = start();
    opts.down.text = c.text;
    opts.up.text = c.text;
    EXPECT_EQ(opts.downRate(), c.down);
    EXPECT_EQ(opts.upRate(), c.up);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OptsRateTest,
    ::testing::Values(RateCase{"", 512000, 128000}, RateCase{"abc", 512000, 128000},
                      RateCase{"0", 512000, 128000}, RateCase{"-5", 512000, 128000},
                      RateCase{"2147483648", 512000, 128000}, RateCase{"1024000", 1024000, 1024000},
                      RateCase{" 2048 ", 2048, 2048}));

TEST_F(OptsFormTest, TypedRatesHoldAtOnce) {
    OptsForm& opts = start();
    choosePlan(2);
    opts.down.text = "640000";
    EXPECT_EQ(opts.downRate(), 640000);
    choosePlan(0);
    EXPECT_EQ(opts.downRate(), 2048000);
}

// A count far beyond any real list still lets the window open.
TEST_F(OptsFormTest, HugeListCountsStayBounded) {
    program.config.set("forfait", "0", "2147483647");
    program.config.set("modemhr", "0", "2147483647");
    const OptsForm& opts = start();
    EXPECT_EQ(opts.cbForfait.items.size(), 1000u);
    EXPECT_EQ(opts.cbModem.items.size(), 1000u);
    EXPECT_EQ(opts.cbForfait.items[0], "Plan A");
}

}  // namespace
}  // namespace ulz

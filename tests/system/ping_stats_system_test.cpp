// The ping statistics test of the program, with the real ICMP layer, against
// the hosts that run_ping_system.sh makes: the figures a user would read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/number_text.h"
#include "fakes.h"
#include "platform/linux_pinger.h"
#include "post_queue.h"

namespace ulz {
namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

int millis(const std::string& caption) {
    EXPECT_TRUE(caption.size() > 2 && caption.ends_with("ms")) << caption;
    return std::atoi(caption.c_str());
}

class PingStatsSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (env("ULZ_DELAYED_HOST").empty()) GTEST_SKIP() << "run through run_ping_system.sh";
        app.emplace(Services{pinger, messages, config, perso, interfaces});
    }

    MainForm& form() { return app->Form1; }

    void startOn(const std::string& host) {
        form().host.text = host;
        form().hostChange();
        form().Button1Click();
    }
    // One collection tick: the request goes out, then the rest of the tick
    // runs when its outcome comes back through the event queue.
    void tick() {
        form().PingCollectTimer();
        ASSERT_TRUE(
            queue.runUntil([this] { return !form().pingPending(); }, std::chrono::seconds(10)));
    }
    bool denied() const { return env("ULZ_SOCKET_MODE") == "denied"; }

    PostQueue queue;
    LinuxPinger pinger{queue.post()};
    testing::FakeMessages messages;
    testing::MapIni config{"/fake/config.ini"}, perso{"/fake/perso.ini"};
    testing::FakeInterfaceTable interfaces;
    std::optional<App> app;
};

TEST_F(PingStatsSystemTest, DelayedHostShowsItsDelay) {
    if (denied()) GTEST_SKIP() << "no ICMP in this mode";
    const int delay = std::atoi(env("ULZ_DELAYED_MS").c_str());
    startOn(env("ULZ_DELAYED_HOST"));
    for (int i = 0; i < 10; ++i) tick();
    // The minimum and the average: a single reply can come late when the
    // machine stalls, but the host never answers early.
    EXPECT_NEAR(millis(form().lbMin.caption), delay, 2);
    const std::string moy = form().lbMoy.caption;
    EXPECT_NEAR(strToFloat(moy.substr(0, moy.size() - 2)).value_or(0), delay * 10 / 10.01, 2)
        << moy;
    EXPECT_GE(millis(form().lbMax.caption), delay);
    EXPECT_EQ(form().lbEch.caption, "10");
    EXPECT_EQ(form().lbCoup.caption, "0s");
    EXPECT_TRUE(messages.errors.empty());
}

TEST_F(PingStatsSystemTest, SilentHostTimesOutThenCountsOutageSeconds) {
    if (denied()) GTEST_SKIP() << "no ICMP in this mode";
    startOn(env("ULZ_SILENT_HOST"));
    tick();
    EXPECT_EQ(form().lbAct.caption, "Timeout");
    EXPECT_EQ(form().lbCoup.caption, "0s");
    tick();
    EXPECT_EQ(form().lbAct.caption, "COUPURE");
    EXPECT_EQ(form().lbCoup.caption, "1s");
    tick();
    EXPECT_EQ(form().lbCoup.caption, "2s");
    EXPECT_EQ(form().lbEch.caption, "3");
    EXPECT_EQ(form().ping.pingTimeouts, 3);
}

TEST_F(PingStatsSystemTest, LoopbackAnswersAtOnce) {
    if (denied()) GTEST_SKIP() << "no ICMP in this mode";
    startOn("127.0.0.1");
    tick();
    tick();
    EXPECT_LT(millis(form().lbAct.caption), 5);
    EXPECT_EQ(form().lbEch.caption, "2");
}

TEST_F(PingStatsSystemTest, UnresolvableHostGivesNoReplyAndTheTestGoesOn) {
    startOn("nonexistent.invalid");
    tick();
    tick();
    EXPECT_EQ(form().lbEch.caption, "0");
    EXPECT_EQ(form().ping.pingCount, 0);
    EXPECT_EQ(form().Button1.caption, "Arrêter");
}

TEST_F(PingStatsSystemTest, NoIcmpPermissionIsSaidOnceAndNothingElseBreaks) {
    if (!denied()) GTEST_SKIP() << "ICMP is allowed in this mode";
    startOn("127.0.0.1");
    tick();
    tick();
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_NE(messages.errors[0].find("ping_group_range"), std::string::npos) << messages.errors[0];
    EXPECT_EQ(form().ping.pingCount, 0);
    form().Button1Click();
    EXPECT_EQ(form().Button1.caption, "Démarrer Test Statistique");
}

}  // namespace
}  // namespace ulz

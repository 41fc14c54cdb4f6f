// The connection analysis over the real interface table, on the links that
// run_traffic_system.sh makes: a shaped veth with bulk traffic through it, an
// idle one, one this test deletes, and a namespace with only loopback. The
// figures are checked against the analysis's own definitions applied to byte
// counts the test reads from the kernel by another path (/proc/net/dev).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../unit/fakes.h"
#include "kernel_counters.h"
#include "platform/linux_interface_table.h"

namespace ulz {
namespace {

using Clock = std::chrono::steady_clock;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

using testing::KernelCounters;
using testing::kernelCounters;

// Bulk TCP both ways with the ulz_traffic_peer server, until destroyed.
class BulkTraffic {
public:
    explicit BulkTraffic(const std::string& peer) {
        std::istringstream words(peer);
        std::string host;
        int port = 0;
        words >> host >> port;
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(static_cast<std::uint16_t>(port));
        ::inet_pton(AF_INET, host.c_str(), &at.sin_addr);
        // Several flows each way keep the shaper's queue full: one TCP flow
        // alone leaves gaps on a busy machine (small queues per socket).
        for (const char kind : {'D', 'D', 'D', 'U', 'U', 'U'}) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            // The handshake may wait behind the flows already running (up to
            // the shaper's 200 ms of queue): the time-outs come after it.
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
                ::send(fd, &kind, 1, MSG_NOSIGNAL) != 1) {
                ::close(fd);
                failed = true;
                continue;
            }
            const timeval t{0, 200 * 1000};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof t);
            flows_.emplace_back([this, fd, kind] {
                std::vector<char> chunk(64 * 1024, 'x');
                while (!stop_) {
                    const ssize_t n = kind == 'D'
                                          ? ::recv(fd, chunk.data(), chunk.size(), 0)
                                          : ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
                    if (n == 0 ||
                        (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                        break;
                }
                ::close(fd);
            });
        }
    }
    ~BulkTraffic() {
        stop_ = true;
        for (auto& f : flows_) f.join();
    }
    bool failed = false;

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> flows_;
};

class TrafficSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (env("ULZ_TRAFFIC_MODE").empty()) GTEST_SKIP() << "run through run_traffic_system.sh";
    }
    bool loopbackOnly() const { return env("ULZ_TRAFFIC_MODE") == "loopback-only"; }

    MainForm& start() {
        app.emplace(Services{pinger, messages, config, perso, interfaces});
        return app->Form1;
    }
    // The line of cbIf that describes this interface.
    int position(const std::string& name) {
        const auto& items = app->Form1.cbIf.items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].rfind(name + " (", 0) == 0) return static_cast<int>(i);
        }
        ADD_FAILURE() << name << " is not listed";
        return -1;
    }
    void choose(const std::string& name) { app->Form1.cbIf.select(position(name)); }

    testing::FakePinger pinger;
    testing::FakeMessages messages;
    testing::MapIni config{"/fake/config.ini"}, perso{"/fake/perso.ini"};
    LinuxInterfaceTable interfaces;
    std::optional<App> app;
};

// ---------------------------------------------------------------------------
// Bulk traffic through the shaped link

struct ShapedCase {
    const char* name;
    bool burst;
    int ticks;
};

class ShapedLinkTest : public TrafficSystemTest,
                       public ::testing::WithParamInterface<ShapedCase> {};

// What the definitions make of `bytes` carried over ticks 2 to n (the first
// tick of a run stores nothing): one sample per tick, hundredths of a ko,
// averaged over n + 0.01 slots and scaled to a second, times 1000/1024.
double definedAverage(std::uint64_t bytes, int n, int ticksPerSecond) {
    const double sampleSum = static_cast<double>(bytes) * 100 / 1024;
    const double perSecond = sampleSum / (n + 0.01) * ticksPerSecond;
    return std::floor(1000 * perSecond / 1024) / 100;
}

TEST_P(ShapedLinkTest, AveragesFollowTheBytesCarried) {
    if (loopbackOnly()) GTEST_SKIP() << "no links in this namespace";
    const ShapedCase& c = GetParam();
    const std::string ifname = env("ULZ_TRAFFIC_IF");
    const double shapedRate = std::atof(env("ULZ_SHAPED_RATE").c_str());  // bytes per second

    MainForm& form = start();
    choose(ifname);
    BulkTraffic traffic(env("ULZ_TRAFFIC_PEER"));
    ASSERT_FALSE(traffic.failed) << "cannot reach the traffic peer";
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past TCP's slow start

    form.setBurstChecked(c.burst);
    form.Button3Click();
    const auto interval = std::chrono::milliseconds(form.tmTraffCollect.intervalMs);
    const int ticksPerSecond = 1000 / form.tmTraffCollect.intervalMs;
    const Clock::time_point begin = Clock::now();
    KernelCounters first, last;
    Clock::time_point firstAt, lastAt;
    for (int k = 1; k <= c.ticks; ++k) {
        std::this_thread::sleep_until(begin + k * interval);
        form.tmTraffCollectTimer();
        if (k == 1 || k == c.ticks) {
            const auto now = kernelCounters(ifname);
            ASSERT_TRUE(now) << ifname << " not in /proc/net/dev";
            (k == 1 ? first : last) = *now;
            (k == 1 ? firstAt : lastAt) = Clock::now();
        }
    }
    const double seconds = std::chrono::duration<double>(lastAt - firstAt).count();

    struct Direction {
        const char* name;
        float shown;
        std::uint64_t bytes;
    };
    const Direction directions[] = {{"download", form.traffic.avgDl, last.rx - first.rx},
                                    {"upload", form.traffic.avgUl, last.tx - first.tx}};
    for (const Direction& d : directions) {
        const double defined = definedAverage(d.bytes, c.ticks, ticksPerSecond);
        const double carried = d.bytes / 1024.0 / seconds;  // ko per second
        // The two zero slots of the run's start are part of the definitions.
        const double fromShaping =
            1000.0 / 1024 * (shapedRate / 1024) * (c.ticks - 1) / (c.ticks + 0.01);
        std::printf("%s: shown %.2f, defined %.2f, carried %.2f ko/s, shaping predicts %.2f\n",
                    d.name, d.shown, defined, carried, fromShaping);
        EXPECT_NEAR(d.shown, defined, 0.02 * defined) << d.name;
        EXPECT_NEAR(d.shown, fromShaping, 0.05 * fromShaping) << d.name;
    }
    if (!c.burst) {
        EXPECT_EQ(form.lbCoupT.caption, "2");
    }
    EXPECT_TRUE(messages.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, ShapedLinkTest,
                         ::testing::Values(ShapedCase{"OneSecondTicks", false, 12},
                                           ShapedCase{"BurstTicks", true, 150}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// No traffic, a vanishing interface, loopback alone

TEST_F(TrafficSystemTest, IdleLinkCountsOutageSeconds) {
    if (loopbackOnly()) GTEST_SKIP() << "no links in this namespace";
    MainForm& form = start();
    choose(env("ULZ_IDLE_IF"));
    form.Button3Click();
    const Clock::time_point begin = Clock::now();
    for (int k = 1; k <= 4; ++k) {
        std::this_thread::sleep_until(begin + k * std::chrono::milliseconds(1000));
        form.tmTraffCollectTimer();
        EXPECT_EQ(form.lbCoupT.caption, std::to_string(k + 1));
    }
    EXPECT_EQ(form.lbMoyd.caption, "0ko/s");
    EXPECT_EQ(form.lbMoyu.caption, "0ko/s");
}

TEST_F(TrafficSystemTest, DeletedInterfaceGivesZeroSamplesAndTheAnalysisGoesOn) {
    if (loopbackOnly()) GTEST_SKIP() << "no links in this namespace";
    // Made here, in this test's own namespace, so that it is the last row.
    ASSERT_EQ(std::system("ip link add ulzgone0 type veth peer name ulzgone1 && "
                          "ip link set ulzgone0 up && ip link set ulzgone1 up"),
              0);
    MainForm& form = start();
    // The pair holds the two highest interface indexes: the last two rows.
    form.cbIf.select(static_cast<int>(form.cbIf.items.size()) - 1);
    ASSERT_EQ(form.cbIf.text.rfind("ulzgone", 0), 0u) << form.cbIf.text;
    form.Button3Click();
    form.tmTraffCollectTimer();
    ASSERT_EQ(std::system("ip link del ulzgone0"), 0);
    for (int k = 2; k <= 4; ++k) {
        form.tmTraffCollectTimer();
        EXPECT_EQ(form.traffic.dlSample, 0.0f);
        EXPECT_EQ(form.traffic.ulSample, 0.0f);
        EXPECT_EQ(form.lbCoupT.caption, std::to_string(k + 1));
    }
    EXPECT_EQ(form.Button3.caption, "Stopper analyse");
    form.Button3Click();
    EXPECT_EQ(form.Button3.caption, "Analyser la connection");
}

TEST_F(TrafficSystemTest, LoopbackAloneIsListedAndAnalysed) {
    if (!loopbackOnly()) GTEST_SKIP() << "this namespace has links";
    MainForm& form = start();
    ASSERT_EQ(form.cbIf.items.size(), 1u);
    EXPECT_EQ(form.cbIf.items[0].rfind("lo (", 0), 0u) << form.cbIf.items[0];
    // perso.ini's default choice (2) lies past the list: nothing is read.
    EXPECT_EQ(form.cbIf.itemIndex, -1);
    form.Button3Click();
    for (int k = 1; k <= 3; ++k) form.tmTraffCollectTimer();
    EXPECT_EQ(form.lbCoupT.caption, "4");
    form.Button3Click();

    form.cbIf.select(0);
    form.Button3Click();
    form.tmTraffCollectTimer();
    // 20 datagrams of 1000 bytes to the discard port of loopback.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::vector<char> payload(1000, 'x');
    for (int i = 0; i < 20; ++i) {
        ::sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
    }
    ::close(fd);
    form.tmTraffCollectTimer();
    // At least the 20 000 payload bytes, in hundredths of a ko, both ways.
    EXPECT_GE(form.traffic.trafHist[kDownloadSeries][0], 20000 * 100 / 1024);
    EXPECT_GE(form.traffic.trafHist[kUploadSeries][0], 20000 * 100 / 1024);
}

}  // namespace
}  // namespace ulz

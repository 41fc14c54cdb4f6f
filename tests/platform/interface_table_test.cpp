// The interface table: the dump parser on crafted kernel answers, then the
// Linux table on the running system (loopback traffic, a veth pair of our own).
// glibc's net/if.h must come before the kernel's headers, which then leave out
// the definitions the two share.
#include <net/if.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/if_packet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/link_dump.h"
#include "platform/linux_interface_table.h"

namespace ulz {

void PrintTo(const InterfaceRow& row, std::ostream* out) {
    *out << '{' << row.description << ", in " << row.inOctets << ", out " << row.outOctets << '}';
}

namespace {

using Bytes = std::vector<std::byte>;

// --- Crafted kernel answers ------------------------------------------------

template <typename T>
Bytes raw(const T& value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

Bytes text(std::string_view s, bool terminated = true) {
    Bytes bytes(s.size() + (terminated ? 1 : 0));
    std::memcpy(bytes.data(), s.data(), s.size());
    return bytes;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

void padTo4(Bytes& bytes) {
    bytes.resize((bytes.size() + 3) & ~std::size_t{3});
}

// An attribute; `declaredLength` overrides the length field to make it lie.
Bytes attr(std::uint16_t type, const Bytes& payload, std::optional<int> declaredLength = {}) {
    nlattr header{};
    header.nla_len = static_cast<std::uint16_t>(
        declaredLength.value_or(static_cast<int>(sizeof header + payload.size())));
    header.nla_type = type;
    Bytes bytes = cat({raw(header), payload});
    padTo4(bytes);
    return bytes;
}

Bytes stats64(std::uint64_t rx, std::uint64_t tx) {
    rtnl_link_stats64 stats{};
    stats.rx_packets = 11;
    stats.tx_packets = 12;
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return attr(IFLA_STATS64, raw(stats));
}

Bytes stats32(std::uint32_t rx, std::uint32_t tx) {
    rtnl_link_stats stats{};
    stats.rx_packets = 21;
    stats.tx_packets = 22;
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return attr(IFLA_STATS, raw(stats));
}

Bytes kind(std::string_view name) {
    return attr(IFLA_LINKINFO, attr(IFLA_INFO_KIND, text(name)));
}

const Bytes kMac = {std::byte{0x52}, std::byte{0x54}, std::byte{0x00},
                    std::byte{0x12}, std::byte{0x34}, std::byte{0x56}};

Bytes message(std::uint16_t type, const Bytes& body, std::uint32_t sequence = 7,
              std::uint16_t flags = NLM_F_MULTI, std::optional<std::uint32_t> declaredLength = {}) {
    nlmsghdr header{};
    header.nlmsg_len =
        declaredLength.value_or(static_cast<std::uint32_t>(sizeof header + body.size()));
    header.nlmsg_type = type;
    header.nlmsg_flags = flags;
    header.nlmsg_seq = sequence;
    Bytes bytes = cat({raw(header), body});
    padTo4(bytes);
    return bytes;
}

Bytes link(int index, std::uint16_t type, const Bytes& attributes, std::uint32_t sequence = 7,
           std::uint16_t flags = NLM_F_MULTI) {
    ifinfomsg info{};
    info.ifi_family = AF_UNSPEC;
    info.ifi_index = index;
    info.ifi_type = type;
    return message(RTM_NEWLINK, cat({raw(info), attributes}), sequence, flags);
}

// What the kernel sends for a plain Ethernet link: 32-bit counters first, then
// the 64-bit ones, as it does.
Bytes ether(int index, std::string_view name, std::uint64_t rx, std::uint64_t tx,
            std::uint32_t sequence = 7) {
    return link(index, ARPHRD_ETHER,
                cat({attr(IFLA_IFNAME, text(name)), attr(IFLA_ADDRESS, kMac),
                     stats32(static_cast<std::uint32_t>(rx), static_cast<std::uint32_t>(tx)),
                     stats64(rx, tx)}),
                sequence);
}

Bytes loopback(std::uint32_t rx, std::uint32_t tx) {
    return link(
        1, ARPHRD_LOOPBACK,
        cat({attr(IFLA_IFNAME, text("lo")), attr(IFLA_ADDRESS, Bytes(6)), stats32(rx, tx)}));
}

Bytes done(int status = 0, std::uint32_t sequence = 7) {
    return message(NLMSG_DONE, raw(status), sequence);
}

Bytes error(int code, std::uint32_t sequence = 7) {
    nlmsgerr body{};
    body.error = code;
    return message(NLMSG_ERROR, raw(body), sequence, 0);
}

const InterfaceRow kLo{"lo (boucle locale)", 100, 200};
const InterfaceRow kEth{"eth0 (Ethernet, 52:54:00:12:34:56)", 5, 7};
// The counters of `ether(2, "eth0", kEthRx, kEthTx)`: above 2^32, of which the
// low 32 bits (kEth's) are the interface's counters.
constexpr std::uint64_t kEthRx = 0x1'0000'0005, kEthTx = 0x2'0000'0007;

struct DumpCase {
    const char* what;
    Bytes dump;
    std::vector<InterfaceRow> expected;
};

void PrintTo(const DumpCase& c, std::ostream* out) {
    *out << c.what;
}

std::vector<DumpCase> dumpCases() {
    const Bytes eth = ether(2, "eth0", kEthRx, kEthTx);
    const Bytes lo = loopback(100, 200);
    const Bytes veth = link(3, ARPHRD_ETHER,
                            cat({attr(IFLA_IFNAME, text("veth-x")), kind("veth"),
                                 attr(IFLA_ADDRESS, kMac), stats64(1, 2)}));
    // An Ethernet link at index 3 named veth-x, with `attributes` after its name.
    const auto third = [](const Bytes& attributes) {
        return link(3, ARPHRD_ETHER, cat({attr(IFLA_IFNAME, text("veth-x")), attributes}));
    };
    const Bytes lyingAttribute = [] {
        // The last attribute claims 200 bytes, past the end of its message.
        Bytes body = cat({attr(IFLA_IFNAME, text("veth-x")), stats64(1, 2)});
        body = cat({body, attr(IFLA_ADDRESS, kMac, 200)});
        ifinfomsg info{};
        info.ifi_index = 3;
        return message(RTM_NEWLINK, cat({raw(info), body}));
    }();
    const Bytes shortBody = message(RTM_NEWLINK, Bytes(8));

    return {
        {"two links, listed out of index order", cat({eth, lo, done()}), {kLo, kEth}},
        {"a virtual link is labelled by its kind",
         cat({veth, lo, done()}),
         {kLo, {"veth-x (veth, 52:54:00:12:34:56)", 1, 2}}},
        {"a nested attribute flag does not hide the kind",
         cat({third(cat({attr(IFLA_LINKINFO | NLA_F_NESTED, attr(IFLA_INFO_KIND, text("bridge"))),
                         stats64(1, 2)})),
              done()}),
         {{"veth-x (pont)", 1, 2}}},
        {"a link listed twice counts once, as last listed",
         cat({loopback(1, 1), eth, loopback(100, 200), done()}),
         {kLo, kEth}},
        {"an error acknowledgement of zero is no error", cat({lo, error(0), done()}), {kLo}},
        {"an old kernel's empty end of dump", cat({lo, message(NLMSG_DONE, {})}), {kLo}},
        {"what follows the end of the dump is ignored", cat({lo, done(), eth, Bytes(5)}), {kLo}},

        // A link whose attributes cannot all be located is left out, not half read.
        {"zero-length attribute", cat({lo, third(attr(IFLA_ADDRESS, {}, 0)), done()}), {kLo}},
        {"attribute shorter than its header",
         cat({lo, third(attr(IFLA_ADDRESS, {}, 2)), done()}),
         {kLo}},
        {"attribute running past its message", cat({lo, lyingAttribute, done()}), {kLo}},
        {"message too short for a link header", cat({lo, shortBody, done()}), {kLo}},
        {"64-bit counters cut short, no 32-bit ones",
         cat({lo, third(attr(IFLA_STATS64, Bytes(24))), done()}),
         {kLo}},
        {"no counters at all", cat({lo, third(attr(IFLA_ADDRESS, kMac)), done()}), {kLo}},
        {"64-bit counters cut short, 32-bit ones used instead",
         cat({lo, third(cat({attr(IFLA_STATS64, Bytes(24)), stats32(9, 8)})), done()}),
         {kLo, {"veth-x (Ethernet)", 9, 8}}},
        {"malformed kind loses the label, not the link",
         cat({lo,
              third(cat(
                  {attr(IFLA_LINKINFO, attr(IFLA_INFO_KIND, text("veth"), 60)), stats64(1, 2)})),
              done()}),
         {kLo, {"veth-x (Ethernet)", 1, 2}}},
        {"empty name",
         cat({link(4, ARPHRD_ETHER, cat({attr(IFLA_IFNAME, {}), stats64(1, 2)})), done()}),
         {{"#4 (Ethernet)", 1, 2}}},
        {"name without its terminating NUL",
         cat({link(4, ARPHRD_ETHER, cat({attr(IFLA_IFNAME, text("eth9", false)), stats64(1, 2)})),
              done()}),
         {{"eth9 (Ethernet)", 1, 2}}},
        {"name with control characters and broken UTF-8",
         cat({link(4, ARPHRD_ETHER, cat({attr(IFLA_IFNAME, text("a\nb\xC3")), stats64(1, 2)})),
              done()}),
         {{"a?b? (Ethernet)", 1, 2}}},

        // Anything that leaves the dump incomplete or failed gives no rows at all.
        {"no end of dump", cat({lo, eth}), {}},
        {"error after a link", cat({lo, error(-EBUSY)}), {}},
        {"error without its code", cat({lo, message(NLMSG_ERROR, Bytes(2)), done()}), {}},
        {"end of dump reporting a failure", cat({lo, done(-EMSGSIZE)}), {}},
        {"overrun", cat({lo, message(NLMSG_OVERRUN, {}), done()}), {}},
        {"message length past the buffer",
         cat({lo, message(RTM_NEWLINK, Bytes(16), 7, NLM_F_MULTI, 4000), done()}),
         {}},
        {"message length of zero",
         cat({lo, message(RTM_NEWLINK, {}, 7, NLM_F_MULTI, 0), done()}),
         {}},
        {"stray bytes before the end of dump", cat({lo, Bytes(6), done()}), {}},
        {"nothing", {}, {}},
    };
}

class LinkDumpCases : public testing::TestWithParam<DumpCase> {};

TEST_P(LinkDumpCases, GiveTheLinksItDescribesWell) {
    EXPECT_EQ(parseLinkDump(GetParam().dump), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Dumps, LinkDumpCases, testing::ValuesIn(dumpCases()));

// Every prefix of a valid dump is an incomplete dump. Each one is copied to a
// buffer of its own exact size, so that a read past it shows under AddressSanitizer.
TEST(LinkDump, EveryPrefixOfADumpGivesNoRowsAndStaysInBounds) {
    const Bytes dump = cat({ether(2, "eth0", kEthRx, kEthTx), loopback(100, 200), done()});
    for (std::size_t length = 0; length < dump.size(); ++length) {
        const Bytes prefix(dump.begin(), dump.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_TRUE(parseLinkDump(prefix).empty()) << "prefix of " << length << " bytes";
    }
}

TEST(LinkDump, DumpSplitAcrossDatagramsGivesEveryLink) {
    LinkDumpParser parser(7);
    EXPECT_EQ(parser.feed(ether(2, "eth0", kEthRx, kEthTx)), LinkDumpParser::State::More);
    EXPECT_TRUE(parser.takeRows().empty()) << "rows before the dump is complete";
    EXPECT_EQ(parser.feed(cat({loopback(100, 200), done()})), LinkDumpParser::State::Done);
    EXPECT_EQ(parser.feed(error(-EIO)), LinkDumpParser::State::Done) << "fed after the end";
    EXPECT_FALSE(parser.interrupted());
    EXPECT_EQ(parser.takeRows(), (std::vector<InterfaceRow>{kLo, kEth}));
}

TEST(LinkDump, ErrorInALaterDatagramDropsEarlierLinks) {
    LinkDumpParser parser(7);
    EXPECT_EQ(parser.feed(ether(2, "eth0", kEthRx, kEthTx)), LinkDumpParser::State::More);
    EXPECT_EQ(parser.feed(error(-ENOBUFS)), LinkDumpParser::State::Failed);
    EXPECT_EQ(parser.feed(cat({loopback(100, 200), done()})), LinkDumpParser::State::Failed);
    EXPECT_TRUE(parser.takeRows().empty());
}

TEST(LinkDump, MessagesOfAnotherRequestAreIgnored) {
    LinkDumpParser parser(7);
    // Left over from an abandoned request 6: its links, its error and its end.
    parser.feed(cat({ether(2, "eth0", kEthRx, kEthTx, 6), error(-EBUSY, 6), done(0, 6)}));
    EXPECT_EQ(parser.state(), LinkDumpParser::State::More);
    EXPECT_EQ(parser.feed(cat({loopback(100, 200), done()})), LinkDumpParser::State::Done);
    EXPECT_EQ(parser.takeRows(), std::vector<InterfaceRow>{kLo});
}

TEST(LinkDump, InterruptedDumpIsFlaggedAndStillGivesItsLinks) {
    LinkDumpParser parser(7);
    parser.feed(
        cat({link(1, ARPHRD_LOOPBACK, cat({attr(IFLA_IFNAME, text("lo")), stats32(100, 200)}), 7,
                  NLM_F_MULTI | NLM_F_DUMP_INTR),
             done()}));
    EXPECT_TRUE(parser.interrupted());
    EXPECT_EQ(parser.takeRows(), std::vector<InterfaceRow>{kLo});
}

struct DescriptionCase {
    std::string_view name;
    std::uint16_t type;
    Bytes address;
    std::string_view kind;
    std::string expected;
};

TEST(LinkDescription, NamesTheLinkAndWhatItIs) {
    const Bytes zeros(6);
    const Bytes ipv4Tunnel = {std::byte{10}, std::byte{0}, std::byte{0}, std::byte{1}};
    const std::string longName(100, 'n');
    const DescriptionCase cases[] = {
        {"lo", ARPHRD_LOOPBACK, zeros, "", "lo (boucle locale)"},
        {"eth0", ARPHRD_ETHER, kMac, "", "eth0 (Ethernet, 52:54:00:12:34:56)"},
        {"eth1", ARPHRD_ETHER, zeros, "", "eth1 (Ethernet)"},
        {"eth2", ARPHRD_ETHER, {}, "", "eth2 (Ethernet)"},
        {"br0", ARPHRD_ETHER, kMac, "bridge", "br0 (pont, 52:54:00:12:34:56)"},
        {"wg0", ARPHRD_NONE, {}, "wireguard", "wg0 (wireguard)"},
        {"tun0", ARPHRD_NONE, {}, "", "tun0 (tunnel)"},
        {"gre1", ARPHRD_IPGRE, ipv4Tunnel, "", "gre1 (tunnel)"},
        {"ppp0", ARPHRD_PPP, {}, "", "ppp0 (PPP)"},
        {"wlan0", ARPHRD_IEEE80211, {}, "", "wlan0 (Wi-Fi)"},
        {"odd0", 999, {}, "", "odd0 (type 999)"},
        {"réseau", ARPHRD_ETHER, {}, "", "réseau (Ethernet)"},
        {"x", ARPHRD_ETHER, {}, "v\x1b[2J", "x (v?[2J)"},
        {longName, ARPHRD_ETHER, {}, "", std::string(64, 'n') + " (Ethernet)"},
        {"", ARPHRD_ETHER, {}, "", "#5 (Ethernet)"},
    };
    for (const DescriptionCase& c : cases) {
        EXPECT_EQ(describeLink(c.name, 5, c.type, c.address, c.kind), c.expected)
            << "name " << c.name;
    }
}

// --- The running system ------------------------------------------------------

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string nameOf(const InterfaceRow& row) {
    return row.description.substr(0, row.description.find(" ("));
}

std::optional<InterfaceRow> findRow(const std::vector<InterfaceRow>& rows,
                                    const std::string& name) {
    for (const InterfaceRow& row : rows) {
        if (nameOf(row) == name) return row;
    }
    return std::nullopt;
}

std::string sysfs(const std::string& interface, const std::string& file) {
    std::ifstream in("/sys/class/net/" + interface + "/" + file);
    std::string value;
    std::getline(in, value);
    return value;
}

constexpr std::size_t kLoopbackTraffic = 1 << 20;

// Sends kLoopbackTraffic bytes over a TCP connection on 127.0.0.1 and returns
// how many arrived.
std::size_t sendOverLoopback() {
    Fd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener.get() < 0 ||
        ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.get(), 1) != 0 ||
        ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;

    std::size_t received = 0;
    std::thread reader([&] {
        Fd peer(::accept(listener.get(), nullptr, nullptr));
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            const ssize_t n = ::recv(peer.get(), buffer.data(), buffer.size(), 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            received += static_cast<std::size_t>(n);
        }
    });
    {
        Fd sender(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (::connect(sender.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const std::vector<char> data(kLoopbackTraffic, 'u');
            std::size_t sent = 0;
            while (sent < data.size()) {
                const ssize_t n =
                    ::send(sender.get(), data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
        } else {
            // Unblocks the reader's accept.
            ::shutdown(listener.get(), SHUT_RDWR);
        }
    }
    reader.join();
    return received;
}

TEST(LinuxInterfaceTable, ListsLoopbackByInterfaceIndexAlways) {
    LinuxInterfaceTable table;
    const std::vector<InterfaceRow> first = table.read();
    const std::optional<InterfaceRow> lo = findRow(first, "lo");
    ASSERT_TRUE(lo) << "no loopback among " << first.size() << " rows";
    EXPECT_EQ(lo->description, "lo (boucle locale)");

    // Other tests may add or remove links meanwhile: compare the links present
    // in both reads, and those still existing with their indexes now.
    const std::vector<InterfaceRow> second = table.read();
    std::vector<std::string> firstNames, secondNames;
    for (const InterfaceRow& row : first) {
        if (findRow(second, nameOf(row))) firstNames.push_back(nameOf(row));
    }
    for (const InterfaceRow& row : second) {
        if (findRow(first, nameOf(row))) secondNames.push_back(nameOf(row));
    }
    EXPECT_EQ(firstNames, secondNames);

    unsigned previous = 0;
    for (const std::string& name : secondNames) {
        const unsigned index = ::if_nametoindex(name.c_str());
        if (index == 0) continue;
        EXPECT_GT(index, previous) << name << " is out of index order";
        previous = index;
    }
}

TEST(LinuxInterfaceTable, LoopbackCountersGrowByTheTrafficSent) {
    LinuxInterfaceTable table;
    const std::optional<InterfaceRow> before = findRow(table.read(), "lo");
    ASSERT_TRUE(before);
    ASSERT_EQ(sendOverLoopback(), kLoopbackTraffic);
    const std::optional<InterfaceRow> after = findRow(table.read(), "lo");
    ASSERT_TRUE(after);
    // Unsigned 32-bit differences stay right when a counter wraps.
    EXPECT_GE(static_cast<std::uint32_t>(after->inOctets - before->inOctets), kLoopbackTraffic);
    EXPECT_GE(static_cast<std::uint32_t>(after->outOctets - before->outOctets), kLoopbackTraffic);
}

// A network namespace of the test's own, and a veth pair with one end in the
// root namespace and the other in the new one; both removed on every path.
class NamespaceTest : public testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "creating a network namespace needs root";
        if (!run("ip netns add " + namespace_)) GTEST_SKIP() << "ip netns add does not work here";
        created_ = true;
        if (!run("ip link add " + veth_ + " type veth peer name ulzpeer netns " + namespace_))
            GTEST_SKIP() << "cannot create a veth pair";
        ASSERT_TRUE(run("ip link set " + veth_ + " up") && inside("link set ulzpeer up"));
    }
    void TearDown() override {
        if (!created_) return;
        run("ip link del " + veth_);
        run("ip netns del " + namespace_);
    }

    static bool run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    // Runs an `ip` command in the test's namespace.
    bool inside(const std::string& ipCommand) const {
        return run("ip -n " + namespace_ + " " + ipCommand);
    }
    // Runs `work` on a thread that has entered the test's namespace; false if it could not.
    bool onThreadInside(const std::function<void()>& work) const {
        bool entered = false;
        std::thread([&] {
            Fd ns(::open(("/run/netns/" + namespace_).c_str(), O_RDONLY | O_CLOEXEC));
            entered = ns.get() >= 0 && ::setns(ns.get(), CLONE_NEWNET) == 0;
            if (entered) work();
        }).join();
        return entered;
    }

    const std::string namespace_ = "ulz-ift-" + std::to_string(::getpid());
    const std::string veth_ = "ulzift" + std::to_string(::getpid());
    bool created_ = false;
};

// Sends `count` Ethernet frames of `size` bytes out of `interface` to an
// address nobody has, so that nothing answers. Returns how many went out.
int sendFrames(const std::string& interface, int count, std::size_t size) {
    const unsigned index = ::if_nametoindex(interface.c_str());
    Fd fd(::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0));
    if (index == 0 || fd.get() < 0) return 0;
    sockaddr_ll to{};
    to.sll_family = AF_PACKET;
    to.sll_ifindex = static_cast<int>(index);
    to.sll_halen = 6;
    // Destination 02:00:00:00:00:02, an experimental EtherType (0x88B5).
    std::vector<unsigned char> frame(size, 0);
    frame[0] = 0x02;
    frame[5] = 0x02;
    frame[12] = 0x88;
    frame[13] = 0xB5;
    int sent = 0;
    for (int i = 0; i < count; ++i) {
        if (::sendto(fd.get(), frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&to),
                     sizeof to) == static_cast<ssize_t>(frame.size()))
            ++sent;
    }
    return sent;
}

TEST_F(NamespaceTest, FollowsALinkThatComesAndGoes) {
    LinuxInterfaceTable table;
    const std::optional<InterfaceRow> before = findRow(table.read(), veth_);
    ASSERT_TRUE(before) << veth_ << " is not listed";
    EXPECT_EQ(before->description, veth_ + " (veth, " + sysfs(veth_, "address") + ")");

    // Frames leave through this end only: its "out" counter must take them, not its "in".
    // The link carries traffic once the kernel has seen both ends up.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sysfs(veth_, "operstate") != "up" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    constexpr int kFrames = 200;
    constexpr std::size_t kFrameSize = 1000;
    ASSERT_EQ(sendFrames(veth_, kFrames, kFrameSize), kFrames);
    const std::optional<InterfaceRow> after = findRow(table.read(), veth_);
    ASSERT_TRUE(after);
    EXPECT_GE(static_cast<std::uint32_t>(after->outOctets - before->outOctets),
              kFrames * kFrameSize);
    EXPECT_LT(static_cast<std::uint32_t>(after->inOctets - before->inOctets),
              kFrames * kFrameSize / 4);

    run("ip link del " + veth_);
    const std::vector<InterfaceRow> rows = table.read();
    EXPECT_TRUE(findRow(rows, "lo")) << "the table is unreadable after the link went";
    EXPECT_FALSE(findRow(rows, veth_)) << veth_ << " is still listed";
}

// Enough links that the kernel spreads its answer over several datagrams.
TEST_F(NamespaceTest, ReadsATableTooLargeForOneDatagram) {
    constexpr int kPairs = 40;
    ASSERT_TRUE(run("for i in $(seq " + std::to_string(kPairs) + "); do ip -n " + namespace_ +
                    " link add ulza$i type veth peer name ulzb$i || exit 1; done"));

    std::vector<InterfaceRow> rows;
    std::vector<unsigned> indexes;
    ASSERT_TRUE(onThreadInside([&] {
        rows = LinuxInterfaceTable().read();
        for (const InterfaceRow& row : rows)
            indexes.push_back(::if_nametoindex(nameOf(row).c_str()));
    })) << "cannot enter the namespace";

    // Loopback, the far end of the first pair, and both ends of every other.
    ASSERT_EQ(rows.size(), 2u + 2 * kPairs);
    EXPECT_EQ(rows.front().description, "lo (boucle locale)");
    EXPECT_TRUE(std::is_sorted(indexes.begin(), indexes.end()) &&
                std::adjacent_find(indexes.begin(), indexes.end()) == indexes.end() &&
                indexes.front() != 0)
        << "not in index order";
    for (int i = 1; i <= kPairs; ++i) {
        for (const std::string& name : {"ulza" + std::to_string(i), "ulzb" + std::to_string(i)}) {
            const std::optional<InterfaceRow> row = findRow(rows, name);
            ASSERT_TRUE(row) << name << " is missing";
            EXPECT_EQ(row->description.rfind(name + " (veth, ", 0), 0u) << row->description;
        }
    }
}

}  // namespace

}  // namespace ulz

// The echo message codec: which received datagrams count as the reply to our
// request, and whether built requests carry a correct checksum.
#include "platform/icmp_packet.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace ulz::icmp {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kId = 0x1234;
constexpr std::uint16_t kSeq = 0x0102;

IpAddress v4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    IpAddress ip;
    ip.bytes[0] = a;
    ip.bytes[1] = b;
    ip.bytes[2] = c;
    ip.bytes[3] = d;
    return ip;
}

IpAddress v6Loopback() {
    IpAddress ip;
    ip.family = Family::V6;
    ip.bytes[15] = 1;
    return ip;
}

const IpAddress kPeer = v4(10, 213, 1, 2);

Bytes echo(Family family, std::uint8_t type, std::uint16_t id = kId, std::uint16_t seq = kSeq) {
    const Bytes payload = {'a', 'b', 'c'};
    return buildEcho(family, type, id, seq, payload);
}

// An IPv4 header of `ihl` words (options zero-filled) in front of `message`.
Bytes withIpHeader(const Bytes& message, std::uint8_t ihl = 5, std::uint8_t protocol = 1,
                   std::uint8_t version = 4) {
    Bytes datagram(static_cast<std::size_t>(ihl) * 4, 0);
    datagram[0] = static_cast<std::uint8_t>(version << 4 | ihl);
    datagram[8] = 64;
    datagram[9] = protocol;
    std::copy(kPeer.bytes.begin(), kPeer.bytes.begin() + 4, datagram.begin() + 12);
    datagram.insert(datagram.end(), message.begin(), message.end());
    return datagram;
}

ReplyFilter rawV4() {
    return {Family::V4, true, true, kId, kSeq, kPeer};
}
ReplyFilter datagramV4() {
    return {Family::V4, false, false, kId, kSeq, kPeer};
}
ReplyFilter rawV6() {
    return {Family::V6, false, true, kId, kSeq, v6Loopback()};
}

struct ReplyCase {
    std::string name;
    std::function<Bytes()> datagram;
    IpAddress source;
    ReplyFilter filter;
    bool accepted;
};

class ReplyMatching : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyMatching, AcceptsOnlyOurEchoReply) {
    const ReplyCase& c = GetParam();
    // An exactly sized copy, so a read past the end trips the sanitizers.
    const Bytes datagram = c.datagram();
    EXPECT_EQ(isOurReply(datagram, c.source, c.filter), c.accepted);
}

Bytes corruptedChecksum() {
    Bytes message = echo(Family::V4, kEchoReplyV4);
    message[3] ^= 0x01;
    return withIpHeader(message);
}

const ReplyCase kReplyCases[] = {
    {"RawGenuine", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4)); }, kPeer, rawV4(),
     true},
    {"RawIpOptionsSkippedByIhl", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4), 7); },
     kPeer, rawV4(), true},
    {"RawOtherIdentifier", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4, kId + 1)); },
     kPeer, rawV4(), false},
    {"RawOtherSequence", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4, kId, kSeq + 1)); },
     kPeer, rawV4(), false},
    {"RawOtherSource", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4)); },
     v4(10, 213, 1, 1), rawV4(), false},
    {"RawOwnOutgoingRequest", [] { return withIpHeader(echo(Family::V4, kEchoRequestV4)); }, kPeer,
     rawV4(), false},
    {"RawDestinationUnreachable", [] { return withIpHeader(echo(Family::V4, 3)); }, kPeer, rawV4(),
     false},
    {"RawBadChecksum", corruptedChecksum, kPeer, rawV4(), false},
    {"RawIhlBelowMinimum", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4), 4); }, kPeer,
     rawV4(), false},
    {"RawIhlPastEnd",
     [] {
         Bytes d = withIpHeader(echo(Family::V4, kEchoReplyV4));
         d[0] = 0x4f;  // 60-byte header in a 31-byte datagram
         return d;
     },
     kPeer, rawV4(), false},
    {"RawIhlLeavesNoIcmpHeader",
     [] {
         Bytes d = withIpHeader(echo(Family::V4, kEchoReplyV4));
         d[0] = 0x47;  // 28-byte header: only 3 bytes left for the ICMP header
         return d;
     },
     kPeer, rawV4(), false},
    {"RawNotIpv4", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4), 5, 1, 6); }, kPeer,
     rawV4(), false},
    {"RawNotIcmp", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4), 5, 17); }, kPeer,
     rawV4(), false},
    {"RawEmpty", [] { return Bytes{}; }, kPeer, rawV4(), false},
    {"DatagramGenuine", [] { return echo(Family::V4, kEchoReplyV4); }, kPeer, datagramV4(), true},
    {"DatagramIdentifierRewrittenByKernel", [] { return echo(Family::V4, kEchoReplyV4, 0x0777); },
     kPeer, datagramV4(), true},
    {"DatagramOtherSequence", [] { return echo(Family::V4, kEchoReplyV4, kId, kSeq - 1); }, kPeer,
     datagramV4(), false},
    {"DatagramOtherSource", [] { return echo(Family::V4, kEchoReplyV4); }, v4(127, 0, 0, 1),
     datagramV4(), false},
    {"DatagramWithIpHeaderIsNotAnEcho", [] { return withIpHeader(echo(Family::V4, kEchoReplyV4)); },
     kPeer, datagramV4(), false},
    {"V6Genuine", [] { return echo(Family::V6, kEchoReplyV6); }, v6Loopback(), rawV6(), true},
    {"V6OwnRequest", [] { return echo(Family::V6, kEchoRequestV6); }, v6Loopback(), rawV6(), false},
    {"V6IgnoresV4ReplyType", [] { return echo(Family::V6, kEchoReplyV4); }, v6Loopback(), rawV6(),
     false},
    {"V6OtherIdentifier", [] { return echo(Family::V6, kEchoReplyV6, kId ^ 0xffff); }, v6Loopback(),
     rawV6(), false},
    {"V6SourceOfOtherFamily", [] { return echo(Family::V6, kEchoReplyV6); }, IpAddress{}, rawV6(),
     false},
};

INSTANTIATE_TEST_SUITE_P(IcmpPacket, ReplyMatching, ::testing::ValuesIn(kReplyCases),
                         [](const auto& info) { return info.param.name; });

// Every cut of a genuine reply, in each framing, short of its 8-byte ICMP header.
TEST(IcmpPacket, RejectsEveryTruncation) {
    const Bytes raw = withIpHeader(echo(Family::V4, kEchoReplyV4, kId, kSeq));
    const Bytes bare = echo(Family::V4, kEchoReplyV4);
    for (std::size_t n = 0; n < 28; ++n) {
        const Bytes cut(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(isOurReply(cut, kPeer, rawV4())) << n << " bytes with IP header";
    }
    for (std::size_t n = 0; n < kHeaderSize; ++n) {
        const Bytes cut(bare.begin(), bare.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(isOurReply(cut, kPeer, datagramV4())) << n << " bytes";
    }
}

// The RFC 1071 worked example.
TEST(IcmpPacket, ChecksumOfKnownBytes) {
    const Bytes even = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    EXPECT_EQ(checksum(even), 0x220d);
    // An odd trailing byte counts as the high half of a word.
    const Bytes odd = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7, 0x01};
    EXPECT_EQ(checksum(odd), 0x210d);
}

class BuiltRequest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(BuiltRequest, CarriesFieldsAndValidChecksum) {
    const std::size_t size = GetParam();
    const Bytes request = buildEchoRequest(Family::V4, 0xbeef, 0xfffe, size);
    ASSERT_EQ(request.size(), kHeaderSize + size);
    EXPECT_EQ(request[0], kEchoRequestV4);
    EXPECT_EQ(request[4], 0xbe);
    EXPECT_EQ(request[5], 0xef);
    EXPECT_EQ(request[6], 0xff);
    EXPECT_EQ(request[7], 0xfe);
    // A message with a correct checksum sums to zero, checksum field included.
    EXPECT_EQ(checksum(request), 0);
    // And it passes our own parser as a request.
    const auto parsed = parseEcho(withIpHeader(request), Family::V4, true);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->payload.size(), size);
}

INSTANTIATE_TEST_SUITE_P(IcmpPacket, BuiltRequest, ::testing::Values(0, 1, 2, 31, 56, 1473));

TEST(IcmpPacket, V6RequestLeavesChecksumToKernel) {
    const Bytes request = buildEchoRequest(Family::V6, kId, kSeq, 5);
    EXPECT_EQ(request[0], kEchoRequestV6);
    EXPECT_EQ(request[2], 0);
    EXPECT_EQ(request[3], 0);
}

// The delayed responder answers with buildEcho from the parsed request: the
// reply must be what isOurReply takes for the reply to that request.
TEST(IcmpPacket, ReplyBuiltFromParsedRequestIsAccepted) {
    const Bytes request = withIpHeader(buildEchoRequest(Family::V4, kId, kSeq, 20));
    const auto parsed = parseEcho(request, Family::V4, true);
    ASSERT_TRUE(parsed);
    const Bytes reply =
        buildEcho(Family::V4, kEchoReplyV4, parsed->identifier, parsed->sequence, parsed->payload);
    EXPECT_TRUE(isOurReply(withIpHeader(reply), kPeer, rawV4()));
}

}  // namespace
}  // namespace ulz::icmp

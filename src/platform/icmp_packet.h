// ICMP and ICMPv6 echo messages as bytes: building requests and replies, and
// picking the reply to our own request out of whatever a socket hands us.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ulz::icmp {

enum class Family : std::uint8_t { V4, V6 };

inline constexpr std::uint8_t kEchoReplyV4 = 0;
inline constexpr std::uint8_t kEchoRequestV4 = 8;
inline constexpr std::uint8_t kEchoRequestV6 = 128;
inline constexpr std::uint8_t kEchoReplyV6 = 129;
inline constexpr std::size_t kHeaderSize = 8;
// Largest data size an IPv4 datagram can carry behind a bare IP and ICMP header.
inline constexpr std::size_t kMaxPayload = 65535 - 20 - kHeaderSize;

// An IPv4 address in the first 4 bytes, or an IPv6 address.
struct IpAddress {
    Family family = Family::V4;
    std::array<std::uint8_t, 16> bytes{};

    bool operator==(const IpAddress&) const = default;
};

// The ICMP message inside a received datagram; `payload` points into it.
struct EchoMessage {
    std::uint8_t type = 0;
    std::uint8_t code = 0;
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
    std::span<const std::uint8_t> payload;
};

// Internet checksum (RFC 1071) of `data`, in host order, ready to be stored big-endian.
std::uint16_t checksum(std::span<const std::uint8_t> data);

// An echo message of `type` carrying `payload`. IPv4 messages carry their
// checksum; an ICMPv6 checksum covers the IPv6 pseudo-header, which only the
// kernel knows, so it is left zero for the kernel to fill in.
std::vector<std::uint8_t> buildEcho(Family family, std::uint8_t type, std::uint16_t identifier,
                                    std::uint16_t sequence, std::span<const std::uint8_t> payload);

// An echo request with `payloadSize` data bytes of a fixed pattern.
std::vector<std::uint8_t> buildEchoRequest(Family family, std::uint16_t identifier,
                                           std::uint16_t sequence, std::size_t payloadSize);

// Finds the echo message in `datagram`. With `withIpHeader` (raw IPv4
// sockets) the datagram starts with an IPv4 header whose length is taken from
// its IHL field and whose ICMP checksum is verified, since raw sockets see
// packets before the kernel checks them. Empty for anything malformed,
// truncated or not an echo request or reply.
std::optional<EchoMessage> parseEcho(std::span<const std::uint8_t> datagram, Family family,
                                     bool withIpHeader);

// What the reply to one of our requests looks like.
struct ReplyFilter {
    Family family = Family::V4;
    // Raw IPv4 socket: datagrams start with the IP header.
    bool withIpHeader = false;
    // Datagram (ping) sockets get their identifier rewritten by the kernel,
    // which then hands them only their own replies; raw sockets see every
    // ICMP packet and must check it.
    bool checkIdentifier = false;
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
    // The address the request was sent to.
    IpAddress peer;
};

// Whether `datagram`, received from `source`, is the echo reply to the request
// that `filter` describes.
bool isOurReply(std::span<const std::uint8_t> datagram, const IpAddress& source,
                const ReplyFilter& filter);

}  // namespace ulz::icmp

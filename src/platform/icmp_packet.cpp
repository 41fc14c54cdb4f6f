// ICMP echo messages as bytes; no sockets here, so every rule is testable.
#include "platform/icmp_packet.h"

#include <algorithm>

namespace ulz::icmp {

namespace {

constexpr std::size_t kMinIpHeader = 20;
constexpr std::uint8_t kProtocolIcmp = 1;

std::uint16_t readBe16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void writeBe16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(value & 0xff);
}

bool isEchoType(Family family, std::uint8_t type) {
    return family == Family::V4 ? type == kEchoRequestV4 || type == kEchoReplyV4
                                : type == kEchoRequestV6 || type == kEchoReplyV6;
}

}  // namespace

std::uint16_t checksum(std::span<const std::uint8_t> data) {
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < data.size(); i += 2) sum += readBe16(data, i);
    if (i < data.size()) sum += static_cast<std::uint32_t>(data[i]) << 8;
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum & 0xffff);
}

std::vector<std::uint8_t> buildEcho(Family family, std::uint8_t type, std::uint16_t identifier,
                                    std::uint16_t sequence, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> message(kHeaderSize + payload.size(), 0);
    message[0] = type;
    writeBe16(message, 4, identifier);
    writeBe16(message, 6, sequence);
    std::copy(payload.begin(), payload.end(), message.begin() + kHeaderSize);
    if (family == Family::V4) writeBe16(message, 2, checksum(message));
    return message;
}

std::vector<std::uint8_t> buildEchoRequest(Family family, std::uint16_t identifier,
                                           std::uint16_t sequence, std::size_t payloadSize) {
    std::vector<std::uint8_t> payload(payloadSize);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<std::uint8_t>(i & 0xff);
    }
    return buildEcho(family, family == Family::V4 ? kEchoRequestV4 : kEchoRequestV6, identifier,
                     sequence, payload);
}

std::optional<EchoMessage> parseEcho(std::span<const std::uint8_t> datagram, Family family,
                                     bool withIpHeader) {
    std::span<const std::uint8_t> message = datagram;
    if (withIpHeader) {
        if (datagram.size() < kMinIpHeader) return std::nullopt;
        const std::size_t version = datagram[0] >> 4;
        const std::size_t headerSize = static_cast<std::size_t>(datagram[0] & 0x0f) * 4;
        if (version != 4 || headerSize < kMinIpHeader || headerSize > datagram.size()) {
            return std::nullopt;
        }
        if (datagram[9] != kProtocolIcmp) return std::nullopt;
        message = datagram.subspan(headerSize);
    }
    if (message.size() < kHeaderSize) return std::nullopt;
    if (!isEchoType(family, message[0])) return std::nullopt;
    // A message whose checksum is right sums to zero with its checksum field.
    if (withIpHeader && checksum(message) != 0) return std::nullopt;
    EchoMessage echo;
    echo.type = message[0];
    echo.code = message[1];
    echo.identifier = readBe16(message, 4);
    echo.sequence = readBe16(message, 6);
    echo.payload = message.subspan(kHeaderSize);
    return echo;
}

bool isOurReply(std::span<const std::uint8_t> datagram, const IpAddress& source,
                const ReplyFilter& filter) {
    if (source != filter.peer) return false;
    const auto echo = parseEcho(datagram, filter.family, filter.withIpHeader);
    if (!echo) return false;
    const std::uint8_t replyType = filter.family == Family::V4 ? kEchoReplyV4 : kEchoReplyV6;
    if (echo->type != replyType) return false;
    if (filter.checkIdentifier && echo->identifier != filter.identifier) return false;
    return echo->sequence == filter.sequence;
}

}  // namespace ulz::icmp

// Link-table dump parsing. Lengths come from the bytes themselves, so every
// one is checked against what is left before it is used; values are copied out
// with memcpy because attributes are only 4-byte aligned.
#include "platform/link_dump.h"

#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <utility>

#include "core/cp1252.h"

namespace ulz {

namespace {

// Longer names and kinds only come from malformed messages (the kernel allows
// 15 bytes); the cap keeps the text short whatever the input.
constexpr std::size_t kMaxNameBytes = 64;
constexpr std::size_t kMaxKindBytes = 32;

constexpr std::size_t align4(std::size_t length) {
    return (length + 3) & ~std::size_t{3};
}

template <typename T>
T load(std::span<const std::byte> bytes, std::size_t offset = 0) {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// Calls `visit(type, payload)` for each attribute of a list. False when an
// attribute's length is shorter than its own header or runs past the list;
// fewer than a header's worth of bytes at the end are padding.
template <typename Visit>
bool forEachAttribute(std::span<const std::byte> list, Visit&& visit) {
    std::size_t offset = 0;
    while (list.size() - offset >= sizeof(nlattr)) {
        const auto header = load<nlattr>(list, offset);
        if (header.nla_len < sizeof(nlattr) || header.nla_len > list.size() - offset) return false;
        visit(static_cast<std::uint16_t>(header.nla_type & NLA_TYPE_MASK),
              list.subspan(offset + sizeof(nlattr), header.nla_len - sizeof(nlattr)));
        offset = std::min(list.size(), offset + align4(header.nla_len));
    }
    return true;
}

// A string attribute up to its terminating NUL, if any.
std::string_view stringPayload(std::span<const std::byte> payload) {
    const std::string_view text(reinterpret_cast<const char*>(payload.data()), payload.size());
    return text.substr(0, text.find('\0'));
}

// Text safe to show: kept as is when it is UTF-8 without control characters,
// otherwise every byte outside printable ASCII becomes '?'.
std::string printable(std::string_view bytes, std::size_t maxBytes) {
    std::string text(bytes.substr(0, maxBytes));
    const bool hasControl = std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
    if (hasControl || !isValidUtf8(text)) {
        for (char& c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || u >= 0x7F) c = '?';
        }
    }
    return text;
}

std::string_view kindLabel(std::string_view kind) {
    static constexpr std::pair<std::string_view, std::string_view> kLabels[] = {
        {"bridge", "pont"},
        {"bond", "agrégat"},
        {"dummy", "factice"},
        {"vlan", "VLAN"},
    };
    for (const auto& [known, label] : kLabels) {
        if (kind == known) return label;
    }
    return {};
}

std::string typeLabel(std::uint16_t type) {
    switch (type) {
        case ARPHRD_LOOPBACK:
            return "boucle locale";
        case ARPHRD_ETHER:
            return "Ethernet";
        case ARPHRD_IEEE80211:
        case ARPHRD_IEEE80211_PRISM:
        case ARPHRD_IEEE80211_RADIOTAP:
            return "Wi-Fi";
        case ARPHRD_PPP:
            return "PPP";
        case ARPHRD_NONE:
        case ARPHRD_TUNNEL:
        case ARPHRD_TUNNEL6:
        case ARPHRD_SIT:
        case ARPHRD_IPGRE:
        case ARPHRD_IP6GRE:
            return "tunnel";
        case ARPHRD_RAWIP:
            return "IP brut";
        case ARPHRD_INFINIBAND:
            return "InfiniBand";
        case ARPHRD_CAN:
            return "CAN";
        default:
            return "type " + std::to_string(type);
    }
}

// Hardware address as "52:54:00:12:34:56", for Ethernet-like links that have one.
std::string macText(std::uint16_t type, std::span<const std::byte> address) {
    if (type != ARPHRD_ETHER || address.size() != 6) return {};
    if (std::all_of(address.begin(), address.end(), [](std::byte b) { return b == std::byte{0}; }))
        return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const std::byte b : address) {
        if (!text.empty()) text += ':';
        text += kHex[std::to_integer<unsigned>(b) >> 4];
        text += kHex[std::to_integer<unsigned>(b) & 0xF];
    }
    return text;
}

}  // namespace

std::string describeLink(std::string_view name, int index, std::uint16_t type,
                         std::span<const std::byte> address, std::string_view kind) {
    std::string text = name.empty() ? "#" + std::to_string(index) : printable(name, kMaxNameBytes);
    text += " (";
    if (!kind.empty()) {
        const std::string_view label = kindLabel(kind);
        text += label.empty() ? printable(kind, kMaxKindBytes) : std::string(label);
    } else {
        text += typeLabel(type);
    }
    if (const std::string mac = macText(type, address); !mac.empty()) {
        text += ", ";
        text += mac;
    }
    text += ')';
    return text;
}

LinkDumpParser::State LinkDumpParser::feed(std::span<const std::byte> datagram) {
    std::size_t offset = 0;
    while (state_ == State::More && offset < datagram.size()) {
        if (datagram.size() - offset < sizeof(nlmsghdr)) {
            state_ = State::Failed;
            break;
        }
        const auto header = load<nlmsghdr>(datagram, offset);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > datagram.size() - offset) {
            state_ = State::Failed;
            break;
        }
        const auto body =
            datagram.subspan(offset + sizeof(nlmsghdr), header.nlmsg_len - sizeof(nlmsghdr));
        offset = std::min(datagram.size(), offset + align4(header.nlmsg_len));

        if (sequence_ && header.nlmsg_seq != *sequence_) continue;
        if (header.nlmsg_flags & NLM_F_DUMP_INTR) interrupted_ = true;
        switch (header.nlmsg_type) {
            case NLMSG_DONE:
                // Recent kernels end the dump with its status: negative when
                // the dump itself failed part-way.
                if (body.size() >= sizeof(int) && load<int>(body) < 0) {
                    state_ = State::Failed;
                } else {
                    state_ = State::Done;
                }
                break;
            case NLMSG_ERROR:
                // Zero is an acknowledgement; anything else, or no code at all, ends the dump.
                if (body.size() < sizeof(int) || load<int>(body) != 0) state_ = State::Failed;
                break;
            case NLMSG_OVERRUN:
                state_ = State::Failed;
                break;
            case RTM_NEWLINK:
                parseLink(body);
                break;
            default:
                break;
        }
    }
    return state_;
}

void LinkDumpParser::parseLink(std::span<const std::byte> body) {
    if (body.size() < sizeof(ifinfomsg)) return;
    const auto info = load<ifinfomsg>(body);

    std::string_view name, kind;
    std::span<const std::byte> address;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> stats64, stats32;
    const bool wellFormed = forEachAttribute(
        body.subspan(align4(sizeof(ifinfomsg))),
        [&](std::uint16_t type, std::span<const std::byte> payload) {
            switch (type) {
                case IFLA_IFNAME:
                    name = stringPayload(payload);
                    break;
                case IFLA_ADDRESS:
                    address = payload;
                    break;
                case IFLA_STATS64:
                    if (payload.size() >= offsetof(rtnl_link_stats64, tx_bytes) + sizeof(__u64)) {
                        stats64.emplace(
                            load<std::uint64_t>(payload, offsetof(rtnl_link_stats64, rx_bytes)),
                            load<std::uint64_t>(payload, offsetof(rtnl_link_stats64, tx_bytes)));
                    }
                    break;
                case IFLA_STATS:
                    if (payload.size() >= offsetof(rtnl_link_stats, tx_bytes) + sizeof(__u32)) {
                        stats32.emplace(
                            load<std::uint32_t>(payload, offsetof(rtnl_link_stats, rx_bytes)),
                            load<std::uint32_t>(payload, offsetof(rtnl_link_stats, tx_bytes)));
                    }
                    break;
                case IFLA_LINKINFO: {
                    // The kind only labels the link: a malformed nest loses the label, not the
                    // link.
                    std::string_view nestedKind;
                    const bool nestOk = forEachAttribute(
                        payload, [&](std::uint16_t nestedType, std::span<const std::byte> value) {
                            if (nestedType == IFLA_INFO_KIND) nestedKind = stringPayload(value);
                        });
                    kind = nestOk ? nestedKind : std::string_view{};
                    break;
                }
                default:
                    break;
            }
        });
    const auto& stats = stats64 ? stats64 : stats32;
    if (!wellFormed || !stats) return;

    // The low 32 bits are the counter the analysis works with; it handles the wrap.
    links_.insert_or_assign(
        info.ifi_index,
        InterfaceRow{describeLink(name, info.ifi_index, info.ifi_type, address, kind),
                     static_cast<std::uint32_t>(stats->first),
                     static_cast<std::uint32_t>(stats->second)});
}

std::vector<InterfaceRow> LinkDumpParser::takeRows() {
    std::vector<InterfaceRow> rows;
    if (state_ != State::Done) return rows;
    rows.reserve(links_.size());
    for (auto& [index, row] : links_) rows.push_back(std::move(row));
    links_.clear();
    return rows;
}

std::vector<InterfaceRow> parseLinkDump(std::span<const std::byte> bytes) {
    LinkDumpParser parser;
    parser.feed(bytes);
    return parser.takeRows();
}

}  // namespace ulz

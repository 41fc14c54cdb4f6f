// The kernel's answer to a link-table dump request (rtnetlink RTM_GETLINK)
// turned into interface rows: pure code over bytes, so that it can be tested
// and fuzzed without a socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/interface_table.h"

namespace ulz {

// Reads the datagrams of one dump in the order they arrive. Whatever the bytes,
// it never reads outside them: a message whose length does not fit fails the
// whole dump (nothing after it can be located), and a link whose attribute list
// is malformed, or that carries no octet counters, is left out.
class LinkDumpParser {
public:
    enum class State { More, Done, Failed };

    // Only messages carrying `sequence` belong to this dump; others are
    // left-overs of an earlier, abandoned request. Empty: accept any.
    explicit LinkDumpParser(std::optional<std::uint32_t> sequence = std::nullopt)
        : sequence_(sequence) {}

    // Parses one datagram. Once the dump is Done or Failed, the rest is ignored.
    State feed(std::span<const std::byte> datagram);
    State state() const { return state_; }
    // The kernel flagged the dump as inconsistent: links came or went while it
    // was being written, so one may be missing.
    bool interrupted() const { return interrupted_; }
    // The links of a completed dump by ascending interface index; empty unless Done.
    std::vector<InterfaceRow> takeRows();

private:
    void parseLink(std::span<const std::byte> body);

    std::optional<std::uint32_t> sequence_;
    State state_ = State::More;
    bool interrupted_ = false;
    // By interface index: the order of the rows, and a link listed twice by an
    // interrupted dump counts once.
    std::map<int, InterfaceRow> links_;
};

// The rows of a dump whose datagrams are laid end to end in `bytes`; empty
// unless the dump is complete and free of errors.
std::vector<InterfaceRow> parseLinkDump(std::span<const std::byte> bytes);

// "name (what it is[, hardware address])": the kind of virtual link when the
// kernel names one, otherwise the link-layer type (an ARPHRD_* value), and the
// hardware address of Ethernet-like links. `index` stands in for a missing name.
std::string describeLink(std::string_view name, int index, std::uint16_t type,
                         std::span<const std::byte> address, std::string_view kind);

}  // namespace ulz

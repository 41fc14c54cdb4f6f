// The machine's network interfaces as the connection analysis sees them: a
// text the user recognises and the octet counters, read once per collector tick.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ulz {

struct InterfaceRow {
    // Interface name with what helps recognise it, e.g. "eth0 (Ethernet, 52:54:00:12:34:56)".
    // The same interface keeps the same text from one read to the next.
    std::string description;
    // Octets received and sent since the interface appeared, modulo 2^32:
    // they wrap around, so compare two readings by unsigned 32-bit subtraction.
    std::uint32_t inOctets = 0;
    std::uint32_t outOctets = 0;

    bool operator==(const InterfaceRow&) const = default;
};

class InterfaceTable {
public:
    virtual ~InterfaceTable() = default;
    // Every interface, in a stable order, read afresh at every call. Never throws;
    // an unreadable table gives no rows.
    virtual std::vector<InterfaceRow> read() = 0;
};

}  // namespace ulz

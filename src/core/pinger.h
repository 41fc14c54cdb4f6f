// The ICMP echo service that the ping tests drive: one request at a time,
// answered asynchronously so the window never waits on the network.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ulz {

// What became of one echo request.
struct PingOutcome {
    // Round-trip time in whole milliseconds; at least 950 when no reply came
    // within the time-out. Empty when no request went out at all (the host
    // does not resolve, or the system refuses ICMP sockets): no reply event.
    std::optional<std::uint32_t> rtt;
    // Set when the request could not be sent for a reason the user must fix
    // (no ICMP permission); the text says what to change.
    std::string error;
};

class Pinger {
public:
    static constexpr std::uint32_t kTimeoutMs = 950;
    static constexpr int kTtl = 64;

    virtual ~Pinger() = default;
    // Data size of each request in bytes.
    virtual void setSize(int bytes) = 0;
    // Target as a host name or a numeric address; resolved when a request goes out.
    virtual void setAddress(const std::string& host) = 0;
    // Sends one echo request. `done` runs exactly once, later, on the thread
    // that owns the pinger's event delivery (the GUI thread in the program).
    virtual void ping(std::function<void(const PingOutcome&)> done) = 0;
};

}  // namespace ulz

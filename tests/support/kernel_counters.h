// An interface's byte counters as the kernel gives them in /proc, read apart
// from the program's own interface table, to check its figures against.
#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace ulz::testing {

struct KernelCounters {
    std::uint64_t rx = 0, tx = 0;
};

// The 64-bit counters of interface `name` in the calling thread's network
// namespace, or nothing when the interface is not there.
inline std::optional<KernelCounters> kernelCounters(const std::string& name) {
    std::ifstream dev("/proc/thread-self/net/dev");
    std::string line;
    while (std::getline(dev, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string ifname = line.substr(0, colon);
        ifname.erase(0, ifname.find_first_not_of(' '));
        if (ifname != name) continue;
        std::istringstream fields(line.substr(colon + 1));
        std::uint64_t v[9] = {};
        for (auto& x : v) fields >> x;
        return KernelCounters{v[0], v[8]};
    }
    return std::nullopt;
}

}  // namespace ulz::testing

// The interface table of the running Linux system, read from the kernel over
// an rtnetlink socket: one dump request and its answer per read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/interface_table.h"

namespace ulz {

class LinuxInterfaceTable final : public InterfaceTable {
public:
    LinuxInterfaceTable() = default;
    ~LinuxInterfaceTable() override;

    LinuxInterfaceTable(const LinuxInterfaceTable&) = delete;
    LinuxInterfaceTable& operator=(const LinuxInterfaceTable&) = delete;

    // The interfaces of the network namespace the program runs in, by ascending
    // interface index. Safe to call from several threads.
    std::vector<InterfaceRow> read() override;

private:
    enum class Outcome { Complete, Interrupted, Failed, TimedOut };

    Outcome dump(std::vector<InterfaceRow>& rows);
    bool openSocket();
    void closeSocket();

    std::mutex mutex_;
    // Kept open between reads: opening a socket costs more than the dump itself.
    int fd_ = -1;
    std::uint32_t sequence_ = 0;
    std::vector<std::byte> buffer_;
};

}  // namespace ulz

// Fuzz target for the parser of the kernel's link-table dumps: the input is the
// bytes of a dump. Beyond not crashing or reading outside the input, it checks
// that the rows do not depend on how the messages are cut into datagrams, and
// that every description is short, printable UTF-8.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "core/cp1252.h"
#include "platform/link_dump.h"

#define NETLINK_FUZZ_CHECK(cond)                                                                  \
    do {                                                                                          \
        if (!(cond)) {                                                                            \
            std::fprintf(stderr, "netlink_fuzz: check failed at line %d: %s\n", __LINE__, #cond); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace {

// Name and kind are capped at 64 and 32 bytes; the rest is a label and an address.
constexpr std::size_t kMaxDescriptionBytes = 160;

// Feeds each message as a datagram of its own, cut where its length field says
// it ends; whatever cannot be cut that way goes in as one last datagram. Each
// datagram is copied to a buffer of its exact size so that an overread shows.
ulz::LinkDumpParser feedMessageByMessage(std::span<const std::byte> dump) {
    ulz::LinkDumpParser parser;
    std::size_t offset = 0;
    while (offset < dump.size() && parser.state() == ulz::LinkDumpParser::State::More) {
        std::size_t end = dump.size();
        if (dump.size() - offset >= sizeof(std::uint32_t)) {
            std::uint32_t length;
            std::memcpy(&length, dump.data() + offset, sizeof length);
            const std::size_t aligned = (std::size_t{length} + 3) & ~std::size_t{3};
            if (length >= 16 && length <= dump.size() - offset)
                end = std::min(dump.size(), offset + aligned);
        }
        const std::vector<std::byte> datagram(dump.begin() + static_cast<std::ptrdiff_t>(offset),
                                              dump.begin() + static_cast<std::ptrdiff_t>(end));
        parser.feed(datagram);
        offset = end;
    }
    return parser;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> dump(reinterpret_cast<const std::byte*>(data), size);

    const std::vector<ulz::InterfaceRow> whole = ulz::parseLinkDump(dump);
    for (const ulz::InterfaceRow& row : whole) {
        NETLINK_FUZZ_CHECK(!row.description.empty());
        NETLINK_FUZZ_CHECK(row.description.size() <= kMaxDescriptionBytes);
        NETLINK_FUZZ_CHECK(ulz::isValidUtf8(row.description));
        NETLINK_FUZZ_CHECK(std::none_of(row.description.begin(), row.description.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        }));
    }

    ulz::LinkDumpParser split = feedMessageByMessage(dump);
    const bool done = split.state() == ulz::LinkDumpParser::State::Done;
    NETLINK_FUZZ_CHECK(split.takeRows() == whole);
    NETLINK_FUZZ_CHECK(done || whole.empty());
    return 0;
}

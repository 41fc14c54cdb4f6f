#!/usr/bin/env bash
# Runs the connection analysis's system test inside a client network
# namespace with real interfaces, and removes everything afterwards:
#   ULZ_TRAFFIC_IF    the client's end of a veth to a server namespace, shaped
#                     by tbf to ULZ_SHAPED_RATE bytes per second each way, with
#                     ulz_traffic_peer serving at ULZ_TRAFFIC_PEER (ADDR PORT)
#   ULZ_IDLE_IF       the client's end of a veth nothing is sent through
# then once more in a namespace that holds only its loopback interface
# (ULZ_TRAFFIC_MODE=loopback-only).
#
# usage: run_traffic_system.sh TEST_BINARY [TEST ARGS...]
#
# The peer binary is $ULZ_TRAFFIC_PEER_BIN, by default ulz_traffic_peer next
# to TEST_BINARY. Exits 77 (skipped) when network namespaces cannot be made.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/netns.sh
source "$here/../../scripts/netns.sh"

[[ $# -ge 1 ]] || { sed -n '12p' "${BASH_SOURCE[0]}" | sed 's/^# //' >&2; exit 2; }
binary=$(realpath "$1")
shift
[[ -x $binary ]] || { echo "not an executable: $binary" >&2; exit 2; }
peer=${ULZ_TRAFFIC_PEER_BIN:-$(dirname "$binary")/ulz_traffic_peer}
[[ -x $peer ]] || { echo "traffic peer not found: $peer" >&2; exit 2; }

if ! ulz_netns_available; then
    echo "SKIP: these tests need root and working network namespaces (ip netns)" >&2
    exit 77
fi
command -v tc >/dev/null || { echo "SKIP: iproute2's tc is not installed" >&2; exit 77; }

ulz_netns_begin
for name in client server spare lonely; do
    ulz_netns_create "$name"
    # No IPv6 on the links: its announcements would be traffic on the idle link.
    ulz_netns_sysctl "$name" net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
done
ulz_netns_link client server 1
ulz_netns_link client spare 2

# 4 Mbit/s each way: 500000 bytes per second leave each end of link 1. The
# 32 kB bucket lets the shaper keep its rate when its timer fires late on a
# busy machine (a 4 kB one refills every 8 ms and loses whatever is late).
shaping=(root tbf rate 4mbit burst 32kb latency 200ms)
ulz_netns_exec client tc qdisc add dev v1-server "${shaping[@]}" || ulz_netns_fail "tc in client"
ulz_netns_exec server tc qdisc add dev v1-client "${shaping[@]}" || ulz_netns_fail "tc in server"
# One segment per packet: the shaper charges each segment's headers of a
# large (GSO) packet while the interface counts that packet's length once, so
# with GSO the counters would carry up to 4 % less than the shaped rate.
ulz_netns_exec client ip link set dev v1-server gso_max_segs 1 || ulz_netns_fail "gso in client"
ulz_netns_exec server ip link set dev v1-client gso_max_segs 1 || ulz_netns_fail "gso in server"

ready="$ULZ_NETNS_TMP/peer.ready"
server_addr=$(ulz_netns_addr 1 2)
ulz_netns_exec server "$peer" serve "$server_addr" 5201 --ready-file "$ready" &
ULZ_NETNS_PIDS+=("$!")
for _ in $(seq 100); do
    [[ -e $ready ]] && break
    sleep 0.05
done
[[ -e $ready ]] || ulz_netns_fail "traffic peer did not start"

export ULZ_TRAFFIC_IF=v1-server ULZ_IDLE_IF=v2-spare ULZ_SHAPED_RATE=500000
export ULZ_TRAFFIC_PEER="$server_addr 5201"

status=0
echo "=== $(basename "$binary"), namespace with links ==="
ULZ_TRAFFIC_MODE=links ulz_netns_exec client "$binary" "$@" || status=1
echo "=== $(basename "$binary"), namespace with only loopback ==="
ULZ_TRAFFIC_MODE=loopback-only ulz_netns_exec lonely "$binary" "$@" || status=1
exit "$status"

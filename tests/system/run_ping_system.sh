#!/usr/bin/env bash
# Runs a test binary inside a client network namespace, next to test hosts
# made for it, and removes them all afterwards, whatever happened:
#   ULZ_DELAYED_HOST   answers every echo request after ULZ_DELAYED_MS (30 ms)
#   ULZ_SILENT_HOST    never answers
#   ULZ_UNROUTED_HOST  the client has no route there: sending fails
#
# usage: run_ping_system.sh [--modes MODE[,MODE...]] TEST_BINARY [TEST ARGS...]
#
# The binary runs once per mode, with ULZ_SOCKET_MODE set to it:
#   raw       (default) net.ipv4.ping_group_range "1 0": root gets raw sockets only
#   datagram  ping_group_range "0 2147483647": root gets the unprivileged datagram socket
#   denied    ping_group_range "1 0", the binary runs as nobody without any
#             capability: no ICMP socket at all
# The responder binary is $ULZ_RESPONDER, by default ulz_delayed_responder next
# to TEST_BINARY. Exits 77 (skipped) when network namespaces cannot be made.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/netns.sh
source "$here/../../scripts/netns.sh"

usage() {
    sed -n '8p' "${BASH_SOURCE[0]}" | sed 's/^# //' >&2
    exit 2
}

modes=raw
while [[ $# -gt 0 ]]; do
    case $1 in
        --modes) [[ $# -ge 2 ]] || usage; modes=$2; shift 2 ;;
        --) shift; break ;;
        -*) usage ;;
        *) break ;;
    esac
done
[[ $# -ge 1 ]] || usage
binary=$(realpath "$1")
shift
[[ -x $binary ]] || { echo "not an executable: $binary" >&2; exit 2; }
export ULZ_RESPONDER=${ULZ_RESPONDER:-$(dirname "$binary")/ulz_delayed_responder}
[[ -x $ULZ_RESPONDER ]] || { echo "responder not found: $ULZ_RESPONDER" >&2; exit 2; }
for mode in ${modes//,/ }; do
    case $mode in raw | datagram | denied) ;; *) echo "unknown mode: $mode" >&2; exit 2 ;; esac
done

if ! ulz_netns_available; then
    echo "SKIP: these tests need root and working network namespaces (ip netns)" >&2
    exit 77
fi

ulz_netns_begin
ulz_netns_create client
ulz_netns_create delayed
ulz_netns_create silent
ulz_netns_link client delayed 1
ulz_netns_link client silent 2
ulz_netns_sysctl silent net.ipv4.icmp_echo_ignore_all=1
export ULZ_DELAYED_MS=30
ulz_netns_start_responder delayed "$ULZ_DELAYED_MS"

ULZ_DELAYED_HOST=$(ulz_netns_addr 1 2)
ULZ_SILENT_HOST=$(ulz_netns_addr 2 2)
ULZ_UNROUTED_HOST=$(ulz_netns_addr 200 2)
export ULZ_DELAYED_HOST ULZ_SILENT_HOST ULZ_UNROUTED_HOST

status=0
for mode in ${modes//,/ }; do
    runas=()
    case $mode in
        raw) range="1 0" ;;
        datagram) range="0 2147483647" ;;
        denied)
            range="1 0"
            runas=(setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all
                --bounding-set=-all --no-new-privs)
            ;;
    esac
    ulz_netns_sysctl client "net.ipv4.ping_group_range=$range"
    echo "=== $(basename "$binary"), mode $mode ==="
    # In the background so that a signal (a ctest time-out) is acted on at
    # once: the cleanup then ends the binary along with its namespace.
    ULZ_SOCKET_MODE=$mode ulz_netns_exec client "${runas[@]}" "$binary" "$@" &
    wait "$!" || status=1
done
exit "$status"

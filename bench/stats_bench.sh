#!/usr/bin/env bash
# The ping statistics test of the program, in its real windows (offscreen) with
# its real ICMP layer, against a test host answering after 20 ms: the period of
# the collection ticks against 1000 ms, the last figures, and the CPU time and
# peak memory of the whole run.
#
# usage: bench/stats_bench.sh [BUILD_DIR] [TICKS]   (default: build, 60; needs root)
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:-$here/../build}")
ticks=${2:-60}
delay=20
probe=$build/bench/ulz_stats_tick_probe
export ULZ_RESPONDER=$build/tests/system/ulz_delayed_responder

# shellcheck source=../scripts/netns.sh
source "$here/../scripts/netns.sh"

for binary in "$probe" "$ULZ_RESPONDER"; do
    [[ -x $binary ]] || { echo "missing $binary: build the project first" >&2; exit 2; }
done
ulz_netns_available || exit 77

ulz_netns_begin
ulz_netns_create client
ulz_netns_create host
ulz_netns_link client host 1
ulz_netns_start_responder host "$delay"
target=$(ulz_netns_addr 1 2)

echo "statistics test on a host answering after $delay ms at $target, $ticks ticks"
ulz_netns_exec client "$probe" "$target" "$ticks"

#!/usr/bin/env bash
# LinuxPinger next to the system's ping (iputils), on a test host that answers
# every echo request after 20 ms: 60 requests each, 0.2 s apart, then the
# median of each and their difference.
#
# usage: bench/ping_bench.sh [BUILD_DIR]   (default: build; needs root)
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:-$here/../build}")
count=60
interval=0.2
delay=20
probe=$build/bench/ulz_ping_probe
export ULZ_RESPONDER=$build/tests/system/ulz_delayed_responder

# shellcheck source=../scripts/netns.sh
source "$here/../scripts/netns.sh"

for binary in "$probe" "$ULZ_RESPONDER"; do
    [[ -x $binary ]] || { echo "missing $binary: build the project first" >&2; exit 2; }
done
command -v ping >/dev/null || { echo "the system's ping (iputils-ping) is not installed" >&2; exit 2; }
ulz_netns_available || exit 77

ulz_netns_begin
ulz_netns_create client
ulz_netns_create host
ulz_netns_link client host 1
ulz_netns_start_responder host "$delay"
target=$(ulz_netns_addr 1 2)

# Median of the numbers on stdin, one a line.
median() {
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "nan"; exit }
        print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

out=$ULZ_NETNS_TMP
echo "host answering after $delay ms at $target; $count requests each, $interval s apart"
ulz_netns_exec client "$probe" "$target" --count "$count" --interval "$interval" --size 56 \
    >"$out/probe.txt" || { echo "ulz_ping_probe failed" >&2; exit 1; }
ulz_netns_exec client ping -n -c "$count" -i "$interval" -s 56 "$target" >"$out/ping.txt" ||
    { echo "ping failed" >&2; exit 1; }

kind=$(awk 'NR == 1 { print $4 }' "$out/probe.txt")
ours_whole=$(awk '$2 != "-" { print $2 }' "$out/probe.txt" | median)
ours_exact=$(awk '$3 != "-" { print $3 }' "$out/probe.txt" | median)
ping_exact=$(grep -o 'time=[0-9.]*' "$out/ping.txt" | cut -d= -f2 | median)
ours_replies=$(awk '$2 != "-" && $2 < 950' "$out/probe.txt" | wc -l)
ping_replies=$(grep -c 'time=' "$out/ping.txt")

printf '%-34s %10s %8s\n' "" "median ms" "replies"
printf '%-34s %10s %8s\n' "LinuxPinger, as reported (whole)" "$ours_whole" "$ours_replies/$count"
printf '%-34s %10s\n' "LinuxPinger, exact ($kind socket)" "$ours_exact"
printf '%-34s %10s %8s\n' "ping (iputils)" "$ping_exact" "$ping_replies/$count"
awk -v a="$ours_exact" -v b="$ping_exact" 'BEGIN {
    d = a - b; printf "difference, exact - ping: %+.3f ms (goal: within 0.5 ms)\n", d
    exit (d < -0.5 || d > 0.5) }'

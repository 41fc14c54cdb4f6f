#!/usr/bin/env bash
# The connection analysis in burst mode on a shaped link, next to bmon watching
# the same interface at the same sampling rate (10 reads a second), for a
# minute: tick periods, the error of the shown averages against the
# analysis's definitions applied to an independent byte count, and the CPU
# time and peak memory of each.
#
# A veth between two namespaces made here, shaped by tbf to 4 Mbit/s each
# way, carries bulk TCP both ways (ulz_traffic_peer) during the whole run.
# Four watchers run side by side, each timed by GNU time: the program with
# its window painted, the program with its window hidden (the analysis and
# the event loop alone), bmon printing lines, and bmon's curses view in a
# pseudo-terminal (its usual way of running). Nothing leaves the namespaces;
# they are removed on exit.
#
# usage: bench/traffic_bench.sh [BUILD_DIR] [SECONDS]   (default: build 60; needs root)
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:-$here/../build}")
seconds=${2:-60}
probe=$build/bench/ulz_traffic_probe
peer=$build/tests/system/ulz_traffic_peer

# shellcheck source=../scripts/netns.sh
source "$here/../scripts/netns.sh"

for binary in "$probe" "$peer"; do
    [[ -x $binary ]] || { echo "missing $binary: build the project (with the GUI) first" >&2; exit 2; }
done
for tool in tc script; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
ulz_netns_available || exit 77
# bmon to compare with, GNU time to measure both: from Debian when missing.
missing=()
command -v bmon >/dev/null || missing+=(bmon)
[[ -x /usr/bin/time ]] || missing+=(time)
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "installing ${missing[*]} from Debian's repositories"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
        >/dev/null || { echo "cannot install ${missing[*]}" >&2; exit 2; }
fi

ulz_netns_begin
for name in client server; do
    ulz_netns_create "$name"
    ulz_netns_sysctl "$name" net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
done
ulz_netns_link client server 1
# As in tests/system/run_traffic_system.sh: a bucket that tolerates a late
# timer, and one segment per packet so that the counters see what the shaper charges.
shaping=(root tbf rate 4mbit burst 32kb latency 200ms)
ulz_netns_exec client tc qdisc add dev v1-server "${shaping[@]}" || ulz_netns_fail "tc in client"
ulz_netns_exec server tc qdisc add dev v1-client "${shaping[@]}" || ulz_netns_fail "tc in server"
ulz_netns_exec client ip link set dev v1-server gso_max_segs 1 || ulz_netns_fail "gso in client"
ulz_netns_exec server ip link set dev v1-client gso_max_segs 1 || ulz_netns_fail "gso in server"
ifname=v1-server
server_addr=$(ulz_netns_addr 1 2)
out=$ULZ_NETNS_TMP

ulz_netns_exec server "$peer" serve "$server_addr" 5201 --ready-file "$out/peer.ready" &
ULZ_NETNS_PIDS+=("$!")
for _ in $(seq 100); do
    [[ -e $out/peer.ready ]] && break
    sleep 0.05
done
[[ -e $out/peer.ready ]] || ulz_netns_fail "traffic peer did not start"
ulz_netns_exec client "$peer" pull "$server_addr" 5201 --seconds $((seconds + 20)) >"$out/pull.txt" &
ULZ_NETNS_PIDS+=("$!")
sleep 2  # past TCP's slow start

echo "link shaped to 4 Mbit/s each way (500000 bytes/s), bulk TCP both ways; $seconds s"

# timed NAME COMMAND...: COMMAND in the client namespace, its output in
# NAME.txt and its times in NAME.time.
timed() {
    local name=$1
    shift
    ulz_netns_exec client /usr/bin/time -f "%U %S %M %e" -o "$out/$name.time" "$@" \
        >"$out/$name.txt" 2>"$out/$name.err" </dev/null
}
format="format:fmt=\$(element:name) \$(attr:rx:bytes) \$(attr:tx:bytes)\n;quitafter=$((seconds * 10))"
printf 'stty rows 40 cols 120\nexec timeout --foreground -s INT %s bmon -p %s -r 0.1 -R 1\n' \
    "$seconds" "$ifname" >"$out/curses.sh"

timed probe "$probe" "$ifname" "$seconds" &
watchers=("$!")
timed hidden "$probe" "$ifname" "$seconds" --hidden &
watchers+=("$!")
timed bmon bmon -p "$ifname" -r 0.1 -R 1 -o "$format" &
watchers+=("$!")
timed curses env TERM=xterm script -qfec "bash $out/curses.sh" /dev/null &
watchers+=("$!")
for pid in "${watchers[@]}"; do wait "$pid"; done

for name in probe hidden; do
    grep -q '^cpu' "$out/$name.txt" || { echo "ulz_traffic_probe failed:" >&2; cat "$out/$name.err" >&2; exit 1; }
done
grep -q "^$ifname " "$out/bmon.txt" || { echo "bmon failed:" >&2; cat "$out/bmon.err" >&2; exit 1; }

cat "$out/probe.txt"
echo "window hidden: $(grep '^collector' "$out/hidden.txt")"
reads=$(grep -c "^$ifname " "$out/bmon.txt")
printf '\n%-42s %8s %8s %8s %8s %12s\n' "" "elapsed" "user s" "system s" "total s" "peak memory"
row() {  # LABEL NAME
    local user sys rss elapsed
    read -r user sys rss elapsed < <(grep -E '^[0-9.]+ [0-9.]+ [0-9]+ [0-9.]+$' "$out/$2.time")
    awk -v l="$1" -v e="$elapsed" -v u="$user" -v s="$sys" -v m="$rss" \
        'BEGIN { printf "%-42s %8.1f %8.2f %8.2f %8.2f %9d kB\n", l, e, u, s, u + s, m }'
}
row "UlvekLineZelk, window painted" probe
row "UlvekLineZelk, window hidden" hidden
row "bmon, lines on stdout ($reads lines)" bmon
row "bmon, curses view in a pty (with script)" curses
echo "(the probes' own figures for the measured run alone: cpu_run_s above)"
awk '/^(download|upload) shown/ {
    e = $9 < 0 ? -$9 : $9; printf "%s: shown against defined %+.4f %% (goal: under 1 %%)\n", $1, $9
    if (e >= 1) bad = 1 } END { exit bad }' "$out/probe.txt"

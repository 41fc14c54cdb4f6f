#!/usr/bin/env bash
# The connection analysis in burst mode on a shaped link, next to bmon watching
# the same interface at the same sampling rate (10 reads a second), for a
# minute: tick periods, the error of the shown averages against the
# analysis's definitions applied to an independent byte count, and the CPU
# time and peak memory of both.
#
# A veth between two namespaces made here, shaped by tbf to 4 Mbit/s each
# way, carries bulk TCP both ways (ulz_traffic_peer) during the whole run.
# Nothing leaves those namespaces; they are removed on exit.
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
command -v tc >/dev/null || { echo "iproute2's tc is not installed" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "GNU time (package time) is not installed" >&2; exit 2; }
ulz_netns_available || exit 77
if ! command -v bmon >/dev/null; then
    echo "installing bmon from Debian's repositories"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends bmon >/dev/null ||
        { echo "cannot install bmon" >&2; exit 2; }
fi

ulz_netns_begin
for name in client server; do
    ulz_netns_create "$name"
    ulz_netns_sysctl "$name" net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
done
ulz_netns_link client server 1
shaping=(root tbf rate 4mbit burst 4kb latency 200ms)
ulz_netns_exec client tc qdisc add dev v1-server "${shaping[@]}" || ulz_netns_fail "tc in client"
ulz_netns_exec server tc qdisc add dev v1-client "${shaping[@]}" || ulz_netns_fail "tc in server"
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
pull=$!
ULZ_NETNS_PIDS+=("$pull")
sleep 2  # past TCP's slow start

echo "link shaped to 4 Mbit/s each way (500000 bytes/s), bulk TCP both ways; $seconds s"
ulz_netns_exec client /usr/bin/time -f "%U %S %M" -o "$out/probe.time" \
    "$probe" "$ifname" "$seconds" >"$out/probe.txt" 2>"$out/probe.err" &
probe_pid=$!
ulz_netns_exec client /usr/bin/time -f "%U %S %M" -o "$out/bmon.time" \
    bmon -p "$ifname" -r 0.1 -R 1 \
    -o "format:fmt=\$(element:name) \$(attr:rxrate:bytes) \$(attr:txrate:bytes)\n;quitafter=$((seconds * 10))" \
    >"$out/bmon.txt" 2>"$out/bmon.err" &
bmon_pid=$!
wait "$probe_pid" || { echo "ulz_traffic_probe failed:" >&2; cat "$out/probe.err" >&2; exit 1; }
wait "$bmon_pid" || { echo "bmon failed:" >&2; cat "$out/bmon.err" >&2; exit 1; }

cat "$out/probe.txt"
read -r p_user p_sys p_rss <"$out/probe.time"
read -r b_user b_sys b_rss <"$out/bmon.time"
b_lines=$(grep -c "^$ifname " "$out/bmon.txt")
b_mean=$(awk -v n="$ifname" '$1 == n && NR > 10 { s += $2; c++ } END { if (c) printf "%.1f", s / c / 1024 }' \
    "$out/bmon.txt")
printf '\n%-22s %10s %10s %12s\n' "" "user s" "system s" "peak memory"
printf '%-22s %10s %10s %9s kB\n' "UlvekLineZelk (probe)" "$p_user" "$p_sys" "$p_rss"
printf '%-22s %10s %10s %9s kB\n' "bmon" "$b_user" "$b_sys" "$b_rss"
echo "bmon: $b_lines samples, mean download rate $b_mean KiB/s"
awk -v pu="$p_user" -v ps="$p_sys" -v bu="$b_user" -v bs="$b_sys" 'BEGIN {
    p = pu + ps; b = bu + bs
    printf "CPU time: ours %.2f s, bmon %.2f s (goal: ours no higher)\n", p, b }'
awk '/^(download|upload) shown/ {
    e = $9 < 0 ? -$9 : $9; printf "%s: shown against defined %+.4f %% (goal: under 1 %%)\n", $1, $9
    if (e >= 1) bad = 1 } END { exit bad }' "$out/probe.txt"

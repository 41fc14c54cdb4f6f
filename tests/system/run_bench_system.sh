#!/usr/bin/env bash
# Runs a test binary in a client network namespace next to three test hosts
# answering echo requests after 20, 30 and 40 ms, exported as ULZ_HOST_20,
# ULZ_HOST_30 and ULZ_HOST_40, and removes them all afterwards.
#
# usage: run_bench_system.sh TEST_BINARY [TEST ARGS...]
# The responder is $ULZ_RESPONDER. Exits 77 (skipped) without root or namespaces.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/netns.sh
source "$here/../../scripts/netns.sh"

[[ $# -ge 1 ]] || { echo "usage: $0 TEST_BINARY [TEST ARGS...]" >&2; exit 2; }
binary=$(realpath "$1")
shift
[[ -x ${ULZ_RESPONDER:-} ]] || { echo "ULZ_RESPONDER does not name the responder" >&2; exit 2; }
if ! ulz_netns_available; then
    echo "SKIP: these tests need root and working network namespaces (ip netns)" >&2
    exit 77
fi

ulz_netns_begin
ulz_netns_create client
index=1
for delay in 20 30 40; do
    ulz_netns_create "host$delay"
    ulz_netns_link client "host$delay" "$index"
    ulz_netns_start_responder "host$delay" "$delay"
    export "ULZ_HOST_$delay=$(ulz_netns_addr "$index" 2)"
    index=$((index + 1))
done
ulz_netns_exec client "$binary" "$@"

# shellcheck shell=bash
# Test hosts in network namespaces, for the system tests and benchmarks.
# Source it from bash, then:
#
#   ulz_netns_begin                      # names for this run, cleanup on exit
#   ulz_netns_create client              # a namespace with loopback up
#   ulz_netns_create slow
#   ulz_netns_link client slow 1         # veth: client 10.213.1.1/30 <-> slow 10.213.1.2/30
#   ulz_netns_sysctl slow net.ipv4.icmp_echo_ignore_all=1
#   ulz_netns_start_responder slow 30    # answers echo requests after 30 ms
#   ulz_netns_exec client ping -c1 "$(ulz_netns_addr 1 2)"
#
# Every namespace is named ulz-<pid of the sourcing shell>-<name>, so runs do
# not collide, and all of them, with the processes started in them, go away
# when the shell exits, failed or not (the library owns the EXIT, INT, TERM and
# HUP traps). Links use 10.213.<index>.0/30 and live only inside these
# namespaces: the root namespace is never touched. Responders are children of
# the shell: wait for your own jobs by pid, since a bare `wait` waits for them too.

ULZ_NETNS_PREFIX=""
ULZ_NETNS_NAMES=()
ULZ_NETNS_PIDS=()
ULZ_NETNS_TMP=""

ulz_netns_fail() {
    echo "netns: $*" >&2
    exit 1
}

# Whether this shell can make namespaces: root and a working `ip netns`.
ulz_netns_available() {
    [[ $(id -u) -eq 0 ]] || { echo "root is needed to create network namespaces" >&2; return 1; }
    command -v ip >/dev/null || { echo "iproute2's ip is not installed" >&2; return 1; }
    local probe="ulz-$$-probe"
    ip netns add "$probe" 2>/dev/null || { echo "ip netns add does not work here" >&2; return 1; }
    ip netns del "$probe"
}

ulz_netns_begin() {
    ULZ_NETNS_PREFIX="ulz-$$"
    ULZ_NETNS_TMP=$(mktemp -d "/tmp/$ULZ_NETNS_PREFIX.XXXXXX") || ulz_netns_fail "mktemp"
    trap ulz_netns_cleanup EXIT
    # A signal ends the shell through exit, so the EXIT trap runs too.
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
}

# Full namespace name of a short name.
ulz_netns_name() {
    echo "$ULZ_NETNS_PREFIX-$1"
}

# Address of side 1 or 2 of the link with this index.
ulz_netns_addr() {
    echo "10.213.$1.$2"
}

ulz_netns_create() {
    [[ -n $ULZ_NETNS_PREFIX ]] || ulz_netns_fail "call ulz_netns_begin first"
    local ns
    ns=$(ulz_netns_name "$1")
    ip netns add "$ns" || ulz_netns_fail "cannot create namespace $ns"
    ULZ_NETNS_NAMES+=("$ns")
    ip -n "$ns" link set lo up || ulz_netns_fail "loopback in $ns"
}

# ulz_netns_link A B INDEX: a veth pair between namespaces A and B, with
# 10.213.INDEX.1/30 on A's end and 10.213.INDEX.2/30 on B's end.
ulz_netns_link() {
    local a b index=$3
    a=$(ulz_netns_name "$1")
    b=$(ulz_netns_name "$2")
    [[ $index =~ ^[0-9]+$ && $index -ge 1 && $index -le 254 ]] || ulz_netns_fail "bad link index $index"
    # Created inside A and moved straight to B: no interface ever shows up in
    # the root namespace.
    ip -n "$a" link add "v$index-$2" type veth peer name "v$index-$1" netns "$b" ||
        ulz_netns_fail "veth between $a and $b"
    if ! { ip -n "$a" addr add "$(ulz_netns_addr "$index" 1)/30" dev "v$index-$2" &&
        ip -n "$b" addr add "$(ulz_netns_addr "$index" 2)/30" dev "v$index-$1" &&
        ip -n "$a" link set "v$index-$2" up &&
        ip -n "$b" link set "v$index-$1" up; }; then
        ulz_netns_fail "addresses on link $index"
    fi
}

# ulz_netns_sysctl NAME key=value...
ulz_netns_sysctl() {
    local ns
    ns=$(ulz_netns_name "$1")
    shift
    ip netns exec "$ns" sysctl -q -w "$@" || ulz_netns_fail "sysctl $* in $ns"
}

# ulz_netns_exec NAME command...
ulz_netns_exec() {
    local ns
    ns=$(ulz_netns_name "$1")
    shift
    ip netns exec "$ns" "$@"
}

# ulz_netns_start_responder NAME DELAY_MS: the delayed responder in NAME, with
# the kernel's own echo replies turned off there. The binary is
# $ULZ_RESPONDER. Returns once the responder listens.
ulz_netns_start_responder() {
    local name=$1 delay=$2 ns ready pid
    [[ -x ${ULZ_RESPONDER:-} ]] || ulz_netns_fail "ULZ_RESPONDER does not name the responder binary"
    ns=$(ulz_netns_name "$name")
    ready="$ULZ_NETNS_TMP/responder-$name.ready"
    ulz_netns_sysctl "$name" net.ipv4.icmp_echo_ignore_all=1
    ip netns exec "$ns" "$ULZ_RESPONDER" --delay "$delay" --ready-file "$ready" &
    pid=$!
    ULZ_NETNS_PIDS+=("$pid")
    for _ in $(seq 100); do
        [[ -e $ready ]] && return 0
        kill -0 "$pid" 2>/dev/null || ulz_netns_fail "responder in $ns exited"
        sleep 0.05
    done
    ulz_netns_fail "responder in $ns did not start"
}

ulz_netns_cleanup() {
    local pid ns
    for pid in "${ULZ_NETNS_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${ULZ_NETNS_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    ULZ_NETNS_PIDS=()
    # Anything else still running in our namespaces was started by this run.
    for ns in "${ULZ_NETNS_NAMES[@]}"; do
        for pid in $(ip netns pids "$ns" 2>/dev/null); do
            kill -KILL "$pid" 2>/dev/null
        done
        ip netns del "$ns" 2>/dev/null
    done
    ULZ_NETNS_NAMES=()
    [[ -n $ULZ_NETNS_TMP ]] && rm -rf "$ULZ_NETNS_TMP"
    ULZ_NETNS_TMP=""
}

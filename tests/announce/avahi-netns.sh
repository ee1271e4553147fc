#!/usr/bin/env bash
# Runs PROGRAM [ARGS...] beside an Avahi daemon of its own: in a private
# network namespace (only its loopback interface, so nothing reaches the
# machine's network) and mount namespace (/run its own, for the daemon's pid
# file), with a private system bus that DBUS_SYSTEM_BUS_ADDRESS names. The
# daemon's host name is "mc-test"; it is not started: MC_AVAHI_START starts it.
# A veth pair (mc0 here, 10.77.0.1; mc1, 10.77.0.2, in the namespace
# "mc-peer") is another host's link: avahi-peer.sh, named by MC_AVAHI_PEER,
# publishes from there.
# Exits with PROGRAM's status, or 77 with the reason when no namespace can be
# made or a tool is missing.
# Usage: avahi-netns.sh PROGRAM [ARGS...]
set -euo pipefail

if [ "${1:-}" != --inside ]; then
    for tool in unshare ip dbus-daemon avahi-daemon avahi-browse; do
        command -v "$tool" >/dev/null || { echo "avahi-netns: $tool is not installed"; exit 77; }
    done
    map=()
    [ "$(id -u)" -eq 0 ] || map=(--map-root-user)
    if ! why=$(unshare --net --mount "${map[@]}" true 2>&1); then
        echo "avahi-netns: cannot make a private network namespace: $why"
        exit 77
    fi
    exec unshare --net --mount "${map[@]}" "$0" --inside "$@"
fi
shift

work=$(mktemp -d)
bus_pid=
cleanup() {
    avahi-daemon -k 2>/dev/null || true
    for pid in $(ip netns pids mc-peer 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    [ -z "$bus_pid" ] || kill "$bus_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip link set lo up
mount -t tmpfs tmpfs /run
ip netns add mc-peer
ip link add mc0 type veth peer name mc1 netns mc-peer
ip addr add 10.77.0.1/24 dev mc0
ip link set mc0 up
ip -n mc-peer addr add 10.77.0.2/24 dev mc1
ip -n mc-peer link set mc1 up
ip -n mc-peer link set lo up

here=$(dirname "$(readlink -f "$0")")
. "$here/avahi-host.sh"
private_bus
avahi_config mc-test lo,mc0
export MC_AVAHI_PEER="$here/avahi-peer.sh"
export MC_AVAHI_START="avahi-daemon -D -f $work/avahi.conf --no-drop-root --no-chroot --no-rlimits"
"$@"

#!/usr/bin/env bash
# Another host on the network of avahi-netns.sh: in its namespace "mc-peer",
# with a /run, a system bus and an Avahi daemon (host name "mc-peer") of its
# own, publishes the service NAME of TYPE on PORT and prints avahi-publish's
# lines ("Established under name ..."). Runs until terminated; then stops
# what it started.
# Usage: avahi-peer.sh NAME TYPE PORT
set -euo pipefail

if [ "${1:-}" != --inside ]; then
    exec ip netns exec mc-peer "$0" --inside "$@"
fi
shift

work=$(mktemp -d)
pids=()
stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 0' TERM INT

# `ip netns exec` gave this process a mount namespace of its own.
mount -t tmpfs tmpfs /run
. "$(dirname "$(readlink -f "$0")")/avahi-host.sh"
private_bus
pids+=("$bus_pid")
avahi_config mc-peer mc1
avahi-daemon -f "$work/avahi.conf" --no-drop-root --no-chroot --no-rlimits 2>/dev/null &
pids+=($!)
# --no-fail: waits for the daemon rather than failing while it starts.
stdbuf -oL avahi-publish --no-fail -s "$1" "$2" "$3" &
pids+=($!)
wait "${pids[-1]}"

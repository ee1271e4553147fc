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
cat >"$work/bus.conf" <<CONF
<busconfig>
  <listen>unix:path=$work/bus</listen>
  <policy context="default">
    <allow user="*"/> <allow own="*"/> <allow send_type="method_call"/> <allow send_type="signal"/>
    <allow send_requested_reply="true"/> <allow receive_requested_reply="true"/>
    <allow receive_type="method_call"/> <allow receive_type="signal"/>
  </policy>
</busconfig>
CONF
cat >"$work/avahi.conf" <<CONF
[server]
host-name=mc-peer
use-ipv4=yes
use-ipv6=no
allow-interfaces=mc1
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF

mkfifo "$work/address"
dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile --print-address=1 \
    >"$work/address" 2>/dev/null &
pids+=($!)
read -r -t 10 address <"$work/address"
export DBUS_SYSTEM_BUS_ADDRESS=$address
avahi-daemon -f "$work/avahi.conf" --no-drop-root --no-chroot --no-rlimits 2>/dev/null &
pids+=($!)
# --no-fail: waits for the daemon rather than failing while it starts.
stdbuf -oL avahi-publish --no-fail -s "$1" "$2" "$3" &
pids+=($!)
wait "${pids[-1]}"

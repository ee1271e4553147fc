# Sourced by avahi-netns.sh and avahi-peer.sh: one host's private system bus
# and Avahi configuration, in the folder $work.
# private_bus: writes $work/bus.conf, starts a bus on it in the background
# (its pid in bus_pid) and exports DBUS_SYSTEM_BUS_ADDRESS.
# avahi_config HOST INTERFACES: writes $work/avahi.conf for host name HOST on
# the comma-separated INTERFACES, IPv4 only, publishing nothing of its own.

private_bus() {
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
    mkfifo "$work/address"
    dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile --print-address=1 \
        >"$work/address" 2>/dev/null &
    bus_pid=$!
    local address
    read -r -t 10 address <"$work/address"
    export DBUS_SYSTEM_BUS_ADDRESS=$address
}

avahi_config() {
    cat >"$work/avahi.conf" <<CONF
[server]
host-name=$1
use-ipv4=yes
use-ipv6=no
allow-interfaces=$2
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF
}

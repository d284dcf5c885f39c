#!/usr/bin/env bash
# End-to-end latency of a creation request: from the Open call on the session
# bus to the new file on disk, with the helper already running and with the
# helper started by the bus (cold), each beside the floor of a `cp` process
# measured the same way in the same run. Ends with the helper's peak memory.
#
#   request_latency.sh BUILD_DIR [ROUNDS]
#
# Runs on a private bus in temporary folders; touches nothing of the user's.
set -euo pipefail

build=${1:?usage: request_latency.sh BUILD_DIR [ROUNDS]}
rounds=${2:-20}
helper="$build/bin/quillet-helper"
services="$build/share/dbus-1/services"
[ -x "$helper" ] || { echo "no helper at $helper" >&2; exit 1; }

root=$(mktemp -d /tmp/quillet-bench-XXXXXX)
bus_pid=
cleanup() {
    if [ -n "$bus_pid" ]; then kill "$bus_pid" 2>/dev/null || true; fi
    rm -rf "$root"
}
trap cleanup EXIT

export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" XDG_CACHE_HOME="$root/cache"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_CONFIG_HOME/quillet" "$XDG_DATA_HOME/quillet/Templates" "$XDG_CACHE_HOME" "$root/out"
template="$XDG_DATA_HOME/quillet/Templates/Text.txt"
printf 'template text\n' > "$template"
store="$XDG_CONFIG_HOME/quillet/QLT7K2M9XA.org.quillet.Quillet.json"
write_store() { # runInBackground
    cat > "$store" <<JSON
{"fileTemplates": [{"enabled": true, "title": "Text", "filePath": "$template",
  "prefix": "untitled", "suffix": "txt", "executable": false}],
 "skipFilename": true, "showFileOnCreation": false, "runInBackground": $1}
JSON
}

cat > "$root/bus.conf" <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$root</listen>
  <servicedir>$services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
XML
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --config-file="$root/bus.conf" --print-address=1 --print-pid=1 --fork)
export DBUS_SESSION_BUS_ADDRESS
dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME

now_ns() { date +%s%N; }
wait_for() { while [ ! -e "$1" ]; do :; done; }
helper_running() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner org.quillet.QuilletHelper | grep -q true
}
stop_helper() {
    gdbus emit --session --object-path /org/quillet/Notifications \
        --signal org.quillet.Notifications.Posted org.quillet.QuilletHelper quit >/dev/null
    while helper_running; do sleep 0.05; done
}
open_request() { # folder
    gdbus call --session --dest org.quillet.QuilletHelper --object-path /org/quillet/QuilletHelper \
        --method org.freedesktop.Application.Open "['quillet://$1?0']" "{}" >/dev/null
}
# Prints "median min p90" in milliseconds of the numbers (ns) on stdin.
summary() {
    sort -n | awk '{ v[NR] = $1 } END {
        m = v[int((NR + 1) / 2)]; p = v[int(NR * 0.9 + 0.5)]; if (p == "") p = v[NR];
        printf "median %7.2f ms   min %7.2f ms   p90 %7.2f ms\n", m / 1e6, v[1] / 1e6, p / 1e6 }'
}
measure_cp() { # label
    local times=()
    for i in $(seq "$rounds"); do
        local dest="$root/out/cp-$1-$i.txt"
        local t0; t0=$(now_ns)
        cp "$template" "$dest"
        wait_for "$dest"
        times+=($(( $(now_ns) - t0 )))
    done
    printf '%s\n' "${times[@]}" | summary
}

echo "quillet-helper request latency, $rounds rounds each"

# Running: one helper serves every round.
write_store true
open_request "$root/out" # started by the bus once, outside the measurement
wait_for "$root/out/untitled.txt"
running=()
for i in $(seq "$rounds"); do
    dir="$root/out/warm-$i"; mkdir -p "$dir"
    t0=$(now_ns)
    open_request "$dir"
    wait_for "$dir/untitled.txt"
    running+=($(( $(now_ns) - t0 )))
done
printf '  helper running (Open):        '; printf '%s\n' "${running[@]}" | summary
printf '  floor, cp process:            '; measure_cp warm
# The sender's own cost: one gdbus process and a round trip to the bus.
bus_floor=()
for i in $(seq "$rounds"); do
    t0=$(now_ns)
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetId >/dev/null
    bus_floor+=($(( $(now_ns) - t0 )))
done
printf '  floor, gdbus call to the bus: '; printf '%s\n' "${bus_floor[@]}" | summary

pid=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.quillet.QuilletHelper | sed 's/.*uint32 \([0-9]*\).*/\1/')
hwm=$(awk '/VmHWM/ { print $2 " " $3 }' "/proc/$pid/status")
rss=$(awk '/VmRSS/ { print $2 " " $3 }' "/proc/$pid/status")
stop_helper

# Cold: the bus starts a new helper for every round.
cold=()
for i in $(seq "$rounds"); do
    dir="$root/out/cold-$i"; mkdir -p "$dir"
    t0=$(now_ns)
    open_request "$dir"
    wait_for "$dir/untitled.txt"
    cold+=($(( $(now_ns) - t0 )))
    stop_helper
done
printf '  helper cold (bus activation): '; printf '%s\n' "${cold[@]}" | summary
printf '  floor, cp process:            '; measure_cp cold

echo "  helper memory after $((rounds + 1)) requests: peak (VmHWM) $hwm, resident (VmRSS) $rss"

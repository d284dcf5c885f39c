#!/usr/bin/env bash
# End-to-end cost of a creation request: from the Open call on the session bus
# to the new file on disk, with the helper already running (warm) and started
# by the bus (cold), and the helper's resident memory once it has served a cold
# request. Each figure is printed beside its floor measured in the same run:
#   warm  - one `cp` process copying the same template;
#   cold  - the least possible bus-activated GApplication doing the same copy;
#   memory - that same GApplication after its request, both settled.
# Requests come from one resident sender (no process start is timed).
#
#   request_latency.sh BUILD_DIR [ROUNDS]
#
# Runs on a private bus in temporary folders; touches nothing of the user's.
set -euo pipefail

build=$(cd "${1:?usage: request_latency.sh BUILD_DIR [ROUNDS]}" && pwd)
rounds=${2:-20}
helper="$build/bin/quillet-helper"
floor_service="$build/bin/quillet-bench-floor-service"
open_timer="$build/bin/quillet-bench-open-timer"
for program in "$helper" "$floor_service" "$open_timer"; do
    [ -x "$program" ] || { echo "missing $program (build the bench_helper_latency target)" >&2; exit 1; }
done

root=$(mktemp -d /tmp/quillet-bench-XXXXXX)
bus_pid=
cleanup() {
    if [ -n "$bus_pid" ]; then kill "$bus_pid" 2>/dev/null || true; fi
    rm -rf "$root"
}
trap cleanup EXIT

export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" XDG_CACHE_HOME="$root/cache"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_CONFIG_HOME/quillet" "$XDG_DATA_HOME/quillet/Templates" "$XDG_CACHE_HOME" "$root/out" "$root/services"
template="$XDG_DATA_HOME/quillet/Templates/Text.txt"
printf 'template text\n' > "$template"
export QUILLET_BENCH_TEMPLATE="$template"
cat > "$XDG_CONFIG_HOME/quillet/QLT7K2M9XA.org.quillet.Quillet.json" <<JSON
{"fileTemplates": [{"enabled": true, "title": "Text", "filePath": "$template",
  "prefix": "untitled", "suffix": "txt", "executable": false}],
 "skipFilename": true, "showFileOnCreation": false, "runInBackground": true}
JSON

# Absolute paths only: the bus daemon resolves nothing against our folder.
printf '[D-BUS Service]\nName=org.quillet.QuilletHelper\nExec=%s --gapplication-service\n' \
    "$helper" > "$root/services/org.quillet.QuilletHelper.service"
printf '[D-BUS Service]\nName=org.quillet.BenchFloor\nExec=%s --gapplication-service\n' \
    "$floor_service" > "$root/services/org.quillet.BenchFloor.service"
cat > "$root/bus.conf" <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$root</listen>
  <servicedir>$root/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
XML
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --config-file="$root/bus.conf" --print-address=1 --print-pid=1 --fork)
export DBUS_SESSION_BUS_ADDRESS
dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME QUILLET_BENCH_TEMPLATE

helper_name=org.quillet.QuilletHelper helper_path=/org/quillet/QuilletHelper
floor_name=org.quillet.BenchFloor floor_path=/org/quillet/BenchFloor

now_ns() { date +%s%N; }
owner_pid() { # name
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID "$1" 2>/dev/null \
        | sed -n 's/.*uint32 \([0-9]*\).*/\1/p'
}
stop() { # name
    local pid; pid=$(owner_pid "$1")
    if [ -n "$pid" ]; then kill "$pid"; while kill -0 "$pid" 2>/dev/null; do sleep 0.01; done; fi
}
folders() { # label count
    for i in $(seq "$2"); do mkdir -p "$root/out/$1-$i"; echo "$root/out/$1-$i"; done
}
median_ns() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Prints "median min p90" in milliseconds of the numbers (ns) on stdin.
summary() {
    sort -n | awk '{ v[NR] = $1 } END {
        m = v[int((NR + 1) / 2)]; p = v[int(NR * 0.9 + 0.5)]; if (p == "") p = v[NR];
        printf "median %7.2f ms   min %7.2f ms   p90 %7.2f ms\n", m / 1e6, v[1] / 1e6, p / 1e6 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }

echo "quillet-helper request cost, $rounds rounds each"

# Warm: one running instance serves every round.
"$open_timer" "$helper_name" "$helper_path" "$(folders warm-start 1)" >/dev/null
mapfile -t warm < <("$open_timer" "$helper_name" "$helper_path" $(folders warm "$rounds"))
cp_times=()
for i in $(seq "$rounds"); do
    dest="$root/out/cp-$i.txt"
    t0=$(now_ns); cp "$template" "$dest"; cp_times+=($(( $(now_ns) - t0 )))
done
stop "$helper_name"

# Cold: the bus starts a new instance for every round, the helper and the
# floor in turn so that the machine's load weighs on both alike; resident
# memory once the request is done and the program has settled (the helper's
# launch work runs right after the request that started it).
cold_helper=() cold_floor=()
cold_round() { # name path label index -> time on stdout; memory appended to $root/rss-label
    mkdir -p "$root/out/$3-$4"
    "$open_timer" "$1" "$2" "$root/out/$3-$4"
    sleep 0.2
    awk '/VmRSS/ { print $2 }' "/proc/$(owner_pid "$1")/status" >> "$root/rss-$3"
    stop "$1"
}
for i in $(seq "$rounds"); do
    cold_helper+=("$(cold_round "$helper_name" "$helper_path" cold-helper "$i")")
    cold_floor+=("$(cold_round "$floor_name" "$floor_path" cold-floor "$i")")
done

warm_m=$(printf '%s\n' "${warm[@]}" | median_ns)
cp_m=$(printf '%s\n' "${cp_times[@]}" | median_ns)
cold_m=$(printf '%s\n' "${cold_helper[@]}" | median_ns)
floor_m=$(printf '%s\n' "${cold_floor[@]}" | median_ns)
rss_h=$(median_ns < "$root/rss-cold-helper")
rss_f=$(median_ns < "$root/rss-cold-floor")

printf '  warm, helper running (Open):      '; printf '%s\n' "${warm[@]}" | summary
printf '  floor, one cp process:            '; printf '%s\n' "${cp_times[@]}" | summary
printf '  cold, bus starts the helper:      '; printf '%s\n' "${cold_helper[@]}" | summary
printf '  floor, bus starts a GApplication: '; printf '%s\n' "${cold_floor[@]}" | summary
echo "  resident memory after a cold request: helper ${rss_h} kB, floor GApplication ${rss_f} kB"
echo "  ratios: warm/cp $(ratio "$warm_m" "$cp_m") (goal <= 0.2x)," \
     "cold/floor $(ratio "$cold_m" "$floor_m") (goal <= 1.1x)," \
     "memory/floor $(ratio "$rss_h" "$rss_f") (goal <= 1.25x)"

#!/usr/bin/env bash
# The main application's start: the time from its start to its window mapped
# on the display, and its resident memory a second later, beside the floor of
# the same figures measured in the same run: the least Qt 6 program with a
# tray icon and a window. Goals: 1.05 times the floor's time, 1.1 times its
# memory. Medians of ROUNDS starts, taken in turns. The same figures beside
# that floor with one line of text in its window are printed for reference:
# the first text a program lays out starts the font system, which any window
# with words pays and the bare floor does not.
#
#   app_start.sh BUILD_DIR [ROUNDS]
#
# Needs an X display and a session bus of its own (the bench_app_start target
# runs it under xvfb-run and dbus-run-session); touches nothing of the user's.
set -euo pipefail

build=$(cd "${1:?usage: app_start.sh BUILD_DIR [ROUNDS]}" && pwd)
rounds=${2:-10}
app="$build/bin/quillet"
floor="$build/bin/quillet-bench-floor-tray-window"
timer="$build/bin/quillet-bench-map-timer"
for program in "$app" "$floor" "$timer"; do
    [ -x "$program" ] || { echo "missing $program (build the bench_app_start target)" >&2; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "needs an X display" >&2; exit 1; }

root=$(mktemp -d /tmp/quillet-bench-XXXXXX)
trap 'rm -rf "$root"' EXIT
export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" XDG_CACHE_HOME="$root/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/quillet" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
# A settled user: the extension question answered, the helper not started,
# the templates in place; the window is the preferences window.
printf '{"finderSyncExtensionConfirmed": true}\n' \
    > "$XDG_CONFIG_HOME/quillet/org.quillet.Quillet.json"

# Starts the app once so that it copies the templates and writes its store;
# the rounds then time a start as every later one is.
"$timer" "$app" > /dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
: > "$root/app" ; : > "$root/floor" ; : > "$root/text"
for _ in $(seq "$rounds"); do
    "$timer" "$floor" >> "$root/floor"
    "$timer" "$app" >> "$root/app"
    "$timer" "$floor" --text >> "$root/text"
done
# figure COLUMN FILE: the median of one column of a program's rounds.
figure() { cut -d' ' -f"$1" "$root/$2" | median; }
report() { # WHAT GOAL UNIT DIVISOR COLUMN
    awk -v what="$1" -v goal="$2" -v unit="$3" -v d="$4" \
        -v a="$(figure "$5" app)" -v f="$(figure "$5" floor)" -v t="$(figure "$5" text)" \
        'BEGIN { printf "%s: quillet %.1f %s, floor %.1f %s, ratio %.2f (goal %s); floor with text %.1f %s, ratio %.2f\n",
                 what, a / d, unit, f / d, unit, a / f, goal, t / d, unit, a / t }'
}
report "window mapped" 1.05 ms 1 1
report "resident memory" 1.1 MB 1024 2

#!/bin/bash
# Figures of the Windows program under Wine, for the notes (not a test): time from start to
# the title window, the motion timer's intervals, 90 clock ticks, CPU while waiting and while
# playing at scale 1 (as the program sees it, and as Linux sees the Wine process).
#
#   bash tests/windows/measure.sh build/windows/knuffelhatz.exe build/windows-test/knuffelhatz_measure_windows.exe
set -u
. "$(dirname "$(realpath "$0")")/wine.sh"
kh_in_xvfb "$0" "$@"
EXE=$(realpath "${1:?path to knuffelhatz.exe}")
MEASURE=$(realpath "${2:?path to knuffelhatz_measure_windows.exe}")
WORK=$(mktemp -d /tmp/kh-wine-measure.XXXXXX)
kh_wine_prefix
for i in 1 2 3; do
  T0=$(kh_now)
  (exec wine "$EXE" --scale 1 >/dev/null 2>&1) &
  kh_wait_for kh_title_window 30 >/dev/null || kh_fail "no title window"
  kh_note "start to title window: $(kh_since "$T0") s"
  timeout 20 wineserver -k
  sleep 1
done
(exec wine "$MEASURE" >"$WORK/measure.log" 2>&1) &
sleep 14
# During the game's first 20 s: the Wine process's CPU as Linux counts it, over 10 s.
ticks() {
  local p sum=0
  for p in $(pgrep -f 'knuffelhatz_measure_windows'); do
    sum=$((sum + $(awk '{print $14 + $15}' "/proc/$p/stat" 2>/dev/null || echo 0)))
  done
  echo "$sum"
}
A=$(ticks)
sleep 10
B=$(ticks)
kh_note "the Wine process in play: $(awk -v a="$A" -v b="$B" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f%%", (b - a) / hz / 10 * 100 }') of one core"
wait
cat "$WORK/measure.log"

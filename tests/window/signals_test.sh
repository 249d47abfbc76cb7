#!/bin/bash
# SIGINT, SIGTERM and SIGHUP (a closed terminal) end the program cleanly at any moment: exit
# status 0, no other line on stderr, no window left, "Hi.wbh" whole. Tried right after start,
# on the title, on the prompt, in a round and in the middle of a burst of clicks, in real
# windows.
#
#   bash tests/window/signals_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"

# kh_signal_case NAME SIGNAL: starts a fresh game, lets the caller's function `reach` bring
# it to the moment, sends SIGNAL and checks how it ended.
kh_signal_case() {
  local name=$1 sig=$2 status windows
  kh_begin "sig-$name"
  cp "$ROOT"/sounds/*.wbs "$WORK"/
  reach || kh_fail "$name: could not reach the moment"
  kill -"$sig" "$KH_PID"
  wait "$KH_PID"
  status=$?
  KH_PID=
  windows=$(kh_visible_windows)
  kh_note "$name: SIG$sig -> exit $status; stderr: $(tr '\n' '|' <"$KH_LOG")"
  [ "$status" = 0 ] || kh_fail "$name: SIG$sig ended the game with status $status"
  [ -z "$windows" ] || kh_fail "$name: windows left after the end: $windows"
  [ ! -s "$KH_LOG" ] || kh_fail "$name: unexpected output: $(cat "$KH_LOG")"
  local size
  size=$(stat -c %s "$WORK/Hi.wbh" 2>/dev/null || echo missing)
  [ "$size" = 0 ] || [ "$size" = 2 ] || [ "$size" = missing ] || kh_fail "$name: Hi.wbh is $size bytes"
}

kh_prepare_desktop

reach() { sleep 0.3; }
kh_signal_case start TERM

reach() { kh_wait_for kh_title_window 30 >/dev/null; }
kh_signal_case title INT
kh_signal_case hangup HUP

reach() {
  TITLE=$(kh_wait_for kh_title_window 30) || return 1
  sleep 2.5
  kh_key_on "$TITLE"
  kh_wait_for kh_play_window 10 >/dev/null
}
kh_signal_case round TERM

reach() {
  TITLE=$(kh_wait_for kh_title_window 30) || return 1
  sleep 2.5
  kh_key_on "$TITLE"
  PLAY=$(kh_wait_for kh_play_window 10) || return 1
  set -- $(kh_geometry "$PLAY")
  xdotool mousemove $(($1 + 200)) $(($2 + 60))
  xdotool click --repeat 300 --delay 1 1 &
  CLICKER=$!
  sleep 0.15
}
kh_signal_case burst INT
kill "$CLICKER" 2>/dev/null
wait "$CLICKER" 2>/dev/null

kh_stop
echo "PASS: SIGINT, SIGTERM and SIGHUP end the game with status 0 at start, on the title, in a round and in a burst of clicks"

#!/bin/bash
# A window of the game destroyed by another program (xdotool windowclose): the program ends
# with status 1 and one line of its own on stderr, not with the X library's raw error report.
# Once for the title window while it waits, once for the play window during a round.
#
#   bash tests/window/destroyed_window_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"

# kh_expect_end: the program ends within 10 s with status 1 and exactly one line of ours.
kh_expect_end() {
  local i box
  for i in $(seq 100); do
    kill -0 "$KH_PID" 2>/dev/null || break
    # Where the program shows the message in a box too, a person would dismiss it.
    box=$(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Knuffelhatz": .*/\1/p' | head -1)
    if [ -n "$box" ] && [ "$i" -gt 10 ]; then
      xdotool windowfocus "$box" 2>/dev/null
      sleep 0.2
      xdotool key Return 2>/dev/null
    fi
    sleep 0.1
  done
  kill -0 "$KH_PID" 2>/dev/null && kh_fail "the program still runs after its window was destroyed"
  wait "$KH_PID"
  local status=$?
  KH_PID=
  kh_note "status $status; stderr: $(cat "$KH_LOG")"
  [ "$status" = 1 ] || kh_fail "status $status, not 1"
  grep -q 'X Error\|XIO' "$KH_LOG" && kh_fail "raw X errors on stderr: $(cat "$KH_LOG")"
  [ "$(grep -c . "$KH_LOG")" = 1 ] || kh_fail "not one line on stderr: $(cat "$KH_LOG")"
  grep -q '^knuffelhatz: .*window' "$KH_LOG" || kh_fail "the line does not tell about the window: $(cat "$KH_LOG")"
}

kh_begin destroyed-title
cp "$ROOT"/sounds/*.wbs "$WORK"/ 2>/dev/null
TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
sleep 2.5  # past the start prompt: nothing more to draw while the title waits
xdotool windowclose "$TITLE"
kh_expect_end

kh_begin destroyed-play
cp "$ROOT"/sounds/*.wbs "$WORK"/ 2>/dev/null
TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
sleep 2.5
kh_key_on "$TITLE"
PLAY=$(kh_wait_for kh_play_window 10) || { kh_alive; kh_fail "no play window within 10 s of the key"; }
sleep 0.5
xdotool windowclose "$PLAY"
kh_expect_end
kh_stop
echo "PASS: a destroyed window ends the program with one line and status 1"

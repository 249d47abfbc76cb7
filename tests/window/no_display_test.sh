#!/bin/bash
# Without a display the program says so in one line and ends with status 1 at once, instead
# of running on in a window nobody can see: no DISPLAY at all, and a DISPLAY nobody serves.
#
#   bash tests/window/no_display_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
BIN=$(realpath "${1:?path to the knuffelhatz binary}")
WORK=$(mktemp -d /tmp/kh-nodisplay.XXXXXX)

for display in "" ":93"; do
  T0=$(kh_now)
  (cd "$WORK" && env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY="$display" SDL_AUDIODRIVER=dummy \
    ASAN_OPTIONS=detect_leaks=0 timeout 10 "$BIN" >"$WORK/out.log" 2>"$WORK/err.log")
  STATUS=$?
  TOOK=$(kh_since "$T0")
  kh_note "DISPLAY=\"$display\": status $STATUS after ${TOOK} s: $(cat "$WORK/err.log")"
  [ "$STATUS" = 1 ] || kh_fail "status $STATUS, not 1, with DISPLAY=\"$display\""
  [ "$(wc -l <"$WORK/err.log")" = 1 ] || kh_fail "not one line on stderr: $(cat "$WORK/err.log")"
  grep -q '^knuffelhatz: .*display' "$WORK/err.log" || kh_fail "the line does not name the display: $(cat "$WORK/err.log")"
  [ ! -s "$WORK/out.log" ] || kh_fail "something on stdout: $(cat "$WORK/out.log")"
  # Within a second on a quiet machine; the bound leaves room for a busy one.
  awk -v s="$TOOK" 'BEGIN { exit !(s < 3) }' || kh_fail "it took ${TOOK} s to give up"
done
echo "PASS: no display: one line and status 1"

#!/bin/bash
# Desktops of other depths: at 30 bits a channel takes 10 bits, and the title window is drawn
# in its right colours, through shared memory and, with the server's MIT-SHM off, through
# SDL's window surface. At 8 bits (a palette) the game cannot draw: one line, exit 1.
#
#   bash tests/window/deep_colour_test.sh path/to/knuffelhatz path/to/repository
# Also under: openbox
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
# The message box: a top-level "Knuffelhatz" (xdotool does not find windows on a palette screen).
kh_message_box() { xwininfo -root -tree 2>/dev/null | awk '$2 == "\"Knuffelhatz\":" { print $1; exit }'; }
if [ -z "${KH_IN_XVFB:-}" ]; then
  for server in "-screen 0 1024x768x30" "-screen 0 1024x768x30 -extension MIT-SHM"; do
    KH_IN_XVFB=1 KH_SERVER=$server xvfb-run -a -s "$server" bash "$0" "$@" || exit 1
  done
  # The last pass: a palette screen.
  exec env KH_IN_XVFB=1 KH_SERVER=palette xvfb-run -a -s "-screen 0 1024x768x8" bash "$0" "$@"
fi
kh_enter "$0" "$@"

if [ "$KH_SERVER" = palette ]; then
  kh_begin palette
  # The line comes first, then a message box that Return closes.
  kh_wait_for kh_message_box 30 >/dev/null || { kh_alive; kh_fail "no message box on an 8-bit screen"; }
  BOX=$(kh_message_box)
  set -- $(kh_geometry "$BOX")
  xdotool mousemove $(($1 + $3 / 2)) $(($2 + 5))
  sleep 0.2
  xdotool key Return
  for i in $(seq 100); do kill -0 "$KH_PID" 2>/dev/null || break; sleep 0.1; done
  wait "$KH_PID"
  STATUS=$?
  KH_PID=
  kh_note "8-bit screen: exit $STATUS, stderr: $(cat "$KH_LOG")"
  [ "$STATUS" = 1 ] || kh_fail "on an 8-bit screen the game ended with $STATUS, not 1"
  [ "$(wc -l <"$KH_LOG")" = 1 ] && grep -q '^knuffelhatz: .*colour' "$KH_LOG" ||
    kh_fail "on an 8-bit screen the game did not say why in one line: $(cat "$KH_LOG")"
  kh_stop
  echo "PASS: the palette screen refused in one line, exit 1"
  exit 0
fi

kh_begin deep
TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s ($KH_SERVER)"; }
sleep 0.5
kh_alive
read -r X Y W H B MAP <<<"$(kh_geometry "$TITLE")"
SHOT=$WORK/deep.png
import -window root -depth 8 "$SHOT" || kh_fail "cannot take a screenshot"
# A pixel as 8-bit red, green and blue.
pixel() {
  convert "$SHOT" -format "%[fx:int(255*p{$(($X + $1)),$(($Y + $2))}.r+0.5)] %[fx:int(255*p{$(($X + $1)),$(($Y + $2))}.g+0.5)] %[fx:int(255*p{$(($X + $1)),$(($Y + $2))}.b+0.5)]" info:
}
# The drawn frame's greys and colours of the title picture, each channel within 1 (10 bits
# read back as 8).
for spot in "100 0 227 227 227" "100 184 105 105 105" "100 2 240 240 240" "50 130 219 174 111" "150 40 75 56 43"; do
  set -- $spot
  read -r R G B <<<"$(pixel "$1" "$2")"
  awk -v r="$R" -v g="$G" -v b="$B" -v er="$3" -v eg="$4" -v eb="$5" 'function d(a, e) { return a > e ? a - e : e - a }
    BEGIN { exit !(d(r, er) <= 1 && d(g, eg) <= 1 && d(b, eb) <= 1) }' ||
    kh_fail "at $1,$2 the window shows $R,$G,$B, not $3,$4,$5 ($KH_SERVER; $SHOT)"
done
kh_stop
echo "PASS: the title window drawn in its colours on a 30-bit screen ($KH_SERVER); screenshot $SHOT"

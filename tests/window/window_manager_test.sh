#!/bin/bash
# Two rounds under a real window manager (openbox unless KH_WM names another):
#   - the play window asks for a title bar with close only (Motif hints), and the window
#     manager offers neither maximising nor resizing;
#   - its outer frame is centred on the screen;
#   - F11 puts it on the full screen: the picture at the largest whole scale, centred, black
#     bars around it;
#   - after the round the title window is back as a window, and a key alone (no click, the
#     pointer left where it was) starts the next round;
#   - the next round's play window comes back on the full screen; F11 makes it a window
#     again, its frame centred; closing it ends the program normally.
#
# The game's clock runs 5 times faster: a round takes 18 s, time enough for every check.
#
#   bash tests/window/window_manager_test.sh path/to/knuffelhatz path/to/repository
set -u
: "${KH_CLOCK_RATE:=5}"
. "$(dirname "$(realpath "$0")")/xsession.sh"
export KH_WM=${KH_WM:-openbox}
kh_enter "$0" "$@"

kh_begin wm
SW=1024 SH=768

TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
sleep 0.5
# The title window has no frame from the window manager: it draws its own.
read -r FX FY FW FH <<<"$(kh_frame_geometry "$TITLE")"
[ "$FW" = $KH_TITLE_W ] && [ "$FH" = $KH_TITLE_H ] || kh_fail "the title window got a frame: ${FW}x$FH"
PLAY=$(kh_start_round "$TITLE") || { kh_alive; kh_fail "a key on the title window did not start a round"; }
sleep 1

# Close only: flags 3 (functions and decorations), functions move and close (0x24),
# decorations border, title and menu (0x1a).
HINTS=$(xprop -id "$PLAY" _MOTIF_WM_HINTS 2>/dev/null)
kh_note "play window: $HINTS"
echo "$HINTS" | grep -q '= 0x3, 0x24, 0x1a, 0x0, 0x0' || kh_fail "the play window's Motif hints are not close only: $HINTS"
ACTIONS=$(xprop -id "$PLAY" _NET_WM_ALLOWED_ACTIONS 2>/dev/null)
kh_note "$KH_WM allows: $ACTIONS"
if echo "$ACTIONS" | grep -q 'not found'; then
  kh_note "$KH_WM does not tell which actions it offers"
else
  echo "$ACTIONS" | grep -q _NET_WM_ACTION_CLOSE || kh_fail "$KH_WM offers no close ($ACTIONS)"
  echo "$ACTIONS" | grep -Eq '_NET_WM_ACTION_(MAXIMIZE|RESIZE)' && kh_fail "$KH_WM offers to resize or maximise ($ACTIONS)"
fi

# Centred by its outer frame.
frame_centred() {
  read -r FX FY FW FH <<<"$(kh_frame_geometry "$1")"
  local ex=$(((SW - FW) / 2)) ey=$(((SH - FH) / 2))
  [ $((FX - ex)) -ge -1 ] && [ $((FX - ex)) -le 1 ] && [ $((FY - ey)) -ge -1 ] && [ $((FY - ey)) -le 1 ] ||
    kh_fail "the play window's frame ${FW}x$FH at $FX,$FY is not centred (expected about $ex,$ey)"
  kh_note "frame ${FW}x$FH at $FX,$FY: centred"
}
frame_centred "$PLAY"

# F11: the full screen, the largest whole scale (2 on 1024x768: 842x642 at 91,63), black bars.
full_screen() {
  set -- $(kh_geometry "$PLAY")
  [ "$3" = $SW ] && [ "$4" = $SH ] && echo yes
}
xdotool key F11
kh_wait_for full_screen 5 >/dev/null || kh_fail "F11 did not put the play window on the full screen"
sleep 0.5
SHOT=$WORK/fullscreen.png
import -window root "$SHOT"
colour() { convert "$SHOT" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
for spot in "45 384" "978 384" "512 30" "512 740"; do
  [ "$(colour $spot)" = 0,0,0 ] || kh_fail "no black bar at $spot ($(colour $spot), $SHOT)"
done
# The window's button face just inside the picture's corners.
for spot in "92 64" "931 704"; do
  [ "$(colour $spot)" = 240,240,240 ] || kh_fail "the picture is not at scale 2 from 91,63 ($spot is $(colour $spot), $SHOT)"
done
kh_note "full screen: $SHOT"

# The round ends; the title window comes back as a window.
TITLE2=$(kh_wait_for kh_title_window 130) || { kh_alive; kh_fail "the title window did not come back"; }
sleep 1
[ -z "$(kh_play_window)" ] || kh_fail "the play window is still shown after the round"
import -window root "$WORK/result.png"
# A key alone, the pointer where it was.
xdotool key space
PLAY2=$(kh_wait_for kh_play_window 5) || { kh_alive; kh_fail "a key alone did not start the next round under $KH_WM"; }
kh_note "a key alone started the next round"
kh_wait_for full_screen 5 >/dev/null || kh_fail "the next round's play window is not on the full screen"
PLAY=$PLAY2
xdotool key F11
windowed() {
  set -- $(kh_geometry "$PLAY")
  [ "$3" = 421 ] && [ "$4" = 321 ] && echo yes
}
kh_wait_for windowed 5 >/dev/null || kh_fail "F11 did not make the play window a window again"
sleep 0.5
frame_centred "$PLAY"
import -window root "$WORK/windowed.png"

# Closing the play window during a round ends the program.
xdotool key alt+F4
for _ in $(seq 50); do kill -0 "$KH_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$KH_PID" 2>/dev/null && kh_fail "the program did not end when its play window was closed"
wait "$KH_PID"
STATUS=$?
KH_PID=
[ "$STATUS" = 0 ] || { cat "$KH_LOG" >&2; kh_fail "the program ended with status $STATUS"; }
echo "PASS: under $KH_WM: close-only play window, centred frame, full screen kept for the next round, a key alone starts it; files in $WORK"

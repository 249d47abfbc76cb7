#!/bin/bash
# The title window right after start-up, in a real window under a virtual X server:
# the 338x179 title picture inside a drawn 3-pixel dialog frame (344x185), no title bar,
# not in the taskbar, centred; an empty "Hi.wbh" has been created in the working folder.
# Leaves a screenshot for people to look at.
#
#   bash tests/window/title_window_test.sh path/to/knuffelhatz path/to/repository
# Also under: openbox
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"

kh_begin title

TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no ${KH_TITLE_W}x$KH_TITLE_H title window within 30 s"; }
kh_alive
read -r X Y W H B MAP <<<"$(kh_geometry "$TITLE")"
kh_note "title window $TITLE at $X,$Y size ${W}x$H border $B ($MAP)"

# Right after start the score file exists and is empty.
[ -f "$WORK/Hi.wbh" ] || kh_fail "Hi.wbh was not created in the working folder"
[ "$(stat -c %s "$WORK/Hi.wbh")" = 0 ] || kh_fail "Hi.wbh is not empty: $(od -An -tx1 "$WORK/Hi.wbh")"

[ "$B" = 0 ] || kh_fail "title window has an X border of $B pixels"
# Centred on the 1024x768 screen: (1024-344)/2 = 340, (768-185)/2 = 291.5.
[ "$X" -ge 339 ] && [ "$X" -le 341 ] && [ "$Y" -ge 291 ] && [ "$Y" -le 292 ] ||
  kh_fail "title window at $X,$Y is not centred (expected about 340,291)"
# It asks not to be decorated (a window manager would otherwise add a title bar) and
# has no caption.
# _MOTIF_WM_HINTS: flags 2 (decorations given), functions, decorations 0.
HINTS=$(xprop -id "$TITLE" _MOTIF_WM_HINTS 2>/dev/null)
kh_note "$HINTS"
echo "$HINTS" | grep -Eq '= 0x2, 0x[0-9a-f]+, 0x0(,|$)' ||
  kh_fail "title window does not ask for no decorations (_MOTIF_WM_HINTS: $HINTS)"
NAME=$(kh_window_name "$TITLE")
[ -z "$NAME" ] || kh_fail "title window has the caption \"$NAME\""
# Not in the taskbar.
xprop -id "$TITLE" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
  kh_fail "title window does not ask to stay out of the taskbar ($(xprop -id "$TITLE" _NET_WM_STATE))"
# Override-redirect windows bypass window managers altogether; this one must not.
xwininfo -id "$TITLE" | grep -q 'Override Redirect State: no' || kh_fail "title window is override-redirect"

# The play window is loaded but not shown.
[ -z "$(kh_play_window)" ] || kh_fail "the play window is shown before a game started"

SHOT=$WORK/title.png
import -window root "$SHOT" || kh_fail "cannot take a screenshot"
# The dialog frame: a raised edge (light above and left, dark below and right, then white
# and grey inside) and a ring of button face around the picture.
pixel() {
  convert "$SHOT" -format "%[fx:int(255*p{$(($X + $1)),$(($Y + $2))}.r)],%[fx:int(255*p{$(($X + $1)),$(($Y + $2))}.g)],%[fx:int(255*p{$(($X + $1)),$(($Y + $2))}.b)]" info:
}
for spot in "100 0 227,227,227" "0 100 227,227,227" "100 1 255,255,255" "100 2 240,240,240" \
  "100 $((H - 1)) 105,105,105" "$((W - 1)) 100 105,105,105" "100 $((H - 2)) 160,160,160" \
  "$((W - 3)) 100 240,240,240"; do
  set -- $spot
  [ "$(pixel "$1" "$2")" = "$3" ] || kh_fail "the frame at $1,$2 is $(pixel "$1" "$2"), not $3 ($SHOT)"
done
# Inside it, the title picture, not a blank rectangle.
MEAN=$(convert "$SHOT" -crop "338x179+$((X + KH_TITLE_IN))+$((Y + KH_TITLE_IN))" -format '%[fx:mean]' info:)
kh_note "screenshot: $SHOT (mean brightness of the picture $MEAN)"
awk -v m="$MEAN" 'BEGIN { exit !(m > 0.02) }' || kh_fail "the title window looks black ($SHOT)"
kh_alive
echo "PASS: title window ${W}x$H at $X,$Y with its dialog frame, undecorated, empty Hi.wbh; screenshot $SHOT"

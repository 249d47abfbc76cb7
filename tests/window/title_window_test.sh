#!/bin/bash
# The title window right after start-up, in a real window under a virtual X server:
# 338x179, no title bar or frame, centred; an empty "Hi.wbh" has been created in the
# working folder. Leaves a screenshot for people to look at.
#
#   bash tests/window/title_window_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"

kh_begin title

TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no 338x179 title window within 30 s"; }
kh_alive
read -r X Y W H B MAP <<<"$(kh_geometry "$TITLE")"
kh_note "title window $TITLE at $X,$Y size ${W}x$H border $B ($MAP)"

# Right after start the score file exists and is empty.
[ -f "$WORK/Hi.wbh" ] || kh_fail "Hi.wbh was not created in the working folder"
[ "$(stat -c %s "$WORK/Hi.wbh")" = 0 ] || kh_fail "Hi.wbh is not empty: $(od -An -tx1 "$WORK/Hi.wbh")"

# The window is exactly the title picture: no frame, no title bar.
[ "$W" = 338 ] && [ "$H" = 179 ] || kh_fail "title window is ${W}x$H, not 338x179"
[ "$B" = 0 ] || kh_fail "title window has an X border of $B pixels"
# Centred on the 1024x768 screen: (1024-338)/2 = 343, (768-179)/2 = 294.5.
[ "$X" -ge 342 ] && [ "$X" -le 344 ] && [ "$Y" -ge 293 ] && [ "$Y" -le 295 ] ||
  kh_fail "title window at $X,$Y is not centred (expected about 343,294)"
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

# The window shows the title picture, not a blank rectangle.
SHOT=$WORK/title.png
import -window root "$SHOT" || kh_fail "cannot take a screenshot"
MEAN=$(convert "$SHOT" -crop "338x179+$X+$Y" -format '%[fx:mean]' info:)
kh_note "screenshot: $SHOT (mean brightness of the window $MEAN)"
awk -v m="$MEAN" 'BEGIN { exit !(m > 0.02) }' || kh_fail "the title window looks black ($SHOT)"
kh_alive
echo "PASS: title window 338x179 at $X,$Y, undecorated, empty Hi.wbh; screenshot $SHOT"

#!/bin/bash
# DISPLAY=:N.1 on a server of two screens: the windows open on screen 1, the one it names,
# and the title window is centred there.
#
#   bash tests/window/two_screens_test.sh path/to/knuffelhatz path/to/repository
# Also under: openbox
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
if [ -z "${KH_IN_XVFB:-}" ]; then
  exec env KH_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -screen 1 800x600x24" \
    bash -c 'export DISPLAY=$DISPLAY.1; exec bash "$0" "$@"' "$0" "$@"
fi
kh_enter "$0" "$@"

kh_begin screens
TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
ON1=$(xdotool search --screen 1 --onlyvisible --class knuffelhatz 2>/dev/null | grep -x "$TITLE")
[ -n "$ON1" ] || kh_fail "the title window $TITLE is not on screen 1"
read -r X Y W H B MAP <<<"$(kh_geometry "$TITLE")"
# Centred on the 800x600 screen: (800-344)/2 = 228, (600-185)/2 = 207.5.
[ "$X" -ge 227 ] && [ "$X" -le 229 ] && [ "$Y" -ge 207 ] && [ "$Y" -le 208 ] ||
  kh_fail "the title window at $X,$Y is not centred on screen 1 (expected about 228,207)"
kh_alive
kh_stop
echo "PASS: the title window on screen 1, centred at $X,$Y"

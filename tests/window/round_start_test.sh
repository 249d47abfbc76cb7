#!/bin/bash
# A round starts in real windows: the title window shows, a key after the prompt brings the
# play window. Short enough to run on every build variant (make test runs it once more on
# the program without Xlib, knuffelhatz_nox11).
#
#   bash tests/window/round_start_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"

kh_begin round
cp "$ROOT"/sounds/*.wbs "$WORK"/
TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
MEAN=$(import -window "$TITLE" -format '%[fx:mean]' info: 2>/dev/null)
awk -v m="$MEAN" 'BEGIN { exit !(m > 0.02) }' || kh_fail "the title window looks black (mean $MEAN)"
# The prompt comes with the clock's second tick, about 2 s after start.
sleep 2.5
kh_key_on "$TITLE"
PLAY=$(kh_wait_for kh_play_window 10) || { kh_alive; kh_fail "no play window within 10 s of the key"; }
kh_alive
kh_stop
echo "PASS: the title window $TITLE showed, a key brought the play window $PLAY"

#!/bin/bash
# Crisp scaling: the title window on a 1024x768 screen (scale 1) and on a 2560x1440 one
# (where the program picks scale 2 by itself): the second screenshot is the first with
# every pixel doubled, exactly.
#
#   bash tests/window/scaled_screenshot_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"

if [ -z "${KH_SHOT_OUT:-}" ]; then
  OUT=$(mktemp -d /tmp/kh-scaled.XXXXXX)
  KH_SCREEN=1024x768 KH_SHOT_OUT=$OUT/x1.png bash "$0" "$@" || exit 1
  KH_SCREEN=2560x1440 KH_SHOT_OUT=$OUT/x2.png bash "$0" "$@" || exit 1
  convert "$OUT/x1.png" -scale 200% "$OUT/x1-doubled.png"
  DIFF=$(compare -metric AE "$OUT/x1-doubled.png" "$OUT/x2.png" null: 2>&1)
  kh_note "pixels that differ: $DIFF"
  [ "$DIFF" = 0 ] || kh_fail "the scale-2 title window is not the scale-1 one doubled ($OUT)"
  echo "PASS: the scale-2 screenshot is the scale-1 one with every pixel doubled; pictures in $OUT"
  exit 0
fi

kh_enter "$0" "$@"
kh_begin scaled
any_window() {
  local w
  for w in $(kh_visible_windows); do
    set -- $(kh_geometry "$w")
    [ "$6" = IsViewable ] && { echo "$w"; return; }
  done
}
TITLE=$(kh_wait_for any_window 30) || { kh_alive; kh_fail "no window within 30 s"; }
# Past the start prompt (the clock's second tick): nothing changes after that.
sleep 4
kh_alive
read -r X Y W H B MAP <<<"$(kh_geometry "$TITLE")"
kh_note "title window ${W}x$H on a $KH_SCREEN screen"
import -window "$TITLE" -depth 8 "$KH_SHOT_OUT" || kh_fail "cannot take a screenshot"

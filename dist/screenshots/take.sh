#!/bin/bash
# Takes the screenshots for the software centres: a game in progress and the result after it,
# played by the scripted player in a virtual X server.
#
#   bash dist/screenshots/take.sh path/to/knuffelhatz path/to/repository path/to/khplayer
set -u
. "$(dirname "$(realpath "$0")")/../../tests/window/xsession.sh"
kh_enter "$0" "$@"
PLAYER=$(realpath "${3:?path to the khplayer program}")
OUT=$ROOT/dist/screenshots

WORK=$(mktemp -d /tmp/kh-shots.XXXXXX)
cp "$ROOT"/sounds/*.wbs "$WORK"/
kh_prepare_desktop
KH_LOG=$WORK/game.log
SDL_AUDIODRIVER=dummy "$BIN" --data-dir "$WORK" >"$KH_LOG" 2>&1 &
KH_PID=$!
trap kh_stop EXIT

TITLE=$(kh_wait_for kh_title_window 30) || kh_fail "no title window"
sleep 3
kh_key_on "$TITLE"
PLAY=$(kh_wait_for kh_play_window 10) || kh_fail "no play window"
read -r X Y W H B MAP <<<"$(kh_geometry "$PLAY")"
"$PLAYER" --window "$PLAY" --origin "$X,$Y" --seconds 95 --log "$WORK/player.log" &
PLAYING=$!
# Half way through, a moment where the whole creature with its lantern is in view.
sleep 30
for i in $(seq 100); do
  import -window "$PLAY" -depth 8 "$WORK/shot.ppm"
  if "$PLAYER" --detect "$WORK/shot.ppm" | grep -Eq '^flying .* box ([1-9][0-9]|[12][0-9][0-9]|3[0-2][0-9]),([1-9][0-9]|1[0-5][0-9]) '; then
    convert "$WORK/shot.ppm" -strip "$OUT/playing.png"
    break
  fi
  sleep 0.2
done
wait $PLAYING
kh_wait_for kh_title_window 40 >/dev/null || kh_fail "no title window after the game"
sleep 0.5
import -window "$(kh_title_window)" -strip "$OUT/result.png"
kh_note "screenshots in $OUT; the game kept its files in $WORK"

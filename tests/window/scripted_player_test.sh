#!/bin/bash
# A scripted player plays one real game: it starts the program in an empty folder,
# presses a key once the start prompt shows, then for the whole game looks at the play
# window through screenshots, finds the creature and clicks where it is about to be
# (tools/player/khplayer). After the game "Hi.wbh" must hold a score above 0 made of
# 20s and 45s.
#
#   bash tests/window/scripted_player_test.sh path/to/knuffelhatz path/to/repository path/to/khplayer
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"
PLAYER=$(realpath "${3:?path to the khplayer program}")
[ -x "$PLAYER" ] || kh_fail "no player program at $PLAYER (build the khplayer target)"

kh_begin player

TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
T0=$(kh_now)
WAITING=$(kh_crop_sum "$TITLE" $((KH_TITLE_IN + 120)) $((KH_TITLE_IN + 104)) 193 17)
prompt_changed() {
  [ "$(kh_crop_sum "$TITLE" $((KH_TITLE_IN + 120)) $((KH_TITLE_IN + 104)) 193 17)" != "$WAITING" ] && echo yes
}
kh_wait_for prompt_changed 15 >/dev/null || kh_fail "the start prompt did not appear within 15 s"
kh_note "start prompt after $(kh_since "$T0") s"
sleep 0.3
kh_key_on "$TITLE"
START=$(kh_now)
PLAY=$(kh_wait_for kh_play_window 10) || { kh_alive; kh_fail "no play window within 10 s of the key"; }
read -r X Y W H B MAP <<<"$(kh_geometry "$PLAY")"
kh_note "play window $PLAY at $X,$Y; playing"

ASAN_OPTIONS=detect_leaks=0 "$PLAYER" --window "$PLAY" --origin "$X,$Y" --seconds 95 --log "$WORK/player.log" ||
  kh_fail "the player failed (log: $WORK/player.log)"
kh_note "player stopped after $(kh_since "$START") s; log: $WORK/player.log"

kh_wait_for kh_title_window 40 >/dev/null || { kh_alive; kh_fail "the title window did not come back"; }
kh_note "title window back after $(kh_since "$START") s"
sleep 0.5
import -window root "$WORK/result.png"
kh_note "screenshot of the result: $WORK/result.png"
kh_alive
SCORE=$(kh_read_score "$WORK/Hi.wbh")
kh_note "Hi.wbh holds $SCORE ($(stat -c %s "$WORK/Hi.wbh") bytes)"
[ "$SCORE" != empty ] || kh_fail "no score was written: the player hit nothing"
[ "$(stat -c %s "$WORK/Hi.wbh")" = 2 ] || kh_fail "Hi.wbh is $(stat -c %s "$WORK/Hi.wbh") bytes long, not 2"
[ "$SCORE" -gt 0 ] || kh_fail "the stored score $SCORE is not above 0"
kh_is_score "$SCORE" || kh_fail "the stored score $SCORE is not a sum of 20s and 45s"
echo "PASS: the scripted player scored $SCORE; files in $WORK"

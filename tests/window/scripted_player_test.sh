#!/bin/bash
# A scripted player plays one real game: it starts the program in an empty folder,
# presses a key once the start prompt shows, then for the whole game looks at the play
# window through screenshots, finds the creature and clicks where it is about to be
# (tests/support/khplayer.cpp). After the game "Hi.wbh" must hold a score above 0 made of
# 20s and 45s. The game's clock runs 3 times faster (the player knows), so the round takes 30 s.
#
#   bash tests/window/scripted_player_test.sh path/to/knuffelhatz path/to/repository path/to/khplayer
set -u
: "${KH_CLOCK_RATE:=3}"
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"
PLAYER=$(realpath "${3:?path to the khplayer program}")
[ -x "$PLAYER" ] || kh_fail "no player program at $PLAYER (build the khplayer target)"

kh_begin player

TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
PLAY=$(kh_start_round "$TITLE") || { kh_alive; kh_fail "a key on the title window did not start a round"; }
START=$(kh_now)
read -r X Y W H B MAP <<<"$(kh_geometry "$PLAY")"
kh_note "play window $PLAY at $X,$Y; playing"

ASAN_OPTIONS=detect_leaks=0 "$PLAYER" --window "$PLAY" --origin "$X,$Y" --seconds 95 --clock-rate "$KH_CLOCK_RATE" --log "$WORK/player.log" ||
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

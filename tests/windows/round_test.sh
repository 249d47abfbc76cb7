#!/bin/bash
# A real round of the Windows program under Wine: the title window comes up, the start
# prompt shows (the refill sound plays into ALSA's null device), a key starts the game, the
# clock counts on while the play window is held by its caption for 4 s, the scripted player
# aims and clicks at the creature for the rest of the round (the game's clock KH_CLOCK_RATE
# times faster, 3 unless set), the title window comes back with the result, and the best
# score is in the prefix's AppData\Roaming\Knuffelhatz\Hi.wbh. Screenshots of both windows
# are kept in the work folder.
#
#   bash tests/windows/round_test.sh knuffelhatz.exe path/to/repository path/to/khplayer
set -u
: "${KH_CLOCK_RATE:=3}"
. "$(dirname "$(realpath "$0")")/wine.sh"
kh_in_xvfb "$0" "$@"
EXE=$(realpath "${1:?path to knuffelhatz.exe}")
ROOT=$(realpath "${2:?path to the repository}")
PLAYER=$(realpath "${3:?path to the khplayer program}")
[ -f "$EXE" ] || kh_fail "no program at $EXE (make windows)"
[ -x "$PLAYER" ] || kh_fail "no player program at $PLAYER"
WORK=$(mktemp -d /tmp/kh-wine-round.XXXXXX)
kh_wine_prefix
kh_null_sound
# As the zip unpacks: the program with its sounds beside it, in a folder with a wide name.
GAME="$WORK/Spiele/Knuffelhatz für Jürgen"
mkdir -p "$GAME"
cp "$EXE" "$ROOT"/sounds/*.wbs "$GAME/"

T0=$(kh_now)
(cd "$WORK" && exec wine "$GAME/knuffelhatz.exe" --scale 1 --test-clock-rate "$KH_CLOCK_RATE" >"$WORK/game.log" 2>&1) &
GAME_PID=$!
TITLE=$(kh_wait_for kh_title_window 30) || kh_fail "no title window within 30 s"
kh_note "title window after $(kh_since "$T0") s, $(kh_size "$TITLE")"
# The start prompt replaces "bite warten..." once the clock allows a start. Under load the
# title window may first be seen with the prompt already on it, so a key is pressed until
# the play window shows (a key before the prompt does nothing).
sleep "$(kh_real 2.3)"
import -window root "$WORK/title.png"
kh_note "title after the prompt's time; screenshot $WORK/title.png"
PLAY=$(kh_start_round "$TITLE") || kh_fail "no play window after the start prompt"
read -r X Y W H <<<"$(kh_geometry "$PLAY")"
B=$(((W - 421) / 2))
OX=$((X + B)) OY=$((Y + H - B - 321))
kh_note "play window $PLAY at $X,$Y (${W}x$H), client at $OX,$OY"
[ "$(kh_title_window)" = "" ] || kh_fail "the title window is still shown during the game"
sleep 1
import -window root "$WORK/play.png"
# Held by its caption, the window keeps the thread in Windows' own loop: the game goes on all
# the same. The clock label is read while the button stays down (a change every 1/rate s).
xdotool mousemove $((X + W / 2)) $((Y + B + 8)) mousedown 1
T1=$(kh_now) LAST="" CHANGES=-1 SINCE=$T1 STILL=0
while awk -v s="$(kh_since "$T1")" 'BEGIN { exit !(s < 4) }'; do
  SEEN=$(import -window root -crop "100x25+$((OX + 8))+$OY" -depth 8 rgb:- 2>/dev/null | md5sum)
  [ "$SEEN" = "$LAST" ] && continue
  STILL=$(awk -v a="$STILL" -v b="$(kh_since "$SINCE")" 'BEGIN { print (b > a ? b : a) }')
  LAST=$SEEN CHANGES=$((CHANGES + 1)) SINCE=$(kh_now)
done
STILL=$(awk -v a="$STILL" -v b="$(kh_since "$SINCE")" 'BEGIN { print (b > a ? b : a) }')
import -window root "$WORK/held.png"
xdotool mouseup 1
kh_note "caption held 4 s: the clock label changed $CHANGES times, stood still $STILL s at most; $WORK/held.png"
# About 12 changes; screenshots under load may come only every half second or so.
[ "$CHANGES" -ge 3 ] && awk -v s="$STILL" 'BEGIN { exit !(s < 2) }' ||
  kh_fail "the clock stood still while the caption was held"
"$PLAYER" --window "$PLAY" --origin "$OX,$OY" --seconds 95 --clock-rate "$KH_CLOCK_RATE" --log "$WORK/player.log" ||
  kh_fail "the player failed (log: $WORK/player.log)"
kh_wait_for kh_title_window 30 >/dev/null || kh_fail "the title window did not come back"
sleep 0.5
import -window root "$WORK/result.png"
kh_note "result shown; screenshot $WORK/result.png"
kill -0 "$GAME_PID" 2>/dev/null || kh_fail "the game is gone: $(cat "$WORK/game.log")"
if grep '^knuffelhatz:' "$WORK/game.log"; then kh_fail "the game reported a problem"; fi
SCORE_FILE=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Knuffelhatz/Hi.wbh' | head -1)
[ -n "$SCORE_FILE" ] || kh_fail "no AppData\\Roaming\\Knuffelhatz\\Hi.wbh in the prefix"
SCORE=$(kh_read_score "$SCORE_FILE")
kh_note "Hi.wbh holds $SCORE"
[ "$(stat -c %s "$SCORE_FILE")" = 2 ] || kh_fail "Hi.wbh is $(stat -c %s "$SCORE_FILE") bytes long, not 2"
[ "$SCORE" -gt 0 ] || kh_fail "the stored score $SCORE is not above 0"
kh_is_score "$SCORE" || kh_fail "the stored score $SCORE is not a sum of 20s and 45s"
# Closing the title window ends the program, exit code 0.
xdotool key --window "$(kh_title_window)" alt+F4 2>/dev/null
for _ in $(seq 50); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$GAME_PID" 2>/dev/null; then kill "$GAME_PID"; fi
echo "PASS: a round under Wine scored $SCORE; files in $WORK"

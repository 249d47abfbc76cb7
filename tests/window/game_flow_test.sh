#!/bin/bash
# One whole game in real windows, driven by key presses as a player would:
#   - a key pressed before the start prompt shows does nothing;
#   - the prompt "Bitte Taste drücken" replaces "bite warten..." about 2 s after start;
#   - a key then shows the play window "Knuffelhatz", 421x321, centred on the screen, and
#     takes the title window away;
#   - 90 clock ticks later the title window is back with the result; a game without a
#     hit leaves the empty score file empty.
#
#   bash tests/window/game_flow_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"

kh_begin flow

TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
T0=$(kh_now)
kh_note "title window $TITLE is up"
# Where the start prompt goes: Label3 of the title window.
PROMPT_AREA=($((KH_TITLE_IN + 120)) $((KH_TITLE_IN + 104)) 193 17)
WAITING=$(kh_crop_sum "$TITLE" "${PROMPT_AREA[@]}")

# A key straight away: the clock has not given permission yet (that takes two ticks).
kh_key_on "$TITLE"
KEY1=$(kh_since "$T0")
kh_note "first key at ${KEY1} s after the title window appeared"
sleep 0.5
kh_alive
[ -z "$(kh_play_window)" ] || kh_fail "a key at ${KEY1} s (before the prompt) started a game"
[ -n "$(kh_title_window)" ] || kh_fail "the title window went away after an early key"
if awk -v s="$KEY1" 'BEGIN { exit !(s > 1.5) }'; then
  kh_note "warning: the early key came late (${KEY1} s); the machine is very busy"
fi

# The prompt appears with the clock's second tick, about 2 s after start.
prompt_changed() {
  [ "$(kh_crop_sum "$TITLE" "${PROMPT_AREA[@]}")" != "$WAITING" ] && echo yes
}
kh_wait_for prompt_changed 10 >/dev/null || kh_fail "the start prompt did not appear within 10 s"
PROMPT_AT=$(kh_since "$T0")
kh_note "start prompt shown at ${PROMPT_AT} s"
import -window root "$WORK/prompt.png"
awk -v s="$PROMPT_AT" 'BEGIN { exit !(s > 0.5 && s < 4.5) }' ||
  kh_fail "the start prompt appeared at ${PROMPT_AT} s, not about 2 s after start"

# Now a key starts the game.
while awk -v s="$(kh_since "$T0")" 'BEGIN { exit !(s < 3) }'; do sleep 0.1; done
kh_key_on "$TITLE"
START=$(kh_now)
kh_note "second key at $(kh_since "$T0") s"
PLAY=$(kh_wait_for kh_play_window 10) || { kh_alive; kh_fail "no play window within 10 s of the key"; }
kh_note "play window $PLAY is up after $(kh_since "$START") s"
read -r X Y W H B MAP <<<"$(kh_geometry "$PLAY")"
NAME=$(kh_window_name "$PLAY")
kh_note "play window \"$NAME\" at $X,$Y size ${W}x$H"
[ "$NAME" = Knuffelhatz ] || kh_fail "the play window's caption is \"$NAME\", not \"Knuffelhatz\""
[ "$W" = 421 ] && [ "$H" = 321 ] || kh_fail "the play window's client area is ${W}x$H, not 421x321"
# Centred: (1024-421)/2 = 301.5 and (768-321)/2 = 223.5; no frame under a bare X server.
[ "$X" -ge 301 ] && [ "$X" -le 302 ] && [ "$Y" -ge 223 ] && [ "$Y" -le 224 ] ||
  kh_fail "the play window at $X,$Y is not centred on the 1024x768 screen (expected 301..302, 223..224)"
HINTS=$(xprop -id "$PLAY" _MOTIF_WM_HINTS 2>/dev/null)
echo "$HINTS" | grep -Eq '= 0x2, 0x[0-9a-f]+, 0x0(,|$)' && kh_fail "the play window asks for no title bar ($HINTS)"
sleep 0.5
[ -z "$(kh_title_window)" ] || kh_fail "the title window is still shown during the game"
# The pointer rests in the middle of the play area (the key was typed there), where it
# neither scrolls nor shoots.
sleep 1
import -window root "$WORK/playing.png"
kh_note "screenshot of the game: $WORK/playing.png"

# 90 clock ticks later the title window is back.
TITLE2=$(kh_wait_for kh_title_window 130) || { kh_alive; kh_fail "the title window did not come back within 130 s"; }
LENGTH=$(kh_since "$START")
kh_note "title window $TITLE2 back after ${LENGTH} s"
awk -v s="$LENGTH" 'BEGIN { exit !(s >= 88 && s <= 110) }' ||
  kh_fail "the game lasted ${LENGTH} s, not about 90 s"
sleep 0.5
[ -z "$(kh_play_window)" ] || kh_fail "the play window is still shown after the game"
read -r TX TY TW TH TB TMAP <<<"$(kh_geometry "$TITLE2")"
[ "$TW" = $KH_TITLE_W ] && [ "$TH" = $KH_TITLE_H ] || kh_fail "the title window is ${TW}x$TH after the game"
import -window root "$WORK/result.png"
kh_note "screenshot of the result: $WORK/result.png"
SCORE=$(kh_read_score "$WORK/Hi.wbh")
[ "$SCORE" = empty ] || kh_fail "a game without a shot left the score $SCORE in Hi.wbh"
kh_alive
echo "PASS: early key ignored, prompt at ${PROMPT_AT} s, play window centred at $X,$Y, game of ${LENGTH} s; screenshots in $WORK"

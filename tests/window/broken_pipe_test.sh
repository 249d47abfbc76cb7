#!/bin/bash
# A line that cannot be written never ends the game: with stderr a pipe whose reader is
# gone (a launcher, or `knuffelhatz 2>&1 | head` after head ended) and no sound files, so
# that warnings come at once, the title window shows and a round starts.
#
#   bash tests/window/broken_pipe_test.sh path/to/knuffelhatz path/to/repository
set -u
. "$(dirname "$(realpath "$0")")/xsession.sh"
kh_enter "$0" "$@"

kh_prepare_desktop
WORK=$(mktemp -d /tmp/kh-pipe.XXXXXX)
# The game starts half a second after the pipe's reader, `true`, has ended.
(
  echo "$BASHPID" >"$WORK/pid"
  cd "$WORK" && sleep 0.5 &&
    exec env SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 "$BIN" --data-dir "$WORK" 2>&1 >/dev/null
) | true &
sleep 0.2
KH_PID=$(cat "$WORK/pid")
KH_LOG=/dev/null
TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
sleep 2.5
kh_alive
kh_key_on "$TITLE"
kh_wait_for kh_play_window 10 >/dev/null || { kh_alive; kh_fail "no play window within 10 s of the key"; }
sleep 1
kh_alive
kh_stop
echo "PASS: with stderr a broken pipe and no sounds the game showed its windows and played on"

#!/bin/bash
# The installed game, as a player gets it from the menu:
#   - the menu entry and the metainfo pass desktop-file-validate and appstreamcli validate;
#   - --help and --version answer; bad usage gets one line on stderr and status 2;
#   - installed into a temporary prefix, and that prefix moved elsewhere, the game started
#     from another working folder finds its sounds (no "stays silent" line, and the refill
#     cue about two seconds after start is audible through SDL's disk audio driver);
#   - the best score lives in $XDG_DATA_HOME/knuffelhatz/Hi.wbh, in a folder the game makes
#     private to the user, and is still there when a round has ended;
#   - nothing is written into the working folder, and a Hi.wbh already there stays as it is.
#
# The round runs on a clock 10 times faster (--test-clock-rate): 9 s.
#
#   bash tests/install/install_test.sh path/to/build-folder path/to/repository
set -u
: "${KH_CLOCK_RATE:=10}"
. "$(dirname "$(realpath "$0")")/../window/xsession.sh"
kh_enter "$0" "$@"
BUILD=$BIN
T=$(mktemp -d /tmp/kh-install.XXXXXX)
kh_note "test folder $T"

cmake --install "$BUILD" --prefix "$T/staged" >"$T/install.log" 2>&1 || { cat "$T/install.log"; kh_fail "cmake --install failed"; }
mv "$T/staged" "$T/prefix"
P=$T/prefix
ID=io.github.knuffelhatz.Knuffelhatz
for f in bin/knuffelhatz share/knuffelhatz/{Schuss,Treffer1,Treffer2,Leer}.wbs share/applications/$ID.desktop \
  share/metainfo/$ID.metainfo.xml share/man/man6/knuffelhatz.6.gz \
  share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/$ID.png; do
  [ -f "$P/$f" ] || kh_fail "not installed: $f"
done
desktop-file-validate "$P/share/applications/$ID.desktop" || kh_fail "desktop-file-validate refuses the menu entry"
appstreamcli validate --no-net "$P/share/metainfo/$ID.metainfo.xml" || kh_fail "appstreamcli refuses the metainfo"

# The command line: help and version on stdout, bad usage one line on stderr and status 2.
KH="env ASAN_OPTIONS=detect_leaks=0 $P/bin/knuffelhatz"
$KH --help | grep -q -- '--data-dir DIR' || kh_fail "--help does not tell about --data-dir"
[ "$($KH --version)" = "knuffelhatz $(sed -n 's/^project(Knuffelhatz VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")" ] ||
  kh_fail "--version says \"$($KH --version)\""
for bad in --frobnicate "--scale 9" "--data-dir $T/missing"; do
  $KH $bad >"$T/out" 2>"$T/err"
  rc=$?
  [ "$rc" = 2 ] && [ ! -s "$T/out" ] && [ "$(wc -l <"$T/err")" = 1 ] && grep -q '^knuffelhatz: .*usage: ' "$T/err" ||
    kh_fail "$bad: status $rc, stderr [$(cat "$T/err")]"
done

# An old score in the working folder, which the installed game must neither read nor touch.
WORK=$T/work
mkdir "$WORK"
printf '\x30\x75' >"$WORK/Hi.wbh"
touch -d '2020-01-01 12:00' "$WORK/Hi.wbh"
BEFORE=$(cd "$WORK" && find . -printf '%p %s %T@ %m\n' | sort)
XDG=$T/data
SCORE=$XDG/knuffelhatz/Hi.wbh
AUDIO=$T/audio.raw

kh_prepare_desktop
KH_LOG=$T/game.log
(cd "$WORK" && exec env XDG_DATA_HOME="$XDG" HOME="$T/home" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" \
  ASAN_OPTIONS=detect_leaks=0 "$P/bin/knuffelhatz" --test-clock-rate "$KH_CLOCK_RATE" >"$KH_LOG" 2>&1) &
KH_PID=$!
trap kh_stop EXIT

TITLE=$(kh_wait_for kh_title_window 30) || { kh_alive; kh_fail "no title window within 30 s"; }
[ -f "$SCORE" ] || kh_fail "no $SCORE after start"
[ "$(stat -c %a "$XDG/knuffelhatz")" = 700 ] || kh_fail "the score folder has mode $(stat -c %a "$XDG/knuffelhatz"), not 700"
[ ! -e "$T/home/.local/share/knuffelhatz" ] || kh_fail "the game used ~/.local/share although XDG_DATA_HOME is set"

# The refill cue plays with the start prompt, two of the game's seconds after start; the
# sound itself plays in real time.
sleep "$(kh_real 2.5)"
sleep 1
LOUD=$(od -An -v -td2 -w2 "$AUDIO" | awk '$1 > 512 || $1 < -512 { n++ } END { print n + 0 }')
kh_note "disk audio: $(stat -c %s "$AUDIO") bytes, $LOUD loud samples"
[ "$LOUD" -gt 1000 ] || kh_fail "the refill cue was not heard: $LOUD samples above silence in $AUDIO"

# One round: a key, then 90 of the game's seconds without a shot.
kh_start_round "$TITLE" >/dev/null || { kh_alive; kh_fail "a key on the title window did not start a round"; }
START=$(kh_now)
kh_wait_for kh_title_window 130 >/dev/null || { kh_alive; kh_fail "the title window did not come back"; }
kh_note "round over after $(kh_since "$START") s"
sleep 0.5
kh_alive
kh_stop

grep -q "stays silent" "$KH_LOG" && { cat "$KH_LOG" >&2; kh_fail "a sound stays silent"; }
[ -f "$SCORE" ] || kh_fail "no Hi.wbh in the per-user folder after the round"
[ "$(kh_read_score "$SCORE")" = empty ] || kh_fail "a round without a shot stored $(kh_read_score "$SCORE")"
AFTER=$(cd "$WORK" && find . -printf '%p %s %T@ %m\n' | sort)
[ "$BEFORE" = "$AFTER" ] || kh_fail "the working folder changed: before [$BEFORE] after [$AFTER]"
[ "$(od -An -tx1 "$WORK/Hi.wbh" | tr -d ' ')" = 3075 ] || kh_fail "the old Hi.wbh in the working folder changed"
rm -rf "$T"
echo "PASS: installed, validated, found its sounds, kept its score in the per-user folder, left the working folder alone"

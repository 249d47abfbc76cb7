#!/bin/bash
# The two downloads under Wine. The portable zip holds the program, the sounds, the read-me
# and the licences. The installer installs silently (/S) to Program Files with a Start-menu
# shortcut and an uninstaller listed under installed apps; the installed game starts, makes
# its best-score file in AppData and, with no sound card here, goes on silently after one
# line; while it runs, installing and uninstalling silently are refused (exit 2) and change
# nothing; afterwards uninstalling silently removes the program, the shortcut and the listing,
# and keeps the best score.
#
#   bash tests/windows/installer_test.sh knuffelhatz-VERSION-setup.exe knuffelhatz-VERSION-win64.zip
set -u
. "$(dirname "$(realpath "$0")")/wine.sh"
kh_in_xvfb "$0" "$@"
SETUP=$(realpath "${1:?path to the installer}")
ZIP=$(realpath "${2:?path to the zip}")
[ -f "$SETUP" ] || kh_fail "no installer at $SETUP (make windows)"
[ -f "$ZIP" ] || kh_fail "no zip at $ZIP (make windows)"

LIST=$(unzip -Z1 "$ZIP") || kh_fail "cannot read $ZIP"
for f in knuffelhatz.exe Schuss.wbs Treffer1.wbs Treffer2.wbs Leer.wbs README.txt LICENSE.txt LICENSE-Lato.txt; do
  grep -q "/$f\$" <<<"$LIST" || kh_fail "the zip has no $f"
done
kh_note "the zip holds $(wc -l <<<"$LIST") entries"

WORK=$(mktemp -d /tmp/kh-wine-setup.XXXXXX)
kh_wine_prefix
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Knuffelhatz'
PROGRAM="$WINEPREFIX/drive_c/Program Files/Knuffelhatz"
LINK="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Knuffelhatz.lnk"

timeout 120 wine "$SETUP" /S || kh_fail "the installer failed"
timeout 60 wineserver -w
for f in knuffelhatz.exe Schuss.wbs Leer.wbs README.txt Uninstall.exe; do
  [ -f "$PROGRAM/$f" ] || kh_fail "not installed: Program Files\\Knuffelhatz\\$f"
done
[ -f "$LINK" ] || kh_fail "no Start-menu shortcut"
timeout 60 wine reg query "$KEY" /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe' ||
  kh_fail "no uninstaller listed under installed apps"
kh_note "installed, with the shortcut and the uninstaller listed"

(exec wine "C:\\Program Files\\Knuffelhatz\\knuffelhatz.exe" >"$WORK/game.log" 2>&1) &
GAME_PID=$!
kh_wait_for kh_title_window 30 >/dev/null || kh_fail "the installed game shows no title window: $(cat "$WORK/game.log")"
SCORE_FILE=$(kh_wait_for "find $WINEPREFIX/drive_c/users -path */AppData/Roaming/Knuffelhatz/Hi.wbh" 10) ||
  kh_fail "the installed game made no AppData\\Roaming\\Knuffelhatz\\Hi.wbh"
kh_note "the installed game started and made $SCORE_FILE"
# Without a sound card the game goes on silently, saying so once.
sleep 3
[ "$(grep -c '^knuffelhatz: no sound device' "$WORK/game.log")" = 1 ] || kh_fail "no one line about the missing sound device: $(cat "$WORK/game.log")"
# While the game runs, neither the installer nor the uninstaller changes anything: silently,
# both end with exit code 2. The uninstaller runs as NSIS documents it for its exit code: a
# copy outside the folder, told the folder by a last, unquoted _?= (else it hands over to such
# a copy and ends at once).
state() { find "$PROGRAM" "$LINK" -printf '%p %s %T@\n' | sort; timeout 60 wine reg query "$KEY" 2>/dev/null; }
BEFORE=$(state)
timeout 60 wine "$SETUP" /S >"$WORK/setup-running.log" 2>&1
RC=$?
if [ "$RC" != 2 ]; then
  kill -0 "$GAME_PID" 2>/dev/null && ALIVE="still running" || ALIVE="gone"
  kh_fail "the installer, run over the running game ($ALIVE), ended with $RC: $(tail -5 "$WORK/setup-running.log")"
fi
cp "$PROGRAM/Uninstall.exe" "$WORK/"
timeout 60 wine cmd /c "Z:${WORK//\//\\}\\Uninstall.exe /S _?=C:\\Program Files\\Knuffelhatz"
RC=$?
[ "$RC" = 2 ] || kh_fail "the uninstaller, run while the game runs, ended with $RC"
[ "$(state)" = "$BEFORE" ] || kh_fail "refused, yet something changed: $(diff <(echo "$BEFORE") <(state))"
kill -0 "$GAME_PID" 2>/dev/null || kh_fail "the game did not survive the refusals"
kh_note "installing and uninstalling over the running game were refused (exit 2), nothing changed"
kill "$GAME_PID" 2>/dev/null
timeout 30 wineserver -k
printf '\x2c\x01' >"$SCORE_FILE"  # a best score of 300, as a game would leave it

timeout 120 wine "C:\\Program Files\\Knuffelhatz\\Uninstall.exe" /S || kh_fail "the uninstaller failed"
timeout 60 wineserver -w
[ ! -e "$PROGRAM" ] || kh_fail "the program's folder is still there: $(ls "$PROGRAM")"
[ ! -e "$LINK" ] || kh_fail "the Start-menu shortcut is still there"
! timeout 60 wine reg query "$KEY" >/dev/null 2>&1 || kh_fail "still listed under installed apps"
[ "$(kh_read_score "$SCORE_FILE")" = 300 ] || kh_fail "the best score did not survive uninstalling"
echo "PASS: installed, started, uninstalled; Hi.wbh kept; files in $WORK"

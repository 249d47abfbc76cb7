#!/bin/bash
# The Windows program is one file that every Windows can start: a GUI program (no console
# window) that imports only DLLs Windows itself brings, with its resources (icon, version,
# the manifest that asks for each monitor's DPI).
#
#   bash tests/windows/imports_test.sh path/to/knuffelhatz.exe
set -u
EXE=${1:?path to knuffelhatz.exe}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ -f "$EXE" ] || fail "no program at $EXE (make windows)"
OBJDUMP=x86_64-w64-mingw32-objdump
HEADERS=$($OBJDUMP -p "$EXE") || fail "$EXE is not a Windows program"
SYSTEM=" gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll winmm.dll "
DLLS=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$HEADERS")
[ -n "$DLLS" ] || fail "no imports found"
for dll in $DLLS; do
  case "$SYSTEM" in
  *" $dll "*) ;;
  *) fail "imports $dll, which not every Windows has" ;;
  esac
done
grep -q 'Subsystem.*Windows GUI' <<<"$HEADERS" || fail "not a GUI program: a console window would open"
grep -q 'Magic.*20b' <<<"$HEADERS" || fail "not a 64-bit program"
$OBJDUMP -h "$EXE" | grep -q '\.rsrc' || fail "no resources"
grep -qa 'PerMonitorV2' "$EXE" || fail "no manifest asking for each monitor's DPI"
strings -el "$EXE" | grep -qx 'FileVersion' || fail "no version resource"
echo "PASS: imports only" $DLLS

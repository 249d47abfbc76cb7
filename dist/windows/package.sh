#!/bin/bash
# dist/windows/package.sh BUILD VERSION: the two Windows downloads from BUILD/knuffelhatz.exe,
#   BUILD/knuffelhatz-VERSION-win64.zip   the program, the sounds, a read-me and the licences
#   BUILD/knuffelhatz-VERSION-setup.exe   the same, installed to Program Files by NSIS
set -euo pipefail
BUILD=$(realpath "${1:?build folder}")
VERSION=${2:?version}
HERE=$(dirname "$(realpath "$0")")
ROOT=$(realpath "$HERE/../..")
NAME=knuffelhatz-$VERSION-win64
STAGE=$BUILD/stage/$NAME
[ -f "$BUILD/knuffelhatz.exe" ] || { echo "package.sh: no $BUILD/knuffelhatz.exe" >&2; exit 1; }

rm -rf "$BUILD/stage"
mkdir -p "$STAGE"
cp "$BUILD/knuffelhatz.exe" "$STAGE/"
cp "$ROOT"/sounds/{Schuss,Treffer1,Treffer2,Leer}.wbs "$STAGE/"
# Text files with Windows line ends, for Notepad.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
sed "s/@VERSION@/$VERSION/" "$HERE/README.txt.in" >"$BUILD/stage/README.txt"
crlf "$BUILD/stage/README.txt" "$STAGE/README.txt"
crlf "$ROOT/dist/copyright" "$STAGE/LICENSE.txt"
crlf /usr/share/doc/fonts-lato/copyright "$STAGE/LICENSE-Lato.txt"
# The same time on every file, so the zip depends on the contents alone.
touch -d @0 "$STAGE"/*

rm -f "$BUILD/$NAME.zip"
(cd "$BUILD/stage" && zip -q -X -r -9 "$BUILD/$NAME.zip" "$NAME")

rm -f "$BUILD/knuffelhatz-$VERSION-setup.exe"
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DICON="$BUILD/app/windows/knuffelhatz.ico" \
  -DOUTFILE="$BUILD/knuffelhatz-$VERSION-setup.exe" "$HERE/knuffelhatz.nsi"
ls -l "$BUILD/knuffelhatz.exe" "$BUILD/$NAME.zip" "$BUILD/knuffelhatz-$VERSION-setup.exe"

#!/bin/sh
# Regenerates every picture in assets/ from the drawing code in this folder
# and checks the result.  Needs python3-pil (Debian).
set -e
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../../assets"
/usr/bin/python3 "$here/make_art.py" "$out"
/usr/bin/python3 "$here/check.py" "$out"

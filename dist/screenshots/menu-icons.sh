#!/bin/bash
# Pictures of the menu entry as a desktop shows it, at 48 and 256 pixels, made from an
# installed tree: the installed icon on a menu's light background with the entry's name.
#
#   bash dist/screenshots/menu-icons.sh INSTALL-PREFIX
set -eu
P=${1:?install prefix}
OUT=$(dirname "$(realpath "$0")")
ID=io.github.knuffelhatz.Knuffelhatz
NAME=$(sed -n 's/^Name=//p' "$P/share/applications/$ID.desktop")
FONT=/usr/share/fonts/truetype/lato/Lato-Regular.ttf
for size in 48 256; do
  pad=$((size / 4))
  convert -background '#f6f5f4' "$P/share/icons/hicolor/${size}x${size}/apps/$ID.png" \
    -gravity center -extent $((size + 2 * pad))x$((size + pad)) \
    \( -size $((size + 2 * pad))x -background '#f6f5f4' -fill '#241f31' -font "$FONT" \
       -pointsize $((size / 6 > 11 ? size / 6 : 11)) -gravity center caption:"$NAME" \) \
    -append -bordercolor '#f6f5f4' -border 0x$((pad / 3)) -depth 8 -strip "$OUT/menu-icon-$size.png"
done

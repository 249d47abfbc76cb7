#!/bin/sh
# tools/fonts/subset_lato.sh OUT.ttf: Lato Black from Debian's fonts-lato, cut down with
# fonttools to what the labels can show (printable ASCII and the German letters), for the
# builds that carry their own font: Windows where Arial Black is missing, and the web page.
set -eu
out=${1:?usage: subset_lato.sh OUT.ttf}
src=${LATO_BLACK:-/usr/share/fonts/truetype/lato/Lato-Black.ttf}
[ -r "$src" ] || { echo "subset_lato.sh: no $src (install fonts-lato)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
pyftsubset "$src" --output-file="$out" \
  --unicodes='U+0020-007E,U+00C4,U+00D6,U+00DC,U+00DF,U+00E4,U+00F6,U+00FC' \
  --layout-features='kern' --name-IDs='*' --name-languages='*' --notdef-outline

#!/usr/bin/python3
"""Draws the desktop icons: the Wibbel drawn afresh at every icon size.

    /usr/bin/python3 tools/art/icons.py [outdir]     (default dist/icons/)

The small sizes show its face or its furry ball, where a whole creature would be
a smudge; from 48 pixels on it is the whole creature with its lit lantern.  Each size is
drawn on a canvas eight times finer and box-filtered down, so outlines and
eyes land on that size's own pixel grid.  Needs python3-pil.
"""
import os
import sys
from PIL import Image, ImageFilter

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import creature  # noqa: E402

SIZES = (16, 32, 48, 64, 128, 256)
FINE = 8
# Regions of the sprite (in sprite units) each icon shows: the face, the furry ball, or the
# whole creature.
FACE = (2.0, 9.0, 52.0, 59.0)
BALL = (-1.0, 3.0, 56.0, 67.0)
WHOLE = (-1.0, 3.0, 60.0, 84.0)


def draw(size):
    x0, y0, x1, y1 = FACE if size < 32 else BALL if size < 48 else WHOLE
    span = max(x1 - x0, y1 - y0)
    margin = 0.0 if size < 48 else size / 32.0    # hicolor icons leave a little air
    s = (size - 2 * margin) * FINE / span
    full, _ = creature.render(s, 'fly', size >= 48)
    cx, cy = (x0 + x1) / 2 * s, (y0 + y1) / 2 * s
    half = size * FINE / 2
    box = tuple(int(round(v)) for v in (cx - half, cy - half, cx + half, cy + half))
    fine = Image.new('RGBA', (size * FINE, size * FINE), (0, 0, 0, 0))
    fine.paste(full.crop((max(0, box[0]), max(0, box[1]), box[2], box[3])),
               (max(0, -box[0]), max(0, -box[1])))
    icon = fine.resize((size, size), Image.BOX)
    if size <= 32:
        icon = icon.filter(ImageFilter.UnsharpMask(radius=0.6, percent=60, threshold=0))
    return icon


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', '..', 'dist', 'icons')
    os.makedirs(out, exist_ok=True)
    for size in SIZES:
        name = os.path.join(out, 'knuffelhatz-%d.png' % size)
        draw(size).save(name, optimize=True)
        print('  %-20s %3dx%d' % (os.path.basename(name), size, size))


if __name__ == '__main__':
    main()

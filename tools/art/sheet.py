#!/usr/bin/python3
"""Contact sheet of baked pictures, enlarged with nearest neighbour, for
looking at the pixels:  sheet.py out.png scale name.bmp ..."""
import os
import sys
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from bmpio import read_bmp  # noqa: E402

ASSETS = os.path.join(HERE, '..', '..', 'assets')


def load(name):
    b = read_bmp(os.path.join(ASSETS, name))
    im = Image.new('RGB', (b['width'], b['height']))
    im.putdata(b['pixels'])
    return im


if __name__ == '__main__':
    out, scale, names = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    ims = [load(n).resize((load(n).width * scale, load(n).height * scale), Image.NEAREST) for n in names]
    W = sum(i.width for i in ims) + 8 * (len(ims) + 1)
    H = max(i.height for i in ims) + 16
    sheet = Image.new('RGB', (W, H), (120, 140, 160))
    x = 8
    for i in ims:
        sheet.paste(i, (x, 8)); x += i.width + 8
    sheet.save(out)

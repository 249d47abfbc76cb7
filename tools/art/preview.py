#!/usr/bin/python3
"""Composes play-area frames the way the game does (backdrop copied, every
sprite as mask with MERGEPAINT then image with SRCAND, bit by bit) and
writes them as PNGs to /tmp/artpreview/ for looking at the art in place."""
import math
import os
import sys
from PIL import Image, ImageMath

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from bmpio import read_bmp  # noqa: E402

ASSETS = os.path.join(HERE, '..', '..', 'assets')
OUT = '/tmp/artpreview'
_cache = {}


def pic(name):
    if name not in _cache:
        b = read_bmp(os.path.join(ASSETS, name))
        im = Image.new('RGB', (b['width'], b['height']))
        im.putdata(b['pixels'])
        _cache[name] = im
    return _cache[name]


def rop(buf, src, x, y, op):
    x, y = int(math.floor(x + 0.5)), int(math.floor(y + 0.5))
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(buf.width, x + src.width), min(buf.height, y + src.height)
    if x0 >= x1 or y0 >= y1:
        return
    s = src.crop((x0 - x, y0 - y, x1 - x, y1 - y))
    d = buf.crop((x0, y0, x1, y1))
    chans = []
    for sc, dc in zip(s.split(), d.split()):
        if op == 'copy':
            r = sc
        elif op == 'merge':
            r = ImageMath.eval('convert((d | (s ^ 255)) & 255, "L")', s=sc, d=dc)
        else:
            r = ImageMath.eval('convert(s & d, "L")', s=sc, d=dc)
        chans.append(r)
    buf.paste(Image.merge('RGB', chans), (x0, y0))


def sized(im, width):
    if width is None:
        return im, 0
    w = abs(int(width))
    out = im.resize((w, im.height), Image.NEAREST) if w != im.width else im
    if width < 0:
        return out.transpose(Image.FLIP_LEFT_RIGHT), width
    return out, 0


def sprite(buf, mask, image, x, y, width=None):
    m, dx = sized(pic(mask).convert('RGB'), width)
    i, _ = sized(pic(image).convert('RGB'), width)
    rop(buf, m, x + dx, y, 'merge')
    rop(buf, i, x + dx, y, 'and')


def frame(scroll, wing=0.0, pos=(300, 120), facing=65, hit=0, fall=0, sine=0.5, aim=(200, 125)):
    buf = Image.new('RGB', (400, 250))
    rop(buf, pic('Back.bmp'), scroll * 0.95 - 10, 0, 'copy')
    if scroll > -155:
        n = int(math.floor(wing))
        sprite(buf, 'Fluegel%d.bmp' % (n + 6), 'Fluegel%d.bmp' % n, scroll + 9, -27)
    px, py = pos
    if hit == 2:
        k = min(2, fall // 3)
        sprite(buf, 'Laterne%d.bmp' % (k + 3), 'Laterne%d.bmp' % k, scroll + px + facing, 200 - 140 * sine)
        sprite(buf, 'Wibbel2Msk.bmp', 'Wibbel4.bmp', scroll + px, py, facing)
    else:
        sprite(buf, 'WibbelMsk.bmp', 'Wibbel3.bmp' if hit == 1 else 'Wibbel.bmp', scroll + px, py, facing)
    sprite(buf, 'LandMsk.bmp', 'Land.bmp', scroll, 44)
    sprite(buf, 'GunMsk.bmp', 'Gun.bmp', aim[0] - 32, aim[1] - 32)
    return buf


SCENES = [
    ('f0_s0_fly', dict(scroll=0, wing=0, pos=(150, 95), facing=65, aim=(260, 150))),
    ('f1_s0_rest', dict(scroll=0, wing=2.5, pos=(240, 150), facing=-65, aim=(200, 180))),
    ('f2_s100_bodyhit', dict(scroll=-100, wing=4, pos=(260, 105), facing=65, hit=1, aim=(188, 140))),
    ('f3_s200_lanternhit', dict(scroll=-200, pos=(330, 110), facing=65, hit=2, fall=1, sine=0.85, aim=(200, 160))),
    ('f4_s200_fall', dict(scroll=-200, pos=(420, 130), facing=-65, hit=2, fall=4, sine=0.45, aim=(300, 100))),
    ('f5_s400_fly', dict(scroll=-400, pos=(560, 118), facing=65, aim=(200, 125))),
    ('f6_s400_fall', dict(scroll=-400, pos=(600, 140), facing=65, hit=2, fall=9, sine=0.1, aim=(320, 200))),
]


def main():
    os.makedirs(OUT, exist_ok=True)
    frames = []
    for name, kw in SCENES:
        f = frame(**kw)
        f.save(os.path.join(OUT, name + '.png'))
        frames.append(f)
    # a 2x contact sheet of all frames
    sheet = Image.new('RGB', (2 * 400 * 2 + 8, ((len(frames) + 1) // 2) * (2 * 250 + 8)), (40, 40, 40))
    for i, f in enumerate(frames):
        sheet.paste(f.resize((800, 500), Image.NEAREST), ((i % 2) * 808, (i // 2) * 508))
    sheet.save(os.path.join(OUT, 'frames.png'))
    # the sail wheel turning over the tower, enlarged
    strip = Image.new('RGB', (6 * 160, 160))
    for n in range(6):
        f = frame(0, wing=n, pos=(500, 150), aim=(-100, -100))
        strip.paste(f.crop((0, 0, 160, 160)), (n * 160, 0))
    strip.resize((strip.width * 2, strip.height * 2), Image.NEAREST).save(os.path.join(OUT, 'mill_anim.png'))
    print('written to', OUT)


if __name__ == '__main__':
    main()

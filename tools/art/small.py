"""Crosshair, falling lantern steps and the window icon."""
import math
from PIL import Image
from common import Canvas, quantize
import creature

# ---------------------------------------------------------------- crosshair
RING_IN, RING_OUT = 23.5, 25.5          # ring radius band around (32.5, 32.5)
RING = (150, 0, 20)
RING_DARK = (90, 0, 10)
LINE = (170, 0, 24)
LINE_DARK = (70, 0, 8)


def ring_pixel(x, y):
    d = math.hypot(x + 0.5 - 32.5, y + 0.5 - 32.5)
    return RING_IN <= d < RING_OUT, d


def gun(write):
    img, msk = [], []
    for y in range(64):
        for x in range(64):
            on_ring, d = ring_pixel(x, y)
            col = (255, 255, 255)
            m = 0
            if on_ring:
                col = RING if d < 24.5 else RING_DARK
                m = 1
            if x in (32, 33) or y in (32, 33):
                col = LINE if (x == 32 or y == 32) else LINE_DARK
                m = 1
            if x == 31 or y == 31:
                m = 1                       # white rim along the lines
            img.append(col)
            msk.append(m)
    pal = [(255, 255, 255), RING, RING_DARK, LINE, LINE_DARK]
    write('Gun.bmp', 64, 64, 8, [pal.index(c) for c in img], pal)
    write('GunMsk.bmp', 64, 64, 1, msk, [(255, 255, 255), (0, 0, 0)])


# ---------------------------------------------------------- falling lantern
def lantern_hi(lit, s=16):
    c = Canvas(creature.W, creature.H, s)
    im = creature.lantern(c, lit=lit)
    return im.crop((int(35.5 * s), int(45.0 * s), int(58.5 * s), int(69.0 * s)))


def binary_sprite(rgba, edge=(28, 26, 40), thr=110):
    """Two-colour mask plus image: opaque pixels flattened over a dark edge
    colour so the outline stays crisp."""
    w, h = rgba.size
    img, msk = [], []
    for (r, g, b, a) in rgba.getdata():
        if a >= thr:
            t = a / 255.0
            img.append(tuple(int(round(c * t + e * (1 - t))) for c, e in zip((r, g, b), edge)))
            msk.append(0)
        else:
            img.append((255, 255, 255)); msk.append(255)
    return img, msk


def fit(hi, angle, size, margin=0.6):
    rot = hi.rotate(angle, resample=Image.BICUBIC, expand=True)
    bbox = rot.getchannel('A').getbbox()
    rot = rot.crop(bbox)
    w, h = size
    k = min((w - 2 * margin) / rot.width, (h - 2 * margin) / rot.height)
    nw, nh = rot.width * k, rot.height * k
    # place on a supersampled target grid, then box-filter down
    S = 8
    canvas = Image.new('RGBA', (w * S, h * S), (0, 0, 0, 0))
    small = rot.resize((max(1, int(round(nw * S))), max(1, int(round(nh * S)))), Image.LANCZOS)
    canvas.paste(small, (int(round((w * S - small.width) / 2)), int(round((h * S - small.height) / 2))), small)
    return canvas.resize((w, h), Image.BOX)


def lanterns(write):
    steps = [((22, 28), -16, True), ((17, 18), -58, True), ((13, 11), -100, False)]
    for k, (size, ang, lit) in enumerate(steps):
        rgba = fit(lantern_hi(lit), ang, size)
        img, msk = binary_sprite(rgba)
        w, h = size
        idx, pal, res = quantize(_rgb(img, size), 256, reserve=[(255, 255, 255)])
        wi = res[(255, 255, 255)]
        idx = [wi if m == 255 else i for i, m in zip(idx, msk)]
        write('Laterne%d.bmp' % k, w, h, 8, idx, pal)
        write('Laterne%d.bmp' % (k + 3), w, h, 8, [0 if m == 0 else 1 for m in msk],
              [(0, 0, 0), (255, 255, 255)])


def _rgb(pixels, size):
    im = Image.new('RGB', size)
    im.putdata(pixels)
    return im


# --------------------------------------------------------------------- icon
KEY = (255, 0, 255)


def icon(write):
    s = 16
    full, _ = creature.render(s, 'fly', False)
    head = full.crop((int(3.0 * s), int(4.0 * s), int(52.0 * s), int(53.0 * s)))
    S = 8
    small = head.resize((32 * S, 32 * S), Image.LANCZOS).resize((32, 32), Image.BOX)
    pix = []
    for (r, g, b, a) in small.getdata():
        if a < 120:
            pix.append(KEY)
        else:
            t = a / 255.0
            pix.append(tuple(int(round(c * t + e * (1 - t))) for c, e in zip((r, g, b), creature.OUTLINE)))
    im = _rgb(pix, (32, 32))
    # a few colours are kept exactly so the eyes stay clear at this size
    keep = [KEY, (255, 255, 255), (34, 22, 48), creature.OUTLINE]
    _, pal, _ = quantize(im, 16, reserve=keep)
    def near(p):
        if p == KEY:
            return pal.index(KEY)
        return min((sum((a - b) ** 2 for a, b in zip(p, q)), i) for i, q in enumerate(pal) if q != KEY)[1]
    idx = [near(p) for p in pix]
    write('Icon.bmp', 32, 32, 4, idx, pal)


def make_all(write):
    gun(write)
    lanterns(write)
    icon(write)

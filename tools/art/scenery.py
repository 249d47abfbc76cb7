"""Backdrop (sky and distant country) and the foreground landscape with the
mill tower.  Both are drawn in world coordinates: x 0..800, y 0..250; the
landscape picture starts at world row 44."""
import math
import random
from PIL import Image, ImageFilter, ImageDraw
from common import Canvas, field, mix, quantize, clip, over, solid

WW, WH = 800, 250
LAND_TOP = 44
BG = (248, 248, 248)


def wave(x, parts):
    return sum(a * math.sin(x / p + ph) for (a, p, ph) in parts)


# ------------------------------------------------------------------ backdrop
def sky_colour(x, y):
    t = y / 200.0
    if t < 0.55:
        c = mix((64, 112, 186), (132, 178, 226), t / 0.55)
    else:
        c = mix((132, 178, 226), (246, 222, 190), min(1.0, (t - 0.55) / 0.45))
    # a warm glow low over the right side, where the sun goes down
    g = max(0.0, 1 - math.hypot((x - 620) / 260.0, (y - 175) / 120.0))
    return mix(c, (255, 214, 160), g * g * 0.55)


def cloud(c, x, y, w, h, rnd):
    """A soft cumulus: lit puffs with a shaded, flat underside."""
    puffs = []
    for i in range(9):
        px = x + rnd.uniform(-0.5, 0.5) * w
        py = y - rnd.uniform(0, 0.5) * h * (1 - abs(px - x) / w)
        r = rnd.uniform(0.22, 0.38) * w * (1 - 0.8 * abs(px - x) / w)
        puffs.append((px, py, r))
    shape = Canvas(c.w, c.h, c.s)
    for (px, py, r) in puffs:
        shape.ellipse(px, py, r, r * 0.78, fill=(255, 255, 255, 255))
    # flat bottom
    shape.im.paste((0, 0, 0, 0), (0, int((y + h * 0.3) * c.s), shape.im.width, shape.im.height))
    a = shape.alpha().filter(ImageFilter.GaussianBlur(1.2 * c.s))
    top, bot = y - h * 0.9, y + h * 0.3
    s = c.s
    col = field(c.im.size, lambda X, Y: mix((255, 253, 248), (196, 206, 228), max(0.0, min(1.0, (Y / s - top) / (bot - top))) ** 1.6), step=4)
    # each puff gets a bright, sunlit upper left
    lit = Canvas(c.w, c.h, c.s)
    for (px, py, r) in puffs:
        lit.ellipse(px - r * 0.2, py - r * 0.25, r * 0.6, r * 0.45, fill=(255, 255, 255, 110))
    col = col.convert('RGBA')
    col.alpha_composite(lit.im.filter(ImageFilter.GaussianBlur(2 * s)))
    col.putalpha(a.point(lambda v: int(v * 0.96)))
    c.im.alpha_composite(col)


def ridge(c, f, top_col, bot_col, y0, y1, step=2):
    pts = [(x, f(x)) for x in range(-4, WW + 6, step)] + [(WW + 6, WH + 2), (-4, WH + 2)]
    sh = Canvas(c.w, c.h, c.s)
    sh.oy = c.oy
    sh.polygon(pts, (255, 255, 255, 255))
    fl = field(c.im.size, lambda x, y: mix(top_col, bot_col, max(0.0, min(1.0, (y / c.s - c.oy - y0) / (y1 - y0)))), step=8)
    fl = fl.convert('RGBA'); fl.putalpha(sh.alpha())
    c.im.alpha_composite(fl)
    return sh.alpha()


def back(write):
    rnd = random.Random(1701)
    s = 2
    c = Canvas(WW, WH, s)
    c.im = field(c.im.size, lambda x, y: sky_colour(x / s, y / s), step=4).convert('RGBA')
    c.d = ImageDraw.Draw(c.im)
    for (x, y, w, h) in ((90, 46, 120, 40), (300, 28, 90, 30), (470, 62, 150, 46),
                         (660, 34, 110, 34), (760, 92, 70, 22), (210, 100, 80, 22), (560, 118, 60, 16)):
        cloud(c, x, y, w, h, rnd)
    # far blue mountains
    f1 = lambda x: 150 + wave(x, ((14, 61, 0.3), (9, 23, 1.1), (4, 9, 2.0)))
    ridge(c, f1, (168, 180, 214), (190, 196, 214), 130, 200)
    # wooded hills
    f2 = lambda x: 176 + wave(x, ((10, 83, 2.2), (6, 37, 0.4), (2, 11, 1.3)))
    ridge(c, f2, (104, 142, 150), (128, 160, 150), 160, 210)
    forest = Canvas(WW, WH, s)
    for i in range(900):
        x = rnd.uniform(0, WW)
        y = f2(x) + rnd.uniform(-1, 14)
        r = rnd.uniform(2.2, 4.2)
        col = mix((70, 104, 112), (96, 132, 128), rnd.random())
        forest.ellipse(x, y, r * 0.8, r, fill=col + (255,))
        forest.ellipse(x - r * 0.3, y - r * 0.4, r * 0.35, r * 0.4, fill=(130, 162, 150, 255))
    c.im.alpha_composite(forest.im)
    # fields in front of the woods
    f3 = lambda x: 196 + wave(x, ((6, 97, 0.8), (3, 41, 2.5)))
    fa = ridge(c, f3, (170, 190, 110), (150, 176, 96), 186, 230)
    fl = Canvas(WW, WH, s)
    x = 0
    while x < WW:
        w = rnd.uniform(30, 70)
        col = rnd.choice([(196, 196, 110), (150, 184, 100), (214, 190, 120), (130, 170, 96), (180, 196, 120)])
        y = f3(x + w / 2)
        fl.polygon([(x, y + 4), (x + w, y + 2), (x + w + 20, WH), (x - 10, WH)], col + (255,))
        fl.line([(x + w, y + 2), (x + w + 20, WH)], (104, 140, 84, 255), 1.2)  # hedges
        x += w
    c.im.alpha_composite(clip(fl.im, fa))
    # a village with a church on the fields
    v = Canvas(WW, WH, s)
    for (hx, hw, hh) in ((404, 12, 8), (419, 10, 7), (448, 13, 9), (464, 9, 6), (476, 12, 8), (494, 10, 7)):
        by = f3(hx + hw / 2) + 3
        v.rect(hx, by - hh, hx + hw, by, (232, 222, 204, 255))
        v.rect(hx + hw * 0.6, by - hh, hx + hw, by, (204, 192, 176, 255))
        v.polygon([(hx - 1.5, by - hh), (hx + hw / 2, by - hh - hw * 0.55), (hx + hw + 1.5, by - hh)], (184, 84, 64, 255))
        v.rect(hx + 2, by - hh + 2.5, hx + 4, by - hh + 4.5, (90, 84, 96, 255))
    bx, by = 434, f3(437) + 3
    v.rect(bx, by - 22, bx + 7, by, (236, 228, 212, 255))
    v.rect(bx + 4, by - 22, bx + 7, by, (206, 196, 180, 255))
    v.polygon([(bx - 1, by - 22), (bx + 3.5, by - 38), (bx + 8, by - 22)], (96, 124, 128, 255))
    v.line([(bx + 3.5, by - 38), (bx + 3.5, by - 42)], (80, 80, 80, 255), 0.6)
    v.rect(bx + 2.5, by - 18, bx + 4.5, by - 14, (80, 74, 90, 255))
    v.rect(bx + 7, by - 9, bx + 20, by, (236, 228, 212, 255))
    v.polygon([(bx + 7, by - 9), (bx + 7, by - 14), (bx + 21.5, by - 9)], (174, 80, 60, 255))
    for i in range(40):       # trees among the houses
        x = rnd.uniform(392, 510)
        y = f3(x) + rnd.uniform(0, 5)
        v.ellipse(x, y, 3, 3.6, fill=mix((90, 130, 80), (120, 150, 90), rnd.random()) + (255,))
    c.im.alpha_composite(v.im.filter(ImageFilter.GaussianBlur(0.25 * s)))
    rgb = c.im.resize((WW, WH), Image.BOX).convert('RGB')
    idx, pal, _ = quantize(rgb, 256, dither=True)
    write('Back.bmp', WW, WH, 8, idx, pal)
    return rgb


# --------------------------------------------------------------- landscape
MILL_X = 79.0


def meadow_line(x):
    """World row of the back meadow's edge."""
    y = 205 + wave(x, ((6, 64, 0.5), (3.5, 29, 2.1), (1.2, 9, 0.7)))
    # the mill's mound
    m = math.exp(-((x - 62) / 70.0) ** 2)
    return y - m * 48


def front_line(x):
    return 234 + wave(x, ((4, 51, 1.9), (2.5, 23, 0.2)))


def draw_mill(c):
    cx = MILL_X
    top, base = 54.0, 170.0
    wt, wb = 15.0, 22.0                  # half widths at the top and at the base
    def hw(y):
        return wt + (wb - wt) * (y - top) / (base - top)
    # tower body, lit from the left
    sh = Canvas(c.w, c.h, c.s)
    sh.oy = c.oy
    sh.polygon([(cx - wt, top), (cx + wt, top), (cx + wb, base), (cx - wb, base)], (255, 255, 255, 255))
    s = c.s
    def tower(x, y):
        wy = y / s - c.oy
        u = (x / s - cx) / hw(max(top, min(base, wy)))
        lit = 1 - (u + 0.35) ** 2 * 1.1
        col = mix((160, 150, 150), (246, 240, 226), max(0.0, min(1.0, lit)))
        return mix(col, (226, 212, 190), max(0.0, min(1.0, (wy - 120) / 50)) * 0.5)
    tf = field(c.im.size, tower, step=4).convert('RGBA')
    tf.putalpha(sh.alpha())
    c.im.alpha_composite(tf)
    d = (60, 50, 52, 255)
    # stone footing
    for row in range(5):
        y = base - 4 - row * 4.0
        for k in range(-6, 7):
            x = cx + k * 6.5 + (3.2 if row % 2 else 0)
            if abs(x - cx) < hw(y) - 2:
                c.rect(x - 2.9, y - 1.6, x + 2.9, y + 1.6, mix((150, 140, 130), (196, 188, 176), 0.5 + 0.5 * math.sin(k * 3 + row)) + (255,))
    # outline of the tower
    c.line([(cx - wt, top), (cx - wb, base)], d, 1.2)
    c.line([(cx + wt, top), (cx + wb, base)], d, 1.2)
    # windows and door
    for (wy, ww, whh) in ((74, 4.0, 7.0), (104, 4.5, 8.0)):
        c.rect(cx - ww / 2 - 1, wy - 1, cx + ww / 2 + 1, wy + whh + 1, (120, 92, 70, 255))
        c.rect(cx - ww / 2, wy, cx + ww / 2, wy + whh, (40, 40, 60, 255))
        c.rect(cx - ww / 2, wy + whh * 0.5 - 0.4, cx + ww / 2, wy + whh * 0.5 + 0.4, (120, 92, 70, 255))
    c.rect(cx - 5.5, 148, cx + 5.5, 168, (92, 62, 40, 255))
    c.ellipse(cx, 148, 5.5, 4.5, fill=(92, 62, 40, 255))
    c.rect(cx - 4.5, 148, cx + 4.5, 168, (136, 92, 58, 255))
    c.ellipse(cx, 148.4, 4.5, 3.6, fill=(136, 92, 58, 255))
    for k in (-2, 0.2, 2.4):
        c.line([(cx + k, 146), (cx + k, 168)], (104, 70, 44, 255), 0.6)
    c.ellipse(cx + 2.8, 158, 0.7, 0.7, fill=(230, 200, 120, 255))
    # gallery (stage) around the tower
    gy = 126.0
    c.rect(cx - hw(gy) - 9, gy, cx + hw(gy) + 9, gy + 3, (86, 56, 36, 255))
    c.rect(cx - hw(gy) - 9, gy, cx + hw(gy) + 9, gy + 1.2, (140, 100, 64, 255))
    for k in range(-5, 6):
        x = cx + k * (hw(gy) + 8) / 5
        c.line([(x, gy - 7), (x, gy)], (86, 56, 36, 255), 0.9)
        if k in (-5, -2, 2, 5):
            c.line([(x, gy + 3), (cx + (x - cx) * 0.55, gy + 12)], (86, 56, 36, 255), 1.0)
    c.rect(cx - hw(gy) - 9, gy - 7.5, cx + hw(gy) + 9, gy - 6.2, (110, 74, 48, 255))
    # the cap: a boat-shaped wooden hood, seen from behind
    cap = [(cx - 19, 56.5), (cx - 17, 50.0), (cx - 11, 45.0), (cx - 4, 44.0), (cx + 4, 44.0),
           (cx + 11, 45.0), (cx + 17, 50.0), (cx + 19, 56.5)]
    c.polygon(cap + [(cx + 19, 58.5), (cx - 19, 58.5)], (58, 36, 30, 255))
    inner = [(x * 0.92 + cx * 0.08, y + 0.8) for (x, y) in cap]
    c.polygon(inner + [(cx + 17, 57.3), (cx - 17, 57.3)], (150, 70, 52, 255))
    for k in range(-15, 16, 3):       # planks
        c.line([(cx + k * 0.75, 45.5), (cx + k, 57.0)], (118, 54, 42, 255), 0.6)
    c.line([(cx - 13, 46.5), (cx - 16.5, 55)], (200, 110, 84, 255), 0.9)
    c.rect(cx - 20, 57.0, cx + 20, 60.0, (70, 46, 36, 255))
    c.rect(cx - 20, 57.0, cx + 20, 58.0, (130, 96, 70, 255))
    # tail pole and brace reaching down towards us
    c.line([(cx - 1, 59), (cx - 1, 126)], (72, 48, 32, 255), 2.0)
    c.line([(cx - 1.6, 60), (cx - 1.6, 125)], (128, 92, 60, 255), 0.6)
    c.line([(cx - 14, 60), (cx - 1, 100)], (72, 48, 32, 255), 1.2)
    c.line([(cx + 14, 60), (cx - 1, 100)], (72, 48, 32, 255), 1.2)


def bush(c, x, y, w, h, rnd):
    lay = Canvas(c.w, c.h, c.s); lay.oy = c.oy
    blobs = []
    for i in range(int(w * h / 40) + 6):
        bx = x + rnd.uniform(-0.5, 0.5) * w
        top = y - h * (1 - (2 * (bx - x) / w) ** 2) ** 0.5
        by = rnd.uniform(top + 3, y + 2)
        blobs.append((bx, by, rnd.uniform(3.0, 6.0)))
    for (bx, by, r) in blobs:
        lay.ellipse(bx, by, r, r * 0.9, fill=(34, 76, 40, 255))
    for (bx, by, r) in blobs:
        lay.ellipse(bx - 0.8, by - 1.0, r * 0.8, r * 0.7, fill=mix((60, 118, 52), (92, 150, 62), rnd.random()) + (255,))
    for (bx, by, r) in blobs:
        if rnd.random() < 0.6:
            lay.ellipse(bx - r * 0.35, by - r * 0.45, r * 0.35, r * 0.28, fill=(150, 196, 90, 255))
    for i in range(int(w / 6)):
        fx = x + rnd.uniform(-0.4, 0.4) * w
        fy = rnd.uniform(y - h * 0.7, y - 2)
        lay.ellipse(fx, fy, 0.9, 0.9, fill=rnd.choice([(250, 240, 250), (250, 200, 220), (255, 236, 120)]) + (255,))
    c.im.alpha_composite(lay.im)


def stone(c, x, y, w, h):
    c.ellipse(x, y - h / 2, w / 2, h / 2, fill=(78, 76, 82, 255))
    c.ellipse(x - 0.4, y - h / 2 - 0.4, w / 2 - 1, h / 2 - 1, fill=(140, 138, 140, 255))
    c.ellipse(x - w * 0.15, y - h * 0.68, w * 0.22, h * 0.16, fill=(200, 198, 196, 255))
    c.ellipse(x + w * 0.1, y - h * 0.25, w * 0.2, h * 0.12, fill=(112, 136, 80, 255))


def fence(c, x0, x1, rnd):
    x = x0
    posts = []
    while x <= x1:
        posts.append(x)
        x += rnd.uniform(24, 28)
    col, dk, lt = (140, 104, 70), (72, 50, 34), (190, 156, 112)
    def top(px):
        return meadow_line(px) - 20
    for a, b in zip(posts, posts[1:]):
        for off in (6.0, 13.5):
            ya, yb = top(a) + off, top(b) + off
            c.polygon([(a, ya - 1.6), (b, yb - 1.6), (b, yb + 1.6), (a, ya + 1.6)], dk + (255,))
            c.polygon([(a, ya - 1.0), (b, yb - 1.0), (b, yb + 0.6), (a, ya + 0.6)], col + (255,))
            c.line([(a, ya - 0.8), (b, yb - 0.8)], lt + (255,), 0.5)
    for p in posts:
        t = top(p) + rnd.uniform(-1, 1)
        c.polygon([(p - 2.2, t + 1.5), (p, t - 0.5), (p + 2.2, t + 1.5), (p + 2.2, meadow_line(p) + 6), (p - 2.2, meadow_line(p) + 6)], dk + (255,))
        c.rect(p - 1.4, t + 1.2, p + 1.4, meadow_line(p) + 6, col + (255,))
        c.rect(p - 1.4, t + 1.2, p - 0.5, meadow_line(p) + 6, lt + (255,))


def flower(c, x, y, col, r=1.2, stem=0.0):
    if stem:
        c.line([(x, y), (x + 0.5, y + stem)], (60, 120, 40, 255), 0.7)
    for k in range(5):
        a = k * 2 * math.pi / 5
        c.ellipse(x + r * math.cos(a), y + r * math.sin(a), r * 0.75, r * 0.75, fill=col + (255,))
    c.ellipse(x, y, r * 0.6, r * 0.6, fill=(250, 200, 40, 255))


def tree(c, x, ground, rnd):
    lay = Canvas(c.w, c.h, c.s); lay.oy = c.oy
    lay.polygon([(x - 6, ground + 4), (x - 3.5, ground - 60), (x + 3.5, ground - 60), (x + 7, ground + 4)], (70, 50, 38, 255))
    lay.polygon([(x - 4.5, ground + 4), (x - 2.5, ground - 60), (x - 0.5, ground - 60), (x - 1, ground + 4)], (110, 84, 62, 255))
    lay.line([(x, ground - 44), (x - 18, ground - 70)], (70, 50, 38, 255), 2.6)
    lay.line([(x, ground - 52), (x + 16, ground - 78)], (70, 50, 38, 255), 2.2)
    cy = ground - 96
    blobs = []
    for i in range(70):
        a = rnd.uniform(0, 2 * math.pi)
        r = 30 * math.sqrt(rnd.random())
        blobs.append((x + r * math.cos(a) * 1.15, cy + r * math.sin(a) * 0.85, rnd.uniform(6, 10)))
    for (bx, by, r) in blobs:
        lay.ellipse(bx, by, r, r * 0.9, fill=(30, 70, 40, 255))
    for (bx, by, r) in blobs:
        lit = max(0.0, min(1.0, 0.5 - (bx - x) / 70 - (by - cy) / 50))
        lay.ellipse(bx - 1.2, by - 1.6, r * 0.78, r * 0.68, fill=mix((48, 100, 50), (110, 160, 70), lit) + (255,))
    for (bx, by, r) in blobs:
        if rnd.random() < 0.5 and bx < x + 8 and by < cy + 8:
            lay.ellipse(bx - r * 0.4, by - r * 0.5, r * 0.35, r * 0.25, fill=(170, 206, 100, 255))
    for i in range(9):   # apples
        a = rnd.uniform(0, 2 * math.pi); r = 24 * math.sqrt(rnd.random())
        lay.ellipse(x + r * math.cos(a), cy + r * math.sin(a) * 0.8, 1.4, 1.4, fill=(210, 40, 40, 255))
    c.im.alpha_composite(lay.im)


def grass_band(c, f, top_col, bot_col, y0, y1, rnd, blades, blade_cols):
    a = ridge(c, f, top_col, bot_col, y0, y1, step=1)
    g = Canvas(c.w, c.h, c.s); g.oy = c.oy
    # blades along the edge give a grassy outline
    x = -2.0
    while x < WW + 2:
        y = f(x)
        h = rnd.uniform(1.5, 5.5)
        lean = rnd.uniform(-1.6, 1.6)
        g.polygon([(x - 0.7, y + 1.5), (x + lean, y - h), (x + 0.7, y + 1.5)], top_col + (255,))
        x += rnd.uniform(0.8, 1.8)
    # texture inside
    for i in range(blades):
        x = rnd.uniform(0, WW)
        y = rnd.uniform(f(x) + 1, WH)
        h = rnd.uniform(1.5, 4.0) * (0.6 + (y - y0) / (WH - y0))
        col = rnd.choice(blade_cols)
        g.line([(x, y), (x + rnd.uniform(-1, 1), y - h)], col + (255,), 0.6)
    c.im.alpha_composite(g.im)
    return a


def land(write):
    rnd = random.Random(4242)
    s = 3
    c = Canvas(WW, WH - LAND_TOP, s)
    c.oy = -LAND_TOP
    draw_mill(c)
    # the tree at the far right stands behind the back meadow
    tree(c, 748, meadow_line(748) + 3, rnd)
    grass_band(c, meadow_line, (150, 196, 84), (92, 150, 56), 160, 250, rnd, 5000,
               [(120, 176, 70), (170, 210, 100), (96, 150, 58), (140, 190, 80)])
    for bx, w, h in ((156, 34, 20), (346, 26, 14), (472, 40, 24), (612, 30, 16), (690, 44, 22)):
        bush(c, bx, meadow_line(bx) + 3, w, h, rnd)
    fence(c, 196, 330, rnd)
    fence(c, 520, 596, rnd)
    for sx, w, h in ((250, 14, 9), (262, 8, 5), (432, 18, 11), (640, 10, 6), (118, 12, 7)):
        stone(c, sx, meadow_line(sx) + 4, w, h)
    for i in range(130):    # flowers in the back meadow
        x = rnd.uniform(0, WW)
        y = rnd.uniform(meadow_line(x) + 4, 236)
        flower(c, x, y, rnd.choice([(250, 246, 230), (255, 220, 70), (226, 60, 56), (176, 136, 226), (255, 220, 70)]), r=0.7)
    for i in range(14):     # a few tall daisies poking up
        x = rnd.uniform(170, 700)
        y = meadow_line(x) - rnd.uniform(5, 9)
        flower(c, x, y, (255, 255, 255), r=1.5, stem=10)
    # the front meadow, darker and closer
    grass_band(c, front_line, (92, 150, 52), (50, 102, 38), 228, 250, rnd, 2600,
               [(70, 126, 44), (120, 170, 66), (56, 110, 40)])
    for i in range(110):
        x = rnd.uniform(0, WW)
        y = rnd.uniform(front_line(x) + 2, 249)
        flower(c, x, y, rnd.choice([(236, 52, 48), (255, 220, 60), (255, 255, 255), (120, 140, 255)]), r=1.3)
    rgba = c.im.resize((WW, WH - LAND_TOP), Image.BOX)
    w, h = rgba.size
    pix, msk = [], []
    for (r, g, b, a) in rgba.getdata():
        if a >= 128:
            pix.append((r, g, b)); msk.append(0)
        else:
            pix.append(BG); msk.append(1)
    im = Image.new('RGB', (w, h)); im.putdata(pix)
    idx, pal, res = quantize(im, 256, dither=False, reserve=[BG])
    bi = res[BG]
    idx = [bi if m else i for i, m in zip(idx, msk)]
    write('Land.bmp', w, h, 8, idx, pal)
    write('LandMsk.bmp', w, h, 8, msk, [(0, 0, 0), (255, 255, 255)])


def make_all(write):
    back(write)
    land(write)

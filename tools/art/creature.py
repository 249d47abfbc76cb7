"""The Wibbel: a round furry creature carrying a lantern.

Drawn in sprite units (the sprite is 60 x 83 pixels) on a supersampled
canvas, so the same drawing serves the sprites, the title picture and the
icon.  Every pose shares one silhouette; only the lantern comes and goes.
"""
import math
import random
from PIL import Image, ImageFilter, ImageChops
from common import Canvas, clip, over, erode, solid, field, mix, star

W, H = 60, 83
CX, CY, R = 27.0, 38.0, 24.2          # body ball
FUR = (234, 156, 70)
FUR_LIGHT = (255, 214, 140)
FUR_DARK = (150, 78, 38)
OUTLINE = (88, 44, 26)
BELLY = (252, 222, 168)
FOOT = (247, 120, 92)
FOOT_DARK = (170, 62, 52)
METAL = (70, 74, 96)
METAL_LIGHT = (150, 158, 190)
METAL_DARK = (28, 26, 40)


def fur_outline(seed=7):
    rnd = random.Random(seed)
    pts = []
    n = 40
    for i in range(n):
        a0 = -math.pi / 2 + 2 * math.pi * i / n
        a1 = a0 + 2 * math.pi / n * 0.62        # tufts swept a little clockwise
        rv = R - 0.4 + rnd.uniform(-0.3, 0.3)
        rt = R + 1.9 + rnd.uniform(0.0, 0.9)
        pts.append((CX + rv * math.cos(a0), CY + rv * math.sin(a0)))
        pts.append((CX + rt * math.cos(a1), CY + rt * math.sin(a1)))
    return pts


def ear(side):
    # pointed fur tuft ears on the upper left / right of the ball
    base = -118 if side < 0 else -58
    a0, a1, at = math.radians(base - 13), math.radians(base + 13), math.radians(base + 4 * side)
    rb, rt = R - 3, R + 8.5
    p0 = (CX + rb * math.cos(a0), CY + rb * math.sin(a0))
    p1 = (CX + rb * math.cos(a1), CY + rb * math.sin(a1))
    tip = (CX + rt * math.cos(at), CY + rt * math.sin(at))
    mid0 = ((p0[0] + tip[0]) / 2 - 1.2 * side, (p0[1] + tip[1]) / 2)
    mid1 = ((p1[0] + tip[0]) / 2 + 0.6 * side, (p1[1] + tip[1]) / 2 + 0.3)
    return [p0, mid0, tip, mid1, p1]


def curl_pts():
    # the lock of hair on top of the head
    pts = []
    for i in range(14):
        t = i / 13.0
        a = math.radians(200 - 300 * t)
        r = 4.2 * (1 - 0.45 * t)
        pts.append((CX + 2.5 + r * math.cos(a) - 0.5, 7.0 + (1 - t) * 6.5 - r * math.sin(a) * 0.85))
    return pts


def fur_fill(c, pose):
    s = c.s
    def fn(x, y):
        dx, dy = (x / s - CX) / R, (y / s - CY) / R
        r2 = dx * dx + dy * dy
        lit = 0.55 - 0.55 * dx - 0.75 * dy
        col = mix(FUR_DARK, FUR, max(0.0, min(1.0, 0.65 + lit * 0.6 - r2 * 0.25)))
        hl = max(0.0, 1 - ((dx + 0.38) ** 2 + (dy + 0.45) ** 2) / 0.16)
        col = mix(col, FUR_LIGHT, hl * 0.75)
        if pose == 'hit':
            col = mix(col, (200, 170, 190), 0.12)
        return col
    return field(c.im.size, fn, step=int(2 * s))


def part(c, shape_alpha, fill_rgb, outline=OUTLINE, ow=1.0):
    """Outlined part: outline colour over the whole shape, fill inside."""
    lay = solid(c.im.size, outline, shape_alpha)
    inner = erode(shape_alpha, ow * c.s * 2)
    fill = fill_rgb.convert('RGBA') if isinstance(fill_rgb, Image.Image) else Image.new('RGBA', c.im.size, fill_rgb + (255,))
    fill.putalpha(inner)
    return over(lay, fill)


def shape(c, draw):
    t = Canvas(c.w, c.h, c.s)
    draw(t)
    return t.alpha()


def fur_strokes(c, alpha, seed, n, ruffled=False):
    rnd = random.Random(seed)
    t = Canvas(c.w, c.h, c.s)
    for i in range(n):
        a = rnd.uniform(0, 2 * math.pi)
        r = R * math.sqrt(rnd.uniform(0.04, 0.95))
        x, y = CX + r * math.cos(a), CY + r * math.sin(a)
        d = a + rnd.uniform(-0.5, 0.5) + (rnd.uniform(-1.6, 1.6) if ruffled else 0)
        ln = rnd.uniform(1.6, 3.2)
        dx, dy = math.cos(d) * ln, math.sin(d) * ln
        lit = -(x - CX) - (y - CY)
        belly = ((x - 27.5) / 14.0) ** 2 + ((y - 48.0) / 10.5) ** 2 < 1.0
        if rnd.random() < (0.2 if belly else 0.55):
            col = (150, 74, 34, 150) if lit < 8 else (196, 110, 50, 130)
            if belly:
                col = (220, 170, 110, 120)
        else:
            col = (255, 222, 160, 140) if lit > -10 else (246, 180, 100, 110)
        t.line([(x, y), (x + dx * 0.5 + dy * 0.15, y + dy * 0.5 - dx * 0.15), (x + dx, y + dy)], col, 0.55)
    return clip(t.im, alpha)


def eye_open(c, ex, ey, look=(1.3, 0.6), pupil=2.9, rx=4.4, ry=5.4):
    c.ellipse(ex, ey, rx + 0.8, ry + 0.8, fill=OUTLINE + (255,))
    c.ellipse(ex, ey, rx, ry, fill=(255, 255, 255, 255))
    px, py = ex + look[0], ey + look[1]
    c.ellipse(px, py, pupil, pupil * 1.08, fill=(34, 22, 48, 255))
    if pupil > 2:
        c.ellipse(px, py + 0.6, pupil * 0.55, pupil * 0.5, fill=(84, 52, 110, 255))
    c.ellipse(px - pupil * 0.38, py - pupil * 0.45, max(0.75, pupil * 0.4), max(0.75, pupil * 0.4), fill=(255, 255, 255, 255))
    c.ellipse(px + pupil * 0.4, py + pupil * 0.45, 0.45, 0.45, fill=(255, 255, 255, 230))


def face(c, pose):
    e1, e2 = (21.0, 30.5), (34.5, 30.0)
    if pose == 'hit':
        for (ex, ey) in (e1, e2):
            c.ellipse(ex, ey, 4.3, 4.6, fill=(252, 236, 214, 255))
            k = 2.7
            c.line([(ex - k, ey - k), (ex + k, ey + k)], OUTLINE + (255,), 1.3)
            c.line([(ex - k, ey + k), (ex + k, ey - k)], OUTLINE + (255,), 1.3)
        # wobbly open mouth
        c.ellipse(28.5, 41.2, 2.6, 1.7, fill=OUTLINE + (255,))
        c.ellipse(28.8, 41.9, 1.4, 0.8, fill=(230, 90, 100, 255))
        c.ellipse(15.5, 37.5, 3.0, 1.8, fill=(240, 110, 120, 120))
        c.ellipse(40.0, 36.8, 3.0, 1.8, fill=(240, 110, 120, 120))
        return
    if pose == 'shock':
        eye_open(c, *e1, look=(0.2, 0.0), pupil=1.3, rx=4.8, ry=6.0)
        eye_open(c, *e2, look=(0.2, 0.0), pupil=1.3, rx=4.8, ry=6.0)
        c.line([(17.5, 22.5), (20.5, 21.0), (24.0, 22.0)], OUTLINE + (255,), 0.9)
        c.line([(31.0, 21.6), (34.5, 20.5), (37.8, 22.0)], OUTLINE + (255,), 0.9)
        c.ellipse(28.5, 41.5, 2.3, 3.2, fill=OUTLINE + (255,))
        c.ellipse(28.5, 42.8, 1.3, 1.2, fill=(230, 90, 100, 255))
        # sweat drop
        c.polygon([(44.0, 19.0), (42.3, 23.2), (45.7, 23.2)], (150, 210, 255, 255))
        c.ellipse(44.0, 23.6, 1.75, 1.6, fill=(150, 210, 255, 255))
        c.ellipse(43.5, 23.2, 0.5, 0.6, fill=(255, 255, 255, 255))
        return
    eye_open(c, *e1)
    eye_open(c, *e2)
    c.ellipse(15.2, 38.0, 3.0, 1.8, fill=(246, 110, 110, 110))
    c.ellipse(40.2, 37.2, 3.0, 1.8, fill=(246, 110, 110, 110))
    c.ellipse(28.3, 36.6, 1.5, 1.0, fill=(120, 40, 50, 255))
    c.ellipse(27.9, 36.3, 0.5, 0.35, fill=(255, 200, 200, 200))
    c.line([(25.3, 39.0), (27.0, 40.6), (28.4, 39.6), (29.8, 40.6), (31.5, 39.0)], OUTLINE + (255,), 0.8)


def lantern(c, lit=True):
    """The lantern (columns 37..57, rows 46..68) on its own layer."""
    L = Canvas(c.w, c.h, c.s)
    ox = 47.0
    # bail
    pts = [(ox + 5.0 * math.cos(math.radians(a)), 52.8 - 6.0 * math.sin(math.radians(a))) for a in range(0, 181, 10)]
    L.line(pts, METAL_DARK + (255,), 1.6)
    L.line(pts, METAL_LIGHT + (255,), 0.6)
    # cap
    L.polygon([(ox - 4.2, 51.6), (ox + 4.2, 51.6), (ox + 8.6, 56.0), (ox - 8.6, 56.0)], METAL_DARK + (255,))
    L.polygon([(ox - 3.5, 52.4), (ox + 3.5, 52.4), (ox + 7.4, 55.3), (ox - 7.4, 55.3)], METAL + (255,))
    L.line([(ox - 3.0, 52.9), (ox - 6.3, 54.9)], METAL_LIGHT + (255,), 0.7)
    L.ellipse(ox, 51.2, 1.5, 1.1, fill=METAL_DARK + (255,))
    # glass
    L.rect(ox - 7.2, 56.0, ox + 7.2, 64.6, METAL_DARK + (255,))
    glass = Canvas(c.w, c.h, c.s)
    glass.rect(ox - 6.3, 56.6, ox + 6.3, 64.0, (255, 255, 255, 255))
    s = c.s
    if lit:
        gfn = lambda x, y: mix((255, 250, 200), (248, 150, 40), min(1.0, math.hypot((x / s - ox) / 7.0, (y / s - 60.5) / 5.0)))
    else:
        gfn = lambda x, y: mix((150, 160, 180), (70, 80, 100), min(1.0, math.hypot((x / s - ox) / 7.0, (y / s - 60.5) / 5.0)))
    g = field(c.im.size, gfn, step=int(s))
    g = g.convert('RGBA'); g.putalpha(glass.alpha())
    L.im = over(L.im, g)
    L.d = __import__('PIL.ImageDraw', fromlist=['Draw']).Draw(L.im)
    if lit:
        L.polygon([(ox, 57.3), (ox + 2.0, 61.0), (ox, 62.9), (ox - 2.0, 61.0)], (255, 120, 20, 255))
        L.polygon([(ox, 58.6), (ox + 1.1, 61.2), (ox, 62.4), (ox - 1.1, 61.2)], (255, 255, 230, 255))
    L.line([(ox - 3.6, 56.4), (ox - 3.6, 64.2)], METAL_DARK + (255,), 0.8)
    L.line([(ox + 3.6, 56.4), (ox + 3.6, 64.2)], METAL_DARK + (255,), 0.8)
    L.line([(ox - 5.6, 57.2), (ox - 5.6, 60.0)], (255, 255, 255, 200), 0.6)
    # base
    L.polygon([(ox - 8.0, 64.2), (ox + 8.0, 64.2), (ox + 9.9, 68.1), (ox - 9.9, 68.1)], METAL_DARK + (255,))
    L.polygon([(ox - 7.3, 64.9), (ox + 7.3, 64.9), (ox + 8.7, 67.3), (ox - 8.7, 67.3)], METAL + (255,))
    L.line([(ox - 6.6, 65.6), (ox + 6.0, 65.6)], METAL_LIGHT + (255,), 0.6)
    return L.im


def render(s, pose='fly', with_lantern=True):
    """Returns (full RGBA, visible-lantern alpha) on a canvas of scale s."""
    c = Canvas(W, H, s)
    size = c.im.size
    img = Image.new('RGBA', size, (0, 0, 0, 0))
    # legs, behind the ball
    legs = shape(c, lambda t: (t.line([(18.5, 58), (17.2, 75.5)], (0, 0, 0, 255), 6.4),
                               t.line([(33.0, 58), (34.0, 75.5)], (0, 0, 0, 255), 6.4)))
    img = over(img, part(c, legs, FUR_DARK))
    # feet
    for fx in (16.0, 34.5):
        f = shape(c, lambda t: t.ellipse(fx, 78.3, 7.3, 4.2, fill=(0, 0, 0, 255)))
        ff = field(size, lambda x, y, fx=fx: mix(FOOT, FOOT_DARK, max(0.0, min(1.0, (y / s - 76.5) / 5.0 + (x / s - fx) / 14.0))), step=int(s))
        img = over(img, part(c, f, ff))
        t = Canvas(W, H, s)
        for k in (-2.6, 0.0, 2.6):
            t.line([(fx + k, 80.2), (fx + k * 1.15, 82.0)], FOOT_DARK + (255,), 0.6)
        t.ellipse(fx - 2.5, 76.6, 2.4, 1.0, fill=(255, 190, 170, 160))
        img = over(img, t.im)
    # left paw, waving a little
    lp = shape(c, lambda t: t.ellipse(3.8, 45.5, 3.2, 3.8, fill=(0, 0, 0, 255)))
    # the ball with its ears and lock of hair
    def ball(t):
        t.polygon(fur_outline(), (0, 0, 0, 255))
        t.polygon(ear(-1), (0, 0, 0, 255))
        t.polygon(ear(+1), (0, 0, 0, 255))
        t.line(curl_pts(), (0, 0, 0, 255), 3.0)
    body = shape(c, ball)
    fill = fur_fill(c, pose)
    img = over(img, part(c, body, fill))
    inner = erode(body, 2 * s)
    # inner ear colour
    t = Canvas(W, H, s)
    for side in (-1, 1):
        e = ear(side)
        cx = sum(p[0] for p in e) / 5; cy = sum(p[1] for p in e) / 5
        t.polygon([(cx + (p[0] - cx) * 0.45, cy + (p[1] - cy) * 0.45 + 0.8) for p in e], (232, 120, 110, 200))
    img = over(img, clip(t.im, inner))
    # belly, soft edged
    t = Canvas(W, H, s)
    t.ellipse(27.5, 49.0, 14.5, 10.5, fill=BELLY + (255,))
    b = t.im.filter(ImageFilter.GaussianBlur(2.2 * s))
    img = over(img, clip(b, inner))
    img = over(img, fur_strokes(c, inner, 11 if pose != 'hit' else 12, 170, ruffled=(pose in ('hit', 'shock'))))
    # left paw in front of the ball
    img = over(img, part(c, lp, FUR))
    t = Canvas(W, H, s)
    t.line([(2.6, 47.0), (3.2, 48.6)], OUTLINE + (255,), 0.5)
    t.line([(4.6, 47.4), (4.9, 49.0)], OUTLINE + (255,), 0.5)
    img = over(img, t.im)
    # face
    t = Canvas(W, H, s)
    t.oy = CY - 37.0
    face(t, pose)
    img = over(img, t.im)
    if pose == 'hit':
        t = Canvas(W, H, s)
        for (x, y, r, rot) in ((11.5, 19.5, 3.2, -80), (26.0, 17.0, 3.6, -95), (41.0, 17.0, 3.0, -100)):
            t.polygon(star(x, y, r + 0.9, (r + 0.9) * 0.45, rot=rot), OUTLINE + (255,))
            t.polygon(star(x, y, r, r * 0.42, rot=rot), (255, 236, 80, 255))
            t.ellipse(x - 0.5, y - 0.6, 0.6, 0.6, fill=(255, 255, 230, 255))
        img = over(img, clip(t.im, inner))
    # lantern, then the paw that grips its bail
    lan_alpha = Image.new('L', size, 0)
    if with_lantern:
        lan = lantern(c, lit=True)
        img = over(img, lan)
        lan_alpha = lan.getchannel('A')
    arm = shape(c, lambda t: (t.line([(41.5, 40.5), (45.0, 45.0), (47.0, 47.8)], (0, 0, 0, 255), 4.3),
                              t.ellipse(47.0, 48.3, 3.0, 2.7, fill=(0, 0, 0, 255))))
    img = over(img, part(c, arm, FUR))
    t = Canvas(W, H, s)
    t.line([(45.6, 49.6), (46.2, 50.6)], OUTLINE + (255,), 0.5)
    t.line([(47.6, 49.8), (48.0, 50.8)], OUTLINE + (255,), 0.5)
    img = over(img, clip(t.im, arm))
    vis = ImageChops.multiply(lan_alpha, ImageChops.invert(arm))
    return img, vis

"""The mill's sail wheel: four lattice sails, six frames of a quarter turn."""
import math
from PIL import Image
from common import Canvas, flatten_on_white

W, H = 141, 140
C = (70.5, 70.5)          # hub: centre of pixel (70, 70)
S = 8
WOOD = (104, 72, 48)
WOOD_DARK = (58, 38, 26)
WOOD_LIGHT = (160, 120, 82)
BOARD = (190, 172, 140)
IRON = (40, 40, 48)


def arm(c, ang):
    """One sail, pointing in direction ang (screen radians); lattice on the
    trailing side so that the wheel turns counter-clockwise."""
    ux, uy = math.cos(ang), math.sin(ang)
    vx, vy = -uy, ux                    # trailing side
    def P(r, l):
        return (C[0] + ux * r + vx * l, C[1] + uy * r + vy * l)
    def quad(r0, r1, l0, l1, col):
        c.polygon([P(r0, l0), P(r1, l0), P(r1, l1), P(r0, l1)], col)
    r0, r1 = 15.0, 68.8
    # leading board
    quad(r0 + 2, r1 - 1, -4.2, -1.0, WOOD_DARK + (255,))
    quad(r0 + 2.6, r1 - 1.6, -3.5, -1.3, BOARD + (255,))
    # lattice: rails along the sail ...
    for (l0, l1, col) in ((12.0, 14.2, WOOD_DARK), (12.3, 13.6, WOOD),
                          (6.5, 7.7, WOOD_DARK), (6.7, 7.4, WOOD)):
        quad(r0, r1, l0, l1, col + (255,))
    # ... and bars across it
    n = 12
    for i in range(n + 1):
        r = r0 + (r1 - r0 - 1.2) * i / n
        quad(r, r + 1.3, 1.0, 14.2, WOOD_DARK + (255,))
        quad(r + 0.2, r + 1.0, 1.0, 13.9, WOOD + (255,))
    # the stock (whip) itself
    quad(4.0, r1 + 0.8, -1.4, 1.6, WOOD_DARK + (255,))
    quad(4.0, r1 + 0.4, -0.9, 0.7, WOOD_LIGHT + (255,))


def frame0():
    c = Canvas(W, H, S)
    for k in range(4):
        arm(c, math.radians(-90 + 90 * k))
    # hub with its iron cross
    c.ellipse(C[0], C[1], 6.8, 6.8, fill=IRON + (255,))
    c.ellipse(C[0] - 0.6, C[1] - 0.6, 5.2, 5.2, fill=(78, 74, 80, 255))
    c.ellipse(C[0], C[1], 2.4, 2.4, fill=IRON + (255,))
    for k in range(4):
        a = math.radians(45 + 90 * k)
        c.ellipse(C[0] + 3.9 * math.cos(a), C[1] + 3.9 * math.sin(a), 0.8, 0.8, fill=(150, 146, 150, 255))
    return c.im


def frames():
    f0 = frame0()
    out = []
    for n in range(6):
        hi = f0.rotate(15 * n, resample=Image.BICUBIC, center=(C[0] * S, C[1] * S)) if n else f0
        out.append(hi.resize((W, H), Image.BOX))
    return out


def make_all(write):
    LO, HI = 20, 236
    for n, rgba in enumerate(frames()):
        img, msk = [], []
        for (r, g, b, av) in rgba.getdata():
            p = (r, g, b)          # edge pixels keep the wood colour (see sprites.py)
            if av < LO:
                img.append((255, 255, 255)); msk.append(255)
            else:
                img.append(p); msk.append(0 if av > HI else 255 - av)
        write('Fluegel%d.bmp' % n, W, H, 24, img)
        masks = msk
        write('Fluegel%d.bmp' % (n + 6), W, H, 8, masks, [(i, i, i) for i in range(256)])

"""Shared helpers for drawing the game's pictures with Pillow."""
import math
from PIL import Image, ImageDraw, ImageChops, ImageFilter

WHITE = (255, 255, 255)


class Canvas:
    """Supersampled RGBA drawing surface addressed in target-pixel units."""

    def __init__(self, w, h, s, bg=(0, 0, 0, 0)):
        self.w, self.h, self.s = w, h, s
        self.im = Image.new('RGBA', (int(round(w * s)), int(round(h * s))), bg)
        self.d = ImageDraw.Draw(self.im)
        self.ox = self.oy = 0.0      # drawing offset, in target pixels

    def P(self, pts):
        s = self.s
        return [((x + self.ox) * s, (y + self.oy) * s) for (x, y) in pts]

    def ellipse(self, cx, cy, rx, ry, fill=None, outline=None, width=0):
        s = self.s
        cx += self.ox; cy += self.oy
        self.d.ellipse([(cx - rx) * s, (cy - ry) * s, (cx + rx) * s, (cy + ry) * s],
                       fill=fill, outline=outline, width=int(round(width * s)))

    def polygon(self, pts, fill):
        self.d.polygon(self.P(pts), fill=fill)

    def line(self, pts, fill, width=1.0, joint='curve'):
        self.d.line(self.P(pts), fill=fill, width=max(1, int(round(width * self.s))), joint=joint)
        # round caps
        r = width * self.s / 2
        if r >= 1.5:
            for (x, y) in (pts[0], pts[-1]):
                x += self.ox; y += self.oy
                self.d.ellipse([x * self.s - r, y * self.s - r, x * self.s + r, y * self.s + r], fill=fill)

    def rect(self, x0, y0, x1, y1, fill):
        s = self.s
        x0 += self.ox; x1 += self.ox; y0 += self.oy; y1 += self.oy
        self.d.rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=fill)

    def alpha(self):
        return self.im.getchannel('A')

    def down(self):
        return self.im.resize((self.w, self.h), Image.BOX)


def new_layer(c):
    return Canvas(c.w, c.h, c.s)


def clip(layer_im, alpha_mask):
    """Multiply a layer's alpha with a mask (L image)."""
    r, g, b, a = layer_im.split()
    a = ImageChops.multiply(a, alpha_mask)
    return Image.merge('RGBA', (r, g, b, a))


def over(base, top):
    return Image.alpha_composite(base, top)


def erode(alpha, px):
    n = int(px) | 1
    return alpha.filter(ImageFilter.MinFilter(n)) if n > 1 else alpha


def dilate(alpha, px):
    n = int(px) | 1
    return alpha.filter(ImageFilter.MaxFilter(n)) if n > 1 else alpha


def solid(size, col, alpha):
    im = Image.new('RGBA', size, col + (255,) if len(col) == 3 else col)
    im.putalpha(alpha)
    return im


def field(size, fn, step=4):
    """RGB image from fn(x, y) -> (r, g, b), evaluated on a coarse grid of
    `step` pixels and smoothly enlarged (cheap shading fields)."""
    w, h = size
    cw, ch = max(2, w // step + 1), max(2, h // step + 1)
    im = Image.new('RGB', (cw, ch))
    im.putdata([tuple(int(max(0, min(255, v))) for v in fn(x * w / (cw - 1), y * h / (ch - 1)))
                for y in range(ch) for x in range(cw)])
    return im.resize((w, h), Image.BILINEAR)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def flatten_on_white(rgba):
    """Blend an RGBA picture onto white; returns (RGB image, alpha L image)."""
    bg = Image.new('RGBA', rgba.size, (255, 255, 255, 255))
    return Image.alpha_composite(bg, rgba).convert('RGB'), rgba.getchannel('A')


def quantize(rgb, colors, dither=False, reserve=()):
    """Reduce an RGB picture to a palette.  Returns (indices, palette).
    Colours in `reserve` are appended to the palette as exact entries
    (their indices are returned in a dict)."""
    n = colors - len(reserve)
    q = rgb.quantize(colors=n, method=Image.Quantize.MEDIANCUT,
                     dither=Image.Dither.FLOYDSTEINBERG if dither else Image.Dither.NONE)
    pal_flat = q.getpalette()
    idx = list(q.getdata())
    used = max(idx) + 1
    pal = [tuple(pal_flat[3 * i:3 * i + 3]) for i in range(used)]
    res = {}
    for c in reserve:
        if c in pal:
            res[c] = pal.index(c)
        else:
            res[c] = len(pal)
            pal.append(c)
    return idx, pal, res


def grey_palette():
    return [(i, i, i) for i in range(256)]


def star(cx, cy, r1, r2, n=5, rot=-90):
    pts = []
    for i in range(2 * n):
        r = r1 if i % 2 == 0 else r2
        a = math.radians(rot + i * 180.0 / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts

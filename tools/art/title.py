"""Title picture: night over the meadow, the Wibbel with its lantern, the
mill in silhouette and the lettering.  The rectangle x 120..313, y 80..153
stays dark and quiet: the title window writes its texts there."""
import math
import random
from PIL import Image, ImageDraw, ImageFont, ImageFilter, ImageChops
from common import Canvas, field, mix, quantize, over
import creature

TW, TH = 338, 179
QUIET = (120, 80, 313, 153)
FONT = '/usr/share/fonts/truetype/lato/Lato-Black.ttf'


def in_quiet(x, y, pad=4):
    return QUIET[0] - pad <= x <= QUIET[2] + pad and QUIET[1] - pad <= y <= QUIET[3] + pad


def sky(x, y):
    t = y / TH
    c = mix((8, 10, 30), (22, 30, 70), min(1.0, t * 1.1))
    g = max(0.0, 1 - math.hypot((x - 318) / 90.0, (y - 20) / 70.0))   # moonlight
    return mix(c, (52, 62, 110), g * g * 0.6)


def lettering(s):
    """Returns an RGBA image (TW*s x TH*s) with the word mark."""
    text = 'Knuffelhatz'
    size = 50 * s
    font = ImageFont.truetype(FONT, size)
    # lay out letter by letter with a little bounce
    widths = [font.getlength(ch) for ch in text]
    total = sum(widths) - 1.5 * s * (len(text) - 1)
    x = (TW * s - total) / 2
    base = 8 * s
    glyph_alpha = Image.new('L', (TW * s, TH * s), 0)
    d = ImageDraw.Draw(glyph_alpha)
    for i, ch in enumerate(text):
        dy = 3.0 * s * math.sin(i * 1.3 + 0.4)
        d.text((x, base + dy), ch, font=font, fill=255)
        x += widths[i] - 1.5 * s
    bbox = glyph_alpha.getbbox()
    y0, y1 = bbox[1] / s, bbox[3] / s
    fill = field((TW * s, TH * s), lambda px, py: (
        mix((255, 244, 170), (250, 170, 60), max(0.0, min(1.0, (py / s - y0) / (y1 - y0) * 1.1)))
        if (py / s - y0) / (y1 - y0) < 0.5 or True else (0, 0, 0)), step=2 * s)
    out = Image.new('RGBA', (TW * s, TH * s), (0, 0, 0, 0))
    # warm glow, then a thick dark outline, a lighter inner rim, the fill
    glow = glyph_alpha.filter(ImageFilter.MaxFilter(4 * s + 1)).filter(ImageFilter.GaussianBlur(5 * s))
    g = Image.new('RGBA', out.size, (255, 170, 60, 255)); g.putalpha(glow.point(lambda v: v * 0.45))
    out = over(out, g)
    shadow = glyph_alpha.filter(ImageFilter.MaxFilter(2 * s + 1))
    sh = Image.new('RGBA', out.size, (20, 8, 4, 255)); sh.putalpha(ImageChops.offset(shadow, 2 * s, 3 * s))
    out = over(out, sh)
    ol = Image.new('RGBA', out.size, (70, 30, 14, 255)); ol.putalpha(glyph_alpha.filter(ImageFilter.MaxFilter(2 * s + 1)))
    out = over(out, ol)
    f = fill.convert('RGBA'); f.putalpha(glyph_alpha)
    out = over(out, f)
    # a shine across the upper half of the letters
    shine = ImageChops.multiply(glyph_alpha.filter(ImageFilter.MinFilter(s + 1 | 1)),
                                field((TW * s, TH * s), lambda px, py: (255, 255, 255) if py / s < y0 + (y1 - y0) * 0.38 else (0, 0, 0), step=s).convert('L'))
    w = Image.new('RGBA', out.size, (255, 255, 230, 255)); w.putalpha(shine.point(lambda v: v * 0.55))
    out = over(out, w)
    return out


def make_all(write):
    rnd = random.Random(99)
    s = 3
    c = Canvas(TW, TH, s)
    c.im = field(c.im.size, lambda x, y: sky(x / s, y / s), step=3).convert('RGBA')
    c.d = ImageDraw.Draw(c.im)
    # stars, never in the quiet rectangle
    for i in range(140):
        x, y = rnd.uniform(0, TW), rnd.uniform(0, 150)
        if in_quiet(x, y, 8):
            continue
        b = rnd.uniform(0.35, 1.0)
        c.ellipse(x, y, 0.35 + 0.35 * b, 0.35 + 0.35 * b, fill=mix((40, 50, 90), (250, 250, 255), b) + (255,))
    for (x, y) in ((112, 14), (20, 30), (262, 76), (100, 76), (330, 58)):
        c.line([(x - 2.6, y), (x + 2.6, y)], (230, 236, 255, 255), 0.5)
        c.line([(x, y - 2.6), (x, y + 2.6)], (230, 236, 255, 255), 0.5)
        c.ellipse(x, y, 0.8, 0.8, fill=(255, 255, 255, 255))
    # moon
    c.ellipse(318, 20, 12.5, 12.5, fill=(236, 232, 200, 255))
    c.ellipse(323, 16, 11.5, 11.5, fill=sky(323, 16) + (255,))
    halo = Canvas(TW, TH, s)
    halo.ellipse(318, 20, 19, 19, fill=(200, 210, 255, 40))
    c.im = over(c.im, halo.im.filter(ImageFilter.GaussianBlur(4 * s)))
    c.d = ImageDraw.Draw(c.im)
    # far hill and the mill in silhouette at the right
    hill = [(x, 160 - 9 * math.exp(-((x - 320) / 60.0) ** 2) + 2 * math.sin(x / 23.0)) for x in range(0, TW + 4, 2)]
    c.polygon(hill + [(TW + 4, TH + 2), (0, TH + 2)], (14, 22, 38, 255))
    mx, my = 331.0, 146.0
    sil = (6, 8, 20, 255)
    c.polygon([(mx - 6, my + 2), (mx + 6, my + 2), (mx + 9, TH + 1), (mx - 9, TH + 1)], sil)
    c.polygon([(mx - 8, my + 3), (mx - 6, my - 2), (mx + 6, my - 2), (mx + 8, my + 3)], sil)
    c.rect(mx - 1.5, my + 12, mx + 1.5, my + 17, (255, 200, 90, 255))
    for k in range(4):
        a = math.radians(45 + 90 * k)
        ux, uy = math.cos(a), math.sin(a)
        vx, vy = -uy, ux
        c.line([(mx, my), (mx + ux * 25, my + uy * 25)], sil, 1.3)
        for r in range(8, 25, 3):
            c.line([(mx + ux * r, my + uy * r), (mx + ux * r + vx * 5, my + uy * r + vy * 5)], sil, 0.7)
        c.line([(mx + ux * 8 + vx * 5, my + uy * 8 + vy * 5), (mx + ux * 24 + vx * 5, my + uy * 24 + vy * 5)], sil, 0.7)
    c.ellipse(mx, my, 2, 2, fill=sil)
    # near meadow along the bottom
    near = [(x, 168 - 7 * math.exp(-((x - 55) / 50.0) ** 2) + 1.5 * math.sin(x / 11.0)) for x in range(0, TW + 4, 2)]
    c.polygon(near + [(TW + 4, TH + 2), (0, TH + 2)], (10, 30, 26, 255))
    for i in range(500):
        x = rnd.uniform(0, TW)
        y0 = 168 - 7 * math.exp(-((x - 55) / 50.0) ** 2) + 1.5 * math.sin(x / 11.0)
        c.line([(x, y0 + 2), (x + rnd.uniform(-1.2, 1.2), y0 - rnd.uniform(1, 4))], mix((10, 30, 26), (30, 64, 46), rnd.random()) + (255,), 0.5)
    # the Wibbel with its lantern, and the lantern's glow
    k = 1.55
    wx, wy = 6.0, 48.0
    lx, ly = wx + 47 * k, wy + 60 * k
    glow = Canvas(TW, TH, s)
    glow.ellipse(lx, ly, 34, 30, fill=(255, 180, 70, 150))
    glow.ellipse(lx, ly, 16, 14, fill=(255, 214, 120, 190))
    glow_im = glow.im.filter(ImageFilter.GaussianBlur(9 * s))
    gx0 = int(118 * s)
    glow_im.paste((0, 0, 0, 0), (gx0, 0, glow_im.width, glow_im.height))
    glow_im = glow_im.filter(ImageFilter.GaussianBlur(2 * s))
    c.im = over(c.im, glow_im)
    c.d = ImageDraw.Draw(c.im)
    w, _ = creature.render(8, 'fly', True)
    w = w.resize((int(round(60 * k * s)), int(round(83 * k * s))), Image.LANCZOS)
    # warm light on the side facing the lantern, night tint elsewhere
    r, g, b, a = w.split()
    lit = field(w.size, lambda x, y: mix((150, 150, 200), (255, 236, 200), max(0.0, min(1.0, 1.15 - math.hypot(x / (k * s) - 47, y / (k * s) - 60) / 45))), step=4)
    w = Image.merge('RGBA', (*ImageChops.multiply(Image.merge('RGB', (r, g, b)), lit).split(), a))
    c.im.alpha_composite(w, (int(wx * s), int(wy * s)))
    for (fx, fy) in ((20, 44), (104, 58), (112, 120), (30, 150), (100, 160), (250, 165), (290, 162)):
        c.ellipse(fx, fy, 2.4, 2.4, fill=(255, 230, 120, 60))
        c.ellipse(fx, fy, 0.8, 0.8, fill=(255, 250, 190, 255))
    c.im = over(c.im, lettering(s))
    rgb = c.im.resize((TW, TH), Image.BOX).convert('RGB')
    # the quiet rectangle gets nothing but the plain night gradient
    calm = Image.new('RGB', (TW, TH))
    calm.putdata([sky(x + 0.5, y + 0.5) for y in range(TH) for x in range(TW)])
    rgb.paste(calm.crop(QUIET[:2] + (QUIET[2] + 1, QUIET[3] + 1)), QUIET[:2])
    idx, pal, _ = quantize(rgb, 256, dither=True)
    write('Title.bmp', TW, TH, 8, idx, pal)

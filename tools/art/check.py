#!/usr/bin/python3
"""Checks the baked pictures in assets/: sizes, depths, no compression,
the mask rules, the hit-zone colour code and the crosshair geometry."""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from bmpio import read_bmp  # noqa: E402

ASSETS = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', '..', 'assets')
WHITE, BLACK, RED = (255, 255, 255), (0, 0, 0), (255, 0, 0)
errors = []
checked = []


def fail(msg):
    errors.append(msg)


def ok(msg):
    checked.append(msg)


CATALOGUE = {
    'Back.bmp': (800, 250, 8), 'Land.bmp': (800, 206, 8), 'LandMsk.bmp': (800, 206, 8),
    'Wibbel.bmp': (60, 83, 8), 'WibbelMsk.bmp': (60, 83, 8), 'Wibbel3.bmp': (60, 83, 8),
    'Wibbel2Msk.bmp': (60, 83, 8), 'Wibbel4.bmp': (60, 83, 8), 'Wibbel2.bmp': (60, 83, 8),
    'WibbelPts.bmp': (60, 82, 24),
    'Laterne0.bmp': (22, 28, 8), 'Laterne1.bmp': (17, 18, 8), 'Laterne2.bmp': (13, 11, 8),
    'Laterne3.bmp': (22, 28, 8), 'Laterne4.bmp': (17, 18, 8), 'Laterne5.bmp': (13, 11, 8),
    'Gun.bmp': (64, 64, 8), 'GunMsk.bmp': (64, 64, 1),
    'Title.bmp': (338, 179, 8), 'Icon.bmp': (32, 32, 4),
}
for n in range(6):
    CATALOGUE['Fluegel%d.bmp' % n] = (141, 140, 24)
    CATALOGUE['Fluegel%d.bmp' % (n + 6)] = (141, 140, 8)

P = {}
for name, (w, h, bpp) in sorted(CATALOGUE.items()):
    path = os.path.join(ASSETS, name)
    if not os.path.exists(path):
        fail('%s missing' % name)
        continue
    b = read_bmp(path)
    P[name] = b
    if (b['width'], b['height'], b['bpp']) != (w, h, bpp):
        fail('%s is %dx%d %d-bit, want %dx%d %d-bit' % (name, b['width'], b['height'], b['bpp'], w, h, bpp))
    if b['compression'] != 0:
        fail('%s is compressed (%d)' % (name, b['compression']))
extra = sorted(set(os.listdir(ASSETS)) - set(CATALOGUE))
if extra:
    fail('unexpected files in assets: %s' % extra)
ok('%d pictures: sizes, bit depths, uncompressed' % len(CATALOGUE))
if errors:
    print('\n'.join(errors)); sys.exit(1)


def px(name):
    return P[name]['pixels']


def pair(image, mask, bg=WHITE, grey=True):
    im, m = px(image), px(mask)
    bad_bg = sum(1 for p, q in zip(im, m) if q == WHITE and p != bg)
    if bad_bg:
        fail('%s: %d pixels not background where %s is white' % (image, bad_bg, mask))
    if grey and any(q[0] != q[1] or q[1] != q[2] for q in m):
        fail('%s is not greyscale' % mask)
    if not any(q == BLACK for q in m):
        fail('%s has no black' % mask)
    ok('%s white outside %s' % (image, mask))


def two_colour(mask):
    cols = set(px(mask))
    if cols != {BLACK, WHITE}:
        fail('%s colours %s, want exactly black and white' % (mask, sorted(cols)[:6]))
    ok('%s: exactly black and white' % mask)


# backdrop
if len(P['Back.bmp']['palette']) > 256:
    fail('Back palette too large')
ok('Back.bmp opaque 8-bit')

# landscape
two_colour('LandMsk.bmp')
pair('Land.bmp', 'LandMsk.bmp', bg=(248, 248, 248), grey=False)
lm = px('LandMsk.bmp')
ok('LandMsk: %d landscape, %d clear pixels' % (lm.count(BLACK), lm.count(WHITE)))
# the sky must stay clear around the mill tower down to the sail tips
clear_left = all(lm[(wy - 44) * 800 + 20] == WHITE for wy in range(44, 114))
clear_right = all(lm[(wy - 44) * 800 + 140] == WHITE for wy in range(44, 114))
cap = lm[(47 - 44) * 800 + 79] == BLACK and lm[(100 - 44) * 800 + 79] == BLACK
if not (clear_left and clear_right and cap):
    fail('mill: tower at x 79 from row 47, sky beside it to row 113 (%s %s %s)' % (clear_left, clear_right, cap))
ok('mill tower in Land at x 79, sky left and right of it to world row 113')

# sails
for n in range(6):
    pair('Fluegel%d.bmp' % n, 'Fluegel%d.bmp' % (n + 6))
    if px('Fluegel%d.bmp' % (n + 6))[70 * 141 + 70] != BLACK:
        fail('Fluegel%d: hub not at (70, 70)' % n)
ok('sail hubs at (70, 70)')

# creature
two_greys = [q for q in px('WibbelMsk.bmp') if q not in (BLACK, WHITE)]
ok('WibbelMsk has %d anti-aliased edge pixels' % len(two_greys))
pair('Wibbel.bmp', 'WibbelMsk.bmp')
pair('Wibbel3.bmp', 'WibbelMsk.bmp')
pair('Wibbel2.bmp', 'Wibbel2Msk.bmp')
pair('Wibbel4.bmp', 'Wibbel2Msk.bmp')
m1, m2 = px('WibbelMsk.bmp'), px('Wibbel2Msk.bmp')
if any(b[0] < a[0] for a, b in zip(m1, m2)):
    fail('Wibbel2Msk reaches outside WibbelMsk')
ok('Wibbel2Msk lies inside WibbelMsk')

# hit-zone map
Z = px('WibbelPts.bmp')
img = px('Wibbel.bmp')
bad = 0
reds = []
hist = {}
for y in range(82):
    for x in range(60):
        z = Z[y * 60 + x]
        hist[z] = hist.get(z, 0) + 1
        m = m1[y * 60 + x]
        if z == WHITE and (img[y * 60 + x] != WHITE or m[0] < 128):
            bad += 1
        if z != WHITE and m == WHITE:
            bad += 1
        if z == RED:
            reds.append((x, y))
if bad:
    fail('WibbelPts: %d pixels disagree with the silhouette' % bad)
if not reds:
    fail('WibbelPts: no lantern')
else:
    xs, ys = [p[0] for p in reds], [p[1] for p in reds]
    if min(xs) < 37 or max(xs) > 57 or min(ys) < 46 or max(ys) > 68:
        fail('WibbelPts: red outside columns 37..57, rows 46..68: %s' % ((min(xs), max(xs), min(ys), max(ys)),))
    # red pixels must be lantern pixels in the sprite: the lantern's metal and glass
    ok('WibbelPts: lantern red %d pixels in columns %d..%d, rows %d..%d' % (len(reds), min(xs), max(xs), min(ys), max(ys)))
for band in ((0, 0, 255), (0, 255, 255), (0, 255, 0), (255, 255, 0)):
    if hist.get(band, 0) < 100:
        fail('WibbelPts: band %s too small' % (band,))
seams = [c for c in hist if c not in (WHITE, RED, (0, 0, 255), (0, 255, 255), (0, 255, 0), (255, 255, 0))]
ok('WibbelPts: white %d, red %d, bands %s, %d seam colours on %d pixels' % (
    hist.get(WHITE, 0), hist.get(RED, 0),
    [hist.get(b, 0) for b in ((0, 0, 255), (0, 255, 255), (0, 255, 0), (255, 255, 0))],
    len(seams), sum(hist[c] for c in seams)))
# bands run from top to bottom: blue, cyan, green, yellow
rows = {}
for i, z in enumerate(Z):
    rows.setdefault(z, []).append(i // 60)
order = [sum(rows[b]) / len(rows[b]) for b in ((0, 0, 255), (0, 255, 255), (0, 255, 0), (255, 255, 0))]
if order != sorted(order):
    fail('WibbelPts: bands out of order %s' % order)
ok('WibbelPts: bands blue, cyan, green, yellow from top to bottom')

# falling lantern
for k in range(3):
    two_colour('Laterne%d.bmp' % (k + 3))
    pair('Laterne%d.bmp' % k, 'Laterne%d.bmp' % (k + 3), grey=False)

# crosshair
g, gm = px('Gun.bmp'), px('GunMsk.bmp')
if P['GunMsk.bmp']['palette'][:2] != [WHITE, BLACK]:
    fail('GunMsk palette %s, want white then black' % P['GunMsk.bmp']['palette'])
pair('Gun.bmp', 'GunMsk.bmp', grey=False)
for i in range(64):
    for c in (31, 32, 33):
        if gm[i * 64 + c] != BLACK or gm[c * 64 + i] != BLACK:
            fail('GunMsk: cross line %d not black at %d' % (c, i)); break
    for c in (32, 33):
        if g[i * 64 + c] == WHITE or g[c * 64 + i] == WHITE:
            fail('Gun: cross line %d white at %d' % (c, i)); break
ring = [(x, y) for y in range(64) for x in range(64)
        if x not in (31, 32, 33) and y not in (31, 32, 33) and gm[y * 64 + x] == BLACK]
dists = [math.hypot(x - 32, y - 32) for (x, y) in ring]
if not ring or min(dists) < 23.0 or max(dists) > 26.2:
    fail('crosshair ring radii %.2f..%.2f' % (min(dists), max(dists)))
ring_img = [(x, y) for y in range(64) for x in range(64)
            if x not in (31, 32, 33) and y not in (31, 32, 33) and g[y * 64 + x] != WHITE]
if set(ring_img) != set(ring):
    fail('Gun ring and GunMsk ring differ')
angles = set(int(math.degrees(math.atan2(y - 32, x - 32)) // 10) for (x, y) in ring)
if len(angles) < 34:
    fail('crosshair ring has gaps')
ok('crosshair: cross at columns/rows 32-33 (mask 31-33), ring radii %.2f..%.2f round the centre (32, 32)' % (min(dists), max(dists)))

# icon
if (255, 0, 255) not in px('Icon.bmp'):
    fail('Icon: no magenta key colour')
if len(P['Icon.bmp']['palette']) > 16:
    fail('Icon palette too large')
ok('Icon.bmp 4-bit, background magenta (255, 0, 255)')

# title: the text rectangle stays dark, calm and free of red
T = px('Title.bmp')
worst = 0
reddish = 0
for y in range(80, 154):
    for x in range(120, 314):
        r, gg, b = T[y * 338 + x]
        worst = max(worst, 0.3 * r + 0.59 * gg + 0.11 * b)
        if r > 90 and r > gg + 40:
            reddish += 1
if worst > 70 or reddish:
    fail('Title: text rectangle too bright (%.0f) or red (%d)' % (worst, reddish))
ok('Title: text rectangle x 120..313, y 80..153 dark (max luma %.0f), no red' % worst)

for c in checked:
    print('ok  ', c)
if errors:
    print('\n'.join('FAIL ' + e for e in errors))
    sys.exit(1)
print('all pictures pass')

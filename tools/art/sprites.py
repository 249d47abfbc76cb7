"""Creature sprites, their masks and the hit-zone map."""
from PIL import Image
from common import quantize, grey_palette, flatten_on_white
import creature

SS = 8          # supersampling factor
LO, HI = 14, 244   # coverage below LO is background, above HI fully opaque


def downsample(rgba):
    return rgba.resize((creature.W, creature.H), Image.BOX)


def sprite_pair(rgba):
    """(RGB image, grey mask values) from a downsampled RGBA sprite.

    The game draws mask and image with bitwise raster operations, so an
    edge pixel comes out as (background OR NOT mask) AND image: never
    brighter than the image colour, bit by bit.  Edge pixels therefore keep
    their own (dark outline) colour instead of a blend with white; the grey
    in the mask lets a little of the background through."""
    mask, out = [], []
    for (r, g, b, av) in rgba.getdata():
        if av < LO:
            mask.append(255); out.append((255, 255, 255))
        elif av > HI:
            mask.append(0); out.append((r, g, b))
        else:
            mask.append(255 - av); out.append((r, g, b))
    im = Image.new('RGB', rgba.size); im.putdata(out)
    return im, mask


def indexed_image(rgb, mask):
    """Palette image that is exactly white wherever mask is white."""
    idx, pal, res = quantize(rgb, 256, dither=False, reserve=[(255, 255, 255)])
    wi = res[(255, 255, 255)]
    idx = [wi if m == 255 else i for i, m in zip(idx, mask)]
    assert len(pal) <= 256
    return idx, pal


def make_all(write):
    fly, fly_lan = creature.render(SS, 'fly', True)
    hit, _ = creature.render(SS, 'hit', True)
    plain, _ = creature.render(SS, 'plain', False)
    shock, _ = creature.render(SS, 'shock', False)
    W, H = creature.W, creature.H

    fly_rgb, fly_mask = sprite_pair(downsample(fly))
    plain_rgb, plain_mask = sprite_pair(downsample(plain))
    hit_rgb, _ = sprite_pair(downsample(hit))
    shock_rgb, _ = sprite_pair(downsample(shock))

    def put(name, rgb, mask):
        idx, pal = indexed_image(rgb, mask)
        write(name, W, H, 8, idx, pal)

    put('Wibbel.bmp', fly_rgb, fly_mask)
    put('Wibbel3.bmp', hit_rgb, fly_mask)
    put('Wibbel2.bmp', plain_rgb, plain_mask)
    put('Wibbel4.bmp', shock_rgb, plain_mask)
    write('WibbelMsk.bmp', W, H, 8, fly_mask, grey_palette())
    write('Wibbel2Msk.bmp', W, H, 8, plain_mask, grey_palette())

    # hit-zone map: lantern red, body in four bands, one-pixel seams
    full_a = list(downsample(fly).getchannel('A').getdata())
    lan_a = list(fly_lan.resize((W, H), Image.BOX).getdata())
    ZW, ZH = W, H - 1
    WHITE, RED = (255, 255, 255), (255, 0, 0)
    bands = [(18, (0, 0, 255)), (39, (0, 255, 255)), (62, (0, 255, 0)), (999, (255, 255, 0))]
    zone = []
    for y in range(ZH):
        for x in range(ZW):
            i = y * W + x
            if fly_mask[i] == 255:
                zone.append(WHITE)
            elif lan_a[i] * 2 >= full_a[i] and full_a[i] >= 128:
                zone.append(RED)
            else:
                # the band borders bow a little, like the ball
                yy = y + 0.012 * (x - 27) ** 2
                zone.append(next(c for (lim, c) in bands if yy < lim))
    out = list(zone)
    for y in range(ZH):
        for x in range(ZW):
            z = zone[y * ZW + x]
            if z in (WHITE, RED):
                continue
            for (dx, dy) in ((0, -1), (-1, 0), (1, 0), (0, 1)):
                nx, ny = x + dx, y + dy
                if not (0 <= nx < ZW and 0 <= ny < ZH):
                    continue
                n = zone[ny * ZW + nx]
                if n != z:
                    out[y * ZW + x] = tuple((a + b + 1) // 2 for a, b in zip(z, n))
                    break
    write('WibbelPts.bmp', ZW, ZH, 24, out)

"""Plain BMP reader/writer for the game's pictures.

Writes uncompressed bottom-up Windows bitmaps (BITMAPINFOHEADER) in the
exact depths the game expects: 1, 4 and 8 bit with a palette, 24 bit RGB.
Pillow's own BMP writer decides palettes by itself (the 1-bit palette
comes out black-first, for instance), so we write the files ourselves.
"""
import struct


def write_bmp(path, width, height, bpp, pixels, palette=None):
    """pixels: row-major list, top row first.  For bpp 24 each entry is an
    (r, g, b) tuple, otherwise a palette index.  palette: list of (r, g, b)."""
    assert len(pixels) == width * height
    if bpp == 24:
        palette = []
    else:
        assert palette is not None and 0 < len(palette) <= (1 << bpp)
        palette = list(palette) + [(0, 0, 0)] * ((1 << bpp) - len(palette))
    row_bits = width * bpp
    stride = ((row_bits + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = pixels[y * width:(y + 1) * width]
        if bpp == 24:
            line = bytearray()
            for (r, g, b) in row:
                line += bytes((b, g, r))
        elif bpp == 8:
            line = bytearray(row)
        elif bpp == 4:
            line = bytearray()
            for i in range(0, width, 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < width else 0
                line.append((hi << 4) | lo)
        elif bpp == 1:
            line = bytearray()
            for i in range(0, width, 8):
                v = 0
                for j in range(8):
                    if i + j < width and row[i + j]:
                        v |= 0x80 >> j
                line.append(v)
        else:
            raise ValueError(bpp)
        line += bytes(stride - len(line))
        data += line
    pal = bytearray()
    for (r, g, b) in palette:
        pal += bytes((b, g, r, 0))
    off = 14 + 40 + len(pal)
    header = struct.pack('<2sIHHI', b'BM', off + len(data), 0, 0, off)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, 0,
                       len(data), 3780, 3780, len(palette) if bpp != 24 else 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + pal + data)


def read_bmp(path):
    """Returns dict(width, height, bpp, compression, palette, pixels) with
    pixels as a row-major list of (r, g, b), top row first."""
    with open(path, 'rb') as f:
        b = f.read()
    assert b[:2] == b'BM', path
    off = struct.unpack_from('<I', b, 10)[0]
    hsize, w, h, planes, bpp, comp, _, _, _, used, _ = struct.unpack_from('<IiiHHIIiiII', b, 14)
    pal = []
    if bpp <= 8:
        n = used or (1 << bpp)
        p = 14 + hsize
        for i in range(n):
            bb, gg, rr, _ = b[p + 4 * i:p + 4 * i + 4]
            pal.append((rr, gg, bb))
    stride = ((w * bpp + 31) // 32) * 4
    top_down = h < 0
    h = abs(h)
    px = []
    idx = []
    for y in range(h):
        sy = y if top_down else h - 1 - y
        row = b[off + sy * stride: off + (sy + 1) * stride]
        for x in range(w):
            if bpp == 24:
                px.append((row[3 * x + 2], row[3 * x + 1], row[3 * x]))
                idx.append(None)
                continue
            if bpp == 8:
                i = row[x]
            elif bpp == 4:
                i = (row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15
            elif bpp == 1:
                i = (row[x // 8] >> (7 - x % 8)) & 1
            idx.append(i)
            px.append(pal[i])
    return dict(width=w, height=h, bpp=bpp, compression=comp, palette=pal,
                pixels=px, indices=idx)

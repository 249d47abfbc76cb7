#!/usr/bin/env python3
"""make_ico.py OUT.ico IN.png...: one Windows icon holding each PNG as it is (Vista on)."""
import struct
import sys


def size_of(png):
    if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
        raise SystemExit("make_ico.py: not a PNG")
    return struct.unpack(">II", png[16:24])


def main():
    out, pngs = sys.argv[1], [open(p, "rb").read() for p in sys.argv[2:]]
    header = struct.pack("<HHH", 0, 1, len(pngs))
    entries, offset = b"", 6 + 16 * len(pngs)
    for png in pngs:
        w, h = size_of(png)
        # 256 is written as 0.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(pngs))


main()

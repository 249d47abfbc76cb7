#!/usr/bin/python3
"""Bakes every picture of Knuffelhatz into assets/.

    /usr/bin/python3 tools/art/make_art.py [outdir]

All drawing is procedural with fixed random seeds, so a bake always
produces the same files.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from bmpio import write_bmp  # noqa: E402

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', '..', 'assets')
ONLY = sys.argv[2:] 


def write(name, w, h, bpp, pixels, palette=None):
    write_bmp(os.path.join(OUT, name), w, h, bpp, pixels, palette)
    print('  %-15s %3dx%-3d %2d-bit' % (name, w, h, bpp))


def main():
    os.makedirs(OUT, exist_ok=True)
    import sprites, small, sails, scenery, title
    jobs = [('creature', sprites.make_all), ('small', small.make_all),
            ('sails', sails.make_all), ('scenery', scenery.make_all),
            ('title', title.make_all)]
    for name, fn in jobs:
        if ONLY and name not in ONLY:
            continue
        print(name)
        fn(write)


if __name__ == '__main__':
    main()

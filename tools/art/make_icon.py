#!/usr/bin/python3
"""Draw the desktop icon of Nullvane: data/icons/nullvane-256.png and nullvane-48.png.

Run from anywhere:  /usr/bin/python3 tools/art/make_icon.py
The hooded hacker of the team logo on a night tile, caught at the edge of a
guard's torch beam. Each size is drawn at that size (a supersampled canvas),
not shrunk from the other, and the small one leaves out the floor grid and the
hoodie's seam, which would only blur there.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402

from common import (AMBER, CYAN, CYAN_DK, CYAN_GLOW, CYAN_LT, NAVY, NIGHT, OUTLINE,  # noqa: E402
                    SLATE, Canvas, mix, rgba, vertical_gradient, to_image)

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "icons")


def icon(size):
    """The icon at size x size pixels, drawn in a 256-unit square."""
    u = size / 256.0
    small = size < 100
    ss = 8 if small else 4

    # Rounded tile: a night gradient cut out by the tile's shape.
    shape = Canvas(size, size, ss)
    shape.rect(8 * u, 8 * u, 248 * u, 248 * u, fill=(255, 255, 255), radius=44 * u)
    alpha = shape.done().getchannel("A")
    tile = to_image(vertical_gradient(size, size, SLATE, NIGHT))
    tile.putalpha(alpha)

    c = Canvas(size, size, ss)
    if not small:   # floor cells, 40 units like the game's
        for k in range(1, 7):
            c.line([(k * 36 * u + 2 * u, 12 * u), (k * 36 * u + 2 * u, 244 * u)], fill=rgba(NAVY, 150), width=2 * u)
            c.line([(12 * u, k * 36 * u + 2 * u), (244 * u, k * 36 * u + 2 * u)], fill=rgba(NAVY, 150), width=2 * u)
    # The torch beam sweeps in from the top right corner and just misses the hood. It is
    # added as light, so it brightens the floor instead of greying it.
    beam = Canvas(size, size, ss)
    beam.pieslice(262 * u, -6 * u, 250 * u, 116, 170, fill=(255, 255, 255, 110))
    beam.pieslice(262 * u, -6 * u, 200 * u, 124, 162, fill=(255, 255, 255, 170))
    light = np.asarray(beam.done(), dtype=np.float64)[..., 3:4] / 255.0
    rgb = np.asarray(tile, dtype=np.float64)[..., :3] + light * np.array(AMBER, dtype=np.float64) * 0.75
    tile = to_image(rgb, np.asarray(alpha))
    c.circle(240 * u, 16 * u, 18 * u, fill=rgba((255, 246, 200), 240))
    # Hooded figure from the front, flat and bold: it reads at 48 pixels too.
    c.ellipse(128 * u, 270 * u, 116 * u, 70 * u, fill=CYAN_DK, outline=OUTLINE, width=3 * u)
    c.ellipse(128 * u, 140 * u, 74 * u, 84 * u, fill=CYAN_DK, outline=OUTLINE, width=3 * u)
    c.ellipse(128 * u, 134 * u, 64 * u, 74 * u, fill=CYAN)
    if not small:
        c.line([(128 * u, 62 * u), (128 * u, 88 * u)], fill=mix(CYAN, CYAN_DK, 0.5), width=3 * u)
    c.ellipse(128 * u, 154 * u, 44 * u, 54 * u, fill=NIGHT)
    # eyes glowing out of the dark face
    c.polygon([(96 * u, 146 * u), (121 * u, 152 * u), (119 * u, 164 * u), (98 * u, 159 * u)], fill=CYAN_LT)
    c.polygon([(160 * u, 146 * u), (135 * u, 152 * u), (137 * u, 164 * u), (158 * u, 159 * u)], fill=CYAN_LT)
    # a rim of cyan around the tile, the game's accent
    c.rect(8 * u, 8 * u, 248 * u, 248 * u, outline=rgba(CYAN_GLOW, 200), width=(5 if small else 4) * u,
           radius=44 * u)

    art = c.done()
    # Nothing outside the tile.
    clipped = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    clipped.paste(art, (0, 0), alpha)
    tile.alpha_composite(clipped)
    return tile


def main():
    os.makedirs(DATA, exist_ok=True)
    for size in (256, 48):
        path = os.path.normpath(os.path.join(DATA, "nullvane-%d.png" % size))
        icon(size).save(path, optimize=True)
        print("make_icon: %s" % path)


if __name__ == "__main__":
    main()

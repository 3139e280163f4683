#!/usr/bin/python3
"""Draws each map with its patrol walks, view ranges and lit areas into
/tmp/map_previews/*.png, to look at a layout while designing it."""
import math
import os
import sys

import numpy as np
from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(__file__))
import check_maps as cm  # noqa: E402
from maplib import ROOT, placed, walk_patrol  # noqa: E402

S = 12  # pixels per cell
COLOURS = {1: (60, 60, 70), 2: (40, 120, 255), 3: (220, 40, 40), 4: (30, 150, 40), 5: (200, 120, 0),
           7: (0, 200, 200), 8: (240, 220, 0), 9: (160, 160, 160)}


def main(out_dir="/tmp/map_previews"):
    os.makedirs(out_dir, exist_ok=True)
    for name, lvl in cm.LEVELS.items():
        grid = cm.read_map(os.path.join(ROOT, name))
        h, w = len(grid), len(grid[0])
        img = Image.new("RGB", (w * S, h * S), (225, 225, 215))
        d = ImageDraw.Draw(img, "RGBA")
        to_px = lambda x, y: (x / 40 * S, (h - y / 40) * S)
        for r in range(h):
            for c in range(w):
                v = grid[r][c]
                if v in COLOURS:
                    y0 = (h - 1 - r) * S
                    d.rectangle([c * S, y0, c * S + S - 1, y0 + S - 1], fill=COLOURS[v])
        for ac, ar in cm.cells_of(grid, 9):
            x, y = placed(ac), placed(ar)
            d.rectangle([*to_px(x - 100, y + 100), *to_px(x + 100, y - 100)], outline=(120, 120, 120))
        solid = np.array([[1 if v == 1 else 0 for v in row] for row in grid], dtype=np.int8)
        # Shade every cell some guard sees (at its centre) during a lap or at its post.
        seen = np.zeros((h, w))
        for gs, home in zip(lvl["guard_setups"], cm.cells_of(grid, 3)):
            x, y = placed(home[0]), placed(home[1])
            poses = [(x, y, gs["facing"] or 0.0)]
            if gs["patrol"]:
                last = (x, y)
                poses = []
                for k, (_, px, py, _) in enumerate(walk_patrol(solid, home, gs["patrol"], cycles=1)):
                    if k % 10 == 0:
                        poses.append((px, py, math.atan2(py - last[1], px - last[0])))
                    last = (px, py)
            for gx, gy, f in poses:
                for r in range(max(0, int(gy / 40) - 4), min(h, int(gy / 40) + 5)):
                    for c in range(max(0, int(gx / 40) - 4), min(w, int(gx / 40) + 5)):
                        if grid[r][c] != 1 and cm.sees(grid, gx, gy, f, c * 40 + 20, r * 40 + 20):
                            seen[r, c] = 1
        for r in range(h):
            for c in range(w):
                if seen[r, c]:
                    y0 = (h - 1 - r) * S
                    d.rectangle([c * S, y0, c * S + S - 1, y0 + S - 1], fill=(255, 120, 0, 70))
        for i, (gs, home) in enumerate(zip(lvl["guard_setups"], cm.cells_of(grid, 3))):
            x, y = placed(home[0]), placed(home[1])
            if gs["patrol"]:
                pts = [to_px(px, py) for _, px, py, _ in walk_patrol(solid, home, gs["patrol"], cycles=1)]
                if len(pts) > 1:
                    d.line(pts, fill=(220, 40, 40), width=2)
            else:
                f = gs["facing"] or 0.0
                a0 = -math.degrees(f) - 90
                d.pieslice([*to_px(x - 150, y + 150), *to_px(x + 150, y - 150)], a0, a0 + 180,
                           fill=(255, 230, 0, 60))
            d.text(to_px(x + 8, y + 20), f"G{i}", fill=(120, 0, 0))
        img.save(os.path.join(out_dir, os.path.basename(name).replace(".txt", ".png")))
    print(out_dir)


if __name__ == "__main__":
    main()

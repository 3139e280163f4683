#!/usr/bin/python3
"""Generate every picture of Nullvane under ArtAssets/.

Run from the repository root:  /usr/bin/python3 tools/art/make_art.py
Deterministic: fixed seeds, so a rerun rewrites identical files.
Also writes tools/contact_sheet.png (not committed) to look the set over.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image, ImageDraw  # noqa: E402

import common  # noqa: E402
import screens  # noqa: E402
import sprites  # noqa: E402
import ui  # noqa: E402


def contact_sheet(path):
    cell_w, cell_h, cols = 210, 190, 8
    items = common.written
    rows = (len(items) + cols - 1) // cols
    sheet = Image.new("RGBA", (cols * cell_w, rows * cell_h), (60, 60, 66, 255))
    d = ImageDraw.Draw(sheet)
    for i, (name, img) in enumerate(items):
        x0, y0 = (i % cols) * cell_w, (i // cols) * cell_h
        box_w, box_h = cell_w - 10, cell_h - 26
        scale = min(box_w / img.width, box_h / img.height)
        if scale >= 2:
            scale = int(scale)  # small sprites: whole-number nearest zoom
            thumb = img.resize((img.width * scale, img.height * scale), Image.NEAREST)
        else:
            thumb = img.resize((max(1, int(img.width * scale)), max(1, int(img.height * scale))),
                               Image.LANCZOS)
        # checker shows transparency
        bg = Image.new("RGBA", thumb.size, (40, 40, 44, 255))
        bd = ImageDraw.Draw(bg)
        for cy in range(0, thumb.height, 8):
            for cx in range(0, thumb.width, 8):
                if (cx // 8 + cy // 8) % 2:
                    bd.rectangle([cx, cy, cx + 7, cy + 7], fill=(70, 70, 76, 255))
        bg.alpha_composite(thumb)
        sheet.paste(bg, (x0 + 5 + (box_w - thumb.width) // 2, y0 + 4 + (box_h - thumb.height) // 2))
        d.text((x0 + 5, y0 + cell_h - 18), "%s %dx%d" % (name, img.width, img.height),
               fill=(230, 230, 230, 255), font=common.font(10, False))
    sheet.save(path)


def main():
    for path in (common.FONT_BOLD, common.FONT_BOOK):
        if not os.path.exists(path):
            print("make_art: typeface %s not found (Debian package fonts-dejavu-core)" % path)
            sys.exit(1)
    sprites.make()
    ui.make()
    screens.make()
    total = 0
    for rel, _ in common.written:
        total += os.path.getsize(os.path.join(common.OUT, rel))
    sheet = os.path.join(common.ROOT, "tools", "contact_sheet.png")
    contact_sheet(sheet)
    print("wrote %d pictures, %.2f MB, contact sheet %s" % (len(common.written), total / 1e6, sheet))


if __name__ == "__main__":
    main()

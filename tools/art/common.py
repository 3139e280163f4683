"""Shared palette, typeface and drawing helpers for the Nullvane art generator.

Shapes are drawn on a supersampled canvas and reduced with premultiplied
averaging, so antialiased edges never pick up dark fringes from the
transparent background. The game samples textures with nearest filtering,
so every picture is produced at (or very near) the size it is drawn.
"""
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
OUT = os.path.join(ROOT, "ArtAssets")

# One palette for everything: night office, cyan hacker, orange guards.
NIGHT = (9, 14, 26)          # deepest background
NAVY = (16, 24, 42)          # floor
SLATE = (34, 46, 70)         # panels
SLATE_HI = (58, 74, 104)
STEEL = (120, 138, 168)      # lit wall faces, muted text
WHITE = (238, 244, 255)      # text and tinted pictures
MUTED = (150, 168, 196)
CYAN = (53, 224, 240)        # the hacker, accents
CYAN_DK = (18, 120, 150)
CYAN_LT = (170, 246, 255)
CYAN_GLOW = (20, 150, 180)
ORANGE = (255, 138, 42)      # guards
ORANGE_DK = (168, 72, 16)
AMBER = (255, 214, 107)      # lamp light, torch
GREEN = (70, 255, 120)       # server LEDs, "hacked OK"
GREEN_DK = (20, 110, 50)
RED = (255, 64, 64)
RED_DK = (120, 20, 24)
LEAF = (38, 120, 62)
LEAF_DK = (16, 62, 34)
LEAF_LT = (92, 176, 88)
OUTLINE = (6, 9, 16)

FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_BOOK = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

_font_cache = {}


def font(size, bold=True):
    key = (size, bold)
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(FONT_BOLD if bold else FONT_BOOK, size)
    return _font_cache[key]


def rgba(c, a=255):
    return (c[0], c[1], c[2], a)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


# ---------------------------------------------------------------- canvas

class Canvas:
    """An RGBA picture drawn at ss times its size, in final-pixel coordinates."""

    def __init__(self, w, h, ss=4, bg=(0, 0, 0, 0), grow=1.0):
        """grow enlarges every shape about the centre (fits a figure to its cell)."""
        self.w, self.h, self.ss, self.k = w, h, ss, grow
        self.img = Image.new("RGBA", (w * ss, h * ss), bg)
        self.d = ImageDraw.Draw(self.img)

    def _x(self, x):
        return ((x - self.w / 2) * self.k + self.w / 2) * self.ss

    def _y(self, y):
        return ((y - self.h / 2) * self.k + self.h / 2) * self.ss

    def _len(self, v):
        return v * self.k * self.ss

    def _w(self, width):
        return max(1, int(round(width * self.k * self.ss)))

    def _p(self, pts):
        return [(self._x(x), self._y(y)) for x, y in pts]

    def _box(self, x0, y0, x1, y1):
        return [self._x(x0), self._y(y0), self._x(x1), self._y(y1)]

    def _c(self, c):
        if c is None:
            return None
        return c if len(c) == 4 else rgba(c)

    def ellipse(self, cx, cy, rx, ry, fill=None, outline=None, width=1.0):
        self.d.ellipse(self._box(cx - rx, cy - ry, cx + rx, cy + ry),
                       fill=self._c(fill), outline=self._c(outline), width=self._w(width))

    def circle(self, cx, cy, r, fill=None, outline=None, width=1.0):
        self.ellipse(cx, cy, r, r, fill, outline, width)

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0, radius=0):
        box = self._box(x0, y0, x1, y1)
        box[2] -= 1
        box[3] -= 1
        if radius:
            self.d.rounded_rectangle(box, radius=self._len(radius), fill=self._c(fill),
                                     outline=self._c(outline), width=self._w(width))
        else:
            self.d.rectangle(box, fill=self._c(fill), outline=self._c(outline), width=self._w(width))

    def polygon(self, pts, fill=None, outline=None, width=1.0):
        self.d.polygon(self._p(pts), fill=self._c(fill), outline=self._c(outline), width=self._w(width))

    def line(self, pts, fill, width=1.0):
        self.d.line(self._p(pts), fill=self._c(fill), width=self._w(width), joint="curve")

    def arc(self, cx, cy, r, start, end, fill, width=1.0):
        self.d.arc(self._box(cx - r, cy - r, cx + r, cy + r), start, end,
                   fill=self._c(fill), width=self._w(width))

    def pieslice(self, cx, cy, r, start, end, fill):
        self.d.pieslice(self._box(cx - r, cy - r, cx + r, cy + r), start, end, fill=self._c(fill))

    def text(self, x, y, s, size, fill, bold=True, anchor="mm"):
        self.d.text((self._x(x), self._y(y)), s, font=font(int(round(size * self.k * self.ss)), bold),
                    fill=self._c(fill), anchor=anchor)

    def paste(self, pic, x, y):
        """Composite a finished picture (final-pixel units) onto this canvas."""
        big = pic.resize((pic.width * self.ss, pic.height * self.ss), Image.NEAREST)
        self.img.alpha_composite(big, (int(x * self.ss), int(y * self.ss)))

    def done(self, zoom=1):
        """The finished picture at zoom times its size (zoom must divide ss)."""
        f = self.ss / zoom
        if f != int(f):
            raise ValueError("zoom %s does not divide supersampling %d" % (zoom, self.ss))
        return downsample(self.img, int(f))


def downsample(img, f):
    """Box-reduce an RGBA picture by f using premultiplied alpha."""
    if f == 1:
        return img
    a = np.asarray(img, dtype=np.float64)
    h, w = a.shape[0] // f, a.shape[1] // f
    a = a[:h * f, :w * f]
    alpha = a[..., 3:4] / 255.0
    pre = a[..., :3] * alpha
    pre = pre.reshape(h, f, w, f, 3).mean(axis=(1, 3))
    al = alpha.reshape(h, f, w, f, 1).mean(axis=(1, 3))
    rgb = np.where(al > 0, pre / np.maximum(al, 1e-9), 0)
    out = np.concatenate([rgb, al * 255.0], axis=2)
    return Image.fromarray(np.clip(np.round(out), 0, 255).astype(np.uint8), "RGBA")


def light_text(w, h, lines, colour=WHITE):
    """A tinted picture: light text on a fully transparent background.

    lines: list of (text, size, y_centre, bold). Colour is constant; only the
    alpha carries the glyph shapes, so tinting can grey or fade it cleanly.
    """
    mask = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(mask)
    for text, size, y, bold in lines:
        d.text((w / 2, y), text, font=font(size, bold), fill=255, anchor="mm")
    return solid_with_mask(mask, colour)


def solid_with_mask(mask, colour):
    img = Image.new("RGBA", mask.size, rgba(colour, 0))
    img.putalpha(mask)
    return img


def fit_text_size(text, max_w, max_h, bold=True, start=64):
    size = start
    while size > 6:
        l, t, r, b = font(size, bold).getbbox(text)
        if r - l <= max_w and b - t <= max_h:
            return size
        size -= 1
    return size


def noise(shape, seed, amp):
    rng = np.random.RandomState(seed)
    return rng.uniform(-amp, amp, shape)


def vertical_gradient(w, h, top, bottom):
    t = np.linspace(0.0, 1.0, h)[:, None, None]
    a = np.array(top, dtype=np.float64)[None, None, :3]
    b = np.array(bottom, dtype=np.float64)[None, None, :3]
    rgb = np.broadcast_to(a + (b - a) * t, (h, w, 3))
    return rgb.copy()


def to_image(rgb, alpha=None):
    rgb = np.clip(np.round(rgb), 0, 255).astype(np.uint8)
    if alpha is None:
        alpha = np.full(rgb.shape[:2], 255, np.uint8)
    else:
        alpha = np.clip(np.round(alpha), 0, 255).astype(np.uint8)
    return Image.fromarray(np.dstack([rgb, alpha]), "RGBA")


# ---------------------------------------------------------------- output

written = []  # (relative path, image) in write order, for the contact sheet


def save(rel, img):
    path = os.path.join(OUT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img = img.convert("RGBA")
    img.save(path, optimize=True)
    written.append((rel, img))
    return img

"""Interface pictures: the bitmap font, menu entries, labels, arrows, HUD bar, title, panel.

Everything the game tints is drawn light on a fully transparent background:
the tint multiplies the colour, so grey-outs and fades stay clean.
"""
import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from common import (CYAN, CYAN_GLOW, CYAN_LT, MUTED, NIGHT, SLATE_HI, WHITE, Canvas,
                    fit_text_size, font, light_text, rgba, save, solid_with_mask, to_image,
                    vertical_gradient)

ENTRY_W, ENTRY_H = 200, 50


GLYPH_CAP = 34   # capital height of the pause menu's letters in their 50x50 cells


def glyph(ch):
    """One cell of the pause menu's bitmap font. Every letter has the same capital
    height and sits on the same baseline, as type does; the few letters too wide
    for the cell at that height (M, W) are narrowed rather than shrunk."""
    n, ss = 50, 4
    mask = Image.new("L", (n * ss, n * ss), 0)
    if ch != " ":
        f = font(cap_size(GLYPH_CAP * ss))
        l, t, r, b = f.getbbox(ch, anchor="ls")
        letter = Image.new("L", (r - l, b - t), 0)
        ImageDraw.Draw(letter).text((-l, -t), ch, font=f, fill=255, anchor="ls")
        if letter.width > 46 * ss:
            letter = letter.resize((46 * ss, letter.height), Image.LANCZOS)
        baseline = (n + GLYPH_CAP) * ss // 2
        mask.paste(letter, ((n * ss - letter.width) // 2, baseline + t))
    return solid_with_mask(mask.resize((n, n), Image.BOX), WHITE)


def cap_size(cap):
    """The font size whose capitals are `cap` pixels tall."""
    size = cap
    while font(size + 1).getbbox("H", anchor="ls")[1] > -cap:
        size += 1
    return size


MENU_WORDS = ["NEW GAME", "LEVEL SELECT", "INSTRUCTIONS", "CREDITS", "QUIT", "HOW TO PLAY"]


def entry(text):
    """A main-menu entry. All entries share one capital height, the largest that lets
    the longest word fit, so the list reads as one set; the game draws the selected
    one 250x125, and plain bold capitals at this height stay clean when stretched."""
    size = min(fit_text_size(w, ENTRY_W - 14, 30, start=30) for w in MENU_WORDS)
    cap = -font(size).getbbox("H", anchor="ls")[1]
    mask = Image.new("L", (ENTRY_W * 4, ENTRY_H * 4), 0)
    ImageDraw.Draw(mask).text((ENTRY_W * 2, (ENTRY_H + cap) * 2), text, font=font(size * 4), fill=255,
                              anchor="ms")
    return solid_with_mask(mask.resize((ENTRY_W, ENTRY_H), Image.BOX), WHITE)


LABEL_WORDS = ["SERVERS", "GUARDS", "BUSHES", "RADIOS", "LIGHTS", "LEVEL 4"]


def two_line_label(small, big):
    size = min(fit_text_size(w, ENTRY_W - 16, 26, start=26) for w in LABEL_WORDS)
    img = light_text(ENTRY_W, ENTRY_H, [(big, size, 31, True)])
    img.alpha_composite(light_text(ENTRY_W, ENTRY_H, [(small, 12, 9, True)], colour=CYAN_LT))
    return img


def gradient_fill(mask, top, bottom):
    w, h = mask.size
    rgb = vertical_gradient(w, h, top, bottom)
    return to_image(rgb, np.asarray(mask, dtype=np.float64))


def arrow_right():
    w, h, ss = 150, 100, 4
    mask = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(mask)
    pts = [(22, 38), (84, 38), (84, 18), (134, 50), (84, 82), (84, 62), (22, 62)]
    d.polygon([(x * ss, y * ss) for x, y in pts], fill=255)
    mask = mask.resize((w, h), Image.BOX)
    return gradient_fill(mask, WHITE, CYAN_LT)


def arrow_down():
    w, h, ss = ENTRY_W, ENTRY_H, 4
    mask = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(mask)
    pts = [(70, 10), (100, 34), (130, 10), (130, 22), (100, 46), (70, 22)]
    d.polygon([(x * ss, y * ss) for x, y in pts], fill=255)
    mask = mask.resize((w, h), Image.BOX)
    return gradient_fill(mask, WHITE, CYAN_LT)


def title_logo():
    w, h, ss = 700, 150, 2
    mask = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(mask)
    f = font(104 * ss)
    text = "NULLVANE"
    spacing = 8 * ss
    widths = [d.textlength(ch, font=f) for ch in text]
    total = sum(widths) + spacing * (len(text) - 1)
    x = (w * ss - total) / 2
    for ch, cw in zip(text, widths):
        d.text((x, 62 * ss), ch, font=f, fill=255, anchor="lm")
        x += cw + spacing
    mask = mask.resize((w, h), Image.BOX)
    letters = gradient_fill(mask, WHITE, CYAN)
    # scan lines cut through the lower half of the letters: a monitor look
    arr = np.array(letters)
    for y in range(70, 116, 6):
        arr[y:y + 2, :, 3] = (arr[y:y + 2, :, 3] * 0.35).astype(np.uint8)
    letters = Image.fromarray(arr, "RGBA")
    # dark outline, then a cyan glow behind it
    outline = solid_with_mask(mask.filter(ImageFilter.MaxFilter(5)), NIGHT)
    outline.alpha_composite(letters)
    halo = mask.filter(ImageFilter.GaussianBlur(10)).point(lambda v: min(255, v * 2))
    out = solid_with_mask(halo, CYAN_GLOW)
    out.alpha_composite(outline)
    out.alpha_composite(light_text(w, h, [("A NIGHT-TIME BREAK-IN", 18, 134, True)], colour=CYAN_LT))
    return out



def hud_bar():
    w, h = 800, 60
    rgb = vertical_gradient(w, h, (20, 30, 52), (10, 16, 30))
    alpha = np.full((h, w), 236.0)
    img = to_image(rgb, alpha)
    c = Canvas(w, h, 2)
    c.img.paste(img.resize((w * 2, h * 2), Image.NEAREST))
    c.rect(0, 56, 800, 57, fill=CYAN)
    c.rect(0, 57, 800, 60, fill=rgba(CYAN, 70))
    # digit wells centred where the game puts the 30x30 digits
    for cx in (165, 350):
        c.rect(cx - 19, 11, cx + 19, 49, fill=(6, 10, 20), outline=rgba(CYAN, 160), width=1.5, radius=5)
    c.text(140, 31, "LIVES", 17, WHITE, anchor="rm")
    c.text(325, 31, "SERVERS", 17, WHITE, anchor="rm")
    # a small hacker-head icon before LIVES and a rack icon before SERVERS
    c.circle(66, 30, 8, fill=CYAN, outline=(6, 10, 20), width=1.5)
    c.circle(66, 30, 4.5, fill=(20, 120, 150))
    c.rect(208, 20, 220, 41, fill=(44, 52, 70), outline=(6, 10, 20), width=1, radius=1.5)
    for y in (24, 29, 34):
        c.circle(216.5, y + 1, 1.4, fill=(70, 255, 120))
    # key reminders on the right
    keys = [("SPACE", "hack / hide"), ("E", "switch / leave"), ("ESC", "pause")]
    widths = [(font(12).getlength(k) + 12, font(13, False).getlength(t)) for k, t in keys]
    x = 786 - sum(kw + 6 + tw for kw, tw in widths) - 16 * (len(keys) - 1)
    for (key, what), (kw, tw) in zip(keys, widths):
        c.rect(x, 19, x + kw, 41, fill=(34, 46, 70), outline=rgba(MUTED, 200), width=1, radius=4)
        c.text(x + kw / 2, 30.5, key, 12, WHITE)
        c.text(x + kw + 6, 30.5, what, 13, MUTED, bold=False, anchor="lm")
        x += kw + 6 + tw + 16
    return c.done()


def pause_panel():
    w, h = 700, 500
    rgb = vertical_gradient(w, h, (22, 32, 56), (10, 15, 28))
    y, x = np.mgrid[0:h, 0:w]
    # faint blueprint grid behind the menu text
    grid = ((x % 40 == 0) | (y % 40 == 0))
    rgb[grid] += 8
    alpha = np.full((h, w), 240.0)
    c = Canvas(w, h, 2)
    c.img.paste(to_image(rgb, alpha).resize((w * 2, h * 2), Image.NEAREST))
    # cut the corners off and frame the panel
    mask = Image.new("L", (w * 2, h * 2), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, w * 2 - 1, h * 2 - 1], radius=36, fill=255)
    c.img.putalpha(Image.fromarray(np.minimum(np.asarray(mask), np.asarray(c.img.getchannel("A")))))
    c.rect(3, 3, w - 3, h - 3, outline=rgba(CYAN, 200), width=2.5, radius=16)
    c.rect(9, 9, w - 9, h - 9, outline=rgba(SLATE_HI, 200), width=1, radius=12)
    c.text(30, 30, "PAUSED", 20, CYAN_LT, anchor="lm")
    c.rect(30, 46, w - 30, 47.5, fill=rgba(SLATE_HI, 220))
    return c.done()


def make():
    for i in range(26):
        ch = chr(ord("A") + i)
        save("Font/%s.png" % ch, glyph(ch))
    save("Font/space.png", glyph(" "))
    save("font/Newgame.png", entry("NEW GAME"))
    save("font/levelselect.png", entry("LEVEL SELECT"))
    save("font/intstruction.png", entry("INSTRUCTIONS"))
    save("font/credits.png", entry("CREDITS"))
    save("font/quit.png", entry("QUIT"))
    save("Instruction/page1.png", entry("HOW TO PLAY"))
    for i, name in enumerate(LABEL_WORDS[:5]):
        save("Tutorial%d.png" % (i + 1), two_line_label("TUTORIAL %d" % (i + 1), name))
    for i in range(4):
        save("level%d.png" % (i + 1), two_line_label("MISSION", "LEVEL %d" % (i + 1)))
    save("arrow.png", arrow_right())
    save("arrow_down.png", arrow_down())
    save("Nullvane.png", title_logo())
    save("hud.png", hud_bar())
    save("pause_bg.png", pause_panel())


"""Full screens and pages: menu and credits backgrounds, splash logos, end screens,
the pause menu's how-to-play pages and the instructions animation.

Scenes reuse the level sprites at twice their size (nearest), so the screens
show exactly what the player meets in a level.
"""
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

import sprites
from common import (AMBER, CYAN, CYAN_LT, GREEN, MUTED, NIGHT, ORANGE, RED, SLATE_HI, WHITE,
                    Canvas, font, rgba, save, solid_with_mask)


# ---------------------------------------------------------------- helpers

def big(img, k=2):
    return img.resize((img.width * k, img.height * k), Image.NEAREST)


def upright(stored):
    """Servers and radios are stored a quarter turn clockwise; stand them up for scenes."""
    return stored.transpose(Image.Transpose.ROTATE_90)


def tiled_floor(w, h, walls=(), k=2, origin=(0, 0)):
    """Floor of k-times tiles; walls are (col, row) cells painted with the wall tile."""
    floor, wall = big(sprites.floor_tile(), k), big(sprites.wall_tile(), k)
    t = 40 * k
    out = Image.new("RGBA", (w, h), rgba(NIGHT))
    ox, oy = origin
    for row in range(-1, h // t + 2):
        for col in range(-1, w // t + 2):
            tile = wall if (col, row) in walls else floor
            out.paste(tile, (ox + col * t, oy + row * t))
    return out


def shade(img, amount):
    """Darken an opaque picture toward the night colour (0 keeps it, 1 makes it night)."""
    a = np.asarray(img, dtype=np.float64).copy()
    a[..., :3] = a[..., :3] * (1 - amount) + np.array(NIGHT, float) * amount
    return Image.fromarray(np.clip(a, 0, 255).astype(np.uint8), "RGBA")


def vignette(img, strength=0.75, centre=(0.5, 0.5)):
    w, h = img.size
    y, x = np.mgrid[0:h, 0:w].astype(float)
    r = np.hypot((x / w - centre[0]) * 1.2, (y / h - centre[1]))
    t = np.clip((r - 0.25) / 0.6, 0, 1)[..., None] * strength
    a = np.asarray(img, dtype=np.float64).copy()
    a[..., :3] = a[..., :3] * (1 - t) + np.array(NIGHT, float) * t
    return Image.fromarray(np.clip(a, 0, 255).astype(np.uint8), "RGBA")


SIGHT = 150          # a guard sees a half-disc this many world units ahead
SIGHT_RGBA = (255, 255, 0, 0x5F)   # the colour the game draws it in


def sight(img, x, y, angle_deg, k=2):
    """What a guard sees, as the game draws it: a translucent yellow half-disc of
    150 units (k pixels a unit) ahead of it; angle_deg is its heading on the
    picture, clockwise from +x."""
    w, h = img.size
    r = SIGHT * k
    ss = 4
    mask = Image.new("L", (w * ss, h * ss), 0)
    ImageDraw.Draw(mask).pieslice([(x - r) * ss, (y - r) * ss, (x + r) * ss, (y + r) * ss],
                                  angle_deg - 90, angle_deg + 90, fill=SIGHT_RGBA[3])
    img.alpha_composite(solid_with_mask(mask.resize((w, h), Image.BOX), SIGHT_RGBA[:3]))


def pool(img, x, y, r, colour, alpha):
    w, h = img.size
    yy, xx = np.mgrid[0:h, 0:w].astype(float)
    a = alpha * np.exp(-((xx - x) ** 2 + (yy - y) ** 2) / (r * r))
    img.alpha_composite(solid_with_mask(Image.fromarray(np.clip(a, 0, 255).astype(np.uint8)), colour))


def put(img, pic, cx, cy):
    img.alpha_composite(pic, (int(cx - pic.width / 2), int(cy - pic.height / 2)))


def wrap(text, size, max_w, bold=False):
    f = font(size, bold)
    lines, cur = [], ""
    for word in text.split():
        trial = (cur + " " + word).strip()
        if f.getlength(trial) <= max_w:
            cur = trial
        else:
            lines.append(cur)
            cur = word
    if cur:
        lines.append(cur)
    return lines


def text(img, x, y, s, size, colour, bold=True, anchor="mm"):
    ImageDraw.Draw(img).text((x, y), s, font=font(size, bold), fill=rgba(colour), anchor=anchor)


def paragraph(img, x, y, s, size, colour, max_w, bold=False, leading=1.3):
    for line in wrap(s, size, max_w, bold):
        text(img, x, y, line, size, colour, bold, anchor="la")
        y += int(size * leading)
    return y


def keycap(img, x, y, label, size=14, anchor="l"):
    """A keyboard key drawn at (x, y centre); returns its right edge."""
    f = font(size)
    w = max(int(f.getlength(label)) + 14, int(size * 1.9))
    h = int(size * 1.9)
    if anchor == "m":
        x -= w // 2
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([x, y - h // 2 + 2, x + w, y + h // 2 + 2], radius=5, fill=rgba((6, 10, 20)))
    d.rounded_rectangle([x, y - h // 2, x + w, y + h // 2], radius=5, fill=rgba((44, 58, 88)),
                        outline=rgba(CYAN_LT), width=1)
    d.text((x + w / 2, y), label, font=f, fill=rgba(WHITE), anchor="mm")
    return x + w


def keys_row(img, x, y, labels, size=14, gap=5):
    for label in labels:
        x = keycap(img, x, y, label, size) + gap
    return x


def heading_glow(img, x, y, s, size, colour, glow_colour):
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    text(layer, x, y, s, size, colour)
    halo = solid_with_mask(layer.getchannel("A").filter(ImageFilter.GaussianBlur(8)), glow_colour)
    img.alpha_composite(halo)
    img.alpha_composite(layer)


# ---------------------------------------------------------------- menu and credits

# Where the menu pages print their grey "ESC" (three 50x50 glyphs from world
# (200, -150) with the camera at the origin), with a margin: kept plain floor.
ESC_BOX = (567, 417, 733, 483)


def office_plan(w, h, guard=True):
    """The break-in seen from above at twice the game's scale: a hall, a server
    rack watched by a guard, a lamp pool and bushes. The lower right stays plain
    floor for the ESC box."""
    walls = {(c, 0) for c in range(11)} | {(c, 7) for c in range(11)}
    walls |= {(7, 1), (7, 2)}
    img = tiled_floor(w, h, walls, k=2)
    pool(img, 70, 470, 90, AMBER, 70)
    put(img, sprites.lamp(True, (200, 210, 228), zoom=2), 70, 470)
    for y in (140, 250):
        put(img, upright(sprites.server(False, zoom=2)), 730, y)
    put(img, sprites.bush(False, zoom=2), 210, 470)
    put(img, sprites.bush(False, zoom=2), 70, 300)
    if guard:
        # facing up the room towards the racks; its half-disc stays clear of the ESC box
        sight(img, 740, 360, 270)
        put(img, sprites.guard(zoom=2).rotate(90), 740, 360)
    return img


def menu_background():
    img = office_plan(800, 600)
    img = shade(img, 0.55)
    img = vignette(img, 0.7)
    # a calm column behind the title and the entries
    w, h = img.size
    yy, xx = np.mgrid[0:h, 0:w].astype(float)
    t = np.exp(-((xx - 400) / 230.0) ** 4) * 0.55
    a = np.asarray(img, dtype=np.float64).copy()
    a[..., :3] = a[..., :3] * (1 - t[..., None]) + np.array(NIGHT, float) * t[..., None]
    img = Image.fromarray(np.clip(a, 0, 255).astype(np.uint8), "RGBA")
    text(img, 790, 590, "W/S or mouse to choose   ENTER to accept   ESC back", 12, MUTED,
         bold=False, anchor="rd")
    return img


# Who made what, and what the game is built on, each with its licence.
TEAM = [
    ("GAME DESIGN", "Nullvane Lead: the break-in, its guards,", "radios, lamps and hiding places"),
    ("CODE", "the Nullvane developers: the game and", "its own Kelvo Engine, in C++17"),
    ("ART", "the Nullvane developers: every picture", "drawn in code with Pillow and NumPy"),
    ("SOUND", "the Nullvane developers: music and effects", "synthesised; voices spoken by eSpeak NG"),
    ("LEVELS", "Nullvane Lead: five tutorials and", "three levels, each checked by machine"),
]
LIBRARIES = [
    ("SDL2", "zlib licence"), ("OpenGL via Mesa", "MIT licence"), ("GLEW", "modified BSD licence"),
    ("libpng", "libpng licence"), ("zlib", "zlib licence"), ("FreeType", "FreeType licence"),
    ("Fontconfig", "MIT-style licence"), ("OpenAL Soft", "LGPL 2.1 or later"),
    ("libogg, libvorbis", "BSD 3-clause licence"),
]
TYPEFACES = [("DejaVu Sans", "Bitstream Vera licence"),
             ("Liberation Mono", "GPL 2 with font exception")]


def credits_page():
    img = shade(office_plan(800, 600, guard=False), 0.72)
    img = vignette(img, 0.8)
    heading_glow(img, 400, 44, "CREDITS", 40, WHITE, CYAN)
    text(img, 400, 84, "NULLVANE  -  a night-time break-in", 14, CYAN_LT)
    d = ImageDraw.Draw(img)
    # left: who made what
    y = 126
    text(img, 40, y, "MADE BY THE NULLVANE TEAM", 13, MUTED, anchor="lm")
    y += 26
    for role, line1, line2 in TEAM:
        text(img, 40, y, role, 15, CYAN_LT, anchor="lm")
        text(img, 40, y + 19, line1, 13, WHITE, bold=False, anchor="lm")
        text(img, 40, y + 35, line2, 13, WHITE, bold=False, anchor="lm")
        y += 60
    d.line([(400, 118), (400, 400)], fill=rgba(SLATE_HI), width=1)
    # right: what it is built on; it ends above the ESC box
    y = 126
    text(img, 430, y, "BUILT WITH", 13, MUTED, anchor="lm")
    y += 24
    for name, licence in LIBRARIES:
        text(img, 430, y, name, 14, WHITE, anchor="lm")
        text(img, 770, y, licence, 13, MUTED, bold=False, anchor="rm")
        y += 22
    y += 10
    text(img, 430, y, "TYPEFACES", 13, MUTED, anchor="lm")
    y += 24
    for name, licence in TYPEFACES:
        text(img, 430, y, name, 14, WHITE, anchor="lm")
        text(img, 770, y, licence, 13, MUTED, bold=False, anchor="rm")
        y += 22
    # The licence line: the file LICENSE covers code, pictures, sounds and maps alike.
    for i, line in enumerate(["Splash mark: Halvard Games. Every picture, sound and map",
                              "was made for this game by its team.",
                              "Copyright 2026 The Nullvane developers. Free to share",
                              "and change under the MIT licence: see the file LICENSE."]):
        colour = CYAN_LT if i >= 2 else MUTED
        text(img, 40, 458 + 18 * i, line, 13, colour, bold=False, anchor="lm")
    text(img, 400, 560, "Thank you for playing.", 18, WHITE)
    return img


# ---------------------------------------------------------------- splash

def studio_mark():
    """HALVARD: our studio's wordmark, a hexagon with a split H."""
    w, h, ss = 600, 225, 3
    c = Canvas(w, h, ss)
    cx, cy, r = 112, 112, 78
    pts = [(cx + r * math.cos(math.radians(60 * i + 30)), cy + r * math.sin(math.radians(60 * i + 30)))
           for i in range(6)]
    c.polygon(pts, fill=(225, 232, 245), outline=None)
    r2 = 66
    inner = [(cx + r2 * math.cos(math.radians(60 * i + 30)), cy + r2 * math.sin(math.radians(60 * i + 30)))
             for i in range(6)]
    c.polygon(inner, fill=NIGHT)
    c.rect(cx - 34, cy - 40, cx - 18, cy + 40, fill=(225, 232, 245))
    c.rect(cx + 18, cy - 40, cx + 34, cy + 40, fill=(225, 232, 245))
    c.polygon([(cx - 18, cy + 2), (cx + 18, cy - 14), (cx + 18, cy - 2), (cx - 18, cy + 14)], fill=AMBER)
    c.text(216, 100, "HALVARD", 66, (235, 240, 250), anchor="lm")
    c.text(222, 160, "G A M E S", 22, AMBER, anchor="lm")
    return c.done()


def team_logo():
    img = Image.new("RGBA", (800, 600), rgba(NIGHT))
    pool(img, 400, 250, 200, CYAN, 40)
    c = Canvas(800, 600, 2)
    # a hooded head from the front, drawn flat and bold
    c.ellipse(400, 240, 110, 125, fill=(18, 120, 150))
    c.ellipse(400, 232, 96, 110, fill=CYAN)
    c.ellipse(400, 262, 62, 78, fill=NIGHT)
    c.polygon([(356, 250), (390, 258), (388, 270), (358, 264)], fill=CYAN_LT)
    c.polygon([(444, 250), (410, 258), (412, 270), (442, 264)], fill=CYAN_LT)
    c.rect(330, 355, 470, 362, fill=CYAN)
    img.alpha_composite(c.done())
    heading_glow(img, 400, 420, "THE NULLVANE TEAM", 44, WHITE, CYAN)
    text(img, 400, 470, "presents", 20, MUTED, bold=False)
    return img


# ---------------------------------------------------------------- end screens

def end_screen(won):
    img = office_plan(800, 600, guard=False)
    img = shade(img, 0.6)
    if won:
        pool(img, 400, 300, 260, GREEN, 35)
        img = vignette(img, 0.8)
        for x in (250, 550):
            put(img, upright(sprites.server(True, zoom=3)), x, 300)
        put(img, sprites.hacker(2, zoom=3).rotate(90), 400, 300)
        heading_glow(img, 400, 110, "ACCESS GRANTED", 60, WHITE, GREEN)
        text(img, 400, 170, "Every target server is hacked. Time to slip away.", 19, CYAN_LT, bold=False)
    else:
        pool(img, 400, 300, 260, RED, 40)
        img = vignette(img, 0.8)
        # at the plan's scale, so the half-disc is the 150 units the game uses
        sight(img, 560, 320, 180)
        put(img, sprites.guard(zoom=2).rotate(180), 560, 320)
        put(img, sprites.hacker(2, zoom=2), 420, 320)
        put(img, big(sprites.popup("!", (255, 128, 104)), 2), 560, 250)
        heading_glow(img, 400, 110, "CAUGHT", 72, WHITE, RED)
        text(img, 400, 170, "Security took you in. Every life is spent.", 19, (255, 190, 170), bold=False)
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).rounded_rectangle([150, 480, 650, 560], radius=14, fill=rgba((6, 10, 20), 220),
                                            outline=rgba(CYAN if won else ORANGE), width=2)
    img.alpha_composite(layer)
    x = 400 - (font(22).getlength("Hold") + font(22).getlength(" to return to the menu") + 130) / 2
    text(img, x, 520, "Hold", 22, WHITE, anchor="lm")
    x += font(22).getlength("Hold") + 12
    x = keycap(img, int(x), 520, "BACKSPACE", 16) + 10
    text(img, x, 520, "to return to the menu", 22, WHITE, anchor="lm")
    return img


# ---------------------------------------------------------------- how to play (pause menu)

HOW_W, HOW_H = 533, 400


def how_page(number, title):
    img = Image.new("RGBA", (HOW_W, HOW_H), rgba((12, 18, 34)))
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, HOW_W - 1, 50], fill=rgba((22, 34, 60)))
    d.rectangle([0, 50, HOW_W - 1, 51], fill=rgba(CYAN))
    d.rectangle([0, 0, HOW_W - 1, HOW_H - 1], outline=rgba(CYAN), width=2)
    text(img, 18, 26, title, 24, WHITE, anchor="lm")
    text(img, HOW_W - 18, 26, "%d / 3" % number, 16, CYAN_LT, anchor="rm")
    return img


def icon_tile(pic, size=64):
    """A small framed floor square with one sprite on it, for the how-to-play rows."""
    tile = big(sprites.floor_tile(), 2).crop((0, 0, size, size))
    put(tile, pic, size / 2, size / 2)
    ImageDraw.Draw(tile).rectangle([0, 0, size - 1, size - 1], outline=rgba(SLATE_HI), width=1)
    return tile


def how_row(img, y, icon, body, keys=()):
    img.alpha_composite(icon, (18, y))
    x, ty = 96, y + 4
    if keys:
        keys_row(img, x, ty + 10, keys, 13)
        ty += 28
    paragraph(img, x, ty, body, 15, WHITE, HOW_W - x - 16)


def how_to_play_1():
    img = how_page(1, "THE JOB")
    how_row(img, 66, icon_tile(sprites.hacker(0, zoom=1.5)),
            "Move the hacker through the building.", ("W", "A", "S", "D"))
    ring = sprites.hacker(2, zoom=1.5)
    ring.alpha_composite(sprites.hack_ring(2, zoom=1.5))
    how_row(img, 150, icon_tile(ring),
            "Stand on a server and hold SPACE until the ring closes. You stay put while you hack.",
            ("SPACE",))
    how_row(img, 250, icon_tile(upright(sprites.server(False))),
            "Hack every server of the level to win. The bar at the top shows your lives and the "
            "servers still to hack.")
    paragraph(img, 18, 336, "You have three lives. A guard who touches you costs one: you start "
              "again at your entry point, and guards, radios and lamps are reset.", 14, MUTED, HOW_W - 36)
    return img


def how_to_play_2():
    img = how_page(2, "GUARDS AND BUSHES")
    how_row(img, 66, icon_tile(sprites.guard(zoom=1.5)),
            "Guards walk their rounds and see the half circle ahead of them, unless a wall is in "
            "the way. One who spots you runs after you (a red !) until you are out of sight.")
    how_row(img, 166, icon_tile(sprites.bush(True)),
            "Stand on a bush and hold SPACE to climb in. Hidden, you cannot move, and guards can "
            "neither see nor catch you.", ("SPACE",))
    how_row(img, 286, icon_tile(sprites.bush(False)),
            "Press E to leave the bush (let go of SPACE first).", ("E",))
    return img


def how_to_play_3():
    img = how_page(3, "DISTRACTIONS AND KEYS")
    how_row(img, 62, icon_tile(upright(sprites.radio("on", 0))),
            "Hack a radio, then press E to play music: its guard walks over to switch it off.",
            ("SPACE", "E"))
    how_row(img, 146, icon_tile(sprites.lamp(False, RED, zoom=1.5)),
            "Hack a lamp, press E to switch it off: its guard goes to light it again. Point the "
            "mouse at a lamp to see its area.", ("SPACE", "E"))
    y = 250
    d = ImageDraw.Draw(img)
    d.line([(18, y - 8), (HOW_W - 18, y - 8)], fill=rgba(SLATE_HI), width=1)
    rows = [(("ESC",), "pause"), (("P",), "main menu"), (("F11",), "full screen"),
            (("PAGE UP", "PAGE DOWN"), "music and sound volume up / down")]
    for i, (keys, what) in enumerate(rows):
        x = 18 + (i % 3) * 170 if i < 3 else 18
        yy = y + 18 + (i // 3) * 42
        x = keys_row(img, x, yy, keys, 13) + 4
        text(img, x, yy, what, 15, WHITE, bold=False, anchor="lm")
    text(img, HOW_W / 2, 360, "The alarm music rises while a guard is chasing you.", 14, MUTED, bold=False)
    return img


# ---------------------------------------------------------------- instructions animation

def tut_frame(kind):
    n, top = 400, 56
    # the top strip stays transparent so the menu title above shows through
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    img.paste(tiled_floor(n, n - top, {(0, 0), (4, 0)}, k=2), (0, top))
    caption = ""
    keys = ()
    if kind == "walk":
        for i, a in enumerate((50, 90, 140)):
            ghost = big(sprites.hacker(i + 1))
            ghost.putalpha(ghost.getchannel("A").point(lambda v, a=a: v * a // 255))
            put(img, ghost, 100 + i * 45, 230)
        put(img, big(sprites.hacker(0)), 250, 230)
        put(img, big(upright(sprites.server(False))), 330, 230)
        caption, keys = "walk", ("W", "A", "S", "D")
    elif kind == "hack":
        put(img, big(upright(sprites.server(False))), 330, 230)
        p = sprites.hacker(2)
        p.alpha_composite(sprites.hack_ring(3))
        put(img, big(p), 318, 230)
        caption, keys = "hold to hack", ("SPACE",)
    elif kind == "hide":
        # the guard looks straight at the bush and sees nobody: no pop-up
        put(img, big(sprites.bush(True)), 120, 230)
        sight(img, 300, 265, 215)
        put(img, big(sprites.guard()).rotate(145), 300, 265)
        caption, keys = "hold in a bush to hide", ("SPACE",)
    else:
        # "?": the guard heads for the radio, and the hacker slips past behind it
        put(img, big(upright(sprites.radio("on", 1))), 90, 220)
        sight(img, 260, 240, 180)
        put(img, big(sprites.guard()).rotate(180), 260, 240)
        put(img, big(sprites.popup("?", AMBER)), 260, 170)
        put(img, big(sprites.hacker(1)).rotate(180), 345, 250)
        caption, keys = "switch on a hacked radio", ("E",)
    d = ImageDraw.Draw(img)
    d.rectangle([0, 330, n, n], fill=rgba((6, 10, 20)))
    d.rectangle([0, 329, n, 330], fill=rgba(CYAN))
    f = font(20)
    widths = sum(max(int(font(16).getlength(k)) + 14, 30) + 6 for k in keys)
    x = (n - widths - 8 - f.getlength(caption)) / 2
    x = keys_row(img, int(x), 365, keys, 16, 6) + 6
    text(img, x, 365, caption, 20, WHITE, anchor="lm")
    # The menu draws this frame after its grey "ESC", whose E reaches x 375 to 400
    # and y 325 to 375 of the frame: leave that corner clear.
    nx, ny = TUT_NOTCH
    img.paste((0, 0, 0, 0), (nx, ny, n, n))
    img.paste((0, 0, 0, 0), (0, 0, n, top))   # a half-disc may reach into the title's strip
    d.line([(0, top), (n - 1, top), (n - 1, ny - 1), (nx - 1, ny - 1), (nx - 1, n - 1), (0, n - 1), (0, top)],
           fill=rgba(CYAN), width=2)
    return img


TUT_NOTCH = (366, 316)   # the frame's top left corner of the clear notch


# ---------------------------------------------------------------- all

def make():
    save("menu_bg.png", menu_background())
    save("credits_bg.png", credits_page())
    save("black.png", Image.new("RGBA", (16, 16), (0, 0, 0, 255)))
    save("logo/black.png", Image.new("RGBA", (16, 16), (0, 0, 0, 255)))
    save("logo/halvardLogo.png", studio_mark())
    save("logo/ourLogo.png", team_logo())
    save("win.png", end_screen(True))
    save("lose.png", end_screen(False))
    save("HowToPlay1.png", how_to_play_1())
    save("HowToPlay2.png", how_to_play_2())
    save("HowToPlay3.png", how_to_play_3())
    for i, kind in enumerate(("walk", "hack", "hide", "distract")):
        save("Tut%d.png" % (i + 1), tut_frame(kind))

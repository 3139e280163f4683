"""Level pictures: tiles, actors, hackables, overlays and pop-ups.

Actors face +x (to the right) in their pictures; the game turns them.
Servers and radios are turned a quarter anticlockwise by the game, so they
are drawn upright and then stored a quarter turn clockwise.
"""
import math

import numpy as np
from PIL import Image, ImageDraw

from common import (AMBER, CYAN, CYAN_DK, CYAN_LT, GREEN, GREEN_DK, LEAF, LEAF_DK, LEAF_LT,
                    NAVY, ORANGE, ORANGE_DK, OUTLINE, RED, RED_DK, WHITE, Canvas, font, mix,
                    noise, rgba, save, solid_with_mask, to_image)


def stored_for_quarter_turn(img):
    """The game turns these by +1.57 rad; pre-turn clockwise so they stand upright."""
    return img.transpose(Image.Transpose.ROTATE_270)


# ---------------------------------------------------------------- tiles

def floor_tile():
    n = 40
    rgb = np.zeros((n, n, 3)) + np.array(NAVY, float)
    rgb += noise((n, n, 1), 11, 2.5)
    # Carpet-tile seams on one side only, so neighbours form a single grid line.
    seam = np.array((26, 36, 60), float)
    rgb[0, :, :] = seam
    rgb[:, 0, :] = seam
    # A faint lighter weave in the middle of each carpet tile.
    for y in range(4, 37, 4):
        for x in range(4, 37, 4):
            rgb[y, x] += 5
    return to_image(rgb)


def wall_tile():
    n = 40
    mortar = np.array((58, 70, 98), float)
    brick = np.array((104, 120, 156), float)
    rgb = np.zeros((n, n, 3)) + mortar
    rng = np.random.RandomState(7)
    for row in range(4):
        y0 = row * 10
        offset = 0 if row % 2 == 0 else 10
        for k in range(-1, 3):
            x0 = offset + k * 20
            shade = rng.uniform(-8, 8)
            for y in range(y0 + 1, y0 + 10):
                for x in range(x0 + 1, x0 + 20):
                    xx = x % n
                    rgb[y, xx] = brick + shade
            # lit top edge and a darker lower edge on every brick
            for x in range(x0 + 1, x0 + 20):
                rgb[y0 + 1, x % n] = brick + shade + 26
                rgb[y0 + 9, x % n] = brick + shade - 16
    rgb += noise((n, n, 1), 12, 3)
    return to_image(rgb)


# ---------------------------------------------------------------- hacker

def hacker(frame, zoom=1):
    """Top-down hacker in a cyan hoodie facing +x. frame 2 is the standing pose."""
    c = Canvas(40, 40, 6, grow=1.14)
    phase = math.sin(2 * math.pi * frame / 5 - 4 * math.pi / 5)
    step = 7.5 * phase
    # shoes step out in front of and behind the body
    for fy, off in ((15.0, step), (25.0, -step)):
        c.ellipse(20 + off, fy, 4.6, 2.7, fill=(70, 78, 100), outline=OUTLINE, width=1)
    # arms swing opposite to the feet; hands stay outside the shoulders
    for hy, off in ((8.0, -step * 0.6), (32.0, step * 0.6)):
        c.ellipse(19 + off * 0.5, hy + (1.2 if hy < 20 else -1.2), 5.0, 3.0, fill=CYAN_DK,
                  outline=OUTLINE, width=1)
        c.circle(21.5 + off, hy, 2.5, fill=(236, 190, 150), outline=OUTLINE, width=0.9)
    # hoodie shoulders
    c.ellipse(19.5, 20, 7.6, 11.8, fill=CYAN, outline=OUTLINE, width=1.2)
    c.ellipse(18.8, 20, 5.4, 9.2, fill=mix(CYAN, CYAN_LT, 0.3))
    # backpack on the back
    c.rect(9.5, 14.0, 15.5, 26.0, fill=(34, 44, 68), outline=OUTLINE, width=1, radius=2)
    c.line([(11.6, 15.8), (11.6, 24.2)], fill=CYAN, width=1.3)
    # face peeking out of the hood toward +x, hood seen from above
    c.ellipse(26.6, 20, 2.5, 3.3, fill=(236, 190, 150), outline=OUTLINE, width=0.9)
    c.circle(20.5, 20, 6.0, fill=CYAN_DK, outline=OUTLINE, width=1.1)
    c.circle(19.8, 20, 4.3, fill=mix(CYAN, CYAN_DK, 0.25))
    c.line([(16.0, 20), (23.5, 20)], fill=CYAN_DK, width=0.9)
    return c.done(zoom)


# ---------------------------------------------------------------- guard

def guard(zoom=1):
    """Top-down guard in orange facing +x, torch hand held forward."""
    c = Canvas(40, 40, 6, grow=1.12)
    # a short beam leaving the torch, rounded off before the picture's edge (x 36.7
    # is 38.9 once grown), so it never ends in a cut at the border
    c.pieslice(33.5, 28.2, 3.2, -40, 40, fill=rgba(AMBER, 110))
    c.pieslice(33.5, 28.2, 2.4, -26, 26, fill=rgba(AMBER, 170))
    # feet
    c.ellipse(19, 14.5, 4.0, 2.6, fill=(26, 22, 20), outline=OUTLINE, width=1)
    c.ellipse(19, 25.5, 4.0, 2.6, fill=(26, 22, 20), outline=OUTLINE, width=1)
    # left arm at the side
    c.ellipse(18, 9.0, 5.4, 3.1, fill=ORANGE_DK, outline=OUTLINE, width=1)
    c.circle(21.5, 8.8, 2.3, fill=(214, 160, 120), outline=OUTLINE, width=0.8)
    # torch arm stretched forward
    c.rect(17, 25.5, 30, 31.0, fill=ORANGE_DK, outline=OUTLINE, width=1, radius=2.5)
    c.circle(29.5, 28.2, 2.6, fill=(214, 160, 120), outline=OUTLINE, width=0.8)
    c.rect(29.5, 26.2, 34.5, 30.2, fill=(40, 44, 54), outline=OUTLINE, width=0.8, radius=1)
    c.rect(33.2, 26.6, 34.6, 29.8, fill=(255, 246, 200))
    # shoulders, uniform with a dark belt strap
    c.ellipse(18.5, 20, 7.8, 11.8, fill=ORANGE, outline=OUTLINE, width=1.2)
    c.line([(14.5, 10.5), (22.5, 29.5)], fill=ORANGE_DK, width=1.6)
    # cap from above with its peak toward +x
    c.ellipse(24.3, 20, 3.6, 4.6, fill=(22, 30, 50), outline=OUTLINE, width=0.8)
    c.circle(19.8, 20, 6.0, fill=(30, 42, 70), outline=OUTLINE, width=1.1)
    c.circle(19.0, 20, 2.0, fill=ORANGE)
    return c.done(zoom)


# ---------------------------------------------------------------- lamp

def lamp(lit, ring_colour, zoom=1):
    c = Canvas(40, 40, 6)
    if lit:
        for r, a in ((19.5, 40), (17, 70), (15, 110)):
            c.circle(20, 20, r, fill=rgba(AMBER, a))
    # weighted base plate and the status ring (white: untouched, green/red: hacked)
    c.circle(20, 20, 13.2, fill=(36, 42, 56), outline=OUTLINE, width=1.2)
    c.circle(20, 20, 11.8, outline=ring_colour, width=2.2)
    # shade seen from above
    if lit:
        c.circle(20, 20, 9.0, fill=(255, 238, 180), outline=OUTLINE, width=1)
        c.circle(20, 20, 6.0, fill=(255, 250, 226))
        c.circle(20, 20, 3.0, fill=(255, 255, 255))
    else:
        c.circle(20, 20, 9.0, fill=(62, 66, 80), outline=OUTLINE, width=1)
        c.circle(20, 20, 6.0, fill=(46, 50, 62))
        c.circle(20, 20, 3.0, fill=(30, 32, 40))
    c.line([(20, 11), (20, 14)], fill=OUTLINE, width=0.8)
    return c.done(zoom)


def light_highlight():
    n = 200
    y, x = np.mgrid[0:n, 0:n].astype(float) + 0.5
    edge = np.minimum(np.minimum(x, n - x), np.minimum(y, n - y))
    r = np.hypot(x - n / 2, y - n / 2) / (n / 2)
    alpha = 26 + 40 * np.clip(r, 0, 1) ** 2
    alpha += 100 * np.exp(-edge / 3.0)
    alpha = np.where(edge < 2, 190, alpha)
    rgb = np.zeros((n, n, 3)) + np.array(AMBER, float)
    rgb[..., :] = np.where((edge < 2)[..., None], np.array((255, 240, 190), float), rgb)
    return to_image(rgb, np.clip(alpha, 0, 255))


# ---------------------------------------------------------------- server

def server(hacked, zoom=1):
    c = Canvas(55, 55, 6)
    led = RED if hacked else GREEN
    led_dk = RED_DK if hacked else GREEN_DK
    c.rect(8, 3, 47, 53, fill=(26, 30, 42), outline=OUTLINE, width=1.4, radius=2.5)
    c.rect(10, 5, 45, 51, fill=(44, 52, 70), radius=1.5)
    c.rect(11, 6, 44, 10, fill=led_dk if hacked else (30, 36, 50), radius=1)
    c.circle(41.5, 8, 1.2, fill=led)
    for i in range(6):
        y = 12 + i * 6.4
        c.rect(11.5, y, 43.5, y + 5.2, fill=(24, 28, 38), outline=(70, 82, 106), width=0.6, radius=0.8)
        for k in range(5):
            c.line([(14 + k * 2.6, y + 1.3), (14 + k * 2.6, y + 3.9)], fill=(64, 74, 96), width=0.9)
        lit = (i * 7 + 3) % 5 != 0 or hacked
        c.circle(35.5, y + 2.6, 1.25, fill=led if lit else led_dk)
        c.circle(39.8, y + 2.6, 1.25, fill=led)
    if hacked:
        # a cracked, glitching front panel
        c.line([(14, 20), (21, 26), (18, 31), (26, 38)], fill=rgba(RED, 200), width=0.8)
    return stored_for_quarter_turn(c.done(zoom))


# ---------------------------------------------------------------- radio

def radio(mode, frame=0, zoom=1):
    """mode: 'norm' (not hacked), 'off' (hacked, silent), 'on' (playing)."""
    c = Canvas(55, 55, 6)
    # A hacked radio wears the hacker's cyan, so the change reads at a glance.
    hacked = mode != "norm"
    body = (30, 128, 150) if hacked else (86, 92, 110)
    # antenna and handle
    c.line([(8, 25), (5, 10)], fill=(150, 160, 180), width=1.2)
    c.circle(5, 10, 1.3, fill=(190, 200, 220))
    c.rect(16, 16, 39, 26, outline=OUTLINE, width=4.2, radius=4)
    c.rect(16, 16, 39, 26, outline=(64, 70, 86), width=2.4, radius=4)
    c.rect(4, 24, 51, 52, fill=body, outline=OUTLINE, width=1.4, radius=3)
    c.rect(6, 26, 49, 29, fill=(96, 206, 226) if hacked else (116, 124, 146), radius=1)
    pump = 0.0
    if mode == "on":
        pump = (0.0, 1.2, 0.5)[frame % 3]
    for sx in (15, 40):
        c.circle(sx, 39, 8.4, fill=(34, 38, 50), outline=OUTLINE, width=1)
        c.circle(sx, 39, 5.2 + pump, fill=(54, 60, 78), outline=(22, 24, 32), width=0.8)
        c.circle(sx, 39, 1.8 + pump * 0.4, fill=(120, 128, 150))
    # display between the speakers
    disp = {"norm": (44, 52, 66), "off": (10, 40, 52), "on": CYAN}[mode]
    c.rect(23.5, 33, 31.5, 40, fill=disp, outline=OUTLINE, width=0.8, radius=1)
    led = {"norm": (70, 74, 88), "off": RED, "on": GREEN}[mode]
    c.circle(27.5, 45, 1.4, fill=led)
    c.rect(24, 47.5, 31, 49.5, fill=(52, 56, 70), radius=0.8)
    if mode == "on":
        t = frame / 3.0
        for x0, o in ((43, 0.0), (29, 0.5), (15, 0.25)):
            u = (t + o) % 1.0
            y = 21 - 19 * u
            a = int(255 * (1.0 - 0.55 * u))
            col = rgba(CYAN_LT if o != 0.25 else AMBER, a)
            x = x0 + 2 * math.sin(u * 6.28)
            c.ellipse(x, y + 4.0, 2.3, 1.8, fill=col)
            c.line([(x + 2.0, y + 4.0), (x + 2.0, y - 2.5)], fill=col, width=1.1)
            c.line([(x + 2.0, y - 2.5), (x + 4.8, y - 0.5)], fill=col, width=1.1)
    return stored_for_quarter_turn(c.done(zoom))


# ---------------------------------------------------------------- bush

def bush(with_hacker, zoom=1):
    c = Canvas(60, 60, 6)
    rng = np.random.RandomState(42)
    c.circle(30, 31.5, 27.5, fill=rgba(OUTLINE, 150))
    c.circle(30, 30, 26.5, fill=LEAF_DK)
    blobs = []
    for _ in range(44):
        ang = rng.uniform(0, 2 * math.pi)
        rad = 20 * math.sqrt(rng.uniform(0, 1))
        blobs.append((30 + rad * math.cos(ang), 30 + rad * math.sin(ang), rng.uniform(5.0, 8.0)))
    for x, y, r in blobs:
        c.circle(x + 0.8, y + 1.2, r, fill=mix(LEAF_DK, (0, 0, 0), 0.2))
    for x, y, r in blobs:
        shade = rng.uniform(0, 1)
        c.circle(x, y, r, fill=mix(LEAF, LEAF_DK, 0.4 * shade))
    if with_hacker:
        c.ellipse(30.0, 30, 8.6, 13.0, fill=CYAN, outline=OUTLINE, width=1.2)
        c.ellipse(37.6, 30, 2.7, 3.5, fill=(236, 190, 150), outline=OUTLINE, width=0.9)
        c.circle(31, 30, 6.6, fill=CYAN_DK, outline=OUTLINE, width=1.1)
        c.circle(30.2, 30, 4.7, fill=mix(CYAN, CYAN_DK, 0.25))
    # leaf highlights lit from the top left, a few lying over the hacker
    for _ in range(34):
        ang = rng.uniform(0, 2 * math.pi)
        rad = 23 * math.sqrt(rng.uniform(0, 1))
        x, y = 30 + rad * math.cos(ang), 30 + rad * math.sin(ang)
        if with_hacker and math.hypot(x - 30.5, y - 30) < 8.0:
            continue
        c.circle(x - 1.2, y - 1.2, rng.uniform(1.6, 3.2), fill=LEAF_LT)
    if with_hacker:
        for x, y in ((24, 22), (37, 39), (25, 38), (37, 21)):
            c.circle(x, y, 3.4, fill=LEAF)
            c.circle(x - 0.8, y - 0.8, 1.6, fill=LEAF_LT)
    return c.done(zoom)


# ---------------------------------------------------------------- overlays

def hack_ring(quarters, zoom=1):
    c = Canvas(40, 40, 6)
    c.circle(20, 20, 18.0, outline=rgba(WHITE, 70), width=3.4)
    end = -90 + 90 * quarters
    c.arc(20, 20, 18.0, -90, end, fill=rgba(GREEN, 255), width=3.4)
    a = math.radians(end)
    c.circle(20 + 16.3 * math.cos(a), 20 + 16.3 * math.sin(a), 2.2, fill=(220, 255, 230))
    return c.done(zoom)


def particle():
    n = 11
    y, x = np.mgrid[0:n, 0:n].astype(float) - 5.0
    r = np.hypot(x, y)
    core = np.exp(-(r / 1.6) ** 2)
    rays = np.exp(-np.minimum(np.abs(x), np.abs(y)) ** 2 / 0.35) * np.clip(1 - r / 5.8, 0, 1)
    diag = np.exp(-(np.abs(np.abs(x) - np.abs(y))) ** 2 / 0.3) * np.clip(1 - r / 4.2, 0, 1) * 0.6
    a = np.clip(np.maximum(core, np.maximum(rays, diag)), 0, 1)
    t = np.clip(core * 1.4, 0, 1)[..., None]
    rgb = np.array(CYAN_LT, float) * (1 - t) + np.array((255, 255, 255), float) * t
    return to_image(rgb, a * 255)


def popup(symbol, colour):
    """A light mark for the 15x40 box above a guard."""
    ss = 8
    mask = Image.new("L", (15 * ss, 40 * ss), 0)
    d = ImageDraw.Draw(mask)
    if symbol == "!":
        d.rounded_rectangle([4.0 * ss, 2 * ss, 11.0 * ss, 27 * ss], radius=3 * ss, fill=255)
        d.ellipse([3.8 * ss, 30.5 * ss, 11.2 * ss, 37.9 * ss], fill=255)
    else:
        d.text((7.5 * ss, 20 * ss), "?", font=font(38 * ss), fill=255, anchor="mm")
    mask = mask.resize((15, 40), Image.BOX)
    return solid_with_mask(mask, colour)


def digit(n):
    ss = 4
    mask = Image.new("L", (30 * ss, 30 * ss), 0)
    d = ImageDraw.Draw(mask)
    d.text((15 * ss, 15.5 * ss), str(n), font=font(26 * ss), fill=255, anchor="mm")
    return solid_with_mask(mask.resize((30, 30), Image.BOX), WHITE)


# ---------------------------------------------------------------- all

def make():
    save("BasicTile.png", floor_tile())
    save("Wall.png", wall_tile())
    save("Bush.png", bush(False))
    save("hideBush.png", bush(True))
    for i in range(5):
        save("a_walk1_%d.png" % i, hacker(i))
    save("g_walk1_2.png", guard())
    for i in range(4):
        save("hackload%d.png" % i, hack_ring(i + 1))
    save("particles.png", particle())
    save("a_nLight.png", lamp(True, (200, 210, 228)))
    save("a_glight.png", lamp(True, GREEN))
    save("a_rlight.png", lamp(False, RED))
    save("lighthighlight.png", light_highlight())
    save("serverNormal.png", server(False))
    save("serverHacked.png", server(True))
    save("radioNorm.png", radio("norm"))
    save("radioOff.png", radio("off"))
    for i in range(3):
        save("radioOn%d.png" % i, radio("on", i))
    save("feedback/guard1.png", popup("!", (255, 128, 104)))
    save("feedback/guard2.png", popup("?", AMBER))
    for n in range(1, 7):
        save("%d.png" % n, digit(n))


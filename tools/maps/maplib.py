"""Shared pieces of the map generator and the quick map checker: the level table
(read from Source/LevelData.cpp, where it is written once), the cell codes, and
the guard walk the game performs."""
import math
import os
import re

import numpy as np

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CELL = 40.0
F = np.float32

CODES = {'#': 1, '.': 0, 'P': 2, 'G': 3, 'B': 4, 'R': 5, 'S': 7, 'L': 8, 'A': 9}
WALL, PLAYER, GUARD, BUSH, RADIO, SERVER, LIGHT, AREA = 1, 2, 3, 4, 5, 7, 8, 9


def load_level_table():
    """Parses the level table out of Source/LevelData.cpp."""
    text = open(os.path.join(ROOT, "Source", "LevelData.cpp")).read()
    head = re.compile(r'\{\s*STATE_(\w+),\s*"([^"]+)",\s*(\d+),\s*([\d.]+)f,\s*([\d.]+)f,'
                      r'\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*\{([^}]*)\},')
    guard = re.compile(r'(Standing|StandingFacing|Patrol)\((LINK_\w+),\s*(-?\d+)(.*)\),?\s*$')
    links = {"LINK_NONE": 0, "LINK_RADIO": 1, "LINK_AREA": 2}
    facings = {"kFacingLeft": 3.1415925, "kFacingUp": 1.5707963}
    levels = []
    for line in text.splitlines():
        m = head.search(line)
        if m:
            g = m.groups()
            levels.append(dict(state=g[0], file=g[1], goal=int(g[2]),
                               cam=(float(g[3]), float(g[4])),
                               lights=int(g[5]), areas=int(g[6]), radios=int(g[7]),
                               servers=int(g[8]), bushes=int(g[9]), guards=int(g[10]),
                               area_light=[int(v) for v in g[11].replace(',', ' ').split()],
                               guard_setups=[]))
            continue
        m = guard.search(line.strip())
        if m and levels:
            kind, link, idx, rest = m.groups()
            pts = [(float(a), float(b)) for a, b in re.findall(r'\{\s*(-?[\d.]+),\s*(-?[\d.]+)\s*\}', rest)]
            facing = None
            if kind == "StandingFacing":
                facing = facings[rest.strip(' ,')]
            levels[-1]["guard_setups"].append(dict(link=links[link], index=int(idx),
                                                   facing=facing, patrol=pts))
    return levels


def placed(c):
    """World coordinate at which an actor placed on cell c starts."""
    return F(math.trunc((c + 0.5) * CELL)) + F(0.5)


def check_collision(solid, x, y, w=F(1), h=F(1)):
    """The wall contact flags of a box centred on (x, y), in cells."""
    rows, cols = solid.shape
    half_w, half_h = F(w / F(2)), F(h / F(2))
    q_w, q_h = F(w / F(4)), F(h / F(4))
    probes = [(x + half_w, y + q_h, 2), (x + half_w, y - q_h, 2),
              (x + q_w, y - half_h, 8), (x - q_w, y - half_h, 8),
              (x - half_w, y - q_h, 1), (x - half_w, y + q_h, 1),
              (x - q_w, y + half_h, 4), (x + q_w, y + half_h, 4)]
    flags = 0
    for px, py, flag in probes:
        px, py = F(px), F(py)
        if px < 0 or py < 0:
            continue
        c, r = int(px), int(py)
        if c >= cols or r >= rows:
            continue
        if solid[r, c]:
            flags |= flag
    return flags


def normalize(v):
    length = F(math.sqrt(F(v[0] * v[0] + v[1] * v[1])))
    if length == 0:
        return (F(0), F(0))
    return (F(v[0] / length), F(v[1] / length))


def dist(a, b):
    dx, dy = F(a[0] - b[0]), F(a[1] - b[1])
    return F(math.sqrt(F(dx * dx + dy * dy)))


def walk_patrol(solid, cell, points, cycles=2, from_centre=False):
    """Walks a guard placed on `cell` along its patrol as the game does, at 1/60 s a
    frame. Yields (frame, x, y, flags) after every move; stops after `cycles` laps
    or when a wall stops it. `from_centre` starts it where a catch puts it back:
    the exact cell centre rather than the placed position."""
    c, r = cell
    home = (F((c + 0.5) * CELL), F((r + 0.5) * CELL))
    pos = list(home) if from_centre else [placed(c), placed(r)]
    route = [(F(x), F(y)) for x, y in points] + [home]
    reach = F(0.75 * CELL)
    dt = F(1.0 / 60.0)
    vel = (F(0), F(0))
    laps, away = 0, False
    for frame in range(60 * 600):
        if dist(pos, home) < reach:
            if away:
                laps += 1
                away = False
                if laps >= cycles:
                    return
            vel = normalize((route[0][0] - pos[0], route[0][1] - pos[1]))
        else:
            away = True
            for i, p in enumerate(route):
                if dist(pos, p) < reach:
                    nxt = route[i + 1]
                    vel = normalize((nxt[0] - pos[0], nxt[1] - pos[1]))
                    break
        step = F(dt * F(100.0))
        pos = [F(pos[0] + F(vel[0] * step)), F(pos[1] + F(vel[1] * step))]
        flags = check_collision(solid, F(pos[0] / F(CELL)), F(pos[1] / F(CELL)))
        yield frame, pos[0], pos[1], flags
        if flags:
            return
        pos = [F(pos[0] + F(vel[0] * dt)), F(pos[1] + F(vel[1] * dt))]

#!/usr/bin/python3
"""Quick map checker used while drawing maps (the suite's tests/test_maps.cpp is
the authority). Checks one grid against its level set-up; run on its own it
checks the files in BinaryMaps/."""
import math
import os
import sys
from collections import deque

import numpy as np

sys.path.insert(0, os.path.dirname(__file__))
from maplib import (AREA, BUSH, CELL, GUARD, LIGHT, PLAYER, RADIO, ROOT,  # noqa: E402
                    SERVER, WALL, F, check_collision, load_level_table, placed, walk_patrol)

LEVELS = {lvl["file"]: lvl for lvl in load_level_table()}


def cells_of(grid, code):
    """Cells of one code in placement order: columns left to right, rows upward."""
    return [(c, r) for c in range(len(grid[0])) for r in range(len(grid)) if grid[r][c] == code]


def flood(grid, start):
    seen = {start}
    todo = deque([start])
    while todo:
        c, r = todo.popleft()
        for nc, nr in ((c, r - 1), (c, r + 1), (c - 1, r), (c + 1, r)):
            if 0 <= nc < len(grid[0]) and 0 <= nr < len(grid) and grid[nr][nc] != WALL \
                    and (nc, nr) not in seen:
                seen.add((nc, nr))
                todo.append((nc, nr))
    return seen


def room_at(grid, c, r):
    """A 2 x 2 block with (c, r) as its lower left cell holds no wall: a body one
    cell wide fits there."""
    return 0 <= c and 0 <= r and c + 1 < len(grid[0]) and r + 1 < len(grid) and \
        all(grid[rr][cc] != WALL for cc in (c, c + 1) for rr in (r, r + 1))


def player_reach(grid, start):
    """Cells the player reaches through passages at least two cells wide."""
    c0, r0 = start
    todo = deque(b for b in ((c0, r0), (c0 - 1, r0), (c0, r0 - 1), (c0 - 1, r0 - 1)) if room_at(grid, *b))
    blocks = set(todo)
    cells = set()
    while todo:
        c, r = todo.popleft()
        cells.update({(c, r), (c + 1, r), (c, r + 1), (c + 1, r + 1)})
        for n in ((c, r - 1), (c, r + 1), (c - 1, r), (c + 1, r)):
            if n not in blocks and room_at(grid, *n):
                blocks.add(n)
                todo.append(n)
    return cells


def boxes_overlap(ax, ay, ah, bx, by, bh):
    return abs(ax - bx) <= ah + bh and abs(ay - by) <= ah + bh


def sees(grid, gx, gy, facing, px, py):
    """Whether a guard at (gx, gy) looking along `facing` sees a point (no memory)."""
    ux, uy = math.cos(facing), math.sin(facing)
    dx, dy = px - gx, py - gy
    if ux * dx + uy * dy < 0 or math.hypot(dx, dy) > 150:
        return False
    nx, ny = int(abs(dx / CELL)), int(abs(dy / CELL))
    pc, pr = int(px) // 40, int(py) // 40
    si = 1 if dx / CELL >= 0 else -1
    sj = 1 if dy / CELL >= 0 else -1
    for i in range(0, nx + 1):
        for j in range(0, ny + 1):
            c, r = pc - si * i, pr - sj * j
            if 0 <= c < len(grid[0]) and 0 <= r < len(grid) and grid[r][c] == WALL:
                return False
    return True


def check(name, grid):
    lvl = LEVELS.get(name)
    if lvl is None:
        return [f"no level uses {name}"]
    out = []
    if len(lvl["guard_setups"]) != lvl["guards"]:
        out.append(f"table lists {len(lvl['guard_setups'])} guard set-ups for {lvl['guards']} guards")
    height, width = len(grid), len(grid[0])
    want_w = math.ceil((lvl["cam"][0] + 0.5 + 400) / CELL)
    want_h = math.ceil((lvl["cam"][1] + 0.5 + 300) / CELL)
    if (width, height) != (want_w, want_h):
        out.append(f"size {width}x{height}, camera clamp wants {want_w}x{want_h}")
    for c in range(width):
        if grid[0][c] != WALL or grid[height - 1][c] != WALL:
            out.append(f"border open at column {c}")
    for r in range(height):
        if grid[r][0] != WALL or grid[r][width - 1] != WALL:
            out.append(f"border open at row {r}")
    counts = {PLAYER: 1, GUARD: lvl["guards"], BUSH: lvl["bushes"], RADIO: lvl["radios"],
              SERVER: lvl["servers"], LIGHT: lvl["lights"], AREA: lvl["areas"]}
    cells = {code: cells_of(grid, code) for code in counts}
    for code, want in counts.items():
        if len(cells[code]) != want:
            out.append(f"{len(cells[code])} cells of code {code}, the level creates {want}")
    for r in range(height):
        for c in range(width):
            if grid[r][c] not in (0, 1, 2, 3, 4, 5, 7, 8, 9):
                out.append(f"stray code {grid[r][c]} at {c},{r}")
    if out:
        return out
    solid = np.array([[1 if v == WALL else 0 for v in row] for row in grid], dtype=np.int8)
    start = cells[PLAYER][0]
    reach = player_reach(grid, start)
    for code in (SERVER, RADIO, LIGHT, BUSH, GUARD):
        for cell in cells[code]:
            if cell not in reach:
                out.append(f"code {code} at {cell} unreachable from the start")
    px, py = placed(start[0]), placed(start[1])
    for i, (gs, home) in enumerate(zip(lvl["guard_setups"], cells[GUARD])):
        facing = gs["facing"] or 0.0
        gx, gy = placed(home[0]), placed(home[1])
        if math.hypot(px - gx, py - gy) < 250:
            out.append(f"G{i} stands within 250 of the player start")
        if gs["patrol"]:
            last = None
            crossed_area = False
            for frame, x, y, flags in walk_patrol(solid, home, gs["patrol"]):
                last = (frame, x, y, flags)
                if gs["link"] == 2:
                    ac, ar = cells[AREA][gs["index"]]
                    if boxes_overlap(x, y, 20, placed(ac), placed(ar), 100):
                        crossed_area = True
            if last is None or last[3]:
                out.append(f"G{i} from {home}: wall at frame {last[0]} ({last[1]:.1f}, {last[2]:.1f})"
                           f" flags {last[3]}")
            for frame, x, y, flags in walk_patrol(solid, home, gs["patrol"], from_centre=True):
                if flags:
                    out.append(f"G{i} back from a catch: wall at frame {frame} ({x:.1f}, {y:.1f})")
            if gs["link"] == 2 and not crossed_area:
                out.append(f"G{i} patrol never crosses lit area A{gs['index']}")
        elif check_collision(solid, F(gx / F(CELL)), F(gy / F(CELL))):
            out.append(f"standing G{i} touches a wall")
        if not gs["patrol"] and gs["link"] == 2:
            ac, ar = cells[AREA][gs["index"]]
            if not boxes_overlap(gx, gy, 20, placed(ac), placed(ar), 100):
                out.append(f"standing G{i} outside its lit area A{gs['index']}")
        if gs["link"] == 1 and cells[RADIO][gs["index"]] not in flood(grid, home):
            out.append(f"G{i} cannot walk to radio R{gs['index']}")
        if gs["link"] == 2:
            area = cells[AREA][gs["index"]]
            lamp = cells[LIGHT][lvl["area_light"][gs["index"]]]
            if lamp not in flood(grid, area):
                out.append(f"G{i}: no way from its area to its lamp")
        if sees(grid, gx, gy, facing, px, py):
            out.append(f"G{i} sees the player start")
    return out


def read_map(path):
    nums = open(path).read().split()
    w, h = int(nums[1]), int(nums[3])
    vals = [int(v) for v in nums[6:]]
    return [vals[r * w:(r + 1) * w] for r in range(h)]


def main():
    bad = 0
    for name in LEVELS:
        grid = read_map(os.path.join(ROOT, name))
        problems = check(name, grid)
        if not problems and "--trips" in sys.argv:
            problems = check_trips(name, grid)
        for p in problems:
            print(f"{name}: {p}")
            bad += 1
    print("ok" if bad == 0 else f"{bad} problem(s)")
    return 1 if bad else 0


def check_trips(name, grid, delays=(0, 120, 240, 360, 480, 600, 900, 1200)):
    """Sends every radio and lamp guard on its errand from several points of its
    patrol and reports the trips that do not end back on patrol."""
    import guard_sim
    lvl = LEVELS[name]
    solid = np.array([[1 if v == WALL else 0 for v in row] for row in grid], dtype=np.int8)
    homes, radios = cells_of(grid, GUARD), cells_of(grid, RADIO)
    areas, lights = cells_of(grid, AREA), cells_of(grid, LIGHT)
    out = []
    for i, (gs, home) in enumerate(zip(lvl["guard_setups"], homes)):
        if gs["link"] == 0:
            continue
        kw = {}
        if gs["link"] == 1:
            c, r = radios[gs["index"]]
            kw["radio"] = (placed(c), placed(r))
        else:
            ac, ar = areas[gs["index"]]
            lc, lr = lights[lvl["area_light"][gs["index"]]]
            kw["area"] = (placed(ac), placed(ar))
            kw["lamp"] = (placed(lc), placed(lr))
        for delay in (delays if gs["patrol"] else (0,)):
            outcome, frames, g = guard_sim.trip(solid, home, gs["patrol"], delay=delay, **kw)
            if outcome != "ok":
                out.append(f"G{i} errand after {delay} frames: {outcome} at frame {frames}, "
                           f"({g.pos[0]:.1f}, {g.pos[1]:.1f}) state {g.state}")
    return out


if __name__ == "__main__":
    sys.exit(main())

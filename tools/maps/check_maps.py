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


def patrol_poses(solid, gs, home, step=1):
    """(x, y, heading) of a guard at its post, or every `step` frames of one lap."""
    if not gs["patrol"]:
        return [(placed(home[0]), placed(home[1]), gs["facing"] or 0.0)]
    poses, last = [], (placed(home[0]), placed(home[1]))
    for k, (_, x, y, _) in enumerate(walk_patrol(solid, home, gs["patrol"], cycles=1)):
        if k % step == 0:
            poses.append((x, y, math.atan2(y - last[1], x - last[0])))
        last = (x, y)
    return poses


def hack_spots(solid, server):
    """Where the player can stand, clear of walls, touching a server's box."""
    sx, sy = placed(server[0]), placed(server[1])
    spots = []
    for dx in range(-45, 46, 5):
        for dy in range(-45, 46, 5):
            x, y = F(sx + dx), F(sy + dy)
            if not check_collision(solid, F(x / F(CELL)), F(y / F(CELL))):
                spots.append((x, y))
    return spots


def longest_unseen(grid, solid, gs, home, server):
    """Frames in a row, over the guard's lap (or for good at a post), during which
    some spot the server is hacked from stays out of the guard's view."""
    poses = patrol_poses(solid, gs, home)
    worst = 0
    for px, py in hack_spots(solid, server):
        seen = [sees(grid, gx, gy, f, px, py) for gx, gy, f in poses]
        if not any(seen):
            return math.inf
        run = best = 0
        for s in seen + seen:   # the lap repeats
            run = 0 if s else run + 1
            best = max(best, run)
        worst = max(worst, best)
    return worst


def seen_cells(grid, solid, gs, home):
    out = set()
    for gx, gy, f in patrol_poses(solid, gs, home, step=5):
        for r in range(max(0, int(gy / CELL) - 4), min(len(grid), int(gy / CELL) + 5)):
            for c in range(max(0, int(gx / CELL) - 4), min(len(grid[0]), int(gx / CELL) + 5)):
                if grid[r][c] != WALL and sees(grid, gx, gy, f, c * CELL + 20, r * CELL + 20):
                    out.add((c, r))
    return out


def guards_something(grid, solid, gs, home, start, servers):
    """A lure is worth using when its guard sees a server, or sees every way from
    the start to one."""
    seen = seen_cells(grid, solid, gs, home)
    if any(s in seen for s in servers):
        return True
    blocked = [[WALL if (c, r) in seen else grid[r][c] for c in range(len(grid[0]))]
               for r in range(len(grid))]
    reach = player_reach(blocked, start)
    return any(s not in reach for s in servers)


def empty_share(lvl, grid):
    """Share of the floor more than 5 cells from every object and patrol leg."""
    objs = [(c + 0.5, r + 0.5) for r in range(len(grid)) for c in range(len(grid[0]))
            if grid[r][c] not in (0, WALL)]
    legs = []
    for gs, home in zip(lvl["guard_setups"], cells_of(grid, GUARD)):
        if gs["patrol"]:
            h = (home[0] + 0.5, home[1] + 0.5)
            pts = [h] + [(x / CELL, y / CELL) for x, y in gs["patrol"]] + [h]
            legs += list(zip(pts, pts[1:]))

    def leg_dist(p, a, b):
        dx, dy = b[0] - a[0], b[1] - a[1]
        t = max(0.0, min(1.0, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / (dx * dx + dy * dy or 1)))
        return math.hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy)
    floor = far = 0
    for r in range(len(grid)):
        for c in range(len(grid[0])):
            if grid[r][c] == WALL:
                continue
            p = (c + 0.5, r + 0.5)
            floor += 1
            near = any(math.hypot(p[0] - o[0], p[1] - o[1]) <= 5 for o in objs) or \
                any(leg_dist(p, a, b) <= 5 for a, b in legs)
            far += not near
    return far / floor


def lures(lvl, grid):
    """(name, dx, dy) from each radio to its guard's home cell and each lamp to its lit area."""
    out = []
    radios, lamps, areas = cells_of(grid, RADIO), cells_of(grid, LIGHT), cells_of(grid, AREA)
    for i, (gs, home) in enumerate(zip(lvl["guard_setups"], cells_of(grid, GUARD))):
        if gs["link"] == 1 and gs["index"] < len(radios):
            rc, rr = radios[gs["index"]]
            out.append((f"R{gs['index']}-G{i}", abs(rc - home[0]) * CELL, abs(rr - home[1]) * CELL))
    for a, light in enumerate(lvl["area_light"]):
        if a < len(areas) and light < len(lamps):
            out.append((f"L{light}-A{a}", abs(lamps[light][0] - areas[a][0]) * CELL,
                        abs(lamps[light][1] - areas[a][1]) * CELL))
    return out


# The tutorials that teach a lure: the guard tied to it keeps the server under
# watch, so the lesson cannot be skipped.
TAUGHT = {"BinaryMaps/radioTutorial.txt": 1, "BinaryMaps/lightTutorial.txt": 2}


def check(name, grid):
    lvl = LEVELS.get(name)
    if lvl is None:
        return [f"no level uses {name}"]
    out = []
    if len(lvl["guard_setups"]) != lvl["guards"]:
        out.append(f"table lists {len(lvl['guard_setups'])} guard set-ups for {lvl['guards']} guards")
    height, width = len(grid), len(grid[0])
    want_w = math.ceil((lvl["cam"][0] + 400) / CELL)
    want_h = math.ceil((lvl["cam"][1] + 300) / CELL)
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
    # With the camera at its top clamp the HUD covers the row below the border.
    open_cols = [c for c in range(width) if grid[height - 2][c] != WALL]
    if open_cols:
        out.append(f"floor under the HUD in row {height - 2}, columns {open_cols[0]} to {open_cols[-1]}")
    solid = np.array([[1 if v == WALL else 0 for v in row] for row in grid], dtype=np.int8)
    start = cells[PLAYER][0]
    for ac, ar in cells[AREA]:
        # The 200 x 200 square reaches from two cells left/below to three right/above.
        if any(grid[r][c] == WALL for r in range(ar - 2, ar + 4) for c in range(ac - 2, ac + 4)):
            out.append(f"lit area at {(ac, ar)} lies over a wall")
    for what, dx, dy in lures(lvl, grid):
        if dx > 380 or dy > 230:
            out.append(f"{what} {dx:.0f} across, {dy:.0f} up or down: not on one screen")
    share = empty_share(lvl, grid)
    if share > 0.30:
        out.append(f"{share:.0%} of the floor lies more than 5 cells from everything")
    if name in TAUGHT:
        gi = next(i for i, g in enumerate(lvl["guard_setups"]) if g["link"] == TAUGHT[name])
        gap = longest_unseen(grid, solid, lvl["guard_setups"][gi], cells[GUARD][gi], cells[SERVER][0])
        if gap >= 60:
            out.append(f"S0 can be hacked unseen by G{gi} ({gap} frames without a look)")
    for i, (gs, home) in enumerate(zip(lvl["guard_setups"], cells[GUARD])):
        if gs["link"] and not guards_something(grid, solid, gs, home, start, cells[SERVER]):
            out.append(f"lured G{i} guards nothing: it sees no server and no way to one")
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
        if "--report" in sys.argv:
            lvl = LEVELS[name]
            print(f"{name}: empty {empty_share(lvl, grid):.0%}; " +
                  ", ".join(f"{w} {dx:.0f}/{dy:.0f}" for w, dx, dy in lures(lvl, grid)))
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

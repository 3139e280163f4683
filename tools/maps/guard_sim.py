"""A guard's whole behaviour on a map, without the player: patrol, the walk to
a playing radio or a dark lamp, the two seconds there, and the walk home, with
the route search, the wall push-back and the per-frame replanning of the game.
Used by the quick checker to see that distracted guards arrive and get home."""
import math
from collections import deque

from maplib import CELL, F, check_collision, dist, normalize, placed

DT = F(1.0 / 60.0)
REACH = F(0.75 * CELL)


class Router:
    """Breadth-first routes over the grid (neighbours y-1, y+1, x-1, x+1), cached
    by start and goal cell."""

    def __init__(self, solid):
        self.solid = solid
        self.cache = {}

    def route(self, start, goal):
        key = (start, goal)
        if key in self.cache:
            return self.cache[key]
        rows, cols = self.solid.shape
        parent = {start: None}
        todo = deque([start])
        found = None
        while todo:
            cur = todo.popleft()
            if cur == goal:
                found = cur
                break
            x, y = cur
            for n in ((x, y - 1), (x, y + 1), (x - 1, y), (x + 1, y)):
                if 0 <= n[0] < cols and 0 <= n[1] < rows and not self.solid[n[1], n[0]] \
                        and n not in parent:
                    parent[n] = cur
                    todo.append(n)
        out = []
        if found is not None:
            while found != start:
                out.insert(0, found)
                found = parent[found]
        self.cache[key] = out
        return out


class Guard:
    def __init__(self, solid, router, home, patrol):
        self.solid, self.router = solid, router
        self.home_cell = home
        self.pos = [placed(home[0]), placed(home[1])]
        self.home = (F((home[0] + 0.5) * CELL), F((home[1] + 0.5) * CELL))
        self.route = [(F(x), F(y)) for x, y in patrol] + ([self.home] if patrol else [])
        self.vel = (F(0), F(0))
        self.state, self.target, self.resume = 0, 0, 0
        self.path_ready = False
        self.path = []
        self.wait = 0
        self.hits = 0   # wall contacts while patrolling

    def _aim(self, point):
        self.vel = normalize((point[0] - self.pos[0], point[1] - self.pos[1]))

    def _nudge(self):
        if self.vel[0] * self.vel[0] + self.vel[1] * self.vel[1] < 0.9:
            self.vel = (F(self.vel[0] + F(0.1)), self.vel[1])

    def _plan(self, cell):
        start = (int(self.pos[0] / F(CELL)), int(self.pos[1] / F(CELL)))
        cells = self.router.route(start, cell)
        self.path = [(F((c + 0.5) * CELL), F((r + 0.5) * CELL)) for c, r in cells]
        if self.path:
            self._aim(self.path[0])

    def _move(self, speed=F(100.0)):
        s = F(DT * speed)
        self.pos = [F(self.pos[0] + F(self.vel[0] * s)), F(self.pos[1] + F(self.vel[1] * s))]

    def _follow(self):
        if not self.path:
            return
        last = self.path[-1]
        for i, p in enumerate(self.path):
            d = dist(self.pos, p)
            if d < REACH:
                if dist(self.pos, last) <= d:
                    self.vel = (F(0), F(0))
                    return
                self._aim(self.path[i + 1])
                break
        self._move()

    def _patrol(self):
        if not self.route:
            return
        if dist(self.pos, self.home) < REACH:
            self._aim(self.route[0])
        else:
            for i, p in enumerate(self.route):
                if dist(self.pos, p) < REACH:
                    self._aim(self.route[i + 1])
                    break
        self._move()

    def update(self, radio=None, lamp=None, area=None, world=None):
        """One frame. `radio`/`lamp` are (x, y) of the guard's radio or lamp,
        `area` the lit area's centre, `world` a dict with 'radio_on'/'light_on'."""
        if self.state == 0:
            self._patrol()
        elif self.state == 1:
            if not self.path_ready:
                cell = (int((radio if self.target == 0 else lamp)[0] / F(CELL)),
                        int((radio if self.target == 0 else lamp)[1] / F(CELL)))
                self._plan(cell)
                self.path_ready = True
                if self.target == 1:
                    self._nudge()
            self._follow()
        else:
            if dist(self.pos, self.home) <= REACH:
                if not self.route:
                    self.vel = (F(0), F(0))
                self.path_ready = False
                self.state = 0
            else:
                if not self.path_ready:
                    self._plan(self.home_cell)
                    if self.path:
                        self.path.pop(0)
                    if not self.path:
                        self.state = 0
                    else:
                        self._aim(self.path[0])
                        self._nudge()
                    self.path_ready = True
                self._follow()
        touch = lambda p, half: (abs(self.pos[0] - p[0]) <= 20 + half and
                                 abs(self.pos[1] - p[1]) <= 20 + half)
        if radio is not None:
            if world["radio_on"]:
                if self.state == 2:
                    self.path_ready = False
                self.state, self.target, self.resume = 1, 0, 0
                if touch(radio, 27.5):
                    self.wait += 1
                    if self.wait >= 120:
                        self.wait = 0
                        world["radio_on"] = False
                        self.state, self.path_ready = 2, False
            elif self.state == 1:
                self.state, self.path_ready = 2, False
        if lamp is not None:
            if not world["light_on"] and touch(lamp, 20):
                self.wait += 1
                if self.wait >= 120:
                    self.wait = 0
                    world["light_on"] = True
                    self.path_ready, self.state = False, 2
            else:
                self.wait = 0
            if touch(area, 100) and not world["light_on"]:
                if self.state == 2:
                    self.path_ready = False
                self.state, self.target, self.resume = 1, 1, 1
            elif world["light_on"] and self.state == 1:
                self.path_ready, self.state = False, 2
        flags = check_collision(self.solid, F(self.pos[0] / F(CELL)), F(self.pos[1] / F(CELL)))
        x, y = self.pos
        if flags & 4:
            y = F(math.trunc(float(y)) + 0.5 - 2.5)
        if flags & 8:
            y = F(math.trunc(float(y)) + 0.5 + 2.5)
        if flags & 2:
            x = F(math.trunc(float(x)) + 0.5 - 2.5)
        if flags & 1:
            x = F(math.trunc(float(x)) + 0.5 + 2.5)
        if flags:
            self.vel = (F(0), F(0))
            if self.state == 0:
                self.hits += 1
        self.pos = [F(x + F(self.vel[0] * DT)), F(y + F(self.vel[1] * DT))]
        # The sight, with the player out of view: replan every frame.
        self.path_ready = False
        self.target = self.resume


def trip(solid, home, patrol, radio=None, lamp=None, area=None, delay=0, limit=60 * 120):
    """Starts a guard, lets it patrol `delay` frames, switches its radio on or its
    lamp off, and runs until it is back in patrol after the errand. Returns
    (outcome, frames, guard) with outcome 'ok', 'never-left', 'stuck-away' or
    'patrol-wall'."""
    g = Guard(solid, Router(solid), home, patrol)
    world = {"radio_on": False, "light_on": True}
    for _ in range(delay):
        g.update(radio, lamp, area, world)
    if radio is not None:
        world["radio_on"] = True
    else:
        world["light_on"] = False
    left = False
    for frame in range(limit):
        g.update(radio, lamp, area, world)
        if g.hits:
            return "patrol-wall", frame, g
        if g.state != 0:
            left = True
        elif left and world.get("light_on", True) and not world["radio_on"]:
            # Back in patrol: it must go on walking its rounds without a wall.
            for _ in range(60 * 40):
                g.update(radio, lamp, area, world)
                if g.hits or g.state != 0:
                    return "patrol-wall", frame, g
            return "ok", frame, g
    return ("stuck-away" if left else "never-left"), limit, g

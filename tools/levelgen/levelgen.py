#!/usr/bin/env python3
"""Lays out the campaign's levels 7 to 30 and appends them to the level list.

    tools/levelgen/levelgen.py [DATA_ROOT]     (default: the source tree's root)

Each level is drawn by the layout of its theme (open field, maze, river with fords, fortress,
islands, an arena without a base) from a fixed seed, so the same script writes the same bytes. A
layout that breaks a rule of the game's levels is drawn again from the next seed: the base, the start
and the spawn points on free cells inside the map without overlapping, and every spawn point able to
reach the start and the base over land (brick walls can be shot away; rock and water stay). The ground
tiles, the grass where water cuts a tile and the trees around the map are laid out as in the first six
levels. The first six levels and their entries in the list are never touched.
"""
import os
import random
import sys
from collections import deque

EMPTY, BRICK, ROCK, WATER = 0, 1, 2, 3

# number, width, height, theme, enemies of kinds 0..3, how open the base is (-1 closed and screened by
# rock, 0 closed .. 3 open),
# number of spawn points
LEVELS = [
    (7, 24, 24, "field", (5, 6, 5, 5), 0, 2),
    (8, 28, 28, "maze", (5, 7, 5, 5), 0, 3),
    (9, 30, 30, "river", (5, 7, 6, 5), 0, 3),
    (10, 26, 26, "fortress", (5, 7, 6, 6), 0, 3),
    (11, 32, 32, "islands", (5, 8, 6, 6), 0, 3),
    (12, 22, 22, "arena", (6, 8, 6, 6), 0, 4),
    (13, 34, 34, "field", (5, 8, 7, 7), 1, 3),
    (14, 31, 31, "maze", (5, 9, 8, 6), 0, 2),
    (15, 36, 36, "river", (4, 9, 8, 8), 1, 4),
    (16, 28, 28, "fortress", (4, 10, 8, 8), 1, 4),
    (17, 34, 30, "islands", (4, 10, 9, 8), 1, 4),
    (18, 24, 24, "arena", (5, 10, 9, 8), 0, 4),
    (19, 38, 38, "field", (4, 10, 10, 9), 2, 4),
    (20, 34, 34, "maze", (4, 11, 10, 9), -1, 4),
    (21, 36, 36, "river", (3, 11, 11, 10), 2, 5),
    (22, 30, 30, "fortress", (3, 12, 11, 10), 1, 4),
    (23, 40, 40, "islands", (3, 12, 12, 10), 2, 5),
    (24, 26, 26, "arena", (4, 12, 12, 10), 0, 4),
    (25, 40, 36, "field", (5, 12, 12, 10), -1, 4),
    (26, 37, 37, "maze", (2, 12, 13, 13), 3, 5),
    (27, 38, 38, "river", (2, 13, 13, 13), 3, 6),
    (28, 34, 34, "fortress", (2, 13, 14, 13), -1, 6),
    (29, 40, 40, "islands", (1, 13, 14, 15), 3, 6),
    (30, 40, 40, "finale", (1, 13, 15, 15), 3, 6),
]


class Level:
    def __init__(self, width, height):
        self.w, self.h = width, height
        self.cells = [[EMPTY] * width for _ in range(height)]  # cells[y][x]
        self.base = None
        self.start = None
        self.spawns = []

    def inside(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h

    def set(self, x, y, code):
        if self.inside(x, y):
            self.cells[y][x] = code

    def rect(self, x0, y0, x1, y1, code):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, code)

    def clear_footprint(self, point, margin=0):
        x, y = point
        self.rect(x - margin, y - margin, x + 1 + margin, y + 1 + margin, EMPTY)

    def ring(self, x0, y0, x1, y1, code, gaps=()):
        for x in range(x0, x1 + 1):
            for y in (y0, y1):
                if (x, y) not in gaps:
                    self.set(x, y, code)
        for y in range(y0 + 1, y1):
            for x in (x0, x1):
                if (x, y) not in gaps:
                    self.set(x, y, code)


def place_base(level, rng, openness, x, y):
    """The base at footprint (x, y) with its enclosure: full brick, brick with a gap, a half ring, none;
    below 0, full brick behind screens of rock a cell in front of it and at its sides, which no shell
    goes through (the start, laid out after, clears the screen on its side)."""
    level.base = (x, y)
    level.rect(x - 2, y - 2, x + 3, y + 3, EMPTY)
    ring = [(cx, cy) for cx in range(x - 1, x + 3) for cy in (y - 1, y + 2)]
    ring += [(cx, cy) for cy in (y, y + 1) for cx in (x - 1, x + 2)]
    if openness == 1:
        ring.remove((x + rng.choice((0, 1)), y - 1))  # a shell hole in the front wall
    elif openness == 2:
        ring = [(cx, cy) for (cx, cy) in ring if cy >= y]  # only the sides and the back stand
    elif openness == 3:
        ring = [(cx, cy) for (cx, cy) in ring if cy == y + 2 or (cy >= y and rng.random() < 0.5)]
    for cx, cy in ring:
        level.set(cx, cy, BRICK)
    if openness < 0:
        for cx in range(x - 1, x + 3):
            level.set(cx, y - 3, ROCK)
        for cy in (y, y + 1):
            level.set(x - 3, cy, ROCK)
            level.set(x + 4, cy, ROCK)


def bottom_base(level, rng, openness, start_side=None):
    w, h = level.w, level.h
    bx, by = w // 2 - 1, h - 3
    place_base(level, rng, openness, bx, by)
    side = start_side if start_side is not None else rng.choice((-1, 1))
    level.start = (bx + 5 * side, h - 3)
    level.clear_footprint(level.start, 1)


def top_spawns(level, count):
    w = level.w
    xs = [1 + round(i * (w - 4) / (count - 1)) for i in range(count)] if count > 1 else [w // 2 - 1]
    for x in xs:
        level.spawns.append((x, 1))
        level.clear_footprint((x, 1), 1)


def scatter(level, rng, count, codes, y0, y1, sizes=((1, 3), (3, 1), (2, 2), (1, 4), (4, 1))):
    for _ in range(count):
        sw, sh = rng.choice(sizes)
        x = rng.randrange(1, level.w - sw - 1)
        y = rng.randrange(y0, max(y0 + 1, y1 - sh))
        level.rect(x, y, x + sw - 1, y + sh - 1, rng.choice(codes))


def layout_field(level, rng, openness, spawns):
    w, h = level.w, level.h
    area = w * h
    scatter(level, rng, area // 28, (BRICK, BRICK, ROCK), 4, h - 6)
    for _ in range(max(1, area // 300)):  # ponds
        pw, ph = rng.randrange(3, 6), rng.randrange(2, 4)
        x, y = rng.randrange(2, w - pw - 2), rng.randrange(5, h - ph - 7)
        level.rect(x, y, x + pw - 1, y + ph - 1, WATER)
    top_spawns(level, spawns)
    bottom_base(level, rng, openness)


def layout_maze(level, rng, openness, spawns):
    """Corridors two cells wide between walls one cell thick, carved as a maze with a few loops."""
    w, h = level.w, level.h
    top, bottom = 4, h - 7  # spawn band above, base band below
    cols = (w - 1) // 3
    rows = (bottom - top) // 3
    x0 = (w - (cols * 3 + 1)) // 2
    wall = lambda: ROCK if rng.random() < 0.55 else BRICK
    level.rect(x0, top, x0 + cols * 3, top + rows * 3, EMPTY)
    for y in range(top, top + rows * 3 + 1):
        for x in range(x0, x0 + cols * 3 + 1):
            if (x - x0) % 3 == 0 or (y - top) % 3 == 0:
                level.set(x, y, wall())
    seen = {(0, 0)}
    stack = [(0, 0)]
    def open_between(a, b):
        (ax, ay), (bx, by) = a, b
        if ax == bx:
            wy = top + 3 * max(ay, by)
            level.rect(x0 + 3 * ax + 1, wy, x0 + 3 * ax + 2, wy, EMPTY)
        else:
            wx = x0 + 3 * max(ax, bx)
            level.rect(wx, top + 3 * ay + 1, wx, top + 3 * ay + 2, EMPTY)
    while stack:
        cx, cy = stack[-1]
        nexts = [(cx + dx, cy + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
                 if 0 <= cx + dx < cols and 0 <= cy + dy < rows and (cx + dx, cy + dy) not in seen]
        if not nexts:
            stack.pop()
            continue
        n = rng.choice(nexts)
        open_between((cx, cy), n)
        seen.add(n)
        stack.append(n)
    for _ in range(cols * rows // 6):  # loops, so the maze is not a single way
        cx, cy = rng.randrange(cols - 1), rng.randrange(rows)
        open_between((cx, cy), (cx + 1, cy))
    for i in range(cols):  # entries from the spawn band and into the base band
        if rng.random() < 0.45 or i in (0, cols - 1):
            level.rect(x0 + 3 * i + 1, top, x0 + 3 * i + 2, top, BRICK if rng.random() < 0.5 else EMPTY)
        if rng.random() < 0.45 or i == cols // 2:
            level.rect(x0 + 3 * i + 1, top + rows * 3, x0 + 3 * i + 2, top + rows * 3, EMPTY)
    top_spawns(level, spawns)
    bottom_base(level, rng, openness)


def river(level, rng, y, thickness, fords, posts=True):
    w = level.w
    level.rect(0, y, w - 1, y + thickness - 1, WATER)
    slots = sorted(rng.sample(range(2, w - 4, 3), fords))
    for x in slots:
        level.rect(x, y, x + 1, y + thickness - 1, EMPTY)
        if posts:
            for py in (y - 1, y + thickness):
                level.set(x - 1, py, ROCK)
                level.set(x + 2, py, ROCK)


def layout_river(level, rng, openness, spawns):
    w, h = level.w, level.h
    count = 1 if h < 32 else 2
    band = (h - 12) // (count + 1)
    for i in range(count):
        y = 5 + band * (i + 1) - 1
        river(level, rng, y, rng.choice((2, 3)), max(2, 4 - i - openness // 2))
    scatter(level, rng, w * h // 60, (BRICK, BRICK, ROCK), 4, h - 6, ((1, 3), (3, 1), (2, 1)))
    top_spawns(level, spawns)
    bottom_base(level, rng, openness)


def layout_fortress(level, rng, openness, spawns):
    """The base in the middle of a walled keep with gates, inside an outer wall of rock and brick."""
    w, h = level.w, level.h
    bx, by = w // 2 - 1, h // 2 + 1
    # outer wall: rock with brick gates on every side
    ox0, oy0, ox1, oy1 = 4, 7, w - 5, h - 3
    level.ring(ox0, oy0, ox1, oy1, ROCK)
    for gx in (w // 2 - 1, w // 2, ox0 + 3, ox0 + 4, ox1 - 4, ox1 - 3):
        level.set(gx, oy0, EMPTY if openness >= 2 else BRICK)
    for gy in (by, by + 1):
        level.set(ox0, gy, BRICK if openness < 3 else EMPTY)
        level.set(ox1, gy, BRICK if openness < 3 else EMPTY)
    # inner keep: brick with rock corners
    kx0, ky0, kx1, ky1 = bx - 4, by - 4, bx + 5, by + 5
    level.ring(kx0, ky0, kx1, ky1, BRICK)
    for cx, cy in ((kx0, ky0), (kx1, ky0), (kx0, ky1), (kx1, ky1)):
        level.set(cx, cy, ROCK)
    level.rect(bx, ky0, bx + 1, ky0, EMPTY)
    level.rect(bx, ky1, bx + 1, ky1, EMPTY)
    place_base(level, rng, openness, bx, by)
    scatter(level, rng, w * h // 90, (BRICK, ROCK), 3, 6, ((2, 1), (3, 1)))
    level.start = (bx + rng.choice((-7, 7)), oy1 - 3)
    level.clear_footprint(level.start, 1)
    top_spawns(level, spawns)


def layout_islands(level, rng, openness, spawns):
    """Land islands in water, joined by causeways two cells wide; spawns on the far islands."""
    w, h = level.w, level.h
    level.rect(0, 0, w - 1, h - 1, WATER)
    gx = 3 if w < 36 else 4
    gy = 3 if h < 36 else 4
    cw, ch = w / gx, h / gy
    centres = {}
    for i in range(gx):
        for j in range(gy):
            x0, y0 = int(i * cw) + 1, int(j * ch) + 1
            x1, y1 = int((i + 1) * cw) - 2, int((j + 1) * ch) - 2
            sx, sy = rng.randrange(0, 2), rng.randrange(0, 2)
            level.rect(x0 + sx, y0 + sy, x1, y1, EMPTY)
            centres[(i, j)] = ((x0 + x1) // 2, (y0 + y1) // 2)
    links = set()
    seen = {(0, 0)}
    stack = [(0, 0)]
    while stack:  # a spanning tree of causeways, then a few more
        c = stack[-1]
        nexts = [(c[0] + dx, c[1] + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
                 if (c[0] + dx, c[1] + dy) in centres and (c[0] + dx, c[1] + dy) not in seen]
        if not nexts:
            stack.pop()
            continue
        n = rng.choice(nexts)
        links.add((c, n))
        seen.add(n)
        stack.append(n)
    extra = 1 + openness
    for _ in range(extra):
        i, j = rng.randrange(gx - 1), rng.randrange(gy)
        links.add(((i, j), (i + 1, j)))
    for a, b in links:
        (ax, ay), (bx, by) = centres[a], centres[b]
        if ay == by or a[1] == b[1]:
            y = ay
            level.rect(min(ax, bx), y, max(ax, bx), y + 1, EMPTY)
        else:
            x = ax
            level.rect(x, min(ay, by), x + 1, max(ay, by), EMPTY)
    scatter(level, rng, w * h // 70, (BRICK, ROCK, BRICK), 2, h - 3, ((1, 2), (2, 1), (1, 1)))
    # the base on a bottom island, the spawns on the top row of islands
    bi = gx // 2
    cx, cy = centres[(bi, gy - 1)]
    place_base(level, rng, openness, cx - 1, min(cy, h - 4))
    level.start = (cx - 1 + rng.choice((-4, 4)), min(cy, h - 4))
    level.clear_footprint(level.start, 0)
    tops = [centres[(i, 0)] for i in range(gx)]
    for k in range(spawns):
        x, y = tops[k % gx]
        p = (x - 1 + (k // gx) * 3 * (1 if k % 2 else -1), y - 2)
        level.spawns.append(p)
        level.clear_footprint(p, 0)


def layout_arena(level, rng, openness, spawns):
    """No base to defend: the player starts in the middle, the enemies come from the corners and edges."""
    w, h = level.w, level.h
    scatter(level, rng, w * h // 22, (BRICK, ROCK, BRICK), 2, h - 2, ((2, 2), (1, 3), (3, 1), (2, 1)))
    for _ in range(2):
        pw, ph = rng.randrange(2, 4), rng.randrange(2, 4)
        x, y = rng.randrange(3, w - pw - 3), rng.randrange(3, h - ph - 3)
        level.rect(x, y, x + pw - 1, y + ph - 1, WATER)
    level.start = (w // 2 - 1, h // 2 - 1)
    level.clear_footprint(level.start, 2)
    points = [(1, 1), (w - 3, h - 3), (w - 3, 1), (1, h - 3), (w // 2 - 1, 1), (w // 2 - 1, h - 3)]
    for p in points[:spawns]:
        level.spawns.append(p)
        level.clear_footprint(p, 1)


def layout_finale(level, rng, openness, spawns):
    """The last level: a river with two fords, a maze of rock in front of the base and open flanks."""
    w, h = level.w, level.h
    river(level, rng, 9, 3, 3)
    scatter(level, rng, 30, (BRICK, ROCK), 4, 8, ((2, 1), (1, 2)))
    for y in range(15, h - 8, 4):
        for x in range(3, w - 3, 5):
            if rng.random() < 0.7:
                level.rect(x, y, x + 2, y, rng.choice((ROCK, BRICK)))
    level.rect(0, h // 2, 5, h // 2 + 1, WATER)
    level.rect(w - 6, h // 2, w - 1, h // 2 + 1, WATER)
    top_spawns(level, spawns)
    bottom_base(level, rng, openness)


LAYOUTS = {
    "field": layout_field, "maze": layout_maze, "river": layout_river, "fortress": layout_fortress,
    "islands": layout_islands, "arena": layout_arena, "finale": layout_finale,
}


def footprint_cells(p):
    x, y = p
    return [(x, y), (x + 1, y), (x, y + 1), (x + 1, y + 1)]


def reachable(level, source, goal, clear_base):
    """Breadth-first over 2 x 2 footprints; brick walls count as shot away, rock and water stay."""
    w, h = level.w, level.h
    occupied = [[level.cells[y][x] in (ROCK, WATER) for x in range(w)] for y in range(h)]
    if level.base is not None:
        for x, y in footprint_cells(level.base):
            occupied[y][x] = True
        if clear_base:
            bx, by = level.base
            for y in range(by - 2, by + 4):
                for x in range(bx - 2, bx + 4):
                    if level.inside(x, y):
                        occupied[y][x] = False
    free = lambda p: all(not occupied[y][x] for x, y in footprint_cells(p))
    seen = {source}
    wave = deque([source])
    while wave:
        p = wave.popleft()
        if p == goal:
            return True
        for dx, dy in ((1, 0), (0, -1), (-1, 0), (0, 1)):
            q = (p[0] + dx, p[1] + dy)
            if 0 <= q[0] <= w - 2 and 0 <= q[1] <= h - 2 and q not in seen and (q == goal or free(q)):
                seen.add(q)
                wave.append(q)
    return False


def problems(level):
    found = []
    points = ([level.base] if level.base else []) + [level.start] + level.spawns
    taken = set()
    for p in points:
        if not (0 <= p[0] <= level.w - 2 and 0 <= p[1] <= level.h - 2):
            found.append(f"{p} outside the map")
            continue
        for x, y in footprint_cells(p):
            if level.cells[y][x] != EMPTY:
                found.append(f"{p} on a taken cell")
            if (x, y) in taken:
                found.append(f"{p} overlaps")
            taken.add((x, y))
    if found:
        return found
    for s in level.spawns:
        if not reachable(level, s, level.start, False):
            found.append(f"spawn {s} cannot reach the start")
        if level.base and not reachable(level, s, level.base, True):
            found.append(f"spawn {s} cannot reach the base")
    return found


def number(value):
    text = f"{value:.3f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def decorations(level, rng):
    """Ground tiles of 4 x 4 cells over the map and a margin; a tile over water gives way to grass on
    its dry cells; trees, pines, bushes and rocks in the margin around the map."""
    w, h = level.w, level.h
    lines = []

    def add(mesh, x, z, turn, scale=1.0):
        s = number(scale)
        lines.append(f"Mesh = Data\\Meshes\\{mesh} Position = {number(x)} y = 0 z = {number(z)} "
                     f"Rotation = 0 y = {number(turn)} z = 0 Scale = {s} y = {s} z = {s}")

    left, top = -(w // 2) - 4, h // 2 + 4  # tile corners on cell boundaries
    tiles_x, tiles_z = (w + 8 + 3) // 4, (h + 8 + 3) // 4
    for tz in range(tiles_z):
        for tx in range(tiles_x):
            x0, z0 = left + 4 * tx, top - 4 * tz
            cells = [(x, y) for x in range(w) for y in range(h)
                     if x0 <= x - w / 2 < x0 + 4 and z0 - 4 < h / 2 - y <= z0]
            wet = {c for c in cells if level.cells[c[1]][c[0]] == WATER}
            if not wet:
                add("ground.x", x0 + 2, z0 - 2, rng.choice((0, 90, 180, 270)))
                continue
            for i in range(4):
                for j in range(4):
                    cx, cz = x0 + i + 0.5, z0 - j - 0.5
                    gx, gy = int(cx - 0.5 + w / 2), int(h / 2 - cz - 0.5)
                    if (gx, gy) not in wet:
                        add("grass.x", cx, cz, rng.choice((0, 90, 180, 270)))
    meshes = ("pine.x", "tree.x", "tree.x", "pine.x", "rock.x", "bush.x")
    for side in range(4):
        length = w if side < 2 else h
        for k in range(int(length * 1.1)):
            along = -length / 2 - 2 + (length + 4) * rng.random()
            off = 0.8 + 2.6 * rng.random()
            if side == 0:
                x, z = along, h / 2 + off
            elif side == 1:
                x, z = along, -h / 2 - off
            elif side == 2:
                x, z = -w / 2 - off, along
            else:
                x, z = w / 2 + off, along
            add(rng.choice(meshes), x, z, rng.randrange(360), 0.8 + 0.45 * rng.random())
    return lines


def level_text(level, rng):
    out = [f"Width {level.w}", f"Height {level.h}"]
    out += [" ".join(str(c) for c in row) for row in level.cells]
    if level.base:
        out += ["Base 1", f"Base X {level.base[0]}", f"Base Y {level.base[1]}"]
    else:
        out += ["Base 0"]
    out += ["Player 1", f"Player X {level.start[0]}", f"Player Y {level.start[1]}"]
    out += [f"Spawns {len(level.spawns)}"]
    for x, y in level.spawns:
        out += [f"Spawn X {x}", f"Spawn Y {y}"]
    decor = decorations(level, rng)
    out += [f"Decorations {len(decor)}"] + decor
    return "\r\n".join(out) + "\r\n"


def make_level(number_, width, height, theme, openness, spawns):
    for attempt in range(200):
        rng = random.Random(number_ * 1000 + attempt)
        level = Level(width, height)
        LAYOUTS[theme](level, rng, openness, spawns)
        if not problems(level):
            return level, rng
    raise SystemExit(f"levelgen: level {number_} ({theme}) breaks the rules on every seed")


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    maps = os.path.join(root, "Data", "maps")
    with open(os.path.join(maps, "levels.txt"), "rb") as f:
        shipped = f.read().decode("cp1251").split("\r\n")
    kept = shipped[1:13]  # the first six entries, two lines each
    entries = []
    for number_, width, height, theme, enemies, openness, spawns in LEVELS:
        level, rng = make_level(number_, width, height, theme, openness, spawns)
        with open(os.path.join(maps, f"level{number_}.txt"), "wb") as f:
            f.write(level_text(level, rng).encode("ascii"))
        entries += [f"Level {number_} data\\maps\\level{number_}.txt",
                    "Kind0 {} Kind1 {} Kind2 {} Kind3 {}".format(*enemies)]
        print(f"level{number_}.txt {width}x{height} {theme}, enemies {sum(enemies)}, "
              f"spawns {len(level.spawns)}, {'no base' if level.base is None else 'base'}")
    text = "\r\n".join([str(6 + len(LEVELS))] + kept + entries) + "\r\n"
    with open(os.path.join(maps, "levels.txt"), "wb") as f:
        f.write(text.encode("cp1251"))


if __name__ == "__main__":
    main()

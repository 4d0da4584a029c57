"""The courses from 06 on, of rising difficulty, each built round one idea of its own.

Cells, heights and the helpers are those of map_model: cell (i, j) stands at x = 2i, z = -2j,
j runs forward (the way the camera looks), a box's top lies at y = box y + 1 unless its top
corners are moved.
"""

import math

from map_model import CELL, H, Map, corners, vertices

WARM = (1.0, 0.9, 0.75)
COOL = (0.8, 0.9, 1.0)

KIND_EVIL_MARBLE, KIND_OBSTACLE, KIND_MOVING_OBSTACLE, KIND_SLIME, KIND_THE_BALL = 0, 1, 3, 4, 5


def lamps(m, prefix, cells, colour=WARM, height=6.0, rng=30):
    """A light above each (i, j, ground y) cell."""
    for n, (i, j, y) in enumerate(cells):
        m.light("%s%d" % (prefix, n + 1), (i * CELL, y + height, -j * CELL), colour, rng=rng)


def course(ambient, y=0.0):
    """A map with this ambient light and its four start boxes on cells (0, 0) to (1, 1)."""
    m = Map()
    m.ambient = ambient
    m.start_pad(0, 0, y)
    return m


def grid_waypoints(m, cells, name):
    """A waypoint on the box of each cell, linked to those of the cells beside it."""
    cells = set(cells)
    for i, j in sorted(cells, key=lambda c: (c[1], c[0])):
        neighbours = [name(a, b) for a, b in ((i - 1, j), (i + 1, j), (i, j - 1), (i, j + 1))
                      if (a, b) in cells]
        m.waypoints.append((name(i, j), 1, neighbours))


def rolling_hills():
    """A wide meadow over a hill, through a dip and across a bank that leans to the right: every
    slope is made by moving the top corners of level boxes."""
    m = course((0.45, 0.45, 0.45))

    def ground(x, e):
        """Height of the ground above a flat top at cell edge x (across) and e (forward)."""
        if 3 <= e <= 9:
            return 1.2 * (1 - math.cos(2 * math.pi * (e - 3) / 6)) / 2
        if 10 <= e <= 16:
            return -1.0 * (1 - math.cos(2 * math.pi * (e - 10) / 6)) / 2
        if 17 <= e <= 22:
            return 0.3 * (1 - x) * math.sin(math.pi * (e - 17) / 5)
        return 0.0

    for j in range(0, 25):
        for i in range(0, 3):
            if j < 2 and i < 2:
                continue
            top = [H + ground(x, e) for x, e in
                   ((i + 0.5, j + 0.5), (i - 0.5, j + 0.5), (i - 0.5, j - 0.5), (i + 0.5, j - 0.5))]
            if j == 24:
                m.finishes.append(m.box("goal%d" % i, "finishbox", "goal", i, j))
                continue
            grid, material = (("bank", "wood") if 17 <= j <= 21 else
                              ("dip", "stone") if 10 <= j <= 15 else ("meadow", "grass"))
            m.box("%s%d_%d" % (grid, i, j), material, grid, i, j,
                  verts=corners(*top, centre=H + ground(i, j)))
    lamps(m, "lamp", [(1, 1, 0), (1, 6, 1.2), (1, 13, -1), (1, 19, 0), (1, 24, 0)])
    return m, "Rolling hills: roll over the hill, through the dip and along the leaning bank. " \
              "Time to beat: 25 s"


def the_leap():
    """A run-up down a slope to a kicker, a jump over a gap to a lower field, then a flat gap that
    only a fast ball clears."""
    m = course((0.4, 0.4, 0.45))
    for i in (0, 1):
        for j in (2, 3):
            m.box("run%d_%d" % (i, j), "stone", "runup", i, j)
        for j in range(4, 9):
            m.box("slope%d_%d" % (i, j), "stone", "runup", i, j, -0.3 * (j - 4),
                  vertices(front=H - 0.3, back=H))
        m.box("kicker%d" % i, "wood", "kicker", i, 9, -1.5, vertices(front=H + 0.3, back=H))
        # A gap of one unit: the kicker's front edge lies at z = -19, the field begins at -20.
        for k in range(5):
            m.box("field%d_%d" % (i, k), "grass", "field", i, 10.5 + k, -2.0)
        for k in range(3):
            m.box("ice%d_%d" % (i, k), "ice", "far", i, 16 + k, -2.0)
        m.finishes.append(m.box("goal%d" % i, "finishbox", "far", i, 19, -2.0))
    lamps(m, "lamp", [(0.5, 2, 0), (0.5, 8, -1.5), (0.5, 13, -1), (0.5, 18, -1)])
    return m, "The leap: take a run down the slope, fly off the kicker and keep your speed " \
              "for the second gap. Time to beat: 11 s"


def stamper_alley():
    """Three narrow bridges, each under a stamper; wide platforms between them to wait on."""
    m = course((0.4, 0.4, 0.45))
    narrow = dict(x0=-0.5, x1=0.5)
    rests = [(2, 3), (7, 8), (12, 13), (17, 18)]
    for n, (a, b) in enumerate(rests):
        for j in (a, b):
            for i in (-1, 0, 1, 2):
                if n == 3 and j == 18:
                    if i in (0, 1):
                        m.finishes.append(m.box("goal%d" % i, "finishbox", "rest4", i, j))
                    continue
                m.box("rest%d_%d_%d" % (n + 1, i + 1, j), "stone", "rest%d" % (n + 1), i, j)
    for n, first in enumerate((4, 9, 14)):
        for j in range(first, first + 3):
            name = m.box("bridge%d_%d" % (n + 1, j - first + 1), "wood", "bridge%d" % (n + 1),
                         0.5, j, 0.0, corners(H, H, H, H, **narrow), fit=True)
            if j == first + 1:
                m.waypoints.append((name, 1, []))
                m.monsters.append((KIND_MOVING_OBSTACLE, "stamper%d" % (n + 1), name))
    lamps(m, "lamp", [(0.5, 2.5, 0), (0.5, 7.5, 0), (0.5, 12.5, 0), (0.5, 17.5, 0)], rng=25)
    lamps(m, "fire", [(0.5, 5, 0), (0.5, 10, 0), (0.5, 15, 0)], colour=(1.0, 0.6, 0.4),
          height=4.0, rng=12)
    return m, "Stamper alley: each bridge is only as wide as a ball. Wait before each " \
              "stamper and cross as soon as it rises. Time to beat: 28 s"


def slime_ring():
    """A ring round a deep hole with slimes crawling along its waypoints towards the ball."""
    m = course((0.35, 0.4, 0.35))
    for i in (0, 1):
        m.box("entry%d" % i, "stone", "entry", i, 2)
        m.box("exit%d" % i, "stone", "exit", i, 13)
        m.finishes.append(m.box("goal%d" % i, "finishbox", "exit", i, 14))
    ring = []
    for j in range(3, 13):
        for i in range(-4, 6):
            if -2 <= i <= 3 and 5 <= j <= 10:
                continue
            ring.append((i, j))
            material = "grass" if (i + j) % 2 == 0 else "metal"
            m.box("ring%d_%d" % (i + 4, j), material, "ring", i, j)
    grid_waypoints(m, ring, lambda i, j: "ring%d_%d" % (i + 4, j))
    for n, (i, j) in enumerate(((-4, 8), (5, 7), (-3, 12), (4, 4))):
        m.monsters.append((KIND_SLIME, "slime%d" % (n + 1), "ring%d_%d" % (i + 4, j)))
    lamps(m, "lamp", [(-3.5, 3.5, 0), (4.5, 3.5, 0), (-3.5, 11.5, 0), (4.5, 11.5, 0)],
          colour=(0.85, 1.0, 0.8), rng=30)
    lamps(m, "gate", [(0.5, 1, 0), (0.5, 14, 0)])
    return m, "Slime ring: the slimes crawl round the ring towards you. Slip past them to the " \
              "far gate, and do not let them push you into the hole. Time to beat: 23 s"


def bridge_boxes(m, prefix, materials, grid, cells, y=0.0, drops=None):
    """A bridge one unit wide over the cells (in path order, each next to the one before): each
    box is cut to the middle unit across its cell and reaches out to the cells it joins. The first
    and last box reach out to the cells before and after the path too. materials: one name, or
    one per cell. drops: the height lost along each box (it slopes down towards the next cell)."""
    if isinstance(materials, str):
        materials = [materials] * len(cells)
    names = []
    path = list(cells)
    ends = [(2 * path[0][0] - path[1][0], 2 * path[0][1] - path[1][1]),
            (2 * path[-1][0] - path[-2][0], 2 * path[-1][1] - path[-2][1])]
    full = [ends[0]] + path + [ends[1]]
    level = y
    for k, (i, j) in enumerate(path):
        joined = (full[k], full[k + 2])
        x0 = -H if (i - 1, j) in joined else -0.5
        x1 = H if (i + 1, j) in joined else 0.5
        z0 = -H if (i, j + 1) in joined else -0.5  # forward (+j) is -z
        z1 = H if (i, j - 1) in joined else 0.5
        drop = drops[k] if drops else 0.0
        ahead = full[k + 2]
        top = [H, H, H, H]  # front right, front left, back left, back right
        if drop:
            low = {(i, j + 1): (0, 1), (i, j - 1): (2, 3), (i + 1, j): (0, 3),
                   (i - 1, j): (1, 2)}[ahead]
            for c in low:
                top[c] -= drop
        names.append(m.box("%s%d" % (prefix, k + 1), materials[k], grid, i, j, level,
                           corners(*top, x0=x0, x1=x1, z0=z0, z1=z1)))
        level -= drop
    return names, level


def ice_bridge():
    """A bridge of ice one unit wide, with three bends and a slope down, over nothing."""
    m = course((0.4, 0.45, 0.5))
    for i in (0, 1):
        m.box("deck%d" % i, "stone", "deck", i, 2)
    # The bridge runs on the half cells between the deck's two columns.
    cells = [(0.5, j) for j in range(3, 9)] + [(1.5 + k, 8) for k in range(3)]
    cells += [(3.5, 9 + k) for k in range(4)]
    cells += [(2.5 - k, 12) for k in range(3)] + [(0.5, 13 + k) for k in range(4)]
    drops = [0.0] * len(cells)
    for k in range(len(cells) - 4, len(cells)):
        drops[k] = 0.25
    _, end = bridge_boxes(m, "ice", "ice", "bridge", cells, drops=drops)
    for i in (0, 1):
        m.box("landing%d" % i, "stone", "landing", i, 17, end)
        m.finishes.append(m.box("goal%d" % i, "finishbox", "landing", i, 18, end))
    lamps(m, "lamp", [(0.5, 2, 0), (0.5, 6, 0), (3, 9, 0), (1.5, 13, 0), (0.5, 17, end)],
          colour=COOL, rng=25)
    return m, "Ice bridge: one unit wide and no rail. Slow down before each bend. " \
              "Time to beat: 25 s"


MAZE = [
    "#############",
    "#.....#....F#",
    "#.###.#.###.#",
    "#.#...#...#.#",
    "#.#.#####.#.#",
    "#...#...#.#.#",
    "###.#.#.#.###",
    "#...#.#...#.#",
    "#.###.#####.#",
    "#.#.........#",
    "#.#.#######.#",
    "#...#SS.....#",
    "#####SS######",
]


def maze():
    """Walls of metal, a little higher than a ball, on a floor of grass and stone; the start
    stands in the south, the finish in the far corner."""
    m = course((0.45, 0.45, 0.45))
    rows = len(MAZE)
    for r, row in enumerate(MAZE):
        j = rows - 1 - r
        for c, mark in enumerate(row):
            i = c - 5
            if mark == "#":
                # Wall tops 1.2 above the floor: too high to climb, low enough to see over.
                m.box("wall%d_%d" % (c, j), "metal", "walls", i, j, CELL,
                      vertices(front=H - 0.8, back=H - 0.8), fit=True)
            elif mark == "S":
                assert (i, j) in ((0, 0), (1, 0), (0, 1), (1, 1)), "the start pad's cells"
            elif mark == "F":
                m.finishes.append(m.box("goal", "finishbox", "floor", i, j))
            else:
                m.box("floor%d_%d" % (c, j), "grass" if (i + j) % 2 else "stone", "floor", i, j)
    lamps(m, "lamp", [(1, 2, 0), (-3, 5, 0), (4, 5, 0), (-2, 10, 0), (4, 10, 0), (6, 12, 0)],
          rng=20)
    return m, "The maze: find the way through the walls to the far corner. Time to beat: 40 s"


def spiral_cells(legs):
    """The cells of a square spiral turning right: (direction, length) legs from cell (0, 2)."""
    steps = {"N": (0, 1), "E": (1, 0), "S": (0, -1), "W": (-1, 0)}
    cells = [(0, 2)]
    for direction, length in legs:
        di, dj = steps[direction]
        for _ in range(length):
            i, j = cells[-1]
            cells.append((i + di, j + dj))
    return cells


def spiral_descent():
    """A track one cell wide winding inwards down a square spiral to the finish in its middle;
    the rings stand a cell apart over nothing, and every straight slopes down."""
    top = 4.0
    m = course((0.5, 0.5, 0.55), top)
    legs = [("N", 11), ("E", 10), ("S", 10), ("W", 8), ("N", 8), ("E", 6), ("S", 6), ("W", 4),
            ("N", 3)]
    cells = spiral_cells(legs)
    index = {cell: k for k, cell in enumerate(cells)}
    for k, (i, j) in enumerate(cells):  # only the cells before and after touch each other
        for a, b in ((i + 1, j), (i - 1, j), (i, j + 1), (i, j - 1)):
            assert abs(index.get((a, b), k) - k) <= 1, (i, j)
    # Corners stay level; each straight cell slopes down towards the next one.
    drops = [0.0] * (len(cells) - 1)
    for k in range(1, len(cells) - 1):
        before, after = cells[k - 1], cells[k + 1]
        straight = before[0] == after[0] or before[1] == after[1]
        drops[k] = 0.15 if straight else 0.0
    # Each leg in its own colour, so that the rings below read apart from the one above.
    shades = ("grass", "stone", "wood", "metal")
    materials = []
    for n, (_, length) in enumerate(legs):
        materials += [shades[n % len(shades)]] * length
    materials = [shades[0]] + materials[:len(cells) - 2]
    _, end = bridge_boxes(m, "track", materials, "spiral", cells[:-1], top, drops)
    i, j = cells[-1]
    m.finishes.append(m.box("goal", "finishbox", "spiral", i, j, end))
    # A lamp low over every sixth cell of the track: the rings below stay lit from above.
    heights = [top - sum(drops[:k]) for k in range(len(cells))]
    lamps(m, "lamp", [(i, j, heights[k]) for k, (i, j) in enumerate(cells) if k % 6 == 0],
          height=3.0, rng=30)
    return m, "Spiral descent: wind down the narrowing spiral to the finish in its middle. " \
              "The track has no rails and the ball gathers speed on every slope. " \
              "Time to beat: 72 s"


def gauntlet():
    """Monsters one after the other: a slalom between fires, a causeway into a field where marbles
    hunt the ball and a boulder rolls down at it, and slimes guarding the finish."""
    m = course((0.4, 0.35, 0.35))
    m.box("pad0", "stone", "slalom", -1, 0)
    m.box("pad1", "stone", "slalom", -1, 1)
    for j in range(2, 9):
        for i in (-1, 0, 1):
            name = m.box("slalom%d_%d" % (i + 1, j), "stone", "slalom", i, j)
            if (i, j) in ((-1, 4), (0, 4), (1, 6), (0, 6)):
                m.waypoints.append((name, 1, []))
                m.monsters.append((KIND_OBSTACLE, "fire%d_%d" % (i + 1, j), name))
    for j in range(9, 14):
        m.box("causeway%d" % (j - 8), "wood", "causeway", 0, j, fit=True)
    # The field climbs gently towards a boulder that rolls down at whoever comes up.
    rise = 0.2
    for j in range(14, 24):
        y = rise * (j - 14)
        for i in (-2, -1, 0, 1, 2):
            m.box("field%d_%d" % (i + 2, j), "grass", "field", i, j, y,
                  vertices(front=H + rise, back=H))
    for name, kind, cell in (("hunter1", KIND_EVIL_MARBLE, (-2, 19)),
                             ("hunter2", KIND_EVIL_MARBLE, (2, 21)),
                             ("boulder", KIND_THE_BALL, (0, 23))):
        box = "field%d_%d" % (cell[0] + 2, cell[1])
        m.waypoints.append((box, 1, []))
        m.monsters.append((kind, name, box))
    top = rise * 10
    ring = []
    for j in range(24, 29):
        for i in (-1, 0, 1):
            if j == 28 and i == 0:
                m.finishes.append(m.box("goal", "finishbox", "keep", i, j, top))
                continue
            m.box("keep%d_%d" % (i + 1, j), "metal", "keep", i, j, top)
            ring.append((i, j))
    guards = [(-1, 25), (1, 26), (0, 27)]
    grid_waypoints(m, ring, lambda i, j: "keep%d_%d" % (i + 1, j))
    for n, (i, j) in enumerate(guards):
        m.monsters.append((KIND_SLIME, "guard%d" % (n + 1), "keep%d_%d" % (i + 1, j)))
    lamps(m, "lamp", [(0, 2, 0), (0, 6, 0), (0, 11, 0), (0, 16, 0.4), (0, 21, 1.4),
                      (0, 26, top)], rng=25)
    return m, "The gauntlet: weave between the fires, outrun the hunting marbles and the " \
              "boulder, and slip past the slimes that guard the finish. Time to beat: 55 s"

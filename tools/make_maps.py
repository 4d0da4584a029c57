#!/usr/bin/env python3
"""Writes the shipped course maps (data/maps/0[1-3]_*.kivom) and their companion files.

The maps are committed; run this again after changing a course:
    python3 tools/make_maps.py [output folder, default data/maps]
Courses are laid out on a grid of 2 x 2 cells: cell (i, j) stands at x = 2i, z = -2j, so j runs
forward (-z, the way the camera looks) and i to the right. Every box is a cell-sized box whose
top lies at y = box y + 1.
"""

import os
import sys

CELL = 2.0
H = CELL / 2.0


def fmt(v):
    """A number the way a C++ stream prints it by default (6 significant digits)."""
    text = "%g" % v
    return "0" if text == "-0" else text


def vertices(front=H, back=H, centre=None, left=None, right=None):
    """The nine box vertices; front (-z) and back (+z) top heights, optional centre height.
    left/right override the heights of the left (-x) or right (+x) top corners (tilted sideways)."""
    fr = fl = front
    br = bl = back
    if left is not None:
        fl = bl = left
    if right is not None:
        fr = br = right
    if centre is None:
        centre = (fr + fl + br + bl) / 4.0
    return [(H, fr, -H), (-H, fl, -H), (-H, bl, H), (H, br, H), (0, centre, 0),
            (H, -H, -H), (-H, -H, -H), (-H, -H, H), (H, -H, H)]


class Map:
    def __init__(self):
        self.boxes = []
        self.names = set()
        self.lights = []
        self.ambient = (0.3, 0.3, 0.3)
        self.starts = []
        self.finishes = []
        self.waypoints = []  # (box, weight, [neighbours])
        self.monsters = []

    def box(self, name, material, grid, i, j, y=0.0, verts=None, fit=False):
        assert name not in self.names, name
        self.names.add(name)
        self.boxes.append((name, material, grid, (i * CELL, y, -j * CELL),
                           verts or vertices(), fit))
        return name

    def light(self, name, pos, diffuse, specular=(0.3, 0.3, 0.3), rng=40):
        self.lights.append((name, pos, diffuse, specular, rng))

    def text(self):
        lines = []
        # Grid by grid, in the order the grids first appear, as the editor writes a map.
        grids = list(dict.fromkeys(box[2] for box in self.boxes))
        boxes = [box for grid in grids for box in self.boxes if box[2] == grid]
        for name, material, grid, pos, verts, fit in boxes:
            fields = [name, material, grid] + [fmt(c) for c in pos]
            for v in verts:
                fields += [fmt(c) for c in v]
            fields.append("1" if fit else "0")
            lines.append("box=" + ",".join(fields))
        for name, pos, diffuse, specular, rng in self.lights:
            fields = [name] + [fmt(c) for c in pos + diffuse + specular] + [fmt(rng)]
            lines.append("light=" + ",".join(fields))
        lines.append("ambient=" + ",".join(fmt(c) for c in self.ambient))
        lines += ["startpoint=" + n for n in self.starts]
        lines += ["finishpoint=" + n for n in self.finishes]
        for box, weight, neighbours in self.waypoints:
            lines.append("waypoint=" + ",".join([box, str(weight)] + neighbours))
        for kind, name, box in self.monsters:
            lines.append("monster=%d,%s,%s" % (kind, name, box))
        return "\n".join(lines) + "\n"


def first_steps():
    """A gentle winding course two cells wide: forward, right, forward, left, forward."""
    m = Map()
    m.ambient = (0.45, 0.45, 0.45)
    cells = {}

    def lay(material, grid, iis, jjs):
        for i in iis:
            for j in jjs:
                if (i, j) not in cells:
                    cells[(i, j)] = (material, grid)

    # A start pad of 2 x 2 cells: players 1 and 2 side by side, 3 and 4 one cell ahead.
    pad = [(0, 0), (1, 0), (0, 1), (1, 1)]
    for cell in pad:
        cells[cell] = ("startbox", "start")
    lay("grass", "meadow", range(0, 2), range(0, 8))
    lay("stone", "bridge", range(2, 8), range(6, 8))
    lay("wood", "boards", range(6, 8), range(8, 16))
    lay("ice", "frozen", range(2, 6), range(14, 16))
    lay("metal", "plates", range(2, 4), range(16, 22))
    cells[(2, 22)] = ("finishbox", "goal")
    cells[(3, 22)] = ("finishbox", "goal")
    for (i, j), (material, grid) in sorted(cells.items(), key=lambda c: (c[0][1], c[0][0])):
        name = m.box("c%d_%d" % (i, j), material, grid, i, j, fit=material in ("wood", "metal"))
        if material == "finishbox":
            m.finishes.append(name)
    m.starts += ["c%d_%d" % cell for cell in pad]
    warm = (1.0, 0.9, 0.7)
    for n, (i, j) in enumerate([(0.5, 1), (0.5, 7), (5, 6.5), (6.5, 12), (4, 15), (2.5, 20)]):
        m.light("lamp%d" % (n + 1), (i * CELL, 6, -j * CELL), warm, rng=30)
    # Waypoints along the way (used by monsters in later versions of the course).
    route = ["c0_3", "c1_7", "c6_7", "c7_14", "c3_15", "c3_20"]
    for k, box in enumerate(route):
        neighbours = [route[x] for x in (k - 1, k + 1) if 0 <= x < len(route)]
        m.waypoints.append((box, 1, neighbours))
    return m, "A gentle first course: roll forward, take two bends and reach the finish."


def slopes_and_gaps():
    """Down a ramp, across a field with holes and bumps, up a gentle ramp to the finish."""
    m = Map()
    m.ambient = (0.35, 0.35, 0.4)
    # The top is a start pad: players 1 and 2 side by side, 3 and 4 one cell ahead.
    for name, (i, j) in (("start", (0, 0)), ("top1", (1, 0)), ("top2", (0, 1)), ("top3", (1, 1))):
        m.starts.append(m.box(name, "startbox", "top", i, j))
    drop = 0.5  # height lost per ramp cell
    for j in range(2, 8):
        y = -drop * (j - 2)
        for i in (0, 1):
            m.box("down%d_%d" % (i, j), "wood", "rampdown", i, j, y,
                  vertices(front=H - drop, back=H))
    base = -3.0  # the field's boxes; their tops lie at -2
    holes = {(0, 10), (1, 10), (-1, 12), (0, 12), (1, 14), (2, 14)}
    bumps = {(2, 9): 0.35, (-1, 11): 0.3, (-1, 15): 0.3, (2, 13): 0.3}
    for j in range(8, 16):
        for i in range(-1, 3):
            if (i, j) in holes:
                continue
            if (i, j) in bumps:
                m.box("bump%d_%d" % (i, j), "metal", "field", i, j, base,
                      vertices(centre=H + bumps[(i, j)]))
            else:
                m.box("field%d_%d" % (i, j), "grass", "field", i, j, base)
    # A side shelf tilted towards the field, with a stamper on it.
    m.box("shelf0", "ice", "shelf", -2, 9, base, vertices(left=H + 0.5, right=H))
    m.box("shelf1", "ice", "shelf", -2, 10, base, vertices(left=H + 0.5, right=H))
    rise = 0.25
    for j in range(16, 20):
        y = base + rise * (j - 15)
        for i in (1, 2):
            m.box("up%d_%d" % (i, j), "stone", "rampup", i, j, y,
                  vertices(front=H, back=H - rise))
    top = base + rise * 4
    m.box("end1", "stone", "end", 1, 20, top)
    m.box("end2", "stone", "end", 2, 20, top)
    m.finishes.append(m.box("goal1", "finishbox", "end", 1, 21, top))
    m.finishes.append(m.box("goal2", "finishbox", "end", 2, 21, top))
    m.light("sun", (1, 12, -8), (0.9, 0.9, 1.0), rng=60)
    m.light("field", (1, 4, -22), (1.0, 0.85, 0.6), rng=30)
    m.light("end", (3, 4, -40), (0.7, 1.0, 0.7), rng=30)
    m.waypoints.append(("shelf0", 1, ["shelf1"]))
    m.waypoints.append(("shelf1", 2, ["shelf0"]))
    m.monsters.append((3, "stamper", "shelf1"))
    return m, "Slopes and gaps: ride down the ramp, dodge the holes and climb to the finish."


def arena():
    """A walled square with a start in each corner and the finish in the middle."""
    m = Map()
    m.ambient = (0.3, 0.3, 0.35)
    lo, hi = -5, 4
    corners = [(lo, lo), (hi, hi), (hi, lo), (lo, hi)]  # 2 players: opposite corners
    start_names = {}
    for n, (i, j) in enumerate(corners):
        start_names[(i, j)] = "start%d" % (n + 1)
    finish = {(-1, -1), (0, -1), (-1, 0), (0, 0)}
    for j in range(lo, hi + 1):
        for i in range(lo, hi + 1):
            if (i, j) in start_names:
                m.box(start_names[(i, j)], "startbox", "floor", i, j)
            elif (i, j) in finish:
                m.finishes.append(m.box("goal%d_%d" % (i + 1, j + 1), "finishbox", "floor", i, j))
            else:
                material = "grass" if (i + j) % 2 == 0 else "stone"
                m.box("floor%d_%d" % (i - lo, j - lo), material, "floor", i, j)
    m.starts += [start_names[c] for c in corners]
    # The outer wall, two units above the floor.
    for k in range(lo - 1, hi + 2):
        for i, j in ((k, lo - 1), (k, hi + 1), (lo - 1, k), (hi + 1, k)):
            name = "wall%d_%d" % (i - lo + 1, j - lo + 1)
            if name not in m.names:
                m.box(name, "metal", "wall", i, j, CELL, fit=True)
    # An inner ring round the finish with an opening on each side.
    for k in range(-4, 4):
        for i, j in ((k, -4), (k, 3), (-4, k), (3, k)):
            if i in (-1, 0) or j in (-1, 0):
                continue
            name = "ring%d_%d" % (i + 4, j + 4)
            if name not in m.names:
                m.box(name, "wood", "ring", i, j, CELL, fit=True)
    m.light("centre", (-1, 8, 1), (1.0, 1.0, 0.9), rng=40)
    for n, (i, j) in enumerate(corners):
        m.light("corner%d" % (n + 1), (i * CELL, 6, -j * CELL), (0.8, 0.8, 1.0), rng=25)
    m.waypoints.append(("floor0_6", 1, ["floor0_7"]))
    m.waypoints.append(("floor0_7", 1, ["floor0_6"]))
    m.monsters.append((5, "boulder", "floor0_6"))
    return m, "The arena: four corners, one finish in the middle. Best with two or four players."


def companion(description):
    lines = ["[Mapinfo]", "Description=" + description, "Author=KIVO-Team", "[Top5]"]
    for n in range(1, 6):
        lines += ["name%d=Free" % n, "time%d=0" % n]
    return "\n".join(lines) + "\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data", "maps")
    os.makedirs(folder, exist_ok=True)
    for name, make in (("01_first_steps", first_steps), ("02_slopes_and_gaps", slopes_and_gaps),
                       ("03_arena", arena)):
        level, description = make()
        with open(os.path.join(folder, name + ".kivom"), "w", newline="\n") as out:
            out.write(level.text())
        with open(os.path.join(folder, name + ".kivom.data"), "w", newline="\n") as out:
            out.write(companion(description))


if __name__ == "__main__":
    main()

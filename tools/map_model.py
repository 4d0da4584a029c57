"""The map model behind the course generator: boxes on a grid of 2 x 2 cells, lights, start and
finish points, waypoints and monsters, written as map text, and the map's companion file."""

CELL = 2.0
H = CELL / 2.0


def fmt(v):
    """A number the way a C++ stream prints it by default (6 significant digits)."""
    text = "%g" % v
    return "0" if text == "-0" else text


def corners(fr, fl, bl, br, centre=None, x0=-H, x1=H, z0=-H, z1=H):
    """The nine box vertices from the heights of the four top corners: front right, front left,
    back left, back right (front is -z, right is +x). x0..x1 and z0..z1 are the box's extent
    around its position (narrower than a cell for bridges and gaps)."""
    if centre is None:
        centre = (fr + fl + br + bl) / 4.0
    return [(x1, fr, z0), (x0, fl, z0), (x0, bl, z1), (x1, br, z1),
            ((x0 + x1) / 2.0, centre, (z0 + z1) / 2.0),
            (x1, -H, z0), (x0, -H, z0), (x0, -H, z1), (x1, -H, z1)]


def vertices(front=H, back=H, centre=None, left=None, right=None):
    """The nine box vertices; front (-z) and back (+z) top heights, optional centre height.
    left/right override the heights of the left (-x) or right (+x) top corners (tilted sideways)."""
    fr = fl = front
    br = bl = back
    if left is not None:
        fl = bl = left
    if right is not None:
        fr = br = right
    return corners(fr, fl, bl, br, centre)


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

    def start_pad(self, i, j, y=0.0, grid="start"):
        """Four start boxes on 2 x 2 cells from cell (i, j): players 1 and 2 side by side, 3 and 4
        one cell ahead."""
        for n, (di, dj) in enumerate(((0, 0), (1, 0), (0, 1), (1, 1))):
            self.starts.append(self.box("start%d" % (n + 1), "startbox", grid, i + di, j + dj, y))

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


def companion(description):
    lines = ["[Mapinfo]", "Description=" + description, "Author=KIVO-Team", "[Top5]"]
    for n in range(1, 6):
        lines += ["name%d=Free" % n, "time%d=0" % n]
    return "\n".join(lines) + "\n"

#!/usr/bin/env python3
"""Writes the production's trophy cup as a DirectX .x text file.

The cup is a lathe of one profile about the y axis (foot, stem with a knot, a thin-walled bowl
open at the top) with two tube handles, one each side along x. About 6 units tall, standing on
y = 0. Coordinates and winding are Direct3D's: every triangle runs so that cross(b - a, c - a)
points out of the surface, the way its vertex normals point.

usage: make-trophy.py OUTPUT.x
"""
import math
import sys

AROUND = 36  # vertices in each ring of the lathe
TUBE_AROUND = 12  # vertices in each ring of a handle
TUBE_RADIUS = 0.085
PROFILE_STEP = 0.25  # longest distance between samples along the profile
HANDLE_STEP = 0.12  # and along a handle, which bends more tightly

FOOT_RADIUS = 1.05
# (radius, height) from the foot's bottom edge up the outside, over the rim and down the inside
# to the bowl's floor on the axis. The flat underside meets it at the one sharp edge.
FOOT = [(FOOT_RADIUS, 0.0), (1.06, 0.1), (1.0, 0.2), (0.82, 0.27), (0.55, 0.36), (0.34, 0.52),
        (0.22, 0.75)]
STEM = [(0.17, 1.0), (0.17, 1.25), (0.22, 1.37), (0.32, 1.45), (0.36, 1.55), (0.32, 1.65),
        (0.22, 1.73), (0.17, 1.85), (0.15, 2.1), (0.18, 2.3)]
BOWL_OUTSIDE = [(0.3, 2.42), (0.58, 2.55), (0.9, 2.78), (1.12, 3.1), (1.25, 3.55), (1.3, 4.1),
                (1.32, 4.7), (1.35, 5.3), (1.4, 5.75), (1.42, 5.96)]
RIM = [(1.38, 6.0)]
BOWL_INSIDE = [(1.34, 5.96), (1.32, 5.75), (1.27, 5.3), (1.24, 4.7), (1.22, 4.1), (1.16, 3.55),
               (1.02, 3.12), (0.8, 2.86), (0.45, 2.72), (0.2, 2.685), (0.0, 2.68)]
PROFILE = FOOT + STEM + BOWL_OUTSIDE + RIM + BOWL_INSIDE

# The right handle's centre line (x, y). Its ends sit inside the bowl's wall, which it leaves
# square; it loops out to the side. The left handle is its mirror image.
HANDLE = [(1.31, 5.3), (1.5, 5.34), (1.72, 5.3), (1.87, 5.06), (1.88, 4.6), (1.75, 4.15), (1.58, 3.86),
          (1.4, 3.77), (1.23, 3.75)]

# Diffuse RGBA; specular power; specular RGB; emissive RGB.
GOLD = ((1.0, 0.76, 0.28, 1.0), 40.0, (1.0, 0.9, 0.6), (0.0, 0.0, 0.0))


def catmull_rom(points, step):
    """A smooth curve through the points (centripetal Catmull-Rom), sampled at most `step` apart."""
    padded = [points[0]] + points + [points[-1]]
    samples = [points[0]]
    for i in range(1, len(padded) - 2):
        p0, p1, p2, p3 = padded[i - 1:i + 3]
        count = max(1, math.ceil(math.dist(p1, p2) / step))
        samples += [segment_point(p0, p1, p2, p3, k / count) for k in range(1, count + 1)]
    return samples


def segment_point(p0, p1, p2, p3, s):
    # Knots spaced by the square root of each chord, so that tight corners neither loop nor
    # overshoot; a repeated end point gets a tiny chord.
    t1 = math.dist(p0, p1) ** 0.5 or 1e-6
    t2 = t1 + (math.dist(p1, p2) ** 0.5 or 1e-6)
    t3 = t2 + (math.dist(p2, p3) ** 0.5 or 1e-6)
    t = t1 + s * (t2 - t1)

    def mix(a, b, ta, tb):
        return tuple(((tb - t) * u + (t - ta) * v) / (tb - ta) for u, v in zip(a, b))

    a1, a2, a3 = mix(p0, p1, 0, t1), mix(p1, p2, t1, t2), mix(p2, p3, t2, t3)
    return mix(mix(a1, a2, 0, t2), mix(a2, a3, t1, t3), t1, t2)


def right_normals(curve):
    """Unit normals on the right of a 2D curve's direction (dx, dy): (dy, -dx)."""
    normals = []
    for i in range(len(curve)):
        (x0, y0), (x1, y1) = curve[max(i - 1, 0)], curve[min(i + 1, len(curve) - 1)]
        length = math.hypot(x1 - x0, y1 - y0)
        normals.append(((y1 - y0) / length, (x0 - x1) / length))
    return normals


class Body:
    """Vertices (position, normal) and the triangles that join rows of them into strips."""

    def __init__(self):
        self.vertices = []
        self.triangles = []

    def row(self, vertices):
        first = len(self.vertices)
        self.vertices += vertices
        return list(range(first, len(self.vertices)))

    def surface(self, rows):
        """Joins each row to the next; a row of one vertex is a pole that a whole ring meets.

        The triangles face the side of u x v, u running from row to row and v along a row."""
        for lower, upper in zip(rows, rows[1:]):
            for j in range(max(len(lower), len(upper))):
                a, c = lower[j % len(lower)], lower[(j + 1) % len(lower)]
                b, d = upper[j % len(upper)], upper[(j + 1) % len(upper)]
                if a != c:
                    self.triangles.append((a, b, c))
                if b != d:
                    self.triangles.append((b, d, c))


def lathe(body, curve):
    """Turns a (radius, height) curve about the y axis. Its normals lie on the curve's right."""
    angles = [2 * math.pi * j / AROUND for j in range(AROUND)]
    rows = []
    for (r, y), (nr, ny) in zip(curve, right_normals(curve)):
        if r == 0:
            rows.append(body.row([((0.0, y, 0.0), (0.0, math.copysign(1.0, ny), 0.0))]))
        else:
            rows.append(body.row([((r * math.cos(a), y, r * math.sin(a)),
                                   (nr * math.cos(a), ny, nr * math.sin(a))) for a in angles]))
    body.surface(rows)


def tube(body, centre_line):
    """A round tube along a curve in the xy plane, closed by flat caps."""
    angles = [2 * math.pi * m / TUBE_AROUND for m in range(TUBE_AROUND)]
    rings = []
    for (x, y), (nx, ny) in zip(centre_line, right_normals(centre_line)):
        # Turning from the right normal towards +z, (along the tube) x (around it) points out.
        rings.append([((x + TUBE_RADIUS * ox, y + TUBE_RADIUS * oy, TUBE_RADIUS * oz), (ox, oy, oz))
                      for ox, oy, oz in ((nx * math.cos(a), ny * math.cos(a), math.sin(a)) for a in angles)])
    body.surface([body.row(ring) for ring in rings])
    # Out from the centre at the start and in towards it at the end, both caps face outward.
    centre, edge = cap(rings[0], centre_line[0], centre_line[1])
    body.surface([body.row([centre]), body.row(edge)])
    centre, edge = cap(rings[-1], centre_line[-1], centre_line[-2])
    body.surface([body.row(edge), body.row([centre])])


def cap(ring, centre, inner):
    """The disc closing the tube at `centre`, facing away from `inner`: its middle vertex and its
    edge, the end ring again with the disc's normal, so that the edge is sharp."""
    length = math.dist(centre, inner)
    facing = ((centre[0] - inner[0]) / length, (centre[1] - inner[1]) / length, 0.0)
    return ((centre[0], centre[1], 0.0), facing), [(position, facing) for position, _ in ring]


def trophy():
    body = Body()
    lathe(body, [(0.0, 0.0), (FOOT_RADIUS, 0.0)])  # the flat underside
    lathe(body, catmull_rom(PROFILE, PROFILE_STEP))
    handle = catmull_rom(HANDLE, HANDLE_STEP)
    tube(body, handle)
    tube(body, [(-x, y) for x, y in handle])
    return body


def number(value):
    text = f"{value:.6f}"
    return "0.000000" if text == "-0.000000" else text


def vector(values):
    return ";".join(number(v) for v in values) + ";"


def listing(lines):
    return ",\n".join(lines) + ";\n"


def x_file(body):
    faces = listing(f"3;{a},{b},{c};" for a, b, c in body.triangles)
    diffuse, power, specular, emissive = GOLD
    materials = [",".join("0" for _ in body.triangles[i:i + 40]) for i in range(0, len(body.triangles), 40)]
    return (
        "xof 0303txt 0032\n"
        "Mesh Trophy {\n"
        f"{len(body.vertices)};\n" + listing(vector(p) for p, _ in body.vertices) +
        f"{len(body.triangles)};\n" + faces +
        "MeshNormals {\n"
        f"{len(body.vertices)};\n" + listing(vector(n) for _, n in body.vertices) +
        f"{len(body.triangles)};\n" + faces +
        "}\n"
        "MeshMaterialList {\n"
        f"1;\n{len(body.triangles)};\n" + ",\n".join(materials) + ";;\n"
        "Material Gold {\n"
        f"{vector(diffuse)};\n{number(power)};\n{vector(specular)};\n{vector(emissive)};\n"
        "}\n"
        "}\n"
        "}\n")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "w", encoding="ascii", newline="\n") as output:
        output.write(x_file(trophy()))


if __name__ == "__main__":
    main()

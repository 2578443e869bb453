#!/usr/bin/env python3
"""Makes the sample model the viewer ships: a marble statue on a plinth.

Writes OUTDIR/statue.ase and OUTDIR/media/stone.bmp (OUTDIR defaults to
the repo's sample/ folder). Standard library only; the output is the same
bytes on every run, so the committed files can be remade and diffed.

    python3 tools/sample/make_sample.py [OUTDIR]
    python3 tools/sample/make_sample.py --check [OUTDIR]   # only re-check

The file is written in ASE's own axes (Z up, the figure faces -Y); the
reader turns a point X Y Z into x = X, y = Z, z = -Y, a proper rotation, so
triangles that are counter-clockwise from outside here stay so in the
viewer, where back faces are culled.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

HALF_HEIGHT = 4.5      # the viewer's camera frames about -4.5..4.5 at 15 units
MAX_RADIUS = 2.5       # and about this much either side of the turning axis
TEX_SIZE = 256


# --------------------------------------------------------------- vectors

def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def mul(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1],
            a[2] * b[0] - a[0] * b[2],
            a[0] * b[1] - a[1] * b[0])


def norm(a):
    n = math.sqrt(dot(a, a))
    return mul(a, 1.0 / n)


def catmull_rom(pts, t):
    """Point at t in [0, 1] on a Catmull-Rom curve through pts (ends doubled)."""
    n = len(pts) - 1
    x = min(max(t, 0.0), 1.0) * n
    i = min(int(x), n - 1)
    s = x - i
    p0 = pts[max(i - 1, 0)]
    p1, p2 = pts[i], pts[i + 1]
    p3 = pts[min(i + 2, n)]
    s2, s3 = s * s, s * s * s
    return tuple(0.5 * (2 * p1[k] + (p2[k] - p0[k]) * s
                        + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * s2
                        + (3 * p1[k] - p0[k] - 3 * p2[k] + p3[k]) * s3)
                 for k in range(3))


def profile(table, t):
    """Smooth interpolation of rows (t, a, b, ...) at t (cubic Hermite)."""
    if t <= table[0][0]:
        return table[0][1:]
    if t >= table[-1][0]:
        return table[-1][1:]
    for i in range(len(table) - 1):
        if table[i][0] <= t <= table[i + 1][0]:
            break
    t0, t1 = table[i][0], table[i + 1][0]
    s = (t - t0) / (t1 - t0)
    h = s * s * (3 - 2 * s)
    return tuple(table[i][k] + (table[i + 1][k] - table[i][k]) * h
                 for k in range(1, len(table[0])))


# ----------------------------------------------------------------- parts

class Part:
    """One closed, welded surface; centre[k] is the point vertex k bulges from."""

    def __init__(self, name):
        self.name = name
        self.verts = []
        self.uvs = []
        self.centres = []
        self.faces = []

    def vertex(self, p, uv, centre):
        self.verts.append(p)
        self.uvs.append(uv)
        self.centres.append(centre)
        return len(self.verts) - 1


def sweep(name, rings, seg, pole0, pole1, v0=0.0, v1=1.0):
    """Closed tube through rings, each (centre, N, B, radius(theta)->(rx, ry)).

    Each ring's B is T x N for the spine tangent T, so going round a ring
    (from N towards B) is counter-clockwise seen from ahead; with the rings
    in spine order the quads below then face outwards. pole0 and pole1
    close the two ends.
    u mirrors round the ring (0..1..0) so the seam shows no jump.
    """
    part = Part(name)
    count = len(rings) + 2
    p0 = part.vertex(pole0, (0.5, v0), rings[0][0])
    grid = []
    for i, (c, n, b, radius) in enumerate(rings):
        v = v0 + (v1 - v0) * (i + 1) / (count - 1)
        row = []
        for j in range(seg):
            th = 2.0 * math.pi * j / seg - math.pi
            rx, ry = radius(th)
            p = add(c, add(mul(n, rx * math.cos(th)), mul(b, ry * math.sin(th))))
            row.append(part.vertex(p, (abs(th) / math.pi, v), c))
        grid.append(row)
    p1 = part.vertex(pole1, (0.5, v1), rings[-1][0])
    first, last = grid[0], grid[-1]
    for j in range(seg):
        k = (j + 1) % seg
        part.faces.append((p0, first[k], first[j]))
    for lo, hi in zip(grid, grid[1:]):
        for j in range(seg):
            k = (j + 1) % seg
            part.faces.append((lo[j], lo[k], hi[k]))
            part.faces.append((lo[j], hi[k], hi[j]))
    for j in range(seg):
        k = (j + 1) % seg
        part.faces.append((last[j], last[k], p1))
    return part


def frame(t, ref):
    """N, B for tangent t, N as close to ref as it gets."""
    n = norm(sub(ref, mul(t, dot(ref, t))))
    return n, cross(t, n)


def tube(name, ctrl, radii, n_rings, seg, ref, cap0, cap1, cap_rings=5,
         fold=None):
    """A limb: rings along a Catmull-Rom spine, rounded caps at both ends.

    radii(t) -> (rx, ry) in [0, 1] along the spine; cap0/cap1 are how far
    the rounded ends reach past the spine's ends; fold(t, theta) is an
    optional radius factor (drapery).
    """
    dense = [catmull_rom(ctrl, i / 400.0) for i in range(401)]
    acc = [0.0]
    for a, b in zip(dense, dense[1:]):
        acc.append(acc[-1] + math.sqrt(dot(sub(b, a), sub(b, a))))
    total = acc[-1]

    def at_length(s):
        for i in range(1, len(acc)):
            if acc[i] >= s:
                w = (s - acc[i - 1]) / max(acc[i] - acc[i - 1], 1e-12)
                return add(dense[i - 1], mul(sub(dense[i], dense[i - 1]), w))
        return dense[-1]

    pts = [at_length(total * k / (n_rings - 1)) for k in range(n_rings)]
    tans = []
    for k in range(n_rings):
        a = pts[max(k - 1, 0)]
        b = pts[min(k + 1, n_rings - 1)]
        tans.append(norm(sub(b, a)))
    # Parallel transport keeps the rings from twisting along a bent limb.
    frames = [frame(tans[0], ref)]
    for k in range(1, n_rings):
        frames.append(frame(tans[k], frames[-1][0]))

    def ring_radius(t, scale):
        def radius(th):
            rx, ry = radii(t)
            f = fold(t, th) if fold else 1.0
            return rx * scale * f, ry * scale * f
        return radius

    rings = []
    for i in range(cap_rings - 1, 0, -1):
        phi = 0.5 * math.pi * i / cap_rings
        c = sub(pts[0], mul(tans[0], cap0 * math.sin(phi)))
        rings.append((c, frames[0][0], frames[0][1], ring_radius(0.0, math.cos(phi))))
    for k in range(n_rings):
        t = k / (n_rings - 1)
        rings.append((pts[k], frames[k][0], frames[k][1], ring_radius(t, 1.0)))
    for i in range(1, cap_rings):
        phi = 0.5 * math.pi * i / cap_rings
        c = add(pts[-1], mul(tans[-1], cap1 * math.sin(phi)))
        rings.append((c, frames[-1][0], frames[-1][1], ring_radius(1.0, math.cos(phi))))
    pole0 = sub(pts[0], mul(tans[0], cap0))
    pole1 = add(pts[-1], mul(tans[-1], cap1))
    return sweep(name, rings, seg, pole0, pole1)


def ellipsoid(name, centre, axis, ref, a, rx, ry, n_rings, seg, shape=None):
    """Ellipsoid with semi-axis a along axis, rx along ref, ry across both.

    shape(phi, theta) -> (fx, fy) bends it (phi is the latitude, -pi/2..pi/2).
    """
    t = norm(axis)
    n, b = frame(t, ref)
    rings = []
    for i in range(1, n_rings):
        phi = -0.5 * math.pi + math.pi * i / n_rings
        c = add(centre, mul(t, a * math.sin(phi)))

        def radius(th, phi=phi):
            fx, fy = shape(phi, th) if shape else (1.0, 1.0)
            return rx * math.cos(phi) * fx, ry * math.cos(phi) * fy
        rings.append((c, n, b, radius))
    return sweep(name, rings, seg, sub(centre, mul(t, a)), add(centre, mul(t, a)))


def rounded_box(name, lo, hi, r, step):
    """Box lo..hi with edges rounded by r; faces split about every step units.

    Built face by face on the box and pushed onto the rounding, then welded,
    so the vertex normals blend round the edges instead of averaging the
    corners into blobs.
    """
    arc = 3  # samples over each 45-degree half of a rounded edge

    def axis_values(a):
        lo_in, hi_in = lo[a] + r, hi[a] - r
        n_flat = max(2, int(round((hi_in - lo_in) / step)))
        vals = [lo_in - r * math.tan(0.25 * math.pi * i / arc) for i in range(arc, 0, -1)]
        vals += [lo_in + (hi_in - lo_in) * i / n_flat for i in range(n_flat + 1)]
        vals += [hi_in + r * math.tan(0.25 * math.pi * i / arc) for i in range(1, arc + 1)]
        return vals

    values = [axis_values(a) for a in range(3)]
    centre = mul(add(lo, hi), 0.5)
    part = Part(name)
    index = {}

    def place(q):
        inner = tuple(min(max(q[k], lo[k] + r), hi[k] - r) for k in range(3))
        d = sub(q, inner)
        p = add(inner, mul(norm(d), r))
        key = tuple(round(x, 7) for x in p)
        if key not in index:
            # A mapping continuous over the whole box that still spreads
            # the image in two directions on every side and on the top.
            xn, yn, zn = ((p[k] - lo[k]) / (hi[k] - lo[k]) for k in range(3))
            u = 0.5 * (xn + yn)
            v = 0.5 * zn + 0.5 * abs(xn - yn)
            index[key] = part.vertex(p, (u, v), centre)
        return index[key]

    for a in range(3):
        ua, va = (a + 1) % 3, (a + 2) % 3   # (ua, va, a) is right-handed
        for side, plane in ((1, hi[a]), (-1, lo[a])):
            us, vs = values[ua], values[va]
            grid = []
            for x in us:
                row = []
                for y in vs:
                    q = [0.0, 0.0, 0.0]
                    q[a], q[ua], q[va] = plane, x, y
                    row.append(place(tuple(q)))
                grid.append(row)
            for i in range(len(us) - 1):
                for j in range(len(vs) - 1):
                    a0, a1 = grid[i][j], grid[i + 1][j]
                    b1, b0 = grid[i + 1][j + 1], grid[i][j + 1]
                    quad = (a0, a1, b1, b0) if side > 0 else (a0, b0, b1, a1)
                    part.faces.append((quad[0], quad[1], quad[2]))
                    part.faces.append((quad[0], quad[2], quad[3]))
    return part


# ---------------------------------------------------------------- statue

def build_parts():
    parts = []
    # Plinth: base slab, die, cap slab.
    parts.append(rounded_box("plinth_base", (-1.65, -1.65, -4.55), (1.65, 1.65, -4.12), 0.06, 0.4))
    parts.append(rounded_box("plinth_die", (-1.38, -1.38, -4.16), (1.38, 1.38, -3.44), 0.05, 0.4))
    parts.append(rounded_box("plinth_cap", (-1.52, -1.52, -3.48), (1.52, 1.52, -3.2), 0.06, 0.4))

    # Figure, in head units h, soles at z = 0; it faces -Y.
    h = 1.0
    z0 = -3.2

    def P(x, y, z):
        return (x * h, y * h, z0 + z * h)

    up = (0.0, 0.0, 1.0)
    side = (1.0, 0.0, 0.0)

    torso_profile = [  # t along the spine, rx, ry, y offset (chest forward)
        (0.00, 0.48, 0.34, 0.00),
        (0.10, 0.66, 0.42, 0.00),
        (0.19, 0.72, 0.44, 0.00),
        (0.32, 0.66, 0.40, 0.00),
        (0.44, 0.58, 0.36, -0.02),
        (0.57, 0.64, 0.42, -0.05),
        (0.71, 0.74, 0.47, -0.07),
        (0.84, 0.86, 0.45, -0.05),
        (0.93, 0.92, 0.39, -0.02),
        (1.00, 0.86, 0.33, 0.00),
    ]
    z_lo, z_hi = 3.45, 6.05
    torso_ctrl = [P(0, profile(torso_profile, k / 8.0)[2], z_lo + (z_hi - z_lo) * k / 8.0)
                  for k in range(9)]
    parts.append(tube("torso", torso_ctrl,
                      lambda t: tuple(x * h for x in profile(torso_profile, t)[:2]),
                      30, 48, side, 0.2 * h, 0.3 * h, cap_rings=6))

    # A short tunic over the hips hides where the legs meet the body.
    tunic_profile = [(0.0, 1.0, 0.66), (0.3, 0.92, 0.58), (0.7, 0.76, 0.48), (1.0, 0.64, 0.41)]

    def tunic_fold(t, th):
        return 1.0 + 0.05 * (1.0 - t) * math.sin(10 * th) + 0.015 * math.sin(3 * th + 1.0)
    parts.append(tube("tunic", [P(0, 0.0, 2.95), P(0, -0.02, 3.75), P(0, -0.02, 4.55)],
                      lambda t: tuple(x * h for x in profile(tunic_profile, t)),
                      16, 72, side, 0.06 * h, 0.05 * h, cap_rings=3, fold=tunic_fold))

    parts.append(tube("neck", [P(0, 0.02, 5.95), P(0, -0.01, 6.4), P(0, -0.05, 6.8)],
                      lambda t: (0.2 * h, 0.22 * h), 8, 24, side, 0.1 * h, 0.1 * h, cap_rings=3))

    def jaw(phi, th):
        low = max(0.0, -math.sin(phi))
        return 1.0 - 0.22 * low * low, 1.0 - 0.08 * low
    parts.append(ellipsoid("head", P(0, -0.06, 7.0), up, side, 0.5 * h, 0.37 * h, 0.46 * h,
                           26, 40, jaw))
    parts.append(ellipsoid("hair", P(0, 0.04, 7.12), up, side, 0.42 * h, 0.4 * h, 0.47 * h,
                           18, 40))
    parts.append(ellipsoid("nose", P(0, -0.5, 6.94), (0, -0.35, 1.0), side, 0.15 * h,
                           0.06 * h, 0.09 * h, 8, 16))

    arm_profile = [(0.0, 0.23), (0.15, 0.2), (0.42, 0.145), (0.5, 0.135),
                   (0.62, 0.15), (0.85, 0.12), (1.0, 0.095)]

    def arm_radii(t):
        r = profile(arm_profile, t)[0] * h
        return r, 0.9 * r

    def arm(name, shoulder, elbow, wrist, hand_ref):
        parts.append(tube(name, [P(*shoulder), P(*elbow), P(*wrist)], arm_radii,
                          30, 24, side, 0.15 * h, 0.05 * h, cap_rings=4))
        d = norm(sub(P(*wrist), P(*elbow)))
        parts.append(ellipsoid(name + "_hand", add(P(*wrist), mul(d, 0.2 * h)), d, hand_ref,
                               0.26 * h, 0.11 * h, 0.055 * h, 12, 20))

    # Left arm hangs; the right one is bent, forearm reaching forward.
    arm("arm_left", (0.8, 0.0, 5.84), (1.1, 0.08, 4.65), (1.14, -0.05, 3.55), (0, 1, 0))
    arm("arm_right", (-0.8, 0.0, 5.84), (-1.1, 0.1, 4.72), (-0.9, -0.85, 4.45), up)

    leg_profile = [(0.0, 0.4), (0.12, 0.38), (0.35, 0.3), (0.48, 0.23), (0.52, 0.23),
                   (0.62, 0.265), (0.72, 0.25), (0.9, 0.16), (1.0, 0.14)]

    def leg_radii(t):
        r = profile(leg_profile, t)[0] * h
        return r, 0.95 * r

    def flat_sole(phi, th):
        # B points up on a forward foot, so negative sin(theta) is the sole.
        return 1.0, 1.0 - 0.45 * max(0.0, -math.sin(th))

    def leg(name, hip, knee, ankle):
        parts.append(tube(name, [P(*hip), P(*knee), P(*ankle)], leg_radii,
                          36, 28, side, 0.25 * h, 0.08 * h, cap_rings=5))
        parts.append(ellipsoid(name + "_foot", P(ankle[0], ankle[1] - 0.25, 0.16), (0, -1, 0),
                               side, 0.5 * h, 0.19 * h, 0.18 * h, 14, 28, flat_sole))

    # Contrapposto: the left leg takes the weight, the right knee is eased forward.
    leg("leg_left", (0.4, 0.0, 3.85), (0.44, -0.02, 2.05), (0.46, 0.04, 0.28))
    leg("leg_right", (-0.4, 0.0, 3.85), (-0.48, -0.18, 2.1), (-0.52, 0.1, 0.28))
    return parts


def weld(part, eps=1e-6):
    """Merge coincident vertices of one part and drop faces that collapse."""
    index, remap, verts, uvs, centres = {}, [], [], [], []
    for p, uv, c in zip(part.verts, part.uvs, part.centres):
        key = tuple(int(round(x / eps)) for x in p)
        if key not in index:
            index[key] = len(verts)
            verts.append(p)
            uvs.append(uv)
            centres.append(c)
        remap.append(index[key])
    faces = []
    for f in part.faces:
        g = tuple(remap[i] for i in f)
        if len(set(g)) == 3:
            faces.append(g)
    part.verts, part.uvs, part.centres, part.faces = verts, uvs, centres, faces


def orientation_report(part):
    """Fraction of faces whose normal points away from the part's centre line."""
    out = 0
    for f in part.faces:
        a, b, c = (part.verts[i] for i in f)
        n = cross(sub(b, a), sub(c, a))
        centroid = mul(add(add(a, b), c), 1.0 / 3.0)
        centre = mul(add(add(part.centres[f[0]], part.centres[f[1]]), part.centres[f[2]]), 1.0 / 3.0)
        if dot(n, sub(centroid, centre)) > 0.0:
            out += 1
    return out / len(part.faces)


def fit(parts):
    """Scale and lift everything so the statue spans -4.5..4.5 vertically."""
    zs = [p[2] for part in parts for p in part.verts]
    lo, hi = min(zs), max(zs)
    s = 2.0 * HALF_HEIGHT / (hi - lo)
    dz = -HALF_HEIGHT - lo * s
    for part in parts:
        part.verts = [(p[0] * s, p[1] * s, p[2] * s + dz) for p in part.verts]
        part.centres = [(p[0] * s, p[1] * s, p[2] * s + dz) for p in part.centres]


# ------------------------------------------------------------- ASE output

def fmt(x):
    s = "%.4f" % x
    return "0.0000" if s == "-0.0000" else s


def write_ase(path, verts, uvs, faces):
    nv, nf = len(verts), len(faces)
    out = []
    w = out.append
    w("*3DSMAX_ASCIIEXPORT\t200")
    w('*COMMENT "make_sample.py"')
    w("*SCENE {")
    w('\t*SCENE_FILENAME "statue.max"')
    w("\t*SCENE_FIRSTFRAME 0")
    w("\t*SCENE_LASTFRAME 100")
    w("\t*SCENE_FRAMESPEED 30")
    w("\t*SCENE_TICKSPERFRAME 160")
    w("\t*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000")
    w("\t*SCENE_AMBIENT_STATIC 0.0000\t0.0000\t0.0000")
    w("}")
    w("*MATERIAL_LIST {")
    w("\t*MATERIAL_COUNT 1")
    w("\t*MATERIAL 0 {")
    w('\t\t*MATERIAL_NAME "Marble"')
    w('\t\t*MATERIAL_CLASS "Standard"')
    w("\t\t*MATERIAL_AMBIENT 0.5882\t0.5882\t0.5882")
    w("\t\t*MATERIAL_DIFFUSE 0.8000\t0.8000\t0.8000")
    w("\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000")
    w("\t\t*MATERIAL_SHINE 0.1000")
    w("\t\t*MATERIAL_SHINESTRENGTH 0.0000")
    w("\t\t*MATERIAL_TRANSPARENCY 0.0000")
    w("\t\t*MATERIAL_WIRESIZE 1.0000")
    w("\t\t*MATERIAL_SHADING Blinn")
    w("\t\t*MATERIAL_XP_FALLOFF 0.0000")
    w("\t\t*MATERIAL_SELFILLUM 0.0000")
    w("\t\t*MATERIAL_FALLOFF In")
    w("\t\t*MATERIAL_XP_TYPE Filter")
    w("\t\t*MAP_DIFFUSE {")
    w('\t\t\t*MAP_NAME "Map_#1"')
    w('\t\t\t*MAP_CLASS "Bitmap"')
    w("\t\t\t*MAP_SUBNO 1")
    w("\t\t\t*MAP_AMOUNT 1.0000")
    w('\t\t\t*BITMAP "stone.bmp"')
    w("\t\t\t*MAP_TYPE Screen")
    w("\t\t\t*UVW_U_OFFSET 0.0000")
    w("\t\t\t*UVW_V_OFFSET 0.0000")
    w("\t\t\t*UVW_U_TILING 1.0000")
    w("\t\t\t*UVW_V_TILING 1.0000")
    w("\t\t\t*UVW_ANGLE 0.0000")
    w("\t\t\t*UVW_BLUR 1.0000")
    w("\t\t\t*UVW_BLUR_OFFSET 0.0000")
    w("\t\t\t*UVW_NOUSE_AMT 1.0000")
    w("\t\t\t*UVW_NOISE_SIZE 1.0000")
    w("\t\t\t*UVW_NOISE_LEVEL 1")
    w("\t\t\t*UVW_NOISE_PHASE 0.0000")
    w("\t\t\t*BITMAP_FILTER Pyramidal")
    w("\t\t}")
    w("\t}")
    w("}")
    w("*GEOMOBJECT {")
    w('\t*NODE_NAME "Statue"')
    w("\t*NODE_TM {")
    w('\t\t*NODE_NAME "Statue"')
    w("\t\t*INHERIT_POS 0 0 0")
    w("\t\t*INHERIT_ROT 0 0 0")
    w("\t\t*INHERIT_SCL 0 0 0")
    w("\t\t*TM_ROW0 1.0000\t0.0000\t0.0000")
    w("\t\t*TM_ROW1 0.0000\t1.0000\t0.0000")
    w("\t\t*TM_ROW2 0.0000\t0.0000\t1.0000")
    w("\t\t*TM_ROW3 0.0000\t0.0000\t0.0000")
    w("\t\t*TM_POS 0.0000\t0.0000\t0.0000")
    w("\t\t*TM_ROTAXIS 0.0000\t0.0000\t0.0000")
    w("\t\t*TM_ROTANGLE 0.0000")
    w("\t\t*TM_SCALE 1.0000\t1.0000\t1.0000")
    w("\t\t*TM_SCALEAXIS 0.0000\t0.0000\t0.0000")
    w("\t\t*TM_SCALEAXISANG 0.0000")
    w("\t}")
    w("\t*MESH {")
    w("\t\t*TIMEVALUE 0")
    w("\t\t*MESH_NUMVERTEX %d" % nv)
    w("\t\t*MESH_NUMFACES %d" % nf)
    w("\t\t*MESH_VERTEX_LIST {")
    for i, p in enumerate(verts):
        w("\t\t\t*MESH_VERTEX %d\t%s\t%s\t%s" % (i, fmt(p[0]), fmt(p[1]), fmt(p[2])))
    w("\t\t}")
    w("\t\t*MESH_FACE_LIST {")
    for i, (a, b, c) in enumerate(faces):
        w("\t\t\t*MESH_FACE %d: A: %d B: %d C: %d AB: 1 BC: 1 CA: 1\t*MESH_SMOOTHING 1\t*MESH_MTLID 0"
          % (i, a, b, c))
    w("\t\t}")
    w("\t\t*MESH_NUMTVERTEX %d" % nv)
    w("\t\t*MESH_TVERTLIST {")
    for i, (u, v) in enumerate(uvs):
        w("\t\t\t*MESH_TVERT %d\t%s\t%s\t0.0000" % (i, fmt(u), fmt(v)))
    w("\t\t}")
    w("\t\t*MESH_NUMTVFACES %d" % nf)
    w("\t\t*MESH_TFACELIST {")
    for i, (a, b, c) in enumerate(faces):
        w("\t\t\t*MESH_TFACE %d\t%d\t%d\t%d" % (i, a, b, c))
    w("\t\t}")
    w("\t}")
    w("\t*PROP_MOTIONBLUR 0")
    w("\t*PROP_CASTSHADOW 1")
    w("\t*PROP_RECVSHADOW 1")
    w("\t*MATERIAL_REF 0")
    w("}")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


# ---------------------------------------------------------------- texture

def lattice(ix, iy, seed):
    """Hash of a lattice point to [0, 1): fixed, unlike any library RNG."""
    n = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    n ^= n >> 16
    return n / 4294967296.0


def value_noise(x, y, period, seed):
    """Smooth value noise that repeats every period cells, so the image tiles."""
    ix, iy = int(math.floor(x)), int(math.floor(y))
    fx, fy = x - ix, y - iy
    sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    x0, x1 = ix % period, (ix + 1) % period
    y0, y1 = iy % period, (iy + 1) % period
    a = lattice(x0, y0, seed) + (lattice(x1, y0, seed) - lattice(x0, y0, seed)) * sx
    b = lattice(x0, y1, seed) + (lattice(x1, y1, seed) - lattice(x0, y1, seed)) * sx
    return a + (b - a) * sy


def fbm(x, y, octaves, seed):
    total, amp, freq, norm_ = 0.0, 1.0, 4, 0.0
    for o in range(octaves):
        total += amp * value_noise(x * freq, y * freq, freq, seed + o)
        norm_ += amp
        amp *= 0.5
        freq *= 2
    return total / norm_


def marble_pixels(size):
    """Rows top to bottom of (r, g, b) bytes: warm white stone, grey veins."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = px / size, py / size
            turb = fbm(x, y, 5, 11) - 0.5
            # Whole cycles across the image keep the veins tiling too.
            vein = math.sin(2 * math.pi * (2 * x + 1 * y) + 9.0 * turb)
            fine = math.sin(2 * math.pi * (3 * x - 4 * y) + 14.0 * (fbm(x, y, 4, 29) - 0.5))
            dark = (1.0 - abs(vein)) ** 6 * 0.55 + (1.0 - abs(fine)) ** 10 * 0.12
            cloud = fbm(x, y, 4, 47)
            base = 0.86 + 0.12 * cloud
            k = max(0.0, min(1.0, base - dark))
            r = k * 0.99 + 0.01
            g = k * 0.96 + 0.01
            b = k * 0.90 + 0.02
            row.append(tuple(max(0, min(255, int(round(c * 255)))) for c in (r, g, b)))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):  # BMP stores the bottom row first
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


# ------------------------------------------------------------------ check

def check_ase(path):
    """Re-read the file as the viewer does (whitespace tokens) and check it."""
    with open(path, "rb") as f:
        data = f.read()
    assert b"\r" not in data, "LF line ends only"
    tok = data.decode("ascii").split()
    problems = []

    def need(cond, msg):
        if not cond:
            problems.append(msg)

    need(tok.count("*MATERIAL") == 1, "one *MATERIAL")
    need(tok.count("*GEOMOBJECT") == 1, "one *GEOMOBJECT")
    need("*MESH_NORMALS" not in tok, "no normals block")
    for t in tok:
        if t.startswith('"'):
            need(len(t) > 1 and t.endswith('"'), "quoted value without spaces: " + t)
    mat = tok[tok.index("*MATERIAL") + 1:]

    def last_value(section, key):
        return section[len(section) - 1 - section[::-1].index(key) + 1]
    need(last_value(mat, "*BITMAP") == '"stone.bmp"', "bitmap stone.bmp")
    need(last_value(mat, "*MATERIAL_NAME") == '"Marble"', "material name")
    need(float(last_value(mat, "*UVW_U_TILING")) == 1.0, "u tiling 1")
    need(float(last_value(mat, "*UVW_V_TILING")) == 1.0, "v tiling 1")
    obj = tok[tok.index("*GEOMOBJECT") + 1:]
    nv = int(obj[obj.index("*MESH_NUMVERTEX") + 1])
    nf = int(obj[obj.index("*MESH_NUMFACES") + 1])
    nt = int(obj[obj.index("*MESH_NUMTVERTEX") + 1])
    need(nt == nv, "one texture vertex per vertex")
    need(obj.index("*MATERIAL_REF") > 0 and obj[obj.index("*MATERIAL_REF") + 1] == "0", "material ref 0")

    def records(keyword, width):
        i = obj.index(keyword)
        out = []
        while i < len(obj) and obj[i] == keyword:
            out.append(obj[i + 1:i + 1 + width])
            i += 1 + width
        need(i < len(obj) and obj[i] == "}", keyword + " block closed right after its records")
        return out

    verts = records("*MESH_VERTEX", 4)
    need(len(verts) == nv and tok.count("*MESH_VERTEX") == nv, "vertex count")
    need(all(int(r[0]) == k for k, r in enumerate(verts)), "vertex numbering")
    pos = [tuple(float(x) for x in r[1:]) for r in verts]
    tverts = records("*MESH_TVERT", 4)
    need(len(tverts) == nv, "texture vertex count")
    uv = [(float(r[1]), float(r[2])) for r in tverts]
    need(all(0.0 <= u <= 1.0 and 0.0 <= v <= 1.0 for u, v in uv), "uv in 0..1")
    need(all(float(r[3]) == 0.0 for r in tverts), "uv third coordinate 0")

    faces, cur = [], {}
    i = obj.index("*MESH_FACE") + 1
    while obj[i] != "}":
        if obj[i] in ("A:", "B:", "C:"):
            cur[obj[i]] = int(obj[i + 1])
            if obj[i] == "C:":
                faces.append((cur["A:"], cur["B:"], cur["C:"]))
            i += 1
        i += 1
    need(len(faces) == nf, "face count (C: tokens) matches *MESH_NUMFACES")
    need(all(0 <= c < nv for f in faces for c in f), "face corners in range")
    tfaces = records("*MESH_TFACE", 4)
    need(tok.count("*MESH_TFACE") == nf == len(tfaces), "texture face count")
    need([tuple(int(x) for x in r[1:]) for r in tfaces] == faces, "texture faces equal faces")
    need(all(int(r[0]) == k for k, r in enumerate(tfaces)), "texture face numbering")

    # Winding: on closed surfaces every directed edge appears once and its
    # reverse once; with that, a positive enclosed volume per connected piece
    # means every face is counter-clockwise seen from outside.
    edges = set()
    for a, b, c in faces:
        for e in ((a, b), (b, c), (c, a)):
            need(e not in edges, "directed edge used twice %r" % (e,))
            edges.add(e)
    need(all((b, a) in edges for a, b in edges), "every edge has a reverse (closed, oriented)")
    parent = list(range(nv))

    def root(x):
        while parent[x] != x:
            parent[x] = parent[parent[x]]
            x = parent[x]
        return x
    for a, b, c in faces:
        for e in (b, c):
            ra, re = root(a), root(e)
            if ra != re:
                parent[re] = ra
    volume = {}
    degenerate = 0
    for a, b, c in faces:
        pa, pb, pc = pos[a], pos[b], pos[c]
        volume[root(a)] = volume.get(root(a), 0.0) + dot(pa, cross(pb, pc)) / 6.0
        n = cross(sub(pb, pa), sub(pc, pa))
        if dot(n, n) < 1e-16:
            degenerate += 1
    need(all(v > 0 for v in volume.values()), "every piece encloses a positive volume")
    need(degenerate == 0, "%d faces of zero area" % degenerate)

    zs = [p[2] for p in pos]
    radius = max(math.hypot(p[0], p[1]) for p in pos)
    need(abs(min(zs) + HALF_HEIGHT) < 1e-3 and abs(max(zs) - HALF_HEIGHT) < 1e-3, "height -4.5..4.5")
    need(radius <= MAX_RADIUS, "radius within %.1f" % MAX_RADIUS)
    for p in problems:
        print("CHECK FAILED: " + p)
    print("%s: %d vertices, %d faces, %d closed pieces, volumes %.2f total, "
          "z %.4f..%.4f, radius %.4f, %d bytes"
          % (os.path.basename(path), nv, nf, len(volume), sum(volume.values()),
             min(zs), max(zs), radius, len(data)))
    return not problems


def check_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    ok = (magic == b"BM" and size == len(data) and offset == 54 and hsize == 40
          and (w, h, planes, bpp, comp) == (TEX_SIZE, TEX_SIZE, 1, 24, 0)
          and len(data) == 54 + h * ((w * 3 + 3) & ~3))
    body = data[54:]
    greys = [sum(body[i:i + 3]) / 3.0 for i in range(0, len(body), 3)]
    lo, hi, mean = min(greys), max(greys), sum(greys) / len(greys)
    ok = ok and hi - lo > 60 and 150 < mean < 245  # pale but clearly not flat
    print("%s: %dx%d %d-bit, grey %.0f..%.0f mean %.0f, %d bytes%s"
          % (os.path.basename(path), w, h, bpp, lo, hi, mean, len(data), "" if ok else " CHECK FAILED"))
    return ok


# ------------------------------------------------------------------- main

def main(argv):
    only_check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    outdir = args[0] if args else os.path.join(REPO, "sample")
    ase_path = os.path.join(outdir, "statue.ase")
    bmp_path = os.path.join(outdir, "media", "stone.bmp")
    if not only_check:
        parts = build_parts()
        for part in parts:
            weld(part)
        fit(parts)
        verts, uvs, faces = [], [], []
        for part in parts:
            share = orientation_report(part)
            print("%-18s %6d vertices %6d faces, %5.1f%% facing away from its centre line"
                  % (part.name, len(part.verts), len(part.faces), 100.0 * share))
            assert share > 0.97, part.name + " is wound inside out"
            base = len(verts)
            verts += part.verts
            uvs += part.uvs
            faces += [(a + base, b + base, c + base) for a, b, c in part.faces]
        os.makedirs(os.path.join(outdir, "media"), exist_ok=True)
        write_ase(ase_path, verts, uvs, faces)
        write_bmp(bmp_path, marble_pixels(TEX_SIZE))
    ok = check_ase(ase_path) & check_bmp(bmp_path)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

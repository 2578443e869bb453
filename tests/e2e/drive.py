#!/usr/bin/env python3
"""End-to-end driver for aseviewer: runs the real program in a real X window.

Each run gets a fresh temporary working directory holding statue.ase and
media/ (either may be left out), starts the viewer there with its standard
output captured, presses real keys with xdotool, grabs the window with
ImageMagick's import and checks coarse facts about the pixels (how many are
lit, their mean colour, how grey or how white they are), never exact pixels.

    drive.py --exe BUILD/aseviewer --sample SAMPLE_DIR --scenario NAME [...]
    drive.py --exe BUILD/aseviewer --sample SAMPLE_DIR --screenshots OUT_DIR

Without DISPLAY it starts itself again under xvfb-run. Python stdlib only.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

XVFB_SCREEN = "-screen 0 1024x768x24"
WIDTH, HEIGHT = 800, 600

# llvmpipe and a 20k-face model: loading and the first frame take a while.
READY_TIMEOUT = 20.0
FIRST_FRAME_TIMEOUT = 10.0
# A key's effect shows on the next frame; give slow frames this long.
KEY_TIMEOUT = 4.0
# "Quits at once": the frame in flight is finished, then the process ends.
QUIT_DEADLINE = 1.5

# A pixel brighter than this on any channel is part of the model, not the black
# background.
LIT = 40
# r, g and b within this of each other: a grey pixel.
GREY_SPREAD = 24
# Every channel at least this: a white pixel.
WHITE_MIN = 235
# Black runs up to this long with lit pixels on both sides count as holes.
MAX_GAP = 8

OK_LINE = re.compile(rb"^ OK$", re.M)
FPS_LINE = re.compile(rb"^[0-9.e+]+ fps$", re.M)
TEXTURE_LINE = "Texture file: ./media/stone.bmp"


class Failure(Exception):
    pass


# ---- X tools -----------------------------------------------------------------


def x_tool(*argv, tries=4, check=True):
    """Runs an X client. The virtual display now and then drops a new
    connection, so a failed call is tried again before it counts."""
    result = None
    for attempt in range(tries):
        try:
            result = subprocess.run(argv, capture_output=True, timeout=15)
        except subprocess.TimeoutExpired as e:
            result = subprocess.CompletedProcess(argv, -1, e.stdout, b"timed out")
        if result.returncode == 0:
            return result.stdout
        time.sleep(0.1 * (attempt + 1))
    if check:
        raise Failure("%s failed (status %d): %s" % (" ".join(argv), result.returncode,
                                                     result.stderr.decode(errors="replace").strip()))
    return None


class DisplayHold:
    """Keeps one client connected for the whole run. An X server resets itself
    when its last client leaves, and drops the connections that arrive while
    it does: SDL's probe-then-open, the only client of an idle server, then
    fails about one time in two."""

    def __init__(self):
        self.proc = None

    def __enter__(self):
        # Waits for a window nobody makes: a client that stays connected.
        argv = ["xdotool", "search", "--sync", "--name", "aseviewer-e2e-display-hold-%d" % os.getpid()]
        for attempt in range(10):
            self.proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(0.2)
            if self.proc.poll() is None:
                return self
            time.sleep(0.1 * attempt)
        raise Failure("could not hold a connection to the display %s" % os.environ.get("DISPLAY"))

    def __exit__(self, *exc):
        self.proc.kill()
        self.proc.wait()


def shell_vars(output):
    return dict(line.split("=", 1) for line in output.decode().split() if "=" in line)


# ---- images ------------------------------------------------------------------


class Image:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_ppm(data):
        # P6, then width, height, maxval, each after whitespace (no comments from import).
        fields = data.split(maxsplit=4)
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise Failure("screenshot is not an 8-bit P6 PPM")
        width, height = int(fields[1]), int(fields[2])
        rgb = fields[4][: width * height * 3]
        if len(rgb) != width * height * 3:
            raise Failure("screenshot PPM is cut short")
        return Image(width, height, rgb)

    def crop(self, x0, y0, x1, y1):
        rows = [self.rgb[(y * self.width + x0) * 3:(y * self.width + x1) * 3] for y in range(y0, y1)]
        return Image(x1 - x0, y1 - y0, b"".join(rows))

    def save_png(self, path):
        raw = b"".join(b"\0" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3] for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 6)))
            f.write(chunk(b"IEND", b""))


class Facts:
    """Coarse facts about the lit pixels of an image."""

    def __init__(self, image):
        data, width = image.rgb, image.width
        lit = grey = white = gaps = 0
        sr = sg = sb = sl = sll = 0
        for y in range(image.height):
            row = data[y * width * 3:(y + 1) * width * 3]
            last = -1
            for x, (r, g, b) in enumerate(zip(row[0::3], row[1::3], row[2::3])):
                hi = max(r, g, b)
                if hi <= LIT:
                    continue
                # Short black runs between lit pixels: the holes of a wireframe.
                if last >= 0 and 1 < x - last <= MAX_GAP + 1:
                    gaps += x - last - 1
                last = x
                lit += 1
                lo = min(r, g, b)
                if hi - lo <= GREY_SPREAD:
                    grey += 1
                if lo >= WHITE_MIN:
                    white += 1
                sr += r
                sg += g
                sb += b
                lum = (299 * r + 587 * g + 114 * b) // 1000
                sl += lum
                sll += lum * lum
        self.total = image.width * image.height
        self.lit = lit
        n = max(lit, 1)
        self.mean = (sr / n, sg / n, sb / n)
        # The marble is a warm white; lit untextured grey has none of it.
        self.tint = (sr - sb) / n
        self.grey = grey / n
        self.white = white / n
        self.lum_sd = max(sll / n - (sl / n) ** 2, 0.0) ** 0.5
        self.holes = gaps / max(lit + gaps, 1)

    def __str__(self):
        return ("lit %d (%.1f%%), mean (%.0f, %.0f, %.0f), tint %.1f, grey %.0f%%, white %.0f%%, "
                "luminance sd %.1f, holes %.1f%%" % (
                    self.lit, 100.0 * self.lit / self.total, *self.mean, self.tint, 100 * self.grey,
                    100 * self.white, self.lum_sd, 100 * self.holes))


def changed_pixels(a, b, tolerance=32):
    """Pixels whose colour moved by more than tolerance on some channel."""
    changed = 0
    for i in range(0, min(len(a.rgb), len(b.rgb)), 3):
        if (abs(a.rgb[i] - b.rgb[i]) > tolerance or abs(a.rgb[i + 1] - b.rgb[i + 1]) > tolerance
                or abs(a.rgb[i + 2] - b.rgb[i + 2]) > tolerance):
            changed += 1
    return changed


def model_region(image):
    # The model turns in the middle half of the window; the sides stay black.
    return image.crop(image.width // 4, 0, image.width * 3 // 4, image.height)


# ---- the program under test --------------------------------------------------


class Viewer:
    """One aseviewer process in its own temporary working directory."""

    def __init__(self, exe, sample, model=None, texture=True, close_window=None):
        self.exe = os.path.abspath(exe)
        self.model = model
        self.close_window = close_window
        self.proc = None
        self.window = None
        # The latest screenshot of each label, in the order first taken.
        self.shots = {}
        self.workdir = tempfile.mkdtemp(prefix="aseviewer-e2e-")
        if model is not None:
            shutil.copy(model, os.path.join(self.workdir, "statue.ase"))
        if texture:
            shutil.copytree(os.path.join(sample, "media"), os.path.join(self.workdir, "media"))
        self.out_path = os.path.join(self.workdir, "stdout.txt")
        self.err_path = os.path.join(self.workdir, "stderr.txt")
        # A class name of our own, so the search cannot find another window.
        self.wm_class = "aseviewer-e2e-%d" % os.getpid()

    # -- life cycle

    def start(self):
        for attempt in range(3):
            self._spawn()
            try:
                self._wait_ready()
                return
            except Failure:
                # SDL gives up on a display that dropped its connection:
                # that is the display's fault, not the program's.
                if attempt < 2 and self.stdout().startswith(b"Couldn't INIT VIDEO"):
                    print("note: the display refused the viewer's connection; starting it again")
                    self.proc.wait()
                    time.sleep(0.5)
                    continue
                raise

    def _spawn(self):
        env = dict(os.environ, SDL_VIDEO_X11_WMCLASS=self.wm_class)
        # Line-buffered, so the report can be read while the program runs.
        argv = [self.exe]
        if shutil.which("stdbuf"):
            argv = ["stdbuf", "-oL"] + argv
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.proc = subprocess.Popen(argv, cwd=self.workdir, stdout=out, stderr=err,
                                         stdin=subprocess.DEVNULL, env=env)

    def _wait_ready(self):
        # Loading is over once the line after "Texture file:" is out; the
        # frame loop comes next.
        ready = re.compile(rb"^Texture file:.*\n.*\n", re.M)
        deadline = time.monotonic() + READY_TIMEOUT
        while not ready.search(self.stdout()):
            if self.proc.poll() is not None:
                raise Failure("the viewer ended during start-up with status %d" % self.proc.returncode)
            if time.monotonic() > deadline:
                raise Failure("no texture report after %.0f s" % READY_TIMEOUT)
            time.sleep(0.05)
        while self.window is None:
            found = x_tool("xdotool", "search", "--onlyvisible", "--classname", self.wm_class, check=False)
            if found and found.split():
                self.window = found.split()[0].decode()
            elif time.monotonic() > deadline:
                raise Failure("no visible window of class %s" % self.wm_class)
            else:
                time.sleep(0.1)
        self._point_into_window()

    def _point_into_window(self):
        # No window manager: the keyboard goes to the window under the pointer.
        for _ in range(5):
            x_tool("xdotool", "mousemove", "--window", self.window, str(WIDTH // 2), str(HEIGHT // 2))
            where = shell_vars(x_tool("xdotool", "getmouselocation", "--shell"))
            geo = shell_vars(x_tool("xdotool", "getwindowgeometry", "--shell", self.window))
            x, y = int(where["X"]) - int(geo["X"]), int(where["Y"]) - int(geo["Y"])
            if 0 <= x < int(geo["WIDTH"]) and 0 <= y < int(geo["HEIGHT"]):
                return
            time.sleep(0.1)
        raise Failure("could not move the pointer into the window")

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def stop(self):
        """Ends a process that is still running, without checking anything."""
        if self.running():
            x_tool("xdotool", "key", "Escape", check=False)
            try:
                self.proc.wait(3)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def cleanup(self):
        shutil.rmtree(self.workdir, ignore_errors=True)

    # -- input and output

    def stdout(self):
        with open(self.out_path, "rb") as f:
            return f.read()

    def stderr(self):
        with open(self.err_path, "rb") as f:
            return f.read()

    def key(self, name):
        x_tool("xdotool", "key", name)

    def wait_exit(self, deadline):
        """Status of the process if it ends within deadline seconds, else None."""
        start = time.monotonic()
        try:
            status = self.proc.wait(deadline)
        except subprocess.TimeoutExpired:
            return None, deadline
        return status, time.monotonic() - start

    def screenshot(self, label):
        ppm = x_tool("import", "-window", self.window, "-depth", "8", "ppm:-")
        image = Image.from_ppm(ppm)
        self.shots.pop(label, None)
        self.shots[label] = image
        return image

    def facts(self, label):
        return Facts(model_region(self.screenshot(label)))

    def facts_until(self, label, ok, timeout=KEY_TIMEOUT):
        """Screenshots until ok(facts) holds or time is up; the last one counts."""
        deadline = time.monotonic() + timeout
        while True:
            facts = self.facts(label)
            if ok(facts) or time.monotonic() > deadline:
                return facts
            time.sleep(0.2)

    def first_frame(self):
        return self.facts_until("first-frame", lambda f: f.lit > 0, FIRST_FRAME_TIMEOUT)


# ---- checks ------------------------------------------------------------------


class Checks:
    def __init__(self):
        self.failed = []

    def expect(self, ok, what):
        print("%s  %s" % ("ok  " if ok else "FAIL", what))
        if not ok:
            self.failed.append(what)


def expect_quit(viewer, checks, how):
    status, took = viewer.wait_exit(QUIT_DEADLINE)
    checks.expect(status == 0, "%s: the process ends with status 0 within %.1f s (status %s after %.2f s)"
                  % (how, QUIT_DEADLINE, status, took))


# ---- scenarios ---------------------------------------------------------------
# Each takes a started viewer and the checks; the viewer is stopped afterwards.
# Thresholds are set on the sample (a marble statue about 30 000 pixels large)
# with wide margins; the measured figures are printed beside each check.

MODEL_PIXELS = 15000


def declared_counts(model_path):
    with open(model_path, "rb") as f:
        text = f.read()
    return (int(re.search(rb"\*MESH_NUMVERTEX\s+(\d+)", text).group(1)),
            int(re.search(rb"\*MESH_NUMFACES\s+(\d+)", text).group(1)))


def scenario_report(v, c):
    vertices, faces = declared_counts(v.model)
    time.sleep(1.5)
    out = v.stdout()
    for line in ("Filename: ./statue.ase", "*** Init mesh from ASE file ./statue.ase",
                 "\tNombre de Vertices: %d" % vertices, "\tNombre de Faces: %d" % faces,
                 "\tAdded %d Vertices" % vertices, "\tAdded %d Nb Faces" % faces,
                 "** Calcul des normales", "Nb Faces: %d" % faces, "Added %d normals faces" % faces,
                 "Added %d normals vertices" % vertices, "** Textures loading", "Nb Materials: 1",
                 "HasTexture ? YES"):
        c.expect(("\n" + line + "\n").encode() in b"\n" + out, "report has the line %r" % line)
    c.expect(("\n" + TEXTURE_LINE + "\n OK\n").encode() in out, "report has ' OK' right after %r" % TEXTURE_LINE)
    fps = FPS_LINE.findall(out)
    c.expect(len(fps) >= 1, "at least one fps line 1.5 s after loading (%s)" % b", ".join(fps).decode())
    v.key("Escape")
    expect_quit(v, c, "Escape")


def scenario_textured(v, c):
    v.first_frame()
    time.sleep(0.5)
    f = v.facts("textured")
    print("textured: %s" % f)
    c.expect(f.lit > MODEL_PIXELS, "textured: the model is drawn (> %d lit pixels in the centre)" % MODEL_PIXELS)
    c.expect(f.lum_sd > 12, "textured: many shades, not one (luminance sd > 12)")
    c.expect(f.tint > 5, "textured: the marble's warm tone shows (mean red - mean blue > 5)")
    c.expect(f.holes < 0.03, "textured: filled, no holes (< 3%)")


def scenario_wireframe(v, c):
    v.first_frame()
    filled = v.facts("textured")
    v.key("r")
    wire = v.facts_until("wireframe", lambda f: f.holes > 0.10)
    print("textured: %s\nwireframe: %s" % (filled, wire))
    # The sample is dense enough for its lines to cover about as many pixels
    # as its faces do: what tells lines from faces is the black between them.
    c.expect(filled.holes < 0.03, "textured, before R: filled (< 3% holes)")
    c.expect(wire.holes > 0.10, "wireframe: black gaps between the lines (> 10% holes)")
    c.expect(wire.lit > 300, "wireframe: lines are drawn (> 300 lit pixels)")
    c.expect(wire.grey > 0.95 and abs(wire.tint) < 2, "wireframe: untextured, grey or white lines")


def scenario_wireframe_sparse(v, c):
    """On a low-poly model, where edges are far apart: thin lines, few pixels."""
    v.first_frame()
    v.key("r")
    wire = v.facts_until("wireframe", lambda f: f.lit > 100 and f.holes > 0.10)
    v.key("r")
    plain = v.facts_until("plain-lit", lambda f: f.lit > 4 * wire.lit and f.holes < 0.03)
    print("wireframe: %s\nplain, lit: %s" % (wire, plain))
    c.expect(plain.holes < 0.03 and plain.lit > 2000, "plain, lit: a filled silhouette")
    c.expect(100 < wire.lit < 0.6 * plain.lit,
             "wireframe: far fewer lit pixels than the filled mode (< 60% of it)")
    c.expect(wire.grey > 0.95 and abs(wire.tint) < 2, "wireframe: untextured, grey or white lines")


def scenario_plain(v, c):
    v.first_frame()
    v.key("r")
    v.key("r")
    f = v.facts_until("plain-lit", lambda f: f.lit > MODEL_PIXELS and f.holes < 0.03 and abs(f.tint) < 2)
    print("plain, lit: %s" % f)
    c.expect(f.lit > MODEL_PIXELS and f.holes < 0.03,
             "plain, lit: a filled silhouette (> %d lit pixels, < 3%% holes)" % MODEL_PIXELS)
    c.expect(f.grey > 0.95 and abs(f.tint) < 2, "plain, lit: untextured grey (> 95%% within %d, tint < 2)"
             % GREY_SPREAD)
    c.expect(f.lum_sd > 12, "plain, lit: shaded by the light (luminance sd > 12)")
    c.expect(f.white < 0.3, "plain, lit: not flat white (< 30% white)")


def scenario_unlit(v, c):
    v.first_frame()
    v.key("r")
    v.key("r")
    v.key("l")
    f = v.facts_until("plain-unlit", lambda f: f.lit > MODEL_PIXELS and f.white > 0.95)
    print("plain, unlit: %s" % f)
    c.expect(f.lit > MODEL_PIXELS and f.holes < 0.03,
             "plain, unlit: a filled silhouette (> %d lit pixels, < 3%% holes)" % MODEL_PIXELS)
    c.expect(f.white > 0.95, "plain, unlit: white (> 95%% with every channel >= %d)" % WHITE_MIN)
    c.expect(f.lum_sd < 6, "plain, unlit: flat (luminance sd < 6)")


def scenario_escape(v, c):
    v.first_frame()
    v.key("Escape")
    expect_quit(v, c, "Escape")


def scenario_close(v, c):
    v.first_frame()
    if not v.close_window:
        raise Failure("the close scenario needs --close-window")
    subprocess.run([v.close_window, v.window], check=True, timeout=10)
    expect_quit(v, c, "close request")


def scenario_no_texture(v, c):
    out = v.stdout()
    c.expect(b"\nCouldn't load texture ./media/stone.bmp" in out, "report says the texture could not be loaded")
    c.expect(not OK_LINE.search(out), "report has no ' OK' line")
    first = v.first_frame()
    a = v.shots["first-frame"]
    time.sleep(0.5)
    b = v.screenshot("half-a-second-later")
    moved = changed_pixels(a, b)
    print("first frame: %s\n%d pixels changed in 0.5 s" % (first, moved))
    c.expect(first.lit > MODEL_PIXELS and abs(first.tint) < 2,
             "the model is drawn, untextured (> %d lit pixels, tint < 2)" % MODEL_PIXELS)
    c.expect(moved > 200, "the model turns (> 200 pixels change in 0.5 s)")
    v.key("Escape")
    expect_quit(v, c, "Escape")


def scenario_no_model(v, c):
    time.sleep(0.5)
    out = v.stdout()
    for line in (b"*** Init mesh from ASE file ./statue.ase",
                 b"!!! Erreur \xe0 l'ouverture du fichier ./statue.ase",
                 b"!!! flux non repositionnable!"):
        c.expect(b"\n" + line + b"\n" in out, "report has the line %r" % line.decode("latin-1"))
    c.expect(v.running(), "the viewer runs on without a model")
    v.key("Escape")
    expect_quit(v, c, "Escape")


SCENARIOS = {
    "report": scenario_report,
    "textured": scenario_textured,
    "wireframe": scenario_wireframe,
    "wireframe-sparse": scenario_wireframe_sparse,
    "plain-lit": scenario_plain,
    "plain-unlit": scenario_unlit,
    "escape": scenario_escape,
    "close": scenario_close,
    "no-texture": scenario_no_texture,
    "no-model": scenario_no_model,
}


def run_scenario(args):
    model = None if args.no_model else (args.model or os.path.join(args.sample, "statue.ase"))
    v = Viewer(args.exe, args.sample, model=model, texture=not args.no_texture, close_window=args.close_window)
    checks = Checks()
    error = None
    if args.artifacts:
        # Only the last run's evidence.
        shutil.rmtree(args.artifacts, ignore_errors=True)
    try:
        v.start()
        SCENARIOS[args.scenario](v, checks)
    except Failure as e:
        error = str(e)
        print("FAIL  " + error)
    finally:
        v.stop()
    if error is None and not checks.failed:
        v.cleanup()
        return 0

    # Keep what shows the fault: the screenshots and the program's output.
    keep = args.artifacts or v.workdir
    os.makedirs(keep, exist_ok=True)
    for i, (label, image) in enumerate(v.shots.items()):
        path = os.path.join(keep, "%02d-%s.png" % (i, label))
        image.save_png(path)
        print("screenshot: " + path)
    for name in ("stdout.txt", "stderr.txt"):
        if keep != v.workdir:
            shutil.copy(os.path.join(v.workdir, name), keep)
    print("---- stdout of the viewer (%s) ----" % os.path.join(keep, "stdout.txt"))
    sys.stdout.flush()
    sys.stdout.buffer.write(tail(v.stdout()))
    err = v.stderr()
    if err:
        print("---- stderr ----")
        sys.stdout.flush()
        sys.stdout.buffer.write(tail(err))
    if keep != v.workdir:
        v.cleanup()
    print("---- %d check(s) failed" % (len(checks.failed) + (error is not None)))
    return 1


def tail(data, lines=60):
    # The loader's report of a large model is long; its start and end tell most.
    parts = data.split(b"\n")
    if len(parts) > 2 * lines:
        parts = parts[:lines] + [b"[... %d lines ...]" % (len(parts) - 2 * lines)] + parts[-lines:]
    return b"\n".join(parts) + b"\n"


# ---- screenshots of every mode, for a person to look at -------------------------


def run_screenshots(args):
    os.makedirs(args.screenshots, exist_ok=True)
    v = Viewer(args.exe, args.sample, model=os.path.join(args.sample, "statue.ase"))
    steps = [("textured", None), ("wireframe", "r"), ("plain-white", "r"), ("plain-white-unlit", "l")]
    fps_by_mode = []
    try:
        v.start()
        v.first_frame()
        for name, key in steps:
            if key:
                v.key(key)
            before = len(FPS_LINE.findall(v.stdout()))
            time.sleep(args.seconds)
            image = v.screenshot(name)
            path = os.path.join(args.screenshots, name + ".png")
            image.save_png(path)
            # The first line after a switch mixes two modes; leave it out.
            lines = [l.decode() for l in FPS_LINE.findall(v.stdout())[before + 1:]]
            fps_by_mode.append((name, lines))
            print("%-18s %s" % (name, path))
        v.key("Escape")
        status, _ = v.wait_exit(3)
    finally:
        v.stop()
        v.cleanup()
    print()
    for name, lines in fps_by_mode:
        print("%-18s %s" % (name, ", ".join(lines) or "(no fps line)"))
    print("exit status: %s" % status)
    return 0 if status == 0 else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--exe", required=True, help="the built aseviewer")
    parser.add_argument("--sample", required=True, help="directory with statue.ase and media/")
    parser.add_argument("--scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--model", help="model to copy as statue.ase (default: the sample's)")
    parser.add_argument("--no-model", action="store_true", help="no statue.ase in the working directory")
    parser.add_argument("--no-texture", action="store_true", help="no media/ in the working directory")
    parser.add_argument("--close-window", help="the close_window helper")
    parser.add_argument("--artifacts", help="where to keep screenshots when a check fails")
    parser.add_argument("--screenshots", help="save one PNG per render mode here instead of testing")
    parser.add_argument("--seconds", type=float, default=4.0, help="time per mode with --screenshots")
    args = parser.parse_args()
    if bool(args.scenario) == bool(args.screenshots):
        parser.error("give either --scenario or --screenshots")

    if not os.environ.get("DISPLAY"):
        if os.environ.get("ASEVIEWER_E2E_IN_XVFB"):
            sys.exit("drive.py: xvfb-run gave no DISPLAY")
        os.environ["ASEVIEWER_E2E_IN_XVFB"] = "1"
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", XVFB_SCREEN + " -noreset", sys.executable,
                               os.path.abspath(__file__)] + sys.argv[1:])

    try:
        with DisplayHold():
            status = run_screenshots(args) if args.screenshots else run_scenario(args)
    except Failure as e:
        print("FAIL  " + str(e))
        status = 1
    sys.exit(status)


if __name__ == "__main__":
    main()

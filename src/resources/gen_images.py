#!/usr/bin/env python3
"""Renders the program's PNG artwork (dark theme, accent rgb(11,163,212)).

Pure Python (zlib + struct): every shape is a signed distance function and its
coverage gives the anti-aliasing, so no imaging library is needed. Run it from
this folder after changing a picture and commit the PNG files it writes:

    python3 gen_images.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette
BG0 = (22, 22, 24)
BG1 = (31, 31, 34)
PANEL = (42, 43, 47)
PANEL2 = (56, 58, 63)
EDGE = (78, 80, 88)
TEXT = (232, 234, 238)
GREY = (128, 131, 140)
DIM = (88, 90, 98)
ACCENT = (11, 163, 212)
ACCENT_DK = (6, 104, 140)
ACCENT_LT = (84, 200, 238)
RED = (214, 66, 54)
GREEN = (44, 190, 96)
AMBER = (238, 168, 42)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---------------------------------------------------------------- shapes ----
class Shape:
    """A signed distance (negative inside) with a bounding box."""

    def __init__(self, sdf, bbox):
        self.sdf = sdf
        self.bbox = bbox

    def __or__(self, other):  # union
        a, b = self.sdf, other.sdf
        return Shape(lambda x, y: min(a(x, y), b(x, y)),
                     (min(self.bbox[0], other.bbox[0]), min(self.bbox[1], other.bbox[1]),
                      max(self.bbox[2], other.bbox[2]), max(self.bbox[3], other.bbox[3])))

    def __sub__(self, other):  # difference
        a, b = self.sdf, other.sdf
        return Shape(lambda x, y: max(a(x, y), -b(x, y)), self.bbox)

    def outline(self, width):
        a = self.sdf
        w = width / 2.0
        x0, y0, x1, y1 = self.bbox
        return Shape(lambda x, y: abs(a(x, y)) - w, (x0 - w, y0 - w, x1 + w, y1 + w))


def rrect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0, (y1 - y0) / 2.0
    r = min(r, hx, hy)

    def f(x, y):
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return Shape(f, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, width):
    return circle(cx, cy, r).outline(width)


def _seg(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else clamp(((px - ax) * dx + (py - ay) * dy) / ll)
    return math.hypot(px - ax - dx * t, py - ay - dy * t)


def polyline(points, width):
    r = width / 2.0
    segs = list(zip(points, points[1:])) or [(points[0], points[0])]

    def f(x, y):
        return min(_seg(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - r
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(f, (min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r))


def line(ax, ay, bx, by, width):
    return polyline([(ax, ay), (bx, by)], width)


def arc(cx, cy, r, a0, a1, width, steps=40):
    pts = [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
            cy - r * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]
    return polyline(pts, width)


def polygon(points):
    n = len(points)

    def f(x, y):
        d = float("inf")
        s = 1.0
        j = n - 1
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[j]
            d = min(d, _seg(x, y, ax, ay, bx, by))
            c1 = y >= ay
            c2 = y < by
            c3 = (bx - ax) * (y - ay) > (by - ay) * (x - ax)
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * d
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(f, (min(xs), min(ys), max(xs), max(ys)))


# ----------------------------------------------------------------- paint ----
def solid(rgb, alpha=1.0):
    return lambda x, y: (rgb, alpha)


def vgrad(y0, y1, c0, c1, alpha=1.0):
    def f(x, y):
        return (mix(c0, c1, clamp((y - y0) / max(1e-6, y1 - y0))), alpha)
    return f


def hgrad(x0, x1, c0, c1, alpha=1.0):
    def f(x, y):
        return (mix(c0, c1, clamp((x - x0) / max(1e-6, x1 - x0))), alpha)
    return f


def radial(cx, cy, r, c0, c1, a0=1.0, a1=1.0):
    def f(x, y):
        t = clamp(math.hypot(x - cx, y - cy) / r)
        return (mix(c0, c1, t), a0 + (a1 - a0) * t)
    return f


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [0.0] * (w * h * 4)  # premultiplied RGBA, 0..1

    def draw(self, shape, paint):
        if isinstance(paint, tuple):
            paint = solid(paint)
        x0, y0, x1, y1 = shape.bbox
        xa, ya = max(0, int(math.floor(x0 - 1))), max(0, int(math.floor(y0 - 1)))
        xb, yb = min(self.w, int(math.ceil(x1 + 1))), min(self.h, int(math.ceil(y1 + 1)))
        sdf = shape.sdf
        px = self.px
        for y in range(ya, yb):
            fy = y + 0.5
            for x in range(xa, xb):
                fx = x + 0.5
                cov = 0.5 - sdf(fx, fy)
                if cov <= 0.0:
                    continue
                if cov > 1.0:
                    cov = 1.0
                rgb, a = paint(fx, fy)
                a *= cov
                i = (y * self.w + x) * 4
                k = 1.0 - a
                px[i] = rgb[0] / 255.0 * a + px[i] * k
                px[i + 1] = rgb[1] / 255.0 * a + px[i + 1] * k
                px[i + 2] = rgb[2] / 255.0 * a + px[i + 2] * k
                px[i + 3] = a + px[i + 3] * k

    def fill(self, paint):
        self.draw(rrect(0, 0, self.w, self.h), paint)

    def save(self, rel):
        path = os.path.join(HERE, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        raw = bytearray()
        px = self.px
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                i = (y * self.w + x) * 4
                a = px[i + 3]
                if a <= 0.0:
                    raw += b"\0\0\0\0"
                    continue
                raw += bytes((int(round(clamp(px[i] / a) * 255)), int(round(clamp(px[i + 1] / a) * 255)),
                              int(round(clamp(px[i + 2] / a) * 255)), int(round(clamp(a) * 255))))

        def chunk(tag, data):
            return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(png)
        return rel


# ----------------------------------------------------------------- glyphs ---
# Stroke letters in a unit box (x right, y down), drawn as polylines.
LETTERS = {
    "K": [[(0, 0), (0, 1)], [(0.9, 0), (0.05, 0.55)], [(0.3, 0.38), (0.95, 1)]],
    "Z": [[(0.05, 0), (0.95, 0), (0.05, 1), (0.95, 1)]],
    "G": "G",
    "O": "O",
    "1": [[(0.2, 0.2), (0.55, 0), (0.55, 1)], [(0.2, 1), (0.9, 1)]],
}


def text_shape(text, x, y, h, stroke, advance=0.82):
    shape = None
    w = h * 0.62
    for ch in text:
        strokes = LETTERS[ch]
        if strokes == "O":
            s = polyline([(x + w / 2 + w / 2 * math.cos(t * math.pi / 24), y + h / 2 + h / 2 * math.sin(t * math.pi / 24))
                          for t in range(49)], stroke)
        elif strokes == "G":
            pts = [(x + w / 2 + w / 2 * math.cos(math.radians(a)), y + h / 2 - h / 2 * math.sin(math.radians(a)))
                   for a in range(40, 361, 8)]
            pts.append((x + w, y + h / 2))
            s = polyline(pts, stroke) | polyline([(x + w, y + h / 2), (x + w * 0.55, y + h / 2)], stroke)
        else:
            s = None
            for stroke_pts in strokes:
                p = polyline([(x + px * w, y + py * h) for px, py in stroke_pts], stroke)
                s = p if s is None else s | p
        shape = s if shape is None else shape | s
        x += w + h * (1.0 - advance) + stroke
    return shape


def gimbal_mark(c, cx, cy, r, colour, width):
    """The product mark: a ring (the gimbal frame) around a camera dot on three arms."""
    c.draw(ring(cx, cy, r, width), colour)
    c.draw(circle(cx, cy, r * 0.28), colour)
    for ang in (90, 210, 330):
        a = math.radians(ang)
        c.draw(line(cx + math.cos(a) * r * 0.36, cy - math.sin(a) * r * 0.36,
                    cx + math.cos(a) * r * 0.86, cy - math.sin(a) * r * 0.86, width * 0.8), colour)


def chevron(cx, cy, size, direction, width):
    s = size / 2.0
    if direction == "left":
        pts = [(cx + s * 0.5, cy - s), (cx - s * 0.5, cy), (cx + s * 0.5, cy + s)]
    elif direction == "right":
        pts = [(cx - s * 0.5, cy - s), (cx + s * 0.5, cy), (cx - s * 0.5, cy + s)]
    elif direction == "up":
        pts = [(cx - s, cy + s * 0.5), (cx, cy - s * 0.5), (cx + s, cy + s * 0.5)]
    else:
        pts = [(cx - s, cy - s * 0.5), (cx, cy + s * 0.5), (cx + s, cy - s * 0.5)]
    return polyline(pts, width)


STATES = {
    # state: (top, bottom, edge, glyph)
    "normal": (PANEL2, PANEL, EDGE, GREY),
    "hover": ((66, 70, 78), (50, 53, 60), ACCENT_DK, TEXT),
    "press": (ACCENT_DK, (5, 80, 108), ACCENT, TEXT),
}


def state_button(w, h, state, radius=4):
    top, bottom, edge, glyph = STATES[state]
    c = Canvas(w, h)
    body = rrect(0.5, 0.5, w - 0.5, h - 0.5, radius)
    c.draw(body, vgrad(0, h, top, bottom))
    c.draw(body.outline(1.0), edge)
    return c, glyph


# ---------------------------------------------------------------- assets ----
U = "Utility/res/"
M = "mult/res/mult/"
R = "res/"
written = []


def out(c, rel):
    written.append(c.save(rel))


def frame_pieces():
    # Title and status bars, body sides, page-tab borders and backgrounds.
    c = Canvas(32, 40)
    c.fill(vgrad(0, 40, (40, 41, 45), BG0))
    c.draw(rrect(0, 39, 32, 40), ACCENT_DK)
    out(c, U + "title_bar_vortima.png")
    c = Canvas(32, 28)
    c.fill(vgrad(0, 28, BG1, BG0))
    c.draw(rrect(0, 0, 32, 1), EDGE)
    out(c, U + "status_bar_vortima.png")
    for side in ("left", "right"):
        c = Canvas(8, 32)
        c.fill(hgrad(0, 8, BG0, BG1) if side == "left" else hgrad(0, 8, BG1, BG0))
        out(c, U + "body_%s_vortima.png" % side)
    for side, (w, h) in (("top", (32, 6)), ("bottom", (32, 6)), ("left", (6, 32)), ("right", (6, 32))):
        c = Canvas(w, h)
        c.fill(BG1)
        if side == "top":
            c.draw(rrect(0, 4, w, 5), ACCENT)
        elif side == "bottom":
            c.draw(rrect(0, 1, w, 2), EDGE)
        elif side == "left":
            c.draw(rrect(4, 0, 5, h), EDGE)
        else:
            c.draw(rrect(1, 0, 2, h), EDGE)
        out(c, U + "page_tab_border_%s_vortima.png" % side)
    for side, (w, h) in (("bottom", (32, 6)), ("left", (6, 32)), ("right", (6, 32))):
        c = Canvas(w, h)
        c.fill(PANEL)
        if side == "bottom":
            c.draw(rrect(0, 0, w, 1), EDGE)
        elif side == "left":
            c.draw(rrect(w - 1, 0, w, h), EDGE)
        else:
            c.draw(rrect(0, 0, 1, h), EDGE)
        out(c, U + "sub_border_%s_vortima.png" % side)
    c = Canvas(32, 32)
    c.fill(vgrad(0, 32, (36, 37, 41), (30, 31, 34)))
    out(c, U + "tab_content_bg_vortima.png")
    c = Canvas(32, 30)
    c.fill(vgrad(0, 30, (38, 39, 43), BG1))
    c.draw(rrect(0, 29, 32, 30), EDGE)
    out(c, U + "sub_tab_bg_vortima.png")


def scroll_buttons():
    # Page-button strip (tall) and sub-page tab row (short): "up" goes back, "down" forward.
    for prefix, (w, h) in (("scroll", (18, 64)), ("sub_scroll", (16, 28))):
        for state, name in (("normal", "normal"), ("hover", "hover"), ("press", "press")):
            for d, direction in (("up", "left"), ("down", "right")):
                c, glyph = state_button(w, h, state, 3)
                c.draw(chevron(w / 2, h / 2, min(w, h) * 0.45, direction, 2.0), glyph)
                out(c, U + "%s_%s_%s.png" % (prefix, d, name))
        # Disabled look shared by both directions.
        for d, direction in (("up", "left"), ("down", "right")):
            c = Canvas(w, h)
            c.draw(rrect(0.5, 0.5, w - 0.5, h - 0.5, 3), BG1)
            c.draw(chevron(w / 2, h / 2, min(w, h) * 0.45, direction, 2.0), DIM)
            out(c, U + "%s_%s_disabled.png" % (prefix, d))


def window_buttons():
    for state in ("normal", "hover", "press"):
        for kind in ("min", "exit"):
            c = Canvas(28, 24)
            if state != "normal":
                col = (RED if kind == "exit" else (70, 72, 80)) if state == "hover" else \
                    ((160, 40, 32) if kind == "exit" else ACCENT_DK)
                c.draw(rrect(0, 0, 28, 24, 3), col)
            g = TEXT if state != "normal" else (200, 202, 208)
            if kind == "min":
                c.draw(line(9, 15, 19, 15, 1.8), g)
            else:
                c.draw(line(9.5, 7.5, 18.5, 16.5, 1.8) | line(18.5, 7.5, 9.5, 16.5, 1.8), g)
            out(c, U + "btn_%s_%s.png" % (kind, state))


def link_images():
    def plug(c, colour):
        c.draw(rrect(4, 9, 13, 15, 1.5), colour)
        c.draw(line(13, 10.5, 17, 10.5, 1.6) | line(13, 13.5, 17, 13.5, 1.6), colour)
        c.draw(line(1, 12, 4, 12, 1.6), colour)
    c = Canvas(24, 24)
    c.draw(circle(12, 12, 11), radial(12, 12, 11, (20, 70, 40), BG1))
    plug(c, GREEN)
    c.draw(line(17, 12, 23, 12, 1.6), GREEN)
    out(c, U + "connect_vortima.png")
    c = Canvas(24, 24)
    c.draw(circle(12, 12, 11), radial(12, 12, 11, (70, 24, 20), BG1))
    plug(c, RED)
    c.draw(line(19, 8, 23, 16, 1.6), RED)
    out(c, U + "disconnect_vortima.png")
    for name, col in (("receive", ACCENT_LT), ("send", DIM)):
        c = Canvas(24, 24)
        c.draw(circle(12, 12, 7.5), radial(12, 12, 7.5, mix(col, (255, 255, 255), 0.4), col))
        c.draw(ring(12, 12, 10, 1.2), col if name == "receive" else EDGE)
        out(c, U + "%s_vortima.png" % name)


def page_glyph(c, kind, cx, cy, s, col, w):
    if kind == "setup":  # gear
        teeth = None
        for k in range(8):
            a = math.radians(k * 45)
            t = line(cx + math.cos(a) * s * 0.55, cy + math.sin(a) * s * 0.55,
                     cx + math.cos(a) * s * 0.92, cy + math.sin(a) * s * 0.92, s * 0.26)
            teeth = t if teeth is None else teeth | t
        c.draw((teeth | circle(cx, cy, s * 0.66)) - circle(cx, cy, s * 0.28), col)
    elif kind == "parameters":  # three sliders
        for i, k in enumerate((0.3, -0.4, 0.1)):
            y = cy + (i - 1) * s * 0.6
            c.draw(line(cx - s * 0.85, y, cx + s * 0.85, y, w * 0.8), col)
            c.draw(circle(cx + k * s * 1.6, y, s * 0.18), col)
    elif kind == "advanced":  # four-point star
        pts = []
        for k in range(8):
            a = math.radians(k * 45 + 90)
            r = s * (0.95 if k % 2 == 0 else 0.32)
            pts.append((cx + math.cos(a) * r, cy - math.sin(a) * r))
        c.draw(polygon(pts), col)
    elif kind == "tools":  # wrench
        a = math.radians(45)
        hx, hy = cx - math.cos(a) * s * 0.35, cy + math.sin(a) * s * 0.35
        c.draw(line(cx + s * 0.15, cy - s * 0.15, cx - s * 0.8, cy + s * 0.8, s * 0.3), col)
        head = circle(cx + s * 0.35, cy - s * 0.35, s * 0.45) - \
            rrect(cx + s * 0.35, cy - s * 0.95, cx + s * 0.95, cy - s * 0.35) - circle(cx + s * 0.35, cy - s * 0.35, s * 0.18)
        c.draw(head, col)
        del hx, hy
    elif kind == "upgrade":  # arrow into a tray
        c.draw(polygon([(cx, cy - s * 0.95), (cx + s * 0.6, cy - s * 0.3), (cx + s * 0.22, cy - s * 0.3),
                        (cx + s * 0.22, cy + s * 0.35), (cx - s * 0.22, cy + s * 0.35), (cx - s * 0.22, cy - s * 0.3),
                        (cx - s * 0.6, cy - s * 0.3)]), col)
        c.draw(polyline([(cx - s * 0.85, cy + s * 0.3), (cx - s * 0.85, cy + s * 0.85),
                         (cx + s * 0.85, cy + s * 0.85), (cx + s * 0.85, cy + s * 0.3)], w), col)
    elif kind in ("info", "info2"):
        if kind == "info":
            c.draw(ring(cx, cy, s * 0.85, w), col)
        else:
            c.draw(rrect(cx - s * 0.82, cy - s * 0.82, cx + s * 0.82, cy + s * 0.82, s * 0.2).outline(w), col)
        c.draw(circle(cx, cy - s * 0.42, s * 0.12), col)
        c.draw(line(cx, cy - s * 0.12, cx, cy + s * 0.5, s * 0.2), col)


def page_buttons():
    # Navigator buttons: glyph in the upper part, the caption label sits in the lower band.
    w, h = 96, 72
    looks = {
        "normal_t": (PANEL, BG1, EDGE, GREY, None),
        "hover_t": ((64, 67, 75), (44, 46, 52), ACCENT_DK, TEXT, None),
        "focus_t": ((18, 128, 168), ACCENT_DK, ACCENT_LT, (255, 255, 255), ACCENT),
    }
    for kind in ("setup", "parameters", "advanced", "tools", "upgrade", "info", "info2"):
        for state, (top, bottom, edge, glyph, bar) in looks.items():
            c = Canvas(w, h)
            body = rrect(1, 1, w - 1, h - 1, 6)
            c.draw(body, vgrad(0, h, top, bottom))
            c.draw(body.outline(1.0), edge)
            if bar:
                c.draw(rrect(10, h - 4, w - 10, h - 2, 1), ACCENT_LT)
            page_glyph(c, kind, w / 2, 27, 15, glyph, 2.4)
            out(c, U + "page_%s_%s.png" % (kind, state))
    for state, (top, bottom, edge, glyph, bar) in looks.items():
        c = Canvas(96, 28)
        body = rrect(0.5, 0.5, 95.5, 27.5, 4)
        c.draw(body, vgrad(0, 28, top, bottom))
        c.draw(body.outline(1.0), edge)
        out(c, U + "page_tab_item_%s.png" % state.split("_")[0])


def sub_tabs():
    looks = {
        "normal": (PANEL, BG1, EDGE, None),
        "hover": ((62, 65, 72), (46, 48, 54), ACCENT_DK, None),
        "focus": ((44, 46, 52), (36, 37, 41), EDGE, ACCENT),
    }
    for first in (True, False):
        for state, (top, bottom, edge, bar) in looks.items():
            c = Canvas(110, 30)
            body = rrect(0.5 if first else -6, 0.5, 109.5, 36, 5)
            c.draw(body, vgrad(0, 30, top, bottom))
            c.draw(body.outline(1.0), edge)
            if bar:
                c.draw(rrect(4 if first else 1, 0.5, 106, 3, 1.5), bar)
            out(c, U + ("sub_tab_first_%s.png" if first else "sub_tab_%s.png") % state)


def switch_halves():
    w, h = 71, 25
    for side in ("left", "right"):
        for on in (True, False):
            c = Canvas(w, h)
            r = 5
            if side == "left":
                body = rrect(0.5, 0.5, w + 8, h - 0.5, r) - rrect(w, -1, w + 10, h + 1)
            else:
                body = rrect(-8, 0.5, w - 0.5, h - 0.5, r) - rrect(-10, -1, 0, h + 1)
            lit = (ACCENT if side == "left" else (200, 60, 50)) if on else None
            if lit:
                c.draw(body, vgrad(0, h, mix(lit, (255, 255, 255), 0.18), mix(lit, (0, 0, 0), 0.18)))
                c.draw(body.outline(1.0), mix(lit, (255, 255, 255), 0.35))
            else:
                c.draw(body, vgrad(0, h, PANEL2, PANEL))
                c.draw(body.outline(1.0), EDGE)
            out(c, U + "btn_%s_%s.png" % (side, "on" if on else "off"))
    for name, col in (("switch_on", GREEN), ("switch_off", GREY)):
        c = Canvas(14, 14)
        c.draw(circle(7, 7, 5.5), radial(7, 6, 6, mix(col, (255, 255, 255), 0.45), col))
        out(c, U + name + ".png")


def skins():
    # Generic push-button skins (normal, focus, press, checked, disabled).
    looks = {
        "normal": (PANEL2, PANEL, EDGE),
        "focus": ((70, 74, 82), (52, 55, 62), ACCENT_DK),
        "press": (ACCENT_DK, (5, 80, 108), ACCENT),
        "checked": (ACCENT, ACCENT_DK, ACCENT_LT),
        "disabled": (BG1, BG1, (52, 53, 58)),
    }
    for state, (top, bottom, edge) in looks.items():
        c = Canvas(100, 30)
        body = rrect(0.5, 0.5, 99.5, 29.5, 4)
        c.draw(body, vgrad(0, 30, top, bottom))
        c.draw(body.outline(1.0), edge)
        out(c, U + "button_%s.png" % state)


def plotter_buttons():
    for name in ("zoomin", "zoomout", "pause", "resume"):
        c = Canvas(24, 24)
        body = rrect(0.5, 0.5, 23.5, 23.5, 4)
        c.draw(body, vgrad(0, 24, PANEL2, PANEL))
        c.draw(body.outline(1.0), EDGE)
        if name == "zoomin":
            c.draw(line(7, 12, 17, 12, 2.2) | line(12, 7, 12, 17, 2.2), TEXT)
        elif name == "zoomout":
            c.draw(line(7, 12, 17, 12, 2.2), TEXT)
        elif name == "pause":
            c.draw(rrect(7.5, 6.5, 10.5, 17.5, 0.8) | rrect(13.5, 6.5, 16.5, 17.5, 0.8), TEXT)
        else:
            c.draw(polygon([(8.5, 6), (18, 12), (8.5, 18)]), ACCENT_LT)
        out(c, M + name + ".png")


def slider_parts():
    # Channel-monitor slider: groove drawn at (0, 4), handles in three modes.
    c = Canvas(300, 10)
    g = rrect(0.5, 2, 299.5, 8, 3)
    c.draw(g, vgrad(2, 8, BG0, PANEL2))
    c.draw(g.outline(1.0), EDGE)
    out(c, M + "slider_groove.png")
    for name, col in (("slider_handler", (210, 212, 218)), ("slider_center", GREEN), ("slider_cali", AMBER)):
        c = Canvas(14, 18)
        body = polygon([(1, 1), (13, 1), (13, 11), (7, 17), (1, 11)])
        c.draw(body, vgrad(0, 18, mix(col, (255, 255, 255), 0.3), mix(col, (0, 0, 0), 0.2)))
        c.draw(body.outline(1.0), mix(col, (0, 0, 0), 0.45))
        c.draw(line(7, 4, 7, 10, 1.2), mix(col, (0, 0, 0), 0.45))
        out(c, M + name + ".png")


def atti_images():
    for side in ("left", "right"):
        for state, col in (("highlight", ACCENT), ("gray", DIM), ("active", GREEN)):
            c = Canvas(48, 48)
            c.draw(circle(24, 24, 22), vgrad(2, 46, PANEL2, BG1))
            c.draw(ring(24, 24, 22, 1.5), col)
            if side == "left":
                c.draw(arc(24, 24, 13, 110, 250, 3.0), col)
                c.draw(polygon([(9, 30), (17, 28), (12, 36)]), col)
            else:
                c.draw(arc(24, 24, 13, -70, 70, 3.0), col)
                c.draw(polygon([(39, 30), (31, 28), (36, 36)]), col)
            out(c, M + "atti_%s_%s.png" % (side, state))


def illustrations():
    # 124 x 124 indicators: mounting directions, failsafe choices, mixer types.
    def tile(checked):
        c = Canvas(124, 124)
        body = rrect(1, 1, 123, 123, 10)
        c.draw(body, vgrad(0, 124, PANEL2 if checked else PANEL, BG1))
        c.draw(body.outline(2.0 if checked else 1.0), ACCENT if checked else EDGE)
        return c
    for checked in (False, True):
        suffix = "_checked" if checked else ""
        col = ACCENT_LT if checked else GREY
        for d in ("forward", "backward"):
            c = tile(checked)
            c.draw(rrect(32, 40, 92, 84, 6).outline(2.5), col)
            c.draw(polygon([(62, 22), (76, 38), (48, 38)]) if d == "forward" else
                   polygon([(62, 102), (76, 86), (48, 86)]), col)
            out(c, M + "mount_%s%s.png" % (d, suffix))
        c = tile(checked)
        c.draw(line(62, 26, 62, 78, 3) | polyline([(44, 62), (62, 80), (80, 62)], 3), col)
        c.draw(line(34, 96, 90, 96, 3), col)
        out(c, M + "failsafe_landing%s.png" % suffix)
        c = tile(checked)
        c.draw(polygon([(62, 28), (92, 56), (82, 56), (82, 92), (42, 92), (42, 56), (32, 56)]).outline(3), col)
        c.draw(rrect(56, 72, 68, 92), col)
        out(c, M + "failsafe_gohome%s.png" % suffix)
    for name, arms in (("X1", (45, 135, 225, 315)), ("X2", (0, 90, 180, 270))):
        c = Canvas(124, 124)
        for a in arms:
            r = math.radians(a)
            ex, ey = 62 + math.cos(r) * 40, 62 - math.sin(r) * 40
            c.draw(line(62, 62, ex, ey, 4), GREY)
            c.draw(ring(ex, ey, 13, 2.5), ACCENT)
        c.draw(circle(62, 62, 10), TEXT)
        c.draw(polygon([(62, 40), (70, 52), (54, 52)]), ACCENT_LT)
        out(c, M + name + ".png")


def backgrounds():
    def dialog(w, h, rel, title_band=34):
        c = Canvas(w, h)
        body = rrect(0.5, 0.5, w - 0.5, h - 0.5, 6)
        c.draw(body, vgrad(0, h, (40, 41, 46), BG0))
        c.draw(rrect(0.5, 0.5, w - 0.5, title_band, 6) - rrect(0, title_band - 6, w, title_band + 1),
               vgrad(0, title_band, (52, 54, 60), (40, 41, 46)))
        c.draw(rrect(1, title_band - 1, w - 1, title_band), ACCENT_DK)
        c.draw(body.outline(1.0), EDGE)
        out(c, rel)
    dialog(520, 360, U + "firmware_dlg_bg.png")
    dialog(420, 300, U + "login_dlg_bg.png")
    dialog(560, 420, U + "software_dlg_bg.png")
    dialog(620, 460, U + "newsletter_bg.png")
    dialog(300, 180, R + "message_win_bg.png", 28)
    c = Canvas(640, 480)
    c.fill(vgrad(0, 480, (36, 37, 41), (26, 26, 29)))
    for i in range(0, 640, 40):
        c.draw(rrect(i, 0, i + 1, 480), solid((255, 255, 255), 0.025))
    for j in range(0, 480, 40):
        c.draw(rrect(0, j, 640, j + 1), solid((255, 255, 255), 0.025))
    out(c, U + "parameter_background.png")
    c = Canvas(20, 20)
    c.draw(circle(10, 10, 9), (60, 62, 70))
    c.draw(line(6.5, 6.5, 13.5, 13.5, 1.8) | line(13.5, 6.5, 6.5, 13.5, 1.8), TEXT)
    out(c, R + "close_button.png")
    c = Canvas(48, 48)
    c.draw(circle(24, 24, 22), vgrad(2, 46, (70, 210, 120), (24, 150, 70)))
    c.draw(polyline([(13, 25), (21, 33), (36, 16)], 4.5), (255, 255, 255))
    out(c, U + "ok.png")
    c = Canvas(48, 48)
    c.draw(circle(24, 24, 22), vgrad(2, 46, (236, 96, 84), (176, 40, 32)))
    c.draw(line(16, 16, 32, 32, 4.5) | line(32, 16, 16, 32, 4.5), (255, 255, 255))
    out(c, U + "failure.png")


def branding():
    # Logo for the title bar.
    c = Canvas(120, 36)
    gimbal_mark(c, 18, 18, 14, ACCENT, 2.6)
    c.draw(text_shape("KG1", 42, 9, 18, 2.8), TEXT)
    out(c, U + "logo_KG1.png")
    # Application icon.
    for size, rel in ((256, R + "app_icon.png"), (64, R + "app_icon_64.png")):
        c = Canvas(size, size)
        k = size / 256.0
        body = rrect(8 * k, 8 * k, 248 * k, 248 * k, 52 * k)
        c.draw(body, vgrad(0, size, (32, 190, 238), (4, 96, 132)))
        c.draw(body.outline(3 * k), solid((255, 255, 255), 0.25))
        gimbal_mark(c, 128 * k, 128 * k, 78 * k, (255, 255, 255), 16 * k)
        out(c, rel)
    # Splash screen.
    w, h = 480, 300
    c = Canvas(w, h)
    body = rrect(0.5, 0.5, w - 0.5, h - 0.5, 10)
    c.draw(body, vgrad(0, h, (34, 36, 41), (16, 16, 18)))
    c.draw(circle(360, 120, 150), radial(360, 120, 150, ACCENT, ACCENT, 0.16, 0.0))
    for r, a0, a1 in ((118, 20, 150), (96, 200, 320), (74, 60, 250)):
        c.draw(arc(360, 120, r, a0, a1, 2.0, 60), solid(ACCENT_LT, 0.35))
    gimbal_mark(c, 360, 120, 48, ACCENT, 6)
    c.draw(text_shape("KZO", 40, 90, 52, 7), TEXT)
    c.draw(rrect(40, 166, 200, 169, 1.5), ACCENT)
    c.draw(text_shape("KG1", 40, 186, 26, 4), solid(TEXT, 0.7))
    c.draw(body.outline(1.0), EDGE)
    out(c, U + "splash_KG1.png")


def main():
    frame_pieces()
    scroll_buttons()
    window_buttons()
    link_images()
    page_buttons()
    sub_tabs()
    switch_halves()
    skins()
    plotter_buttons()
    slider_parts()
    atti_images()
    illustrations()
    backgrounds()
    branding()
    # The resource collection lists exactly what was written.
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/">']
    lines += ["    <file>%s</file>" % rel for rel in sorted(written)]
    lines += ["</qresource>", "</RCC>", ""]
    with open(os.path.join(HERE, "kzo_resources.qrc"), "w") as f:
        f.write("\n".join(lines))
    print("%d images written" % len(written))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the window's pictures and the application icon.

    assets/draw_pictures.py          (re)writes the pictures beside this script

Writes:
  licence.jpg          220 x 98, licence page: a hard disk with a green shield
                       bearing a white cross (the window shows its top-left
                       217 x 89 only, so nothing important lies outside that)
  finished.bmp         48 x 48, 24 bits per pixel: green shield, white cross,
                       on white (finished page)
  folder_filled.bmp    24 x 19, 24 bits per pixel: the browse button's folder
  folder_outline.bmp   24 x 19: the same folder as an outline (mouse over it)
  setup.ico            16, 32 and 48 pixel shield icon

Only the standard library draws; ImageMagick's `convert` turns the drawn
pixels into the JPEG and the icon. Shapes are sampled 4 x 4 times per pixel,
so their edges are smooth.
"""
import math
import os
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4
WHITE = (255, 255, 255)


class Canvas:
    def __init__(self, width, height, background=WHITE, alpha=1.0):
        self.width, self.height = width, height
        self.rgb = [[list(background) for _ in range(width)] for _ in range(height)]
        self.alpha = [[alpha] * width for _ in range(height)]

    def fill(self, inside, color):
        """Paints `color` (an RGB tuple, or a function of x, y giving one)
        where inside(x, y) holds, weighted by the covered share of each pixel."""
        step = 1.0 / SAMPLES
        for py in range(self.height):
            for px in range(self.width):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(px + (sx + 0.5) * step, py + (sy + 0.5) * step):
                            hits += 1
                if hits == 0:
                    continue
                cover = hits / (SAMPLES * SAMPLES)
                c = color(px + 0.5, py + 0.5) if callable(color) else color
                old = self.rgb[py][px]
                a0 = self.alpha[py][px]
                a = cover + a0 * (1 - cover)
                for i in range(3):
                    old[i] = (c[i] * cover + old[i] * a0 * (1 - cover)) / a if a > 0 else c[i]
                self.alpha[py][px] = a

    def bytes_rgb(self):
        return bytes(max(0, min(255, round(v))) for row in self.rgb for p in row for v in p)


# ---- shapes: functions (x, y) -> bool -------------------------------------

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def bezier(p0, p1, p2, n=24):
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in (i / n for i in range(n + 1))]


def shield(x, y, w, h):
    """A heraldic shield in the box (x, y, w, h): a flat top with a slight
    dip, straight sides, then two curves meeting in a point at the bottom."""
    top, mid = y + h * 0.06, y + h * 0.52
    pts = [(x, top)]
    pts += bezier((x + w * 0.5 - w * 0.5, top), (x + w * 0.5 * 0.5, y), (x + w * 0.5, y + h * 0.05))[1:]
    pts += bezier((x + w * 0.5, y + h * 0.05), (x + w * 0.75, y), (x + w, top))[1:]
    pts.append((x + w, mid))
    pts += bezier((x + w, mid), (x + w, y + h * 0.85), (x + w * 0.5, y + h))[1:]
    pts += bezier((x + w * 0.5, y + h), (x, y + h * 0.85), (x, mid))[1:]
    return polygon(pts)


def cross(cx, cy, arm, thick):
    return union(rect(cx - thick / 2, cy - arm, cx + thick / 2, cy + arm),
                 rect(cx - arm, cy - thick / 2, cx + arm, cy + thick / 2))


def vertical(c0, c1, y0, y1):
    """A colour function: c0 at row y0 blending to c1 at row y1."""
    def color(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return color


def draw_shield(canvas, x, y, w, h):
    """Green shield with a darker rim, a light sheen and a white cross."""
    rim = max(1.0, w / 16)
    canvas.fill(shield(x, y, w, h), (24, 112, 40))
    canvas.fill(shield(x + rim, y + rim, w - 2 * rim, h - 2 * rim),
                vertical((118, 214, 96), (38, 150, 52), y, y + h))
    # The left half catches the light.
    canvas.fill(minus(shield(x + rim, y + rim, w - 2 * rim, h - 2 * rim),
                      rect(x + w / 2, y, x + w, y + h)),
                lambda px, py: (150, 230, 130) if py < y + h * 0.5 else (70, 180, 70))
    canvas.fill(cross(x + w / 2, y + h * 0.44, w * 0.27, w * 0.17), WHITE)


# ---- the pictures ---------------------------------------------------------

def licence_picture():
    c = Canvas(220, 98)
    # Floor shadow: it reaches into the bottom rows that the window cuts off.
    c.fill(ellipse(92, 91, 84, 7), (222, 226, 232))
    # Drive body: brushed metal.
    c.fill(round_rect(14, 6, 170, 88, 8), (96, 102, 112))
    c.fill(round_rect(16, 8, 168, 86, 7), vertical((236, 239, 243), (176, 182, 191), 8, 86))
    # Platter with its rings and the spindle.
    c.fill(ellipse(78, 47, 35, 35), (70, 76, 88))
    c.fill(ellipse(78, 47, 33, 33), vertical((214, 220, 230), (128, 138, 154), 14, 80))
    for r in (27, 21, 15):
        c.fill(minus(ellipse(78, 47, r, r), ellipse(78, 47, r - 0.8, r - 0.8)), (150, 160, 176))
    c.fill(ellipse(78, 47, 7, 7), (92, 98, 110))
    c.fill(ellipse(78, 47, 4, 4), (210, 214, 220))
    # Actuator arm from its pivot near the right edge over the platter.
    c.fill(polygon([(134, 68), (140, 62), (100, 30), (96, 34)]), (60, 64, 72))
    c.fill(ellipse(137, 66, 8, 8), (70, 74, 82))
    c.fill(ellipse(137, 66, 4, 4), (170, 176, 184))
    # Screws in the corners.
    for sx, sy in ((24, 15), (160, 15), (24, 79), (160, 79)):
        c.fill(ellipse(sx, sy, 3, 3), (120, 126, 136))
        c.fill(rect(sx - 2, sy - 0.5, sx + 2, sy + 0.5), (70, 74, 82))
    # Label strip.
    c.fill(round_rect(108, 12, 160, 24, 2), (44, 84, 160))
    c.fill(rect(112, 16.5, 150, 18.5), (200, 214, 240))
    # The shield guards the drive.
    draw_shield(c, 150, 14, 54, 68)
    return c


def finished_picture():
    c = Canvas(48, 48)
    draw_shield(c, 8, 4, 32, 40)
    return c


def folder_shape(x, y):
    back = union(round_rect(1, 3, 11, 7, 1.5), round_rect(1, 5, 23, 18, 1.5))
    front = polygon([(3.5, 8), (23, 8), (21.5, 18), (1, 18)])
    return back, front


def folder_filled():
    c = Canvas(24, 19)
    back, front = folder_shape(0, 0)
    c.fill(back, (28, 78, 160))
    c.fill(rect(2, 6, 22, 9), (250, 250, 250))  # a sheet of paper inside
    c.fill(front, (30, 90, 180))
    c.fill(polygon([(4.5, 9), (22, 9), (20.7, 17), (2.1, 17)]), vertical((110, 170, 240), (52, 120, 214), 9, 17))
    return c


def folder_outline():
    c = Canvas(24, 19)
    back, front = folder_shape(0, 0)
    inner_back = union(round_rect(2, 4, 10, 7, 1), round_rect(2, 6, 22, 17, 1))
    c.fill(minus(back, inner_back), (30, 90, 180))
    c.fill(minus(front, polygon([(4.4, 9), (21.8, 9), (20.6, 17), (2.2, 17)])), (30, 90, 180))
    return c


def icon_frame(size):
    c = Canvas(size, size, background=(0, 0, 0), alpha=0.0)
    m = size / 16
    draw_shield(c, m, m * 0.5, size - 2 * m, size - m)
    return c


# ---- file writers ---------------------------------------------------------

def write_bmp(path, canvas):
    """24 bits per pixel, bottom-up rows padded to 4 bytes."""
    w, h = canvas.width, canvas.height
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for r, g, b in canvas.rgb[y]:
            row += bytes((max(0, min(255, round(b))), max(0, min(255, round(g))), max(0, min(255, round(r)))))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_ppm(path, canvas):
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (canvas.width, canvas.height) + canvas.bytes_rgb())


def write_png_rgba(path, canvas):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = bytearray()
    for y in range(canvas.height):
        raw.append(0)
        for (r, g, b), a in zip(canvas.rgb[y], canvas.alpha[y]):
            raw += bytes(max(0, min(255, round(v))) for v in (r, g, b, a * 255))
    ihdr = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))


def main():
    out = lambda name: os.path.join(HERE, name)
    write_bmp(out("finished.bmp"), finished_picture())
    write_bmp(out("folder_filled.bmp"), folder_filled())
    write_bmp(out("folder_outline.bmp"), folder_outline())
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "licence.ppm")
        write_ppm(ppm, licence_picture())
        # 4:4:4 sampling keeps the thin white cross crisp.
        subprocess.run(["convert", ppm, "-strip", "-sampling-factor", "1x1", "-quality", "92",
                        out("licence.jpg")], check=True)
        frames = []
        for size in (16, 32, 48):
            frames.append(os.path.join(tmp, "icon%d.png" % size))
            write_png_rgba(frames[-1], icon_frame(size))
        subprocess.run(["convert", *frames, out("setup.ico")], check=True)


if __name__ == "__main__":
    main()

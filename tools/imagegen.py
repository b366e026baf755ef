#!/usr/bin/env python3
"""Generate the bitmap and the icons of ORBELA_XB.

Usage:
    python3 tools/imagegen.py OUTDIR        (normally: python3 tools/imagegen.py res)

Writes into OUTDIR:
    MYBMP.bmp   449 x 188, 24 bpp, uncompressed, bottom-up: the drawing of the
                circular, elliptic and parabolic orbits around the Earth with
                Czech captions (no diacritics).
    app.ico     IDI_APP: 16 x 16 and 32 x 32, 8 bpp: a red rocket with a thin
                spike, a long body and a rounded base on opaque white.
    small.ico   IDI_SMALL: 16 x 16, 8 bpp: a stepped red rocket with a wide base
                on opaque white.
    about.ico   IDI_ABOUT: 48 x 48, 8 bpp: the flag (white over red, blue
                triangle at the hoist) in the top 31 rows, the rest transparent.

Only the Python 3 standard library is used and nothing random or time-dependent
goes in, so running it again gives byte-identical files. The committed files in
res/ are its output; a Windows build needs no Python.
"""

import math
import os
import struct
import sys

BMP_W, BMP_H = 449, 188

# ---------------------------------------------------------------------------
# Bitmap font: 5 x 7 capitals, lower case with a 5-row x-height and 2-row
# descenders. Each entry is (first row, rows); a row's length is the glyph's
# width, '#' is ink. Cells are 9 rows high, the baseline is below row 6.

GLYPHS = {
    'a': (2, ".###. ....# .#### #...# .####"),
    'b': (0, "#.... #.... ####. #...# #...# #...# ####."),
    'c': (2, ".### #... #... #... .###"),
    'd': (0, "....# ....# .#### #...# #...# #...# .####"),
    'e': (2, ".###. #...# ##### #.... .###."),
    'f': (0, "..## .#.. #### .#.. .#.. .#.. .#.."),
    'g': (2, ".#### #...# #...# #...# .#### ....# .###."),
    'h': (0, "#.... #.... ####. #...# #...# #...# #...#"),
    'i': (0, ".#. ... ##. .#. .#. .#. ###"),
    'j': (0, "..# ... .## ..# ..# ..# ..# ..# ##."),
    'k': (0, "#... #... #..# #.#. ##.. #.#. #..#"),
    'l': (0, "##. .#. .#. .#. .#. .#. ###"),
    'm': (2, "##.#. #.#.# #.#.# #.#.# #.#.#"),
    'n': (2, "####. #...# #...# #...# #...#"),
    'o': (2, ".###. #...# #...# #...# .###."),
    'p': (2, "####. #...# #...# #...# ####. #.... #...."),
    'q': (2, ".#### #...# #...# #...# .#### ....# ....#"),
    'r': (2, "#.## ##.. #... #... #..."),
    's': (2, ".#### #.... .###. ....# ####."),
    't': (0, ".#.. .#.. #### .#.. .#.. .#.. ..##"),
    'u': (2, "#...# #...# #...# #...# .####"),
    'v': (2, "#...# #...# .#.#. .#.#. ..#.."),
    'w': (2, "#...# #...# #.#.# #.#.# .#.#."),
    'x': (2, "#...# .#.#. ..#.. .#.#. #...#"),
    'y': (2, "#...# #...# #...# #...# .#### ....# .###."),
    'z': (2, "##### ...#. ..#.. .#... #####"),
    'A': (0, ".###. #...# #...# ##### #...# #...# #...#"),
    'B': (0, "####. #...# #...# ####. #...# #...# ####."),
    'C': (0, ".###. #...# #.... #.... #.... #...# .###."),
    'D': (0, "####. #...# #...# #...# #...# #...# ####."),
    'E': (0, "##### #.... #.... ####. #.... #.... #####"),
    'F': (0, "##### #.... #.... ####. #.... #.... #...."),
    'G': (0, ".###. #...# #.... #.### #...# #...# .####"),
    'H': (0, "#...# #...# #...# ##### #...# #...# #...#"),
    'I': (0, "### .#. .#. .#. .#. .#. ###"),
    'J': (0, "..### ...#. ...#. ...#. ...#. #..#. .##.."),
    'K': (0, "#...# #..#. #.#.. ##... #.#.. #..#. #...#"),
    'L': (0, "#.... #.... #.... #.... #.... #.... #####"),
    'M': (0, "#...# ##.## #.#.# #.#.# #...# #...# #...#"),
    'N': (0, "#...# ##..# #.#.# #..## #...# #...# #...#"),
    'O': (0, ".###. #...# #...# #...# #...# #...# .###."),
    'P': (0, "####. #...# #...# ####. #.... #.... #...."),
    'Q': (0, ".###. #...# #...# #...# #.#.# #..#. .##.#"),
    'R': (0, "####. #...# #...# ####. #.#.. #..#. #...#"),
    'S': (0, ".###. #...# #.... .###. ....# #...# .###."),
    'T': (0, "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."),
    'U': (0, "#...# #...# #...# #...# #...# #...# .###."),
    'V': (0, "#...# #...# #...# #...# #...# .#.#. ..#.."),
    'W': (0, "#...# #...# #...# #.#.# #.#.# #.#.# .#.#."),
    'X': (0, "#...# #...# .#.#. ..#.. .#.#. #...# #...#"),
    'Y': (0, "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.."),
    'Z': (0, "##### ....# ...#. ..#.. .#... #.... #####"),
    '0': (0, ".###. #...# #..## #.#.# ##..# #...# .###."),
    '1': (0, ".#. ##. .#. .#. .#. .#. ###"),
    '2': (0, ".###. #...# ....# ...#. ..#.. .#... #####"),
    '3': (0, "##### ...#. ..#.. ...#. ....# #...# .###."),
    '4': (0, "...#. ..##. .#.#. #..#. ##### ...#. ...#."),
    '5': (0, "##### #.... ####. ....# ....# #...# .###."),
    '6': (0, "..##. .#... #.... ####. #...# #...# .###."),
    '7': (0, "##### ....# ...#. ..#.. .#... .#... .#..."),
    '8': (0, ".###. #...# #...# .###. #...# #...# .###."),
    '9': (0, ".###. #...# #...# .#### ....# ...#. .##.."),
    '.': (6, "#"),
    ',': (6, ".# #."),
    ':': (3, "# . . #"),
    '(': (0, "..# .#. #.. #.. #.. .#. ..#"),
    ')': (0, "#.. .#. ..# ..# ..# .#. #.."),
    '=': (3, "##### ..... #####"),
    '<': (2, "...## .##.. #.... .##.. ...##"),
    '>': (2, "##... ..##. ....# ..##. ##..."),
    '-': (4, "####"),
    '+': (2, "..#.. ..#.. ##### ..#.. ..#.."),
    '/': (0, "....# ...#. ...#. ..#.. .#... .#... #...."),
    '!': (0, "# # # # # . #"),
    '?': (0, ".###. #...# ....# ...#. ..#.. ..... ..#.."),
    ' ': (0, "..."),
}

LINE_HEIGHT = 11


def glyph_rows(ch):
    start, pattern = GLYPHS[ch]
    return start, pattern.split(' ')


def text_width(text):
    total = 0
    for ch in text:
        _, rows = glyph_rows(ch)
        total += len(rows[0]) + 1
    return total - 1 if text else 0


def wrap_text(text, max_width):
    lines = []
    line = ""
    for word in text.split(' '):
        candidate = word if not line else line + ' ' + word
        if text_width(candidate) <= max_width:
            line = candidate
        else:
            lines.append(line)
            line = word
    if line:
        lines.append(line)
    return lines


# ---------------------------------------------------------------------------
# Canvas: a flat list of RGB floats, top row first.

def new_canvas(w, h, rgb=(0.0, 0.0, 0.0)):
    return {'w': w, 'h': h, 'px': [list(rgb) for _ in range(w * h)]}


def blend(canvas, x, y, rgb, alpha):
    if alpha <= 0.0 or x < 0 or y < 0 or x >= canvas['w'] or y >= canvas['h']:
        return
    if alpha > 1.0:
        alpha = 1.0
    p = canvas['px'][y * canvas['w'] + x]
    for i in range(3):
        p[i] += (rgb[i] - p[i]) * alpha


def add_light(canvas, x, y, rgb, amount):
    if amount <= 0.0 or x < 0 or y < 0 or x >= canvas['w'] or y >= canvas['h']:
        return
    p = canvas['px'][y * canvas['w'] + x]
    for i in range(3):
        p[i] = min(255.0, p[i] + rgb[i] * amount)


def draw_text(canvas, x, y, text, rgb):
    """Draws text with its cell's top-left corner at (x, y)."""
    for ch in text:
        start, rows = glyph_rows(ch)
        for r, row in enumerate(rows):
            for c, cell in enumerate(row):
                if cell == '#':
                    blend(canvas, x + c, y + start + r, rgb, 1.0)
        x += len(rows[0]) + 1
    return x


def draw_segments(canvas, segments):
    """Draws coloured text runs one after another: [(text, rgb), ...]."""
    def draw(x, y):
        for text, rgb in segments:
            x = draw_text(canvas, x, y, text, rgb)
    return draw


def stroke_coverage(points, width):
    """Coverage of a polyline of the given width, per pixel, anti-aliased."""
    half = width / 2.0
    cover = {}
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        x0 = int(math.floor(min(ax, bx) - half - 1))
        x1 = int(math.ceil(max(ax, bx) + half + 1))
        y0 = int(math.floor(min(ay, by) - half - 1))
        y1 = int(math.ceil(max(ay, by) + half + 1))
        for py in range(y0, y1 + 1):
            cy = py + 0.5
            for px in range(x0, x1 + 1):
                cx = px + 0.5
                if length2 > 0.0:
                    t = ((cx - ax) * dx + (cy - ay) * dy) / length2
                    t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
                else:
                    t = 0.0
                ex = ax + t * dx - cx
                ey = ay + t * dy - cy
                d = math.sqrt(ex * ex + ey * ey)
                c = half + 0.5 - d
                if c <= 0.0:
                    continue
                if c > 1.0:
                    c = 1.0
                key = (px, py)
                if cover.get(key, 0.0) < c:
                    cover[key] = c
    return cover


def paint_coverage(canvas, cover, rgb, fade=None):
    for (x, y) in sorted(cover):
        alpha = cover[(x, y)] if fade is None else cover[(x, y)] * fade(x, y)
        blend(canvas, x, y, rgb, alpha)


def stroke(canvas, points, width, rgb, fade=None):
    paint_coverage(canvas, stroke_coverage(points, width), rgb, fade)


def fill_disc(canvas, cx, cy, radius, rgb, alpha=1.0):
    x0, x1 = int(math.floor(cx - radius - 1)), int(math.ceil(cx + radius + 1))
    y0, y1 = int(math.floor(cy - radius - 1)), int(math.ceil(cy + radius + 1))
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            c = radius + 0.5 - d
            if c > 0.0:
                blend(canvas, x, y, rgb, min(1.0, c) * alpha)


# ---------------------------------------------------------------------------
# The Earth: continents as rough outlines in degrees (longitude, latitude),
# shown in orthographic projection over Africa and Europe.

CONTINENTS = [
    # Africa
    [(-6, 36), (10, 37.3), (11, 33), (20, 30.5), (25, 32), (32, 31.3),
     (33.5, 28), (36, 22), (38.5, 18), (43, 12.5), (51, 11.8), (51, 10),
     (48, 5), (42, -1), (40, -5), (39, -10), (40.5, -15), (35, -20),
     (35.5, -24), (33, -27), (30, -31), (27, -34), (20, -35), (18, -32),
     (15, -27), (12, -18), (13, -12), (12, -6), (9, -1), (9.5, 4), (5, 5.5),
     (0, 5.5), (-5, 5), (-8, 4.5), (-11, 7), (-15, 11), (-17, 14.5),
     (-17, 21), (-13, 27), (-10, 30), (-9.5, 33)],
    # Madagascar
    [(44, -25), (47, -25), (50.5, -15.5), (49, -12), (44, -16.5)],
    # Eurasia, cut off beyond the visible side
    [(-9, 37), (-9, 43), (-2, 43.5), (-1.2, 46), (-4.5, 48.5), (2, 51),
     (5, 53), (8, 54), (8, 57), (10.5, 57.7), (12.5, 56), (11, 59), (6, 58.5),
     (5, 62), (11, 64), (15, 68.5), (20, 70), (28, 71), (40, 67), (44, 68),
     (60, 70), (70, 73), (80, 73), (100, 77), (120, 74), (120, 22),
     (108, 21), (106, 10), (100, 13), (98, 8), (100, 3), (103, 1.5),
     (98, 17), (94, 17), (92, 22), (87, 21.5), (80, 15), (77, 8), (73, 18),
     (70, 22), (67, 25), (57, 25.5), (56, 27), (52, 28), (50, 30), (48, 30),
     (50, 26), (51, 24), (56, 24.5), (57, 22), (59, 22.5), (55, 17),
     (52, 16), (45, 13), (43, 13), (39, 21), (35, 28), (34.5, 29.5),
     (34, 31.5), (35, 33), (36, 36), (30, 36.5), (27, 37), (26.5, 40),
     (23, 40.5), (24, 38), (22, 37), (20, 40), (19.5, 42), (15, 45),
     (13.5, 45.7), (12.3, 44), (16, 41.5), (18.5, 40), (16, 38), (15.5, 38),
     (12, 42), (10, 44), (7, 43.5), (3, 43), (0, 39), (-2, 37), (-5.5, 36)],
    # Great Britain and Ireland
    [(-5.5, 50), (1.5, 51), (1.7, 52.8), (0, 53.5), (-2, 55.8), (-3, 58.5),
     (-5, 58.5), (-6, 56.5), (-4.8, 54.8), (-3, 53.5), (-4.5, 51.6)],
    [(-10, 51.7), (-6, 52), (-6, 55), (-8.5, 55), (-10, 54)],
    # Iceland
    [(-24, 65.5), (-18, 66.5), (-13.5, 65), (-18, 63.5), (-22, 63.8)],
    # Greenland
    [(-45, 60), (-38, 65.5), (-22, 70), (-20, 76), (-18, 81.5), (-35, 83.5),
     (-60, 82), (-72, 78), (-58, 75.5), (-54, 70), (-52, 65)],
    # South America
    [(-80, 9), (-77, 8.5), (-72, 12), (-62, 10.5), (-52, 5), (-50, 0),
     (-44, -2.5), (-35, -5), (-39, -13), (-41, -22), (-48, -26), (-53, -34),
     (-58, -38), (-65, -41), (-68, -52), (-75, -50), (-74, -40), (-71, -30),
     (-70, -18), (-76, -14), (-81, -5), (-80, 1)],
    # North America, east part
    [(-81, 25), (-81, 31), (-76, 35), (-70, 41.5), (-66, 44.5), (-60, 46),
     (-55.5, 52), (-60, 55.5), (-65, 60), (-78, 62.5), (-95, 62), (-95, 18),
     (-87, 21.5), (-83, 29)],
]


def polygon_bounds(poly):
    xs = [p[0] for p in poly]
    ys = [p[1] for p in poly]
    return min(xs), min(ys), max(xs), max(ys)


CONTINENT_BOUNDS = [polygon_bounds(p) for p in CONTINENTS]


def inside_polygon(poly, x, y):
    inside = False
    n = len(poly)
    j = n - 1
    for i in range(n):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y):
            if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
        j = i
    return inside


def is_land(lon, lat):
    for poly, (x0, y0, x1, y1) in zip(CONTINENTS, CONTINENT_BOUNDS):
        if x0 <= lon <= x1 and y0 <= lat <= y1 and inside_polygon(poly, lon, lat):
            return True
    return False


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def smoothstep(e0, e1, x):
    t = (x - e0) / (e1 - e0)
    t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
    return t * t * (3.0 - 2.0 * t)


def surface_colour(lon, lat):
    ice = smoothstep(68.0, 76.0, lat) if lat > 0 else smoothstep(62.0, 68.0, -lat)
    if is_land(lon, lat):
        green = (52, 128, 46) if abs(lat) < 12 else (78, 142, 58)
        # Deserts: Sahara, Arabia, Kalahari
        dry = 0.0
        dry = max(dry, smoothstep(12.0, 19.0, lat) * (1 - smoothstep(30.0, 34.0, lat))
                  * smoothstep(-18.0, -12.0, lon) * (1 - smoothstep(33.0, 37.0, lon)))
        dry = max(dry, smoothstep(14.0, 18.0, lat) * (1 - smoothstep(30.0, 34.0, lat))
                  * smoothstep(34.0, 38.0, lon) * (1 - smoothstep(58.0, 62.0, lon)))
        dry = max(dry, 0.7 * smoothstep(-30.0, -26.0, lat) * (1 - smoothstep(-22.0, -18.0, lat))
                  * smoothstep(14.0, 17.0, lon) * (1 - smoothstep(24.0, 27.0, lon)))
        col = mix(green, (206, 170, 104), dry)
        return mix(col, (240, 244, 250), ice)
    ocean = mix((20, 64, 168), (14, 44, 130), smoothstep(0.0, 60.0, abs(lat)))
    return mix(ocean, (225, 232, 245), ice * 0.85)


def draw_earth(canvas, cx, cy, radius):
    lon0, lat0 = math.radians(12.0), math.radians(22.0)
    sin0, cos0 = math.sin(lat0), math.cos(lat0)
    light = (-0.55, -0.45, 0.70)
    ln = math.sqrt(sum(v * v for v in light))
    light = tuple(v / ln for v in light)
    ss = 4
    x0, x1 = int(math.floor(cx - radius - 4)), int(math.ceil(cx + radius + 4))
    y0, y1 = int(math.floor(cy - radius - 4)), int(math.ceil(cy + radius + 4))
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(ss):
                for sx in range(ss):
                    u = (x + (sx + 0.5) / ss - cx) / radius
                    v = (y + (sy + 0.5) / ss - cy) / radius
                    r2 = u * u + v * v
                    if r2 >= 1.0:
                        continue
                    w = math.sqrt(1.0 - r2)
                    # Inverse orthographic projection (north up, y downwards).
                    lat = math.asin(w * sin0 - v * cos0)
                    lon = lon0 + math.atan2(u, w * cos0 + v * sin0)
                    col = surface_colour(math.degrees(lon), math.degrees(lat))
                    lambert = u * light[0] + v * light[1] + w * light[2]
                    shade = 0.22 + 0.95 * max(0.0, lambert)
                    # Blue haze towards the limb.
                    haze = (1.0 - w) ** 2 * 0.55
                    col = tuple(min(255.0, c * shade) for c in col)
                    col = mix(col, (120, 170, 255), haze * max(0.25, lambert))
                    for i in range(3):
                        acc[i] += col[i]
                    hits += 1
            if hits:
                rgb = tuple(a / hits for a in acc)
                blend(canvas, x, y, rgb, hits / float(ss * ss))
            # Thin atmosphere glow around the disc, brighter on the lit side.
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            dist = math.hypot(dx, dy)
            if radius - 1.0 < dist < radius + 3.5:
                glow = 1.0 - abs(dist - radius) / 3.5
                facing = (dx * light[0] + dy * light[1]) / (dist * math.hypot(light[0], light[1]))
                lit = 0.3 + 0.7 * max(0.0, facing)
                add_light(canvas, x, y, (70, 130, 255), 0.5 * glow * glow * lit)


# ---------------------------------------------------------------------------
# The drawing.

COL_TEXT = (214, 214, 214)
COL_WHITE = (255, 255, 255)
COL_CIRCLE = (110, 230, 120)
COL_ELLIPSE = (255, 208, 72)
COL_PARABOLA = (255, 104, 88)
COL_SATELLITE = (255, 255, 255)


def lcg(state):
    while True:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        yield state / float(0x80000000)


def draw_stars(canvas, count, first_state):
    """Stars only where the picture is black all around."""
    rnd = lcg(first_state)
    w, h = canvas['w'], canvas['h']
    px = canvas['px']

    def clear(x, y, r):
        for yy in range(y - r, y + r + 1):
            for xx in range(x - r, x + r + 1):
                if 0 <= xx < w and 0 <= yy < h:
                    p = px[yy * w + xx]
                    if p[0] + p[1] + p[2] > 6.0:
                        return False
        return True

    placed = 0
    tries = 0
    while placed < count and tries < count * 40:
        tries += 1
        x = 4 + int(next(rnd) * (w - 8))
        y = 4 + int(next(rnd) * (h - 8))
        big = next(rnd) < 0.12
        level = 0.35 + 0.65 * next(rnd) ** 2
        tint = next(rnd)
        if not clear(x, y, 8 if big else 7):
            continue
        col = mix((255, 236, 210), (200, 220, 255), tint)
        if big:
            add_light(canvas, x, y, col, 1.0)
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                add_light(canvas, x + dx, y + dy, col, 0.45)
            for dx, dy in ((2, 0), (-2, 0), (0, 2), (0, -2)):
                add_light(canvas, x + dx, y + dy, col, 0.12)
        else:
            add_light(canvas, x, y, col, level)
        placed += 1


def draw_satellite(canvas, x, y, tx, ty):
    """A small satellite at (x, y) flying along the unit tangent (tx, ty)."""
    nx, ny = -ty, tx
    for side in (1, -1):
        stroke(canvas, [(x + nx * side * 2.5, y + ny * side * 2.5),
                        (x + nx * side * 7.0, y + ny * side * 7.0)], 2.6, (70, 130, 240))
    fill_disc(canvas, x, y, 2.3, (235, 235, 225))
    # Velocity arrow ahead of it.
    ax, ay = x + tx * 6.0, y + ty * 6.0
    bx, by = x + tx * 19.0, y + ty * 19.0
    stroke(canvas, [(ax, ay), (bx, by)], 1.2, COL_SATELLITE)
    for sgn in (1, -1):
        ang = math.radians(28.0) * sgn
        hx = -(tx * math.cos(ang) - ty * math.sin(ang))
        hy = -(tx * math.sin(ang) + ty * math.cos(ang))
        stroke(canvas, [(bx, by), (bx + hx * 5.0, by + hy * 5.0)], 1.2, COL_SATELLITE)


def make_drawing():
    canvas = new_canvas(BMP_W, BMP_H)

    ex, ey = 66.0, 94.0          # the Earth's centre, also the focus of all orbits
    earth_r = 24.0
    rp = 33.0                    # radius of the circle = perigee of the others
    ecc = 0.62
    a = rp / (1.0 - ecc)

    circle = [(ex + rp * math.cos(t), ey + rp * math.sin(t))
              for t in (2.0 * math.pi * i / 360 for i in range(361))]
    ellipse = []
    for i in range(721):
        th = 2.0 * math.pi * i / 720
        r = a * (1.0 - ecc * ecc) / (1.0 + ecc * math.cos(th))
        ellipse.append((ex - r * math.cos(th), ey + r * math.sin(th)))
    parabola = []
    for i in range(-260, 261):
        s = i * 0.5                              # vertical offset from the axis
        parabola.append((ex - rp + s * s / (4.0 * rp), ey + s))

    stroke(canvas, ellipse, 1.5, COL_ELLIPSE)
    # The open path fades out towards the edges: the picture control may be
    # larger than the bitmap, and a curve cut off short would look wrong.
    stroke(canvas, parabola, 1.5, COL_PARABOLA,
           lambda x, y: smoothstep(-2.0, 16.0, min(y, BMP_H - 1 - y)))
    stroke(canvas, circle, 1.5, COL_CIRCLE)
    draw_earth(canvas, ex, ey, earth_r)

    # The satellite has left the ellipse on the upper branch of the parabola.
    s = -71.0
    sx, sy = ex - rp + s * s / (4.0 * rp), ey + s
    tx, ty = s / (2.0 * rp), 1.0
    n = math.hypot(tx, ty)
    tx, ty = -tx / n, -ty / n
    draw_satellite(canvas, sx, sy, tx, ty)
    draw_text(canvas, int(sx) - 20, int(sy) - 4, "vo", COL_SATELLITE)

    # Relations beside the three paths.
    draw_segments(canvas, [("vo = vk", COL_CIRCLE)])(104, 90)
    draw_segments(canvas, [("vk < vo < vp", COL_ELLIPSE)])(176, 150)
    draw_segments(canvas, [("vo = vp", COL_PARABOLA)])(112, 9)

    # Legend and the closing sentence on the right.
    left = 268
    right = BMP_W - 8
    lines = [
        [("vo", COL_WHITE), (" - rychlost druzice", COL_TEXT)],
        [("vk", COL_CIRCLE), (" - kruhova rychlost,", COL_TEXT)],
        [("     1. kosmicka rychlost", COL_TEXT)],
        [("vp", COL_PARABOLA), (" - parabolicka rychlost,", COL_TEXT)],
        [("     2. kosmicka rychlost", COL_TEXT)],
        None,
    ]
    sentence = ("Pri parabolicke rychlosti druzice opusti Zemi navzdy, "
                "ale zustane v poli Slunce. Totez plati pro jine hvezdy "
                "a jejich planety.")
    for line in wrap_text(sentence, right - left):
        lines.append([(line, (180, 190, 205))])
    top = (BMP_H - len(lines) * LINE_HEIGHT) // 2
    for i, segs in enumerate(lines):
        if segs:
            draw_segments(canvas, segs)(left, top + i * LINE_HEIGHT)

    draw_stars(canvas, 34, 20240611)
    return canvas


def canvas_bytes_bgr_bottom_up(canvas):
    w, h = canvas['w'], canvas['h']
    row_size = (w * 3 + 3) & ~3
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = canvas['px'][y * w + x]
            row += bytes((quantise(b), quantise(g), quantise(r)))
        row += bytes(row_size - len(row))
        out += row
    return bytes(out)


def quantise(v):
    i = int(v + 0.5)
    return 0 if i < 0 else (255 if i > 255 else i)


def bmp_file(canvas):
    pixels = canvas_bytes_bgr_bottom_up(canvas)
    header = struct.pack('<IiiHHIIiiII', 40, canvas['w'], canvas['h'], 1, 24, 0,
                         len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(pixels), 0, 0,
                              14 + len(header))
    return file_header + header + pixels


# ---------------------------------------------------------------------------
# Icons: 8-bit DIBs with a 256-entry palette, XOR image and 1-bit AND mask.

def icon_image(width, height, palette, indices, mask):
    """indices and mask are lists of rows, top row first; mask 1 = transparent."""
    assert len(palette) <= 256
    pal = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    xor_row = (width + 3) & ~3
    and_row = ((width + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytes(indices[y]) + bytes(xor_row - width)
        xor += row
        bits = bytearray(and_row)
        for x in range(width):
            if mask[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += bits
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 8, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    pal_bytes = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in pal)
    return header + pal_bytes + bytes(xor) + bytes(andm)


def ico_file(images):
    """images: [(width, height, dib bytes)]"""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, dib in images:
        out += struct.pack('<BBBBHHII', w & 0xFF, h & 0xFF, 0, 0, 1, 8, len(dib), offset)
        offset += len(dib)
    for _, _, dib in images:
        out += dib
    return out


ROCKET_COLOURS = {
    '.': (255, 255, 255),   # background
    'o': (118, 6, 14),      # outline
    'h': (255, 128, 116),   # lit side
    'R': (222, 32, 38),     # body
    'd': (164, 14, 22),     # shaded side
    'b': (196, 222, 255),   # porthole
}
ROCKET_PALETTE_KEYS = ".ohRdb"      # from index 1; index 0 is black


def rocket_pixels(size, profile, porthole):
    """profile: {row: half width}; the rocket is symmetric about size / 2."""
    centre = size // 2
    shape = [[False] * size for _ in range(size)]
    for y, hw in profile.items():
        for x in range(centre - hw, centre + hw):
            shape[y][x] = True

    def filled(x, y):
        return 0 <= x < size and 0 <= y < size and shape[y][x]

    rows = []
    for y in range(size):
        row = ''
        hw = profile.get(y, 0)
        for x in range(size):
            if not shape[y][x]:
                row += '.'
            elif not (filled(x - 1, y) and filled(x + 1, y) and filled(x, y - 1) and filled(x, y + 1)):
                row += 'o'
            else:
                t = (x - (centre - hw) + 0.5) / (2.0 * hw)
                row += 'h' if t < 0.34 else ('d' if t > 0.72 else 'R')
        rows.append(row)
    for (x, y), ch in porthole.items():
        rows[y] = rows[y][:x] + ch + rows[y][x + 1:]
    return rows


def rocket_icon(size, rows):
    palette = [(0, 0, 0)] + [ROCKET_COLOURS[k] for k in ROCKET_PALETTE_KEYS]
    index = {k: ROCKET_PALETTE_KEYS.index(k) + 1 for k in ROCKET_PALETTE_KEYS}
    indices = [[index[ch] for ch in row] for row in rows]
    mask = [[0] * size for _ in range(size)]
    return (size, size, icon_image(size, size, palette, indices, mask))


def porthole(cx, cy, pattern):
    cells = {}
    for dy, line in enumerate(pattern.split()):
        for dx, ch in enumerate(line):
            if ch != '-':
                cells[(cx + dx, cy + dy)] = ch
    return cells


def app_rocket_32():
    profile = {}
    for y in range(1, 7):
        profile[y] = 1
    for y, hw in ((7, 2), (8, 2), (9, 3), (10, 3)):
        profile[y] = hw
    for y in range(11, 23):
        profile[y] = 4
    for y, hw in ((23, 5), (24, 5), (25, 6), (26, 7), (27, 7), (28, 7), (29, 6), (30, 4)):
        profile[y] = hw
    return rocket_pixels(32, profile, porthole(14, 13, "-oo- obbo obbo -oo-"))


def app_rocket_16():
    profile = {}
    for y in range(1, 5):
        profile[y] = 1
    for y in range(5, 12):
        profile[y] = 2
    for y, hw in ((12, 3), (13, 4), (14, 3)):
        profile[y] = hw
    return rocket_pixels(16, profile, porthole(7, 7, "bb"))


def small_rocket_16():
    profile = {}
    for y, hw in ((1, 1), (2, 1), (3, 2), (4, 2)):
        profile[y] = hw
    for y in range(5, 11):
        profile[y] = 3
    for y, hw in ((11, 4), (12, 4), (13, 6), (14, 6)):
        profile[y] = hw
    return rocket_pixels(16, profile, {})


FLAG_WHITE = (255, 255, 255)
FLAG_RED = (215, 20, 26)
FLAG_BLUE = (17, 69, 126)


def flag_icon():
    size, flag_h = 48, 31
    apex_x, apex_y = 24.0, flag_h / 2.0
    band_y = 16.0
    ss = 8
    colours = []
    for y in range(size):
        row = []
        for x in range(size):
            if y >= flag_h:
                row.append(None)
                continue
            acc = [0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    px = x + (sx + 0.5) / ss
                    py = y + (sy + 0.5) / ss
                    if px < apex_x * (1.0 - abs(py - apex_y) / apex_y):
                        acc[2] += 1
                    elif py < band_y:
                        acc[0] += 1
                    else:
                        acc[1] += 1
            n = float(ss * ss)
            rgb = tuple(quantise((acc[0] * FLAG_WHITE[i] + acc[1] * FLAG_RED[i]
                                  + acc[2] * FLAG_BLUE[i]) / n) for i in range(3))
            row.append(rgb)
        colours.append(row)
    used = sorted({c for row in colours for c in row if c is not None})
    palette = [(0, 0, 0)] + used
    index = {c: i + 1 for i, c in enumerate(used)}
    indices = [[0 if c is None else index[c] for c in row] for row in colours]
    mask = [[1 if c is None else 0 for c in row] for row in colours]
    return (size, size, icon_image(size, size, palette, indices, mask))


# ---------------------------------------------------------------------------

def generate(outdir):
    files = {
        'MYBMP.bmp': bmp_file(make_drawing()),
        'app.ico': ico_file([rocket_icon(16, app_rocket_16()),
                             rocket_icon(32, app_rocket_32())]),
        'small.ico': ico_file([rocket_icon(16, small_rocket_16())]),
        'about.ico': ico_file([flag_icon()]),
    }
    os.makedirs(outdir, exist_ok=True)
    for name in sorted(files):
        with open(os.path.join(outdir, name), 'wb') as f:
            f.write(files[name])
    return sorted(files)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: %s OUTDIR\n" % argv[0])
        return 2
    for name in generate(argv[1]):
        print(os.path.join(argv[1], name))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

"""What the drawing and the icons in res/ show, against what the files beside
this test state: pictures.tsv, boxes of pixels of every picture and what
each must show; MYBMP.txt, the drawing's texts as the user reads them,
against the texts of its source, res/art/MYBMP.svg; and each of those
texts, rendered alone at the drawing's font, inside the bitmap.

    python3 -m unittest discover -s tests/art -p test_pictures.py
"""
import html
import os
import pathlib
import re
import struct
import subprocess
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
HERE = pathlib.Path(__file__).parent
SOURCE = (ROOT / "res/art/MYBMP.svg").read_text()
# Each text element of the drawing's source, and its words.
TEXTS = [(t, html.unescape(re.sub("<[^>]*>", "", t))) for t in re.findall(r"<text\b.*?</text>", SOURCE)]
INK, STRONG, ROOM = 48, 0.6, 24  # in 255ths: ink's least channel, a channel's room; a curve's least coverage
# What every pixel (r, g, b, alpha) of a box shows; any other word of pictures.tsv is a colour.
KINDS = {"sky": lambda p: p[3] and max(p[:3]) <= 8, "lit": lambda p: p[3] and max(p[:3]) >= INK,
         "white": lambda p: p[3] and min(p[:3]) >= 240, "red": lambda p: p[3] and p[0] - max(p[1:3]) >= 100,
         "opaque": lambda p: p[3], "clear": lambda p: not p[3]}


def image(name, data, at, icon):
    """The device-independent bitmap at `at`, named `name widthxheightxbits` (bits None if compressed), and its
    pixel(x, y) as r, g, b, alpha. An icon's image holds its pixels of 8 bits, then its mask (1: transparent)."""
    header, width, height, _, bits, packing, _, _, _, colours = struct.unpack_from("<IiiHHIIiiI", data, at)
    height //= 1 + icon
    palette, row = at + header, (width * bits + 31) // 32 * 4
    pixels = palette + 4 * (colours or 1 << bits) * (bits <= 8)

    def pixel(x, y):
        at = pixels + (height - 1 - y) * row + x * bits // 8
        colour = data[at:at + 3] if bits == 24 else data[palette + 4 * data[at]:][:3]
        mask = icon and data[pixels + height * row + (height - 1 - y) * ((width + 31) // 32 * 4) + x // 8]
        return (*colour[::-1], 0 if mask >> (7 - x % 8) & 1 else 255)
    return "%s %dx%dx%s" % (name, width, height, bits if packing == 0 else None), pixel


def pictures():
    """{name: pixel(x, y)} of the bitmap and of each image of each icon."""
    found = dict([image("MYBMP.bmp", (ROOT / "res/MYBMP.bmp").read_bytes(), 14, False)])
    for name, data in ((name, (ROOT / "res" / name).read_bytes()) for name in ("about.ico", "app.ico", "small.ico")):
        found.update(image(name, data, at, True) for at, in struct.iter_unpack("<12xI", data[6:6 + 16 * data[4]]))
    return found


def shows(what, pixels):
    if what in KINDS:
        return all(map(KINDS[what], pixels))
    colour = bytes.fromhex(what)

    def like(p, least):  # at least that share of the colour, over black
        share = max(p[:3]) / max(colour)
        return p[3] and share >= least and all(abs(v - share * c) <= ROOM for v, c in zip(p, colour))
    return all(like(p, 0) for p in pixels if p[3] and max(p[:3]) >= INK) and any(like(p, STRONG) for p in pixels)


class Pictures(unittest.TestCase):
    def test_every_box_of_every_picture_shows_what_the_table_says(self):
        found, named = pictures(), set()
        for line, row in enumerate((HERE / "pictures.tsv").read_text().splitlines(), 1):
            if row and not row.startswith("#"):
                name, xs, ys, what, why = row.split("\t")
                (x0, x1), (y0, y1) = ((int(a), int(b or a)) for a, _, b in (xs.partition("-"), ys.partition("-")))
                named.add(name)
                with self.subTest(line=line):
                    box = [found[name](x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)]
                    self.assertTrue(shows(what, box), "pictures.tsv:%d, %s at x %s, y %s (%s): want %s, got %s" % (
                        line, name, xs, ys, why, what, " ".join("%02x%02x%02x/%d" % p for p in box)))
        self.assertEqual(named, set(found), "pictures.tsv: every picture and image of res/, by size and bits")

    def test_the_drawings_texts_in_reading_order(self):
        # The labels beside the orbits, on the left, then the legend on the right; each from the top down.
        place = [[float(v) for v in re.search(r'\bx="([\d.]+)" y="([\d.]+)"', t).groups()] for t, _ in TEXTS]
        self.assertEqual([w for _, (_, w) in sorted(zip([(x > 224, y) for x, y in place], TEXTS))],
                         (HERE / "MYBMP.txt").read_text().splitlines())

    def test_every_text_of_the_drawing_lies_inside_it(self):
        # Each text alone at the drawing's font, the rest hidden, on a canvas 100 pixels larger on every side.
        width, height = struct.unpack_from("<18xii", (ROOT / "res/MYBMP.bmp").read_bytes())
        canvas = ('<svg xmlns="http://www.w3.org/2000/svg" viewBox="-100 -100 %d %d"><style>* {visibility: hidden} '
                  '#alone, #alone * {visibility: visible}</style>' % (width + 200, height + 200))
        for text, words in TEXTS:
            alone = re.sub(r"<svg\b[^>]*>", canvas, SOURCE.replace(text, text.replace("<text", '<text id="alone"')), 1)
            png = subprocess.run(["rsvg-convert"], input=alone.encode(), capture_output=True, check=True,
                                 env=dict(os.environ, FONTCONFIG_FILE=str(HERE / "fonts.conf"))).stdout
            box = subprocess.run([ROOT / "tools/magick.sh", "png:-", "-format", "%@", "info:"], input=png,
                                 capture_output=True, check=True).stdout.decode()
            w, h, x, y = (int(n) - 100 * (i > 1) for i, n in enumerate(re.split("[x+]", box)))
            self.assertTrue(w and 0 < x and 0 < y and x + w < width and y + h < height, "%r: ink at x %d to %d, y %d "
                            "to %d, not inside the bitmap" % (words, x, x + w - 1, y, y + h - 1))

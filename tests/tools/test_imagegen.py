"""The committed bitmap and icons are what tools/imagegen.py makes, in the
formats the resources need, and show what they should.

    python3 -m unittest discover -s tests/tools -v
"""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RES = os.path.join(ROOT, "res")
WHITE = (255, 255, 255)


def read(name, folder=RES):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def icon_images(name):
    """Each image of an icon file: (directory size, DIB width and height, bits
    per pixel, palette entries, pixels[y][x] = (rgb, transparent))."""
    data, images = read(name), []
    for i in range(struct.unpack_from("<H", data, 4)[0]):
        length, offset = struct.unpack_from("<II", data, 14 + 16 * i)
        dib = data[offset:offset + length]
        _, width, height, _, bpp, _, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", dib)
        palette = [tuple(dib[40 + 4 * k:43 + 4 * k][::-1]) for k in range(used or 1 << bpp)]
        xor, mask = 40 + 4 * len(palette), (width * bpp + 31) // 32 * 4
        and_at, and_row = xor + mask * width, (width + 31) // 32 * 4
        pixels = [[(palette[dib[xor + (width - 1 - y) * mask + x]],
                    dib[and_at + (width - 1 - y) * and_row + x // 8] >> (7 - x % 8) & 1)
                   for x in range(width)] for y in range(width)]
        images.append((data[6 + 16 * i], width, height, bpp, len(palette), pixels))
    return images


class Images(unittest.TestCase):
    def test_committed_files_are_the_generators_output(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, os.path.join(ROOT, "tools", "imagegen.py"), tmp],
                           check=True, stdout=subprocess.DEVNULL)
            for name in ("MYBMP.bmp", "app.ico", "small.ico", "about.ico"):
                got, want = read(name, tmp), read(name)
                first = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
                self.assertTrue(got == want, "%s: generated %d bytes, committed %d, first difference at %d"
                                % (name, len(got), len(want), first))

    def test_drawing_is_449_by_188_at_24_bits_black_with_the_earth_left_and_text_right(self):
        data, row = read("MYBMP.bmp"), (449 * 3 + 3) // 4 * 4
        self.assertEqual(struct.unpack_from("<2sI4xIIiiHHI", data), (b"BM", 54 + row * 188, 54, 40, 449, 188, 1, 24, 0))
        pixel = lambda x, y: tuple(data[54 + (187 - y) * row + 3 * x:57 + (187 - y) * row + 3 * x][::-1])
        pixels = [pixel(x, y) for y in range(188) for x in range(449)]
        self.assertGreater(sum(1 for p in pixels if sum(p) < 30), 449 * 188 * 0.7, "mostly black")
        earth = [pixel(x, y) for y in range(84, 105) for x in range(56, 77)]
        self.assertGreater(sum(1 for r, g, b in earth if b > r + 30), 40, "ocean in the Earth on the left")
        text = [x for y in range(188) for x in range(449) if pixel(x, y) == (214, 214, 214)]
        self.assertTrue(text and min(text) > 449 // 2, "captions on the right")

    def test_icons_in_256_colours_rockets_on_white_and_a_flag_over_transparency(self):
        red = lambda rgb: rgb[0] > 100 and rgb[0] > 2 * rgb[1] and rgb[0] > 2 * rgb[2]
        rockets = {}
        for name, sizes in (("app.ico", [16, 32]), ("small.ico", [16]), ("about.ico", [48])):
            images = icon_images(name)
            self.assertEqual([image[:5] for image in images], [(s, s, 2 * s, 8, 256) for s in sizes], name)
            for size, _, _, _, _, pixels in images:
                if name == "about.ico":
                    self.assertEqual([{t for _, t in row} for row in pixels], [{0}] * 31 + [{1}] * 17)
                    self.assertTrue(min(pixels[3][44][0]) > 240 and red(pixels[27][44][0]), "white over red")
                    self.assertGreater(pixels[15][2][0][2], pixels[15][2][0][0] + 50, "blue at the hoist")
                    continue
                self.assertEqual({t for row in pixels for _, t in row}, {0}, "%s %d: opaque" % (name, size))
                self.assertEqual([pixels[y][x][0] for y in (0, -1) for x in (0, -1)], [WHITE] * 4)
                column = [y for y in range(size) if red(pixels[y][size // 2 - 1][0])]
                self.assertTrue(column[0] <= 2 and column[-1] >= size - 3, "%s %d: red from tip to base" % (name, size))
                rockets[name, size] = [sum(rgb != WHITE for rgb, _ in row) for row in pixels]
        self.assertGreater(max(rockets["small.ico", 16]), max(rockets["app.ico", 16]), "a wider base")
        self.assertEqual(rockets["app.ico", 32][1:6], [2] * 5, "a thin spike")

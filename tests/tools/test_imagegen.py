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


def read(name, folder=os.path.join(ROOT, "res")):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def icon_images(name):
    # Each image: its size in the directory, the DIB's width, height and bits
    # per pixel, its palette entries, and its pixels[y][x] as ((r, g, b), transparent).
    data, images = read(name), []
    for i in range(struct.unpack_from("<H", data, 4)[0]):
        length, offset = struct.unpack_from("<II", data, 14 + 16 * i)
        dib = data[offset:offset + length]
        _, width, height, _, bpp, _, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", dib)
        palette = [tuple(dib[40 + 4 * k:43 + 4 * k][::-1]) for k in range(used or 1 << bpp)]
        xor, row, and_row = 40 + 4 * len(palette), (width * bpp + 31) // 32 * 4, (width + 31) // 32 * 4
        pixels = [[(palette[dib[xor + (width - 1 - y) * row + x]],
                    dib[xor + row * width + (width - 1 - y) * and_row + x // 8] >> (7 - x % 8) & 1)
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

    def test_drawing_is_449_by_188_at_24_bits_with_the_blue_earth_on_black_at_the_left(self):
        data, row = read("MYBMP.bmp"), (449 * 3 + 3) // 4 * 4
        self.assertEqual(struct.unpack_from("<2sI4xIIiiHHI", data), (b"BM", 54 + row * 188, 54, 40, 449, 188, 1, 24, 0))
        blue = [x for x in range(449) if data[54 + 94 * row + 3 * x] > data[56 + 94 * row + 3 * x] + 30]
        self.assertTrue(data[54:60] == bytes(6) and blue and max(blue) < 120, "blue only at the left of the middle row")

    def test_icons_in_256_colours_red_rockets_on_opaque_white_and_a_flag_over_transparency(self):
        red = lambda rgb: rgb[0] > 100 and rgb[0] > 2 * rgb[1] and rgb[0] > 2 * rgb[2]
        widths = {}
        for name, sizes in (("app.ico", [16, 32]), ("small.ico", [16]), ("about.ico", [48])):
            images = icon_images(name)
            self.assertEqual([image[:5] for image in images], [(s, s, 2 * s, 8, 256) for s in sizes], name)
            for size, _, _, _, _, pixels in images:
                masks = [{transparent for _, transparent in row} for row in pixels]
                if name == "about.ico":
                    self.assertEqual(masks, [{0}] * 31 + [{1}] * 17, "the flag over 17 transparent rows")
                    self.assertTrue(min(pixels[3][44][0]) > 240 and red(pixels[27][44][0]), "white over red")
                    self.assertGreater(pixels[15][2][0][2], pixels[15][2][0][0] + 50, "blue at the hoist")
                    continue
                column = [y for y in range(size) if red(pixels[y][size // 2 - 1][0])]
                self.assertEqual((masks, pixels[0][0][0], column[0] <= 2, column[-1] >= size - 3),
                                 ([{0}] * size, (255, 255, 255), True, True), "%s %d: red from tip to base" % (name, size))
                widths[name, size] = [sum(rgb != (255, 255, 255) for rgb, _ in row) for row in pixels]
        self.assertGreater(max(widths["small.ico", 16]), max(widths["app.ico", 16]), "a wider base")
        self.assertEqual(widths["app.ico", 32][1:6], [2] * 5, "a thin spike")

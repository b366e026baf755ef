"""Checks the committed bitmap and icons against their generator.

Run from the repository root:
    python3 -m unittest discover -s tests/tools -v
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RES = os.path.join(ROOT, 'res')
FILES = ('MYBMP.bmp', 'app.ico', 'small.ico', 'about.ico')
W, H = 449, 188
ROW = (W * 3 + 3) // 4 * 4
WHITE = (255, 255, 255)


def read(name, folder=RES):
    with open(os.path.join(folder, name), 'rb') as f:
        return f.read()


def parse_ico(name):
    """The images of an icon file, each with its directory entry, DIB header,
    palette, expected DIB length and pixels[y][x] = (rgb, index, transparent)."""
    data = read(name)
    assert struct.unpack_from('<HH', data) == (0, 1), name
    images = []
    for i in range(struct.unpack_from('<H', data, 4)[0]):
        entry = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        dib = data[entry[7]:entry[7] + entry[6]]
        header = struct.unpack_from('<IiiHHIIiiII', dib)
        size, bpp = header[1], header[4]
        palette = [tuple(dib[header[0] + 4 * k:header[0] + 4 * k + 3][::-1])
                   for k in range(header[9] or 1 << bpp)]
        xor_row, and_row = (size * bpp + 31) // 32 * 4, (size + 31) // 32 * 4
        xor_at = header[0] + 4 * len(palette)
        and_at = xor_at + xor_row * size
        pixels = [[(palette[dib[xor_at + (size - 1 - y) * xor_row + x]],
                    dib[xor_at + (size - 1 - y) * xor_row + x],
                    dib[and_at + (size - 1 - y) * and_row + x // 8] >> (7 - x % 8) & 1)
                   for x in range(size)] for y in range(size)]
        images.append(dict(entry=entry, header=header, palette=palette,
                           length=and_at + and_row * size, pixels=pixels))
    return images


def widths(image):
    """The rocket's width in each row: its pixels that are not white."""
    return [sum(1 for rgb, _, _ in row if rgb != WHITE) for row in image['pixels']]


class GeneratedFiles(unittest.TestCase):
    def test_regenerated_files_are_byte_identical_to_committed(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, os.path.join(ROOT, 'tools', 'imagegen.py'), tmp],
                           check=True, stdout=subprocess.DEVNULL)
            for name in FILES:
                got, want = read(name, tmp), read(name)
                first = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b),
                             min(len(got), len(want)))
                with self.subTest(file=name):
                    self.assertTrue(got == want, '%s: regenerated %d bytes, committed %d, first '
                                    'difference at offset %d' % (name, len(got), len(want), first))


class Bitmap(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = read('MYBMP.bmp')
        at = [54 + (H - 1 - y) * ROW for y in range(H)]   # rows stored bottom-up
        cls.pixels = [[tuple(cls.data[at[y] + 3 * x:at[y] + 3 * x + 3][::-1]) for x in range(W)]
                      for y in range(H)]

    def test_headers_and_row_padding(self):
        magic, file_size, _, _, offset = struct.unpack_from('<2sIHHI', self.data)
        info = struct.unpack_from('<IiiHHIIiiII', self.data, 14)
        # size, width, height (positive: bottom-up), planes, bpp, BI_RGB, image size; palette entries
        self.assertEqual((magic, file_size, offset, len(self.data), info[:7], info[9]),
                         (b'BM', 54 + ROW * H, 54, 54 + ROW * H, (40, W, H, 1, 24, 0, ROW * H), 0))
        bad = [y for y in range(H)
               if self.data[54 + y * ROW + 3 * W:54 + (y + 1) * ROW] != bytes(ROW - 3 * W)]
        self.assertEqual(bad, [], 'rows (bottom-up) with non-zero padding')

    def test_black_sky_earth_left_text_right_captions_clear_of_the_border(self):
        dark = sum(1 for row in self.pixels for p in row if sum(p) < 30)
        self.assertGreater(dark, W * H * 0.7, 'mostly black background')
        # The Earth's disc sits left of centre at mid-height, in colour.
        earth = [self.pixels[y][x] for y in range(84, 105) for x in range(56, 77)]
        self.assertGreater(sum(1 for p in earth if max(p) - min(p) > 40), len(earth) * 0.9,
                           'the middle of the Earth is in colour')
        self.assertGreater(sum(1 for r, g, b in earth if b > r + 30), 40, 'ocean in the Earth')
        # The legend (grey) stands above the closing sentence (blue-grey), both on the right.
        legend, sentence = ([(x, y) for y in range(H) for x in range(W) if self.pixels[y][x] == colour]
                            for colour in ((214, 214, 214), (180, 190, 205)))
        self.assertTrue(legend and sentence, 'legend and sentence pixels found')
        self.assertGreater(min(x for x, _ in legend + sentence), W // 2, 'text on the right')
        self.assertLess(max(y for _, y in legend), min(y for _, y in sentence), 'legend above sentence')
        # The control crops the drawing's border.
        margin = 6
        near_edge = [(x, y) for y in range(H) for x in range(W)
                     if (min(x, y) < margin or x >= W - margin or y >= H - margin)
                     and self.pixels[y][x] in {(214, 214, 214), (180, 190, 205), WHITE}]
        self.assertEqual(near_edge, [], 'caption pixels within %d px of the border' % margin)


class Icons(unittest.TestCase):
    def check_format(self, label, image, size):
        """256 colours at 8 bits per pixel, the DIB height doubled for the mask."""
        self.assertEqual((image['entry'][:7], image['header'][:6], len(image['palette'])),
                         ((size, size, 0, 0, 1, 8, image['length']), (40, size, 2 * size, 1, 8, 0), 256),
                         label + ': directory entry, DIB header, palette entries')

    def check_rocket(self, name, image, size):
        """A red rocket from the top row to the bottom on an opaque white square."""
        label = '%s %dx%d' % (name, size, size)
        self.check_format(label, image, size)
        pixels = image['pixels']
        self.assertEqual({mask for row in pixels for _, _, mask in row}, {0}, label + ': opaque')
        corners = [pixels[y][x][0] for y in (0, -1) for x in (0, -1)]
        self.assertEqual(corners, [WHITE] * 4, label + ': white corners')
        red = [y for y, row in enumerate(pixels)
               if (lambda r, g, b: r > 100 and r > 2 * g and r > 2 * b)(*row[size // 2 - 1][0])]
        self.assertTrue(red and red[0] <= 2 and red[-1] >= size - 3,
                        '%s: red from the spike tip down to the base, got rows %r' % (label, red))

    def test_app_icon_16_and_32_with_a_thin_spike(self):
        images = parse_ico('app.ico')
        self.assertEqual([image['entry'][0] for image in images], [16, 32])
        for image in images:
            self.check_rocket('app.ico', image, image['entry'][0])
        self.assertEqual(widths(images[1])[1:6], [2] * 5, 'thin spike on top: %r' % widths(images[1]))

    def test_small_icon_is_a_different_wider_based_rocket(self):
        [image] = parse_ico('small.ico')
        self.check_rocket('small.ico', image, 16)
        small, app = widths(image), widths(parse_ico('app.ico')[0])
        self.assertNotEqual(small, app, 'a different silhouette')
        self.assertGreater(max(small), max(app), 'wider base: %r vs %r' % (small, app))

    def test_about_icon_flag_and_transparent_bottom(self):
        [image] = parse_ico('about.ico')
        self.check_format('about.ico', image, 48)
        # Per row: the AND mask, and the XOR indices where the mask is set.
        rows = [({m for _, _, m in row}, {i for _, i, m in row if m}) for row in image['pixels']]
        self.assertEqual(rows, [({0}, set())] * 31 + [({1}, {0})] * 17, 'opaque flag, transparent below')
        self.assertEqual(image['palette'][0], (0, 0, 0), 'XOR 0 is black')
        samples = [
            ('top right: white band', 44, 3, lambda r, g, b: min(r, g, b) > 240),
            ('bottom right: red band', 44, 27, lambda r, g, b: r > 180 and g < 60 and b < 60),
            ('hoist middle: blue', 2, 15, lambda r, g, b: b > r + 50 and b > g),
            ('hoist top: blue', 0, 1, lambda r, g, b: b > r + 50),
        ]
        for what, x, y, ok in samples:
            got = image['pixels'][y][x][0]
            self.assertTrue(ok(*got), '%s at (%d, %d): got %r' % (what, x, y, got))

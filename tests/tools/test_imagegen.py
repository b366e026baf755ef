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
GENERATOR = os.path.join(ROOT, 'tools', 'imagegen.py')
RES = os.path.join(ROOT, 'res')
FILES = ('MYBMP.bmp', 'app.ico', 'small.ico', 'about.ico')


def read(name, folder=RES):
    with open(os.path.join(folder, name), 'rb') as f:
        return f.read()


def parse_ico(data):
    """Returns [(directory entry dict, image dict)] for an .ico file."""
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    assert (reserved, kind) == (0, 1), (reserved, kind)
    images = []
    for i in range(count):
        w, h, colours, res0, planes, bpp, size, offset = struct.unpack_from(
            '<BBBBHHII', data, 6 + 16 * i)
        entry = dict(width=w or 256, height=h or 256, colours=colours, reserved=res0,
                     planes=planes, bpp=bpp, size=size, offset=offset)
        dib = data[offset:offset + size]
        (hsize, dw, dh, dplanes, dbpp, comp, img_size, _, _, used, _) = struct.unpack_from(
            '<IiiHHIIiiII', dib, 0)
        palette_len = (used or (1 << dbpp)) * 4
        pixels_at = hsize + palette_len
        xor_row = (dw * dbpp + 31) // 32 * 4
        and_row = (dw + 31) // 32 * 4
        height = dh // 2
        xor = dib[pixels_at:pixels_at + xor_row * height]
        andm = dib[pixels_at + xor_row * height:pixels_at + xor_row * height + and_row * height]
        palette = [tuple(dib[hsize + 4 * k:hsize + 4 * k + 3][::-1])
                   for k in range(palette_len // 4)]

        def index(x, y, xor=xor, xor_row=xor_row, height=height):
            return xor[(height - 1 - y) * xor_row + x]

        def transparent(x, y, andm=andm, and_row=and_row, height=height):
            return (andm[(height - 1 - y) * and_row + x // 8] >> (7 - x % 8)) & 1

        images.append((entry, dict(header_size=hsize, width=dw, height_field=dh, planes=dplanes,
                                   bpp=dbpp, compression=comp, image_size=img_size,
                                   palette=palette, index=index, transparent=transparent,
                                   dib_len=len(dib),
                                   expected_len=pixels_at + (xor_row + and_row) * height)))
    return count, images


class GeneratedFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        subprocess.run([sys.executable, GENERATOR, cls.tmp.name], check=True,
                       stdout=subprocess.DEVNULL)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_regenerated_files_are_byte_identical_to_committed(self):
        for name in FILES:
            with self.subTest(file=name):
                got, want = read(name, self.tmp.name), read(name)
                if got != want:
                    first = next(i for i in range(min(len(got), len(want)) + 1)
                                 if i >= min(len(got), len(want)) or got[i] != want[i])
                    self.fail('%s: regenerated %d bytes, committed %d bytes, first difference '
                              'at offset %d' % (name, len(got), len(want), first))


class Bitmap(unittest.TestCase):
    def setUp(self):
        self.data = read('MYBMP.bmp')

    def test_headers(self):
        magic, file_size, _, _, offset = struct.unpack_from('<2sIHHI', self.data, 0)
        fields = struct.unpack_from('<IiiHHIIiiII', self.data, 14)
        row = (449 * 3 + 3) // 4 * 4
        cases = [
            ('magic', magic, b'BM'),
            ('file size field', file_size, len(self.data)),
            ('pixel offset', offset, 54),
            ('info header size', fields[0], 40),
            ('width', fields[1], 449),
            ('height (positive: bottom-up)', fields[2], 188),
            ('planes', fields[3], 1),
            ('bits per pixel', fields[4], 24),
            ('compression (BI_RGB)', fields[5], 0),
            ('image size', fields[6], row * 188),
            ('palette entries', fields[9], 0),
            ('file length', len(self.data), 54 + row * 188),
        ]
        for what, got, want in cases:
            with self.subTest(field=what):
                self.assertEqual(got, want, '%s: got %r, expected %r' % (what, got, want))

    def pixel(self, x, y):
        row = (449 * 3 + 3) // 4 * 4
        at = 54 + (187 - y) * row + 3 * x
        b, g, r = self.data[at:at + 3]
        return r, g, b

    def test_row_padding_is_zero(self):
        row = (449 * 3 + 3) // 4 * 4
        bad = [y for y in range(188) if self.data[54 + y * row + 449 * 3:54 + (y + 1) * row]
               != bytes(row - 449 * 3)]
        self.assertEqual(bad, [], 'rows (bottom-up) with non-zero padding')

    def test_black_sky_earth_left_text_right_upright(self):
        dark = sum(1 for y in range(188) for x in range(449) if sum(self.pixel(x, y)) < 30)
        self.assertGreater(dark, 449 * 188 * 0.7, 'mostly black background')
        # The Earth's disc sits left of centre at mid-height, in colour.
        earth = [self.pixel(x, y) for y in range(84, 105) for x in range(56, 77)]
        coloured = sum(1 for p in earth if max(p) - min(p) > 40)
        ocean = sum(1 for r, g, b in earth if b > r + 30)
        self.assertGreater(coloured, len(earth) * 0.9, 'the middle of the Earth is in colour')
        self.assertGreater(ocean, 40, 'ocean pixels in the middle of the Earth')
        # The legend (grey) stands above the closing sentence (blue-grey), both on the right.
        legend = [(x, y) for y in range(188) for x in range(449)
                  if self.pixel(x, y) == (214, 214, 214)]
        sentence = [(x, y) for y in range(188) for x in range(449)
                    if self.pixel(x, y) == (180, 190, 205)]
        self.assertTrue(legend and sentence, 'legend and sentence pixels found')
        self.assertGreater(min(x for x, _ in legend + sentence), 449 // 2, 'text on the right')
        self.assertLess(max(y for _, y in legend), min(y for _, y in sentence),
                        'legend above the sentence (rows stored bottom-up)')

    def test_captions_keep_clear_of_the_cropped_border(self):
        caption_colours = {(214, 214, 214), (180, 190, 205), (255, 255, 255)}
        margin = 6
        near_edge = [(x, y) for y in range(188) for x in range(449)
                     if (x < margin or x >= 449 - margin or y < margin or y >= 188 - margin)
                     and self.pixel(x, y) in caption_colours]
        self.assertEqual(near_edge, [], 'caption pixels within %d px of the border' % margin)


class Icons(unittest.TestCase):
    def check_image(self, name, entry, image, size):
        cases = [
            ('entry width', entry['width'], size),
            ('entry height', entry['height'], size),
            ('entry colour count (0 for 256)', entry['colours'], 0),
            ('entry reserved', entry['reserved'], 0),
            ('entry planes', entry['planes'], 1),
            ('entry bit count', entry['bpp'], 8),
            ('entry size = DIB length', entry['size'], image['expected_len']),
            ('DIB header size', image['header_size'], 40),
            ('DIB width', image['width'], size),
            ('DIB height (doubled)', image['height_field'], 2 * size),
            ('DIB planes', image['planes'], 1),
            ('DIB bits per pixel', image['bpp'], 8),
            ('DIB compression', image['compression'], 0),
            ('palette entries', len(image['palette']), 256),
        ]
        for what, got, want in cases:
            with self.subTest(file=name, size=size, field=what):
                self.assertEqual(got, want, '%s %dx%d %s: got %r, expected %r'
                                 % (name, size, size, what, got, want))

    def rgb(self, image, x, y):
        return image['palette'][image['index'](x, y)]

    def check_rocket(self, name, entry, image, size):
        self.check_image(name, entry, image, size)
        opaque = all(not image['transparent'](x, y) for y in range(size) for x in range(size))
        self.assertTrue(opaque, '%s %dx%d: every pixel opaque' % (name, size, size))
        for x, y in ((0, 0), (size - 1, 0), (0, size - 1), (size - 1, size - 1)):
            self.assertEqual(self.rgb(image, x, y), (255, 255, 255),
                             '%s %dx%d: corner (%d, %d) white' % (name, size, size, x, y))
        column = [self.rgb(image, size // 2 - 1, y) for y in range(size)]
        red = [y for y, (r, g, b) in enumerate(column) if r > 100 and r > 2 * g and r > 2 * b]
        self.assertTrue(red and red[0] <= 2 and red[-1] >= size - 3,
                        '%s %dx%d: red from the spike tip down to the base, got rows %r'
                        % (name, size, size, red))
        return red

    def base_width(self, image, size):
        widths = []
        for y in range(size):
            widths.append(sum(1 for x in range(size) if self.rgb(image, x, y) != (255, 255, 255)))
        return max(widths), widths

    def test_app_icon(self):
        count, images = parse_ico(read('app.ico'))
        self.assertEqual(count, 2)
        self.assertEqual([e['width'] for e, _ in images], [16, 32])
        for entry, image in images:
            self.check_rocket('app.ico', entry, image, entry['width'])
        _, widths = self.base_width(images[1][1], 32)
        spike = [w for w in widths[1:6]]
        self.assertTrue(all(w == 2 for w in spike), 'thin spike on top, widths %r' % widths)

    def test_small_icon_is_a_different_wider_based_rocket(self):
        count, images = parse_ico(read('small.ico'))
        self.assertEqual(count, 1)
        entry, image = images[0]
        self.check_rocket('small.ico', entry, image, 16)
        _, app_images = parse_ico(read('app.ico'))
        app16 = app_images[0][1]
        small_base, small_widths = self.base_width(image, 16)
        app_base, app_widths = self.base_width(app16, 16)
        self.assertNotEqual(small_widths, app_widths, 'a different silhouette')
        self.assertGreater(small_base, app_base, 'wider base: %r vs %r' % (small_widths, app_widths))

    def test_about_icon_flag_and_transparent_bottom(self):
        count, images = parse_ico(read('about.ico'))
        self.assertEqual(count, 1)
        entry, image = images[0]
        self.check_image('about.ico', entry, image, 48)
        for y in range(48):
            with self.subTest(row=y):
                masks = {image['transparent'](x, y) for x in range(48)}
                indices = {image['index'](x, y) for x in range(48)}
                if y < 31:
                    self.assertEqual(masks, {0}, 'row %d: opaque flag row' % y)
                else:
                    self.assertEqual(masks, {1}, 'row %d: AND mask set' % y)
                    self.assertEqual(indices, {0}, 'row %d: XOR zero' % y)
        self.assertEqual(image['palette'][0], (0, 0, 0), 'XOR 0 is black')
        samples = [
            ('top right: white band', 44, 3, lambda r, g, b: min(r, g, b) > 240),
            ('bottom right: red band', 44, 27, lambda r, g, b: r > 180 and g < 60 and b < 60),
            ('hoist middle: blue', 2, 15, lambda r, g, b: b > r + 50 and b > g),
            ('hoist top: blue', 0, 1, lambda r, g, b: b > r + 50),
        ]
        for what, x, y, ok in samples:
            got = self.rgb(image, x, y)
            self.assertTrue(ok(*got), '%s at (%d, %d): got %r' % (what, x, y, got))


if __name__ == '__main__':
    unittest.main()

"""The release archive holds the 32-bit program and the Czech read-me, nothing else.

    ORBELA_ARCHIVE=build/win32/ORBELA_XB-1.0.0-win32.zip python3 -m unittest discover -s tests/release
"""
import os
import struct
import unittest
import zipfile

IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2


class ReleaseArchive(unittest.TestCase):
    def setUp(self):
        path = os.environ.get("ORBELA_ARCHIVE", "build/win32/ORBELA_XB-1.0.0-win32.zip")
        self.zip = zipfile.ZipFile(path)
        self.addCleanup(self.zip.close)

    def test_holds_exactly_the_program_and_the_read_me(self):
        self.assertEqual(sorted(self.zip.namelist()), ["CTIMNE.txt", "ORBELA.exe"])

    def test_program_is_a_32_bit_windowed_program(self):
        exe = self.zip.read("ORBELA.exe")
        self.assertEqual(exe[:2], b"MZ")
        pe = struct.unpack_from("<I", exe, 0x3C)[0]
        self.assertEqual(exe[pe:pe + 4], b"PE\0\0")
        machine = struct.unpack_from("<H", exe, pe + 4)[0]
        self.assertEqual(machine, IMAGE_FILE_MACHINE_I386, hex(machine))
        optional = pe + 24
        self.assertEqual(struct.unpack_from("<H", exe, optional)[0], 0x10B, "PE32 optional header")
        subsystem = struct.unpack_from("<H", exe, optional + 68)[0]
        self.assertEqual(subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI)

    def test_read_me_is_czech_text_for_windows(self):
        raw = self.zip.read("CTIMNE.txt")
        self.assertTrue(raw.startswith(b"\xef\xbb\xbf"), "UTF-8 byte order mark")
        text = raw.decode("utf-8-sig")
        self.assertNotIn("\n", text.replace("\r\n", ""), "CRLF line ends only")
        for phrase in ("kosmickou rychlost", "Kruhova r.I", "Unikova r.II", "Chcete ukončit?"):
            self.assertIn(phrase, text)


if __name__ == "__main__":
    unittest.main()

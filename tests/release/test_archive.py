"""The release archive as a user gets it: its checksums hold when checked the
way the README tells; it holds the 32-bit program, its licence and the Czech
read-me, and nothing else; the program needs no DLL beyond Windows' own, and its
resources are the very bytes of the 64-bit build's, which the window tests
drive everywhere.

    ORBELA_EXE64=build/win64/ORBELA.exe python3 -m unittest discover -s tests/release -p test_archive.py

checks the archive and the checksum file that tools/package.sh wrote last,
as it names them in build/win32/packed.txt.
"""
import os
import pathlib
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import zipfile

TOOLS = "x86_64-w64-mingw32-"
ROOT = pathlib.Path(__file__).resolve().parents[2]


def run(*command, cwd=None):
    return subprocess.run(command, check=True, capture_output=True, cwd=cwd).stdout


class ReleaseArchive(unittest.TestCase):
    def setUp(self):
        self.archive, self.sums = (ROOT / name for name in (ROOT / "build/win32/packed.txt").read_text().split())
        with zipfile.ZipFile(self.archive) as archive:
            self.names = sorted(archive.namelist())
            self.exe = archive.read("ORBELA.exe")
            self.read_me = archive.read("CTIMNE.txt")
        self.folder = pathlib.Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, self.folder)
        self.path = self.folder / "ORBELA.exe"
        self.path.write_bytes(self.exe)

    def test_checksums_hold_as_the_readme_checks_them(self):
        download = self.folder / "download"
        download.mkdir()
        for name in (self.archive, self.sums):
            shutil.copy(name, download)
        run("unzip", "-q", self.archive.name, "ORBELA.exe", cwd=download)
        checked = subprocess.run(["sha256sum", "-c", self.sums.name], cwd=download, capture_output=True, text=True)
        self.assertEqual(checked.stdout, "%s: OK\nORBELA.exe: OK\n" % self.archive.name, checked.stderr)

    def test_program_is_a_32_bit_windowed_program_on_windows_dlls_alone(self):
        pe = struct.unpack_from("<I", self.exe, 0x3C)[0]
        # The machine (i386), the optional header's kind (PE32) and the subsystem (windowed).
        self.assertEqual(struct.unpack_from("<4sH18xH66xH", self.exe, pe), (b"PE\0\0", 0x14C, 0x10B, 2))
        dlls = {name.lower() for name in re.findall(rb"DLL Name: (\S+)", run(TOOLS + "objdump", "-p", self.path))}
        self.assertLessEqual(dlls, {b"kernel32.dll", b"user32.dll", b"gdi32.dll", b"shell32.dll", b"msvcrt.dll"})

    def test_resources_are_the_64_bit_builds_bytes(self):
        res = self.folder / "resources.res"
        ours, wide = (run(TOOLS + "windres", "-i", path, "-O", "res", "-o", res) or res.read_bytes()
                      for path in (self.path, os.environ["ORBELA_EXE64"]))
        self.assertTrue(ours == wide, "%d bytes of resources, the 64-bit build %d" % (len(ours), len(wide)))

    def test_holds_exactly_the_program_its_licence_and_a_czech_read_me_for_windows(self):
        self.assertEqual(self.names, ["CTIMNE.txt", "LICENSE", "ORBELA.exe"])
        self.assertTrue(self.read_me.startswith(b"\xef\xbb\xbf"), "UTF-8 byte order mark")
        text = self.read_me.decode("utf-8-sig")
        self.assertNotIn("\n", text.replace("\r\n", ""), "CRLF line ends only")
        for phrase in ("kosmickou rychlost", "Kruhova r.I", "Unikova r.II", "Chcete ukončit?", "Přesto spustit",
                       "Get-FileHash"):
            self.assertIn(phrase, text)

"""The release archive as a user gets it: its checksums hold when checked the
way the README tells; it lists the 32-bit program, its licence and the Czech
read-me, and nothing else, with the names, sizes, dates and permissions
written out below; the read-me is every word of CTIMNE.txt beside this test,
and its facts are the program's; the program imports Windows' own DLLs and
no other, and its resources are those resources.tsv beside this test states.

    python3 -m unittest discover -s tests/release -p test_archive.py

checks the archive and the checksum file that tools/package.sh wrote last,
as it names them in build/win32/packed.txt.
"""
import hashlib
import math
import os
import pathlib
import re
import shutil
import stat
import struct
import subprocess
import tempfile
import time
import unittest
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
HERE = pathlib.Path(__file__).parent
NAME, VERSION = re.search(r"project\((\S+) VERSION (\S+)", (ROOT / "CMakeLists.txt").read_text()).groups()
RT_ICON, RT_BITMAP, RT_MENU, RT_DIALOG, RT_GROUP_ICON, WS_CHILD_VISIBLE = 3, 2, 4, 5, 14, 0x50000000
CLASSES = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x85: "COMBOBOX"}  # by their numbers in a dialog template


def run(*command, cwd=None):
    return subprocess.run(command, check=True, capture_output=True, cwd=cwd).stdout


def statement():
    """What resources.tsv states: {(kind, name): [(line, fields)]}, each field a number or a text."""
    names, stated = {}, {}

    def field(text):
        parts = text.split("|")
        if not all(p in names or re.fullmatch(r"\d+|0x[0-9A-F]+", p) for p in parts):
            return text.replace("\\t", "\t")
        return sum(names[p] if p in names else int(p, 0) for p in parts)
    for line, row in enumerate((HERE / "resources.tsv").read_text(encoding="utf-8").splitlines(), 1):
        kind, key, *cells = row.split("\t") if row[:1] not in ("", "#") else ("", "")
        if kind == "name":
            names[key] = field(cells[0])
        elif kind:
            stated.setdefault((kind, field(key)), []).append((line, [field(c) for c in cells]))
    return stated


def read_me():
    """The read-me as users must read it, in UTF-8 with a byte order mark and CRLF line ends."""
    text = (HERE / "CTIMNE.txt").read_text(encoding="utf-8").replace("{name}", NAME).replace("{version}", VERSION)
    return ("\ufeff" + text.replace("\n", "\r\n")).encode()


def fields(data, form, at=0):
    """The fields from `at` on, as the form gives them (struct's codes, and s a text; n a text, a number after
    0xFFFF or "" for none), and where they end."""
    values = []
    for code in re.findall(r"\d*\D", form):
        if code == "s" or code == "n" and data[at:at + 2] not in (b"\0\0", b"\xff\xff"):
            end = re.compile(rb"(?:..)*?\0\0", re.S).match(data, at).end()
            values, at = values + [data[at:end - 2].decode("utf-16-le")], end
        elif code == "n":
            values, at = values + [data[at + 2] | data[at + 3] << 8 if data[at] else ""], at + (4 if data[at] else 2)
        else:
            values, at = values + list(struct.unpack_from("<" + code, data, at)), at + struct.calcsize("<" + code)
    return values, at


def dialog(data):
    """The dialog's line (style, extended style, rectangle, menu, caption, font), then each control's."""
    (version, signature, _, exstyle, style, count, *rect), at = fields(data, "HHIIIH4h")
    (menu_name, window_class, caption, *font), at = fields(data, "nnsHHBBs", at)
    assert (version, signature, window_class) == (1, 0xFFFF, ""), "not an extended template of a standard dialog"
    lines = [[style, exstyle, *rect, menu_name, caption, *font]]
    for _ in range(count):
        (_, exstyle, style, *rect, ident, kind, text, extra), at = fields(data, "III4hInnH", (at + 3) & ~3)
        assert style & WS_CHILD_VISIBLE == WS_CHILD_VISIBLE and extra == 0, "control %d" % ident
        lines.append([ident, CLASSES.get(kind, str(kind).upper()), style & ~WS_CHILD_VISIBLE, exstyle, *rect, text])
    return lines


def menu(data, at=4):
    """Every item of a menu, from `at` on, in the order the file holds them: flags, text and, but for a pop-up,
    command; and where they end."""
    items = []
    while True:
        (flags,), at = fields(data, "H", at)
        item, at = fields(data, "s" if flags & 0x10 else "Hs", at)
        items.append([flags, *item[::-1]])
        if flags & 0x10:
            more, at = menu(data, at)
            items += more
        if flags & 0x80:
            return items, at


class ReleaseArchive(unittest.TestCase):
    def setUp(self):
        self.archive, self.sums = (ROOT / name for name in (ROOT / "build/win32/packed.txt").read_text().split())
        with zipfile.ZipFile(self.archive) as archive:
            self.entries, self.exe, self.read_me = archive.infolist(), *map(archive.read, ("ORBELA.exe", "CTIMNE.txt"))
        self.path = ROOT / "build/win32/ORBELA.exe"
        self.assertEqual(self.exe, self.path.read_bytes(), "the program packed is the one built")

    def test_checksums_hold_as_the_readme_checks_them(self):
        with tempfile.TemporaryDirectory() as download:
            for name in (self.archive, self.sums):
                shutil.copy(name, download)
            run("unzip", "-q", self.archive.name, "ORBELA.exe", cwd=download)
            checked = subprocess.run(["sha256sum", "-c", self.sums.name], cwd=download, capture_output=True, text=True)
        self.assertEqual(checked.stdout, "%s: OK\nORBELA.exe: OK\n" % self.archive.name, checked.stderr)

    def test_lists_the_program_its_licence_and_the_czech_read_me_as_users_unpack_them(self):
        # Dated by the release's commit (or SOURCE_DATE_EPOCH), to the zip's two seconds; Unix permissions.
        epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or run("git", "log", "-1", "--format=%ct", cwd=ROOT))
        date = time.gmtime(epoch - epoch % 2)[:6]
        self.assertEqual([(e.filename, e.file_size, e.date_time, e.create_system == 3 and stat.filemode(
            e.external_attr >> 16)) for e in self.entries], [
            ("CTIMNE.txt", len(read_me()), date, "-rw-r--r--"),
            ("LICENSE", (ROOT / "LICENSE").stat().st_size, date, "-rw-r--r--"),
            ("ORBELA.exe", self.path.stat().st_size, date, "-rwxr-xr-x")])

    def test_read_me_is_every_word_users_must_read(self):
        self.assertEqual(self.read_me.decode("utf-8"), read_me().decode("utf-8"))

    def test_read_me_states_the_programs_facts(self):
        text = self.read_me.decode("utf-8-sig")
        # Its G and its two formulas, in Python's arithmetic, show what the velocity table says of its examples.
        g = float(re.search(r"G = (\S+) m³", text).group(1).replace(",", "."))
        factors = [float(f or 1) for f in re.findall(r"v = odmocnina\((?:(\d+)·)?G·M / r\)", text)]
        self.assertEqual(len(factors), 2, "the formulas of the first and the second velocity")
        for line, row in enumerate((ROOT / "tests/core/velocities.tsv").read_text().splitlines(), 1):
            kind, distance, mass, shown, why = row.split("\t")
            if why == "example":
                self.assertEqual("%.2f" % math.sqrt(factors[kind == "II"] * g * float(mass) / float(distance)), shown,
                                 "velocities.tsv:%d, %s, by the read-me" % (line, row))
        # The presets it names, as the program offers them: Windows-1250 texts.
        presets = re.findall(r"\((\w+ \d[\d.]*e\d+)\)", text)
        self.assertEqual([p for p in presets if p.encode("cp1250") + b"\0" in self.exe], presets, "presets offered")
        self.assertEqual(len(presets), 2, "the read-me's presets")
        # Its hash command: the release's archive, and the algorithm whose digest of it SHA256SUMS holds.
        name, algorithm = re.search(r"Get-FileHash \.\\(\S+) -Algorithm (\w+)", text).groups()
        self.assertEqual(name, "%s-%s-win32.zip" % (NAME, VERSION))
        digest = hashlib.new(algorithm, self.archive.read_bytes()).hexdigest()
        self.assertIn("%s  %s" % (digest, self.archive.name), self.sums.read_text().splitlines(), algorithm)

    def test_program_is_a_32_bit_windowed_program_on_windows_dlls_alone(self):
        pe = struct.unpack_from("<I", self.exe, 0x3C)[0]
        # The machine (i386), the optional header's kind (PE32) and the subsystem (windowed).
        self.assertEqual(struct.unpack_from("<4sH18xH66xH", self.exe, pe), (b"PE\0\0", 0x14C, 0x10B, 2))
        dlls = {n.lower() for n in re.findall(rb"DLL Name: (\S+)", run("x86_64-w64-mingw32-objdump", "-p", self.path))}
        self.assertEqual(dlls, {b"kernel32.dll", b"user32.dll", b"gdi32.dll", b"shell32.dll", b"msvcrt.dll"})

    def test_resources_are_those_stated_and_no_more(self):
        # The resource tree, as wrestool (icoutils) lists it and takes each resource's bytes out of it.
        got = {}
        listing = run("wrestool", "-l", self.path).decode()
        for kind, name, language in re.findall(r"--type=(\d+) --name='?([^' ]+)'? --language=(\d+)", listing):
            data = run("wrestool", "-x", "--raw", "-t", kind, "-n", name, "-L", language, self.path)
            kind, name = int(kind), int(name) if name.isdigit() else name
            self.assertEqual(language, "1033", "English, United States")
            if kind == RT_DIALOG:
                got["dialog", name] = dialog(data)
            elif kind == RT_MENU:
                got["menu", name] = menu(data)[0] if data[:4] == bytes(4) else [["not a menu template"]]
            elif kind == RT_GROUP_ICON:
                _, icons, count = struct.unpack_from("<HHH", data)
                got["icons", name] = [[w or 256, h or 256, bits] if icons == 1 else "not icons"
                                      for w, h, *_, bits, _, _ in struct.iter_unpack("<4B2HIH", data[6:][:14 * count])]
            elif kind != RT_ICON:
                got["bitmap" if kind == RT_BITMAP else kind, name] = [[*struct.unpack_from("<IiiHHI", data)]]
        stated = statement()
        self.assertEqual(sorted(got, key=str), sorted(stated, key=str))
        for key, lines in stated.items():
            for (line, expected), got_line in zip(lines, got[key]):
                self.assertEqual(got_line, expected, "resources.tsv:%d, %s %s" % (line, *key))
            self.assertEqual(len(got[key]), len(lines), "%s %s: how many lines" % key)

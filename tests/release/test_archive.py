"""The release archive as a user gets it: its checksums hold when checked the
way the README tells; it holds the 32-bit program, its licence and the Czech
read-me, and nothing else; the program imports Windows' own DLLs and no other,
and its resources are the dialogs, menu, icons and drawing written out below.

    python3 -m unittest discover -s tests/release -p test_archive.py

checks the archive and the checksum file that tools/package.sh wrote last,
as it names them in build/win32/packed.txt.
"""
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

# Window styles, as Windows' headers define them.
WS_POPUP, WS_CHILD, WS_VISIBLE, WS_CAPTION, WS_BORDER = 0x80000000, 0x40000000, 0x10000000, 0xC00000, 0x800000
WS_VSCROLL, WS_SYSMENU, WS_GROUP, WS_MINIMIZEBOX, WS_TABSTOP = 0x200000, 0x80000, 0x20000, 0x20000, 0x10000
DS_FIXEDSYS, DS_SETFONT, DS_MODALFRAME, DS_CENTER = 0x8, 0x40, 0x80, 0x800
WS_EX_DLGMODALFRAME, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE = 0x1, 0x200, 0x20000
BS_PUSHBUTTON, BS_GROUPBOX, BS_LEFT = 0x0, 0x7, 0x100
SS_LEFT, SS_CENTER, SS_ICON, SS_BLACKFRAME, SS_BITMAP = 0x0, 0x1, 0x3, 0x7, 0xE
SS_NOPREFIX, SS_CENTERIMAGE, SS_REALSIZEIMAGE, SS_SUNKEN = 0x80, 0x200, 0x800, 0x1000
ES_CENTER, ES_AUTOHSCROLL, CBS_DROPDOWN, CBS_SORT = 0x1, 0x80, 0x2, 0x100
# The window classes, by name or by their numbers in a dialog template.
CLASSES = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x85: "COMBOBOX"}
BUTTON, EDIT, STATIC, COMBOBOX = CLASSES.values()
FRAME = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_FIXEDSYS
PUSH, SUNKEN_TEXT = BS_PUSHBUTTON | WS_TABSTOP, SS_CENTER | SS_SUNKEN

# Each dialog: its style, extended style, rectangle, menu, caption and font
# (points, weight, italic, character set, face), then each control in
# creation order: id, class, style (besides WS_CHILD and WS_VISIBLE),
# extended style, rectangle and text (a number: an icon's).
DIALOGS = {
    113: ((FRAME | WS_MINIMIZEBOX, WS_EX_STATICEDGE, (0, 0, 320, 297), "IDR_MENU_ORBELA", "ORBELA_XB",
           (10, 0, 0, 1, "Helv")), [
        (100, BUTTON, PUSH, 0, (17, 55, 76, 12), "Prvni kosm. rychlost"),
        (101, BUTTON, PUSH, 0, (17, 67, 76, 12), "Druha kosm. rychlost"),
        (102, BUTTON, PUSH, 0, (17, 79, 76, 12), "Treti kosm. rychlost"),
        (1, BUTTON, PUSH, 0, (196, 99, 40, 14), "Kruhova r.I"),
        (2, BUTTON, PUSH, 0, (249, 99, 40, 14), "Cancel"),
        (122, BUTTON, PUSH, 0, (146, 99, 40, 14), "Unikova r.II"),
        (121, STATIC, SS_LEFT | WS_BORDER, 0, (146, 41, 143, 12), "Vzdalenost od stredu centr. telesa v metrech."),
        (103, EDIT, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, WS_EX_CLIENTEDGE, (187, 54, 61, 12), ""),
        (105, STATIC, SS_LEFT | WS_BORDER, 0, (145, 68, 144, 12), "Hmotnost centralniho telesa v kilogramech"),
        (106, COMBOBOX, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, (188, 82, 68, 65), ""),
        (107, STATIC, SS_LEFT | WS_BORDER, 0, (146, 123, 142, 12), "Vysledna rychlost v metrech za sekundu"),
        (114, STATIC, SUNKEN_TEXT, 0, (197, 136, 40, 12), "0.00"),
        (108, STATIC, SS_BITMAP | SS_CENTERIMAGE | SS_REALSIZEIMAGE | SS_SUNKEN | WS_BORDER, 0, (12, 154, 296, 110),
         "MYBMP"),
        (109, BUTTON, BS_GROUPBOX, 0, (112, 34, 179, 64), "Zadani"),
        (110, BUTTON, BS_GROUPBOX, WS_EX_STATICEDGE, (111, 114, 180, 37), "Vysledek"),
        (111, STATIC, SUNKEN_TEXT, 0, (13, 13, 279, 12), "Kosmicke rychlosti"),
        (112, BUTTON, BS_GROUPBOX, 0, (12, 34, 87, 64), "Definice kosm. rychlosti"),
        (118, STATIC, SS_LEFT | SS_SUNKEN | WS_BORDER, WS_EX_CLIENTEDGE, (7, 279, 307, 12), "ORBELA_XB"),
        (116, STATIC, SS_BLACKFRAME, 0, (6, 6, 308, 285), ""),
    ]),
    1050: ((FRAME, 0, (0, 16, 252, 111), None, "About", (10, 0, 0, 1, "Helv")), [
        (1034, STATIC, SS_ICON, 0, (14, 9, 0, 0), 1033),
        (1, BUTTON, PUSH, 0, (105, 90, 50, 14), "OK"),
        (1211, STATIC, SS_CENTER | SS_NOPREFIX, 0, (78, 10, 95, 8), ""),
        (1291, STATIC, SS_CENTER | WS_GROUP, 0, (65, 30, 128, 8), "Výukový program zdarma"),
        (1261, BUTTON, PUSH | BS_LEFT, WS_EX_DLGMODALFRAME, (85, 50, 89, 14), "orbela@example.org"),
    ]),
}
# The menu: each item's text and command, a pop-up's items under it.
MENU = [("&Program", [("&Ukončit\tAlt-F4", 115)]), ("&Nápověda", [("&O programu...", 116), ("&Návod", 117)])]
# Each icon group's images: width, height, bits per pixel.
ICONS = {119: [(16, 16, 8), (32, 32, 8)], 120: [(16, 16, 8)], 1033: [(48, 48, 8)]}
RT_ICON, RT_BITMAP, RT_MENU, RT_DIALOG, RT_GROUP_ICON, ENGLISH_US = 3, 2, 4, 5, 14, 1033


def resources(exe):
    """{(type, name, language): bytes} from the PE file's resource tree."""
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    sections, optional = struct.unpack_from("<H12xH", exe, pe + 6)
    directories = pe + 24 + (96 if struct.unpack_from("<H", exe, pe + 24)[0] == 0x10B else 112)
    table = pe + 24 + optional

    def at(rva):
        for i in range(sections):
            size, va, _, raw = struct.unpack_from("<8xIIII", exe, table + 40 * i)
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("RVA %#x in no section" % rva)
    base = at(struct.unpack_from("<I", exe, directories + 2 * 8)[0])

    def entries(offset):
        named, numbered = struct.unpack_from("<12xHH", exe, base + offset)
        for i in range(named + numbered):
            key, child = struct.unpack_from("<II", exe, base + offset + 16 + 8 * i)
            if key & 0x80000000:
                length = struct.unpack_from("<H", exe, base + (key & 0x7FFFFFFF))[0]
                key = exe[base + (key & 0x7FFFFFFF) + 2:][:2 * length].decode("utf-16-le")
            yield key, child & 0x7FFFFFFF
    found = {}
    for kind, names in entries(0):
        for name, languages in entries(names):
            for language, leaf in entries(languages):
                rva, size = struct.unpack_from("<II", exe, base + leaf)
                found[kind, name, language] = exe[at(rva):at(rva) + size]
    return found


class Reader:
    """Reads the fields of a resource in turn."""
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, form):
        values = struct.unpack_from("<" + form, self.data, self.at)
        self.at += struct.calcsize("<" + form)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text, self.at = self.data[self.at:end].decode("utf-16-le"), end + 2
        return text

    def name(self):
        """A name or a number (0xFFFF, then the number), None for none."""
        first = self.take("H")
        if first in (0, 0xFFFF):
            return self.take("H") if first else None
        self.at -= 2
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def dialog(data):
    r = Reader(data)
    version, signature, _, exstyle, style, count = r.take("HHIIIH")
    assert (version, signature) == (1, 0xFFFF), "not an extended dialog template"
    rect, menu_name, window_class = r.take("4h"), r.name(), r.name()
    assert window_class is None, "a dialog of a class of its own"
    head = (style, exstyle, rect, menu_name, r.text(), (*r.take("HHBB"), r.text()))
    controls = []
    for _ in range(count):
        r.align()
        _, exstyle, style, rect, ident = r.take("I"), r.take("I"), r.take("I"), r.take("4h"), r.take("I")
        window_class = r.name()
        window_class = CLASSES.get(window_class, str(window_class).upper())
        controls.append((ident, window_class, style & ~(WS_CHILD | WS_VISIBLE), exstyle, rect, r.name() or ""))
        assert style & (WS_CHILD | WS_VISIBLE) == WS_CHILD | WS_VISIBLE and r.take("H") == 0, "control %d" % ident
    return head, controls


def menu(r):
    items = []
    while True:
        flags = r.take("H")
        items.append((r.text(), menu(r)) if flags & 0x10 else (r.take("H"), r.text())[::-1])
        if flags & 0x80:
            return items


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
        self.assertEqual(dlls, {b"kernel32.dll", b"user32.dll", b"gdi32.dll", b"shell32.dll", b"msvcrt.dll"})

    def test_resources_are_the_dialogs_menu_icons_and_drawing_and_no_more(self):
        found = resources(self.exe)
        self.assertEqual({language for _, _, language in found}, {ENGLISH_US})
        named = {(kind, name): data for (kind, name, _), data in found.items() if kind != RT_ICON}
        self.assertEqual(sorted(named, key=str), sorted(
            [(RT_DIALOG, 113), (RT_DIALOG, 1050), (RT_MENU, "IDR_MENU_ORBELA"), (RT_BITMAP, "MYBMP")] +
            [(RT_GROUP_ICON, group) for group in ICONS], key=str))
        for ident, (head, controls) in DIALOGS.items():
            got_head, got_controls = dialog(named[RT_DIALOG, ident])
            self.assertEqual(got_head, head, "dialog %d" % ident)
            for line, (got, expected) in enumerate(zip(got_controls, controls), 1):
                self.assertEqual(got, expected, "dialog %d, control %d" % (ident, line))
            self.assertEqual(len(got_controls), len(controls), "dialog %d" % ident)
        r = Reader(named[RT_MENU, "IDR_MENU_ORBELA"])
        self.assertEqual((r.take("HH"), menu(r)), ((0, 0), MENU))
        for group, images in ICONS.items():
            r = Reader(named[RT_GROUP_ICON, group])
            _, kind, count = r.take("HHH")
            got = [(w or 256, h or 256, bits) for w, h, _, _, _, bits, _, _ in (r.take("BBBBHHIH") for _ in range(count))]
            self.assertEqual((kind, got), (1, images), "icon group %d" % group)
        # The drawing: BITMAPINFOHEADER's size, width, height, planes, bits and compression (none).
        self.assertEqual(struct.unpack_from("<IiiHHI", named[RT_BITMAP, "MYBMP"]), (40, 449, 188, 1, 24, 0))

    def test_holds_exactly_the_program_its_licence_and_a_czech_read_me_for_windows(self):
        self.assertEqual(self.names, ["CTIMNE.txt", "LICENSE", "ORBELA.exe"])
        self.assertTrue(self.read_me.startswith(b"\xef\xbb\xbf"), "UTF-8 byte order mark")
        text = self.read_me.decode("utf-8-sig")
        self.assertNotIn("\n", text.replace("\r\n", ""), "CRLF line ends only")
        for phrase in ("kosmickou rychlost", "Kruhova r.I", "Unikova r.II", "Chcete ukončit?", "Přesto spustit",
                       "Get-FileHash"):
            self.assertIn(phrase, text)

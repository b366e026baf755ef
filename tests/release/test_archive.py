"""The release archive holds the 32-bit program and the Czech read-me, nothing
else; the program needs no DLL beyond Windows' own, and its resources are the
very bytes of the 64-bit build's, which the window tests drive everywhere.

    ORBELA_ARCHIVE=build/win32/ORBELA_XB-1.0.0-win32.zip ORBELA_EXE64=build/win64/ORBELA.exe \
        python3 -m unittest discover -s tests/release
"""
import os
import struct
import unittest
import zipfile

IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll"}
# Bitmap, icon, menu, dialog, icon group; English (United States).
RESOURCE_KINDS, LANGUAGE = {2, 3, 4, 5, 14}, 1033


def pe_image(exe):
    """The PE header's offset, a map from addresses in the image to offsets
    in the file, and the image's data directories."""
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", exe, pe + 6)
    optional = pe + 24
    first_directory = optional + (96 if struct.unpack_from("<H", exe, optional)[0] == 0x10B else 112)
    directories = [struct.unpack_from("<II", exe, first_directory + 8 * i) for i in range(16)]
    table = [struct.unpack_from("<8xIIII", exe, optional + optional_size + 40 * i) for i in range(sections)]

    def offset(rva):
        return next(raw + rva - va for size, va, raw_size, raw in table if va <= rva < va + max(size, raw_size))
    return pe, offset, directories


def imported_dlls(exe):
    _, offset, directories = pe_image(exe)
    names, entry = set(), offset(directories[1][0])
    while struct.unpack_from("<I", exe, entry + 12)[0]:
        name = offset(struct.unpack_from("<I", exe, entry + 12)[0])
        names.add(exe[name:exe.index(b"\0", name)].decode().lower())
        entry += 20
    return names


def resources(exe):
    """{(kind, name, language): bytes}, names as numbers or strings."""
    _, offset, directories = pe_image(exe)
    base, found = offset(directories[2][0]), {}

    def walk(directory, path):
        named, numbered = struct.unpack_from("<12xHH", exe, base + directory)
        for i in range(named + numbered):
            key, child = struct.unpack_from("<II", exe, base + directory + 16 + 8 * i)
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                key = exe[at + 2:at + 2 + 2 * struct.unpack_from("<H", exe, at)[0]].decode("utf-16-le")
            if child & 0x80000000:
                walk(child & 0x7FFFFFFF, path + (key,))
            else:
                rva, size = struct.unpack_from("<II", exe, base + child)
                found[path + (key,)] = exe[offset(rva):offset(rva) + size]
    walk(0, ())
    return found


class ReleaseArchive(unittest.TestCase):
    def setUp(self):
        path = os.environ.get("ORBELA_ARCHIVE", "build/win32/ORBELA_XB-1.0.0-win32.zip")
        with zipfile.ZipFile(path) as archive:
            self.names = sorted(archive.namelist())
            self.exe = archive.read("ORBELA.exe")
            self.read_me = archive.read("CTIMNE.txt")

    def test_holds_exactly_the_program_and_the_read_me(self):
        self.assertEqual(self.names, ["CTIMNE.txt", "ORBELA.exe"])

    def test_program_is_a_32_bit_windowed_program_on_windows_dlls_alone(self):
        pe, _, _ = pe_image(self.exe)
        optional = pe + 24
        self.assertEqual((self.exe[:2], self.exe[pe:pe + 4]), (b"MZ", b"PE\0\0"))
        self.assertEqual(struct.unpack_from("<H", self.exe, pe + 4)[0], IMAGE_FILE_MACHINE_I386)
        self.assertEqual(struct.unpack_from("<H", self.exe, optional)[0], 0x10B, "PE32 optional header")
        self.assertEqual(struct.unpack_from("<H", self.exe, optional + 68)[0], IMAGE_SUBSYSTEM_WINDOWS_GUI)
        self.assertLessEqual(imported_dlls(self.exe), WINDOWS_DLLS)

    def test_resources_are_the_64_bit_builds_bytes(self):
        with open(os.environ.get("ORBELA_EXE64", "build/win64/ORBELA.exe"), "rb") as f:
            wide = resources(f.read())
        ours = resources(self.exe)
        self.assertEqual({(kind, language) for kind, _, language in ours}, {(k, LANGUAGE) for k in RESOURCE_KINDS})
        self.assertEqual(sorted(ours, key=str), sorted(wide, key=str))
        for key, data in ours.items():
            self.assertTrue(data == wide[key], "%r: %d bytes in the 32-bit program, %d in the 64-bit build"
                            % (key, len(data), len(wide[key])))

    def test_read_me_is_czech_text_for_windows(self):
        self.assertTrue(self.read_me.startswith(b"\xef\xbb\xbf"), "UTF-8 byte order mark")
        text = self.read_me.decode("utf-8-sig")
        self.assertNotIn("\n", text.replace("\r\n", ""), "CRLF line ends only")
        for phrase in ("kosmickou rychlost", "Kruhova r.I", "Unikova r.II", "Chcete ukončit?"):
            self.assertIn(phrase, text)


if __name__ == "__main__":
    unittest.main()

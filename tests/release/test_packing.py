"""What tools/package.sh packs as a release: only a working tree without
changes or untracked files (ignored ones aside) at a commit tagged
v<version> gives <name>-<version>-win32.zip with SHA256SUMS; anything else
gives a snapshot named by its commit, and says NOT A RELEASE. Each packing
leaves only its own archive and checksum file in build/win32 and names them
in build/win32/packed.txt. Packs in a clone of the working tree's tracked
files, as they are.

    python3 -m unittest discover -s tests/release -p test_packing.py
"""
import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]


def git(*args, cwd=ROOT):
    return subprocess.run(["git", *args], cwd=cwd, check=True, capture_output=True, text=True).stdout.strip()


class Packing(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, tmp)
        self.clone = pathlib.Path(tmp, "ORBELA_XB")
        subprocess.run([ROOT / "tools/clone-tree.sh", "--no-tags", ROOT, self.clone], check=True)

    def pack(self):
        """The archives and checksum files in build/win32, packed.txt's lines, and what was said."""
        done = subprocess.run(["tools/package.sh"], cwd=self.clone, capture_output=True, text=True,
                              env=dict(os.environ, CMAKE_BUILD_PARALLEL_LEVEL="2"))
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        out = self.clone / "build/win32"
        made = sorted(p.name for p in out.iterdir() if p.name.endswith((".zip", "SHA256SUMS")))
        return made, (out / "packed.txt").read_text().split(), "NOT A RELEASE" in done.stderr

    def test_only_a_clean_tree_at_its_version_tag_is_packed_as_the_release(self):
        name, version = re.search(r"project\((\w+) VERSION ([\d.]+)", (ROOT / "CMakeLists.txt").read_text()).groups()
        release = ["%s-%s-win32.zip" % (name, version), "SHA256SUMS"]
        snapshot = "%s-%s-snapshot-%s" % (name, version, git("rev-parse", "HEAD", cwd=self.clone)[:12])
        clean, dirty = ([snapshot + end + ".zip", snapshot + end + ".SHA256SUMS"] for end in ("-win32", "-dirty-win32"))
        steps = [  # what is done to the clone, the archive and checksum file expected
            ("", clean),
            ("git tag v%s; echo old >build/win32/%s-0.9-win32.zip" % (version, name), release),
            ("echo notes >build/notes.txt", release),
            ("echo notes >notes.txt", dirty),
            ("git add notes.txt", dirty),
            ("git rm -q --cached notes.txt; rm notes.txt; echo more >>LICENSE", dirty),
            ("git checkout -q LICENSE", release),
            ("git tag -d v%s; git tag v9.9.9" % version, clean),
        ]
        for line, (step, expected) in enumerate(steps, 1):
            subprocess.run(step, shell=True, cwd=self.clone, check=True, capture_output=True)
            made, packed, warned = self.pack()
            where = "step %d (%r)" % (line, step)
            self.assertEqual(made, sorted(expected), where)
            self.assertEqual(packed, ["build/win32/" + f for f in expected], where)
            self.assertEqual(warned, expected != release, where + ": a NOT A RELEASE line")

"""Two clean builds of the release, from clones of the working tree's tracked
files at two paths, seconds apart, with other umasks and time zones, give the
same bytes; a difference is shown with its file and first offset.

    python3 tests/release/same_bytes.py
"""
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUTPUTS = ("build/win32/ORBELA.exe", "build/win64/ORBELA.exe",
           "build/win32/ORBELA_XB-1.0.0-win32.zip", "build/win32/SHA256SUMS")
BUILD = """umask {umask}
for preset in win32 win64; do cmake --preset $preset -DORBELA_TESTS=OFF >/dev/null; done
cmake --build --preset win64 --target ORBELA >/dev/null
tools/package.sh >/dev/null
"""


def git(*args, cwd=ROOT):
    return subprocess.run(["git", *args], cwd=cwd, check=True, capture_output=True, text=True).stdout.strip()


def build(commit, src, umask, tz):
    git("clone", "--quiet", "--shared", "--no-checkout", ROOT, src)
    git("checkout", "--quiet", "--detach", commit, cwd=src)
    env = dict(os.environ, TZ=tz, CMAKE_BUILD_PARALLEL_LEVEL="2")
    subprocess.run(["bash", "-euc", BUILD.format(umask=umask)], cwd=src, env=env, check=True)


def main():
    commit = git("stash", "create") or git("rev-parse", "HEAD")
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as tmp:
        one, two = os.path.join(tmp, "one"), os.path.join(tmp, "second", "clone", "ORBELA_XB")
        build(commit, one, "022", "UTC0")
        time.sleep(3)
        build(commit, two, "077", "JST-9")
        differing = 0
        for name in OUTPUTS:
            a, b = (open(os.path.join(src, name), "rb").read() for src in (one, two))
            if a == b:
                print(f"same bytes: {name} ({len(a)} bytes)")
                continue
            differing += 1
            at = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
            print(f"DIFFERENT: {name}: first at offset {at} (0x{at:x}), "
                  f"first build {a[at:at + 4].hex() or 'ends'}, second build {b[at:at + 4].hex() or 'ends'}")
    print(f"two clean release builds and the comparison took {time.monotonic() - started:.0f} s")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())

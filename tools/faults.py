#!/usr/bin/env python3
"""Plants the faults of tools/faults.txt, one at a time, in a clean copy of
the sources, runs the suites each names, and prints whether they caught it.

    tools/faults.py [--tree COMMIT] [ID ...]

The copy is made of COMMIT (default: the working tree as it is, uncommitted
changes included) in build/faults/tree and built once; each fault is then
planted, the suites it names are built and run, and the copy is put back.
A fault is caught when a suite's tests fail; one whose build fails, or
whose text is no longer in its file, is reported as such. Logs go to
build/faults/logs/<ID>.log. Exits with 1 when a fault was missed.

It takes long (about half a minute a window fault, more where a build tree
must be made anew) and is not part of tools/test.sh: run it before and
after changing the tests, so that no catch is lost.
"""
import glob
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "faults")
TREE = os.path.join(WORK, "tree")


def archive_env():
    """The archive and the checksum file that tools/package.sh wrote last."""
    packed = os.path.join(TREE, "build/win32/packed.txt")
    archive, sums = ((open(packed).read().split() if os.path.exists(packed) else []) + ["", ""])[:2]
    return {"ORBELA_ARCHIVE": archive, "ORBELA_SUMS": sums, "ORBELA_EXE64": "build/win64/ORBELA.exe"}


def build(*presets):
    return [f"cmake --preset {p} >/dev/null && cmake --build --preset {p}" for p in presets]


def ctest(preset, pattern=""):
    return [f"ctest --preset {preset} --no-tests=error" + (f" -R '{pattern}'" if pattern else "")]


# Each suite: the commands that build it, then those that test. The window
# tests are 64-bit programs of the win64 tree, whichever build they drive.
SUITES = {
    "core": (build("linux"), ctest("linux")),
    "core-noint128": (build("linux-asan-noint128"), ctest("linux-asan-noint128")),
    "core.win32": (build("win32"), ctest("win32", r"^core\.")),
    "core.win64": (build("win64"), ctest("win64", r"^core\.")),
    "release": (["cmake --preset win64 >/dev/null && cmake --build --preset win64 --target ORBELA",
                 "tools/package.sh"],
                ["python3 -m unittest discover -s tests/release"]),
    "same-bytes": ([], ["tests/release/same_bytes.sh"]),
    "art": ([], ["tools/render-art.sh && tools/render-art.sh --check"]),
}
for program in ("win64", "win32"):
    for suite in ("StartUp", "Velocity", "Messages", "About", "Release"):
        SUITES[f"e2e.{program}.{suite}"] = (build(*sorted({"win64", program})), ctest("win64", rf"^e2e\.{program}\.{suite}$"))


def read_faults(path):
    """Blocks of `ID what`, then indented `suites:`, `file:` and the text
    (`- ` lines) that the replacement (`+ ` lines) takes the place of."""
    faults = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        if not line.startswith("  "):
            ident, _, what = line.partition(" ")
            faults.append({"id": ident, "what": what, "suites": [], "edits": []})
            continue
        fault, body = faults[-1], line[2:]
        if body.startswith("suites:"):
            fault["suites"] = body.split(":", 1)[1].split()
        elif body.startswith("file:"):
            fault["edits"].append({"file": body.split(":", 1)[1].strip(), "old": [], "new": []})
        elif body[:1] in "-+" and body[1:2] in ("", " "):
            fault["edits"][-1]["old" if body[0] == "-" else "new"].append(body[2:])
        else:
            sys.exit(f"{path}:{number}: cannot read: {line}")
    for fault in faults:
        unknown = [s for s in fault["suites"] if s not in SUITES]
        if unknown or not fault["suites"] or not fault["edits"]:
            sys.exit(f"{path}: fault {fault['id']}: no edit, no suite or unknown suites {unknown}")
    return faults


def sh(command, log, env=None):
    log.write(f"\n$ {command}\n")
    log.flush()
    return subprocess.run(command, shell=True, cwd=TREE, stdout=log, stderr=subprocess.STDOUT,
                          env=dict(os.environ, **(env or {}))).returncode == 0


def copy_tree(commit):
    if commit is None:
        commit = subprocess.run(["git", "-C", ROOT, "stash", "create"], capture_output=True,
                                text=True).stdout.strip() or "HEAD"
    if os.path.isdir(TREE):
        shutil.rmtree(TREE)
    os.makedirs(os.path.join(WORK, "logs"), exist_ok=True)
    for args in (["clone", "--quiet", "--shared", "--no-checkout", ROOT, TREE],
                 ["-C", TREE, "checkout", "--quiet", "--detach", commit]):
        subprocess.run(["git", *args], check=True)


def plant(fault):
    """The problem, or None when every edit found its text."""
    for edit in fault["edits"]:
        path = os.path.join(TREE, edit["file"])
        text = open(path, encoding="utf-8", newline="").read() if os.path.exists(path) else ""
        old, new = "\n".join(edit["old"]), "\n".join(edit["new"])
        if text.count(old) != 1:
            return f"its text is {text.count(old)} times in {edit['file']}"
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text.replace(old, new))
    return None


def forget_builds(fault):
    """A planted build file takes effect, and goes again, only in build
    trees configured anew."""
    if any(e["file"].startswith(("CMake", "cmake/")) for e in fault["edits"]):
        for tree in glob.glob(os.path.join(TREE, "build", "*")):
            if os.path.basename(tree) != "wine":
                shutil.rmtree(tree)


def restore(fault):
    subprocess.run(["git", "-C", TREE, "checkout", "--quiet", "--", "."], check=True)
    forget_builds(fault)


def run(fault):
    problem = plant(fault)
    if problem:
        restore(fault)
        return "stale: " + problem
    forget_builds(fault)
    verdict = "missed"
    with open(os.path.join(WORK, "logs", fault["id"] + ".log"), "w") as log:
        for suite in fault["suites"]:
            builds, tests = SUITES[suite]
            if not all(sh(c, log) for c in builds):
                verdict = f"build fails ({suite})" if verdict == "missed" else verdict
                continue
            env = archive_env() if suite == "release" else None
            if not all(sh(c, log, env) for c in tests):
                verdict = f"caught ({suite})"
                break
    restore(fault)
    return verdict


def main():
    args = sys.argv[1:]
    commit = None
    if args[:1] == ["--tree"]:
        commit, args = args[1], args[2:]
    faults = [f for f in read_faults(os.path.join(ROOT, "tools", "faults.txt")) if not args or f["id"] in args]
    copy_tree(commit)
    missed = 0
    for fault in faults:
        verdict = run(fault)
        missed += not verdict.startswith("caught")
        print(f"{fault['id']:5} {verdict:34} {fault['what']}", flush=True)
    print(f"{len(faults) - missed} of {len(faults)} caught")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())

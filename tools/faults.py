#!/usr/bin/env python3
"""Plants the faults of tools/faults.txt, one at a time, in a clean copy of
the sources, runs the suites each names, and prints whether they caught it.

    tools/faults.py [--tree COMMIT] [ID ...]

The copy is made of COMMIT (default: the working tree as it is, uncommitted
changes included) in build/faults/tree, and every preset configured there.
A suite is a CTest label: each fault is planted (its edits made, then its
commands run, as a maintainer renders the art again), the presets whose
tests carry its suites' labels are built and those tests run as CI runs
them (CI=true: a test that cannot run fails), and the copy is put back. A fault
is caught when a suite's tests fail; one whose build fails, or whose text
is no longer in its file, is reported as such; one that needs a newer
Wine than this machine has (`needs: wine N`) is not planted, and says so.
Logs go to
build/faults/logs/<ID>.log. Exits with 1 when a fault was missed.

It takes long (about half a minute a window fault, more where a build tree
must be made anew) and is not part of tools/test.sh: run it before and
after changing the tests, so that no catch is lost.
"""
import glob
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "faults")
TREE = os.path.join(WORK, "tree")


def presets():
    """The presets of the workflows of CMakePresets.json, as cmake lists them."""
    listing = subprocess.run(["cmake", "--list-presets=workflow"], cwd=TREE, check=True,
                             capture_output=True, text=True).stdout
    return re.findall(r'^ *"([^"]+)"', listing, re.MULTILINE)


def suites():
    """Every CTest label of every preset's tree, and the presets that have
    it: a fault's suites are labels, run where they are. Each tree is built
    first: the window suites are those its test program lists."""
    found = {}
    for preset in presets():
        subprocess.run(f"cmake --preset {preset} && cmake --build --preset {preset}", shell=True, cwd=TREE, check=True,
                       stdout=subprocess.DEVNULL)
        listing = subprocess.run(["ctest", "--preset", preset, "--print-labels"], cwd=TREE, check=True,
                                 capture_output=True, text=True).stdout
        for label in listing.split("All Labels:", 1)[-1].split():
            found.setdefault(label, []).append(preset)
    return found


def read_faults(path, labels, wanted):
    """Blocks of `ID what`, then indented `suites:` (labels), `file:` and the
    text (`- ` lines) that the replacement (`+ ` lines) takes the place of,
    and `run:` commands for after the edits."""
    faults = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        if not line.startswith("  "):
            ident, _, what = line.partition(" ")
            faults.append({"id": ident, "what": what, "suites": [], "edits": [], "run": []})
            continue
        fault, body = faults[-1], line[2:]
        if body.startswith("suites:"):
            fault["suites"] = body.split(":", 1)[1].split()
        elif body.startswith("needs: wine "):
            fault["wine"] = int(body.split()[-1])
        elif body.startswith("run:"):
            fault["run"].append(body.split(":", 1)[1].strip())
        elif body.startswith("file:"):
            fault["edits"].append({"file": body.split(":", 1)[1].strip(), "old": [], "new": []})
        elif body[:1] in "-+" and body[1:2] in ("", " "):
            fault["edits"][-1]["old" if body[0] == "-" else "new"].append(body[2:])
        else:
            sys.exit(f"{path}:{number}: cannot read: {line}")
    faults = [f for f in faults if not wanted or f["id"] in wanted]
    for fault in faults:
        unknown = [s for s in fault["suites"] if s not in labels]
        if unknown or not fault["suites"] or not fault["edits"]:
            sys.exit(f"{path}: fault {fault['id']}: no edit, no suite or unknown suites {unknown}")
    return faults


def sh(command, log):
    """Runs a command in the copy as CI would: a test that cannot run fails."""
    log.write(f"\n$ {command}\n")
    log.flush()
    return subprocess.run(command, shell=True, cwd=TREE, stdout=log, stderr=subprocess.STDOUT,
                          env=dict(os.environ, CI="true")).returncode == 0


def copy_tree(commit):
    if os.path.isdir(TREE):
        shutil.rmtree(TREE)
    os.makedirs(os.path.join(WORK, "logs"), exist_ok=True)
    subprocess.run([os.path.join(ROOT, "tools", "clone-tree.sh"), ROOT, TREE, *([commit] if commit else [])], check=True)


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


def verdict(fault, labels, log):
    """Caught by the first suite whose tests fail, else missed, or that a
    build failed."""
    found = "missed"
    for suite in fault["suites"]:
        for preset in labels[suite]:
            if not sh(f"cmake --preset {preset} >/dev/null && cmake --build --preset {preset}", log):
                found = f"build fails ({suite})" if found == "missed" else found
            elif not sh(f"ctest --preset {preset} -L '^{suite.replace('.', '[.]')}$'", log):
                return f"caught ({suite})"
    return found


def wine_major():
    version = subprocess.run(["/usr/lib/wine/wine64", "--version"], capture_output=True, text=True).stdout
    return int(re.search(r"wine-(\d+)", version).group(1))


def run(fault, labels):
    if fault.get("wine", 0) > wine_major():
        return f"not here: needs Wine {fault['wine']}"
    problem = plant(fault)
    if problem:
        restore(fault)
        return "stale: " + problem
    forget_builds(fault)
    with open(os.path.join(WORK, "logs", fault["id"] + ".log"), "w") as log:
        ran = all(sh(command, log) for command in fault["run"])
        found = verdict(fault, labels, log) if ran else "its run: command fails"
    restore(fault)
    return found


def main():
    args = sys.argv[1:]
    commit = None
    if args[:1] == ["--tree"]:
        commit, args = args[1], args[2:]
    if subprocess.run([os.path.join(ROOT, "tools", "deps.sh"), "--check"]).returncode != 0:
        return 1
    copy_tree(commit)
    labels = suites()
    faults = read_faults(os.path.join(ROOT, "tools", "faults.txt"), labels, args)
    missed = unseen = 0
    for fault in faults:
        verdict = run(fault, labels)
        unseen += verdict.startswith("not here")
        missed += not verdict.startswith(("caught", "not here"))
        print(f"{fault['id']:5} {verdict:34} {fault['what']}", flush=True)
    print(f"{len(faults) - missed - unseen} of {len(faults)} caught" +
          (f"; {unseen} not planted, needing what this machine lacks" if unseen else ""))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())

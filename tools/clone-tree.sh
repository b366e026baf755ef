#!/usr/bin/env bash
# Clones the working tree of the repository SRC into DEST, a folder not yet
# there: its tracked files as they are, uncommitted changes included
# (untracked files are not), or else the commit COMMIT. The clone borrows
# SRC's objects and stands detached at a commit of those files.
#
#   tools/clone-tree.sh [--no-tags] SRC DEST [COMMIT]
set -euo pipefail
tags=()
if [ "${1:-}" = --no-tags ]; then
    tags=(--no-tags)
    shift
fi
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 [--no-tags] SRC DEST [COMMIT]" >&2
    exit 2
fi
commit=${3:-$(git -C "$1" stash create)}
commit=${commit:-$(git -C "$1" rev-parse HEAD)}
git clone --quiet --shared --no-checkout "${tags[@]}" "$1" "$2"
git -C "$2" checkout --quiet --detach "$commit"

#!/usr/bin/env bash
# Runs the README's two commands as a new user would, on a fresh minimal
# Debian of the given release:
#
#   tools/fresh-debian.sh trixie      # Debian 13
#   tools/fresh-debian.sh bookworm    # Debian 12
#
# It bootstraps the release with debootstrap (variant minbase) from the
# Debian archive that this machine's apt sources name (or
# $ORBELA_DEBIAN_ARCHIVE) into a folder under build/fresh-debian/, clones
# the commit checked out here (HEAD: uncommitted changes are not in it)
# into /root/ORBELA_XB there, and runs tools/run.sh, then tools/test.sh, as
# root with nothing else installed and no display. At the end it prints
# each step's exit status and time, and exits 0 only when every step did.
#
# Needs root and debootstrap. Everything runs in mount, PID and IPC
# namespaces of its own: the mounts (/proc, /sys, a /dev of its own with
# pts and shm) are never seen outside, every process started in the fresh
# system ends with it, and the folder is removed on every way out,
# Ctrl-C included. It takes about 7 minutes and 8 GB of disk.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

if [ $# -ne 1 ] || [[ $1 != [a-z]* ]]; then
    echo "usage: $0 RELEASE    (a Debian release's code name: trixie, bookworm, ...)" >&2
    exit 2
fi
release=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "$0 needs root (it bootstraps a system, mounts and chroots): run it as root or through sudo" >&2
    exit 1
fi
if ! command -v debootstrap >/dev/null; then
    echo "$0 needs debootstrap: tools/deps.sh (as root or through sudo) installs it" >&2
    exit 1
fi

archive=${ORBELA_DEBIAN_ARCHIVE:-}
if [ -z "$archive" ]; then
    . /etc/os-release
    # The archive that serves this machine's own Debian release.
    archive=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
              awk -v release="${VERSION_CODENAME:-}" '$2 == release { print $1; exit }')
    if [ "${ID:-}" != debian ] || [ -z "$archive" ]; then
        echo "$0: this machine's apt sources name no Debian archive for its release;" \
             "give one as ORBELA_DEBIAN_ARCHIVE=http://deb.debian.org/debian/" >&2
        exit 1
    fi
fi
commit=$(git rev-parse HEAD)
git diff-index --quiet HEAD -- || echo "Uncommitted changes are not in the clone: it is of $commit"

made=()
for d in build build/fresh-debian; do
    [ -d "$d" ] || { mkdir "$d"; made=("$d" "${made[@]}"); }
done
dir=$(mktemp -d "$root/build/fresh-debian/$release.XXXXXX")
chmod 755 "$dir"    # the fresh system's /
inner=

cleanup() {
    trap - EXIT INT TERM HUP
    # Killing the first process of the PID namespace kills every other one;
    # unshare returns once all of them have gone.
    if [ -n "$inner" ] && kill -0 "$inner" 2>/dev/null; then
        echo "Stopping the fresh system and removing $dir"
        local first
        first=$(cat /proc/"$inner"/task/*/children 2>/dev/null || true)
        kill -KILL ${first:-$inner} 2>/dev/null || true
        wait "$inner" 2>/dev/null || true
    fi
    # Nothing is mounted there outside the namespace; should it ever be,
    # rm stays on this file system.
    awk -v d="$dir" 'index($5, d "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo &&
        echo "Left mounted under $dir:" && awk -v d="$dir" 'index($5, d "/") == 1 { print $5 }' /proc/self/mountinfo
    rm -rf --one-file-system "$dir"
    [ ${#made[@]} -eq 0 ] || rmdir "${made[@]}" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Run as the first process of the new PID namespace, in a mount namespace
# whose mounts are private: dir, release, archive, repository, commit.
fresh_debian() {
    local dir=$1 release=$2 archive=$3 repo=$4 commit=$5
    local names=() statuses=() times=() failed=0 t0 rc i

    step() {
        local name=$1
        shift
        printf '\n=== %s\n' "$name"
        t0=$EPOCHSECONDS
        "$@" && rc=0 || rc=$?
        names+=("$name") statuses+=("$rc") times+=($((EPOCHSECONDS - t0)))
        [ "$rc" -eq 0 ] || failed=1
        return "$rc"
    }
    bootstrap() {
        echo "debootstrap --variant=minbase $release $dir $archive"
        debootstrap --variant=minbase "$release" "$dir" "$archive"
    }
    clone() {
        git clone --quiet --no-hardlinks "$repo" "$dir/root/ORBELA_XB" &&
            git -C "$dir/root/ORBELA_XB" checkout --quiet "$commit" &&
            git -C "$dir/root/ORBELA_XB" log -1 --format='%h %s'
    }
    mounts() {
        mount -t proc proc "$dir/proc" &&
        mount -t sysfs -o ro sysfs "$dir/sys" &&
        mount -t tmpfs -o mode=755,nosuid tmpfs "$dir/dev" || return 1
        mknod -m 666 "$dir/dev/null" c 1 3 && mknod -m 666 "$dir/dev/zero" c 1 5 &&
        mknod -m 666 "$dir/dev/full" c 1 7 && mknod -m 666 "$dir/dev/random" c 1 8 &&
        mknod -m 666 "$dir/dev/urandom" c 1 9 && mknod -m 666 "$dir/dev/tty" c 5 0 || return 1
        mkdir -m 755 "$dir/dev/pts" && mkdir -m 1777 "$dir/dev/shm" &&
        mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,gid=5 devpts "$dir/dev/pts" || return 1
        ln -s pts/ptmx "$dir/dev/ptmx" && ln -s /proc/self/fd "$dir/dev/fd" &&
        ln -s /proc/self/fd/0 "$dir/dev/stdin" && ln -s /proc/self/fd/1 "$dir/dev/stdout" &&
        ln -s /proc/self/fd/2 "$dir/dev/stderr"
    }
    # A command in the fresh system, as its root would type it there.
    inside() {
        chroot "$dir" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            /bin/bash -c "cd /root/ORBELA_XB && $1"
    }

    if step "debootstrap" bootstrap && step "clone" clone && step "mounts" mounts; then
        step "tools/run.sh" inside tools/run.sh || true
        step "tools/test.sh" inside tools/test.sh || true
    fi

    printf '\n=== Debian %s (%s) from %s, commit %s\n' "$release" \
        "$(cat "$dir/etc/debian_version" 2>/dev/null)" "$archive" "$commit"
    for i in "${!names[@]}"; do
        printf '%-14s exit %3d %5d s\n' "${names[$i]}" "${statuses[$i]}" "${times[$i]}"
    done
    return $failed
}

unshare --mount --propagation private --pid --ipc --fork --kill-child -- \
    bash -c "set -u; $(declare -f fresh_debian); fresh_debian \"\$@\"" fresh_debian \
    "$dir" "$release" "$archive" "$root" "$commit" &
inner=$!
wait "$inner"

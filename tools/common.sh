# Sourced by the commands in tools/: strict mode, the repository's root as
# the working folder, and what building and testing need (tools/deps.sh).
# The README's run and test commands source it with ORBELA_DEPS=install and
# install what is missing; every other command stops, naming what is
# missing and how to install it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if [ "${ORBELA_DEPS:-}" = install ]; then
    tools/deps.sh
else
    tools/deps.sh --check
fi

# The release archive, named with the name and version that project() gives
# and the win32 build tree's CMake cache holds.
orbela_archive() {
    local name version
    name=$(sed -n 's/^CMAKE_PROJECT_NAME:STATIC=//p' build/win32/CMakeCache.txt)
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
    echo "build/win32/$name-$version-win32.zip"
}

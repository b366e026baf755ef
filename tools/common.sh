# Sourced by the commands in tools/: strict mode, the repository's root as
# the working folder, and the packages that building and testing need.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/deps.sh

# The release archive, named with the name and version that project() gives
# and the win32 build tree's CMake cache holds.
orbela_archive() {
    local name version
    name=$(sed -n 's/^CMAKE_PROJECT_NAME:STATIC=//p' build/win32/CMakeCache.txt)
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
    echo "build/win32/$name-$version-win32.zip"
}

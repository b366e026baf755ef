# Sourced by the commands in tools/: strict mode, the repository's root as
# the working folder, and the packages that building and testing need.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/deps.sh

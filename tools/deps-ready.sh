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


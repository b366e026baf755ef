# Sourced by the commands in tools/, with what to do about what building and
# testing need (tools/deps.sh):
#
#   . tools/deps-ready.sh install   installs what is missing (the README's
#                                   run and test commands)
#   . tools/deps-ready.sh check     stops, naming what is missing and how
#                                   to install it (every other command)
#
# Either way: strict mode, and the repository's root as the working folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
case $1 in
    install) tools/deps.sh ;;
    check) tools/deps.sh --check ;;
esac

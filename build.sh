#!/bin/sh
# The Quick start's entry on a bare Debian 12, where not even make is
# installed: `./build.sh run` builds and starts the game, `./build.sh test`
# builds and runs every test, and any other make goal works too. Each goal
# installs the Debian packages it needs first (scripts/install-deps).
set -eu
cd "$(dirname "$0")"
command -v make >/dev/null 2>&1 || ./scripts/install-deps game
exec make "$@"

#!/bin/sh
# Starts Vantry from its own folder, wherever it is started from: the archive
# is always the one beside the program.
here=$(dirname "$(readlink -f "$0")") || exit 1
cd "$here" || exit 1
exec ./Vantry "$@"

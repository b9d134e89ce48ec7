#!/bin/sh
# Starts the renamer from the build tree: the GUI when it was built, else the
# command-line tool's help. Arguments are files and folders for the list.
set -eu
build=$1
shift
if [ -x "$build/src/renamer/app/KQTools" ]; then
    if [ -z "${KQ_REGISTRY_FILE:-}" ] && [ -f "$build/registry.reg" ]; then
        KQ_REGISTRY_FILE="$build/registry.reg"
        export KQ_REGISTRY_FILE
    fi
    exec "$build/src/renamer/app/KQTools" "$@"
fi
exec "$build/src/kqtools-cli" help

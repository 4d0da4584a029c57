#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and starts the game from its runnable folder;
# "tools/play.sh --editor" starts the level editor instead. Other arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
program=kivo
hint=""
if [[ "${1:-}" == "--editor" ]]; then
    program=kivo-editor
    hint=" --editor"
    shift
fi
if [[ -z "${DISPLAY:-}" ]]; then
    cat >&2 <<MSG
KIVO needs a display to open its window, and none is set (DISPLAY is empty).
Start it from a desktop session, or under a virtual X server:
    xvfb-run -a -s "-screen 0 1280x1024x24" tools/play.sh$hint
MSG
    exit 1
fi
tools/setup.sh
cd build/run
exec "./$program" "$@"

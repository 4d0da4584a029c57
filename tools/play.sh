#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and starts the game from its runnable folder.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -z "${DISPLAY:-}" ]]; then
    cat >&2 <<'MSG'
KIVO needs a display to open its window, and none is set (DISPLAY is empty).
Start it from a desktop session, or under a virtual X server:
    xvfb-run -a -s "-screen 0 1024x768x24" tools/play.sh
MSG
    exit 1
fi
tools/setup.sh
cd build/run
exec ./kivo

#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and starts the level editor from the runnable folder.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -z "${DISPLAY:-}" ]]; then
    cat >&2 <<'MSG'
The KIVO editor needs a display to open its window, and none is set (DISPLAY is empty).
Start it from a desktop session, or under a virtual X server:
    xvfb-run -a -s "-screen 0 1280x1024x24" tools/edit.sh
MSG
    exit 1
fi
tools/setup.sh
cd build/run
exec ./kivo-editor

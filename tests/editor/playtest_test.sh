#!/usr/bin/env bash
# The real kivo-editor under Xvfb with xdotool: a shipped map opened, a light added (the view gets
# brighter), Check map, F5 starts the game's round on that map while the editor stays open; the
# light undone and the map saved again equals the map as it was opened, byte for byte.
set -u
if [[ -z "${KIVO_EDITOR_DISPLAY:-}" ]]; then
    export KIVO_EDITOR_DISPLAY=1
    exec timeout -k 10 300 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

RUN=${KIVO_RUN_DIR:?the staged game folder}
WORK=$(mktemp -d /tmp/kivo-playtest-e2e-XXXXXX)
SHOTS=${KIVO_E2E_SHOTS:-$WORK/shots}
MAP=$WORK/game/data/maps/01_first_steps.kivom
PID=
GAME=
FAILURES=0
mkdir -p "$SHOTS" "$WORK/game/data/maps"

cleanup() {
    [[ -n "$GAME" ]] && kill "$GAME" 2>/dev/null
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}
stop() {
    echo "FAIL: $*"
    tail -5 "$WORK/editor.out"
    exit 1
}
click() {
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool click 1
    sleep 0.5
}
key() {
    xdotool key "$@"
    sleep 0.7
}
type_into() {
    click "$1" "$2"
    key ctrl+a BackSpace
    xdotool type --delay 40 -- "$3"
    sleep 0.3
}
shot() { import -window root "$SHOTS/$1.png"; }
title() { xdotool getwindowname "$WINDOW"; }
# Mean grey level of the 3D view on a screenshot.
brightness() { convert "$SHOTS/$1.png" -crop 660x790+10+30 -colorspace gray -format '%[fx:mean]' info:; }

cd "$WORK/game"
cp "$RUN/kivo" "$RUN/kivo-editor" "$RUN/plugins.cfg" "$RUN/resources.cfg" .
for entry in "$RUN"/data/*; do
    [[ "$(basename "$entry")" == maps ]] || ln -s "$entry" "data/$(basename "$entry")"
done
cp "$RUN"/data/maps/* data/maps/
printf 'Render System=OpenGL Rendering Subsystem\n\n[OpenGL Rendering Subsystem]\nFull Screen=No\nVideo Mode=1024 x 768\n' >ogre.cfg

XDG_CONFIG_HOME=$WORK/config ./kivo-editor >"$WORK/editor.out" 2>&1 &
PID=$!
WINDOW=
for _ in $(seq 1 60); do
    WINDOW=$(xdotool search --name '^KIVOEditor' 2>/dev/null | head -1)
    [[ -n "$WINDOW" ]] && break
    kill -0 "$PID" 2>/dev/null || stop "the editor ended at start"
    sleep 0.5
done
[[ -n "$WINDOW" ]] || stop "no editor window"
sleep 3
xdotool windowfocus --sync "$WINDOW"
key ctrl+o
sleep 1
xdotool type --delay 20 "$MAP"
key Return
sleep 1.5
xdotool windowfocus --sync "$WINDOW"
[[ "$(title)" == "KIVOEditor - 01_first_steps.kivom" ]] || stop "title after Open: $(title)"
# The map as the editor writes it, before any change.
key ctrl+s
cp "$MAP" "$WORK/opened.kivom"

# A white light above the start, on the Lights tab.
click 800 41
shot opened
type_into 870 226 sun
type_into 870 253 1
type_into 870 281 3
type_into 870 309 -3
for y in 367 396 425; do type_into 946 "$y" 100; done
click 837 664
sleep 1
shot light_added
before=$(brightness opened)
after=$(brightness light_added)
echo "view brightness: $before -> $after"
awk -v a="$after" -v b="$before" 'BEGIN { exit !(a > b + 0.005) }' ||
    fail "the view is not brighter with the light: $before -> $after"
[[ "$(title)" == "KIVOEditor - 01_first_steps.kivom*" ]] || fail "no modified mark: $(title)"

key ctrl+k
shot checked

# F5: the game starts on a copy of the map, straight into a round.
key F5
for _ in $(seq 1 120); do
    grep -q 'Menu: round started on ".*kivo-playtest-[0-9]*.kivom" with 1 players' Ogre.log 2>/dev/null && break
    sleep 0.5
done
grep -q 'Menu: round started on ".*kivo-playtest' Ogre.log 2>/dev/null || stop "no play-test round"
sleep 2
shot game_round
# The game runs detached from the editor; its command line names this editor's copy of the map.
GAME=$(pgrep -f -- "--play .*kivo-playtest-$PID.kivom" | head -1)
[[ -n "$GAME" ]] || fail "no game process"
[[ -n "$GAME" ]] && kill "$GAME" && GAME=
sleep 1
kill -0 "$PID" 2>/dev/null || stop "the editor ended with the play-test"

# Undo the light: the map saved again is the opened one.
xdotool windowfocus --sync "$WINDOW"
key ctrl+z
[[ "$(title)" == "KIVOEditor - 01_first_steps.kivom" ]] || fail "title after undo: $(title)"
key ctrl+s
cmp -s "$MAP" "$WORK/opened.kivom" || fail "the map after undo differs from the opened one"
shot undone

if ((FAILURES > 0)); then
    echo "$FAILURES check(s) failed"
    exit 1
fi
echo "all checks passed"

#!/usr/bin/env bash
# The real kivo-editor under Xvfb with xdotool: a shipped map opened, a light added (the view gets
# brighter), Check map, F5 starts the game's round on that map while the editor stays open; the
# light undone and the map saved again equals the map as it was opened, byte for byte.
set -u
WORK_NAME=kivo-playtest-e2e
EDITOR_TIMEOUT=300
source "$(dirname "$0")/editor_lib.sh"
MAP=$WORK/game/data/maps/01_first_steps.kivom
# Mean grey level of the 3D view on a screenshot.
brightness() { convert "$SHOTS/$1.png" -crop 660x790+10+30 -colorspace gray -format '%[fx:mean]' info:; }

start_editor
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

finish

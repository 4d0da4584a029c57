#!/usr/bin/env bash
# The real kivo-editor driven with xdotool as a level designer would: a new map, a grid, two
# boxes picked in the 3D view, a vertex raised and undone, the map saved into the maps
# folder (checked after each step through the saved file and the window title). Whether the game
# lists such a map is the map list's own test (tests/world/paths_test.cpp).
set -u
WORK_NAME=kivo-editor-e2e
EDITOR_TIMEOUT=600
source "$(dirname "$0")/editor_lib.sh"
MAP=$WORK/game/data/maps/000_editor.kivom
# The world height of the top centre of a box in the saved map.
top_centre() {
    awk -F'[=,]' -v box="$1" '$1 == "box" && $2 == box { print $6 + $21 }' "$MAP"
}
# The map has no start or finish point yet: saving warns first, and Return (the default) saves.
confirm_save() {
    wait_until 10 dialog_shown || fail "no warning about the map's problems before saving"
    key Return
    xdotool windowfocus --sync "$WINDOW"
}

start_editor

# New map and a 3 x 2 grid of grass at the origin.
key ctrl+n
[[ "$(title)" == "KIVOEditor - untitled" ]] || fail "title after New: $(title)"
type_into 880 102 3
type_into 880 130 2
for y in 158 186 214; do type_into 880 "$y" 0; done
click 880 270
key Down Down Return
click 740 352
[[ "$(title)" == "KIVOEditor - untitled*" ]] || fail "no modified mark after creating: $(title)"

# Pick box1 (at the origin) and box3 (one to the right) by their top faces.
click 338 423
ctrl_click 411 423
shot two_boxes_selected

# Raise the top centre of the selected boxes by 1.
click 746 41
click 837 131
type_into 741 238 0
type_into 837 238 1
type_into 934 238 0
click 837 293
shot vertex_raised
file_dialog ctrl+shift+s "$MAP"
confirm_save
[[ -f "$MAP" ]] || fail "Save as wrote no file"
[[ "$(title)" == "KIVOEditor - 000_editor.kivom" ]] || fail "title after saving: $(title)"
for box in box1 box3; do
    [[ "$(top_centre $box)" == 1.5 ]] || fail "$box not raised: $(top_centre $box)"
done
[[ "$(top_centre box2)" == 0.5 ]] || fail "box2 moved: $(top_centre box2)"

key ctrl+z
key ctrl+s
confirm_save
[[ "$(top_centre box1)" == 0.5 ]] || fail "undo left box1 at $(top_centre box1)"
shot vertex_undone

echo "all checks passed"

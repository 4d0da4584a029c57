#!/usr/bin/env bash
# The real kivo-editor under Xvfb with xdotool, as a designer works: a shipped map opened, a light
# added (the view gets brighter), a waypoint path made on boxes picked in the 3D view and linked on
# the Waypoints tab, a slime put on it, a start and a finish point marked, Check map, and F5 starts
# the game's round on that map while the editor stays open; then everything is undone and the map
# saved again equals the map as it was opened, byte for byte.
set -u
WORK_NAME=kivo-playtest-e2e
EDITOR_TIMEOUT=300
source "$(dirname "$0")/editor_lib.sh"
MAP=$WORK/game/data/maps/01_first_steps.kivom
# Mean grey level of the 3D view on a screenshot.
brightness() { convert "$SHOTS/$1.png" -crop 660x790+10+30 -colorspace gray -format '%[fx:mean]' info:; }
# Where the top centres of some boxes of 01_first_steps are seen from the editor's start camera.
C1_0="489 396"
C1_1="475 305"
C1_2="463 229"
C0_2="338 229"
# Rows of the waypoint list: the map's six waypoints come first, new ones after them.
waypoint_row() { click 731 $((154 + 14 * $1)); }

start_editor
file_dialog ctrl+o "$MAP"
[[ "$(title)" == "KIVOEditor - 01_first_steps.kivom" ]] || fail "title after Open: $(title)"
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

# Waypoints of weight 1 on three boxes picked in the view, then linked into a path
# c1_0 - c1_1 - c1_2: a waypoint chosen in the list selects its box, a Ctrl-click adds the next
# one.
click 865 41
type_into 837 819 1
click $C1_0
ctrl_click $C1_1
ctrl_click $C1_2
click 837 380
waypoint_row 0
ctrl_click $C1_1
click 837 763
waypoint_row 1
ctrl_click $C1_2
click 837 763
shot waypoint_path

# A slime on the first waypoint of the path, on the Other tab.
waypoint_row 0
click 925 41
click 837 401
key Down Down Down Down Return
type_into 837 429 slimey
click 837 458
shot slime_added

# A start point on c1_2 (the map's start pad already holds c0_1) and a finish point on c0_2; a
# right click clears the selection.
click $C1_2 3
click $C1_2
click 765 129
click $C1_2 3
click $C0_2
click 848 101
click 765 129
shot points_added

# The check finds nothing: the map's start pad and the new point give every player a ball.
key ctrl+k
wait_until 10 grep -q 'Map check: No problems found.' "$XDG_STATE_HOME/kivo/OgreEditor.log" ||
    fail "the check does not report a map without problems"
grep 'Map check: Error' "$XDG_STATE_HOME/kivo/OgreEditor.log" && fail "the check finds errors"
shot checked

# F5: the game starts on a copy of the map, straight into a round.
key F5
round_started() { grep -q 'Menu: round started on ".*kivo-playtest-[^/]*/playtest.kivom" with 1 players' "$GAME_LOG" 2>/dev/null; }
wait_until 60 round_started || fail "no play-test round"
sleep 2
shot game_round
# The game runs detached from the editor on a copy of the map in a private folder.
GAME=$(pgrep -f -- "^[^ ]*/kivo --play .*/kivo-playtest-[^/]*/playtest.kivom" | head -1)
[[ -n "$GAME" ]] || fail "no game process"
COPY=$(tr '\0' '\n' <"/proc/$GAME/cmdline" | grep '/playtest.kivom$')
PLAY_DIR=$(dirname "$COPY")
[[ "$(stat -c %a "$PLAY_DIR")" == 700 ]] || fail "the play-test folder is not private"
for line in waypoint=c1_0,1,c1_1 waypoint=c1_1,1,c1_0,c1_2 waypoint=c1_2,1,c1_1 \
    monster=4,slimey,c1_0 startpoint=c1_2 finishpoint=c0_2; do
    grep -qx "$line" "$COPY" || fail "the played map has no line $line"
done
kill "$GAME" && GAME=
sleep 1
kill -0 "$PID" 2>/dev/null || fail "the editor ended with the play-test"
wait_until 10 test ! -e "$PLAY_DIR" || fail "the play-test folder outlived the game: $PLAY_DIR"

# Undo step by step: seven steps bring back the map as it was opened.
xdotool windowfocus --sync "$WINDOW"
steps=0
while [[ "$(title)" == *'*' ]] && ((steps < 12)); do
    key ctrl+z
    steps=$((steps + 1))
done
((steps == 7)) || fail "$steps undo steps to the opened map, not 7"
key ctrl+s
cmp -s "$MAP" "$WORK/opened.kivom" || fail "the map after undo differs from the opened one"
shot undone

echo "all checks passed"

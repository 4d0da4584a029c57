#!/usr/bin/env bash
# The real kivo-editor under Xvfb with a recovery copy every 2 seconds. Changes left behind by a
# normal exit are gone and no offer follows; changes of an editor killed with SIGKILL come back:
# the next start offers them, Restore opens them as unsaved changes of their map, and the map
# saved then holds every change.
set -u
WORK_NAME=kivo-recovery-e2e
EDITOR_TIMEOUT=400
source "$(dirname "$0")/editor_lib.sh"
export KIVO_EDITOR_RECOVERY_SECONDS=2
MAP=$WORK/game/data/maps/01_first_steps.kivom
COPIES=$XDG_STATE_HOME/kivo/recovery
DIALOG=
copy_holds() { grep -qs "$1" "$COPIES"/*.kivom; }
# The dialog of the message title (question, offer), if one shows.
dialog_shown() {
    DIALOG=$(xdotool search --onlyvisible --name '^KIVO Editor$' 2>/dev/null | head -1)
    [[ -n "$DIALOG" ]]
}
editor_ended() { ! kill -0 "$PID" 2>/dev/null; }
# A grid of 3 x 2 boxes named $1 at x = $2, beside the map's own boxes.
add_grid() {
    type_into 880 102 3
    type_into 880 130 2
    type_into 880 158 "$2"
    type_into 880 186 0
    type_into 880 214 20
    type_into 880 242 "$1"
    click 880 270
    key Down Down Return
    click 740 352
}
open_map_and_change() {
    start_editor
    wait_until 10 dialog_shown && fail "a recovery offer after $1"
    file_dialog ctrl+o "$MAP"
    add_grid rec 20
    add_grid more 30
    [[ "$(title)" == "KIVOEditor - 01_first_steps.kivom*" ]] || fail "no modified mark: $(title)"
    wait_until 10 copy_holds "^box=[^,]*,[^,]*,more," || fail "no recovery copy with both grids"
}

# A normal exit, the changes discarded: the copy goes, and the next start offers nothing.
open_map_and_change "a fresh start"
key ctrl+q
wait_until 10 dialog_shown || fail "no question about the unsaved changes"
xdotool windowfocus --sync "$DIALOG"
key Tab space # from Save on to Discard
wait_until 10 editor_ended || fail "the editor did not end on Discard"
PID=
ls "$COPIES"/*.kivom 2>/dev/null && fail "a recovery copy outlived a normal exit"

# A kill: the copy stays, and the next start offers it.
open_map_and_change "a normal exit"
shot changed_before_kill
cp "$COPIES"/*.kivom "$WORK/recovered.kivom"
kill -KILL "$PID"
wait "$PID" 2>/dev/null
PID=
start_editor
wait_until 20 dialog_shown || fail "no recovery offer after the kill"
sleep 1
shot recovery_offer
xdotool windowfocus --sync "$DIALOG"
key Return # Restore
xdotool windowfocus --sync "$WINDOW"
[[ "$(title)" == "KIVOEditor - 01_first_steps.kivom*" ]] || fail "not restored as unsaved changes of the map: $(title)"
shot restored
key ctrl+s
cmp -s "$MAP" "$WORK/recovered.kivom" || fail "the saved map differs from the recovered changes"
for grid in rec more; do
    [[ "$(grep -c "^box=[^,]*,[^,]*,$grid," "$MAP")" == 6 ]] || fail "the saved map lacks the grid $grid"
done
[[ "$(grep -c '^box=' "$MAP")" == "$(($(grep -c '^box=' "$RUN/data/maps/01_first_steps.kivom") + 12))" ]] ||
    fail "the saved map lost boxes of its own"
ls "$COPIES"/*.kivom 2>/dev/null && fail "recovery copies remain after the save"

echo "all checks passed"

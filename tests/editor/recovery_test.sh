#!/usr/bin/env bash
# The real kivo-editor under Xvfb with a recovery copy every 2 seconds. Changes discarded at a
# normal exit leave no copy and no offer; changes of an editor killed with SIGKILL come back:
# the next start offers them, Restore opens them as unsaved changes of their map, and the map
# saved then holds every change.
set -u
WORK_NAME=kivo-recovery-e2e
EDITOR_TIMEOUT=400
source "$(dirname "$0")/editor_lib.sh"
export KIVO_EDITOR_RECOVERY_SECONDS=2
MAP=$WORK/game/data/maps/01_first_steps.kivom
COPIES=$XDG_STATE_HOME/kivo/recovery
copy_holds() { grep -qs "$1" "$COPIES"/*.kivom; }
# The map opened (no offer first) and two 3 x 2 grids "rec" and "more" added beside its boxes.
open_map_and_change() {
    start_editor
    wait_until 10 dialog_shown && fail "a recovery offer $1"
    file_dialog ctrl+o "$MAP"
    for grid in "rec 20" "more 30"; do
        set -- $grid
        for field in "102 3" "130 2" "158 $2" "186 0" "214 20" "242 $1"; do type_into 880 $field; done
        click 880 270
        key Down Down Return
        click 740 352
    done
    [[ "$(title)" == "KIVOEditor - 01_first_steps.kivom*" ]] || fail "no modified mark: $(title)"
    wait_until 10 copy_holds "^box=[^,]*,[^,]*,more," || fail "no recovery copy with both grids"
}

open_map_and_change "at the first start"
key ctrl+q
wait_until 10 dialog_shown || fail "no question about the unsaved changes"
key Tab space # Discard, beside Save
wait_until 10 editor_ended || fail "the editor did not end on Discard"
ls "$COPIES"/*.kivom 2>/dev/null && fail "a recovery copy outlived a normal exit"

open_map_and_change "after a normal exit"
cp "$COPIES"/*.kivom "$WORK/recovered.kivom"
kill -KILL "$PID"
start_editor
wait_until 20 dialog_shown || fail "no recovery offer after the kill"
shot recovery_offer
key Return # Restore
xdotool windowfocus --sync "$WINDOW"
[[ "$(title)" == "KIVOEditor - 01_first_steps.kivom*" ]] || fail "not unsaved changes of the map: $(title)"
shot restored
key ctrl+s
cmp -s "$MAP" "$WORK/recovered.kivom" || fail "the saved map differs from the recovered changes"
[[ "$(grep -c '^box=' "$MAP")" == "$(($(grep -c '^box=' "$RUN/data/maps/01_first_steps.kivom") + 12))" ]] ||
    fail "the saved map lacks boxes of its own or of the new grids"
ls "$COPIES"/*.kivom 2>/dev/null && fail "recovery copies remain after the save"
echo "all checks passed"

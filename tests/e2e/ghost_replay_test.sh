#!/usr/bin/env bash
# Racing the best run, as a player would: a round won with W leaves a recording beside the best
# times; the next try draws the ghost of that run where the run had got to (screenshots
# "ghost_early" and "ghost", checked by their red pixels); R starts a new try at
# once; a second win shows the difference to the best run; the single-player page plays the
# stored run back with its keys, and watching it changes no best time.
source "$(dirname "$0")/e2e_lib.sh"

SP_WATCH=(843 553)

# The red things of the level in a screenshot (at half size, the HUD's red band and the best
# times covered), one line each: centre x, centre y, area in pixels.
red_things() {
    convert "$E2E_SHOTS/$1.png" -scale 50% -fill black -draw "rectangle 0,0 120,40" \
        -draw "rectangle 407,0 512,68" -fx "r - max(g, b) > 0.3" \
        -define connected-components:verbose=true -define connected-components:area-threshold=8 \
        -connected-components 8 null: | awk '$NF ~ /255/ { split($3, c, ","); print int(c[1]), int(c[2]), $4 }'
}

# The player's ball waits on its start, nearest to the camera (lowest on the screen); the ghost
# is the other red thing. Prints "ghost y, ball x, ball y" of a screenshot, or nothing when it
# does not show exactly those two.
ghost_and_ball() {
    red_things "$1" | sort -k2,2n | awk '{ x[NR] = $1; y[NR] = $2 } END { if (NR == 2) print y[1], x[2], y[2] }'
}

e2e_prepare_game
e2e_start_game
click "${SP_MAP_DROPDOWN[@]}"
click 606 187
type_into "${SP_NAME[@]}" "Racer"
click "${PAGE_START[@]}"
wait_for_log 'Menu: round started on "00_straight_run.kivom" with 1 players' 10 ||
    fail "the round did not start"
hold_until_won w || fail "the ball never reached the finish"
runs=("$E2E_BEST"/00_straight_run.kivom.data.run-*.kivorun)
[[ -f "${runs[0]}" ]] || fail "the won round left no recording beside the best times"
echo "recording: $(basename "${runs[0]}"), $(stat -c %s "${runs[0]}") bytes for $(top5_value time1) s"

# The next round: the ghost of the run just won rolls off while the ball waits on its start.
click "${HUD_BACK_TO_MENU[@]}"
click "${PAGE_START[@]}"
wait_for_count "round started" 2 10 || fail "the next round did not start"
wait_for_log "Ghost: racing the best run of Racer" 5 || fail "no ghost in the next round"
# Two pictures of the running round, each taken while it is paused (P), so that the time it takes
# does not matter: the ghost must be drawn where its run has taken it by then, further along the
# course in the second, while the waiting ball stays where it is.
paused_shot() {
    tap p
    sleep 0.5
    shot "$1"
    tap p
}
sleep 1.5 # the ghost has left the start box: about 2 s into its run
paused_shot ghost_early
sleep 0.4 # about 2.8 s: still in sight
paused_shot ghost
read -r early_ghost early_x early_y <<<"$(ghost_and_ball ghost_early)"
read -r late_ghost late_x late_y <<<"$(ghost_and_ball ghost)"
echo "ghost at y ${early_ghost:-none} then ${late_ghost:-none}; ball at ${early_x:-?},${early_y:-?} then ${late_x:-?},${late_y:-?}"
if [[ -z "$early_ghost" || -z "$late_ghost" ]]; then
    fail "the round does not show the ball and its ghost apart"
else
    ((early_ghost < early_y - 5 && late_ghost < early_ghost - 5)) ||
        fail "the ghost is not drawn ahead on its run"
    ((${late_x} - early_x <= 2 && early_x - late_x <= 2 && late_y - early_y <= 2 && early_y - late_y <= 2)) ||
        fail "the waiting ball moved on the screen"
fi

# R: a new try at once, without the level being built again.
tap r
wait_for_log "Menu: round restarted" 5 || fail "R did not start a new try"
[[ $(log_count "round started") -eq 2 ]] || fail "R built the level again"
[[ $(grep -c "Ghost: racing" "$E2E_LOG") -eq 2 ]] || fail "the new try has no ghost"
hold_until_won w 2 || fail "the new try never finished"
shot second_win
grep -q -E "Menu: compared with the best run: [+-][0-9]+\.[0-9]{3} s" "$E2E_LOG" ||
    fail "the winner text shows no difference to the best run"

click "${HUD_BACK_TO_MENU[@]}"
sleep 1
cp "$E2E_BEST/00_straight_run.kivom.data" "$E2E_WORK/top5.before"
click "${SP_WATCH[@]}"
wait_for_log "Menu: replay of place 1" 10 || fail "Watch run did not start the replay"
wait_for_log "Menu: replay Playing at 1x" 5 || fail "the replay shows no state line"
sleep 1.5
shot replay
tap Up
wait_for_log "Menu: replay Playing at 2x" 5 || fail "Up did not speed the replay up"
tap space
wait_for_log "Menu: replay Stopped at 2x" 5 || fail "Space did not stop the replay"
menus=$(log_count "viewports in mode 0")
tap Escape
wait_for_count "viewports in mode 0" $((menus + 1)) 5 || fail "Escape did not lead back to the menu"
cmp -s "$E2E_BEST/00_straight_run.kivom.data" "$E2E_WORK/top5.before" ||
    fail "watching the replay changed the best times"
e2e_quit_game
e2e_finish

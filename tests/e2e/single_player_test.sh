#!/usr/bin/env bash
# A single-player round played as a person would: the main menu appears, the straight run is
# chosen, a name typed and the round started; W rolls the ball to the finish, with a stop in the
# in-game dialog on the way (the clock must not run meanwhile); the winner text with the new
# highscore appears; back in the menu the best times list the new entry.
source "$(dirname "$0")/e2e_lib.sh"

PAUSE_SECONDS=5

e2e_prepare_game
e2e_start_game
shot main_menu
[[ $(log_count "page") -eq 0 ]] || fail "a page switch happened without a click"

click "${SP_MAP_DROPDOWN[@]}"
click 606 187
type_into "${SP_NAME[@]}" "Tester"
shot setup_filled

started=$(date +%s.%N)
click "${PAGE_START[@]}"
wait_for_log 'Menu: round started on "00_straight_run.kivom" with 1 players' 10 ||
    fail "the round did not start"
grep -q "Menu: viewports in mode 1" "$E2E_LOG" || fail "no full-window viewport"

xdotool keydown w
sleep 1.5
shot single_mid_play

# The in-game dialog stops the round: the ball and the clock wait.
xdotool keyup w
tap Escape
wait_for_log "Menu: in-game dialog opened" 5 || fail "Escape did not open the in-game dialog"
sleep 0.5
shot ingame_dialog
sleep "$PAUSE_SECONDS"
click 512 290 # Continue
sleep 0.3
xdotool keydown w
if wait_for_log "Menu: winner:" 40; then
    finished=$(date +%s.%N)
else
    fail "the ball never reached the finish"
    finished=$(date +%s.%N)
fi
xdotool keyup w
sleep 1
shot winner

grep -q "Menu: winner: Tester" "$E2E_LOG" || fail "the winner line does not name Tester"
grep -A2 "Menu: winner:" "$E2E_LOG" | grep -q "won the game in: 00:[0-5][0-9]:[0-9][0-9][0-9]" ||
    fail "no winning time in mm:ss:mmm"
grep -A2 "Menu: winner:" "$E2E_LOG" | grep -q "New highscore! Your place: #1" ||
    fail "no highscore line for place 1"

[[ $(top5_value name1) == "Tester" ]] || fail "Top5 place 1 is '$(top5_value name1)', not Tester"
best=$(top5_value time1)
wall=$(echo "$finished - $started" | bc)
echo "winning time ${best}s, wall time from Start to the finish ${wall}s"
if [[ -z "$best" ]] || (($(echo "$best + $PAUSE_SECONDS - 1 > $wall" | bc))); then
    fail "the clock ran while the in-game dialog was open (time $best s, wall $wall s)"
fi

# Restart from the end-of-round buttons: a second run to the finish takes the next place.
click 300 461 # Restart
wait_for_log "Menu: round restarted" 5 || fail "Restart did not restart the round"
hold_until_won w 2 || fail "the restarted round never finished"
[[ "$(top5_value name2)" == "Tester" || "$(top5_value name1)" == "Tester" ]] ||
    fail "the restarted round did not enter the list"
[[ -n "$(top5_value time2)" && "$(top5_value time2)" != "0" ]] || fail "no second time in Top5"

click "${HUD_BACK_TO_MENU[@]}"
sleep 1
shot back_in_menu
grep 'Menu: best times of "00_straight_run.kivom"' "$E2E_LOG" | tail -1 |
    grep -q -F "1. Tester ($(top5_value time1)s)" || fail "the best times shown do not start with Tester"
[[ $(log_count "viewports in mode 0") -ge 2 ]] || fail "the viewports were not put away"
grep -q 'Menu: message' "$E2E_LOG" && fail "an unexpected message box appeared"

e2e_quit_game
e2e_finish

#!/usr/bin/env bash
# Split-screen rounds: two players one above the other race to the finish (W and the Up arrow),
# then a vertical split, then four players in four quarters; each round shows its viewports.
source "$(dirname "$0")/e2e_lib.sh"

# A round of $1 players in viewport mode $2, the keys after $4 held until the $3-th winner of
# the script, screenshots named $4 and $4_winner; then back to the menu.
race() {
    local players=$1 mode=$2 winners=$3 name=$4 key
    shift 4
    click "${PAGE_START[@]}"
    wait_for_log "Menu: round started on \"00_straight_run.kivom\" with $players players" 10 ||
        fail "the $players-player round did not start"
    grep -q "Menu: viewports in mode $mode" "$E2E_LOG" || fail "no viewports in mode $mode"
    for key; do xdotool keydown "$key"; done
    sleep 1.5
    shot "$name"
    wait_for_count "winner:" "$winners" 40 || fail "nobody reached the finish with $players players"
    for key; do xdotool keyup "$key"; done
    sleep 1
    shot "${name}_winner"
    click "${HUD_BACK_TO_MENU[@]}"
    sleep 1
}

e2e_prepare_game
e2e_start_game

click "${MENU_MULTIPLAYER[@]}"
wait_for_log "Menu: page Multiplayer" 5 || fail "the multiplayer page did not open"
click "${MP_SPLIT_HORIZONTALLY[@]}"
shot multiplayer_page

race 2 2 1 split_horizontal w Up # one above the other
grep -A1 "Menu: winner:" "$E2E_LOG" | grep -q "won the game in:" || fail "no winner text"

# Two players side by side: start and leave through the in-game dialog.
click "${MP_SPLIT_VERTICALLY[@]}"
click "${PAGE_START[@]}"
wait_for_log "Menu: viewports in mode 3" 10 || fail "no vertical split"
xdotool keydown w keydown Up
sleep 1.5
xdotool keyup w keyup Up
shot split_vertical
tap Escape
wait_for_log "Menu: in-game dialog opened" 5 || fail "Escape did not open the dialog"
click 512 431 # Back to the menu
sleep 1
[[ $(log_count "viewports in mode 0") -ge 3 ]] || fail "the dialog did not lead back to the menu"

click "${MP_RADIO4[@]}"
race 4 4 2 four_players w Up u KP_8

# Back in the menu, the list holds the winners of both finished rounds.
[[ "$(top5_value name1)" == Player* ]] || fail "Top5 place 1 is '$(top5_value name1)'"
[[ "$(top5_value name2)" == Player* ]] || fail "Top5 place 2 is '$(top5_value name2)'"

# After split rounds, a single-player round has the whole window again.
click "${MENU_SINGLEPLAYER[@]}"
click "${PAGE_START[@]}"
wait_for_log 'with 1 players' 10 || fail "the single-player round after the splits did not start"
[[ "$(grep "Menu: viewports in mode" "$E2E_LOG" | tail -1)" == *"mode 1" ]] ||
    fail "the single-player round did not use one full viewport"
sleep 1
shot single_after_split
tap Escape
wait_for_count "in-game dialog opened" 2 5 || fail "the dialog did not open in the last round"
click 512 431 # Back to the menu
sleep 1

e2e_quit_game
e2e_finish

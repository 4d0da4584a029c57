#!/usr/bin/env bash
# A single-player round steered with a joystick: the player chooses the joystick on the input
# settings page (the game tries it there), starts the straight run, and the joystick's hat rolls
# the ball to the finish; its button 0 opens the in-game dialog on the way.
#
# SDL keeps virtual joysticks inside the process that attaches them, so no helper process can hold
# one for the game: the test build kivo_vjoy attaches it inside the game and follows the control
# file named by KIVO_VJOY_CONTROL ("hat button0").
source "$(dirname "$0")/e2e_lib.sh"

SETTINGS_PLAYER1_JOYSTICK=(420 247)
HAT_UP=1

e2e_prepare_game
cp "$E2E_RUN/kivo_vjoy" "$E2E_GAME/kivo"
export KIVO_VJOY_CONTROL=$E2E_WORK/joystick
pad() { echo "$1 $2" >"$KIVO_VJOY_CONTROL.new" && mv "$KIVO_VJOY_CONTROL.new" "$KIVO_VJOY_CONTROL"; }
pad 0 0
e2e_start_game
grep -q "virtual joystick attached" "$E2E_WORK/kivo.out" || fail "the test build attached no joystick"

click "${MENU_SETTINGS[@]}"
click "${SETTINGS_INPUT1[@]}"
click "${SETTINGS_PLAYER1_JOYSTICK[@]}"
sleep 0.5
shot joystick_chosen
grep -q "Sorry, I was unable to detect a Joystick" "$E2E_LOG" &&
    fail "the joystick was not found on the settings page"

click "${MENU_SINGLEPLAYER[@]}"
click "${SP_MAP_DROPDOWN[@]}"
click 606 187
click "${PAGE_START[@]}"
wait_for_log 'Menu: round started on "00_straight_run.kivom" with 1 players' 10 ||
    fail "the round did not start"
grep -q "Menu: player 1 steers with Joystick" "$E2E_LOG" ||
    fail "player 1 does not steer with the joystick"

pad $HAT_UP 0
sleep 1.5
shot joystick_mid_play
pad 0 1 # button 0: the in-game dialog
wait_for_log "Menu: in-game dialog opened" 5 || fail "button 0 did not open the in-game dialog"
pad 0 0
sleep 0.5
click 512 290 # Continue
pad $HAT_UP 0
wait_for_log "Menu: winner:" 40 || fail "the joystick never brought the ball to the finish"
pad 0 0
sleep 1
shot joystick_winner

click "${HUD_BACK_TO_MENU[@]}"
sleep 1
e2e_quit_game
e2e_finish

#!/usr/bin/env bash
# Rebinding a key on the settings page: a key already in use is refused, a free one is taken,
# saved to "./input.cfg" with its message box, and steers the ball in the next round. The video
# settings page saves "ogre.cfg" with its message.
source "$(dirname "$0")/e2e_lib.sh"

KC_T=20 # OIS key code of T
KC_W=17

e2e_prepare_game
e2e_start_game
[[ -f "$E2E_CONFIG/input.cfg" ]] || fail "the menu did not create input.cfg"

click "${MENU_SETTINGS[@]}"
shot settings_video
click 879 684 # Save on the video page
wait_for_log 'Menu: message "Videosettings saved"' 5 || fail "no video settings message"
shot video_saved
grep -q "^Render System=OpenGL Rendering Subsystem" "$E2E_CONFIG/ogre.cfg" ||
    fail "ogre.cfg does not name the render system"
grep -q "^Video Mode=" "$E2E_CONFIG/ogre.cfg" || fail "ogre.cfg lost the video mode"
click 512 476 # OK

click "${SETTINGS_INPUT1[@]}"
shot settings_input1
click 531 302 # player 1's Forward field
tap Up         # player 2's Forward key: refused
sleep 0.5
shot key_refused
click 531 302
tap t
sleep 0.5
shot key_taken
click 879 684 # Save
wait_for_log 'Menu: message "Inputsettings saved"' 5 || fail "no input settings message"
shot input_saved
forward=$(sed -n '/^\[Player1\]/,/^\[/s/^Forward=//p' "$E2E_CONFIG/input.cfg" | tr -d '\r')
[[ "$forward" == "$KC_T" ]] || fail "Player1 Forward in input.cfg is '$forward', not $KC_T"
click 512 476 # OK

click "${SETTINGS_INPUT2[@]}"
shot settings_input2

# The next round steers with T: W does nothing any more.
click "${MENU_SINGLEPLAYER[@]}"
click "${PAGE_START[@]}"
wait_for_log "Menu: round started" 10 || fail "the round did not start"
# Held longer than a whole run takes with a working forward key (about 5 s on this course), so
# a W that still steered would have reached the finish.
xdotool keydown w
sleep 8
xdotool keyup w
if grep -q "Menu: winner:" "$E2E_LOG"; then
    fail "the old forward key W still steers"
fi
hold_until_won t || fail "the new forward key T did not bring the ball to the finish"
click "${HUD_BACK_TO_MENU[@]}"
sleep 1
[[ "$(top5_value name1)" == "Player" ]] || fail "no highscore from the round steered with T"

e2e_quit_game
grep -q "^Forward=$KC_W" "$E2E_CONFIG/input.cfg" && fail "W is still stored as a forward key"
e2e_finish

#!/usr/bin/env bash
# A player with a non-ASCII name wins on a map with a non-ASCII file name: the name shows on the
# HUD and in the winner text, and the best time is stored under it byte for byte.
source "$(dirname "$0")/e2e_lib.sh"

NAME="Renée Łukasz"
E2E_TYPE_DELAY=250
MAP="straße über.kivom"

e2e_prepare_game
mv "$E2E_GAME/data/maps/00_straight_run.kivom" "$E2E_GAME/data/maps/$MAP"
rm -f "$E2E_GAME/data/maps/00_straight_run.kivom.data"
e2e_start_game

# The only map is chosen already; type the name.
type_into "${SP_NAME[@]}" "$NAME"
shot setup_filled
click "${PAGE_START[@]}"
wait_for_log "Menu: round started on \"$MAP\" with 1 players" 10 ||
    fail "the round on \"$MAP\" did not start"
sleep 1
shot hud_name
hold_until_won w || fail "the ball never reached the finish"
shot winner

grep -q -F "Menu: winner: $NAME" "$E2E_LOG" || fail "the winner line does not name $NAME"
stored=$(sed -n "s/^name1=//p" "$E2E_BEST/$MAP.data" | tr -d '\r')
[[ "$stored" == "$NAME" ]] || fail "the best time is stored under '$stored', not '$NAME'"
{ ls "$E2E_GAME/data/maps"; ls "$E2E_BEST"; } | grep -v -x -F -e "$MAP" -e "$MAP.data" |
    grep -v -F -e "$MAP.data.run-" &&
    fail "a stray file appeared beside the map or its best times"

click "${HUD_BACK_TO_MENU[@]}"
sleep 1
shot best_times
grep "Menu: best times of \"$MAP\"" "$E2E_LOG" | tail -1 | grep -q -F "1. $NAME (" ||
    fail "the best times shown do not start with $NAME"
grep -q 'Menu: message' "$E2E_LOG" && fail "an unexpected message box appeared"

e2e_quit_game
e2e_finish

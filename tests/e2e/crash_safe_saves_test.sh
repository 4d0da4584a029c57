#!/usr/bin/env bash
# Saves survive a crash: the game is killed with SIGKILL 50 times while it writes the highscores,
# the key bindings or the video settings again and again: at random moments, and (every other
# kill) the moment a write has begun. Every file is
# then its old or its new content, never a part of one, and the temporary files of killed writes
# are gone once the game has started again.
# Fifty starts take longer than the usual whole-program test.
E2E_TIME_LIMIT=880
source "$(dirname "$0")/e2e_lib.sh"

KILLS=${KIVO_CRASH_KILLS:-50} # fewer while working on the test
SAVE=(879 684)      # Save on the settings pages
MESSAGE_OK=(512 476)
MAP=loop.kivom
DATA=$E2E_BEST/$MAP.data

e2e_prepare_game
# A course whose start boxes are finish boxes too: every round is won as soon as the ball lands,
# and each win writes the companion file.
rm -f "$E2E_GAME"/data/maps/00_straight_run.*
{
    cat "$E2E_RUN/data/maps/00_straight_run.kivom"
    echo "finishpoint=start1"
} >"$E2E_GAME/data/maps/$MAP"

# Large files take long enough to write that some kills land inside a write.
padding() {
    echo "[Notes]"
    seq 1 20000 | sed 's/^/note&=padding that makes the file take a while to write /'
}

temporary_files() {
    find "$E2E_CONFIG" "$E2E_BEST" -maxdepth 1 -name '*.tmp??????' | wc -l
}

# The first run makes the files; its saves give the content every later save writes again.
e2e_start_game
click "${MENU_SETTINGS[@]}"
click "${SAVE[@]}"
click "${MESSAGE_OK[@]}"
e2e_quit_game
padding >>"$E2E_CONFIG/input.cfg"
padding >>"$DATA"
cp "$E2E_CONFIG/input.cfg" "$E2E_WORK/input.reference"
cp "$E2E_CONFIG/ogre.cfg" "$E2E_WORK/ogre.reference"
last_note=$(tail -n 1 "$DATA")

check_files() {
    cmp -s "$E2E_CONFIG/input.cfg" "$E2E_WORK/input.reference" || fail "$1: input.cfg is damaged"
    cmp -s "$E2E_CONFIG/ogre.cfg" "$E2E_WORK/ogre.reference" || fail "$1: ogre.cfg is damaged"
    [[ "$(tail -n 1 "$DATA")" == "$last_note" ]] || fail "$1: the companion file lost its end"
    (($(grep -c '^time[1-5]=' "$DATA") == 5)) || fail "$1: the companion file lost highscores"
}

# Opens the page whose saves a run repeats: 0 video settings, 1 key bindings, 2 highscores.
open_page() {
    case $1 in
    0) xdotool mousemove "${MENU_SETTINGS[@]}" click 1 ;;
    1) xdotool mousemove "${MENU_SETTINGS[@]}" click 1 sleep 0.3 \
        mousemove "${SETTINGS_INPUT1[@]}" click 1 ;;
    2) xdotool mousemove "${MENU_SINGLEPLAYER[@]}" click 1 ;;
    esac
    sleep 0.3
}

# Saves again and again: Save and the message's OK in one go, or a round won and left.
writer_loop() {
    while :; do
        if (($1 == 2)); then
            xdotool mousemove "${PAGE_START[@]}" click 1
            sleep 1
            xdotool mousemove "${HUD_BACK_TO_MENU[@]}" click 1
            sleep 0.1
        else
            xdotool mousemove "${SAVE[@]}" click 1 mousemove "${MESSAGE_OK[@]}" click 1
            sleep 0.02
        fi
    done
}

# The log of a killed game still says its loop started: each start waits for a fresh one.
restart_game() {
    rm -f "$E2E_LOG"
    e2e_start_game
}

interrupted=0
writes=0
for ((kill = 1; kill <= KILLS; kill++)); do
    restart_game
    left=$(temporary_files)
    ((left == 0)) || fail "start $kill: $left temporary files were not cleaned"
    open_page $((kill % 3))
    writer_loop $((kill % 3)) &
    writer=$!
    if ((kill % 2)); then
        sleep "$(awk -v s="$RANDOM" 'BEGIN { srand(s); printf "%.2f", 0.5 + 2 * rand() }')"
    else
        # Every other kill lands inside a write: as soon as a temporary file shows.
        deadline=$((SECONDS + 4))
        until ((SECONDS >= deadline)) || compgen -G "$E2E_CONFIG/*.tmp??????" >/dev/null ||
            compgen -G "$E2E_BEST/*.tmp??????" >/dev/null; do :; done
    fi
    kill -9 "$E2E_PID"
    wait "$E2E_PID" 2>/dev/null
    E2E_PID=
    kill "$writer"
    wait "$writer" 2>/dev/null
    (($(temporary_files) > 0)) && interrupted=$((interrupted + 1))
    writes=$((writes + $(grep -c -e 'settings saved"' -e 'Menu: winner' "$E2E_LOG")))
    check_files "kill $kill"
done
echo "$KILLS kills after $writes finished saves; $interrupted kills left a half-written file"
echo "best times now: $(grep '^time' "$DATA" | tr '\n' ' ')"
(($(grep -c '^time[1-5]=0$' "$DATA") < 5)) || fail "no round was won and stored"

restart_game
(($(temporary_files) == 0)) || fail "the last start left temporary files"
check_files "last start"
e2e_quit_game
e2e_finish

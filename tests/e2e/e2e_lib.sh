# Shared by the whole-game scripts: a private copy of the staged game under its own Xvfb display,
# driven only with xdotool, observed through files, the Ogre log and screenshots.
#
# A script sources this file first; it re-runs the script under xvfb-run. Screenshots are kept in
# $KIVO_E2E_SHOTS when that is set, else they go with the temporary folder.

set -u

# A script that needs more than ten minutes sets E2E_TIME_LIMIT (seconds) before sourcing it.
if [[ -z "${KIVO_E2E_DISPLAY_READY:-}" ]]; then
    export KIVO_E2E_DISPLAY_READY=1
    exec timeout -k 10 "${E2E_TIME_LIMIT:-600}" xvfb-run -a -n "$((100 + RANDOM % 3000))" -s "${E2E_XVFB_ARGS:--screen 0 1024x768x24}" bash "$0" "$@"
fi

E2E_RUN=${KIVO_RUN_DIR:?the staged game folder}
E2E_WORK=$(mktemp -d /tmp/kivo-e2e-XXXXXX)
E2E_GAME=$E2E_WORK/game
E2E_SHOTS=${KIVO_E2E_SHOTS:-$E2E_WORK/shots}
E2E_PID=
E2E_FAILURES=0
mkdir -p "$E2E_SHOTS"

# The player's own folders (XDG base directories), fresh for every script: settings, best
# times and the game's log land there, never in the real user's home.
e2e_user_folders() { # home folder
    echo "XDG_CONFIG_HOME=$1/.config XDG_DATA_HOME=$1/.local/share XDG_STATE_HOME=$1/.local/state"
}
export $(e2e_user_folders "$E2E_WORK/home")
E2E_CONFIG=$XDG_CONFIG_HOME/kivo
E2E_BEST=$XDG_DATA_HOME/kivo/maps
E2E_LOG=$XDG_STATE_HOME/kivo/Ogre.log

e2e_cleanup() {
    if [[ -n "$E2E_PID" ]] && kill -0 "$E2E_PID" 2>/dev/null; then
        kill "$E2E_PID" 2>/dev/null
        sleep 1
        kill -9 "$E2E_PID" 2>/dev/null
    fi
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*"
    E2E_FAILURES=$((E2E_FAILURES + 1))
}

# The game folder: program and configuration copied, the read-only data linked, the maps copied.
e2e_prepare_game() {
    mkdir -p "$E2E_GAME/data"
    cp "$E2E_RUN/kivo" "$E2E_RUN/plugins.cfg" "$E2E_RUN/resources.cfg" "$E2E_GAME/"
    local entry
    for entry in "$E2E_RUN"/data/*; do
        [[ "$(basename "$entry")" == maps ]] && continue
        ln -s "$entry" "$E2E_GAME/data/$(basename "$entry")"
    done
    mkdir -p "$E2E_GAME/data/maps"
    cp "$E2E_RUN"/data/maps/00_straight_run.kivom "$E2E_GAME/data/maps/"
    cp "$E2E_RUN"/data/maps/00_straight_run.kivom.data "$E2E_GAME/data/maps/" 2>/dev/null || true
}

# Starts the game and waits for its main menu (at most 60 s).
e2e_start_game() {
    (cd "$E2E_GAME" && exec ./kivo >"$E2E_WORK/kivo.out" 2>&1) &
    E2E_PID=$!
    local waited=0
    # The menu is built before the loop starts; clicks count once the frame loop runs.
    until grep -q "Frame loop started" "$E2E_LOG" 2>/dev/null; do
        sleep 0.5
        waited=$((waited + 1))
        if ((waited > 120)) || ! kill -0 "$E2E_PID" 2>/dev/null; then
            echo "the game did not show its menu; last output:"
            tail -5 "$E2E_WORK/kivo.out"
            exit 1
        fi
    done
    sleep 1.5 # the first menu frames
}

# Quits through the main menu's Quit button and waits for the process to end.
e2e_quit_game() {
    click 133 509
    local waited=0
    while kill -0 "$E2E_PID" 2>/dev/null && ((waited < 20)); do
        sleep 0.5
        waited=$((waited + 1))
    done
    kill -0 "$E2E_PID" 2>/dev/null && fail "the Quit button did not end the game"
    wait "$E2E_PID" 2>/dev/null || fail "the game ended with status $? after Quit"
    E2E_PID=
}

click() {
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool click 1
    sleep 0.5
}

shot() {
    import -window root "$E2E_SHOTS/$1.png"
}

# A key held long enough for the game's once-a-frame look at the keyboard to see it.
tap() {
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
}

# The number of "Menu: <text>" lines in the Ogre log.
log_count() {
    grep -c -F -- "Menu: $1" "$E2E_LOG"
}

# Waits up to $1 seconds until the command after it succeeds; false if it never did.
e2e_poll() {
    local limit=$1 waited=0
    shift
    until "$@"; do
        sleep 0.5
        waited=$((waited + 1))
        ((waited > limit * 2)) && return 1
    done
    return 0
}

# Waits up to $2 seconds for a line in the Ogre log (or in the log file $3).
wait_for_log() { e2e_poll "$2" grep -q -F -- "$1" "${3:-$E2E_LOG}" 2>/dev/null; }

# Waits up to $3 seconds until "Menu: $1" stands at least $2 times in the Ogre log.
wait_for_count() { e2e_poll "$3" count_reached "$1" "$2"; }
count_reached() { (($(log_count "$1") >= $2)); }

# Holds a key until the game shows its $2-th winner (default 1) and lets go; false after 40 s.
hold_until_won() {
    xdotool keydown "$1"
    wait_for_count "winner:" "${2:-1}" 40
    local won=$?
    xdotool keyup "$1"
    sleep 1
    return $won
}

# Replaces the text of an edit box with new text.
type_into() {
    click "$1" "$2"
    xdotool key End
    local i
    for i in $(seq 1 24); do xdotool key BackSpace; done
    # A character the keymap lacks is typed through a key that xdotool remaps for it; the game
    # must see the new mapping before the key, so such text goes slower (E2E_TYPE_DELAY, in ms).
    xdotool type --delay "${E2E_TYPE_DELAY:-60}" "$3"
    sleep 0.3
}

# A value of the straight run's best-times file.
top5_value() {
    sed -n "s/^$1=//p" "$E2E_BEST/00_straight_run.kivom.data" | tr -d '\r'
}

e2e_finish() {
    if ((E2E_FAILURES > 0)); then
        echo "$E2E_FAILURES check(s) failed; the game's log ends with:"
        grep "Menu:" "$E2E_LOG" | tail -15
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

# Positions at 1024x768 (centres of windows of the layouts).
MENU_SINGLEPLAYER=(133 209)
MENU_MULTIPLAYER=(133 275)
MENU_SETTINGS=(133 405)
SP_MAP_DROPDOWN=(606 153)
SP_NAME=(606 211)
PAGE_START=(871 666)
MP_RADIO4=(664 211)
MP_SPLIT_HORIZONTALLY=(535 259)
MP_SPLIT_VERTICALLY=(750 259)
HUD_BACK_TO_MENU=(512 461)
SETTINGS_INPUT1=(620 132)
SETTINGS_INPUT2=(857 132)

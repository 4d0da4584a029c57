# Shared by the editor's whole-program scripts: a private game folder under Xvfb, the real
# kivo-editor started in it, and xdotool helpers. Source it after setting WORK_NAME (the
# temporary folder's prefix) and EDITOR_TIMEOUT (seconds); then call start_editor.
if [[ -z "${KIVO_EDITOR_DISPLAY:-}" ]]; then
    export KIVO_EDITOR_DISPLAY=1
    exec timeout -k 10 "$EDITOR_TIMEOUT" xvfb-run -a -n "$((100 + RANDOM % 3000))" -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

RUN=${KIVO_RUN_DIR:?the staged game folder}
WORK=$(mktemp -d "/tmp/$WORK_NAME-XXXXXX")
SHOTS=${KIVO_E2E_SHOTS:-$WORK/shots}
PID=
GAME=
mkdir -p "$SHOTS" "$WORK/game/data/maps"
# The user's own folders (settings, maps, best times, logs), fresh for every script.
export XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share XDG_STATE_HOME=$WORK/home/.local/state
GAME_LOG=$XDG_STATE_HOME/kivo/Ogre.log

cleanup() {
    [[ -n "$GAME" ]] && kill "$GAME" 2>/dev/null
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
# A failed check ends the programs at once (through the trap) and says why.
fail() {
    echo "FAIL: $*"
    tail -5 "$WORK/editor.out"
    exit 1
}
click() { xdotool mousemove "$1" "$2" sleep 0.3 click "${3:-1}" sleep 0.5; }
# A click in the view with Ctrl held adds the box to the selection (or takes it out).
ctrl_click() { xdotool mousemove "$1" "$2" sleep 0.3 keydown ctrl click 1 keyup ctrl sleep 0.5; }
key() { xdotool key "$@" sleep 0.7; }
type_into() {
    click "$1" "$2"
    key ctrl+a BackSpace
    xdotool type --delay 40 -- "$3"
    sleep 0.3
}
# Waits up to $1 seconds for the command after it to succeed.
wait_until() {
    local tries=$(($1 * 2))
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.5
    done
    return 1
}
shot() { import -window root "$SHOTS/$1.png"; }
# Types a path into the file dialog that the keys open. Without a window manager the main
# window does not get the keyboard back by itself when the dialog closes.
file_dialog() {
    key "$1"
    sleep 1
    xdotool type --delay 20 "$2"
    key Return
    sleep 1
    xdotool windowfocus --sync "$WINDOW"
}
title() { xdotool getwindowname "$WINDOW"; }
# The window titled like the editor's messages (a warning, a question, an offer), focused.
dialog_shown() {
    DIALOG=$(xdotool search --onlyvisible --name '^KIVO Editor$' 2>/dev/null | head -1)
    [[ -n "$DIALOG" ]] && xdotool windowfocus --sync "$DIALOG"
}
editor_ended() { ! kill -0 "$PID" 2>/dev/null; }

# The game folder (programs and configuration copied, read-only data linked, maps copied), then
# the editor started there; WINDOW is its main window, focused.
start_editor() {
    cd "$WORK/game" || exit 1
    cp "$RUN/kivo" "$RUN/kivo-editor" "$RUN/plugins.cfg" "$RUN/resources.cfg" .
    for entry in "$RUN"/data/*; do
        [[ "$(basename "$entry")" == maps ]] || ln -s "$entry" "data/$(basename "$entry")"
    done
    cp "$RUN"/data/maps/* data/maps/
    mkdir -p "$XDG_CONFIG_HOME/kivo"
    printf 'Render System=OpenGL Rendering Subsystem\n\n[OpenGL Rendering Subsystem]\nFull Screen=No\nVideo Mode=1024 x 768\n' >"$XDG_CONFIG_HOME/kivo/ogre.cfg"

    ./kivo-editor >"$WORK/editor.out" 2>&1 &
    PID=$!
    editor_window() {
        kill -0 "$PID" 2>/dev/null || fail "the editor ended at start"
        WINDOW=$(xdotool search --name '^KIVOEditor' 2>/dev/null | head -1)
        [[ -n "$WINDOW" ]]
    }
    wait_until 30 editor_window || fail "no editor window"
    sleep 3
    xdotool windowfocus --sync "$WINDOW"
}

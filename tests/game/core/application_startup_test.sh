#!/usr/bin/env bash
# Start-up of the real game binary: first start without ogre.cfg, a bad ogre.cfg on a machine
# without sound, and clean failures (message naming the file, non-zero exit, never an abort or a
# hang) when a needed file is missing.
set -u
run=${KIVO_RUN_DIR:?}
src=${KIVO_SOURCE_DIR:?}
work=$(mktemp -d /tmp/kivo-startup-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
xrun() { timeout -k 5 90 xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }

# The player's own folders, fresh for every case.
export XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share XDG_STATE_HOME=$work/home/.local/state
LOG=$XDG_STATE_HOME/kivo/Ogre.log
CFG=$XDG_CONFIG_HOME/kivo/ogre.cfg

fresh_game() { # a private game folder: program and configuration copied, data linked
    rm -rf "$work/g" "$work/home" && mkdir "$work/g"
    cp "$run/kivo" "$run/plugins.cfg" "$run/resources.cfg" "$work/g/"
    ln -s "$run/data" "$work/g/data"
}

expect_clean_failure() { # name, text the error must contain
    local name=$1 needle=$2 code
    (cd "$work/g" && xrun ./kivo >"$work/out" 2>"$work/err")
    code=$?
    if [[ $code -eq 0 || $code -eq 124 || $code -ge 128 ]]; then
        fail "$name: exit code $code (expected a clean non-zero exit)"
    fi
    grep -q -- "$needle" "$work/err" || fail "$name: standard error does not name $needle: $(tail -3 "$work/err")"
}

# 1. Missing plugins.cfg / resources.cfg.
fresh_game; rm "$work/g/plugins.cfg"
expect_clean_failure "missing plugins.cfg" "plugins.cfg"
fresh_game; rm "$work/g/resources.cfg"
expect_clean_failure "missing resources.cfg" "resources.cfg"

# 2. A data file the loading screen needs is missing: reported on stderr and in Ogre.log.
fresh_game; rm "$work/g/data" && cp -r "$run/data" "$work/g/data"
rm "$work/g/data/gui/LoadingScreen.imageset"
expect_clean_failure "missing imageset" "LoadingScreen.imageset"
grep -q "LoadingScreen.imageset" "$LOG" || fail "missing imageset: not in Ogre.log"

# 3. No display at all.
fresh_game
(cd "$work/g" && env -u DISPLAY timeout -k 5 60 ./kivo >"$work/out" 2>"$work/err")
code=$?
[[ $code -ne 0 && $code -ne 124 && $code -lt 128 ]] || fail "no display: exit code $code"
[[ -s "$work/err" ]] || fail "no display: nothing said on standard error"
out=$(cd "$src" && env -u DISPLAY tools/play.sh 2>&1)
[[ $? -ne 0 && "$out" == *"xvfb-run"* ]] || fail "play command without a display: $out"

run_until_frame_loop() { # starts the game, waits for its frame loop, stops it politely
    rm -f "$LOG"
    (cd "$work/g" && "$@" bash -c "echo \$\$ > $work/kivo.pid; exec ./kivo" >"$work/out" 2>"$work/err") &
    local pid=$!
    for _ in $(seq 1 120); do
        grep -q "Frame loop started" "$LOG" 2>/dev/null && break
        sleep 0.5
    done
    grep -q "Frame loop started" "$LOG" 2>/dev/null || fail "$name: the frame loop never started: $(tail -3 "$work/err")"
    kill -TERM "$(cat "$work/kivo.pid")" 2>/dev/null
    wait $pid
}

# 4. First start without ogre.cfg: the first render system is chosen and saved, no dialog;
#    the game runs until it is asked to stop, then ends cleanly.
fresh_game; name="first start"
run_until_frame_loop xrun
code=$?
grep -q "Render System=OpenGL Rendering Subsystem" "$CFG" 2>/dev/null || fail "first start: ogre.cfg not written"
[[ "$(cd "$work/g" && ls)" == "$(printf 'data\nkivo\nplugins.cfg\nresources.cfg')" ]] ||
    fail "first start: the game wrote into its own folder: $(ls "$work/g")"
[[ $code -eq 0 ]] || fail "first start: exit code $code after a polite stop; stderr: $(tail -3 "$work/err")"

# 5. On a machine without sound, from an ogre.cfg naming a render system that is not installed
#    and holding bad values for the one that is: the game says so and starts on the installed
#    system with its defaults, leaves the player's file alone, and standard error holds only the
#    game's own lines (no ALSA or OpenAL chatter).
fresh_game; name="bad ogre.cfg"
mkdir -p "$(dirname "$CFG")"
printf 'Render System=Direct3D9 Rendering Subsystem\n\n[Direct3D9 Rendering Subsystem]\nVideo Mode=800 x 600 @ 32-bit colour\n\n[OpenGL Rendering Subsystem]\nVideo Mode=garbage\nFSAA=xyz\n' >"$CFG"
cp "$CFG" "$work/expected.cfg"
run_until_frame_loop env -u ALSOFT_DRIVERS timeout -k 5 90 xvfb-run -a -s "-screen 0 1024x768x24"
grep -q 'Direct3D9 Rendering Subsystem", which is not installed' "$work/err" || fail "$name: the unknown render system was not reported"
grep -q 'ogre.cfg: "Video Mode=garbage" is not offered' "$work/err" || fail "$name: the bad video mode was not reported"
cmp -s "$CFG" "$work/expected.cfg" || fail "$name: the player's ogre.cfg was rewritten"
others=$(grep -v '^KIVO: \|^Sound: ' "$work/err")
[[ -z "$others" ]] || fail "$name: standard error holds more than the game's own lines: $others"
[[ $(grep -c '^Sound: ' "$work/err") -le 1 ]] || fail "$name: the no-sound notice is more than one line"

# 6. Moving in: the settings and best times that an older version kept beside the program are
#    copied into the player's folders on the first start, with a log line, never over a file the
#    player has; the old files stay as they were, and a later start copies nothing again.
fresh_game; name="moving in"
rm "$work/g/data" && mkdir -p "$work/g/data/maps"
for entry in "$run"/data/*; do
    [[ "$(basename "$entry")" == maps ]] || ln -s "$entry" "$work/g/data/"
done
cp "$run"/data/maps/00_straight_run.kivom "$run"/data/maps/01_first_steps.kivom* "$work/g/data/maps/"
printf '[Mapinfo]\nDescription=Old run\n[Top5]\nname1=Ann\ntime1=12.5\n' >"$work/g/data/maps/00_straight_run.kivom.data"
printf 'Render System=OpenGL Rendering Subsystem\n\n[OpenGL Rendering Subsystem]\nFull Screen=No\nVideo Mode=1024 x 768\n' >"$work/g/ogre.cfg"
printf '[Player1]\nForward=20\n' >"$work/g/input.cfg"
cp "$work/g/data/maps/00_straight_run.kivom.data" "$work/g/data/maps/02_mine.kivom.data"
mkdir -p "$XDG_DATA_HOME/kivo/maps" && echo "mine" >"$XDG_DATA_HOME/kivo/maps/02_mine.kivom.data"
old_files=(ogre.cfg input.cfg data/maps/00_straight_run.kivom.data data/maps/01_first_steps.kivom.data)
tar -C "$work/g" -cf "$work/old.tar" "${old_files[@]}"
run_until_frame_loop xrun
cmp -s "$work/g/ogre.cfg" "$CFG" || fail "$name: ogre.cfg was not moved in"
grep -q "^Forward=20" "$XDG_CONFIG_HOME/kivo/input.cfg" 2>/dev/null || fail "$name: input.cfg was not moved in"
grep -q "^time1=12.5" "$XDG_DATA_HOME/kivo/maps/00_straight_run.kivom.data" 2>/dev/null || fail "$name: the best times were not moved in"
[[ -e "$XDG_DATA_HOME/kivo/maps/01_first_steps.kivom.data" ]] && fail "$name: a companion file without best times was copied"
[[ "$(cat "$XDG_DATA_HOME/kivo/maps/02_mine.kivom.data")" == mine ]] || fail "$name: the player's own file was overwritten"
tar -C "$work/g" -df "$work/old.tar" >/dev/null || fail "$name: old files were changed"
grep -q "Moving in: settings and best times now live in" "$LOG" || fail "$name: no log line"
printf '[Player1]\nForward=30\n' >"$work/g/input.cfg"
rm "$XDG_DATA_HOME/kivo/maps/00_straight_run.kivom.data"
run_until_frame_loop xrun
grep -q "^Forward=30" "$XDG_CONFIG_HOME/kivo/input.cfg" && fail "$name: moved in a second time"
[[ -e "$XDG_DATA_HOME/kivo/maps/00_straight_run.kivom.data" ]] && fail "$name: best times moved in a second time"
grep -q "Moving in" "$LOG" && fail "$name: the second start logged a move"

if ((failures)); then
    echo "$failures start-up check(s) failed"
    exit 1
fi
echo "all start-up checks passed"

#!/usr/bin/env bash
# Start-up of the real game binary: first start without ogre.cfg, and clean failures (message
# naming the file, non-zero exit, never an abort or a hang) when a needed file is missing.
set -u
run=${KIVO_RUN_DIR:?}
src=${KIVO_SOURCE_DIR:?}
work=$(mktemp -d /tmp/kivo-startup-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
xrun() { timeout -k 5 90 xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }

fresh_game() { # a private game folder: program and configuration copied, data linked
    rm -rf "$work/g" && mkdir "$work/g"
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
grep -q "LoadingScreen.imageset" "$work/g/Ogre.log" || fail "missing imageset: not in Ogre.log"

# 3. No display at all.
fresh_game
(cd "$work/g" && env -u DISPLAY timeout -k 5 60 ./kivo >"$work/out" 2>"$work/err")
code=$?
[[ $code -ne 0 && $code -ne 124 && $code -lt 128 ]] || fail "no display: exit code $code"
[[ -s "$work/err" ]] || fail "no display: nothing said on standard error"
out=$(cd "$src" && env -u DISPLAY tools/play.sh 2>&1)
[[ $? -ne 0 && "$out" == *"xvfb-run"* ]] || fail "play command without a display: $out"

# 4. First start without ogre.cfg: the first render system is chosen and saved, no dialog;
#    the game runs until it is asked to stop, then ends cleanly.
fresh_game
(cd "$work/g" && xrun bash -c 'echo $$ > kivo.pid; exec ./kivo' >"$work/out" 2>"$work/err") &
pid=$!
for _ in $(seq 1 120); do
    grep -q "Frame loop started" "$work/g/Ogre.log" 2>/dev/null && break
    sleep 0.5
done
grep -q "Frame loop started" "$work/g/Ogre.log" 2>/dev/null || fail "first start: the frame loop never started"
grep -q "Render System=OpenGL Rendering Subsystem" "$work/g/ogre.cfg" 2>/dev/null || fail "first start: ogre.cfg not written"
kill -TERM "$(cat "$work/g/kivo.pid")" 2>/dev/null
wait $pid
code=$?
[[ $code -eq 0 ]] || fail "first start: exit code $code after a polite stop; stderr: $(tail -3 "$work/err")"

# 5. A hand-edited ogre.cfg with values the render system does not offer: the game says so and
#    starts with the defaults for those options; the file is not thrown away.
fresh_game
printf 'Render System=OpenGL Rendering Subsystem\n\n[OpenGL Rendering Subsystem]\nVideo Mode=garbage\nFSAA=xyz\nVSync=Yes\n' >"$work/g/ogre.cfg"
(cd "$work/g" && xrun bash -c 'echo $$ > kivo.pid; exec ./kivo' >"$work/out" 2>"$work/err") &
pid=$!
for _ in $(seq 1 120); do
    grep -q "Frame loop started" "$work/g/Ogre.log" 2>/dev/null && break
    sleep 0.5
done
grep -q "Frame loop started" "$work/g/Ogre.log" 2>/dev/null || fail "bad ogre.cfg: the game did not start: $(grep -v ALSA "$work/err" | tail -3)"
grep -q 'ogre.cfg: "Video Mode=garbage"' "$work/err" || fail "bad ogre.cfg: the bad video mode was not reported"
kill -TERM "$(cat "$work/g/kivo.pid")" 2>/dev/null
wait $pid
grep -q "Video Mode=garbage" "$work/g/ogre.cfg" || fail "bad ogre.cfg: the file was rewritten behind the player's back"

if ((failures)); then
    echo "$failures start-up check(s) failed"
    exit 1
fi
echo "all start-up checks passed"

#!/usr/bin/env bash
# The game started on a machine without sound, from an ogre.cfg that names a render system that
# is not installed and holds bad values for the one that is: it starts on the installed system
# with its defaults for the bad values, leaves the player's file alone, and standard error holds
# only the game's own lines (no ALSA or OpenAL chatter).
set -u
run=${KIVO_RUN_DIR:?}
work=$(mktemp -d /tmp/kivo-quiet-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir "$work/g"
cp "$run/kivo" "$run/plugins.cfg" "$run/resources.cfg" "$work/g/"
ln -s "$run/data" "$work/g/data"
config='Render System=Direct3D9 Rendering Subsystem\n\n[Direct3D9 Rendering Subsystem]\nVideo Mode=800 x 600 @ 32-bit colour\n\n[OpenGL Rendering Subsystem]\nVideo Mode=garbage\nFSAA=xyz\n'
printf "$config" >"$work/g/ogre.cfg"
cp "$work/g/ogre.cfg" "$work/expected.cfg"

(cd "$work/g" && env -u ALSOFT_DRIVERS timeout -k 5 90 xvfb-run -a -s "-screen 0 1024x768x24" \
    bash -c 'echo $$ > kivo.pid; exec ./kivo' >"$work/out" 2>"$work/err") &
pid=$!
for _ in $(seq 1 120); do
    grep -q "Frame loop started" "$work/g/Ogre.log" 2>/dev/null && break
    sleep 0.5
done
grep -q "Frame loop started" "$work/g/Ogre.log" 2>/dev/null || fail "the game did not start: $(tail -3 "$work/err")"
kill -TERM "$(cat "$work/g/kivo.pid")" 2>/dev/null
wait $pid

grep -q 'Direct3D9 Rendering Subsystem", which is not installed' "$work/err" || fail "the unknown render system was not reported"
grep -q 'ogre.cfg: "Video Mode=garbage" is not offered' "$work/err" || fail "the bad video mode was not reported"
cmp -s "$work/g/ogre.cfg" "$work/expected.cfg" || fail "the player's ogre.cfg was rewritten"
others=$(grep -v '^KIVO: \|^Sound: ' "$work/err")
[[ -z "$others" ]] || fail "standard error holds more than the game's own lines: $others"
[[ $(grep -c '^Sound: ' "$work/err") -le 1 ]] || fail "the no-sound notice is more than one line"

if ((failures)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "quiet start checks passed"

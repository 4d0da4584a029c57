#!/usr/bin/env bash
# "cmake --install" into a temporary prefix: programs, data, menu entries, icons, AppStream data
# and manual pages, none naming the build folder, all accepted by their validators; the manual
# pages list the options of --help. Then, the prefix read-only, an ordinary user with a fresh home
# wins a round of the installed game: the best time lands in their data folder, the prefix stays.
# The display takes every local client: the player is not the test's user.
E2E_XVFB_ARGS="-ac -screen 0 1024x768x24"
source "$(dirname "$0")/e2e_lib.sh"

BUILD=${KIVO_BUILD_DIR:?the build folder}
PREFIX=$E2E_WORK/prefix
PLAYER_HOME=$E2E_WORK/player
trap 'chmod -R u+w "$PREFIX" 2>/dev/null; e2e_cleanup' EXIT

cmake --install "$BUILD" --prefix "$PREFIX" >"$E2E_WORK/install.out" 2>&1 ||
    { cat "$E2E_WORK/install.out"; echo "FAIL: cmake --install failed"; exit 1; }

for file in bin/kivo bin/kivo-editor share/kivo/plugins.cfg share/kivo/resources.cfg \
    share/kivo/maps/00_straight_run.kivom share/kivo/maps/00_straight_run.kivom.data \
    share/kivo/gui/Mainmenu.layout share/kivo/sounds/menu.wav share/kivo/textures/stone.png \
    share/applications/org.kivo.Kivo.desktop share/applications/org.kivo.KivoEditor.desktop \
    share/metainfo/org.kivo.Kivo.metainfo.xml share/man/man6/kivo.6 share/man/man6/kivo-editor.6; do
    [[ -s "$PREFIX/$file" ]] || fail "not installed: $file"
done
for size in 16 22 24 32 48 64 128 256; do
    for icon in kivo kivo-editor; do
        png=$PREFIX/share/icons/hicolor/${size}x${size}/apps/$icon.png
        [[ "$(identify -format %wx%h "$png" 2>/dev/null)" == "${size}x${size}" ]] ||
            fail "icon $icon is not ${size}x${size}: $png"
    done
done
grep -q "^FileSystem=$PREFIX/share/kivo/gui$" "$PREFIX/share/kivo/resources.cfg" ||
    fail "resources.cfg does not point at the installed data"
named=$(grep -rIl -e "$BUILD" -e "${KIVO_SOURCE_DIR:?}" "$PREFIX")
[[ -z "$named" ]] || fail "installed files name the build or source folder: $named"
leftover=$(find "$PREFIX/share/kivo/maps" -name '*.data' -exec grep -l '^time1=[1-9]' {} +)
[[ -z "$leftover" ]] || fail "shipped maps carry best times: $leftover"

desktop-file-validate "$PREFIX"/share/applications/*.desktop >"$E2E_WORK/desktop.out" 2>&1 ||
    fail "desktop-file-validate: $(cat "$E2E_WORK/desktop.out")"
appstreamcli validate --no-net "$PREFIX/share/metainfo/org.kivo.Kivo.metainfo.xml" \
    >"$E2E_WORK/appstream.out" 2>&1 || fail "appstreamcli validate: $(cat "$E2E_WORK/appstream.out")"
options() { grep -o -- '--[a-z][a-z-]*' | sort -u | tr '\n' ' '; }
for program in kivo kivo-editor; do
    page=$PREFIX/share/man/man6/$program.6
    text=$(LC_ALL=C MANWIDTH=100 man --warnings -l "$page" 2>"$E2E_WORK/man.err")
    [[ $? -eq 0 && ! -s "$E2E_WORK/man.err" && "$text" == *NAME*"$program"* ]] ||
        fail "man -l $program.6 does not render cleanly: $(head -3 "$E2E_WORK/man.err")"
    help=$("$PREFIX/bin/$program" --help | options)
    [[ -n "$help" && "$(options <<<"$text")" == "$help" ]] ||
        fail "$program.6 lists the options '$(options <<<"$text")', --help lists '$help'"
done

chmod -R a-w "$PREFIX"
chmod 755 "$E2E_WORK"
find "$PREFIX" -printf '%p %s %T@ %m\n' | sort >"$E2E_WORK/prefix.before"
mkdir -p "$PLAYER_HOME"
# Root plays as nobody; the sanitized suite keeps its own user, whose reports folder it writes.
player=(env -i)
if [[ $(id -u) -eq 0 && -z "${ASAN_OPTIONS:-}" ]]; then
    chown 65534:65534 "$PLAYER_HOME"
    player=(setpriv --reuid=65534 --regid=65534 --clear-groups env -i)
fi
for v in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do [[ -n "${!v:-}" ]] && player+=("$v=${!v}"); done
# A fresh home: the data folder named by XDG_DATA_HOME, the others found through their fallbacks.
XDG_DATA=$PLAYER_HOME/data
E2E_LOG=$PLAYER_HOME/.local/state/kivo/Ogre.log
(cd "$PREFIX" && exec "${player[@]}" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$PLAYER_HOME" \
    XDG_DATA_HOME="$XDG_DATA" ALSOFT_DRIVERS=null "$PREFIX/bin/kivo" >"$E2E_WORK/kivo.out" 2>&1) &
E2E_PID=$!
wait_for_log "Frame loop started" 60 || { tail -5 "$E2E_WORK/kivo.out"; fail "the installed game did not start"; e2e_finish; }
sleep 1.5
shot installed_menu
click "${MENU_SINGLEPLAYER[@]}"
click "${SP_MAP_DROPDOWN[@]}"
click 606 187
type_into "${SP_NAME[@]}" "Tester"
click "${PAGE_START[@]}"
wait_for_log 'Menu: round started on "00_straight_run.kivom" with 1 players' 10 ||
    fail "the round did not start"
hold_until_won w || fail "the ball never reached the finish"
shot installed_winner
kill -TERM "$E2E_PID"
wait "$E2E_PID" || fail "the game ended with status $? when asked to stop"
E2E_PID=

best=$XDG_DATA/kivo/maps/00_straight_run.kivom.data
grep -q '^name1=Tester' "$best" 2>/dev/null || fail "no best time of Tester in $best"
time1=$(sed -n 's/^time1=//p' "$best" 2>/dev/null)
[[ $(echo "${time1:-0} > 0" | bc) -eq 1 ]] || fail "the best time is '$time1'"
for file in .config/kivo/ogre.cfg .config/kivo/input.cfg .local/state/kivo/CEGUI.log; do
    [[ -s "$PLAYER_HOME/$file" ]] || fail "the player's $file is missing"
done
find "$PREFIX" -printf '%p %s %T@ %m\n' | sort >"$E2E_WORK/prefix.after"
cmp -s "$E2E_WORK/prefix.before" "$E2E_WORK/prefix.after" ||
    fail "the prefix changed: $(diff "$E2E_WORK/prefix.before" "$E2E_WORK/prefix.after" | head -5)"
e2e_finish

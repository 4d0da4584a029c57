#!/usr/bin/env bash
# Manual check of the Debian package on a fresh Debian 12: makes a minimal root with debootstrap
# (kept in $ROOT for the next run), installs build/kivo_*.deb there with apt, as a player would,
# starts the installed game as an ordinary user with a fresh home under Xvfb, and keeps a
# screenshot of its menu in $SHOT. Needs root and the Debian mirror; not part of the test suite.
#   tools/try-deb.sh [root folder] [screenshot]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=${1:-/var/tmp/kivo-bookworm}
SHOT=${2:-/var/tmp/kivo-bookworm-menu.png}
MIRROR=http://deb.debian.org/debian
package=$(ls build/kivo_*.deb 2>/dev/null | head -1)
[[ -n "$package" ]] || { echo "no package: run tools/package.sh first" >&2; exit 1; }

if [[ ! -x "$ROOT/usr/bin/apt-get" ]]; then
    debootstrap --variant=minbase bookworm "$ROOT" "$MIRROR"
fi
mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || true; done
}
trap cleanup EXIT
for fs in proc sys dev dev/pts; do
    mount --bind "/$fs" "$ROOT/$fs"
    mounted+=("$ROOT/$fs")
done
cp "$package" "$ROOT/tmp/"
in_root() { chroot "$ROOT" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
in_root apt-get update -q
# The player's command, then what this check needs to look at the window.
in_root apt-get install -y -q "/tmp/$(basename "$package")"
in_root apt-get install -y -q --no-install-recommends xvfb xauth x11-utils imagemagick
in_root id player >/dev/null 2>&1 || in_root useradd --create-home player
in_root su player -c 'rm -rf ~/.config/kivo ~/.local/share/kivo ~/.local/state/kivo; cd ~ &&
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c "kivo >kivo.out 2>&1 & pid=\$!;
        i=0; until grep -q \"Frame loop started\" ~/.local/state/kivo/Ogre.log 2>/dev/null; do
            sleep 1; i=\$((i+1)); [ \$i -gt 90 ] && break; done; sleep 3;
        import -window root /tmp/kivo-menu.png; kill \$pid; wait \$pid"'
cp "$ROOT/tmp/kivo-menu.png" "$SHOT"
echo "installed files:"
in_root dpkg -L kivo | grep -c /
in_root su player -c 'ls -R ~/.config/kivo ~/.local/share/kivo ~/.local/state/kivo; tail -3 ~/kivo.out'
echo "screenshot: $SHOT"
in_root apt-get remove -y -q kivo
in_root sh -c 'test ! -e /usr/bin/kivo && test ! -e /usr/share/kivo && echo "removed cleanly"'

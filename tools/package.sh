#!/usr/bin/env bash
# Builds KIVO (installing what it needs) and makes its Debian package with CPack:
# build/kivo_<version>_<arch>.deb, installable with "apt install ./kivo_<version>_<arch>.deb".
# The package holds what "cmake --install" puts below /usr; its dependencies are the libraries
# the programs link (found by dpkg-shlibdeps) and the data they open at run time.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
rm -f build/kivo_*.deb
(cd build && cpack -G DEB >/dev/null)
package=$(ls build/kivo_*.deb)
echo "$package"
dpkg-deb --field "$package" Package Version Depends Recommends

#!/usr/bin/env bash
# make package: builds the Debian packages (ostiva-manager, ostiva-server)
# from a Release build in build-package/ and checks them as a distribution
# would: lintian, desktop-file-validate and appstreamcli. The packages land
# in build-package/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=build-package
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTIVA_WERROR=ON \
  -DOSTIVA_BUILD_TESTS=OFF -DOSTIVA_BUILD_BENCHMARKS=OFF >"$dir.configure.log" 2>&1 ||
  { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j"${JOBS:-2}"
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB >cpack.log 2>&1) || { cat "$dir/cpack.log"; exit 1; }

desktop-file-validate resources/desktop/example.ostiva.Manager.desktop
appstreamcli validate --no-net --pedantic resources/desktop/example.ostiva.Manager.metainfo.xml
# Errors fail; the warnings left are listed in packaging/README.md.
lintian --tag-display-limit 0 --fail-on error "$dir"/*.deb 2>&1 | grep -v 'root privileges' || true
lintian --fail-on error "$dir"/*.deb >/dev/null 2>&1
ls -l "$dir"/*.deb

#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need.
# Idempotent: asks apt only for what is missing and says nothing when all is there.
set -euo pipefail

packages=(
  # toolchain
  cmake ninja-build g++ pkg-config make git
  # the fuzz targets (libFuzzer) and the format check
  clang clang-format
  # core libraries
  libcrypto++-dev libssl-dev nlohmann-json3-dev libsqlite3-dev libcpp-httplib-dev zlib1g-dev
  libproxy-dev libproxy1-plugin-webkit libproxy-tools
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # windows
  qt6-base-dev qt6-webengine-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgl-dev fonts-noto-cjk fonts-dejavu-core
  # test peers and the headless display
  squid apache2-utils dante-server microsocks curl xvfb xauth x11-utils imagemagick
  iproute2 procps python3
  # packages: make package and its checks
  dpkg-dev lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (run as root): ${missing[*]}" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# Installing squid and dante starts their system services; the tests run their
# own instances on loopback, so the system ones are stopped again.
for svc in squid danted; do
  if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet "$svc" 2>/dev/null; then
    systemctl stop "$svc" || true
  fi
  [ -x "/etc/init.d/$svc" ] && "/etc/init.d/$svc" stop >/dev/null 2>&1 || true
done
exit 0

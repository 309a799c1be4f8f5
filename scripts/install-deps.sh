#!/usr/bin/env bash
# Installs the Debian packages Vantry needs, only those missing.
#   install-deps.sh run       what building and running the program needs
#   install-deps.sh portable  that, and what the portable folder bundles beyond it
#   install-deps.sh test      run, and what the tests, fuzzers and benchmarks need
set -euo pipefail
what=${1:-test}
packages=(cmake make g++ pkg-config qt6-base-dev libgl-dev fonts-ipafont-gothic)
if [ "$what" = portable ]; then
  packages+=(fcitx5-frontend-qt6)
fi
if [ "$what" = test ]; then
  packages+=(clang libclang-rt-dev libgtest-dev libbenchmark-dev xvfb xauth xdotool xclip imagemagick x11-utils python3 util-linux
    locales dbus-daemon dbus-bin at-spi2-core python3-pyatspi python3-gi desktop-file-utils mmdebstrap
    dex libglib2.0-bin copyq)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# A decimal-comma locale, for the tests that numbers read the same under any locale.
if [ "$what" = test ] && ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

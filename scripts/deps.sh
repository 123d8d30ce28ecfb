#!/bin/sh
# Installs (as root) or names (otherwise) the Debian packages the build needs.
set -e
PKGS="g++ cmake ninja-build pkg-config make libsdl2-dev libepoxy-dev libfluidsynth-dev \
libassimp-dev libstb-dev zlib1g-dev libgtest-dev libbenchmark-dev xvfb xauth \
clang lld libgl1-mesa-dri libglx-mesa0 libegl1 libegl-mesa0 fluid-soundfont-gm fonts-dejavu-core"
[ -n "$ZORBAT_EXTRA_PKGS" ] && PKGS="$PKGS $ZORBAT_EXTRA_PKGS"
missing=""
for p in $PKGS; do
  st=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$st" in *"install ok installed"*) ;; *) missing="$missing $p" ;; esac
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = 0 ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq $missing
else
  echo "Missing Debian packages. Install them with:"
  echo "  sudo apt-get install$missing"
  exit 1
fi

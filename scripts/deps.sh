#!/bin/sh
# Installs (as root) or names (otherwise) the Debian packages a build needs.
#   scripts/deps.sh SET...   SET: play (the game alone), test, bench, fuzz
# Each set names only what it adds: the player's build needs a compiler, the
# game's libraries, the font its pictures are drawn with and one soundfont;
# the test suite, the benchmarks and the fuzzers pull in their own tools.
set -e
# The game: build it, draw its data, run it on a desktop.
PLAY="g++ cmake ninja-build pkg-config make libsdl2-dev libepoxy-dev libfluidsynth-dev \
libstb-dev zlib1g-dev fonts-dejavu-core timgm6mb-soundfont libgl1-mesa-dri libglx-mesa0"
# The tests: GoogleTest, Assimp as a second opinion on .x files, a virtual
# display for the runs of the real game, and the desktop-file validators.
TEST="libgtest-dev libassimp-dev xvfb xauth libegl1 libegl-mesa0 desktop-file-utils appstream"
# The benchmarks run the real game under the virtual display too.
BENCH="libbenchmark-dev xvfb xauth"
# The fuzzers are built with clang's libFuzzer and linked with lld.
FUZZ="clang lld"

PKGS=""
[ $# -eq 0 ] && set -- play
for set in "$@"; do
  case "$set" in
    play) PKGS="$PKGS $PLAY" ;;
    test) PKGS="$PKGS $PLAY $TEST" ;;
    bench) PKGS="$PKGS $PLAY $BENCH" ;;
    fuzz) PKGS="$PKGS cmake ninja-build make libstb-dev zlib1g-dev $FUZZ" ;;
    *) echo "deps.sh: unknown set '$set' (play, test, bench, fuzz)" >&2; exit 2 ;;
  esac
done
[ -n "$ZORBAT_EXTRA_PKGS" ] && PKGS="$PKGS $ZORBAT_EXTRA_PKGS"
missing=""
for p in $PKGS; do
  case " $missing " in *" $p "*) continue ;; esac
  st=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$st" in *"install ok installed"*) ;; *) missing="$missing $p" ;; esac
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = 0 ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing
else
  echo "Missing Debian packages. Install them with:" >&2
  echo "  sudo apt-get install$missing" >&2
  exit 1
fi

#!/bin/sh
# Screenshots of every screen, made by scripted runs of the real game:
#   scripts/screenshots.sh BUILD_DIR OUT_DIR
# The menus, the countdown, play and the pause come from the game's own data;
# the stage-clear and time-out banners, the result and the name entry from
# the quick test stage (one target, one shot), the game-over banner from a
# stage whose craft starts with no life. Every run works on a copy of
# BUILD_DIR/data, which is left as it is.
set -eu
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
stages=$(cd "$(dirname "$0")/../tests/data" && pwd)
harness=$build/zorbat-harness
work=$(mktemp -d /tmp/zorbat-shots-XXXXXX)
trap 'rm -rf "$work"' EXIT

# prepare NAME [STAGE]: a fresh copy of the data, stage 1 replaced by a test stage.
prepare() {
  mkdir -p "$work/$1"
  cp -R "$build/data" "$work/$1/data"
  rm -f "$work/$1/data/bin/hiscore.pxd"
  if [ $# -gt 1 ]; then
    cp "$stages/$2/c1.pxd" "$work/$1/data/bin/c1.pxd"
    cp "$stages/quick_stage/m1.pxd" "$work/$1/data/bin/m1.pxd"
  fi
}

# run NAME FRAMES SCRIPT F:FILE...: one scripted run writing the screenshots.
run() {
  name=$1 frames=$2
  printf '%s' "$3" > "$work/$name/script.txt"
  shift 3
  shots=""
  for s in "$@"; do shots="$shots --screenshot ${s%%:*}:$out/${s#*:}"; done
  echo "screenshots: $name ($frames frames)"
  # shellcheck disable=SC2086
  if ! (cd "$work/$name" && "$harness" --frames "$frames" --script script.txt $shots) \
      > "$work/$name/log.txt" 2>&1; then
    cat "$work/$name/log.txt"
    exit 1
  fi
}

# Frame 1 is start-up, 2..52 loading; the title fades in from 53 and takes
# Enter from 77. The stage starts on 305, play is shown once "Start !" is gone.
prepare game
run game 480 "80 tap DOWN
82 tap RETURN
90 tap RIGHT
105 tap SHIFT
110 tap RETURN
114 tap DOWN
120 tap UP
122 tap SPACE
420 button 0 down
460 button 0 up
470 tap RETURN
475 tap DOWN
" 20:loading.png 100:hiscore_view.png 108:title.png 118:stage_select.png 200:countdown.png \
  440:play.png 480:pause.png

# Stage 1 from the title: countdown from 87, play from 268.
to_stage="80 tap RETURN
85 tap SPACE
"
prepare quick quick_stage
run quick 650 "${to_stage}280 button 0 down
282 button 0 up
600 tap SPACE
610 tap Z
612 tap O
614 tap R
" 370:stage_clear.png 540:result.png 650:name_entry.png

# Play in each of the game's stages: fly in low (the shadow shows on the
# ground), thrust, both weapons, a turn; the enemies fire back.
flight="250 down W
250 button 0 down
250 button 1 down
268 down SHIFT
280 up SHIFT
"
prepare stages
run stages 420 "${to_stage}${flight}330 mouse 60 0
360 mouse -120 0
" 420:play_stage1.png
run stages 410 "80 tap RETURN
83 tap DOWN
85 tap SPACE
${flight}330 mouse -60 0
" 410:play_stage2.png
run stages 470 "80 tap RETURN
82 tap DOWN
84 tap DOWN
86 tap SPACE
${flight}330 mouse 60 0
" 470:play_stage3.png

prepare doomed doomed_stage
run doomed 340 "$to_stage" 340:game_over.png

# The banners are shown some 70 frames into their fade. Nothing fired here:
# 5401 play frames, then the banner from 5669.
prepare timeout quick_stage
run timeout 5740 "$to_stage" 5740:time_out.png

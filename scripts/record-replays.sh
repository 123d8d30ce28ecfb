#!/bin/sh
# Records the regression replays of tests/replays/ through the real game:
# runs of the playtest pilots, each with a pause put in, and the hand-written
# harness scripts kept beside the replays (NAME.script gives NAME.replay).
# make test checks that the game still plays every one of them frame for
# frame. When a change is meant to change play, run this (make replays),
# look at how each run now ends, and commit the new files with the change.
#   scripts/record-replays.sh BUILD_DIR REPLAY_DIR
set -eu
build=$(cd "$1" && pwd)
out=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
harness() { (cd "$build" && ./zorbat-harness "$@"); }
ending() { sed -n 's/^end \([a-z]*\)$/\1/p' "$1" | head -n 1; }

# NAME STAGE:PILOT:SEED PAUSE FRAMES: the harness frame on which Enter pauses
# (the countdown runs on 88..268, play from 269) and for how many frames.
while read -r name run pause length; do
  seed=${run##*:}
  (cd "$build" && ./zorbat-playtest --replay "$run" --script "$work/pilot.txt" >/dev/null)
  last=$(sed -n 's/^# zorbat-harness --seed [0-9]* --frames \([0-9]*\) .*/\1/p' "$work/pilot.txt")
  # The pause holds the game still: every later input moves on by its length.
  awk -v p="$pause" -v d="$length" '/^[0-9]/ { if ($1 > p) $1 += d } { print }
      END { print p " tap RETURN"; print p + d " tap RETURN" }' "$work/pilot.txt" >"$work/$name.txt"
  # After the last play frame the stage-end banner runs for 201 frames.
  harness --seed "$seed" --frames $((last + length + 210)) --script "$work/$name.txt" \
    --record "$out/$name.replay" >/dev/null
  echo "$name: $run, paused on frame $pause for $length frames: $(ending "$out/$name.replay")"
done <<EOF
stage1-clear 1:skilled:12 600 90
stage1-gameover 1:novice:12 200 60
stage2-clear 2:skilled:20 900 75
stage2-gameover 2:novice:7 500 100
stage3-clear 3:skilled:10 1500 60
stage3-gameover 3:skilled:59 150 50
EOF

for script in "$out"/*.script; do
  name=$(basename "$script" .script)
  last=$(sed -n 's/^\([0-9]*\) .*/\1/p' "$script" | sort -n | tail -n 1)
  harness --frames $((last + 210)) --script "$script" --record "$out/$name.replay" >/dev/null
  echo "$name: $(basename "$script"): $(ending "$out/$name.replay")"
done

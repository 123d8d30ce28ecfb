#!/bin/sh
# Runs a command with a display and an audio driver, starting Xvfb when no
# display is set and falling back to SDL's dummy audio without a sound card.
if [ ! -e /dev/snd/controlC0 ] && [ -z "$SDL_AUDIODRIVER" ]; then
  export SDL_AUDIODRIVER=dummy
fi
if [ -z "$DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
fi
exec "$@"

// State shared by the screens around a stage.
#pragma once

// The one fade value of the screens, 0..1 and a little beyond.
extern float FadeAlpha;
// Meanings, all of them kept: the direction PingPong moves FadeAlpha in (0
// rising, 1 falling), for the blinking arrows of the hiscore view and the
// blinking letter of the name entry; in the result, 1 marks that the fade-in
// from black is over (PingPong turned at the top), from when input is taken
// and the prompt blinks instead. The hiscore view, the name entry, the stage
// end and the result set it back to 0 when they hand over, so the next
// screen's fade starts rising. The title and the stage end do not read it.
extern int BlinkFlag;
extern float CountdownFrames;
extern int CurrentMusic;

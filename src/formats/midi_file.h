// Standard MIDI Files for the music bank: a checking parser that turns any
// byte string into a clean tune or a clear refusal, and the tick arithmetic
// for loop points. Pure code, no synthesizer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/midi_song.h"

// Parses a whole file image. Accepts format 0, 1 and 2 (tracks are merged),
// steps over unknown chunks, handles running status, sysex and meta events,
// clamps a track length that runs past the file, and ends a track at its
// end-of-track event, at its last complete event, or at the first byte that
// cannot be part of one. Refuses files that are not MIDI (no MThd header, no
// usable division, no MTrk chunk). On refusal `why` names the reason.
bool ParseMidiFile(const uint8_t* data, size_t size, MidiSong* song, const char** why);

// The loop end of `loopEndThousands` thousand music ticks for a file of
// `division` ticks per quarter note, in scaled ticks (exact for every
// division). Events loop while tick * 768 < this. 0 or less, or past the end
// of the tune, means the whole tune (up to its last end-of-track).
uint64_t MidiLoopEndScaled(int division, uint32_t endTick, int loopEndThousands);

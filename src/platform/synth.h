// Music: a General MIDI synthesizer (FluidSynth, no audio driver of its own)
// and our sequencer, both run from the mixer on the audio thread. The
// sequencer plays a MidiSong's events at their exact output frames and loops
// from tick 0 to a loop end without a gap.
#pragma once
#include "platform/midi_song.h"

#include <cstdint>

constexpr int kSynthSongSlots = 16;

// The usual places of the General MIDI soundfonts, best first.
extern const char* const kDefaultSoundfonts[];
extern const int kDefaultSoundfontCount;
constexpr int kMaxSoundfontSearch = 16;
// The soundfonts the game tries, in order: $ZORBAT_SOUNDFONT when set, then
// kDefaultSoundfonts. Fills at most `max` entries and returns their count.
int SoundfontSearchList(const char** out, int max);

// Creates the sequencer for output at `rate` and starts loading the first
// readable soundfont into a synthesizer on a thread of its own (music is
// silent until it is ready; the calls below that need it wait for it).
// Returns false when no soundfont can be read: the sequencer still runs
// (silently) and SynthLastError() says why, as it does when none would load.
bool SynthOpen(int rate, const char* const* soundfonts, int count);
void SynthClose();
bool SynthIsOpen();
bool SynthHasSoundfont();
const char* SynthSoundfontPath();
const char* SynthLastError();

// Takes a parsed tune into a slot (times computed for the synth's rate) and
// keeps the instruments it uses loaded. A slot being played is stopped first.
void SynthStoreSong(int slot, MidiSong&& song);

// Requests for the audio thread, taken at its next buffer; the last request
// before a buffer wins. Play: stop everything, then play from tick 0 and loop
// for ever from tick 0 to the loop end (in scaled ticks, see midi_song.h);
// events at or after the loop end are never sent. Stop: every note stops at
// once.
void SynthPlay(int slot, uint64_t loopEndScaled);
void SynthStop();
// Linear master gain (the synthesizer clamps it to 0..10).
void SynthSetGain(float gain);

// Audio thread: overwrites `frames` stereo float frames with the music.
void SynthRender(float* out, int frames);

// Test and benchmark hooks. The tap sees every event the sequencer sends,
// with its output frame counted from SynthOpen.
using SynthEventTap = void (*)(int64_t frame, const MidiEvent& event, void* user);
void SynthSetEventTap(SynthEventTap tap, void* user);
int SynthActiveVoices();
float SynthCurrentGain();

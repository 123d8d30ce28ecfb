// The sound bank (12 wave slots) and the music bank (16 tunes) over the
// platform mixer and synthesizer.
#include "sound/sound.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/regular_file.h"
#include "formats/midi_file.h"
#include "formats/wave_file.h"
#include "platform/audio.h"
#include "platform/messages.h"
#include "platform/synth.h"
#include "platform/system.h"

namespace {
constexpr size_t kMaxWaveFileBytes = size_t(64) << 20;
constexpr size_t kMaxMidiFileBytes = size_t(16) << 20;

// What the game side keeps of each tune: enough to turn a loop end into
// the file's own ticks.
struct MusicSlot {
    bool loaded = false;
    int division = 0;
    uint32_t endTick = 0;
};
MusicSlot g_music[kMusicSlots];
int g_musicVolume = 0;

// Regular files only: a FIFO or a device named as a sound is refused at
// once. *why says what was wrong.
bool ReadWholeFile(const char* path, size_t limit, std::vector<uint8_t>* out, std::string* why) {
    FileProblem problem;
    if (ReadRegularFile(path, limit, out, &problem)) return true;
    *why = "cannot be read (" + FileProblemText(problem) + ")";
    return false;
}
}  // namespace

int InitSound() {
    if (AudioIsOpen()) return 1;
    if (!AudioOpenDevice()) {
        // No sound card is no reason to stop the game: it plays silently.
        std::fprintf(stderr, "zorbat: no audio device (%s): sound effects and music are off\n", AudioLastError());
        return 0;
    }
    return 1;
}

int LoadWave(int slot, const char* path) {
    if (!AudioIsOpen() || slot < 0 || slot >= kSoundSlots) return 0;
    std::vector<uint8_t> file;
    std::string why;
    if (!ReadWholeFile(path, kMaxWaveFileBytes, &file, &why)) {
        std::fprintf(stderr, "zorbat: %s: %s; sound %d stays empty\n", path ? path : "(null)", why.c_str(),
                     slot);
        return 0;
    }
    WaveInfo info;
    std::vector<int16_t> stereo;
    WaveError e = ReadWaveHeader(file.data(), file.size(), &info);
    if (e == WaveOk) e = ConvertWave(file.data(), info, AudioRate(), &stereo);
    if (e != WaveOk) {
        std::fprintf(stderr, "zorbat: %s: %s; sound %d stays empty\n", path, WaveErrorText(e), slot);
        return 0;
    }
    AudioSetSound(slot, std::move(stereo));
    return 1;
}

void PlaySound(int slot, int restart) { AudioPlay(slot, restart != 0); }

void ReleaseSound() { AudioClose(); }

int InitMusic() {
    for (MusicSlot& m : g_music) m = MusicSlot{};
    g_musicVolume = 0;
    SynthSetGain(MusicGainFromVolume(0));
    // Without a device InitSound has already said that everything is silent.
    const char* fonts[kMaxSoundfontSearch];
    const int count = SoundfontSearchList(fonts, kMaxSoundfontSearch);
    if (AudioIsOpen() && !SynthOpen(AudioRate(), fonts, count))
        std::fprintf(stderr, "zorbat: %s: music is off\n", SynthLastError());
    return 1;
}

int LoadMusic(const char* path, int slot) {
    std::vector<uint8_t> file;
    MidiSong song;
    const char* why = "";
    std::string unread;
    bool ok = slot >= 0 && slot < kMusicSlots;
    if (!ok) why = "music slot out of range";
    if (ok && !ReadWholeFile(path, kMaxMidiFileBytes, &file, &unread)) {
        ok = false;
        why = unread.c_str();
    }
    if (ok) ok = ParseMidiFile(file.data(), file.size(), &song, &why);
    if (!ok) {
        std::fprintf(stderr, "zorbat: %s: %s\n", path ? path : "(null)", why);
        ShowFatal(MsgMusicFile);
        return 0;
    }
    g_music[slot] = MusicSlot{true, song.division, song.endTick};
    if (SynthIsOpen()) SynthStoreSong(slot, std::move(song));
    return 1;
}

void PlayMusic(int slot, int loopEndThousands) {
    if (slot == -1) return;  // no tune
    // The stop comes before the slot is looked at: a slot that holds no tune,
    // or that does not exist, still stops what was playing.
    if (slot < 0 || slot >= kMusicSlots) {
        StopMusic();
        return;
    }
    const MusicSlot& m = g_music[slot];
    SynthPlay(slot, m.loaded ? MidiLoopEndScaled(m.division, m.endTick, loopEndThousands) : 0);
}

void StopMusic() { SynthStop(); }

void SetMusicVolume(int slot, int volume) {
    // The volume is the master volume of all music; the slot only says
    // whether a tune is meant to be playing.
    if (slot == -1) return;
    g_musicVolume = volume;
    SynthSetGain(MusicGainFromVolume(volume));
}

void ReleaseMusic() {
    StopMusic();
    SynthClose();
    for (MusicSlot& m : g_music) m = MusicSlot{};
}

int CurrentMusicVolume() { return g_musicVolume; }

float MusicGainFromVolume(int hundredthsDb) {
    double gain = double(kMusicFullGain) * std::pow(10.0, double(hundredthsDb) / 2000.0);
    return float(gain > 10.0 ? 10.0 : gain);
}

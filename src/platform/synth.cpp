#include "platform/synth.h"

#include "core/regular_file.h"
#include "platform/audio.h"
#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

// TimGM6mb first: measured with our three stage tunes it costs about 13 MB
// and 10 ms to load them, where FluidR3 (the richer sound) costs about 58 MB
// and 100 to 250 ms even loading samples per instrument, which would take the
// game past its memory budget. FluidR3 and whatever the system's default
// General MIDI font is are the fallbacks. Debian keeps soundfonts in
// sounds/sf2, other systems in soundfonts.
const char* const kDefaultSoundfonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/soundfonts/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default-GM.sf2",
    "/usr/share/soundfonts/default.sf2",
};
const int kDefaultSoundfontCount = int(sizeof(kDefaultSoundfonts) / sizeof(kDefaultSoundfonts[0]));

int SoundfontSearchList(const char** out, int max) {
    int n = 0;
    const char* chosen = std::getenv("ZORBAT_SOUNDFONT");
    if (chosen && *chosen && n < max) out[n++] = chosen;
    for (int i = 0; i < kDefaultSoundfontCount && n < max; ++i) out[n++] = kDefaultSoundfonts[i];
    return n;
}

namespace {
constexpr int kChannels = 16;
constexpr int kDrumChannel = 9;
constexpr int kDrumBank = 128;
// Bounds of the sequencer's work in one SynthRender call: events sent (on
// top of one per 4 frames) and returns to tick 0 (on top of one per 256
// frames). A note-on at full polyphony costs the synthesizer some 20 us, so
// a 512-frame buffer (11.6 ms) sends at most 192 events; our tunes send at
// most 54 in any buffer, and loop every few seconds.
constexpr int kEventsPerRender = 64;
constexpr int kWrapsPerRender = 4;

// Sequencer state; touched only by the audio thread once the synth is open
// (or under AudioLock).
struct Sequencer {
    int slot = -1;             // tune playing, -1 none
    uint64_t loopEndScaled = 0;  // events play while tick * 768 < this
    int64_t loopEndFrame = 0;
    size_t next = 0;           // next event to send
    int64_t songFrame = 0;     // frames since tick 0 of this pass
    int64_t outFrame = 0;      // frames rendered since SynthOpen
    uint32_t seenRequest = 0;
    float appliedGain = -1.0f;
    bool active[kChannels][128] = {};
};

fluid_settings_t* g_settings = nullptr;
fluid_synth_t* g_synth = nullptr;
int g_soundfont = -1;
bool g_open = false;
int g_rate = 0;
std::string g_soundfontPath;
std::string g_error;
MidiSong g_songs[kSynthSongSlots];
Sequencer g_seq;

// Game thread -> audio thread: the latest play or stop request. The spin
// lock is held only to copy these few words, never while rendering; the
// audio thread only tries it and looks again at its next buffer.
struct Request {
    uint32_t number = 0;
    int slot = -1;  // -1 = stop
    uint64_t loopEndScaled = 0;
};
std::atomic_flag g_requestLock = ATOMIC_FLAG_INIT;
Request g_request;

bool TryLockRequests() { return !g_requestLock.test_and_set(std::memory_order_acquire); }
void LockRequests() {
    while (g_requestLock.test_and_set(std::memory_order_acquire)) {
    }
}
void UnlockRequests() { g_requestLock.clear(std::memory_order_release); }
std::atomic<float> g_gain{0.2f};
std::atomic<SynthEventTap> g_tap{nullptr};
std::atomic<void*> g_tapUser{nullptr};

// A FIFO or a device named as a soundfont is not one: it is never handed to
// the synthesizer, which would block or read for ever.
bool FileReadable(const char* path) {
    const int fd = OpenRegularFile(path, nullptr);
    if (fd < 0) return false;
    close(fd);
    return true;
}

void Send(const MidiEvent& e, int64_t frame) {
    if (SynthEventTap tap = g_tap.load(std::memory_order_acquire)) tap(frame, e, g_tapUser.load());
    int ch = e.status & 0x0F;
    switch (e.status & 0xF0) {
    case 0x80:
        g_seq.active[ch][e.data1] = false;
        if (g_synth) fluid_synth_noteoff(g_synth, ch, e.data1);
        break;
    case 0x90:
        g_seq.active[ch][e.data1] = true;
        if (g_synth) fluid_synth_noteon(g_synth, ch, e.data1, e.data2);
        break;
    case 0xA0:
        if (g_synth) fluid_synth_key_pressure(g_synth, ch, e.data1, e.data2);
        break;
    case 0xB0:
        if (g_synth) fluid_synth_cc(g_synth, ch, e.data1, e.data2);
        break;
    case 0xC0:
        if (g_synth) fluid_synth_program_change(g_synth, ch, e.data1);
        break;
    case 0xD0:
        if (g_synth) fluid_synth_channel_pressure(g_synth, ch, e.data1);
        break;
    case 0xE0:
        if (g_synth) fluid_synth_pitch_bend(g_synth, ch, e.data1 | (e.data2 << 7));
        break;
    case 0xF0:
        if (g_synth && e.length > 0 && g_seq.slot >= 0) {
            const MidiSong& s = g_songs[g_seq.slot];
            fluid_synth_sysex(g_synth, reinterpret_cast<const char*>(s.sysex.data() + e.offset), int(e.length),
                              nullptr, nullptr, nullptr, 0);
        }
        break;
    default:
        break;
    }
}

// Controllers that "reset all controllers" leaves alone, with the values a
// fresh synthesizer gives them (read at open).
constexpr int kKeptControllers[] = {0, 32, 7, 10, 91, 93};
int g_defaultCc[kChannels][sizeof(kKeptControllers) / sizeof(kKeptControllers[0])];
int g_defaultWheelSens[kChannels];

void ReadChannelDefaults(fluid_synth_t* synth) {
    for (int ch = 0; ch < kChannels; ++ch) {
        for (size_t i = 0; i < sizeof(kKeptControllers) / sizeof(kKeptControllers[0]); ++i) {
            g_defaultCc[ch][i] = 0;
            fluid_synth_get_cc(synth, ch, kKeptControllers[i], &g_defaultCc[ch][i]);
        }
        g_defaultWheelSens[ch] = 2;
        fluid_synth_get_pitch_wheel_sens(synth, ch, &g_defaultWheelSens[ch]);
    }
}

// Every voice off at once (from the next 64-frame block) and every channel
// back to its power-on state. fluid_synth_system_reset is not used: in the
// library version we build on it leaves playing voices sounding.
void Silence() {
    std::memset(g_seq.active, 0, sizeof(g_seq.active));
    if (!g_synth) return;
    fluid_synth_all_sounds_off(g_synth, -1);
    for (int ch = 0; ch < kChannels; ++ch) {
        fluid_synth_cc(g_synth, ch, 121, 0);
        for (size_t i = 0; i < sizeof(kKeptControllers) / sizeof(kKeptControllers[0]); ++i)
            fluid_synth_cc(g_synth, ch, kKeptControllers[i], g_defaultCc[ch][i]);
        fluid_synth_program_change(g_synth, ch, 0);
        fluid_synth_pitch_wheel_sens(g_synth, ch, g_defaultWheelSens[ch]);
    }
}

void Start(int slot, uint64_t loopEndScaled) {
    Silence();
    g_seq.slot = -1;
    if (slot < 0 || slot >= kSynthSongSlots || g_songs[slot].division <= 0) return;
    const MidiSong& s = g_songs[slot];
    g_seq.loopEndScaled = loopEndScaled;
    g_seq.loopEndFrame = MidiFrameAtScaled(s, g_seq.loopEndScaled, g_rate);
    if (g_seq.loopEndFrame <= 0) return;  // nothing to loop over
    g_seq.slot = slot;
    g_seq.next = 0;
    g_seq.songFrame = 0;
}

// Back to tick 0 at the loop end. Held notes are released (their tails
// sound on into the new pass, so the loop has no gap), and the controllers a
// tune bends on the way (pitch, pedal, modulation, expression) are reset as
// they were at the first pass.
void Wrap() {
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int key = 0; key < 128; ++key) {
            if (!g_seq.active[ch][key]) continue;
            g_seq.active[ch][key] = false;
            if (g_synth) fluid_synth_noteoff(g_synth, ch, key);
        }
        if (g_synth) fluid_synth_cc(g_synth, ch, 121, 0);
    }
    g_seq.next = 0;
    g_seq.songFrame = 0;
}

void TakeRequests() {
    if (TryLockRequests()) {
        Request r = g_request;
        UnlockRequests();
        if (r.number != g_seq.seenRequest) {
            g_seq.seenRequest = r.number;
            if (r.slot < 0) {
                Silence();
                g_seq.slot = -1;
            } else {
                Start(r.slot, r.loopEndScaled);
            }
        }
    }
    float gain = g_gain.load(std::memory_order_relaxed);
    if (gain != g_seq.appliedGain) {
        g_seq.appliedGain = gain;
        if (g_synth) fluid_synth_set_gain(g_synth, gain);
    }
}

void RenderChunk(float* out, int frames) {
    if (g_synth)
        fluid_synth_write_float(g_synth, frames, out, 0, 2, out, 1, 2);
    else
        std::fill(out, out + frames * 2, 0.0f);
}

// Keeps the samples of every instrument a tune selects in memory, so that a
// program change on the audio thread never waits for the disk. Follows the
// synthesizer's own choice: bank select (MSB) on melodic channels, the drum
// bank on channel 10, and its fallbacks when a preset is missing.
void PinInstruments(const MidiSong& song) {
    if (!g_synth) return;
    int bank[kChannels] = {};
    auto pin = [](int channel, int b, int program) {
        if (channel == kDrumChannel) {
            if (fluid_synth_pin_preset(g_synth, g_soundfont, kDrumBank, program) != FLUID_OK)
                fluid_synth_pin_preset(g_synth, g_soundfont, kDrumBank, 0);
        } else if (fluid_synth_pin_preset(g_synth, g_soundfont, b, program) != FLUID_OK &&
                   fluid_synth_pin_preset(g_synth, g_soundfont, 0, program) != FLUID_OK) {
            fluid_synth_pin_preset(g_synth, g_soundfont, 0, 0);
        }
    };
    for (const MidiEvent& e : song.events) {
        int ch = e.status & 0x0F;
        if ((e.status & 0xF0) == 0xB0 && e.data1 == 0) bank[ch] = e.data2;
        if ((e.status & 0xF0) == 0xC0) pin(ch, bank[ch], e.data1);
    }
}
}  // namespace

namespace {

// Loading a soundfont takes tens of milliseconds, enough to hold up the
// start of the game by a visible moment; it is done on a thread of its own,
// started by SynthOpen. Everything on the game thread that needs the
// synthesizer waits for that thread first (FinishLoading); the audio thread
// never waits: until the synthesizer is published under AudioLock it renders
// silence, as it does with no soundfont at all.
struct Loader {
    std::thread thread;
    void Join() {
        if (thread.joinable()) thread.join();
    }
    ~Loader() { Join(); }  // a process that never closes the synth still ends cleanly
};
Loader g_loader;

void FinishLoading() { g_loader.Join(); }

void LoadSynth(int rate, std::vector<std::string> fonts) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = nullptr;
    int font = -1;
    std::string path;
    std::string error;
    if (settings) {
        fluid_settings_setnum(settings, "synth.sample-rate", double(rate));
        // Samples load per instrument as tunes are stored (PinInstruments):
        // only what the tunes use is kept in memory.
        fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
        fluid_settings_setint(settings, "synth.lock-memory", 0);
        // Music plays on a plain stereo path: no reverb or chorus. This also
        // makes a stop silent at once, with no echo ringing on.
        fluid_settings_setint(settings, "synth.reverb.active", 0);
        fluid_settings_setint(settings, "synth.chorus.active", 0);
        synth = new_fluid_synth(settings);
    }
    if (!synth) {
        error = "the synthesizer could not be created";
    } else {
        for (size_t i = 0; i < fonts.size() && font < 0; ++i) {
            if (!FileReadable(fonts[i].c_str())) continue;
            font = fluid_synth_sfload(synth, fonts[i].c_str(), 1);
            if (font >= 0) {
                path = fonts[i];
            } else {
                // The library has said what it disliked; say which file it was.
                std::fprintf(stderr, "zorbat: %s: the soundfont would not load%s\n", fonts[i].c_str(),
                             i + 1 < fonts.size() ? "; trying the next one" : "; music is off");
            }
        }
        if (font < 0) {
            error = "no General MIDI soundfont would load (tried ";
            for (size_t i = 0; i < fonts.size(); ++i) error += (i ? ", " : "") + fonts[i];
            error += ")";
            delete_fluid_synth(synth);
            synth = nullptr;
        }
    }
    if (!synth && settings) {
        delete_fluid_settings(settings);
        settings = nullptr;
    }
    if (synth) {
        // Piano and the standard kit sound before any program change.
        fluid_synth_pin_preset(synth, font, 0, 0);
        fluid_synth_pin_preset(synth, font, kDrumBank, 0);
        fluid_synth_set_gain(synth, g_gain.load());
        ReadChannelDefaults(synth);
    }
    if (!error.empty()) g_error = error;  // read on the game thread only after the join
    AudioLock();
    g_settings = settings;
    g_synth = synth;
    g_soundfont = font;
    g_soundfontPath = path;
    AudioUnlock();
}

}  // namespace

bool SynthOpen(int rate, const char* const* soundfonts, int count) {
    SynthClose();
    g_error.clear();
    // Only errors reach stderr; the loader's warnings are noise here.
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);

    std::vector<std::string> fonts;
    for (int i = 0; i < count; ++i) {
        if (soundfonts[i] && FileReadable(soundfonts[i])) fonts.push_back(soundfonts[i]);
    }
    if (fonts.empty()) {
        g_error = "no General MIDI soundfont found (looked for ";
        for (int i = 0; i < count; ++i) g_error += std::string(i ? ", " : "") + (soundfonts[i] ? soundfonts[i] : "");
        g_error += ")";
    }

    AudioLock();
    g_settings = nullptr;
    g_synth = nullptr;
    g_soundfont = -1;
    g_soundfontPath.clear();
    g_rate = rate;
    g_seq = Sequencer{};
    LockRequests();
    g_seq.seenRequest = g_request.number;
    UnlockRequests();
    g_open = true;
    AudioUnlock();
    const bool found = !fonts.empty();
    if (found) g_loader.thread = std::thread(LoadSynth, rate, std::move(fonts));
    return found;
}

void SynthClose() {
    FinishLoading();
    if (!g_open) return;
    MidiSong old[kSynthSongSlots];
    AudioLock();
    fluid_synth_t* synth = g_synth;
    fluid_settings_t* settings = g_settings;
    g_synth = nullptr;
    g_settings = nullptr;
    g_open = false;
    g_seq = Sequencer{};
    for (int i = 0; i < kSynthSongSlots; ++i) std::swap(old[i], g_songs[i]);
    AudioUnlock();
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
    g_soundfont = -1;
    g_soundfontPath.clear();
}

bool SynthIsOpen() { return g_open; }
bool SynthHasSoundfont() {
    FinishLoading();
    return g_synth != nullptr;
}
const char* SynthSoundfontPath() {
    FinishLoading();
    return g_soundfontPath.c_str();
}
const char* SynthLastError() {
    FinishLoading();
    return g_error.c_str();
}

void SynthStoreSong(int slot, MidiSong&& song) {
    if (!g_open || slot < 0 || slot >= kSynthSongSlots) return;
    FinishLoading();  // the instruments are pinned in the loaded font
    MidiAssignFrames(&song, g_rate);
    PinInstruments(song);
    MidiSong old;
    AudioLock();
    if (g_seq.slot == slot) {
        Silence();
        g_seq.slot = -1;
    }
    old = std::move(g_songs[slot]);
    g_songs[slot] = std::move(song);
    AudioUnlock();
}

namespace {
void PostRequest(int slot, uint64_t loopEndScaled) {
    LockRequests();
    ++g_request.number;
    g_request.slot = slot;
    g_request.loopEndScaled = loopEndScaled;
    UnlockRequests();
}
}  // namespace

void SynthPlay(int slot, uint64_t loopEndScaled) {
    if (slot < 0 || slot >= kSynthSongSlots) return;
    PostRequest(slot, loopEndScaled);
}

void SynthStop() { PostRequest(-1, 0); }

void SynthSetGain(float gain) { g_gain.store(std::clamp(gain, 0.0f, 10.0f), std::memory_order_relaxed); }

void SynthRender(float* out, int frames) {
    if (!g_open) {
        std::fill(out, out + frames * 2, 0.0f);
        return;
    }
    TakeRequests();
    // The work one buffer may do is bounded, so that the mixer returns in
    // time (and the audio lock is let go) whatever the tune: a tune asking
    // for more (thousands of events on one tick, a loop a frame long) has
    // the rest of its events sent late, from the next buffer on, and the
    // rest of this buffer rendered as it stands. No tune that is music
    // comes near either bound.
    int eventBudget = kEventsPerRender + frames / 4;
    int wrapBudget = kWrapsPerRender + frames / 256;
    bool stalled = false;
    int pos = 0;
    while (pos < frames) {
        int64_t chunk = frames - pos;
        if (g_seq.slot >= 0 && !stalled) {
            const MidiSong& s = g_songs[g_seq.slot];
            const size_t n = s.events.size();
            for (;;) {
                auto inLoop = [&](size_t i) {
                    return i < n && uint64_t(s.events[i].tick) * kMusicTicksPerQuarter < g_seq.loopEndScaled;
                };
                while (inLoop(g_seq.next) && s.events[g_seq.next].frame <= g_seq.songFrame && eventBudget > 0) {
                    Send(s.events[g_seq.next++], g_seq.outFrame + pos);
                    --eventBudget;
                }
                bool more = inLoop(g_seq.next);
                if (more && s.events[g_seq.next].frame <= g_seq.songFrame) {
                    stalled = true;  // events due, none left in the budget
                    break;
                }
                if (!more && g_seq.songFrame >= g_seq.loopEndFrame) {
                    if (wrapBudget-- <= 0) {
                        stalled = true;
                        break;
                    }
                    Wrap();
                    continue;
                }
                int64_t until = more ? s.events[g_seq.next].frame : g_seq.loopEndFrame;
                chunk = std::min(chunk, until - g_seq.songFrame);
                break;
            }
        }
        RenderChunk(out + pos * 2, int(chunk));
        pos += int(chunk);
        if (g_seq.slot >= 0) g_seq.songFrame += chunk;
    }
    g_seq.outFrame += frames;
}

void SynthSetEventTap(SynthEventTap tap, void* user) {
    g_tapUser.store(user);
    g_tap.store(tap, std::memory_order_release);
}

int SynthActiveVoices() {
    FinishLoading();
    return g_synth ? fluid_synth_get_active_voice_count(g_synth) : 0;
}

float SynthCurrentGain() { return g_gain.load(); }

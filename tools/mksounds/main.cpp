// mksounds: synthesises the game's ten sound effects as 16-bit mono PCM waves.
//
//   mksounds OUT_DIR
//
// Every effect is restarted from its beginning each time it plays, so the ones
// that repeat quickly (the beam every 7 frames, the star every 14) are shorter
// than their repeat period.
#include <cmath>
#include <cstdio>
#include <string>

#include "synth.h"

namespace sfx {
namespace {
float Note(int midi) { return 440.0f * std::pow(2.0f, (midi - 69) / 12.0f); }

// The player's normal shot: a bright laser "pew" gliding down, 100 ms (the
// beam repeats every 112 ms).
Sound Beam() {
    Sound s(0.1f);
    AddTone(s, 0, Wave::Square, ExpSweep(1900, 420, 0.09f), Perc(0.002f, 0.03f, 0.1f), 0.3f);
    AddTone(s, 0, Wave::Saw, ExpSweep(1910, 430, 0.09f), Perc(0.002f, 0.025f, 0.1f));
    AddTone(s, 0, Wave::Sine, ExpSweep(950, 210, 0.09f), Perc(0.002f, 0.04f, 0.1f));
    LowPass(s, ExpSweep(9000, 1800, 0.09f));
    Finish(s, -7);
    return s;
}

// The homing star shot: a sparkling three-note chime over a rising whistle.
Sound Star() {
    Sound s(0.22f);
    AddTone(s, 0, Wave::Sine, ExpSweep(700, 2400, 0.07f), Perc(0.003f, 0.03f, 0.08f));
    const int notes[3] = {91, 96, 100};  // G6, C7, E7
    for (int i = 0; i < 3; ++i) {
        float f = Note(notes[i]);
        AddFm(s, 0.025f * i, [f](float t) { return f * (1 + 0.006f * std::sin(t * 190)); }, 3.5f,
              ExpSweep(2.0f, 0.2f, 0.12f), Perc(0.002f, 0.06f, 0.2f - 0.025f * i));
    }
    Reverb(s, 0.18f, 0.6f);
    Finish(s, -7);
    return s;
}

// A gunship launches a torpedo: a hollow thump and a falling whoosh.
Sound Torpedo() {
    Sound s(0.55f);
    AddTone(s, 0, Wave::Sine, ExpSweep(140, 42, 0.18f), Perc(0.002f, 0.1f, 0.4f));
    AddNoise(s, 0, ExpSweep(2600, 320, 0.45f), 2.5f, Perc(0.03f, 0.16f, 0.55f), 7);
    AddNoise(s, 0, Const(180), 1.2f, Perc(0.002f, 0.05f, 0.2f), 11, true);
    Finish(s, -4);
    return s;
}

// The loading screen hands over to the title: a rising arpeggio resolving on
// a bright bell chord, with a room tail.
Sound Opening() {
    Sound s(2.0f);
    const int arp[6] = {72, 76, 79, 84, 88, 91};  // C5 E5 G5 C6 E6 G6
    for (int i = 0; i < 6; ++i) {
        float f = Note(arp[i]);
        AddFm(s, 0.075f * i, Const(f), 2.0f, ExpSweep(1.6f, 0.3f, 0.3f), Perc(0.004f, 0.18f, 0.6f));
        AddTone(s, 0.075f * i, Wave::Square, Const(f), Perc(0.004f, 0.06f, 0.2f), 0.25f);
    }
    const int chord[4] = {72, 79, 84, 88};
    for (int i = 0; i < 4; ++i) {
        float f = Note(chord[i]);
        AddFm(s, 0.48f, [f](float t) { return f * (1 + 0.004f * std::sin(t * 33)); }, 1.0f, ExpSweep(1.2f, 0.15f, 0.8f),
              Perc(0.006f, 0.55f, 1.5f));
        AddTone(s, 0.48f, Wave::Triangle, Const(f * 0.5f), Perc(0.02f, 0.5f, 1.5f));
    }
    Reverb(s, 0.3f, 0.78f);
    Finish(s, -3);
    return s;
}

// The menu cursor moves: a short, soft blip.
Sound Arrow() {
    Sound s(0.07f);
    AddTone(s, 0, Wave::Square, ExpSweep(1400, 1100, 0.05f), Perc(0.001f, 0.018f, 0.07f), 0.5f);
    AddTone(s, 0, Wave::Sine, Const(2200), Perc(0.001f, 0.01f, 0.04f));
    LowPass(s, Const(6000));
    Finish(s, -9);
    return s;
}

// A machine-gun report (the sound set has it; no scene plays it).
Sound Gun() {
    Sound s(0.16f);
    AddNoise(s, 0, ExpSweep(5000, 900, 0.1f), 0.9f, Perc(0.001f, 0.028f, 0.16f), 23);
    AddTone(s, 0, Wave::Sine, ExpSweep(170, 55, 0.08f), Perc(0.001f, 0.04f, 0.16f));
    Finish(s, -4);
    return s;
}

// A choice is confirmed: two rising notes.
Sound Decide() {
    Sound s(0.24f);
    AddTone(s, 0, Wave::Square, Const(Note(83)), Perc(0.002f, 0.03f, 0.06f), 0.5f);
    AddTone(s, 0.06f, Wave::Square, Const(Note(88)), Perc(0.002f, 0.07f, 0.18f), 0.5f);
    AddTone(s, 0.06f, Wave::Sine, Const(Note(100)), Perc(0.002f, 0.05f, 0.18f));
    LowPass(s, Const(7000));
    Reverb(s, 0.12f, 0.5f);
    Finish(s, -7);
    return s;
}

// Backing out: two falling, softer notes.
Sound Cancel() {
    Sound s(0.24f);
    AddTone(s, 0, Wave::Triangle, Const(Note(79)), Perc(0.002f, 0.04f, 0.07f));
    AddTone(s, 0.07f, Wave::Triangle, Const(Note(72)), Perc(0.002f, 0.08f, 0.17f));
    AddTone(s, 0, Wave::Square, Const(Note(79)), Perc(0.002f, 0.02f, 0.07f), 0.25f);
    AddTone(s, 0.07f, Wave::Square, Const(Note(72)), Perc(0.002f, 0.03f, 0.17f), 0.25f);
    LowPass(s, Const(4000));
    Finish(s, -8);
    return s;
}

// The game pauses: a quick falling-then-rising three-note bell figure.
Sound Pause() {
    Sound s(0.42f);
    const int notes[3] = {88, 83, 91};  // E6 B5 G6
    for (int i = 0; i < 3; ++i)
        AddFm(s, 0.07f * i, Const(Note(notes[i])), 1.0f, ExpSweep(1.4f, 0.2f, 0.2f),
              Perc(0.002f, i == 2 ? 0.12f : 0.05f, 0.42f - 0.07f * i));
    Reverb(s, 0.2f, 0.6f);
    Finish(s, -6);
    return s;
}

// The clock runs low: a sharp double beep, once a second.
Sound Timer() {
    Sound s(0.22f);
    for (int i = 0; i < 2; ++i) {
        AddTone(s, 0.1f * i, Wave::Square, Const(1760), Perc(0.001f, 0.5f, 0.06f), 0.5f);
        AddTone(s, 0.1f * i, Wave::Sine, Const(3520), Perc(0.001f, 0.03f, 0.06f));
    }
    LowPass(s, Const(7000));
    Finish(s, -7);
    return s;
}
}  // namespace
}  // namespace sfx

using namespace sfx;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mksounds OUT_DIR\n");
        return 2;
    }
    struct Entry {
        const char* name;
        Sound (*make)();
    } entries[] = {{"beam.wav", Beam},   {"star.wav", Star},     {"torp.wav", Torpedo}, {"opening.wav", Opening},
                   {"arrow.wav", Arrow}, {"gun.wav", Gun},       {"dec.wav", Decide},   {"cancel.wav", Cancel},
                   {"pause.wav", Pause}, {"timer.wav", Timer}};
    for (const Entry& e : entries) {
        std::string path = std::string(argv[1]) + "/" + e.name;
        Sound s = e.make();
        if (!WriteWav16(path, s)) {
            std::fprintf(stderr, "mksounds: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("mksounds: %-12s %5.0f ms\n", e.name, 1000.0 * s.size() / kRate);
    }
    return 0;
}

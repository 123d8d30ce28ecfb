// The three stage tunes. Each loops from its start to its loop end (169, 146
// and 169 thousand ticks of 768 per quarter note), so each is written to end a
// phrase on the bar line just before its loop end and to lead back into its
// first bar: stage 1 turns around on the dominant into its intro, stage 2 ends
// on a two-beat drum fill over the dominant, stage 3 on the dominant of its
// minor key. Melodies are written in C major or A minor and transposed.
#include "tunes.h"

#include "compose.h"

namespace smf {
namespace {
// General MIDI programs (numbered from 0) and drum keys.
enum {
    kElectricPiano = 4, kVibraphone = 11, kMarimba = 12, kDistGuitar = 30, kSynthBass1 = 38, kSynthBass2 = 39,
    kStrings = 48, kSynthStrings = 50, kChoir = 52, kTrombone = 57, kBrassSection = 61, kPizzicato = 45,
    kTimpani = 47, kSquareLead = 80, kSawLead = 81, kWarmPad = 89, kPolySynth = 90,
};
enum { kKick = 36, kStick = 37, kSnare = 38, kClap = 39, kTomLow = 45, kTomMid = 47, kTomHigh = 50,
       kHatClosed = 42, kHatOpen = 46, kCrash = 49, kRide = 51 };

void Crash(Song& s, int bar) { s.DrumHit(bar, 0, kCrash, 112); }

// A drum fill over the second half of a bar, first half kept in time.
void Fill(Song& s, int bar) {
    s.DrumFill(bar, {"36:X.......X.......", "38:....X.....o.X.XX", "42:x.o.x.o.x.......", "48:..........X.....",
                           "45:.............X.."});
}
}  // namespace

// Stage 1: a bright, easy-going patrol in D major at 132 beats a minute.
bool WriteStage1(const std::string& path, uint32_t loopEnd) {
    Song s("Zorbat - Blue Sky Patrol", 132, +2);
    int intro = s.Bars("C | Am | F | G");
    int a1 = s.Bars("C | G | Am | Em | F | C | Dm | G");
    int a2 = s.Bars("C | G | Am | Em | F | C | F,G | C");
    int b1 = s.Bars("F | G | Em | Am | F | G | Am | G");
    int b2 = s.Bars("F | G | Em | Am | Dm | Em | F | G");
    int br = s.Bars("Am | F | C | G | Am | F | Dm | G");
    int a3 = s.Bars("C | G | Am | Em | F | C | F,G | C");
    int turn = s.Bars("F | Dm,G | G");
    int end = s.BarCount();

    int lead = s.Part("Lead", 0, kSquareLead, 84, 0, 50, 20);
    int vibe = s.Part("Vibes", 1, kVibraphone, 82, 20, 60);
    int keys = s.Part("Keys", 2, kElectricPiano, 74, -28, 45, 30);
    int arp = s.Part("Marimba", 3, kMarimba, 70, 32, 40);
    int bass = s.Part("Bass", 4, kSynthBass1, 100, 0, 20);
    int pad = s.Part("Pad", 5, kWarmPad, 60, 0, 70, 60);

    const std::string aHead = "G4:2 C5:2 E5:4 D5:2 C5:2 E5:4 | D5:4 B4:4 G4:6 r:2 | A4:2 C5:2 E5:4 D5:2 C5:2 E5:2 G5:2 |"
                              " G5:6 E5:2 B4:6 r:2 | F5:4 E5:2 D5:2 C5:4 A4:4 | G4:4 C5:4 E5:4 G5:4 |";
    const std::string bHead = "A5:6 G5:2 F5:4 C5:4 | D5:6 E5:2 F5:4 G5:4 | E5:6 D5:2 B4:4 G4:4 | A4:6 B4:2 C5:4 E5:4 |";
    s.Melody(lead, a1, aHead + " F5:4 E5:2 D5:2 A4:4 D5:4 | D5:10 r:2 B4:2 D5:2", 96);
    s.Melody(lead, a2, aHead + " A5:4 F5:4 G5:4 B4:4 | C5:12 r:4", 96);
    s.Melody(lead, b1, bHead + " F5:6 G5:2 A5:4 C6:4 | B5:6 A5:2 G5:4 D5:4 | E5:4 A5:4 G5:2 E5:2 C5:4 | D5:8 r:4 G4:4", 96);
    s.Melody(lead, b2, bHead + " F5:6 E5:2 D5:4 A5:4 | G5:6 A5:2 B5:4 E5:4 | C6:4 A5:4 F5:4 A5:4 | G5:8 D5:4 B4:4", 96);
    s.Melody(lead, a3, aHead + " A5:4 F5:4 G5:4 B4:4 | C5:12 r:4", 100);
    s.Melody(vibe, a3, aHead + " A5:4 F5:4 G5:4 B4:4 | C5:12 r:4", 62, 1);
    s.Melody(lead, turn, "A4:4 C5:4 F5:4 A5:4 | D5:4 F5:4 B5:4 D6:4 | G5:2 F5:2 D5:2 B4:2 G4:8", 98);
    // The bridge: the lead rests, the vibraphone sings long notes over the marimba.
    s.Melody(vibe, br, "E5:16 | F5:8 C5:8 | G5:16 | D5:8 B4:8 | C5:16 | A4:8 C5:8 | D5:8 F5:8 | B4:8 D5:8", 96);

    const std::vector<CompHit> skip = {{0, 3, 70}, {3, 3, 62}, {6, 2, 66}, {8, 3, 70}, {11, 3, 62}, {14, 2, 66}};
    s.Comp(keys, intro, br, skip, 66);
    s.Comp(keys, a3, end, skip, 66);
    s.Arp(arp, intro, a1, 62, 2, {0, 2, 4, 2, 1, 3, 5, 3}, 78);
    s.Arp(arp, a1, br, 62, 2, {0, 2, 4, 2, 1, 3, 5, 3}, 54);
    s.Arp(arp, br, a3, 62, 2, {0, 2, 4, 6, 5, 4, 2, 1}, 84);
    s.Arp(arp, a3, end, 62, 2, {0, 2, 4, 2, 1, 3, 5, 3}, 56);
    s.Bass(bass, intro, end,
           {{0, 3, 0, 100}, {3, 1, 0, 80}, {4, 2, 2, 90}, {6, 2, 1, 84}, {8, 3, 0, 96}, {11, 1, 0, 78},
            {12, 2, 2, 88}, {14, 2, 1, 82}});
    s.Pad(pad, intro, end, 60, 58);

    const std::vector<std::string> groove = {"36:X.......x.x.....", "38:....X.......X...", "42:x.o.x.o.x.o.x.o.",
                                             "46:..............o."};
    const std::vector<std::string> light = {"36:X.......X.......", "37:....x.......x...", "51:x.o.x.o.x.o.x.o."};
    for (int bar : {a1 - 1, a2 - 1, b1 - 1, b2 - 1, br - 1, a3 - 1, end - 1}) Fill(s, bar);
    s.Drums(intro, br, groove);
    s.Drums(br, a3, light);
    s.Drums(a3, end, groove);
    for (int bar : {intro, a1, a2, b1, b2, br, a3}) Crash(s, bar);
    return s.Write(path, loopEnd + kDivision);
}

// Stage 2: a driving chase in E minor at 156 beats a minute, with a guitar.
bool WriteStage2(const std::string& path, uint32_t loopEnd) {
    Song s("Zorbat - Steel Canyon", 156, -5);
    int intro = s.Bars("Am | Am | F | G");
    int a1 = s.Bars("Am | F | G | Am | Am | F | G | E");
    int a2 = s.Bars("Am | F | G | Am | Dm | F | E | Am");
    int b1 = s.Bars("F | G | Am | Am | F | G | E | E");
    int b2 = s.Bars("F | G | Em | Am | F | G | E | E");
    int c = s.Bars("Am | G | F | E | Am | G | F | E");
    int tag = s.Bars("Am | F | E");
    int fill = s.Bars("E", 2);  // the two-beat turnaround back to the top
    int end = s.BarCount();

    int lead = s.Part("Lead", 0, kSawLead, 82, 0, 40, 10);
    int gtr = s.Part("Guitar", 2, kDistGuitar, 66, -30, 30);
    int arp = s.Part("Synth", 3, kPolySynth, 62, 34, 40);
    int bass = s.Part("Bass", 4, kSynthBass2, 104, 0, 15);
    int pad = s.Part("Strings", 5, kSynthStrings, 56, 10, 60, 30);

    const std::string aHead = "A4:3 C5:3 E5:2 A5:4 G5:2 E5:2 | F5:3 E5:3 C5:2 A4:4 C5:4 | D5:3 E5:3 G5:2 B5:4 A5:2 G5:2 |"
                              " A5:10 r:2 E5:2 G5:2 |";
    const std::string bHead = "A5:8 G5:4 F5:4 | G5:8 F5:4 D5:4 |";
    s.Melody(lead, a1, aHead + " C6:3 B5:3 A5:2 E5:4 A5:4 | C6:3 B5:3 A5:2 F5:4 A5:4 | B5:3 A5:3 G5:2 D5:4 G5:4 |"
                               " G#5:8 B5:4 E5:4", 96);
    s.Melody(lead, a2, aHead + " D6:3 C6:3 A5:2 F5:4 D5:4 | C6:3 A5:3 F5:2 C5:4 F5:4 | B5:4 G#5:4 E5:4 D5:4 |"
                               " C5:4 A4:10 r:2", 96);
    s.Melody(lead, b1, bHead + " E5:12 C5:4 | A4:12 B4:2 C5:2 | C6:8 B5:4 A5:4 | B5:8 A5:4 G5:4 | G#5:8 A5:4 B5:4 |"
                               " E5:12 r:4", 94);
    s.Melody(lead, b2, bHead + " E5:8 G5:4 B5:4 | C6:8 B5:4 A5:4 | A5:4 C6:4 F6:8 | D6:4 B5:4 G5:8 |"
                               " B5:4 G#5:4 E5:4 B5:4 | B5:12 r:4", 98);
    s.Melody(lead, c,
             "E5:2 A5:2 E5:2 A5:2 C6:2 A5:2 E5:2 A5:2 | D5:2 G5:2 D5:2 G5:2 B5:2 G5:2 D5:2 G5:2 |"
             " C5:2 F5:2 C5:2 F5:2 A5:2 F5:2 C5:2 F5:2 | B4:2 E5:2 G#5:2 B5:2 E6:4 D6:4 |"
             " A5:2 C6:2 A5:2 C6:2 E6:2 C6:2 A5:2 C6:2 | G5:2 B5:2 G5:2 B5:2 D6:2 B5:2 G5:2 B5:2 |"
             " F5:2 A5:2 F5:2 A5:2 C6:2 A5:2 F5:2 A5:2 | E6:4 B5:4 G#5:4 E5:4",
             90);
    s.Melody(lead, tag, "A5:4 E5:4 C5:4 A4:4 | F5:4 C5:4 A4:4 F4:4 | E5:8 G#5:4 B5:4 | E6:6 r:2", 98);

    const std::vector<CompHit> chug = {{0, 2, 100}, {3, 1, 78}, {4, 2, 90}, {6, 2, 84}, {8, 2, 96}, {11, 1, 78},
                                       {12, 2, 90}, {14, 2, 84}};
    s.Comp(gtr, intro, end, chug, 52, true);
    s.Arp(arp, intro, a1, 64, 1, {0, 1, 2, 3, 4, 3, 2, 1}, 70, 1);
    s.Arp(arp, b1, c, 64, 1, {0, 2, 1, 3, 2, 4, 3, 5}, 56, 1);
    s.Arp(arp, c, end, 64, 1, {0, 1, 2, 3, 4, 5, 4, 3}, 74, 1);
    s.Bass(bass, intro, end,
           {{0, 2, 0, 104}, {2, 2, 0, 84}, {4, 2, 2, 94}, {6, 2, 0, 84}, {8, 2, 0, 100}, {10, 2, 0, 84},
            {12, 2, 2, 94}, {14, 2, 1, 88}});
    s.Pad(pad, a1, end, 62, 54);

    const std::vector<std::string> drive = {"36:X.....x.X.x.....", "38:....X.......X...", "42:xoxoXoxoxoxoXoxo"};
    const std::vector<std::string> chase = {"36:X.x...x.X.x...x.", "38:....X.......X..o", "42:xoxoXoxoxoxoXoxo",
                                            "51:x...x...x...x..."};
    for (int bar : {a1 - 1, a2 - 1, b1 - 1, b2 - 1, c - 1, c + 3}) Fill(s, bar);
    s.Drums(intro, c, drive);
    s.Drums(c, fill, chase);
    for (int bar : {intro, a1, a2, b1, b2, c, c + 4, tag}) Crash(s, bar);
    // The two-beat turnaround: a snare run into the top of the tune.
    s.DrumFill(fill, {"36:X.......", "38:..x.xXxX", "50:x.......", "47:....x...", "45:......X."});
    return s.Write(path, loopEnd + kDivision);
}

// Stage 3: the final stage, a dark march in D minor at 124 beats a minute.
bool WriteStage3(const std::string& path, uint32_t loopEnd) {
    Song s("Zorbat - Last Fortress", 124, -7);
    int intro = s.Bars("Am | Am | Bb | E");
    int a1 = s.Bars("Am | Am | F | F | Dm | Dm | E | E");
    int a2 = s.Bars("Am | Am | F | F | Dm | E | Am | Am");
    int b1 = s.Bars("F | G | C | Am | F | G | E | E");
    int b2 = s.Bars("F | G | C | Am | Dm | Bb | E | E");
    int bd = s.Bars("Am | Am | Am | Am | F | F | E | E");
    int cl = s.Bars("Am | F | C | G | Dm | Bb | E | E");
    int tag = s.Bars("Am | Bb | E");
    int end = s.BarCount();

    int lead = s.Part("Brass", 0, kBrassSection, 118, 0, 55);
    int str = s.Part("Strings", 1, kStrings, 100, -20, 70);
    int ost = s.Part("Ostinato", 2, kStrings, 84, 24, 50);
    int pizz = s.Part("Pizzicato", 3, kPizzicato, 98, -34, 45);
    int bass = s.Part("Bass", 4, kSynthBass1, 120, 0, 25);
    int choir = s.Part("Choir", 5, kChoir, 86, 0, 80, 30);
    int timp = s.Part("Timpani", 6, kTimpani, 120, 0, 50);
    int low = s.Part("Trombones", 7, kTrombone, 114, 14, 55);

    const std::string aHead = "E5:6 F5:2 E5:4 D5:2 C5:2 | B4:4 C5:4 A4:8 | A5:6 G5:2 F5:4 E5:2 D5:2 | C5:12 r:4 |";
    const std::string bHead = "C5:4 F5:4 A5:6 G5:2 | G5:4 D5:4 B5:6 A5:2 | G5:4 E5:4 C6:8 | B5:4 A5:4 E5:8 |";
    s.Melody(lead, a1, aHead + " D5:6 E5:2 F5:4 A5:4 | G5:4 F5:4 E5:4 D5:4 | E5:6 F5:2 G#5:4 B5:4 | B5:12 r:4", 96);
    s.Melody(lead, a2, aHead + " D5:6 E5:2 F5:4 A5:4 | G#5:6 A5:2 B5:4 D6:4 | C6:8 B5:4 G#5:4 | A5:12 r:4", 96);
    s.Melody(lead, b1, bHead + " F5:4 A5:4 C6:6 D6:2 | D6:4 B5:4 G5:6 A5:2 | B5:8 G#5:4 E5:4 | E5:12 r:4", 100);
    const std::string b2Text =
        bHead + " F5:4 A5:4 D6:6 C6:2 | D6:4 F6:4 D6:4 Bb5:4 | B5:8 G#5:4 B5:4 | E6:12 r:4";
    s.Melody(lead, b2, b2Text, 104);
    s.Melody(str, b2, b2Text, 76);
    const std::string climax = "A5:4 C6:4 E6:8 | F6:4 E6:4 C6:8 | E6:4 D6:4 C6:4 G5:4 | B5:4 D6:4 G5:8 |"
                               " A5:4 D6:4 F6:8 | F6:4 D6:4 Bb5:8 | G#5:4 B5:4 E6:4 D6:4 | B5:16";
    s.Melody(lead, cl, climax, 108);
    s.Melody(str, cl, climax, 84, -1);
    s.Melody(lead, tag, "A5:8 E5:8 | F5:8 D5:8 | E5:8 G#5:8", 100);
    // The breakdown: trombones alone over the choir and the pizzicato.
    s.Melody(low, bd, "A3:16 | G3:8 E3:8 | A3:16 | C4:8 B3:8 | A3:16 | C4:16 | B3:16 | G#3:16", 96);

    const std::vector<CompHit> eighths = {{0, 2, 78}, {2, 2, 62}, {4, 2, 70}, {6, 2, 62},
                                          {8, 2, 76}, {10, 2, 62}, {12, 2, 70}, {14, 2, 62}};
    s.Comp(ost, intro, bd, eighths, 57);
    s.Comp(ost, cl, end, eighths, 57);
    s.Arp(pizz, intro, end, 57, 1, {0, 1, 2, 3, 2, 1, 0, 1}, 70, 1);
    s.Bass(bass, intro, bd, {{0, 6, 0, 104}, {6, 2, 0, 86}, {8, 6, 1, 96}, {14, 2, 5, 84}});
    s.Bass(bass, bd, cl, {{0, 16, 0, 100}});
    s.Bass(bass, cl, end, {{0, 6, 0, 108}, {6, 2, 0, 88}, {8, 6, 1, 100}, {14, 2, 5, 86}});
    s.Pad(choir, intro, end, 62, 62);
    // Timpani on the downbeats of the intro, the climax and the tag.
    for (int bar = intro; bar < end; ++bar) {
        bool loud = bar < a1 || bar >= cl;
        if (!loud && (bar - a1) % 8 != 0) continue;
        s.Hit(timp, bar, 0, 45, loud ? 104 : 90, 4);  // A2, the tonic written in A minor
        if (loud) s.Hit(timp, bar, 8, 40, 90, 4);     // E2, the dominant
    }

    const std::vector<std::string> march = {"36:X.....x.X.......", "38:....X.......X...", "42:x.x.x.x.x.x.x.x.",
                                            "50:..............o."};
    const std::vector<std::string> halfTime = {"36:X.........X.....", "38:........X.......", "51:x.x.x.x.x.x.x.x."};
    for (int bar : {a1 - 1, a2 - 1, b1 - 1, b2 - 1, bd - 1, cl - 1, end - 1}) Fill(s, bar);
    s.Drums(intro, bd, march);
    s.Drums(bd, cl, halfTime);
    s.Drums(cl, end, march);
    for (int bar : {intro, a1, a2, b1, b2, bd, cl, cl + 4}) Crash(s, bar);
    return s.Write(path, loopEnd + kDivision);
}
}  // namespace smf

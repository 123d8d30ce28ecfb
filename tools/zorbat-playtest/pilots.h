// The reference pilots. Each one only works the controls a player has (flight
// keys, mouse motion, the two mouse buttons) and only knows what the player
// has seen on screen, kReactionFrames late:
//   idle     touches nothing;
//   novice   flies at the nearest enemy it knows of, turns at a human rate
//            (at most 5 degrees a frame), fires the beam while that enemy is
//            within 15 degrees of the nose, dodges nothing;
//   skilled  the same with both weapons, and it keeps its height out of the
//            gunships' bullets and torpedo drops, strafes around tanks and
//            weaves when fired at, and stands off farther below half life.
// An enemy it has not seen yet is unknown to it: it looks around for one.
#pragma once
#include <cstdint>

#include "sight.h"

enum PilotKind { PilotIdle = 0, PilotNovice = 1, PilotSkilled = 2 };
constexpr int kPilotCount = 3;
const char* PilotName(int pilot);
// -1 when the name is no pilot's.
int PilotByName(const char* name);

// The flight keys a pilot holds.
enum FlightKey { KeyForward, KeyLeft, KeyBack, KeyRight, KeyClimb, KeyDive };
constexpr int kFlightKeys = 6;

// The controls for one frame: keys and buttons held, mouse moved.
struct Controls {
    bool keys[kFlightKeys] = {};
    bool buttons[2] = {};  // left: beam, right: star
    int mouseDx = 0;
    int mouseDy = 0;
};

// Human turning: at most this many degrees a frame.
constexpr float kMaxTurnDegrees = 5.0f;

struct PilotMemory {
    bool known;
    int kind;
    Vec3 position;
    Vec3 velocity;  // from two pictures in a row, else 0
    int seen;       // frame of the picture it was last seen in
};

struct Pilot {
    int kind = PilotIdle;
    uint64_t rng = 0;
    PilotMemory enemies[kMaxEnemies];
    // The mouse motion it made on each recent frame (it knows its own hand).
    int madeDx[kReactionFrames + 1];
    int madeDy[kReactionFrames + 1];
    // The craft's position and heading in the last pictures, for noticing it is stuck.
    Vec3 trail[32];
    float trailYaw[32];
    int trailCount = 0;
    bool moveHeld[64];   // a flight key held on each recent frame
    float turnMade[64];  // degrees of turn asked for on each recent frame
    int target = -1;     // the enemy it is after
    int unstickUntil = 0;
    int unstickSide = 1;
    int searchLook = 0;  // which way it looks while it has nothing to go after
    int weaveSide = 1;
    int weaveUntil = 0;
    int dodgeUntil = 0;
    float torpedoCeiling = 0.0f;  // climb above this while torpedoes keep dropping
    int torpedoAlarmUntil = 0;
    float aimYaw = 0.0f, aimPitch = 0.0f;  // the hand's error of the moment
    int aimUntil = 0;
};

void StartPilot(Pilot* p, int kind, uint32_t seed);
// The controls for play frame `frame`, from what it has seen (null: nothing yet).
Controls FlyPilot(Pilot* p, const Glimpse* seen, int frame);

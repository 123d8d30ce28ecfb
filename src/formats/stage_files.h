// The two text files of a stage: actors (c%d.pxd) and map (m%d.pxd).
//
// Text rules shared by both: lines end with LF or CR LF and are read through a
// 32-byte buffer, so a line longer than 30 characters is split and its rest
// read as the next line; leading tabs are dropped but spaces are kept; blank
// lines inside a block are data (numbers read as 0); numbers are decimal and
// read up to the first character that does not fit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/actor.h"
#include "core/collision.h"
#include "core/math3d.h"

struct CameraSetup {
    Vec3 cameraOffset;
    Vec3 cameraAngles;
    Vec3 targetOffset;
};

struct StageSettings {
    Vec3 clearColour;  // 0..255 per component
    Vec3 boundsMin;
    Vec3 boundsMax;
    Vec3 lightDirection;
    float lightColour[4];
};

// Stage files are read whole; a larger file is refused as one that cannot be
// opened. The largest stage the game holds (63 enemies and 128 objects with
// 64 box parts each, every line 30 characters) is about 600 KB.
constexpr size_t kStageFileMaxBytes = size_t(1) << 20;
// Whether the readers will open `path`: a regular file of at most
// kStageFileMaxBytes that can be read. *why (when given) says why not.
bool CanOpenStageFile(const char* path, std::string* why);
// The file read whole as a stream over *bytes (which must outlive it), as
// every reader takes it; null when it cannot be opened.
std::FILE* OpenStageFile(const char* path, std::vector<uint8_t>* bytes);

// Box parts one collider keeps; a file asking for more has its extra part
// lines read (so the lines after them stay in place) but not stored.
constexpr int kMaxColliderParts = 64;

// Block k of an actor file into actor and collider; false when the file ends first.
bool ReadActorBlock(const char* path, int k, Actor* actor, Collider* collider);
// Stage object k (block k + 2 of a map file); false when the file ends first.
bool ReadStageObjectBlock(const char* path, int k, StageObject* object, Collider* collider);
// False only when the file cannot be opened (out is then left as it was);
// fields the file does not reach keep their values.
bool ReadCameraSetup(const char* path, CameraSetup* out);
bool ReadStageSettings(const char* path, StageSettings* out);
void ParseVec3(const char* line, Vec3* out);
// Drops leading tabs in place; returns null for a comment line.
char* TrimLine(char* line);
void SetStageObject(StageObject* object, const char* name, float emissive, Vec3 rotation,
                    Vec3 position, Vec3 scale);
// Gives the actor a zeroed state (reusing the one it has, if any).
void AttachActorState(Actor* actor);
// Frees what the readers allocated for an actor or an object (box parts, state).
void ReleaseActor(Actor* actor, Collider* collider);
void ReleaseStageObject(StageObject* object, Collider* collider);

// Whole files into the stage's tables. Every slot's previous box parts and
// state are released first, so nothing is carried over from the last stage.
// The player takes block 0 and collider slot 0 and is always left usable
// (collider linked, state attached) even when its block is missing; enemies
// take blocks 1.. and slots 1.., at most colliderSlots - 1 of them; blocks
// beyond that are ignored. Returns the number of enemies.
int ReadActorFile(const char* path, Actor* player, Actor* enemies, Collider* colliders,
                  int colliderSlots);
// Stage objects 0.. into objects and colliders, at most `capacity`; returns the count.
int ReadStageObjectFile(const char* path, StageObject* objects, Collider* colliders, int capacity);

// The readers on a file already open, each starting again from its first
// byte (the stream is left open): what the path versions do between opening
// and closing. The fuzzers use them on in-memory files.
bool ReadActorBlockFrom(std::FILE* file, int k, Actor* actor, Collider* collider);
bool ReadStageObjectBlockFrom(std::FILE* file, int k, StageObject* object, Collider* collider);
bool ReadCameraSetupFrom(std::FILE* file, CameraSetup* out);
bool ReadStageSettingsFrom(std::FILE* file, StageSettings* out);
int ReadActorFileFrom(std::FILE* file, Actor* player, Actor* enemies, Collider* colliders,
                      int colliderSlots);
int ReadStageObjectFileFrom(std::FILE* file, StageObject* objects, Collider* colliders, int capacity);

// One channel of the clear colour: truncated toward zero, low 8 bits kept
// (128.9 -> 128, 256 -> 0, -1 -> 255); values beyond the integer range and NaN give 0.
uint8_t ClearColourByte(float value);

// Number reading as the stage files use it: optional leading white space,
// optional sign, digits with an optional fraction and exponent, decimal only.
// *end (when given) is where reading stopped, or `text` itself when no digits
// were found (the value is then 0). Integers saturate at the int range.
float ParseStageFloat(const char* text, const char** end);
int ParseStageInt(const char* text, const char** end);
// `count` comma-separated numbers, each read from the start of its field;
// numbers missing from the line read as 0.
void ParseStageFloats(const char* line, float* out, int count);

// ---- For tools that explain stage files to their authors (stagecheck) ----

// One piece of a line as the 32-byte buffer holds it.
struct StageLine {
    char text[32];  // up to 31 characters with the line end ("\n") when it fits
    int number;     // 1-based line of the file this piece starts on
    bool continued; // the piece is the rest of a line that was split
    bool split;     // the line goes on in the next piece
};

struct StageLineCursor {
    std::FILE* file;
    int number;  // line of the next piece
    bool midLine;
};

void BeginStageLines(StageLineCursor* cursor, std::FILE* file);
// The next piece; false at the end of the file. CR LF reads as LF.
bool NextStageLine(StageLineCursor* cursor, StageLine* line);

enum class StageLineUse {
    Skipped,  // read but not used: before the block, or after its last field
    Counted,  // a "}" counted while earlier blocks are skipped
    Comment,  // recognised as a comment
    Open,     // the brace line that opens the block (or any brace, for camera and settings)
    Close,
    Field,    // taken as the data named by `field`
};

enum class StageField {
    None,
    Tag,
    Emissive,
    Rotation,
    Position,
    Scale,
    PartCount,
    MainCentre,
    MainAngles,
    MainHalfExtent,
    PartOffset,
    PartHalfExtent,
    Radius,
    HitPoints,
    CameraOffset,
    CameraAngles,
    TargetOffset,
    ClearColour,
    BoundsMin,
    BoundsMax,
    LightDirection,
    LightColour,
};

struct StageLineEvent {
    const StageLine* line;
    const char* data;  // the text the reader used (after dropping tabs), or null
    StageLineUse use;
    StageField field;
    int part;  // part index for part lines, else -1
};

// Called for every line a reader reads, when set; null (the game) costs nothing.
using StageObserver = void (*)(const StageLineEvent& event, void* context);
void SetStageObserver(StageObserver observer, void* context);
const char* StageFieldName(StageField field);

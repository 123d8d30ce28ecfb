// The two text files of a stage: actors (c%d.pxd) and map (m%d.pxd).
#pragma once
#include "game/actor.h"
#include "graphics/math3d.h"

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

// Block k of an actor file into actor and collider; false when the file ends first.
bool ReadActorBlock(const char* path, int k, Actor* actor, Collider* collider);
// Stage object k (block k + 2 of a map file); false when the file ends first.
bool ReadStageObjectBlock(const char* path, int k, StageObject* object, Collider* collider);
bool ReadCameraSetup(const char* path, CameraSetup* out);
bool ReadStageSettings(const char* path, StageSettings* out);
void ParseVec3(const char* line, Vec3* out);
// Drops leading tabs in place; returns null for a comment line.
char* TrimLine(char* line);
void SetStageObject(StageObject* object, const char* name, float emissive, Vec3 rotation,
                    Vec3 position, Vec3 scale);
void AttachActorState(Actor* actor);
// Frees what the readers allocated for an actor or an object (box parts, state).
void ReleaseActor(Actor* actor, Collider* collider);
void ReleaseStageObject(StageObject* object, Collider* collider);

// The stage readers: actor blocks, stage-object blocks, the camera setup and
// the stage settings, and the records they fill.
#include "formats/stage_files.h"

#include <cstring>
#include <vector>

#include "core/regular_file.h"

#include "formats/stage_observer.h"

namespace {

constexpr int kMainBoxTag = 100;
constexpr int kPartBoxTag = 101;

struct Reader {
    StageLineCursor cursor;
    StageLine line;
    char data[32];  // the line after dropping its leading tabs
};

enum class Next { Data, Close, End };

void DropTabs(char* text) {
    size_t skip = 0;
    while (text[skip] == '\t') ++skip;
    if (skip > 0) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

// Skips `blocks` blocks by counting lines with "}" in the first column (an
// indented brace does not count here), then reads up to the line opening the
// next block. False when the file ends first.
bool FindBlock(Reader* r, int blocks) {
    for (int closed = 0; closed < blocks;) {
        if (!NextStageLine(&r->cursor, &r->line)) return false;
        const bool brace = r->line.text[0] == '}';
        if (brace) ++closed;
        ReportStageLine(r->line, nullptr, brace ? StageLineUse::Counted : StageLineUse::Skipped);
    }
    for (;;) {
        if (!NextStageLine(&r->cursor, &r->line)) return false;
        std::memcpy(r->data, r->line.text, sizeof r->data);
        if (!TrimLine(r->data)) {
            ReportStageLine(r->line, nullptr, StageLineUse::Comment);
        } else if (r->data[0] == '{') {
            ReportStageLine(r->line, r->data, StageLineUse::Open);
            return true;
        } else {
            ReportStageLine(r->line, r->data, StageLineUse::Skipped);
        }
    }
}

// The next line of a block that is not a comment; a "}" after the tabs closes it.
Next NextData(Reader* r) {
    for (;;) {
        if (!NextStageLine(&r->cursor, &r->line)) return Next::End;
        std::memcpy(r->data, r->line.text, sizeof r->data);
        if (!TrimLine(r->data)) {
            ReportStageLine(r->line, nullptr, StageLineUse::Comment);
            continue;
        }
        if (r->data[0] == '}') {
            ReportStageLine(r->line, r->data, StageLineUse::Close);
            return Next::Close;
        }
        return Next::Data;
    }
}

void Field(const Reader& r, StageField field, int part = -1) {
    ReportStageLine(r.line, r.data, StageLineUse::Field, field, part);
}

// The tag is the line without its line end, cut to what the name holds.
void CopyTagLine(char* name, const char* text) {
    int n = 0;
    while (n < kMaxTagLength && text[n] != '\0' && text[n] != '\n') {
        name[n] = text[n];
        ++n;
    }
    std::memset(name + n, 0, kTagBytes - n);
}

int StoredParts(int count) {
    if (count < 0) return 0;
    return count < kMaxColliderParts ? count : kMaxColliderParts;
}

void MakeBoxes(Collider* collider, int count) {
    CreateBoxSet(&collider->shape, StoredParts(count));
    collider->shape.main.tag = kMainBoxTag;
}

// An actor's part list: 2N lines in pairs (offset, half extents), every one
// taken as data. Comments and braces are not recognised in here.
bool ReadActorParts(Reader* r, Collider* collider, int count) {
    BoxSet& set = collider->shape;
    for (int i = 0; i < count; ++i) {
        for (int half = 0; half < 2; ++half) {
            if (!NextStageLine(&r->cursor, &r->line)) return false;
            ReportStageLine(r->line, r->line.text, StageLineUse::Field,
                            half ? StageField::PartHalfExtent : StageField::PartOffset, i);
            if (i >= set.partCount) continue;
            BoxPart& part = set.parts[i];
            if (half) {
                ParseVec3(r->line.text, &part.box.halfExtent);
            } else {
                part.box.tag = kPartBoxTag;
                ParseVec3(r->line.text, &part.offset);
            }
        }
    }
    return true;
}

enum ActorStep { ATag, ARotation, APosition, AScale, APartCount, AMainHalf, ARadius, AHitPoints, ADone };

bool ReadActorFields(Reader* r, Actor* actor, Collider* collider) {
    int step = ATag;
    int parts = 0;
    bool boxesMade = false;
    for (;;) {
        const Next next = NextData(r);
        if (next == Next::End) break;
        if (next == Next::Close) {
            if (!boxesMade) MakeBoxes(collider, 0);
            collider->owner = actor;
            collider->active = 1;
            actor->collider = collider;
            AttachActorState(actor);
            return true;
        }
        const char* d = r->data;
        switch (step++) {
            case ATag: Field(*r, StageField::Tag); CopyTagLine(actor->name, d); break;
            case ARotation: Field(*r, StageField::Rotation); ParseVec3(d, &actor->rotation); break;
            case APosition: Field(*r, StageField::Position); ParseVec3(d, &actor->position); break;
            case AScale: Field(*r, StageField::Scale); ParseVec3(d, &actor->scale); break;
            case APartCount:
                Field(*r, StageField::PartCount);
                parts = ParseStageInt(d, nullptr);
                MakeBoxes(collider, parts);
                boxesMade = true;
                break;
            case AMainHalf:
                Field(*r, StageField::MainHalfExtent);
                ParseVec3(d, &collider->shape.main.halfExtent);
                if (!ReadActorParts(r, collider, parts)) {
                    ReleaseBoxSet(&collider->shape);
                    return false;
                }
                break;
            case ARadius: Field(*r, StageField::Radius); collider->sphereRadius = ParseStageFloat(d, nullptr); break;
            case AHitPoints: Field(*r, StageField::HitPoints); actor->hitPoints = ParseStageInt(d, nullptr); break;
            default: ReportStageLine(r->line, d, StageLineUse::Skipped); step = ADone; break;
        }
    }
    // Cut short: what was made for this block goes again.
    if (boxesMade) ReleaseBoxSet(&collider->shape);
    return false;
}

enum ObjectStep {
    OTag, OEmissive, ORotation, OPosition, OScale, OPartCount, OMainCentre, OMainAngles, OMainHalf,
    OParts, ORadius, ODone
};

bool ReadObjectFields(Reader* r, StageObject* object, Collider* collider) {
    int step = OTag;
    int parts = 0;
    long long partLine = 0;  // 0..N-1 offsets, then N..2N-1 half extents (N may be huge)
    bool boxesMade = false;
    for (;;) {
        const Next next = NextData(r);
        if (next == Next::End) break;
        if (next == Next::Close) {
            if (!boxesMade) MakeBoxes(collider, 0);
            collider->owner = nullptr;
            collider->active = 1;
            object->collider = collider;
            return true;
        }
        const char* d = r->data;
        BoxSet& set = collider->shape;
        switch (step) {
            case OTag: Field(*r, StageField::Tag); CopyTagLine(object->name, d); break;
            case OEmissive: Field(*r, StageField::Emissive); object->emissive = ParseStageFloat(d, nullptr); break;
            case ORotation: Field(*r, StageField::Rotation); ParseVec3(d, &object->rotation); break;
            case OPosition:
                Field(*r, StageField::Position);
                ParseVec3(d, &object->position);
                collider->sphereCentre = object->position;
                break;
            case OScale: Field(*r, StageField::Scale); ParseVec3(d, &object->scale); break;
            case OPartCount:
                Field(*r, StageField::PartCount);
                parts = ParseStageInt(d, nullptr);
                if (parts < 0) parts = 0;
                MakeBoxes(collider, parts);
                boxesMade = true;
                break;
            case OMainCentre: Field(*r, StageField::MainCentre); ParseVec3(d, &set.main.centre); break;
            case OMainAngles: Field(*r, StageField::MainAngles); ParseVec3(d, &set.main.angles); break;
            case OMainHalf:
                Field(*r, StageField::MainHalfExtent);
                ParseVec3(d, &set.main.halfExtent);
                SetBoxAxes(&set.main, set.main.angles);
                if (parts == 0) ++step;  // no part lines
                break;
            case OParts: {
                const bool half = partLine >= parts;
                const int i = int(half ? partLine - parts : partLine);
                Field(*r, half ? StageField::PartHalfExtent : StageField::PartOffset, i);
                if (i < set.partCount) {
                    if (half) {
                        ParseVec3(d, &set.parts[i].box.halfExtent);
                    } else {
                        set.parts[i].box.tag = kPartBoxTag;
                        ParseVec3(d, &set.parts[i].offset);
                    }
                }
                if (++partLine < 2LL * parts) continue;  // stay on the part lines
                // A stage-object collider has no owner to place it later:
                // the parts are placed from the main box once, here.
                UpdateBoxParts(&set);
                break;
            }
            case ORadius: Field(*r, StageField::Radius); collider->sphereRadius = ParseStageFloat(d, nullptr); break;
            default: ReportStageLine(r->line, d, StageLineUse::Skipped); step = ODone - 1; break;
        }
        ++step;
    }
    if (boxesMade) ReleaseBoxSet(&collider->shape);
    return false;
}

// The data lines of the camera setup or the stage settings: after
// `afterBraces` brace lines (tabs dropped), the first `count` lines that are
// neither braces nor comments in the first column. An indented comment is data
// here. Returns how many were found.
int CollectLeadingLines(std::FILE* f, int afterBraces, const StageField* fields, int count,
                        char (*lines)[32]) {
    Reader r;
    BeginStageLines(&r.cursor, f);
    int braces = 0;
    int found = 0;
    while (found < count && NextStageLine(&r.cursor, &r.line)) {
        if (r.line.text[0] == '/' && r.line.text[1] == '/') {
            ReportStageLine(r.line, nullptr, StageLineUse::Comment);
            continue;
        }
        std::memcpy(r.data, r.line.text, sizeof r.data);
        DropTabs(r.data);
        if (r.data[0] == '{' || r.data[0] == '}') {
            ++braces;
            ReportStageLine(r.line, r.data, r.data[0] == '{' ? StageLineUse::Open : StageLineUse::Close);
        } else if (braces < afterBraces) {
            ReportStageLine(r.line, r.data, StageLineUse::Skipped);
        } else {
            Field(r, fields[found]);
            std::memcpy(lines[found++], r.data, sizeof r.data);
        }
    }
    return found;
}

// Every read opens the file anew, reads from its first byte and closes it.
// The file is taken whole (a regular file of at most kStageFileMaxBytes) and
// read from memory: a FIFO or a device never reaches the readers, and a file
// growing meanwhile cannot make them read on.
template <typename Read>
bool WithStageFile(const char* path, Read read) {
    std::vector<uint8_t> bytes;
    std::FILE* f = OpenStageFile(path, &bytes);
    if (!f) return false;
    const bool ok = read(f);
    std::fclose(f);
    return ok;
}

bool Rewind(std::FILE* f) { return f && std::fseek(f, 0, SEEK_SET) == 0; }

// The player, then enemies until a block fails or the slots are full.
template <typename ReadBlock>
int LoadActors(ReadBlock readBlock, Actor* player, Actor* enemies, Collider* colliders,
               int colliderSlots) {
    if (colliderSlots < 1) return 0;
    ReleaseActor(player, &colliders[0]);
    for (int i = 0; i + 1 < colliderSlots; ++i) ReleaseActor(&enemies[i], &colliders[i + 1]);
    if (!readBlock(0, player, &colliders[0])) {
        // The game goes on without a player block; keep the craft usable.
        colliders[0].owner = player;
        colliders[0].active = 1;
        player->collider = &colliders[0];
        AttachActorState(player);
    }
    int count = 0;
    while (count + 1 < colliderSlots && readBlock(count + 1, &enemies[count], &colliders[count + 1]))
        ++count;
    return count;
}

template <typename ReadBlock>
int LoadStageObjects(ReadBlock readBlock, StageObject* objects, Collider* colliders, int capacity) {
    for (int i = 0; i < capacity; ++i) ReleaseStageObject(&objects[i], &colliders[i]);
    int count = 0;
    while (count < capacity && readBlock(count, &objects[count], &colliders[count])) ++count;
    return count;
}

}  // namespace

bool ReadActorBlockFrom(std::FILE* file, int k, Actor* actor, Collider* collider) {
    if (k < 0 || !Rewind(file)) return false;
    Reader r;
    BeginStageLines(&r.cursor, file);
    return FindBlock(&r, k) && ReadActorFields(&r, actor, collider);
}

bool ReadStageObjectBlockFrom(std::FILE* file, int k, StageObject* object, Collider* collider) {
    if (k < 0 || !Rewind(file)) return false;
    Reader r;
    BeginStageLines(&r.cursor, file);
    // Blocks 0 and 1 are the camera setup and the stage settings.
    return FindBlock(&r, k + 2) && ReadObjectFields(&r, object, collider);
}

bool ReadCameraSetupFrom(std::FILE* file, CameraSetup* out) {
    static const StageField kFields[3] = {StageField::CameraOffset, StageField::CameraAngles,
                                          StageField::TargetOffset};
    if (!Rewind(file)) return false;
    char lines[3][32];
    const int found = CollectLeadingLines(file, 1, kFields, 3, lines);
    Vec3* targets[3] = {&out->cameraOffset, &out->cameraAngles, &out->targetOffset};
    for (int i = 0; i < found; ++i) ParseVec3(lines[i], targets[i]);
    return true;
}

bool ReadStageSettingsFrom(std::FILE* file, StageSettings* out) {
    static const StageField kFields[5] = {StageField::ClearColour, StageField::BoundsMin,
                                          StageField::BoundsMax, StageField::LightDirection,
                                          StageField::LightColour};
    if (!Rewind(file)) return false;
    char lines[5][32];
    // Block 1 opens with the third brace line: "{", "}" of block 0, then "{".
    const int found = CollectLeadingLines(file, 3, kFields, 5, lines);
    Vec3* targets[4] = {&out->clearColour, &out->boundsMin, &out->boundsMax, &out->lightDirection};
    for (int i = 0; i < found && i < 4; ++i) ParseVec3(lines[i], targets[i]);
    if (found == 5) ParseStageFloats(lines[4], out->lightColour, 4);
    return true;
}

bool ReadActorBlock(const char* path, int k, Actor* actor, Collider* collider) {
    return WithStageFile(path, [&](std::FILE* f) { return ReadActorBlockFrom(f, k, actor, collider); });
}

bool ReadStageObjectBlock(const char* path, int k, StageObject* object, Collider* collider) {
    return WithStageFile(path,
                         [&](std::FILE* f) { return ReadStageObjectBlockFrom(f, k, object, collider); });
}

bool ReadCameraSetup(const char* path, CameraSetup* out) {
    return WithStageFile(path, [&](std::FILE* f) { return ReadCameraSetupFrom(f, out); });
}

bool ReadStageSettings(const char* path, StageSettings* out) {
    return WithStageFile(path, [&](std::FILE* f) { return ReadStageSettingsFrom(f, out); });
}

std::FILE* OpenStageFile(const char* path, std::vector<uint8_t>* bytes) {
    if (!ReadRegularFile(path, kStageFileMaxBytes, bytes, nullptr)) return nullptr;
    static uint8_t empty[1];
    return bytes->empty() ? fmemopen(empty, 0, "r") : fmemopen(bytes->data(), bytes->size(), "r");
}

bool CanOpenStageFile(const char* path, std::string* why) {
    FileProblem problem;
    std::FILE* f = OpenRegularStream(path, kStageFileMaxBytes, &problem);
    if (f) {
        std::fclose(f);
        return true;
    }
    if (why) *why = FileProblemText(problem);
    return false;
}

void SetStageObject(StageObject* object, const char* name, float emissive, Vec3 rotation,
                    Vec3 position, Vec3 scale) {
    CopyTagLine(object->name, name);
    object->emissive = emissive;
    object->collider = nullptr;
    object->rotation = rotation;
    object->position = position;
    object->scale = scale;
}

void AttachActorState(Actor* actor) {
    if (actor->state)
        *actor->state = ActorState{};
    else
        actor->state = new ActorState{};
}

void ReleaseActor(Actor* actor, Collider* collider) {
    delete actor->state;
    actor->state = nullptr;
    if (collider) {
        ReleaseBoxSet(&collider->shape);
        collider->active = 0;
    }
}

void ReleaseStageObject(StageObject* object, Collider* collider) {
    (void)object;
    if (collider) {
        ReleaseBoxSet(&collider->shape);
        collider->active = 0;
    }
}

int ReadActorFile(const char* path, Actor* player, Actor* enemies, Collider* colliders,
                  int colliderSlots) {
    auto read = [path](int k, Actor* a, Collider* c) { return ReadActorBlock(path, k, a, c); };
    return LoadActors(read, player, enemies, colliders, colliderSlots);
}

int ReadStageObjectFile(const char* path, StageObject* objects, Collider* colliders, int capacity) {
    auto read = [path](int k, StageObject* o, Collider* c) { return ReadStageObjectBlock(path, k, o, c); };
    return LoadStageObjects(read, objects, colliders, capacity);
}

int ReadActorFileFrom(std::FILE* file, Actor* player, Actor* enemies, Collider* colliders,
                      int colliderSlots) {
    auto read = [file](int k, Actor* a, Collider* c) { return ReadActorBlockFrom(file, k, a, c); };
    return LoadActors(read, player, enemies, colliders, colliderSlots);
}

int ReadStageObjectFileFrom(std::FILE* file, StageObject* objects, Collider* colliders, int capacity) {
    auto read = [file](int k, StageObject* o, Collider* c) {
        return ReadStageObjectBlockFrom(file, k, o, c);
    };
    return LoadStageObjects(read, objects, colliders, capacity);
}

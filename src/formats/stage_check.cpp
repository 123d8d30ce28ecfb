// The stage-file checker: runs the game's readers block by block with a line
// recorder attached and explains what they did with each line.
#include "formats/stage_check.h"

#include <map>
#include <string>

#include "core/enemy_kinds.h"
#include "core/tables.h"
#include "formats/stage_check_internal.h"

namespace {

constexpr int kMaxCheckedBlocks = 4096;

const char* KindName(const EnemyKind* behaviour) {
    return behaviour ? behaviour->called : "stays where it is placed and never fires";
}

std::string Vec(Vec3 v) {
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", v.x, v.y, v.z);
    return text;
}

// The field the reader expects as data line i of a block with `parts` parts.
StageField ExpectedField(bool actor, int parts, long i, int* part) {
    *part = -1;
    if (actor) {
        static const StageField head[] = {StageField::Tag, StageField::Rotation, StageField::Position,
                                          StageField::Scale, StageField::PartCount,
                                          StageField::MainHalfExtent};
        if (i < 6) return head[i];
        const long p = i - 6;
        if (p < 2L * parts) {
            *part = int(p / 2);
            return p % 2 ? StageField::PartHalfExtent : StageField::PartOffset;
        }
        return p == 2L * parts ? StageField::Radius : p == 2L * parts + 1 ? StageField::HitPoints
                                                                            : StageField::None;
    }
    static const StageField head[] = {StageField::Tag, StageField::Emissive, StageField::Rotation,
                                      StageField::Position, StageField::Scale, StageField::PartCount,
                                      StageField::MainCentre, StageField::MainAngles,
                                      StageField::MainHalfExtent};
    if (i < 9) return head[i];
    const long p = i - 9;
    if (p < 2L * parts) {
        *part = int(p % parts);
        return p < parts ? StageField::PartOffset : StageField::PartHalfExtent;
    }
    return p == 2L * parts ? StageField::Radius : StageField::None;
}

std::string TrimmedStart(const std::string& raw) {
    size_t i = 0;
    while (i < raw.size() && raw[i] == '\t') ++i;
    return raw.substr(i);
}

struct BlockSeen {
    bool opened = false;
    int openLine = 0;
    int lastLine = 0;
};

// Looks at the lines one reader call went through for a block that comes
// after `skip` blocks: what lay between blocks, and every line of the block.
BlockSeen ExamineBlock(CheckReport* report, const std::vector<SeenLine>& lines, int skip, bool actor) {
    BlockSeen seen;
    size_t i = 0;
    for (int counted = 0; i < lines.size() && counted < skip; ++i)
        if (lines[i].use == StageLineUse::Counted) ++counted;
    // Between the previous block and this one.
    for (; i < lines.size() && lines[i].use != StageLineUse::Open; ++i) {
        const SeenLine& l = lines[i];
        if (l.use != StageLineUse::Skipped || IsBlank(l.data)) continue;
        if (l.data[0] == '}')
            ReportError(report, l.number,
                        "\"}\" outside any block: the block above has no \"{\", and the blocks "
                        "after this line are counted wrongly");
        else
            ReportWarning(report, l.number, "text outside any block is ignored: " + Quoted(l.data));
    }
    if (i == lines.size()) return seen;
    seen.opened = true;
    seen.openLine = seen.lastLine = lines[i].number;
    int parts = 0;
    long fieldIndex = 0;
    for (++i; i < lines.size(); ++i) {
        const SeenLine& l = lines[i];
        seen.lastLine = l.number;
        if (l.use == StageLineUse::Close) {
            if (l.raw[0] != '}')
                ReportError(report, l.number,
                            "indented \"}\" closes this block, but later blocks are found by "
                            "counting \"}\" in the first column only: every later block is misread");
            int part;
            const StageField missing = ExpectedField(actor, parts, fieldIndex, &part);
            if (missing != StageField::None)
                ReportError(report, l.number,
                            std::string("the block closes before its ") + StageFieldName(missing) +
                                (part >= 0 ? " of part " + std::to_string(part) : "") +
                                " line; that and every later field keep their previous values");
            break;
        }
        if (l.use == StageLineUse::Skipped && !IsBlank(l.data))
            ReportWarning(report, l.number,
                          "line after the block's last field is ignored: " + Quoted(l.data));
        if (l.use != StageLineUse::Field) continue;
        ++fieldIndex;
        if (l.field == StageField::PartCount) {
            parts = ParseStageInt(l.data.c_str(), nullptr);
            if (parts < 0) {
                ReportError(report, l.number, "a negative part count reads as no parts");
                parts = 0;
            } else if (parts > kMaxColliderParts) {
                ReportError(report, l.number,
                            "more than " + std::to_string(kMaxColliderParts) +
                                " box parts: the parts beyond that are read but not kept");
            }
        }
        const std::string part = l.part >= 0 ? " of part " + std::to_string(l.part) : "";
        const bool partLine = l.field == StageField::PartOffset || l.field == StageField::PartHalfExtent;
        const std::string trimmed = TrimmedStart(l.raw);
        if (l.continued) {
            ReportError(report, l.number,
                        std::string("the rest of this long line is read as the ") +
                            StageFieldName(l.field) + part);
        } else if (actor && partLine && trimmed.compare(0, 2, "//") == 0) {
            ReportError(report, l.number,
                        std::string("comment inside the part list is read as the ") +
                            StageFieldName(l.field) + part + " (comments are not skipped there)");
        } else if (actor && partLine && trimmed[0] == '}') {
            ReportError(report, l.number,
                        std::string("\"}\" inside the part list is read as the ") +
                            StageFieldName(l.field) + part + ": the block has fewer lines than its " +
                            std::to_string(parts) + " parts need");
        } else {
            CheckField(report, l);
        }
    }
    return seen;
}

void CheckActorFile(CheckReport* report, const char* path) {
    std::map<std::string, int> kinds;
    int enemies = 0;
    int block = 0;
    for (; block < kMaxCheckedBlocks; ++block) {
        Actor actor{};
        Collider collider{};
        bool ok;
        BlockSeen seen;
        {
            LineRecorder recorder;
            ok = ReadActorBlock(path, block, &actor, &collider);
            seen = ExamineBlock(report, recorder.lines, block, true);
        }
        if (!ok) {
            if (seen.opened)
                ReportError(report, seen.openLine,
                            "block " + std::to_string(block) +
                                " is cut short: the file ends before its \"}\", and the game stops "
                                "reading here");
            ReleaseActor(&actor, &collider);
            break;
        }
        const std::string tag = actor.name;
        const EnemyKind* drawn = EnemyKindOf(actor.name);
        const EnemyKind* behaves = MovingKindOf(actor.name);
        if (block == 0) {
            ReportInfo(report, "line " + std::to_string(seen.openLine) + ": player \"" + tag + "\" at " +
                                   Vec(actor.position) + ", " + std::to_string(actor.hitPoints) +
                                   " hit points, " + Counted(collider.shape.partCount, "box part", "box parts"));
            if (!TagHas(actor.name, kPlayerCraft.tag))
                ReportError(report, seen.openLine,
                            "the player's tag \"" + tag + "\" has no \"" + kPlayerCraft.tag +
                                "\": the craft is not drawn");
            if (actor.hitPoints <= 0)
                ReportError(report, seen.openLine,
                            "the player starts with " + std::to_string(actor.hitPoints) +
                                " hit points: the game is over on the first frame");
        } else {
            ++enemies;
            ++kinds[tag];
            if (enemies == kEnemyCapacity + 1)
                ReportError(report, seen.openLine,
                            "enemy " + std::to_string(enemies) + ": the game holds " +
                                std::to_string(kEnemyCapacity) +
                                " enemies; this block and every later one are ignored");
            if (enemies <= kEnemyCapacity)
                ReportInfo(report, "line " + std::to_string(seen.openLine) + ": enemy " +
                                       std::to_string(enemies) + " \"" + tag + "\" at " +
                                       Vec(actor.position) + ", " + KindName(behaves) + ", " +
                                       std::to_string(actor.hitPoints) + " hit points, " +
                                       Counted(collider.shape.partCount, "box part", "box parts"));
            if (!drawn)
                ReportError(report, seen.openLine,
                            "tag \"" + tag + "\" matches no drawing: the enemy is invisible, yet it "
                            "must be destroyed to clear the stage");
            else if (!behaves && drawn == &kPlayerCraft)
                ReportWarning(report, seen.openLine,
                              "tag \"" + tag + "\" is drawn as " + drawn->tag + " but matches no behaviour");
            else if (behaves && drawn != behaves)
                ReportWarning(report, seen.openLine, "tag \"" + tag + "\" is drawn as " + drawn->tag +
                                                         " but behaves as " + behaves->tag);
            if (actor.hitPoints <= 0)
                ReportWarning(report, seen.openLine,
                              "the enemy starts with " + std::to_string(actor.hitPoints) +
                                  " hit points: it counts as destroyed from the start");
        }
        ReleaseActor(&actor, &collider);
    }
    if (block == kMaxCheckedBlocks)
        ReportWarning(report, 0, "stopped checking after " + std::to_string(kMaxCheckedBlocks) + " blocks");
    if (block == 0) ReportError(report, 1, "no player block: the file holds no complete block");
    std::string summary = block > 0 ? "1 player, " : "no player, ";
    const int kept = enemies < kEnemyCapacity ? enemies : kEnemyCapacity;
    summary += std::to_string(kept) + (kept == 1 ? " enemy" : " enemies");
    if (enemies > kEnemyCapacity) summary += " (" + std::to_string(enemies - kEnemyCapacity) + " more ignored)";
    if (!kinds.empty()) {
        summary += ":";
        for (const auto& [tag, count] : kinds) summary += " " + tag + " x" + std::to_string(count);
    }
    ReportInfo(report, summary);
}

// Camera setup or stage settings: the lines that reader took.
// Returns the line of each field found.
std::vector<int> ExamineLeadingBlock(CheckReport* report, const std::vector<SeenLine>& lines,
                                     int ownBraces, int wanted, const char* what) {
    std::vector<int> fieldLines;
    int braces = 0;
    int found = 0;
    int last = 1;
    for (const SeenLine& l : lines) {
        last = l.number;
        if (l.use == StageLineUse::Open || l.use == StageLineUse::Close) ++braces;
        if (l.use != StageLineUse::Field) continue;
        ++found;
        fieldLines.push_back(l.number);
        const std::string field = StageFieldName(l.field);
        if (braces > ownBraces)
            ReportError(report, l.number,
                        std::string("the ") + what + " block has too few lines: its " + field +
                            " is taken from this line of a later block");
        else if (l.continued)
            ReportError(report, l.number, "the rest of this long line is read as the " + field);
        else if (l.data.compare(0, 2, "//") == 0)
            ReportError(report, l.number,
                        "indented comment is read as the " + field +
                            "; in this block only comments in the first column are skipped");
        else
            CheckField(report, l);
    }
    if (found < wanted)
        ReportError(report, last,
                    std::string("the ") + what + " has only " + std::to_string(found) + " of its " +
                        std::to_string(wanted) + " lines; the rest keep their previous values");
    return fieldLines;
}

void CheckMapFile(CheckReport* report, const char* path) {
    CameraSetup camera{};
    StageSettings settings{};
    {
        LineRecorder recorder;
        ReadCameraSetup(path, &camera);
        ExamineLeadingBlock(report, recorder.lines, 1, 3, "camera setup");
    }
    std::vector<int> settingLines;
    {
        LineRecorder recorder;
        ReadStageSettings(path, &settings);
        settingLines = ExamineLeadingBlock(report, recorder.lines, 3, 5, "stage settings");
    }
    settingLines.resize(5, 0);
    ReportInfo(report, "camera offset " + Vec(camera.cameraOffset) + ", angles " +
                           Vec(camera.cameraAngles) + ", target offset " + Vec(camera.targetOffset));
    char colour[64];
    std::snprintf(colour, sizeof colour, "clear colour %d %d %d",
                  ClearColourByte(settings.clearColour.x), ClearColourByte(settings.clearColour.y),
                  ClearColourByte(settings.clearColour.z));
    ReportInfo(report, std::string(colour) + ", bounds " + Vec(settings.boundsMin) + " to " +
                           Vec(settings.boundsMax) + ", light " + Vec(settings.lightDirection));
    const float c[3] = {settings.clearColour.x, settings.clearColour.y, settings.clearColour.z};
    for (float v : c)
        if (!(v >= 0 && v < 256))
            ReportWarning(report, settingLines[0],
                          "a clear colour value outside 0..255 keeps only its low 8 bits");
    const float lo[3] = {settings.boundsMin.x, settings.boundsMin.y, settings.boundsMin.z};
    const float hi[3] = {settings.boundsMax.x, settings.boundsMax.y, settings.boundsMax.z};
    for (int a = 0; a < 3; ++a)
        if (lo[a] > hi[a])
            ReportWarning(report, settingLines[1], std::string("the bounds' minimum is above their maximum on ") +
                                         "xyz"[a] + ": nothing can move there");

    int objects = 0;
    std::map<std::string, int> tags;
    for (; objects < kMaxCheckedBlocks; ++objects) {
        StageObject object{};
        Collider collider{};
        bool ok;
        BlockSeen seen;
        {
            LineRecorder recorder;
            ok = ReadStageObjectBlock(path, objects, &object, &collider);
            seen = ExamineBlock(report, recorder.lines, objects + 2, false);
        }
        if (!ok) {
            if (seen.opened)
                ReportError(report, seen.openLine,
                            "stage object " + std::to_string(objects + 1) +
                                " is cut short: the file ends before its \"}\", and the game stops "
                                "reading here");
            ReleaseStageObject(&object, &collider);
            break;
        }
        const std::string tag = object.name;
        ++tags[tag];
        if (objects == kMaxStageObjects)
            ReportError(report, seen.openLine,
                        "stage object " + std::to_string(objects + 1) + ": the game holds " +
                            std::to_string(kMaxStageObjects) +
                            " stage objects; this block and every later one are ignored");
        const bool floor = TagHas(object.name, "FLOOR");
        const bool build = !floor && TagHas(object.name, "BUILD");
        if (objects < kMaxStageObjects)
            ReportInfo(report, "line " + std::to_string(seen.openLine) + ": object " +
                                   std::to_string(objects + 1) + " \"" + tag + "\" at " +
                                   Vec(object.position) + ", " +
                                   (floor ? "floor mesh" : build ? "buildings mesh" : "not drawn") +
                                   ", " + Counted(collider.shape.partCount, "box part", "box parts"));
        if (!floor && !build)
            ReportWarning(report, seen.openLine,
                          "tag \"" + tag + "\" matches neither FLOOR nor BUILD: the object is not "
                          "drawn but still blocks the player and the shots");
        ReleaseStageObject(&object, &collider);
    }
    const int kept = objects < kMaxStageObjects ? objects : kMaxStageObjects;
    std::string summary = std::to_string(kept) + (kept == 1 ? " stage object" : " stage objects");
    if (objects > kMaxStageObjects)
        summary += " (" + std::to_string(objects - kMaxStageObjects) + " more ignored)";
    if (!tags.empty()) {
        summary += ":";
        for (const auto& [tag, count] : tags) summary += " " + tag + " x" + std::to_string(count);
    }
    ReportInfo(report, summary);
}

}  // namespace

int StageCheckMain(int argc, char** argv, std::FILE* out) {
    if (argc < 2) {
        std::fprintf(out, "usage: stagecheck FILE...   (actor files c*.pxd, map files m*.pxd)\n");
        return 2;
    }
    int errors = 0;
    for (int i = 1; i < argc; ++i) {
        const char* path = argv[i];
        CheckReport report{out, path, 0, 0};
        const char* slash = std::strrchr(path, '/');
        const char kind = slash ? slash[1] : path[0];
        std::FILE* f = std::fopen(path, "rb");
        if (!f) {
            ReportError(&report, 0, "cannot open the file");
        } else {
            std::fclose(f);
            if (kind == 'c' || kind == 'C') {
                CheckLongLines(&report, path);
                CheckActorFile(&report, path);
            } else if (kind == 'm' || kind == 'M') {
                CheckLongLines(&report, path);
                CheckMapFile(&report, path);
            } else {
                ReportError(&report, 0,
                            "cannot tell the kind of file: actor files are named c<stage>.pxd, map "
                            "files m<stage>.pxd");
            }
        }
        std::fprintf(out, "%s: %d error%s, %d warning%s\n", path, report.errors,
                     report.errors == 1 ? "" : "s", report.warnings, report.warnings == 1 ? "" : "s");
        errors += report.errors;
    }
    return errors > 0 ? 1 : 0;
}

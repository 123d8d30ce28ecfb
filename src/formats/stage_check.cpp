// The stage-file checker: runs the game's readers block by block with a line
// recorder attached and explains what they did with each line.
#include "formats/stage_check.h"

#include <map>
#include <string>

#include "core/enemy_kinds.h"
#include "core/tables.h"
#include "formats/stage_check_internal.h"

namespace {

// Every block is read by the game's own reader from the start of the file,
// so checking costs blocks x file size: 256 blocks (twice what the game
// holds) of a file at the 1 MB limit take seconds, not minutes.
constexpr int kMaxCheckedBlocks = 256;

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

// Looks at the lines one reader call goes through for a block that comes
// after `skip` blocks, as they come: what lies between blocks, and every line
// of the block.
class BlockExaminer {
public:
    BlockExaminer(CheckReport* report, int skip, bool actor) : report_(report), skip_(skip), actor_(actor) {}
    void Feed(const SeenLine& l);
    const BlockSeen& Seen() const { return seen_; }

private:
    void Between(const SeenLine& l);
    void Inside(const SeenLine& l);

    CheckReport* report_;
    int skip_;
    bool actor_;
    int counted_ = 0;
    bool closed_ = false;
    int parts_ = 0;
    long fieldIndex_ = 0;
    BlockSeen seen_;
};

void BlockExaminer::Feed(const SeenLine& l) {
    if (counted_ < skip_) {
        if (l.use == StageLineUse::Counted) ++counted_;
        return;
    }
    if (closed_) return;
    if (!seen_.opened) {
        Between(l);
        return;
    }
    seen_.lastLine = l.number;
    Inside(l);
}

void BlockExaminer::Between(const SeenLine& l) {
    if (l.use == StageLineUse::Open) {
        seen_.opened = true;
        seen_.openLine = seen_.lastLine = l.number;
        return;
    }
    if (l.use != StageLineUse::Skipped || IsBlank(l.data)) return;
    if (l.data[0] == '}')
        ReportError(report_, l.number,
                    "\"}\" outside any block: the block above has no \"{\", and the blocks "
                    "after this line are counted wrongly");
    else
        ReportWarning(report_, l.number, "text outside any block is ignored: " + Quoted(l.data));
}

void BlockExaminer::Inside(const SeenLine& l) {
    if (l.use == StageLineUse::Close) {
        closed_ = true;
        if (l.raw[0] != '}')
            ReportError(report_, l.number,
                        "indented \"}\" closes this block, but later blocks are found by "
                        "counting \"}\" in the first column only: every later block is misread");
        int part;
        const StageField missing = ExpectedField(actor_, parts_, fieldIndex_, &part);
        if (missing != StageField::None)
            ReportError(report_, l.number,
                        std::string("the block closes before its ") + StageFieldName(missing) +
                            (part >= 0 ? " of part " + std::to_string(part) : "") +
                            " line; that and every later field keep their previous values");
        return;
    }
    if (l.use == StageLineUse::Skipped && !IsBlank(l.data))
        ReportWarning(report_, l.number, "line after the block's last field is ignored: " + Quoted(l.data));
    if (l.use != StageLineUse::Field) return;
    ++fieldIndex_;
    if (l.field == StageField::PartCount) {
        parts_ = ParseStageInt(l.data.c_str(), nullptr);
        if (parts_ < 0) {
            ReportError(report_, l.number, "a negative part count reads as no parts");
            parts_ = 0;
        } else if (parts_ > kMaxColliderParts) {
            ReportError(report_, l.number,
                        "more than " + std::to_string(kMaxColliderParts) +
                            " box parts: the parts beyond that are read but not kept");
        }
    }
    const std::string part = l.part >= 0 ? " of part " + std::to_string(l.part) : "";
    const bool partLine = l.field == StageField::PartOffset || l.field == StageField::PartHalfExtent;
    const std::string trimmed = TrimmedStart(l.raw);
    if (l.continued) {
        ReportError(report_, l.number,
                    std::string("the rest of this long line is read as the ") + StageFieldName(l.field) + part);
    } else if (actor_ && partLine && trimmed.compare(0, 2, "//") == 0) {
        ReportError(report_, l.number,
                    std::string("comment inside the part list is read as the ") + StageFieldName(l.field) +
                        part + " (comments are not skipped there)");
    } else if (actor_ && partLine && trimmed[0] == '}') {
        ReportError(report_, l.number,
                    std::string("\"}\" inside the part list is read as the ") + StageFieldName(l.field) + part +
                        ": the block has fewer lines than its " + std::to_string(parts_) + " parts need");
    } else {
        CheckField(report_, l);
    }
}

void CheckActorFile(CheckReport* report, const char* path, SplitLines* splits) {
    std::map<std::string, int> kinds;
    int enemies = 0;
    int block = 0;
    for (; block < kMaxCheckedBlocks; ++block) {
        Actor actor{};
        Collider collider{};
        BlockExaminer examiner(report, block, true);
        bool ok;
        {
            LineWatch watch([&](const SeenLine& l) {
                examiner.Feed(l);
                splits->Note(l);
            });
            ok = ReadActorBlock(path, block, &actor, &collider);
        }
        const BlockSeen& seen = examiner.Seen();
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

// Camera setup or stage settings: the lines that reader takes, as they come.
class LeadingExaminer {
public:
    LeadingExaminer(CheckReport* report, int ownBraces, int wanted, const char* what)
        : report_(report), ownBraces_(ownBraces), wanted_(wanted), what_(what) {}
    void Feed(const SeenLine& l);
    // Says what is missing; returns the line of each field found.
    std::vector<int> Finish();

private:
    CheckReport* report_;
    int ownBraces_;
    int wanted_;
    const char* what_;
    int braces_ = 0;
    int last_ = 1;
    std::vector<int> fieldLines_;
};

void LeadingExaminer::Feed(const SeenLine& l) {
    last_ = l.number;
    if (l.use == StageLineUse::Open || l.use == StageLineUse::Close) ++braces_;
    if (l.use != StageLineUse::Field) return;
    fieldLines_.push_back(l.number);
    const std::string field = StageFieldName(l.field);
    if (braces_ > ownBraces_)
        ReportError(report_, l.number,
                    std::string("the ") + what_ + " block has too few lines: its " + field +
                        " is taken from this line of a later block");
    else if (l.continued)
        ReportError(report_, l.number, "the rest of this long line is read as the " + field);
    else if (l.data.compare(0, 2, "//") == 0)
        ReportError(report_, l.number,
                    "indented comment is read as the " + field +
                        "; in this block only comments in the first column are skipped");
    else
        CheckField(report_, l);
}

std::vector<int> LeadingExaminer::Finish() {
    const int found = int(fieldLines_.size());
    if (found < wanted_)
        ReportError(report_, last_,
                    std::string("the ") + what_ + " has only " + std::to_string(found) + " of its " +
                        std::to_string(wanted_) + " lines; the rest keep their previous values");
    return fieldLines_;
}

void CheckMapFile(CheckReport* report, const char* path, SplitLines* splits) {
    CameraSetup camera{};
    StageSettings settings{};
    {
        LeadingExaminer examiner(report, 1, 3, "camera setup");
        {
            LineWatch watch([&](const SeenLine& l) {
                examiner.Feed(l);
                splits->Note(l);
            });
            ReadCameraSetup(path, &camera);
        }
        examiner.Finish();
    }
    std::vector<int> settingLines;
    {
        LeadingExaminer examiner(report, 3, 5, "stage settings");
        {
            LineWatch watch([&](const SeenLine& l) {
                examiner.Feed(l);
                splits->Note(l);
            });
            ReadStageSettings(path, &settings);
        }
        settingLines = examiner.Finish();
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
        BlockExaminer examiner(report, objects + 2, false);
        bool ok;
        {
            LineWatch watch([&](const SeenLine& l) {
                examiner.Feed(l);
                splits->Note(l);
            });
            ok = ReadStageObjectBlock(path, objects, &object, &collider);
        }
        const BlockSeen& seen = examiner.Seen();
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
        std::string why;
        SplitLines splits;
        if (!CanOpenStageFile(path, &why)) {
            ReportError(&report, 0, "cannot open the file (" + why + ")");
        } else {
            // Long lines last: whether a split matters is known once the
            // readers have been through the file.
            if (kind == 'c' || kind == 'C') {
                CheckActorFile(&report, path, &splits);
                CheckLongLines(&report, path, splits);
            } else if (kind == 'm' || kind == 'M') {
                CheckMapFile(&report, path, &splits);
                CheckLongLines(&report, path, splits);
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

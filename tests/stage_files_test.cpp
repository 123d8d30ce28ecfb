// The stage readers, line by line: block layout, comments, blank and long
// lines, line ends, braces, numbers, capacity and reloading.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <string>

#include "child_run.h"
#include "formats/stage_files.h"
#include "formats_test_util.h"

namespace {

// Player with no parts, then an enemy with two parts; comments between the
// tag and the rotation in both.
const char* const kActors =
    "// stage 1 actors\n"
    "{\n"
    "\tZORBAT\n"
    "\t// the player's craft\n"
    "\t0,180,0\n"
    "\t1.5,2,-3\n"
    "\t1,1,1\n"
    "\t0\n"
    "\t2,1,3\n"
    "\t4.5\n"
    "\t100\n"
    "}\n"
    "\n"
    "{\n"
    "\tENEMY2\n"
    "\t\t// gunship\n"
    "\t10,20,30\n"
    "\t-5,6,70\n"
    "\t2,2,2\n"
    "\t2\n"
    "\t3,1,3\n"
    "\t0,1,0\n"
    "\t1,1,1\n"
    "\t0,-1,0\n"
    "\t2,0.5,2\n"
    "\t6\n"
    "\t30\n"
    "}\n";

struct StageFixture : ::testing::Test {
    ScratchDir dir;
    Actor actor{};
    Collider collider{};
    StageObject object{};
    Collider objectCollider{};
    std::string Write(const char* name, const std::string& text) {
        const std::string path = dir.File(name);
        WriteText(path, text);
        return path;
    }
    void TearDown() override {
        ReleaseActor(&actor, &collider);
        ReleaseStageObject(&object, &objectCollider);
    }
};

void ExpectVec(Vec3 v, float x, float y, float z, const char* what) {
    EXPECT_FLOAT_EQ(v.x, x) << what;
    EXPECT_FLOAT_EQ(v.y, y) << what;
    EXPECT_FLOAT_EQ(v.z, z) << what;
}

TEST_F(StageFixture, ActorBlocksWithNoPartsAndWithTwo) {
    const std::string path = Write("c1.pxd", kActors);
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    EXPECT_STREQ(actor.name, "ZORBAT");
    ExpectVec(actor.rotation, 0, 180, 0, "rotation");
    ExpectVec(actor.position, 1.5f, 2, -3, "position");
    ExpectVec(actor.scale, 1, 1, 1, "scale");
    EXPECT_EQ(collider.shape.partCount, 0);
    EXPECT_EQ(collider.shape.parts, nullptr);
    EXPECT_EQ(collider.shape.main.tag, 100);
    ExpectVec(collider.shape.main.halfExtent, 2, 1, 3, "main half extents");
    // With no parts the radius is the line right after the main half extents.
    EXPECT_FLOAT_EQ(collider.sphereRadius, 4.5f);
    EXPECT_EQ(actor.hitPoints, 100);
    EXPECT_EQ(collider.owner, &actor);
    EXPECT_EQ(actor.collider, &collider);
    EXPECT_EQ(collider.active, 1);
    ASSERT_NE(actor.state, nullptr);
    for (float s : actor.state->s) EXPECT_EQ(s, 0.0f);

    ASSERT_TRUE(ReadActorBlock(path.c_str(), 1, &actor, &collider));
    EXPECT_STREQ(actor.name, "ENEMY2");
    ExpectVec(actor.rotation, 10, 20, 30, "rotation");
    ASSERT_EQ(collider.shape.partCount, 2);
    // Offset and half extents alternate, part by part.
    ExpectVec(collider.shape.parts[0].offset, 0, 1, 0, "part 0 offset");
    ExpectVec(collider.shape.parts[0].box.halfExtent, 1, 1, 1, "part 0 half");
    ExpectVec(collider.shape.parts[1].offset, 0, -1, 0, "part 1 offset");
    ExpectVec(collider.shape.parts[1].box.halfExtent, 2, 0.5f, 2, "part 1 half");
    EXPECT_EQ(collider.shape.parts[0].box.tag, 101);
    EXPECT_EQ(collider.shape.parts[1].box.tag, 101);
    EXPECT_FLOAT_EQ(collider.sphereRadius, 6);
    EXPECT_EQ(actor.hitPoints, 30);

    EXPECT_FALSE(ReadActorBlock(path.c_str(), 2, &actor, &collider));
    EXPECT_FALSE(ReadActorBlock(dir.File("missing.pxd").c_str(), 0, &actor, &collider));
}

TEST_F(StageFixture, CommentInsideAnActorPartListIsData) {
    // The comment takes the place of part 0's offset: it reads as numbers
    // (none before the first comma, then 2 and 3), and every later part line
    // moves up by one.
    const std::string path = Write("c1.pxd",
                                   "{\nENEMY1\n0,0,0\n0,0,0\n1,1,1\n1\n1,1,1\n"
                                   "\t// 1,2,3\n"
                                   "5,5,5\n6,6,6\n7\n}\n");
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    ExpectVec(collider.shape.parts[0].offset, 0, 2, 3, "comment as offset");
    ExpectVec(collider.shape.parts[0].box.halfExtent, 5, 5, 5, "half extents");
    EXPECT_FLOAT_EQ(collider.sphereRadius, 6);
    EXPECT_EQ(actor.hitPoints, 7);
}

TEST_F(StageFixture, BlankLineShiftsEveryLaterField) {
    // Meant: N 0, half extents 9,9,9, radius 2, hit points 50; a blank line
    // after the scale moves each of them down one line.
    const std::string path = Write("c1.pxd",
                                   "{\nENEMY4\n1,2,3\n4,5,6\n7,8,9\n\n0\n9,9,9\n2\n50\n}\n");
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    ExpectVec(actor.scale, 7, 8, 9, "scale");
    EXPECT_EQ(collider.shape.partCount, 0);  // the blank line, read as 0
    ExpectVec(collider.shape.main.halfExtent, 0, 0, 0, "\"0\" as half extents");
    EXPECT_FLOAT_EQ(collider.sphereRadius, 9);
    EXPECT_EQ(actor.hitPoints, 2);
}

TEST_F(StageFixture, LongLinesAreSplitAfter31Characters) {
    // A 40-character rotation line: its last 9 characters come back as the
    // position line, and the real position is read as the scale.
    const std::string rotation = "1.0,2.0,3.0" + std::string(29, ' ');
    ASSERT_EQ(rotation.size(), 40u);
    std::string text = "{\nENEMY3\n" + rotation + "\n4,5,6\n0\n}\n";
    std::string path = Write("c1.pxd", text);
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    ExpectVec(actor.rotation, 1, 2, 3, "rotation");
    ExpectVec(actor.position, 0, 0, 0, "rest of the long line");
    ExpectVec(actor.scale, 4, 5, 6, "scale");

    // A long comment: its first 31 characters are the comment, the rest is data.
    text = "{\nENEMY3\n// this comment runs on and on 42,1,1\n4,5,6\n}\n";
    path = Write("c1.pxd", text);
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    ExpectVec(actor.rotation, 42, 1, 1, "rest of the comment");
    ExpectVec(actor.position, 4, 5, 6, "position");

    // A 30-character line is whole; with CR LF the CR does not count.
    const std::string thirty = "1," + std::string(28, '0');
    text = "{\r\nENEMY3\r\n" + thirty + "\r\n4,5,6\r\n}\r\n";
    path = Write("c1.pxd", text);
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    ExpectVec(actor.rotation, 1, 0, 0, "30 characters");
    ExpectVec(actor.position, 4, 5, 6, "position");
}

TEST(StageLines, ThirtyOneCharactersLeaveABlankLine) {
    ScratchDir dir;
    const std::string path = dir.File("lines.pxd");
    WriteText(path, std::string(31, 'x') + "\n" + std::string(40, 'y') + "\r\nz");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    StageLineCursor cursor;
    BeginStageLines(&cursor, f);
    StageLine line;
    std::vector<std::string> pieces;
    std::vector<int> numbers;
    while (NextStageLine(&cursor, &line)) {
        pieces.push_back(line.text);
        numbers.push_back(line.number);
    }
    std::fclose(f);
    const std::vector<std::string> expected = {std::string(31, 'x'), "\n", std::string(31, 'y'),
                                               std::string(9, 'y') + "\n", "z"};
    EXPECT_EQ(pieces, expected);
    EXPECT_EQ(numbers, (std::vector<int>{1, 1, 2, 2, 3}));
}

TEST_F(StageFixture, TagsWithLfAndCrLfLineEnds) {
    for (const char* end : {"\n", "\r\n"}) {
        std::string text = std::string("{") + end + "\tENEMY2" + end + "0,0,0" + end + "}" + end;
        const std::string path = Write("c1.pxd", text);
        ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
        EXPECT_STREQ(actor.name, "ENEMY2");
    }
    // Spaces are kept, and a tag is cut to the 7 characters the name holds.
    std::string path = Write("c1.pxd", "{\n EN 1\n}\n");
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    EXPECT_STREQ(actor.name, " EN 1");
    path = Write("c1.pxd", "{\nENEMY2XYZW\n}\n");
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    EXPECT_STREQ(actor.name, "ENEMY2X");
}

TEST_F(StageFixture, BracesAreCountedInTheFirstColumnOnly) {
    // Block 0 closes with an indented brace: it closes the block being read,
    // but finding block 1 counts only first-column braces, so block 1's own
    // "}" is taken as block 0's and block 2 is read as block 1.
    const std::string path = Write("c1.pxd",
                                   "{\nZORBAT\n\t}\n{\nENEMY1\n}\n{\nENEMY5\n}\n");
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 0, &actor, &collider));
    EXPECT_STREQ(actor.name, "ZORBAT");
    ASSERT_TRUE(ReadActorBlock(path.c_str(), 1, &actor, &collider));
    EXPECT_STREQ(actor.name, "ENEMY5");
    EXPECT_FALSE(ReadActorBlock(path.c_str(), 2, &actor, &collider));
}

TEST_F(StageFixture, BlockCutShortFailsAndFreesItsParts) {
    const std::string path = Write("c1.pxd", "{\nZORBAT\n}\n{\nENEMY1\n0,0,0\n0,0,0\n1,1,1\n3\n1,1,1\n");
    EXPECT_FALSE(ReadActorBlock(path.c_str(), 1, &actor, &collider));
    EXPECT_EQ(collider.shape.parts, nullptr);
    EXPECT_EQ(collider.shape.partCount, 0);
    // Part counts that make no sense never allocate beyond the cap.
    const std::string huge = Write("c2.pxd", "{\nENEMY1\n0\n0\n0\n2147483647\n1,1,1\n1,1,1\n");
    EXPECT_FALSE(ReadActorBlock(huge.c_str(), 0, &actor, &collider));
    const std::string negative = Write("c3.pxd", "{\nENEMY1\n0\n0\n0\n-4\n1,1,1\n2\n3\n}\n");
    ASSERT_TRUE(ReadActorBlock(negative.c_str(), 0, &actor, &collider));
    EXPECT_EQ(collider.shape.partCount, 0);
    EXPECT_FLOAT_EQ(collider.sphereRadius, 2);
    EXPECT_EQ(actor.hitPoints, 3);
}

// Camera, settings, then two stage objects (the second with two parts).
const char* const kMap =
    "{\n"
    "0,5,-20\n"
    "// first-column comment\n"
    "30,0,0\n"
    "\t0,1,0\n"
    "}\n"
    "{\n"
    "128.9,0,255\n"
    "-100,0,-100\n"
    "100,50,100\n"
    "0,-1,1\n"
    "1,0.5,0.25,1\n"
    "}\n"
    "{\n"
    "\tFLOOR\n"
    "\t// the ground\n"
    "\t1.0\n"
    "\t0,0,0\n"
    "\t0,-1,0\n"
    "\t9,9,9\n"
    "\t0\n"
    "\t0,-1,0\n"
    "\t0,0,0\n"
    "\t100,1,100\n"
    "\t150\n"
    "}\n"
    "{\n"
    "\tBUILD\n"
    "\t0.5\n"
    "\t0,90,0\n"
    "\t10,0,20\n"
    "\t1,1,1\n"
    "\t2\n"
    "\t10,5,20\n"
    "\t0,90,0\n"
    "\t4,5,4\n"
    "\t1,0,0\n"
    "\t0,2,0\n"
    "\t1,1,1\n"
    "\t2,2,2\n"
    "\t12\n"
    "}\n";

TEST_F(StageFixture, CameraAndSettings) {
    const std::string path = Write("m1.pxd", kMap);
    CameraSetup camera{};
    ASSERT_TRUE(ReadCameraSetup(path.c_str(), &camera));
    ExpectVec(camera.cameraOffset, 0, 5, -20, "offset");
    ExpectVec(camera.cameraAngles, 30, 0, 0, "angles");
    ExpectVec(camera.targetOffset, 0, 1, 0, "target");
    StageSettings settings{};
    ASSERT_TRUE(ReadStageSettings(path.c_str(), &settings));
    // 128.9 clears with red 128: truncated, not rounded.
    EXPECT_EQ(ClearColourByte(settings.clearColour.x), 128);
    EXPECT_EQ(ClearColourByte(settings.clearColour.y), 0);
    EXPECT_EQ(ClearColourByte(settings.clearColour.z), 255);
    ExpectVec(settings.boundsMin, -100, 0, -100, "min");
    ExpectVec(settings.boundsMax, 100, 50, 100, "max");
    ExpectVec(settings.lightDirection, 0, -1, 1, "light");
    EXPECT_FLOAT_EQ(settings.lightColour[0], 1);
    EXPECT_FLOAT_EQ(settings.lightColour[1], 0.5f);
    EXPECT_FLOAT_EQ(settings.lightColour[2], 0.25f);
    EXPECT_FLOAT_EQ(settings.lightColour[3], 1);
    EXPECT_FALSE(ReadCameraSetup(dir.File("none.pxd").c_str(), &camera));
}

TEST_F(StageFixture, IndentedCommentIsDataInCameraAndSettings) {
    const std::string path = Write("m1.pxd",
                                   "{\n1,1,1\n\t// 9,9,9\n3,3,3\n}\n{\n\t// x\n5,5,5\n}\n");
    CameraSetup camera{};
    ASSERT_TRUE(ReadCameraSetup(path.c_str(), &camera));
    ExpectVec(camera.cameraAngles, 0, 9, 9, "indented comment as angles");
    ExpectVec(camera.targetOffset, 3, 3, 3, "target");
    StageSettings settings{};
    settings.boundsMax = Vec3{7, 7, 7};
    ASSERT_TRUE(ReadStageSettings(path.c_str(), &settings));
    ExpectVec(settings.clearColour, 0, 0, 0, "indented comment as colour");
    ExpectVec(settings.boundsMin, 5, 5, 5, "min");
    ExpectVec(settings.boundsMax, 7, 7, 7, "not in the file: kept");
}

TEST_F(StageFixture, StageObjectsWithNoPartsAndWithTwo) {
    const std::string path = Write("m1.pxd", kMap);
    ASSERT_TRUE(ReadStageObjectBlock(path.c_str(), 0, &object, &objectCollider));
    EXPECT_STREQ(object.name, "FLOOR");
    EXPECT_FLOAT_EQ(object.emissive, 1.0f);
    ExpectVec(object.position, 0, -1, 0, "position");
    ExpectVec(objectCollider.sphereCentre, 0, -1, 0, "sphere centre follows the position");
    ExpectVec(objectCollider.shape.main.halfExtent, 100, 1, 100, "main half");
    EXPECT_FLOAT_EQ(objectCollider.sphereRadius, 150);
    EXPECT_EQ(objectCollider.owner, nullptr);
    EXPECT_EQ(object.collider, &objectCollider);

    ASSERT_TRUE(ReadStageObjectBlock(path.c_str(), 1, &object, &objectCollider));
    EXPECT_STREQ(object.name, "BUILD");
    const BoxSet& set = objectCollider.shape;
    ASSERT_EQ(set.partCount, 2);
    // Two offsets first, then two half extents.
    ExpectVec(set.parts[0].offset, 1, 0, 0, "offset 0");
    ExpectVec(set.parts[1].offset, 0, 2, 0, "offset 1");
    ExpectVec(set.parts[0].box.halfExtent, 1, 1, 1, "half 0");
    ExpectVec(set.parts[1].box.halfExtent, 2, 2, 2, "half 1");
    EXPECT_FLOAT_EQ(objectCollider.sphereRadius, 12);
    // The main box is independent of the position line, and its axes are set:
    // yaw 90 turns +x into -z.
    ExpectVec(set.main.centre, 10, 5, 20, "main centre");
    EXPECT_NEAR(set.main.axisX.z, -1, 1e-6);
    // The parts are placed from the main box once: offset (1, 0, 0) under yaw
    // 90 ends one unit along -z from the centre.
    EXPECT_NEAR(set.parts[0].box.centre.x, 10, 1e-5);
    EXPECT_NEAR(set.parts[0].box.centre.y, 5, 1e-5);
    EXPECT_NEAR(set.parts[0].box.centre.z, 19, 1e-5);
    ExpectVec(set.parts[1].box.centre, 10, 7, 20, "part 1 centre");
    ExpectVec(set.parts[0].box.angles, 0, 90, 0, "part angles");

    EXPECT_FALSE(ReadStageObjectBlock(path.c_str(), 2, &object, &objectCollider));
}

TEST(StageFiles, FilesWithOnlyTheFirstBlocksHoldNothingMore) {
    ScratchDir dir;
    const std::string actors = dir.File("c1.pxd"), map = dir.File("m1.pxd");
    WriteText(actors, "{\nZORBAT\n0,0,0\n0,0,0\n1,1,1\n0\n1,1,1\n1\n10\n}\n");
    WriteText(map, "{\n0,0,0\n0,0,0\n0,0,0\n}\n{\n0,0,0\n0,0,0\n0,0,0\n0,0,0\n0,0,0,0\n}\n");
    static Actor player, enemies[63];
    static Collider colliders[64], objectColliders[128];
    static StageObject objects[128];
    EXPECT_EQ(ReadActorFile(actors.c_str(), &player, enemies, colliders, 64), 0);
    EXPECT_STREQ(player.name, "ZORBAT");
    EXPECT_EQ(player.hitPoints, 10);
    EXPECT_EQ(ReadStageObjectFile(map.c_str(), objects, objectColliders, 128), 0);
    // A missing actor file still leaves a usable player.
    EXPECT_EQ(ReadActorFile(dir.File("none.pxd").c_str(), &player, enemies, colliders, 64), 0);
    EXPECT_EQ(player.collider, &colliders[0]);
    EXPECT_NE(player.state, nullptr);
    ReleaseActor(&player, &colliders[0]);
}

// Only regular files of at most 1 MB are stage files. /dev/zero once made the
// readers read for ever, a FIFO blocked the open, and a directory read as an
// empty stage; each is now refused at once, as a missing file is (checked in
// a child process with five seconds to do it).
TEST(StageFiles, SpecialAndOversizedFilesAreRefusedAtOnce) {
    ScratchDir dir;
    const std::string zero = dir.File("c1.pxd"), fifo = dir.File("c2.pxd"), folder = dir.File("m1.pxd");
    const std::string big = dir.File("c3.pxd"), fits = dir.File("c4.pxd");
    std::filesystem::create_symlink("/dev/zero", zero);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    std::filesystem::create_directory(folder);
    const std::string block = "{\nZORBAT\n0,0,0\n0,0,0\n1,1,1\n0\n1,1,1\n1\n10\n}\n";
    std::string text = block;
    text.resize(kStageFileMaxBytes, '\n');
    WriteText(fits, text);
    WriteText(big, text + "\n");
    const int status = RunInChild(
        [&] {
            int wrong = 0;
            for (const std::string& path : {zero, fifo, folder, big}) {
                static Actor player, enemies[63];
                static Collider colliders[64];
                CameraSetup camera{};
                StageSettings settings{};
                std::string why;
                if (CanOpenStageFile(path.c_str(), &why) || why.empty()) wrong |= 1;
                if (ReadActorBlock(path.c_str(), 0, &player, &colliders[0])) wrong |= 2;
                if (ReadCameraSetup(path.c_str(), &camera) || ReadStageSettings(path.c_str(), &settings)) wrong |= 4;
                if (ReadActorFile(path.c_str(), &player, enemies, colliders, 64) != 0) wrong |= 8;
                ReleaseActor(&player, &colliders[0]);
            }
            static Actor player;
            static Collider collider;
            if (!CanOpenStageFile(fits.c_str(), nullptr) || !ReadActorBlock(fits.c_str(), 0, &player, &collider))
                wrong |= 16;
            ReleaseActor(&player, &collider);
            return wrong;
        },
        5);
    EXPECT_EQ(status, 0) << "-1: a reader was still at it after five seconds";
    std::string why;
    EXPECT_FALSE(CanOpenStageFile(folder.c_str(), &why));
    EXPECT_EQ(why, "not a regular file");
    EXPECT_FALSE(CanOpenStageFile(big.c_str(), &why));
    EXPECT_EQ(why, "larger than 1048576 bytes");
}

std::string ActorBlock(const char* tag, int parts) {
    std::string s = std::string("{\n") + tag + "\n0,0,0\n1,0,1\n1,1,1\n" + std::to_string(parts) + "\n1,1,1\n";
    for (int i = 0; i < parts; ++i) s += "0,1,0\n1,1,1\n";
    return s + "2\n5\n}\n";
}

std::string ObjectBlock(int parts) {
    std::string s = "{\nBUILD\n1\n0,0,0\n0,0,0\n1,1,1\n" + std::to_string(parts) + "\n0,0,0\n0,0,0\n1,1,1\n";
    for (int i = 0; i < 2 * parts; ++i) s += "1,1,1\n";
    return s + "3\n}\n";
}

TEST(StageFiles, BlocksBeyondCapacityAreIgnoredAndReloadsReleaseTheOld) {
    ScratchDir dir;
    // Arrays with a guard behind them: reading must stop at capacity.
    static struct {
        Actor player;
        Actor enemies[63];
        Actor guard;
        Collider colliders[64];
        Collider colliderGuard;
        StageObject objects[128];
        StageObject objectGuard;
        Collider objectColliders[128];
        Collider objectColliderGuard;
    } s;
    std::memset(s.guard.name, 'G', 8);
    s.colliderGuard.sphereRadius = -7;
    std::memset(s.objectGuard.name, 'G', 8);
    s.objectColliderGuard.sphereRadius = -7;

    std::string actors = ActorBlock("ZORBAT", 1);
    for (int i = 0; i < 70; ++i) actors += ActorBlock("ENEMY2", 2);
    const std::string big = dir.File("c1.pxd");
    WriteText(big, actors);
    EXPECT_EQ(ReadActorFile(big.c_str(), &s.player, s.enemies, s.colliders, 64), 63);
    EXPECT_EQ(std::string(s.guard.name, 8), std::string(8, 'G'));
    EXPECT_EQ(s.colliderGuard.sphereRadius, -7);
    EXPECT_EQ(s.enemies[62].hitPoints, 5);
    EXPECT_EQ(s.colliders[63].owner, &s.enemies[62]);

    std::string map = "{\n}\n{\n}\n";
    for (int i = 0; i < 130; ++i) map += ObjectBlock(1);
    const std::string bigMap = dir.File("m1.pxd");
    WriteText(bigMap, map);
    EXPECT_EQ(ReadStageObjectFile(bigMap.c_str(), s.objects, s.objectColliders, 128), 128);
    EXPECT_EQ(std::string(s.objectGuard.name, 8), std::string(8, 'G'));
    EXPECT_EQ(s.objectColliderGuard.sphereRadius, -7);

    // A smaller stage next: the slots it does not use are released, not kept.
    const std::string small = dir.File("c2.pxd");
    WriteText(small, ActorBlock("ZORBAT", 0) + ActorBlock("ENEMY1", 0));
    EXPECT_EQ(ReadActorFile(small.c_str(), &s.player, s.enemies, s.colliders, 64), 1);
    EXPECT_EQ(s.colliders[0].shape.parts, nullptr);
    EXPECT_NE(s.enemies[0].state, nullptr);
    for (int i = 1; i < 63; ++i) {
        EXPECT_EQ(s.enemies[i].state, nullptr) << i;
        EXPECT_EQ(s.colliders[i + 1].shape.parts, nullptr) << i;
    }
    const std::string smallMap = dir.File("m2.pxd");
    WriteText(smallMap, "{\n}\n{\n}\n" + ObjectBlock(0));
    EXPECT_EQ(ReadStageObjectFile(smallMap.c_str(), s.objects, s.objectColliders, 128), 1);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(s.objectColliders[i].shape.parts, nullptr) << i;

    WriteText(small, "");
    EXPECT_EQ(ReadActorFile(small.c_str(), &s.player, s.enemies, s.colliders, 64), 0);
    ReleaseActor(&s.player, &s.colliders[0]);
    for (int i = 0; i < 63; ++i) ReleaseActor(&s.enemies[i], &s.colliders[i + 1]);
}

TEST(StageText, NumbersReadTheirDecimalPrefix) {
    const char* end = nullptr;
    EXPECT_FLOAT_EQ(ParseStageFloat("  -1.5e2xyz", &end), -150);
    EXPECT_STREQ(end, "xyz");
    EXPECT_FLOAT_EQ(ParseStageFloat("\t.5", nullptr), 0.5f);
    EXPECT_FLOAT_EQ(ParseStageFloat("5.", nullptr), 5);
    EXPECT_FLOAT_EQ(ParseStageFloat("1e", &end), 1);
    EXPECT_STREQ(end, "e");
    // Decimal only: no hexadecimal, no words.
    EXPECT_FLOAT_EQ(ParseStageFloat("0x10", nullptr), 0);
    const char* inf = "inf";
    EXPECT_FLOAT_EQ(ParseStageFloat(inf, &end), 0);
    EXPECT_EQ(end, inf);
    EXPECT_TRUE(std::isinf(ParseStageFloat("1e999", nullptr)));
    EXPECT_EQ(ParseStageInt("12abc", nullptr), 12);
    EXPECT_EQ(ParseStageInt(" -7", nullptr), -7);
    EXPECT_EQ(ParseStageInt("3.9", nullptr), 3);
    EXPECT_EQ(ParseStageInt("99999999999", nullptr), INT_MAX);
    EXPECT_EQ(ParseStageInt("-99999999999", nullptr), INT_MIN);
    EXPECT_EQ(ParseStageInt("- 3", nullptr), 0);

    Vec3 v;
    ParseVec3("1,2", &v);
    ExpectVec(v, 1, 2, 0, "missing z");
    ParseVec3("1,,3,", &v);
    ExpectVec(v, 1, 0, 3, "empty field, trailing comma");
    ParseVec3(" 1 , -2 ,3 junk,4", &v);
    ExpectVec(v, 1, -2, 3, "spaces and junk");

    EXPECT_EQ(ClearColourByte(256.0f), 0);
    EXPECT_EQ(ClearColourByte(-1.0f), 255);
    EXPECT_EQ(ClearColourByte(300.7f), 44);
    EXPECT_EQ(ClearColourByte(1e20f), 0);
    EXPECT_EQ(ClearColourByte(std::nanf("")), 0);
}

TEST(StageText, TrimLineDropsTabsButNotSpaces) {
    char a[] = "\t\t// note\n";
    EXPECT_EQ(TrimLine(a), nullptr);
    char b[] = "\tENEMY1\n";
    EXPECT_STREQ(TrimLine(b), "ENEMY1\n");
    char c[] = "\t // not a comment\n";
    EXPECT_STREQ(TrimLine(c), " // not a comment\n");
    char d[] = "\t\t";
    EXPECT_STREQ(TrimLine(d), "");
}

}  // namespace

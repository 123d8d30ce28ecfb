// Loading a stage's two files into the stage tables, on small stage files
// written by the tests.
#include <cstdio>
#include <filesystem>
#include <string>

#include "formats/stage_files.h"
#include "game/play.h"
#include "game/stage_setup.h"
#include "gameplay_fixture.h"
#include "platform/system.h"

namespace gameplay_test {
namespace {

std::string ActorBlock(const char* tag, const char* position, int hp) {
    return std::string("{\n") + tag + "\n0,0,0\n" + position + "\n1,1,1\n0\n1,1,1\n2\n" +
           std::to_string(hp) + "\n}\n";
}

const char* const kMap =
    "{\n0,8,-80\n20,0,0\n0,2,0\n}\n"
    "{\n30,40,60\n-100,0,-100\n100,50,100\n0,-1,1\n1,1,1,1\n}\n"
    "{\nBUILD\n0.3\n0,0,0\n20,5,20\n1,1,1\n0\n20,5,20\n0,0,0\n4,5,4\n7\n}\n"
    "{\nWALL\n0\n0,0,0\n-20,5,20\n1,1,1\n0\n-20,5,20\n0,0,0\n1,5,9\n10\n}\n";

class StageSetup : public GameplayTest {
protected:
    void SetUp() override {
        GameplayTest::SetUp();
        // The readers free what the slots hold: start from empty tables.
        Player = Actor{};
        for (Actor& a : Enemies) a = Actor{};
        for (Collider& c : ActorColliders) c = Collider{};
        for (Collider& c : StageObjectColliders) c = Collider{};
        dir_ = std::filesystem::temp_directory_path() /
               ("zorbat_stage_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        SetMessageBoxesEnabled(false);
    }
    void TearDown() override {
        ReleaseStageTables();
        Player = Actor{};
        std::filesystem::remove_all(dir_);
        ResetQuit();
        GameplayTest::TearDown();
    }
    std::string Write(const char* name, const std::string& text) {
        const std::string path = (dir_ / name).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        return path;
    }
    std::filesystem::path dir_;
};

TEST_F(StageSetup, FillsThePlayerEnemiesAndObjectsFromTheFiles) {
    const std::string actors = Write("c1.pxd", ActorBlock("ZORBAT", "0,5,0", 40) +
                                                   ActorBlock("ENEMY2", "10,20,30", 12) +
                                                   ActorBlock("ENEMY4", "-10,0,30", 8) +
                                                   ActorBlock("ENEMY1", "0,0,60", 3));
    const std::string map = Write("m1.pxd", kMap);
    PlayerVelocity = Vec3{1, 2, 3};
    FireCooldown = 9;
    ASSERT_TRUE(SetUpStageActors(actors.c_str(), map.c_str()));
    EXPECT_STREQ(Player.name, "ZORBAT");
    EXPECT_EQ(Player.collider, &ActorColliders[0]);
    EXPECT_EQ(MaxLife, 40);
    ASSERT_EQ(EnemyCount, 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Enemies[k].collider, &ActorColliders[k + 1]) << k;
        ASSERT_NE(Enemies[k].state, nullptr);
        for (float v : Enemies[k].state->s) EXPECT_EQ(v, 0.0f);
    }
    EXPECT_STREQ(Enemies[1].name, "ENEMY4");
    EXPECT_EQ(Enemies[2].hitPoints, 3);
    EXPECT_EQ(StageObjectCount, 2);
    EXPECT_STREQ(StageObjects[1].name, "WALL");
    EXPECT_STREQ(Floor.name, "FLOOR");
    EXPECT_EQ(Floor.scale.x, 9.0f);
    EXPECT_EQ(Settings.boundsMax.y, 50.0f);
    EXPECT_EQ(Camera.targetOffset.y, 2.0f);
    // The set-up pass of the player update clears the flight state and moves nothing.
    EXPECT_EQ(PlayerVelocity.x, 0.0f);
    EXPECT_EQ(FireCooldown, 0);
    EXPECT_EQ(Player.position.y, 5.0f);

    // Reloading after a stage that ended with less life: full scale from the file again.
    Player.hitPoints = 3;
    Enemies[0].hitPoints = 0;
    ASSERT_TRUE(SetUpStageActors(actors.c_str(), map.c_str()));
    EXPECT_EQ(MaxLife, 40);
    EXPECT_EQ(Player.hitPoints, 40);
    EXPECT_EQ(Enemies[0].hitPoints, 12);

    // The loaded stage plays: the invisible wall still blocks the player.
    Player.position = Vec3{-17.5f, 5, 20};
    Player.collider->sphereCentre = Player.position;
    MovePlayer(&Player, Vec3{-1.0f, 0, 0});
    EXPECT_NEAR(Player.position.x, -17.499f, 1e-5f);
}

// The player starts just clear of an enemy: its first move toward it is
// blocked, although in the stage played before, the actors of those slots
// ended far apart.
TEST_F(StageSetup, AStageLoadedAfterAnotherTestsItsActorsWhereTheyStand) {
    const std::string actors = Write("c1.pxd", ActorBlock("ZORBAT", "0,5,0", 40) + ActorBlock("ENEMY1", "2.2,5,0", 3));
    const std::string map = Write("m1.pxd", kMap);
    ASSERT_TRUE(SetUpStageActors(actors.c_str(), map.c_str()));
    Player.position = Vec3{50, 5, 50};
    Enemies[0].position = Vec3{-50, 5, -50};
    UpdateActorColliders(&Player, 1);
    UpdateActorColliders(Enemies, EnemyCount);
    ASSERT_TRUE(SetUpStageActors(actors.c_str(), map.c_str()));
    MovePlayer(&Player, Vec3{0.5f, 0, 0});
    EXPECT_NEAR(Player.position.x, -0.0005f, 1e-6f);
}

TEST_F(StageSetup, AtMostSixtyThreeEnemies) {
    std::string text = ActorBlock("ZORBAT", "0,5,0", 40);
    for (int i = 0; i < 70; ++i) text += ActorBlock("ENEMY1", "0,0,0", 1);
    const std::string actors = Write("c2.pxd", text);
    const std::string map = Write("m2.pxd", kMap);
    ASSERT_TRUE(SetUpStageActors(actors.c_str(), map.c_str()));
    EXPECT_EQ(EnemyCount, 63);
    EXPECT_EQ(Enemies[62].collider, &ActorColliders[63]);
}

TEST_F(StageSetup, AMissingFileIsReportedAndEndsTheGame) {
    const std::string map = Write("m3.pxd", kMap);
    const std::string actors = (dir_ / "c3.pxd").string();
    EXPECT_FALSE(SetUpStageActors(actors.c_str(), map.c_str()));
    EXPECT_TRUE(QuitRequested());
}

// A directory where a stage file belongs once played as an empty stage; it
// is a stage file that cannot be opened, said with why.
TEST_F(StageSetup, ADirectoryForAStageFileIsReportedAndEndsTheGame) {
    const std::string actors = Write("c3.pxd", ActorBlock("ZORBAT", "0,5,0", 40));
    const std::string map = (dir_ / "m3.pxd").string();
    std::filesystem::create_directory(map);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SetUpStageActors(actors.c_str(), map.c_str()));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(QuitRequested());
    EXPECT_NE(said.find(map + ": cannot be opened (not a regular file)"), std::string::npos) << said;
    EXPECT_NE(said.find("ステージファイルが開けません: " + map), std::string::npos) << said;
}

}  // namespace
}  // namespace gameplay_test

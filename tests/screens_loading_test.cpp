// The loading scene without any game data: the hiscore file is still made on
// the first frame, and the hand-over to the title comes after 51 frames.
#include <filesystem>

#include "screens_fixture.h"
#include "shell/loading.h"

namespace {

using LoadingTest = ScreensTest;

TEST_F(LoadingTest, WritesTheDefaultHiscoreFileAndHandsOverAfterFiftyOneFrames) {
    LoadingFrames = 0;
    SceneId = SceneLoading;
    LoadingScene();
    // The file comes before anything else is loaded, so even a missing image
    // archive (which asks to quit) leaves a first-run table behind.
    ASSERT_TRUE(std::filesystem::exists(HiscorePath()));
    EXPECT_EQ(std::filesystem::file_size(HiscorePath()), 1872u);
    EXPECT_TRUE(QuitRequested());
    ASSERT_EQ(HiscoreRead(HiscorePath(), HiscoreTable, kHiscoreEntries), 1);
    EXPECT_EQ(HiscoreTable[0].score, 3500);
    EXPECT_EQ(HiscoreTable[5].score, 5500);
    ResetQuit();

    for (int frame = 2; frame <= 50; ++frame) {
        LoadingScene();
        ASSERT_EQ(SceneId, SceneLoading) << "frame " << frame;
    }
    LoadingScene();
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_EQ(LoadingFrames, 51);
    EXPECT_FALSE(QuitRequested());  // nothing was loaded again after frame 1
}

TEST_F(LoadingTest, AnExistingHiscoreFileIsLeftAsItIs) {
    HiscoreTable[0] = HiscoreEntry{{'A', 'B', 'C', 0}, 12345};
    HiscoreWrite(HiscorePath(), HiscoreTable);
    const auto before = std::filesystem::last_write_time(HiscorePath());
    LoadingFrames = 0;
    SceneId = SceneLoading;
    LoadingScene();
    HiscoreEntry read[kHiscoreEntries] = {};
    ASSERT_EQ(HiscoreRead(HiscorePath(), read, kHiscoreEntries), 1);
    EXPECT_STREQ(read[0].name, "ABC");
    EXPECT_EQ(read[0].score, 12345);
    EXPECT_EQ(std::filesystem::last_write_time(HiscorePath()), before);
}

}  // namespace

// Shared set-up for the screen tests: the test window and device, a scratch
// working directory with data/bin (the hiscore file is written relative to
// it), cleared input and screen state, and a key helper.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/buttons.h"
#include "core/manifest.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "formats/hiscore.h"
#include "game/stage.h"
#include "gl_fixture.h"
#include "platform/system.h"
#include "screens/hiscore_screens.h"
#include "screens/screen_state.h"
#include "screens/stage_screens.h"
#include "screens/title.h"

class ScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The scenes draw every frame; without a device each draw would ask to quit.
        REQUIRE_GL();
        old_ = std::filesystem::current_path();
        char tmpl[] = "/tmp/zorbat-screens-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        std::filesystem::create_directories(dir_ / "data" / "bin");
        std::filesystem::current_path(dir_);
        ResetInput();
        ResetQuit();
        FadeAlpha = 0.0f;
        BlinkFlag = 0;
        CountdownFrames = 180.0f;
        CurrentMusic = -1;
        TitleCursor = StageCursor = HiscorePage = PauseCursor = 0.0f;
        PromptAlpha = 0.0f;
        PromptFlag = 0;
        NameInserted = NameRank = NamePosition = 0;
        StartBanner = 0;
        StageNumber = 1;
        for (HiscoreEntry& e : HiscoreTable) e = HiscoreEntry{};
    }
    void TearDown() override {
        if (dir_.empty()) return;  // skipped before set-up
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
        ResetQuit();
    }
    // The window procedure's part: a held key reads 1, a released one 0.
    static void Key(int vk, bool down) { KeyState[vk] = down ? 1 : 0; }
    // The table a first run writes, read back the way the title reads it.
    static void UseDefaultTable() {
        HiscoreCreateDefault(HiscorePath());
        ASSERT_EQ(HiscoreRead(HiscorePath(), HiscoreTable, kHiscoreEntries), 1);
    }

    std::filesystem::path old_, dir_;
};

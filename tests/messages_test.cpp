// The player's messages: each keeps the game's Japanese text and adds its
// English meaning on the next line; a fatal one ends the game with status 1,
// and only the first fatal message of a run opens a box.
#include <gtest/gtest.h>

#include <string>

#include "platform/messages.h"
#include "platform/system.h"

namespace {

TEST(Messages, EachHasItsJapaneseTextThenItsEnglishMeaning) {
    EXPECT_EQ(MessageText(MsgDataMissing, "air.x"),
              "データ\"air.x\"が見つかりませんでした\nThe data \"air.x\" was not found.");
    EXPECT_EQ(MessageText(MsgMusicFile), "楽曲ファイルの読み込みに失敗\nA music file could not be read.");
    // The buffer messages were English to begin with: one line.
    EXPECT_EQ(MessageText(MsgVertexBuffer), "Not created vertex buffer");
    for (int id = 0; id < kMessageCount; ++id) {
        const std::string text = MessageText(MessageId(id), "x");
        EXPECT_FALSE(text.empty()) << id;
        if (id != MsgVertexBuffer && id != MsgWorldBuffer) {
            EXPECT_NE(text.find('\n'), std::string::npos) << id << ": " << text;
        }
    }
    // A name far longer than the text's buffer is cut, not written past it.
    const std::string longName(5000, 'n');
    const std::string cut = MessageText(MsgImageMissing, longName.c_str());
    EXPECT_GT(cut.size(), 1000u);
    EXPECT_LT(cut.size(), 2100u);
}

TEST(Messages, AFatalMessageQuitsWithStatusOneAndOnlyTheFirstGetsABox) {
    ResetQuit();
    testing::internal::CaptureStderr();
    ShowMessage(MsgMeshTexture);  // not fatal: a box, the game goes on
    EXPECT_FALSE(QuitRequested());
    ShowFatal(MsgImageMissing, "logo.png");
    ShowFatal(MsgImageMissing, "cursor.png");
    ShowMessage(MsgMeshTexture);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(QuitExitCode(), 1);
    EXPECT_EQ(MessageBoxCount(), 2);  // the texture's and the first fatal one
    // Every message still reaches stderr, in both languages.
    EXPECT_NE(err.find("画像\"logo.png\"が見つかりませんでした\nThe picture \"logo.png\" was not found."),
              std::string::npos) << err;
    EXPECT_NE(err.find("The picture \"cursor.png\" was not found."), std::string::npos) << err;
    // A new run starts with boxes again.
    ResetQuit();
    ShowFatal(MsgMeshData);
    EXPECT_EQ(MessageBoxCount(), 1);
    ResetQuit();
}

}  // namespace

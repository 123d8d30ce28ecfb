// Textures out of the image archive, through the real render device.
#include <gtest/gtest.h>
#include <string>

#include "formats/archive.h"
#include "formats_test_util.h"
#include "gl_fixture.h"
#include "graphics/archive_texture.h"
#include "graphics/sprite.h"
#include "platform/system.h"

namespace {

TEST(ArchiveTexture, FoundRefusedAndMissingEntries) {
    REQUIRE_GL();
    ScratchDir dir;
    const std::string arc = dir.File("images.arx");
    // A 32 x 32 PngSuite image, a file that is no image, packed as the game packs.
    const std::vector<uint8_t> png = ReadBytes(ZORBAT_TESTDATA_DIR "/pngsuite/basn2c08.png");
    ASSERT_FALSE(png.empty());
    const std::vector<uint8_t> junk = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    std::FILE* f = std::fopen(arc.c_str(), "wb");
    ASSERT_TRUE(WriteArchiveEntry(f, "cursor.png", png.data(), uint32_t(png.size())));
    ASSERT_TRUE(WriteArchiveEntry(f, "junk.png", junk.data(), uint32_t(junk.size())));
    std::fclose(f);

    ResetQuit();
    Texture* slot = nullptr;
    EXPECT_EQ(LoadTextureFromArchive(arc.c_str(), "cursor.png", &slot), 1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->width, 32);
    EXPECT_EQ(slot->height, 32);
    EXPECT_FALSE(QuitRequested());

    // A refused image: 0, no message, and the slot keeps what it had.
    Texture* before = slot;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadTextureFromArchive(arc.c_str(), "junk.png", &slot), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(slot, before);
    EXPECT_FALSE(QuitRequested());

    // A missing entry: the image message naming it, and the quit request.
    Texture* empty = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadTextureFromArchive(arc.c_str(), "logo.png", &empty), 0);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("画像\"logo.png\"が見つかりませんでした"), std::string::npos) << shown;
    EXPECT_EQ(empty, nullptr);
    EXPECT_TRUE(QuitRequested());
    ResetQuit();
    ReleaseTexture(slot);
}

}  // namespace

// Images decoded ahead on the prefetch thread come out exactly as decoding
// them on the spot would, and the loads built on them behave as before:
// found, refused without a message, missing with the message and a quit.
#include <gtest/gtest.h>
#include <cstring>
#include <string>

#include "formats/archive.h"
#include "formats_test_util.h"
#include "gl_fixture.h"
#include "graphics/archive_texture.h"
#include "graphics/image_prefetch.h"
#include "graphics/sprite.h"
#include "platform/image.h"
#include "platform/system.h"

namespace {

struct PrefetchArchive {
    ScratchDir dir;
    std::string path = dir.File("images.arx");
    std::vector<uint8_t> png = ReadBytes(ZORBAT_TESTDATA_DIR "/pngsuite/basn2c08.png");
    std::vector<uint8_t> alphaPng = ReadBytes(ZORBAT_TESTDATA_DIR "/pngsuite/basn6a08.png");
    PrefetchArchive() {
        const std::vector<uint8_t> junk = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
        std::FILE* f = std::fopen(path.c_str(), "wb");
        WriteArchiveEntry(f, "a.png", png.data(), uint32_t(png.size()));
        WriteArchiveEntry(f, "junk.png", junk.data(), uint32_t(junk.size()));
        WriteArchiveEntry(f, "b.png", alphaPng.data(), uint32_t(alphaPng.size()));
        std::fclose(f);
    }
    ~PrefetchArchive() { StopPrefetch(); }
};

TEST(ImagePrefetch, PixelsAsDecodedOnTheSpotAndEachTakenOnce) {
    PrefetchArchive arc;
    ASSERT_FALSE(arc.png.empty());
    const char* names[] = {"b.png", "junk.png", "a.png", "missing.png"};
    PrefetchArchiveImages(arc.path.c_str(), names, 4);
    for (const auto& [name, bytes] : {std::pair{"a.png", &arc.png}, std::pair{"b.png", &arc.alphaPng}}) {
        int w = 0, h = 0, dw = 0, dh = 0;
        uint8_t *rgba = nullptr, *direct = nullptr;
        ASSERT_TRUE(TakePrefetchedImage(arc.path.c_str(), name, &w, &h, &rgba)) << name;
        ASSERT_TRUE(DecodeImage(bytes->data(), int(bytes->size()), &dw, &dh, &direct));
        EXPECT_EQ(w, dw);
        EXPECT_EQ(h, dh);
        EXPECT_EQ(std::memcmp(rgba, direct, size_t(w) * h * 4), 0) << name;
        FreeImage(rgba);
        FreeImage(direct);
        // Taken: a second ask gets nothing (the caller would load it itself).
        EXPECT_FALSE(TakePrefetchedImage(arc.path.c_str(), name, &w, &h, &rgba));
    }
    int w, h;
    uint8_t* rgba = nullptr;
    // Refused, missing, not asked for, or asked of another archive: nothing.
    EXPECT_FALSE(TakePrefetchedImage(arc.path.c_str(), "junk.png", &w, &h, &rgba));
    EXPECT_FALSE(TakePrefetchedImage(arc.path.c_str(), "missing.png", &w, &h, &rgba));
    EXPECT_FALSE(TakePrefetchedImage(arc.path.c_str(), "c.png", &w, &h, &rgba));
    PrefetchArchiveImages(arc.path.c_str(), names, 4);
    EXPECT_FALSE(TakePrefetchedImage("other.arx", "a.png", &w, &h, &rgba));
    // Stopped, whatever was not taken is gone.
    StopPrefetch();
    EXPECT_FALSE(TakePrefetchedImage(arc.path.c_str(), "a.png", &w, &h, &rgba));
    EXPECT_EQ(rgba, nullptr);
}

TEST(ImagePrefetch, LoadsFromThePrefetchBehaveAsPlainLoads) {
    REQUIRE_GL();
    PrefetchArchive arc;
    const char* names[] = {"a.png", "junk.png", "logo.png"};
    PrefetchArchiveImages(arc.path.c_str(), names, 3);
    ResetQuit();
    Texture* slot = nullptr;
    EXPECT_EQ(LoadTextureFromArchive(arc.path.c_str(), "a.png", &slot), 1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->width, 32);
    EXPECT_EQ(slot->height, 32);
    Texture* before = slot;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadTextureFromArchive(arc.path.c_str(), "junk.png", &slot), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(slot, before);
    EXPECT_FALSE(QuitRequested());
    Texture* empty = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadTextureFromArchive(arc.path.c_str(), "logo.png", &empty), 0);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("画像\"logo.png\"が見つかりませんでした"), std::string::npos) << shown;
    EXPECT_TRUE(QuitRequested());
    ResetQuit();
    ReleaseTexture(slot);
}

}  // namespace

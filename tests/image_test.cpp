// Image decoding against the PngSuite and BMP Suite files, and hand-made
// files whose pixels are known.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/image.h"

namespace {

const std::string kData = ZORBAT_TESTDATA_DIR;

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

struct Decoded {
    bool ok = false;
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
};

Decoded Decode(const std::vector<uint8_t>& bytes) {
    Decoded d;
    uint8_t* px = nullptr;
    d.ok = DecodeImage(bytes.data(), static_cast<int>(bytes.size()), &d.w, &d.h, &px);
    if (d.ok) {
        EXPECT_NE(px, nullptr);
        d.rgba.assign(px, px + static_cast<size_t>(d.w) * d.h * 4);
        FreeImage(px);
    } else {
        EXPECT_EQ(px, nullptr);
    }
    return d;
}

Decoded DecodeFile(const std::string& rel) { return Decode(ReadAll(kData + "/" + rel)); }

struct Expectation {
    std::string path, category, result;
};

std::vector<Expectation> Expectations(const std::string& prefix) {
    std::vector<Expectation> out;
    std::ifstream f(kData + "/expectations.tsv");
    std::string line;
    while (std::getline(f, line)) {
        if (line.empty() || line[0] == '#' || line.rfind(prefix, 0) != 0) continue;
        std::stringstream ss(line);
        Expectation e;
        std::string loader;
        std::getline(ss, e.path, '\t');
        std::getline(ss, e.category, '\t');
        std::getline(ss, loader, '\t');
        std::getline(ss, e.result, '\t');
        out.push_back(e);
    }
    return out;
}

// A 2 x 2 24-bit BMP, stored bottom row first: top red, green; bottom blue, white.
std::vector<uint8_t> TinyBmp() {
    std::vector<uint8_t> b(54 + 16, 0);
    auto put32 = [&](int at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    b[26] = 1;
    b[28] = 24;
    put32(34, 16);
    const uint8_t rows[16] = {255, 0, 0, 255, 255, 255, 0, 0,   // bottom: blue, white (BGR)
                              0, 0, 255, 0, 255, 0, 0, 0};      // top: red, green
    std::memcpy(&b[54], rows, 16);
    return b;
}

// A grey PNG of w x h texels, all black: a few bytes per row however wide.
std::vector<uint8_t> BlankPng(uint32_t w, uint32_t h) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        const uint32_t n = uint32_t(data.size());
        const uint8_t len[4] = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
        png.insert(png.end(), len, len + 4);
        std::vector<uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        const uint32_t crc = uint32_t(crc32(0, body.data(), uInt(body.size())));
        png.insert(png.end(), body.begin(), body.end());
        const uint8_t c[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
        png.insert(png.end(), c, c + 4);
    };
    chunk("IHDR", {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 24),
                   uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h), 8, 0, 0, 0, 0});
    z_stream zs{};
    deflateInit(&zs, 1);
    std::vector<uint8_t> row(w + 1, 0), packed, out(1 << 16);
    for (uint32_t y = 0; y <= h; ++y) {
        zs.next_in = row.data();
        zs.avail_in = y < h ? uInt(row.size()) : 0;
        do {
            zs.next_out = out.data();
            zs.avail_out = uInt(out.size());
            deflate(&zs, y < h ? Z_NO_FLUSH : Z_FINISH);
            packed.insert(packed.end(), out.data(), zs.next_out);
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return png;
}

}  // namespace

// An image over 4096 texels on a side is refused as a damaged one is, before
// its pixels are decoded (a 8192 x 8192 PNG of a few dozen KB once took a
// quarter of a gigabyte); 4096 itself is fine.
TEST(ImageDecode, RefusesImagesOverFourThousandTexelsASide) {
    EXPECT_TRUE(Decode(BlankPng(4096, 2)).ok) << ImageError();
    EXPECT_TRUE(Decode(BlankPng(2, 4096)).ok) << ImageError();
    EXPECT_FALSE(Decode(BlankPng(4097, 1)).ok);
    EXPECT_FALSE(Decode(BlankPng(1, 4097)).ok);
    const std::vector<uint8_t> huge = BlankPng(8192, 8192);
    EXPECT_LT(huge.size(), 300000u);
    EXPECT_FALSE(Decode(huge).ok);
}

// Every valid PngSuite file decodes at its size; every deliberately corrupt
// one is refused, including the two whose only fault is a chunk checksum.
TEST(ImageDecode, PngSuiteLoadsOrRefuses) {
    auto list = Expectations("pngsuite/");
    ASSERT_GT(list.size(), 170u);
    int loaded = 0, refused = 0;
    for (const auto& e : list) {
        SCOPED_TRACE(e.path);
        Decoded d = DecodeFile(e.path);
        if (e.category == "corrupt") {
            EXPECT_FALSE(d.ok);
            ++refused;
            continue;
        }
        ASSERT_TRUE(d.ok) << ImageError();
        int w = 0, h = 0;
        ASSERT_EQ(std::sscanf(e.result.c_str(), "loads %dx%d", &w, &h), 2);
        EXPECT_EQ(d.w, w);
        EXPECT_EQ(d.h, h);
        ++loaded;
    }
    EXPECT_EQ(refused, 14);
    EXPECT_EQ(loaded, 162);
    // Interlaced and plain versions decode to the same pixels.
    EXPECT_EQ(DecodeFile("pngsuite/basi6a08.png").rgba, DecodeFile("pngsuite/basn6a08.png").rgba);
    EXPECT_EQ(DecodeFile("pngsuite/z00n2c08.png").rgba, DecodeFile("pngsuite/z09n2c08.png").rgba);
}

// Good files load (RLE compression is not supported and is refused);
// questionable and bad ones either load at a sane size or are refused,
// without crashing or reading out of bounds.
TEST(ImageDecode, BmpSuiteLoadsOrRefuses) {
    auto list = Expectations("bmpsuite/");
    ASSERT_GT(list.size(), 80u);
    for (const auto& e : list) {
        SCOPED_TRACE(e.path);
        Decoded d = DecodeFile(e.path);
        bool rle = e.path.find("rle") != std::string::npos;
        if (e.category == "good" && !rle) {
            EXPECT_TRUE(d.ok) << ImageError();
        }
        if (e.category == "good" && rle) {
            EXPECT_FALSE(d.ok);
        }
        if (d.ok) {
            EXPECT_GT(d.w, 0);
            EXPECT_LE(d.w, kMaxImageSide);
            EXPECT_LE(d.h, kMaxImageSide);
        }
    }
    EXPECT_FALSE(DecodeFile("bmpsuite/b/reallybig.bmp").ok);
    EXPECT_FALSE(DecodeFile("bmpsuite/b/badwidth.bmp").ok);
    // Bottom-up, top-down and other header versions give the same picture.
    Decoded pal8 = DecodeFile("bmpsuite/g/pal8.bmp");
    EXPECT_EQ(pal8.rgba, DecodeFile("bmpsuite/g/pal8topdown.bmp").rgba);
    EXPECT_EQ(pal8.rgba, DecodeFile("bmpsuite/g/pal8v5.bmp").rgba);
    EXPECT_EQ(DecodeFile("bmpsuite/g/rgb24.bmp").rgba, DecodeFile("bmpsuite/g/rgb32.bmp").rgba);
    // A 24-bit file carrying an unused palette before its pixels.
    EXPECT_EQ(DecodeFile("bmpsuite/g/rgb24.bmp").rgba, DecodeFile("bmpsuite/g/rgb24pal.bmp").rgba);
}

TEST(ImageDecode, PixelsTopRowFirstInRgbaOrder) {
    Decoded d = Decode(TinyBmp());
    ASSERT_TRUE(d.ok) << ImageError();
    ASSERT_EQ(d.w, 2);
    ASSERT_EQ(d.h, 2);
    const uint8_t expect[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(0, std::memcmp(d.rgba.data(), expect, 16));
}

TEST(ImageDecode, RefusesOtherFormatsAndDamage) {
    EXPECT_FALSE(DecodeFile("xfiles/bottom.tga").ok);  // TGA is not accepted
    EXPECT_FALSE(DecodeFile("wav/coin.wav").ok);
    EXPECT_FALSE(Decode({}).ok);
    std::vector<uint8_t> png = ReadAll(kData + "/pngsuite/basn2c08.png");
    ASSERT_TRUE(Decode(png).ok);
    std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
    EXPECT_FALSE(Decode(cut).ok);
    // A flipped bit inside the image data fails its chunk checksum.
    std::vector<uint8_t> flipped = png;
    flipped[png.size() - 30] ^= 0x10;
    EXPECT_FALSE(Decode(flipped).ok);
    // A truncated BMP header.
    std::vector<uint8_t> bmp = TinyBmp();
    bmp.resize(20);
    EXPECT_FALSE(Decode(bmp).ok);
}

// Mesh assets: loading from the archive and from files with their messages,
// textures found from Windows-style names, drawing with the emissive factor,
// the flat silhouette, culling, and release. Pixel expectations follow the
// lighting rule: colour = material diffuse x light diffuse x N.L + emissive.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "formats/archive.h"
#include "gl_fixture.h"
#include "graphics/mesh.h"
#include "graphics/mesh_texture.h"
#include "graphics/sprite.h"
#include "platform/png_writer.h"
#include "platform/system.h"
#include "xfile_test_util.h"

namespace {

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/zorbat_mesh_XXXXXX";
        path_ = mkdtemp(tmpl) ? std::string(tmpl) + "/" : "/tmp/";
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }
    std::string Write(const std::string& name, const std::string& text) const {
        std::string p = path_ + name;
        if (FILE* f = std::fopen(p.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        return p;
    }
    void Png(const std::string& name, uint8_t r, uint8_t g, uint8_t b) const {
        uint8_t px[16];
        for (int i = 0; i < 4; ++i) px[4 * i] = r, px[4 * i + 1] = g, px[4 * i + 2] = b, px[4 * i + 3] = 255;
        WritePng((path_ + name).c_str(), 2, 2, px);
    }

private:
    std::string path_;
};

// What a load printed on stderr, and whether it asked the game to quit.
struct Outcome {
    int result;
    std::string messages;
    bool quit;
};

template <typename F>
Outcome Attempt(F load) {
    ResetQuit();
    testing::internal::CaptureStderr();
    int r = load();
    Outcome o{r, testing::internal::GetCapturedStderr(), QuitRequested()};
    ResetQuit();
    return o;
}

bool IsEmpty(const MeshAsset& a) {
    return !a.mesh && !a.materials && !a.textures && a.materialCount == 0;
}

// Two squares 2 units wide at z = 10, centred at x = -3 (front face, drawn
// clockwise on screen) and x = +3 (back face: the same square wound the
// other way), each with its own material; both normals point at the camera.
const char* kTwoSquares = R"(xof 0303txt 0032
Mesh {
  8; -4;-1;10;, -4;1;10;, -2;1;10;, -2;-1;10;,
      2;-1;10;,  2;1;10;,  4;1;10;,  4;-1;10;;
  2; 4;0,1,2,3;, 4;4,7,6,5;;
  MeshNormals { 1; 0;0;-1;; 2; 4;0,0,0,0;, 4;0,0,0,0;; }
  MeshMaterialList { 2; 2; 0,1;;
    Material { 0.8;0.4;0.2;1;; 0; 0;0;0;; 0;0;0;; }
    Material { 0.2;0.6;0.2;1;; 0; 0;0;0;; 0;0;0;; } }
})";

void Camera() {
    RdSetRenderTarget(nullptr);
    RdSetTransform(RD_WORLD, MatIdentity());
    RdSetTransform(RD_VIEW, MatLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
    RdSetTransform(RD_PROJECTION, MatPerspectiveFovLH(3.14159265f / 4, 800.0f / 600.0f, 1, 100));
    RdSetAlphaBlend(false);
    RdSetZEnable(false);
    RdSetSpecularEnable(false);
    RdSetColorArgs(RD_TA_TEXTURE, RD_TA_DIFFUSE);
    RdSetColorOp(RD_TOP_MODULATE);
    RdSetAlphaArgs(RD_TA_TEXTURE, RD_TA_DIFFUSE);
    RdSetAlphaOp(RD_TOP_SELECTARG1);
    RdClear(0xFF000000u, 1.0f);
}

// Square centres: x = -+3 at z = 10 through a 45-degree, 4:3 projection.
constexpr int kLeftX = 400 - 217, kRightX = 400 + 217, kMidY = 300;

std::vector<uint8_t> Pixel(int x, int y) {
    std::vector<uint8_t> px(4);
    RdReadPixels(x, y, 1, 1, px.data());
    return px;
}

void ExpectRgb(const std::vector<uint8_t>& p, double r, double g, double b) {
    EXPECT_NEAR(p[0], r, 2.0);
    EXPECT_NEAR(p[1], g, 2.0);
    EXPECT_NEAR(p[2], b, 2.0);
}

}  // namespace

// A missing entry names it and quits; data the reader refuses and a plain
// file that is not there give the mesh message and quit; the asset stays
// empty. The third-party damaged files go the same way without harm.
TEST(Mesh, LoadFailures) {
    TempDir dir;
    std::string arx = dir.path() + "meshes.arx";
    if (FILE* f = std::fopen(arx.c_str(), "wb")) {
        const char junk[] = "xof 0303txt 0032 Mesh { 3; oops }";
        WriteArchiveEntry(f, "bad.x", reinterpret_cast<const uint8_t*>(junk), sizeof junk - 1);
        std::fclose(f);
    }
    MeshAsset a{};
    Outcome missing = Attempt([&] { return LoadMeshFromArchive(arx.c_str(), "ufo.x", "", &a); });
    EXPECT_EQ(missing.result, 0);
    EXPECT_NE(missing.messages.find("データ\"ufo.x\"が見つかりませんでした"), std::string::npos);
    EXPECT_TRUE(missing.quit);

    Outcome bad = Attempt([&] { return LoadMeshFromArchive(arx.c_str(), "bad.x", "", &a); });
    EXPECT_EQ(bad.result, 0);
    EXPECT_NE(bad.messages.find("メッシュデータの読み込みに失敗"), std::string::npos);
    EXPECT_TRUE(bad.quit);

    Outcome noFile = Attempt([&] { return LoadMeshFromFile((dir.path() + "floor_9.x").c_str(), "", &a); });
    EXPECT_EQ(noFile.result, 0);
    EXPECT_NE(noFile.messages.find("メッシュデータの読み込みに失敗"), std::string::npos);
    EXPECT_TRUE(noFile.quit);

    for (const std::string& name : InvalidXFiles()) {
        Outcome o = Attempt([&] { return LoadMeshFromFile(XFilePath(name).c_str(), "", &a); });
        EXPECT_EQ(o.result, 0) << name;
        EXPECT_NE(o.messages.find("メッシュデータの読み込みに失敗"), std::string::npos) << name;
        EXPECT_TRUE(o.quit) << name;
    }
    EXPECT_TRUE(IsEmpty(a));
}

// Texture names as Windows exporters write them: backslashes, a leading
// ".\", absolute paths whose folders do not exist here, other letter case.
TEST(Mesh, TextureLookup) {
    TempDir dir;
    std::system(("mkdir -p '" + dir.path() + "sub'").c_str());
    dir.Write("sub/skin.png", "x");
    dir.Write("Hull.PNG", "x");
    const std::string d = dir.path();
    EXPECT_EQ(FindMeshTexture(d.c_str(), "sub\\skin.png"), d + "sub/skin.png");
    EXPECT_EQ(FindMeshTexture(d.c_str(), ".\\\\sub\\\\skin.png"), d + ".//sub//skin.png");
    EXPECT_EQ(FindMeshTexture(d.c_str(), "C:\\art\\ufo\\Hull.PNG"), d + "Hull.PNG");
    EXPECT_EQ(FindMeshTexture(d.c_str(), "hull.png"), d + "Hull.PNG");
    EXPECT_EQ(FindMeshTexture(d.c_str(), "C:\\art\\nothere.png"), "");
    EXPECT_EQ(FindMeshTexture(d.c_str(), "sub\\"), "");
    // The third-party file with absolute texture paths finds its textures next to it.
    EXPECT_EQ(FindMeshTexture((XFilePath("")).c_str(),
                              "C:\\\\code\\\\sourceforge\\\\kwxport\\\\trunkMerged\\\\test\\\\data\\\\top.tga"),
              XFilePath("top.tga"));
}

// The lit material colour, the emissive factor (a factor of 0 keeps the last
// glow), the flat white silhouette, and back faces culled.
TEST(Mesh, DrawLitGlowingFlatAndCulled) {
    REQUIRE_GL();
    TempDir dir;
    MeshAsset a{};
    Outcome o = Attempt([&] { return LoadMeshFromFile(dir.Write("two.x", kTwoSquares).c_str(), "", &a); });
    ASSERT_EQ(o.result, 1) << o.messages;
    EXPECT_TRUE(o.messages.empty()) << o.messages;  // no textures named: no message
    ASSERT_EQ(a.materialCount, 2u);
    EXPECT_EQ(a.textures[0], nullptr);

    Camera();
    Light l{};
    l.diffuse = {0.5f, 0.5f, 0.5f, 1};
    l.direction = {0, 0, 1};
    RdSetLight(0, l);
    RdEnableLight(0, true);
    RdSetLighting(true);

    // Lit: 0.8 x 0.5 x (N.L = 1), no glow yet. The back face is culled.
    EXPECT_EQ(DrawMesh(&a, RD_CULL_CCW, 0.0f), 1);
    ExpectRgb(Pixel(kLeftX, kMidY), 0.4 * 255, 0.2 * 255, 0.1 * 255);
    ExpectRgb(Pixel(kRightX, kMidY), 0, 0, 0);
    // Glow 0.5 adds half the diffuse colour and is kept in the material.
    DrawMesh(&a, RD_CULL_CCW, 0.5f);
    ExpectRgb(Pixel(kLeftX, kMidY), 0.8 * 255, 0.4 * 255, 0.2 * 255);
    EXPECT_EQ(a.materials[0].material.emissive.r, 0.4f);
    EXPECT_EQ(a.materials[0].material.emissive.a, 1.0f);
    EXPECT_EQ(a.materials[1].material.emissive.g, 0.3f);
    // A factor of 0 leaves the glow of the last call.
    RdClear(0xFF000000u, 1.0f);
    DrawMesh(&a, RD_CULL_CCW, 0.0f);
    ExpectRgb(Pixel(kLeftX, kMidY), 0.8 * 255, 0.4 * 255, 0.2 * 255);
    // Without culling the back square shows, so the culling above was real.
    DrawMesh(&a, RD_CULL_NONE, 0.0f);
    ExpectRgb(Pixel(kRightX, kMidY), 0.2 * 255, 0.6 * 255, 0.2 * 255);

    // The silhouette: white wherever a front face is, whatever its material.
    RdClear(0xFF000000u, 1.0f);
    DrawMeshFlat(&a, RD_CULL_CCW);
    ExpectRgb(Pixel(kLeftX, kMidY), 255, 255, 255);
    ExpectRgb(Pixel(kRightX, kMidY), 0, 0, 0);
    ExpectRgb(Pixel(400, kMidY), 0, 0, 0);

    // Releasing empties the asset; drawing an empty asset draws nothing.
    ReleaseMeshes(&a, 1);
    EXPECT_TRUE(IsEmpty(a));
    RdClear(0xFF000000u, 1.0f);
    EXPECT_EQ(DrawMesh(&a, RD_CULL_NONE, 0.5f), 1);
    ExpectRgb(Pixel(kLeftX, kMidY), 0, 0, 0);
    RdSetLighting(false);
    RdEnableLight(0, false);
}

// One texture per material: found from Windows-style names, a separate
// texture even when two materials name the same file, none (and one
// message, no quit) for a file that is not there, and a name far longer
// than the classic 127-character path limit.
TEST(Mesh, MaterialTextures) {
    REQUIRE_GL();
    TempDir dir;
    std::string longName(200, 'n');
    longName += ".png";
    dir.Png("red.png", 200, 100, 50);
    dir.Png(longName, 10, 20, 30);
    auto mat = [](const std::string& tex) {
        return "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"" + tex + "\"; } }\n";
    };
    std::string file = "xof 0303txt 0032\nMesh {\n"
                       "  4; -1;-1;10;, -1;1;10;, 1;1;10;, 1;-1;10;;\n"
                       // The square uses material 0; the others get one empty triangle each.
                       "  5; 3;0,1,2;, 3;0,2,3;, 3;0,0,0;, 3;0,0,0;, 3;0,0,0;;\n"
                       "  MeshMaterialList { 5; 5; 0,0,1,2,3;;\n" +
                       mat(".\\\\red.png") + mat("C:\\\\models\\\\RED.PNG") + mat("missing.png") +
                       mat(longName) + "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }\n";
    MeshAsset a{};
    Outcome o = Attempt([&] { return LoadMeshFromFile(dir.Write("tex.x", file).c_str(), dir.path().c_str(), &a); });
    ASSERT_EQ(o.result, 1) << o.messages;
    EXPECT_FALSE(o.quit);
    ASSERT_EQ(a.materialCount, 5u);
    ASSERT_NE(a.textures[0], nullptr);
    ASSERT_NE(a.textures[1], nullptr);
    EXPECT_NE(a.textures[0], a.textures[1]);
    EXPECT_EQ(a.textures[2], nullptr);
    ASSERT_NE(a.textures[3], nullptr);
    EXPECT_EQ(a.textures[4], nullptr);
    size_t first = o.messages.find("メッシュテクスチャの読み込みに失敗");
    ASSERT_NE(first, std::string::npos) << o.messages;
    EXPECT_EQ(o.messages.find("メッシュテクスチャの読み込みに失敗", first + 1), std::string::npos);
    EXPECT_EQ(std::string(a.materials[0].textureFile), ".\\\\red.png");

    // Drawn unlit, the textured subset shows its texture.
    Camera();
    RdSetLighting(false);
    DrawMesh(&a, RD_CULL_NONE, 0.0f);
    ExpectRgb(Pixel(400, kMidY), 200, 100, 50);
    ReleaseMeshes(&a, 1);
}

// Every third-party file that must load does, with one subset per material;
// releasing walks the array from the end and leaves it empty.
TEST(Mesh, SharedFilesLoadAndRelease) {
    REQUIRE_GL();
    MeshAsset assets[12] = {};
    int i = 0;
    for (const std::string& name : ValidXFiles()) {
        XMeshData data;
        std::string error;
        ASSERT_TRUE(LoadBytes(ReadBytes(XFilePath(name)), &data, &error)) << error;
        Outcome o = Attempt([&] { return LoadMeshFromFile(XFilePath(name).c_str(), XFilePath("").c_str(), &assets[i]); });
        EXPECT_EQ(o.result, 1) << name << o.messages;
        EXPECT_FALSE(o.quit) << name;
        EXPECT_EQ(assets[i].materialCount, data.materials.size()) << name;
        ++i;
    }
    // test.x names ".\\test.png", which is next to it.
    EXPECT_NE(assets[0].textures[0], nullptr);
    ReleaseMeshes(assets, 12);
    for (const MeshAsset& a : assets) EXPECT_TRUE(IsEmpty(a));
}

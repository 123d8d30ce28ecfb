// The world pass: which actors and stage objects are drawn with which mesh,
// the tank's separately aimed turret, the charger's glow, and where the
// player's projected shadow lands, through the real device where it matters.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/manifest.h"
#include "game/actor_render.h"
#include "game/player.h"
#include "game/stage.h"
#include "game/world_render.h"
#include "gl_fixture.h"
#include "graphics/device.h"
#include "graphics/sprite.h"

namespace {

// A flat rectangle in the y = 0 plane, x from -w to w and z from 0 to len,
// facing up and wound clockwise as seen from above, in one colour.
std::string FlatPiece(float w, float len, const char* rgb) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "xof 0303txt 0032\nMesh {\n 4; %g;0;0;, %g;0;%g;, %g;0;%g;, %g;0;0;;\n"
                  " 1; 4;0,1,2,3;;\n MeshNormals { 1; 0;1;0;; 1; 4;0,0,0,0;; }\n"
                  " MeshMaterialList { 1; 1; 0;;\n  Material { %s;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n",
                  -w, -w, len, w, len, w, rgb);
    return text;
}

void LoadPiece(MeshAsset* asset, float w, float len, const char* rgb) {
    const std::string path = "/tmp/zorbat_render_piece.x";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        const std::string text = FlatPiece(w, len, rgb);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    ASSERT_EQ(LoadMeshFromFile(path.c_str(), "", asset), 1);
    std::remove(path.c_str());
}

Actor MakeActor(const char* tag, Vec3 position, Vec3 rotation, ActorState* state, int hp = 10) {
    Actor a{};
    std::strncpy(a.name, tag, 7);
    a.position = position;
    a.rotation = rotation;
    a.scale = Vec3{1, 1, 1};
    a.hitPoints = hp;
    a.state = state;
    return a;
}

// Screen pixel of a world point seen through view and projection.
struct ScreenPoint {
    int x, y;
};
ScreenPoint Project(Vec3 p, const Matrix& view, const Matrix& projection) {
    const Vec3 c = TransformCoord(p, MatMultiply(view, projection));
    return ScreenPoint{static_cast<int>((1.0f + c.x) * 400.0f), static_cast<int>((1.0f - c.y) * 300.0f)};
}

std::vector<uint8_t> PixelAt(ScreenPoint s) {
    std::vector<uint8_t> p(4);
    RdReadPixels(s.x, s.y, 1, 1, p.data());
    return p;
}

// Row vector (v, 1) times m, homogeneous result divided out.
Vec3 Through(const float v[4], const Matrix& m) {
    float o[4];
    for (int j = 0; j < 4; ++j) {
        o[j] = v[0] * m.m[0][j] + v[1] * m.m[1][j] + v[2] * m.m[2][j] + v[3] * m.m[3][j];
    }
    return Vec3{o[0] / o[3], o[1] / o[3], o[2] / o[3]};
}

class WorldRender : public ::testing::Test {
protected:
    void SetUp() override {
        if (!GlTestDevice()) GTEST_SKIP() << "no OpenGL display";
        std::memcpy(savedEnemy_, EnemyMeshes, sizeof savedEnemy_);
        std::memcpy(savedMap_, MapMeshes, sizeof savedMap_);
        ready_ = true;
        LoadPiece(&red_, 0.5f, 10.0f, "1;0;0");
        LoadPiece(&green_, 0.5f, 10.0f, "0;1;0");
        for (int i = 0; i < 7; ++i) EnemyMeshes[i] = red_;
        EnemyMeshes[5] = green_;  // the turret
        MapMeshes[0] = red_;
        MapMeshes[1] = red_;
        BeginFrame(0, 0, 0);
        SetDirectionalLight(0, Vec3{0, -1, 0}, 1, 1, 1, 1);
    }
    void TearDown() override {
        if (!ready_) return;
        std::memcpy(EnemyMeshes, savedEnemy_, sizeof savedEnemy_);
        std::memcpy(MapMeshes, savedMap_, sizeof savedMap_);
        ReleaseMeshes(&red_, 1);
        ReleaseMeshes(&green_, 1);
    }
    MeshAsset red_{}, green_{};
    MeshAsset savedEnemy_[7]{}, savedMap_[2]{};
    bool ready_ = false;
};

// Seen from straight above: a tank with its turret at yaw 90 shows the hull
// along +z and the turret along +x; dead actors and unknown tags are not drawn.
TEST_F(WorldRender, TurretAimsOnItsOwnAnglesAndTheDeadAreNotDrawn) {
    ActorState tankState{};
    tankState.s[3] = 90.0f;  // turret (pitch, yaw, roll) = (0, 90, 0)
    ActorState other{};
    Actor actors[3] = {
        MakeActor("ENEMY4", Vec3{0, 0, 0}, Vec3{0, 0, 0}, &tankState),
        MakeActor("ENEMY4", Vec3{-15, 0, -12}, Vec3{0, 0, 0}, &other, 0),  // died this frame
        MakeActor("ENEMY9", Vec3{12, 0, -12}, Vec3{0, 0, 0}, &other),      // no such kind
    };
    const Matrix view = MakeViewMatrix(Vec3{0, 40, -0.001f}, Vec3{0, 0, 0});
    const Matrix projection = MatPerspectiveFovLH(0.7853982f, 800.0f / 600.0f, 1.0f, 1000.0f);
    DrawActors(actors, 3, view, projection);

    const std::vector<uint8_t> hull = PixelAt(Project(Vec3{0, 0, 7}, view, projection));
    const std::vector<uint8_t> turret = PixelAt(Project(Vec3{7, 0, 0}, view, projection));
    EXPECT_GT(hull[0], 200);
    EXPECT_LT(hull[1], 30);
    EXPECT_GT(turret[1], 200);
    EXPECT_LT(turret[0], 30);
    // Nothing toward -x (the turret is not mirrored) or where the dead tank
    // (hull red, turret green) and the unknown kind stand.
    auto dark = [&](Vec3 p) {
        const std::vector<uint8_t> px = PixelAt(Project(p, view, projection));
        return px[0] == 0 && px[1] == 0 && px[2] == 0;
    };
    EXPECT_TRUE(dark(Vec3{-7, 0, 0}));
    EXPECT_TRUE(dark(Vec3{-15, 0, -7}));
    EXPECT_TRUE(dark(Vec3{12, 0, -7}));
}

// Mesh and quad counts per kind: a tank is two meshes, a charger one mesh
// plus its glow except on its blink frames, an empty list nothing; stage
// objects other than floor and buildings only collide.
TEST_F(WorldRender, ChargeGlowBlinksAndOnlyFloorAndBuildingsAreDrawn) {
    Texture light{RdCreateTexture(1, 1, std::vector<uint8_t>{255, 255, 255, 255}.data()), 1, 1};
    Texture* savedLight = TextureTable[TexLight];
    TextureTable[TexLight] = &light;
    const Matrix view = MakeViewMatrix(Vec3{0, 40, -0.001f}, Vec3{0, 0, 0});
    const Matrix projection = MatPerspectiveFovLH(0.7853982f, 800.0f / 600.0f, 1.0f, 1000.0f);
    auto draws = [&](Actor* actors, int count) {
        RdResetStats();
        DrawActors(actors, count, view, projection);
        const RdStats s = RdGetStats();
        return std::vector<int>{s.meshDraws, s.quadsQueued};
    };
    ActorState state{};
    Actor a = MakeActor("ENEMY3", Vec3{0, 0, 0}, Vec3{0, 0, 0}, &state);
    state.s[2] = 0.5f;
    EXPECT_EQ(draws(&a, 1), (std::vector<int>{1, 1}));
    state.s[3] = 1.0f;  // blink frame: no glow
    EXPECT_EQ(draws(&a, 1), (std::vector<int>{1, 0}));
    EXPECT_EQ(draws(&a, 0), (std::vector<int>{0, 0}));
    Actor tank = MakeActor("ENEMY4", Vec3{0, 0, 0}, Vec3{0, 0, 0}, &state);
    EXPECT_EQ(draws(&tank, 1), (std::vector<int>{2, 0}));

    StageObject objects[3] = {};
    std::strcpy(objects[0].name, "WALL");
    std::strcpy(objects[1].name, "FLOOR");
    std::strcpy(objects[2].name, "BUILD2");
    for (StageObject& o : objects) o.scale = Vec3{1, 1, 1};
    RdResetStats();
    DrawStageObjects(objects, 3, view, projection);
    EXPECT_EQ(RdGetStats().meshDraws, 2);

    TextureTable[TexLight] = savedLight;
    RdReleaseTexture(light.handle);
}

// The shadow of a craft 20 above the ground, cast from a shadow eye at
// (0, 120, 0): it lands where the rays from that eye through the craft meet
// y = 0.01, 30 % darker, posed with the follow angles rather than the craft's
// own yaw, and not mirrored in either direction.
TEST_F(WorldRender, ShadowFallsAlongRaysFromTheShadowEye) {
    RenderTarget savedTarget = ShadowTarget;
    ASSERT_EQ(CreateRenderTarget(&ShadowTarget, 256, 256), 1);
    MeshAsset piece{};
    LoadPiece(&piece, 1.0f, 6.0f, "1;1;1");
    ResetFollowAngles();
    ProjectionMatrix = MakeProjectionMatrix();

    BeginFrame(200, 200, 200);
    SetDefaultRenderStates();  // as the world pass leaves them before the shadow
    ActorState state{};
    const Actor craft = MakeActor("ZORBAT", Vec3{4, 20, 0}, Vec3{0, 90, 0}, &state);
    CameraPose shadow{Vec3{0, 120, -0.001f}, Vec3{0, 0, 0}, Vec3{0, 0, 0}};
    CameraPose follow{Vec3{0, 150, -0.001f}, Vec3{0, 0, 0}, Vec3{0, 0, 0}};
    DrawPlayerShadow(craft, &piece, shadow, follow);

    // The piece spans x 3..5, z 0..6 at height 20; on the ground that is
    // 1.2 times as far from the eye: x 3.6..6, z 0..7.2.
    const Matrix view = MakeViewMatrix(follow.eye, follow.target);
    auto grey = [&](Vec3 p) { return static_cast<int>(PixelAt(Project(p, view, ProjectionMatrix))[0]); };
    EXPECT_NEAR(grey(Vec3{4.8f, 0.01f, 4.2f}), 140, 2);
    EXPECT_EQ(grey(Vec3{4.8f, 0.01f, -4.2f}), 200);   // mirrored front to back
    EXPECT_EQ(grey(Vec3{-4.8f, 0.01f, 4.2f}), 200);   // mirrored left to right
    EXPECT_EQ(grey(Vec3{10.0f, 0.01f, 0.0f}), 200);   // posed with the craft's yaw 90
    EXPECT_EQ(grey(Vec3{-10.0f, 0.01f, -10.0f}), 200);

    ReleaseMeshes(&piece, 1);
    ReleaseRenderTarget(&ShadowTarget);
    ShadowTarget = savedTarget;
}

}  // namespace

// The matrix alone: a point anywhere in the shadow camera's view, taken to
// its clip position on the near plane and carried back by the matrix, lands
// on y = 0.01 on the ray from the shadow eye through the point.
TEST(ShadowMatrix, CarriesClipPositionsOntoTheGroundAlongRaysFromTheEye) {
    const Vec3 eye{30, 80, -40};
    const Matrix lightView = MakeViewMatrix(eye, Vec3{0, 0, 0});
    const Matrix projection = MatPerspectiveFovLH(0.17453292f, 800.0f / 600.0f, 1.0f, 1000.0f);
    const Matrix w = ShadowProjectionMatrix(lightView, projection, eye);
    const Matrix t = MatMultiply(lightView, projection);
    for (const Vec3 p : {Vec3{0, 0, 0}, Vec3{2, 6, 3}, Vec3{-3, 10, 1}, Vec3{1, 20, -2}}) {
        const Vec3 clip = TransformCoord(p, t);
        const float corner[4] = {clip.x, clip.y, 0.0f, 1.0f};
        const Vec3 ground = Through(corner, w);
        const float k = (eye.y - 0.01f) / (eye.y - p.y);
        EXPECT_NEAR(ground.y, 0.01f, 1e-3f);
        EXPECT_NEAR(ground.x, eye.x + k * (p.x - eye.x), 2e-3f);
        EXPECT_NEAR(ground.z, eye.z + k * (p.z - eye.z), 2e-3f);
    }
}

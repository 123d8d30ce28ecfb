// Drawing and collision costs: one sprite, a frame of 200 sprites (the
// busiest 2D screen is far below that), and the collider test on a pair.
// Drawing runs on whatever GL the display offers (Mesa llvmpipe under Xvfb).
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <vector>

#include "core/actor.h"
#include "core/collision.h"
#include "graphics/device.h"
#include "graphics/sprite.h"
#include "platform/render.h"
#include "platform/window.h"

namespace {

bool Device() {
    static int state = 0;
    if (state == 0) {
        setenv("ZORBAT_NO_MSGBOX", "1", 0);
        state = (PlatformInitVideo() && PlatformCreateWindow("bench") && RdCreate()) ? 1 : -1;
    }
    return state > 0;
}

Texture* SpriteTexture() {
    static Texture* tex = nullptr;
    if (tex == nullptr) {
        std::vector<uint8_t> px(64 * 64 * 4);
        for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 7);
        tex = new Texture{RdCreateTexture(64, 64, px.data()), 64, 64};
    }
    return tex;
}

// One blended 64 x 64 sprite, its share of frame begin and present included
// (a frame every 256 sprites).
void SpriteDraw(benchmark::State& state) {
    if (!Device()) {
        state.SkipWithError("no OpenGL display");
        return;
    }
    Texture* tex = SpriteTexture();
    BeginFrame(0, 0, 0);
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    int n = 0;
    for (auto _ : state) {
        float x = static_cast<float>((n * 37) % 736), y = static_cast<float>((n * 53) % 536);
        DrawSprite(tex, x, y, x + 64, y + 64, 0, 0, 64, 64, 64, 64, 1, 1, 1, 0.5f);
        if (++n % 256 == 0) {
            EndFrame();
            BeginFrame(0, 0, 0);
        }
    }
    EndFrame();
}
BENCHMARK(SpriteDraw)->Unit(benchmark::kMicrosecond);

// The fixed cost of one draw call: 1 x 1 sprites whose pixels cost nothing,
// alternating two textures and two colours so the cached state does change.
void SpriteSubmit(benchmark::State& state) {
    if (!Device()) {
        state.SkipWithError("no OpenGL display");
        return;
    }
    Texture* tex = SpriteTexture();
    static Texture* second = nullptr;
    if (second == nullptr) {
        const uint8_t white[4] = {255, 255, 255, 255};
        second = new Texture{RdCreateTexture(1, 1, white), 1, 1};
    }
    BeginFrame(0, 0, 0);
    SetDefaultRenderStates();
    int n = 0;
    for (auto _ : state) {
        float x = static_cast<float>(n % 800);
        DrawSprite((n & 1) ? tex : second, x, 0, x + 1, 1, 0, 0, 1, 1, 64, 64, 1, 1, 1,
                   (n & 2) ? 1.0f : 0.5f);
        if (++n % 1000 == 0) {
            EndFrame();
            BeginFrame(0, 0, 0);
        }
    }
    EndFrame();
}
BENCHMARK(SpriteSubmit)->Unit(benchmark::kMicrosecond);

// Clear and present with nothing drawn: the fixed cost of a frame.
void EmptyFrame(benchmark::State& state) {
    if (!Device()) {
        state.SkipWithError("no OpenGL display");
        return;
    }
    for (auto _ : state) {
        BeginFrame(0, 0, 0);
        EndFrame();
    }
}
BENCHMARK(EmptyFrame)->Unit(benchmark::kMillisecond);

// A whole 2D frame: clear, preset, 200 sprites with colour changes, present.
void Frame200Sprites(benchmark::State& state) {
    if (!Device()) {
        state.SkipWithError("no OpenGL display");
        return;
    }
    Texture* tex = SpriteTexture();
    for (auto _ : state) {
        BeginFrame(0, 0, 64);
        SetDefaultRenderStates();
        SetTextureFiltering(0);
        for (int i = 0; i < 200; ++i) {
            float x = static_cast<float>((i * 37) % 736), y = static_cast<float>((i * 53) % 536);
            DrawSprite(tex, x, y, x + 64, y + 64, 0, 0, 64, 64, 64, 64, 1, (i % 10) / 10.0f, 1,
                       0.75f);
        }
        EndFrame();
    }
}
BENCHMARK(Frame200Sprites)->Unit(benchmark::kMillisecond);

struct Pair {
    Actor a{}, b{};
    Collider ca{}, cb{};
    Pair() {
        a.position = {0, 0, 0};
        a.rotation = {10, 30, 0};
        b.position = {3.5f, 0.5f, 0};
        b.rotation = {0, 80, 5};
        for (auto [actor, c] : {std::pair{&a, &ca}, std::pair{&b, &cb}}) {
            actor->collider = c;
            c->owner = actor;
            c->active = 1;
            CreateBoxSet(&c->shape, 2);
            InitBox(&c->shape.main, 100, actor->position, actor->rotation, {1, 1, 2});
            for (int i = 0; i < 2; ++i) {
                InitBox(&c->shape.parts[i].box, 101, {}, {}, {0.5f, 0.5f, 0.5f});
                c->shape.parts[i].offset = {i ? 1.5f : -1.5f, 0, 0};
            }
            SetSphere(c, actor->position, 3.0f);
        }
    }
    ~Pair() {
        ReleaseBoxSet(&ca.shape);
        ReleaseBoxSet(&cb.shape);
    }
};

// Spheres touching and boxes tested: both sets re-placed from their owners,
// then up to 9 box pairs of 15 axes each.
void CollidersHitPair(benchmark::State& state) {
    Pair p;
    for (auto _ : state) benchmark::DoNotOptimize(CollidersHit(&p.ca, &p.cb, 1));
}
BENCHMARK(CollidersHitPair);

// The common case: spheres apart, so only the re-placement and sphere test run.
void CollidersMissPair(benchmark::State& state) {
    Pair p;
    p.b.position = {50, 0, 0};
    p.cb.sphereCentre = p.b.position;
    for (auto _ : state) benchmark::DoNotOptimize(CollidersHit(&p.ca, &p.cb, 1));
}
BENCHMARK(CollidersMissPair);

}  // namespace

// The stage floors and the building. A floor is drawn unlit at 9 times its
// size from the origin, so its units are 9 world units; its top is the plane
// y = 0 on which the player's shadow falls. Around the flat ground stands a
// ring of hills (mesas, towers) from 58 to 78 floor units (522..702 world
// units out), within the camera's far plane from anywhere inside the stage,
// high enough to close the horizon. Being unlit, the hills take their shading
// from a ramp texture: u is how much a face turns to the stage's light, v the
// height.
//
// The building is lit and drawn at scale 1, once per BUILD object of the map
// files: a 14 x 14 block 8 high with a 9 x 9 tower to 20 on one corner (the
// colliders of the map files are these two boxes).
#include <algorithm>
#include <cmath>

#include "models.h"

namespace mdl {
namespace {
float Hash(int a, int b, unsigned seed) {
    unsigned h = unsigned(a) * 374761393u + unsigned(b) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

// Smooth periodic noise around the ring.
float RingNoise(float t, int period, unsigned seed) {
    int i = int(std::floor(t));
    float f = t - i, s = f * f * (3 - 2 * f);
    return Hash(((i % period) + period) % period, 0, seed) * (1 - s) + Hash((((i + 1) % period) + period) % period, 0, seed) * s;
}

struct FloorStyle {
    const char* name;
    const char* inner;     // ground inside the stage, one repeat per 4 floor units
    const char* outer;     // ground beyond, one repeat per 9 floor units
    const char* ramp;      // hills
    unsigned seed;
    float hMin, hMax;      // hill heights (floor units)
    int kind;              // 0 rolling hills, 1 flat-topped mesas, 2 blocky towers
    V3 light;              // direction the stage's light travels
};

void Ground(Model& m, int mat, float from, float to, float step, float repeat, bool skipInner, float inner) {
    for (float x = from; x < to - 1e-3f; x += step)
        for (float z = from; z < to - 1e-3f; z += step) {
            float x1 = x + step, z1 = z + step;
            if (skipInner && x >= -inner && x1 <= inner && z >= -inner && z1 <= inner) continue;
            std::vector<V3> q = {{x, 0, z}, {x1, 0, z}, {x1, 0, z1}, {x, 0, z1}};
            std::vector<float> uv;
            for (const V3& p : q) uv.push_back(p.x / repeat), uv.push_back(-p.z / repeat);
            m.Polygon(q, mat, {0, 1, 0}, uv);
        }
}

void Hills(Model& m, int mat, const FloorStyle& st) {
    const int around = 96;
    const float radii[6] = {58, 61, 64.5f, 68, 72, 78};
    const float rise[6] = {0, 0.45f, 0.85f, 1.0f, 0.8f, 0.35f};
    auto height = [&](int a, int k) {
        float t = float(a);
        float h = st.hMin + (st.hMax - st.hMin) * (0.65f * RingNoise(t / 6, around / 6, st.seed) +
                                                   0.35f * RingNoise(t / 2, around / 2, st.seed + 7));
        if (st.kind == 1) {
            // Mesas: steep sides to a flat top, with gaps between them.
            float r = k == 0 ? 0 : k == 5 ? 0.5f : 1.0f;
            float gap = RingNoise(t / 4, around / 4, st.seed + 3);
            return gap < 0.3f ? h * 0.25f * r : h * r;
        }
        if (st.kind == 2) {
            // Blocks of towers: one height per block of three columns.
            int block = a / 3;
            float hb = st.hMin + (st.hMax - st.hMin) * Hash(block % (around / 3), 1, st.seed);
            return k == 0 ? 0.0f : hb;
        }
        return h * rise[k];
    };
    V3 toLight = Normalise(st.light * -1.0f);
    for (int a = 0; a < around; ++a)
        for (int k = 0; k < 5; ++k) {
            auto pt = [&](int ai, int ki) {
                float ang = 6.2831853f * (ai % around) / around;
                float r = radii[ki];
                // Towers stand on a square grid of blocks rather than a smooth ring.
                if (st.kind == 2 && ki > 0 && ki < 5) r = radii[ki == 1 ? 1 : 4];
                return V3{r * std::sin(ang), height(ai % around, ki), r * std::cos(ang)};
            };
            V3 p00 = pt(a, k), p01 = pt(a + 1, k), p10 = pt(a, k + 1), p11 = pt(a + 1, k + 1);
            float top = st.hMax;
            for (const auto& tri : {std::vector<V3>{p00, p10, p11}, std::vector<V3>{p00, p11, p01}}) {
                V3 raw = Cross(tri[1] - tri[0], tri[2] - tri[0]);
                if (Dot(raw, raw) < 1e-6f) continue;  // the flat parts of a tower block
                V3 n = Normalise(raw);
                V3 centre = (tri[0] + tri[1] + tri[2]) * (1.0f / 3);
                V3 inward = {-centre.x, 0, -centre.z};
                // The hills face the stage: inward and up.
                V3 facing = Normalise(inward + V3{0, 40, 0});
                if (Dot(n, facing) < 0) n = n * -1.0f;
                float shade = 0.35f + 0.65f * std::max(0.0f, Dot(n, toLight));
                std::vector<float> uv;
                for (const V3& p : tri) uv.push_back(std::clamp(shade, 0.02f, 0.98f)), uv.push_back(1 - std::clamp(p.y / top, 0.02f, 0.98f));
                m.Polygon(tri, mat, facing, uv);
            }
        }
}

Model Floor(const FloorStyle& st) {
    Model m(st.name);
    Material inner{1, 1, 1, 1, st.inner, 0, 0}, outer{1, 1, 1, 1, st.outer, 0, 0}, ramp{1, 1, 1, 1, st.ramp, 0, 0};
    int mi = m.AddMaterial(inner), mo = m.AddMaterial(outer), mr = m.AddMaterial(ramp);
    Ground(m, mi, -24, 24, 8, 4, false, 0);
    Ground(m, mo, -81, 81, 9, 9, true, 24);
    Hills(m, mr, st);
    return m;
}
}  // namespace

Model Floor1() {
    return Floor({"floor_1", "floor1_ground.png", "floor1_field.png", "floor1_hills.png", 11, 7, 12, 0, {-0.35f, -1, 0.5f}});
}
Model Floor2() {
    return Floor({"floor_2", "floor2_ground.png", "floor2_field.png", "floor2_hills.png", 23, 6, 10, 1, {0.6f, -0.7f, 0.45f}});
}
Model Floor3() {
    return Floor({"floor_3", "floor3_ground.png", "floor3_field.png", "floor3_hills.png", 37, 6, 15, 2, {0.3f, -1, 0.35f}});
}

Model Building() {
    Model m("buildings");
    int wall = m.AddMaterial({1, 1, 1, 1, "building_wall.png", 10, 0.1f});
    int roof = m.AddMaterial({1, 1, 1, 1, "building_roof.png", 10, 0.1f});
    int metal = m.AddMaterial({0.62f, 0.64f, 0.7f, 1, "", 20, 0.3f});
    int red = m.AddMaterial({0.95f, 0.25f, 0.2f, 1, "", 20, 0.3f});
    // Walls in texture repeats of 8 units (two storeys of two windows), roofs
    // once per 14.
    auto block = [&](V3 c, V3 h) {
        m.Box(c, h, wall, {}, 8, 1 | 2 | 16 | 32);
        std::vector<V3> top = {{c.x - h.x, c.y + h.y, c.z - h.z}, {c.x + h.x, c.y + h.y, c.z - h.z},
                               {c.x + h.x, c.y + h.y, c.z + h.z}, {c.x - h.x, c.y + h.y, c.z + h.z}};
        std::vector<float> uv;
        for (const V3& p : top) uv.push_back((p.x + 7) / 14), uv.push_back((p.z + 7) / 14);
        m.Polygon(top, roof, {0, 1, 0}, uv);
    };
    block({0, 4, 0}, {7, 4, 7});
    block({-2, 14, -2}, {4.5f, 6, 4.5f});
    // Rooftop: air units on the low roof, a mast with a warning light on the tower.
    m.Box({4.2f, 8.6f, 3.6f}, {1.3f, 0.6f, 1.0f}, metal);
    m.Box({4.6f, 8.4f, -4.0f}, {0.9f, 0.4f, 1.6f}, metal);
    m.Box({-3.5f, 20.9f, -3.2f}, {0.8f, 0.9f, 0.8f}, metal);
    m.Box({-1.0f, 22.2f, -1.0f}, {0.12f, 2.2f, 0.12f}, metal);
    m.Box({-1.0f, 24.5f, -1.0f}, {0.22f, 0.22f, 0.22f}, red);
    return m;
}

}  // namespace mdl

// Shots and effect pieces, sized to the shot kinds' colliders (box half
// extents in the comments). The player's beam and the charger's ray are drawn
// from their textures alone; the others from their lit colour with an
// emissive factor of 0.5 (torpedo: texture x colour, 0.65).
#include <cmath>

#include "models.h"

namespace mdl {
namespace {
Material Mat(float r, float g, float b, const char* tex = "") { return {r, g, b, 1.0f, tex, 30, 0.5f}; }
}  // namespace

// Player's beam: a cyan bolt 2.8 long, 0.4 thick (box 0.2, 0.2, 1.4).
Model Beam() {
    Model m("beam");
    int mat = m.AddMaterial(Mat(0.6f, 1.0f, 1.0f, "shot_beam.png"));
    m.Loft(CircleProfile(8), {{-1.4f, 0, 0}, {-1.0f, 0.13f, 0.13f}, {0.9f, 0.2f, 0.2f}, {1.4f, 0, 0}}, mat);
    return m;
}

// Star shot: a faceted five-pointed star 1.5 across, 0.5 deep, facing
// forward (box 0.8, 0.6, 0.25); also the spinning stars of its impact.
Model Star() {
    Model m("star");
    int mat = m.AddMaterial(Mat(1.0f, 0.88f, 0.25f));
    std::vector<V3> rim;
    for (int k = 0; k < 10; ++k) {
        float a = 6.2831853f * k / 10;
        float r = k % 2 == 0 ? 0.78f : 0.33f;
        rim.push_back({r * std::sin(a), r * std::cos(a) - 0.06f, 0});
    }
    V3 front{0, -0.06f, 0.25f}, back{0, -0.06f, -0.25f};
    for (int k = 0; k < 10; ++k) {
        V3 a = rim[size_t(k)], b = rim[size_t((k + 1) % 10)];
        V3 mid = (a + b) * 0.5f;
        m.Polygon({a, b, front}, mat, V3{mid.x, mid.y + 0.06f, 0.5f});
        m.Polygon({a, b, back}, mat, V3{mid.x, mid.y + 0.06f, -0.5f});
    }
    return m;
}

// Gunship bullet: an orange pellet 0.8 wide, 0.4 high, 1.2 long (box 0.4, 0.2, 0.6).
Model Bullet() {
    Model m("b_bullet");
    int mat = m.AddMaterial(Mat(1.0f, 0.5f, 0.16f));
    m.Loft(CircleProfile(8), {{-0.6f, 0, 0}, {-0.25f, 0.38f, 0.19f}, {0.2f, 0.4f, 0.2f}, {0.6f, 0, 0}}, mat);
    return m;
}

// Charger's ray: a magenta beam 14 long (box 0.2, 0.2, 7).
Model Ray() {
    Model m("lay");
    int mat = m.AddMaterial(Mat(1.0f, 0.5f, 0.9f, "shot_lay.png"));
    m.Loft(CircleProfile(8), {{-7, 0.02f, 0.02f}, {-6, 0.2f, 0.2f}, {6, 0.26f, 0.26f}, {7, 0.02f, 0.02f}}, mat);
    return m;
}

// Tank and aircraft shell: a brass round 2 long (box 0.3, 0.3, 1).
Model Shell() {
    Model m("t_b");
    int brass = m.AddMaterial(Mat(1.0f, 0.8f, 0.32f));
    int tip = m.AddMaterial(Mat(1.0f, 0.42f, 0.18f));
    m.Loft(CircleProfile(10), {{-1, 0.22f, 0.22f}, {0.3f, 0.26f, 0.26f}}, brass);
    m.Loft(CircleProfile(10), {{0.3f, 0.26f, 0.26f}, {0.7f, 0.2f, 0.2f}, {1.0f, 0, 0}}, tip);
    return m;
}

// Homing torpedo: 4.4 long, 0.8 thick with a cross of fins (box 0.4, 0.4, 2.2).
Model Torpedo() {
    Model m("torpedo");
    int body = m.AddMaterial(Mat(0.62f, 0.66f, 0.72f));
    int nose = m.AddMaterial(Mat(1.0f, 0.3f, 0.24f));
    int fin = m.AddMaterial(Mat(0.36f, 0.38f, 0.44f));
    int glow = m.AddMaterial(Mat(0.5f, 0.9f, 1.0f));
    m.Loft(CircleProfile(12), {{-2.2f, 0.26f, 0.26f}, {-1.8f, 0.38f, 0.38f}, {1.4f, 0.4f, 0.4f}}, body, {}, true, glow);
    m.Loft(CircleProfile(12), {{1.4f, 0.4f, 0.4f}, {1.9f, 0.3f, 0.3f}, {2.2f, 0, 0}}, nose);
    for (int k = 0; k < 4; ++k)
        m.Prism({{0.2f, 0, -1.3f}, {0.65f, 0, -1.9f}, {0.65f, 0, -2.2f}, {0.2f, 0, -2.1f}}, -0.03f, 0.03f, fin,
                Xf{{0, 0, 0}, 0, 0, 45.0f + 90.0f * k});
    return m;
}

// Impact fragment of the gunship's bullets: a small triangular chip, drawn at
// half size.
Model Fragment() {
    Model m("tri");
    int mat = m.AddMaterial(Mat(1.0f, 0.45f, 0.2f));
    std::vector<V3> tri;
    for (int k = 0; k < 3; ++k) {
        float a = 6.2831853f * k / 3;
        tri.push_back({0.8f * std::sin(a), 0, 0.8f * std::cos(a)});
    }
    m.Prism(tri, -0.08f, 0.08f, mat, Xf{{0, 0, 0}, -90});
    return m;
}

}  // namespace mdl

// The player's saucer and the enemy craft. Sizes follow the colliders of the
// stage files (actor c*.pxd): each model's extent is listed with it. All face
// +z; the follow camera sees them from about 80 units behind, where 19 units
// fill the screen's width.
//
// Lit faces turned from the light show only diffuse x the draw's emissive
// factor (0.2 for the saucer, the gunship and the aircraft), so the colours
// are light and the shapes are domed or bevelled upward, where the stages'
// high lights fall.
#include <cmath>

#include "models.h"

namespace mdl {
namespace {
Material Mat(float r, float g, float b, float power = 16, float specular = 0.2f) { return {r, g, b, 1.0f, "", power, specular}; }

std::vector<std::pair<float, float>> SphereProfile(float radius, int steps, float y0 = 0) {
    std::vector<std::pair<float, float>> p;
    for (int i = 0; i <= steps; ++i) {
        float t = 3.14159265f * i / steps;
        p.push_back({radius * std::sin(t), y0 - radius * std::cos(t)});
    }
    return p;
}
}  // namespace

// Zorbat U.F.O.: a flying saucer 3 across (x, z -1.53..1.53, y -0.42..0.9),
// twin thrusters at the back so the heading shows from the follow camera.
Model Zorbat() {
    Model m("zorbat");
    int hull = m.AddMaterial(Mat(0.82f, 0.84f, 0.95f, 24, 0.4f));
    int under = m.AddMaterial(Mat(0.55f, 0.58f, 0.72f));
    int band = m.AddMaterial(Mat(0.35f, 0.55f, 1.0f));
    int lamp = m.AddMaterial(Mat(1.0f, 0.86f, 0.3f));
    int dark = m.AddMaterial(Mat(0.32f, 0.33f, 0.42f));
    int flame = m.AddMaterial(Mat(1.0f, 0.55f, 0.2f));
    int dome = m.AddMaterial(Mat(0.5f, 0.92f, 1.0f, 40, 0.6f));
    m.Lathe({{0, -0.42f}, {0.55f, -0.42f}, {1.05f, -0.3f}, {1.44f, -0.07f}, {1.5f, 0}}, 32, under);
    m.Lathe({{1.5f, 0}, {1.44f, 0.08f}, {1.12f, 0.22f}, {0.72f, 0.32f}}, 32, hull);
    m.Lathe({{1.49f, -0.045f}, {1.53f, -0.015f}, {1.53f, 0.015f}, {1.49f, 0.045f}}, 32, band);
    m.Lathe({{0.72f, 0.3f}, {0.7f, 0.5f}, {0.57f, 0.7f}, {0.32f, 0.85f}, {0, 0.9f}}, 24, dome);
    for (int k = 0; k < 10; ++k) {
        float a = 6.2831853f * (k + 0.5f) / 10;
        m.Box({0, 0, 0}, {0.09f, 0.06f, 0.09f}, lamp, Xf{{1.47f * std::sin(a), 0.1f, 1.47f * std::cos(a)}, 0, a * 57.29578f});
    }
    for (float x : {-0.45f, 0.45f}) {
        m.Loft(CircleProfile(12), {{-1.5f, 0.17f, 0.17f, x, -0.14f}, {-0.95f, 0.2f, 0.2f, x, -0.14f}}, dark, {}, true, flame);
        m.Box({x, -0.02f, -1.05f}, {0.05f, 0.12f, 0.25f}, dark);
    }
    return m;
}

// Robot mouse (the stationary target): body 2.3 wide, 3.4 long with ears up
// to y 1.45 and a curled tail reaching back to z -3.25.
Model Mouse() {
    Model m("mouse");
    int fur = m.AddMaterial(Mat(0.8f, 0.8f, 0.87f));
    int pink = m.AddMaterial(Mat(1.0f, 0.55f, 0.7f));
    int eye = m.AddMaterial(Mat(0.95f, 0.12f, 0.12f, 40, 0.8f));
    int dark = m.AddMaterial(Mat(0.3f, 0.3f, 0.36f));
    int glow = m.AddMaterial(Mat(0.45f, 0.85f, 1.0f));
    m.Loft(CircleProfile(16), {{-1.6f, 0, 0}, {-1.45f, 0.55f, 0.5f}, {-1.1f, 0.95f, 0.85f}, {-0.4f, 1.15f, 1.0f},
                               {0.3f, 1.05f, 0.95f}, {0.9f, 0.78f, 0.72f, 0, -0.05f}, {1.45f, 0.38f, 0.35f, 0, -0.15f},
                               {1.7f, 0.08f, 0.08f, 0, -0.18f}},
           fur);
    m.Lathe(SphereProfile(0.17f, 6), 10, pink, Xf{{0, -0.18f, 1.74f}});
    for (float s : {-1.0f, 1.0f}) {
        m.Loft(CircleProfile(16), {{0, 0.58f, 0.58f}, {0.12f, 0.58f, 0.58f}}, fur, Xf{{s * 0.6f, 0.92f, 0.35f}, 0, 0, -s * 18});
        m.Loft(CircleProfile(16), {{0.12f, 0.4f, 0.4f}, {0.16f, 0.4f, 0.4f}}, pink,
               Xf{{s * 0.6f, 0.92f, 0.35f}, 0, 0, -s * 18});
        m.Lathe(SphereProfile(0.15f, 6), 10, eye, Xf{{s * 0.36f, 0.28f, 1.12f}});
    }
    m.Loft(CircleProfile(8), {{-1.5f, 0.1f, 0.1f, 0, -0.25f}, {-2.1f, 0.09f, 0.09f, 0, -0.05f},
                              {-2.6f, 0.08f, 0.08f, 0, 0.35f}, {-3.0f, 0.07f, 0.07f, 0, 0.85f},
                              {-3.2f, 0.05f, 0.05f, 0, 1.35f}, {-3.25f, 0, 0, 0, 1.55f}},
           pink);
    // A hover ring under the body.
    m.Lathe({{0.0f, -1.2f}, {0.85f, -1.2f}, {1.05f, -1.08f}, {0.9f, -0.95f}, {0.0f, -0.95f}}, 20, dark);
    m.Lathe({{1.06f, -1.1f}, {1.08f, -1.07f}, {1.06f, -1.04f}}, 20, glow);
    return m;
}

// Gunship: a flying battleship 9.6 long (z -4.8..4.8), 4.8 across its fins,
// y -1.6..2.35; the gun on the bridge roof fires from 2.5 above its centre and
// the torpedo bay under the keel drops torpedoes from 3.1 below.
Model Battleship() {
    Model m("bship");
    int hull = m.AddMaterial(Mat(0.55f, 0.6f, 0.72f, 20, 0.3f));
    int deck = m.AddMaterial(Mat(0.72f, 0.75f, 0.82f));
    int red = m.AddMaterial(Mat(0.9f, 0.25f, 0.22f));
    int window = m.AddMaterial(Mat(1.0f, 0.88f, 0.45f));
    int gun = m.AddMaterial(Mat(0.36f, 0.38f, 0.44f));
    int engine = m.AddMaterial(Mat(0.45f, 0.85f, 1.0f));
    const std::vector<V3> hullProfile = PolyProfile({{-0.7f, -1}, {0.7f, -1}, {1, -0.3f}, {0.85f, 0.55f}, {-0.85f, 0.55f}, {-1, -0.3f}});
    m.Loft(hullProfile, {{-4.3f, 1.1f, 0.8f}, {-3.5f, 1.5f, 1.0f}, {1.5f, 1.6f, 1.0f}, {3.2f, 1.2f, 0.85f, 0, -0.05f},
                         {4.4f, 0.45f, 0.55f, 0, -0.1f}, {4.8f, 0.1f, 0.3f, 0, -0.1f}},
           hull, {}, false);
    for (float s : {-1.0f, 1.0f}) {
        m.Box({s * 1.56f, -0.22f, 0.2f}, {0.05f, 0.12f, 3.1f}, red);
        // Stabiliser fins with red tips.
        m.Prism({{s * 1.0f, 0, -3.6f}, {s * 2.4f, 0, -3.2f}, {s * 2.4f, 0, -2.4f}, {s * 1.0f, 0, -1.2f}}, -0.36f, -0.2f, hull);
        m.Box({s * 2.3f, -0.28f, -2.8f}, {0.1f, 0.1f, 0.42f}, red);
        m.Loft(CircleProfile(12), {{-4.8f, 0.42f, 0.42f, s * 0.9f, -0.3f}, {-3.5f, 0.45f, 0.45f, s * 0.9f, -0.3f}}, gun,
               {}, true, engine);
    }
    // Bridge tower and its windows.
    m.Box({0, 1.0f, -1.2f}, {0.7f, 0.45f, 1.1f}, deck);
    m.Box({0, 1.7f, -1.0f}, {0.55f, 0.25f, 0.7f}, deck);
    m.Box({0, 1.74f, -0.29f}, {0.45f, 0.08f, 0.02f}, window);
    // Gun turret on the bridge roof, and a forward turret on the bow.
    m.Lathe({{0, 1.95f}, {0.42f, 1.95f}, {0.4f, 2.2f}, {0, 2.25f}}, 12, gun);
    for (float x : {-0.12f, 0.12f}) m.Box({x, 2.1f, 0.1f}, {0.05f, 0.05f, 0.55f}, gun);
    m.Lathe({{0, 0.55f}, {0.48f, 0.55f}, {0.46f, 0.82f}, {0, 0.86f}}, 12, gun, Xf{{0, 0, 2.2f}});
    for (float x : {-0.14f, 0.14f}) m.Box({x, 0.72f, 2.9f}, {0.06f, 0.06f, 0.7f}, gun);
    // Antenna and the torpedo bay under the keel.
    m.Box({0, 2.05f, -1.5f}, {0.03f, 0.3f, 0.03f}, gun);
    m.Box({0, -1.25f, 0.5f}, {0.42f, 0.3f, 1.6f}, gun);
    m.Box({0, -1.45f, 2.05f}, {0.3f, 0.15f, 0.05f}, red);
    return m;
}

// Charger: a glowing orb 3.2 across with six spikes (to 2.8 from its centre)
// and two forward prongs reaching z 6.5, between whose tips its beam gathers
// (the charge glow is drawn 8.8 ahead).
Model Charger() {
    Model m("sito");
    int body = m.AddMaterial(Mat(0.66f, 0.28f, 0.9f, 30, 0.5f));
    int spike = m.AddMaterial(Mat(0.92f, 0.82f, 1.0f));
    int lens = m.AddMaterial(Mat(1.0f, 0.55f, 0.88f, 60, 0.9f));
    int metal = m.AddMaterial(Mat(0.42f, 0.4f, 0.52f));
    m.Lathe(SphereProfile(1.6f, 12), 20, body, Xf{{0, 0, 0}, 90});
    m.Lathe({{0, 1.3f}, {0.95f, 1.3f}, {0.9f, 1.55f}, {0.65f, 1.75f}, {0, 1.85f}}, 20, lens, Xf{{0, 0, 0}, 90});
    m.Lathe({{0.9f, 1.05f}, {1.15f, 1.2f}, {1.1f, 1.45f}, {0.92f, 1.5f}}, 20, metal, Xf{{0, 0, 0}, 90});
    for (int k = 0; k < 6; ++k) {
        Xf xf{{0, 0, -0.3f}, 0, 0, 30.0f + 60.0f * k};
        m.Lathe({{0.38f, 1.35f}, {0.2f, 2.2f}, {0, 2.8f}}, 8, spike, xf, false);
    }
    for (float s : {-1.0f, 1.0f}) {
        m.Loft(PolyProfile({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}),
               {{0.9f, 0.26f, 0.26f, s * 0.95f}, {4.0f, 0.18f, 0.2f, s * 0.85f}, {6.5f, 0.05f, 0.08f, s * 0.6f}}, metal, {},
               false);
        m.Lathe(SphereProfile(0.16f, 6), 8, lens, Xf{{s * 0.6f, 0, 6.45f}});
    }
    return m;
}

// Tank hull: 3.4 wide, 4.7 long, tracks resting on y -0.63 (the tank's
// collider is 0.62 deep below its centre), deck at y 0.33.
Model TankHull() {
    Model m("tank");
    int paint = m.AddMaterial(Mat(0.6f, 0.66f, 0.36f));
    int track = m.AddMaterial(Mat(0.26f, 0.26f, 0.3f));
    int wheel = m.AddMaterial(Mat(0.42f, 0.43f, 0.46f));
    int mark = m.AddMaterial(Mat(1.0f, 0.86f, 0.3f));
    const std::vector<V3> rect = PolyProfile({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
    for (float s : {-1.0f, 1.0f}) {
        float x = s * 1.25f;
        m.Loft(rect, {{-2.3f, 0.32f, 0.22f, x, -0.38f}, {-2.05f, 0.35f, 0.33f, x, -0.3f}, {2.0f, 0.35f, 0.33f, x, -0.3f},
                      {2.35f, 0.32f, 0.2f, x, -0.36f}},
               track, {}, false);
        for (int k = 0; k < 5; ++k)
            m.Lathe({{0.26f, -0.04f}, {0.26f, 0.04f}}, 10, wheel, Xf{{s * 1.61f, -0.33f, -1.6f + 0.8f * k}, 0, 0, 90});
        m.Box({x, 0.07f, 0}, {0.42f, 0.04f, 2.25f}, paint);
    }
    m.Loft(PolyProfile({{-1, -1}, {1, -1}, {1.1f, 0.5f}, {0.8f, 1}, {-0.8f, 1}, {-1.1f, 0.5f}}),
           {{-2.2f, 0.9f, 0.32f, 0, -0.06f}, {1.6f, 0.95f, 0.35f, 0, -0.05f}, {2.4f, 0.95f, 0.16f, 0, -0.18f}}, paint, {},
           false);
    m.Box({0, 0.32f, -1.5f}, {0.6f, 0.03f, 0.5f}, track);
    m.Box({-0.7f, 0.31f, 1.75f}, {0.12f, 0.03f, 0.3f}, mark);
    return m;
}

// Tank turret: pivots about the hull's origin (it is drawn at the hull's
// position with its own angles), y 0.3..1.2, barrel out to z 3.3, raised a
// little toward where its shells appear (1.3 above the hull, 6 ahead).
Model TankTurret() {
    Model m("cannon");
    int paint = m.AddMaterial(Mat(0.66f, 0.72f, 0.4f));
    int steel = m.AddMaterial(Mat(0.38f, 0.4f, 0.42f));
    int mark = m.AddMaterial(Mat(1.0f, 0.86f, 0.3f));
    m.Loft(PolyProfile({{-1, -1}, {1, -1}, {1.05f, 0.3f}, {0.75f, 1}, {-0.75f, 1}, {-1.05f, 0.3f}}),
           {{-1.15f, 0.8f, 0.3f, 0, 0.68f}, {-0.6f, 1.0f, 0.34f, 0, 0.7f}, {0.55f, 0.95f, 0.34f, 0, 0.7f},
            {1.0f, 0.55f, 0.24f, 0, 0.68f}},
           paint, {}, false);
    Xf barrel{{0, 0.86f, 0.9f}, -4};
    m.Loft(CircleProfile(10), {{0, 0.13f, 0.13f}, {2.1f, 0.11f, 0.11f}, {2.15f, 0.15f, 0.15f}, {2.45f, 0.15f, 0.15f}}, steel,
           barrel);
    m.Lathe({{0.25f, 1.04f}, {0.22f, 1.14f}, {0, 1.16f}}, 10, steel, Xf{{0.3f, 0, -0.4f}});
    m.Box({-0.55f, 1.05f, -0.8f}, {0.02f, 0.35f, 0.02f}, steel);
    m.Box({0.5f, 0.75f, -0.2f}, {0.02f, 0.1f, 0.3f}, mark);
    return m;
}

// Chasing aircraft: a delta-wing fighter, span 4.4 (its twin guns fire from
// 1 either side of its centre), z -2.45..2.5, y -0.45..1.15.
Model Aircraft() {
    Model m("air");
    int red = m.AddMaterial(Mat(0.95f, 0.32f, 0.26f, 24, 0.4f));
    int white = m.AddMaterial(Mat(0.92f, 0.92f, 0.95f));
    int glass = m.AddMaterial(Mat(0.25f, 0.42f, 0.75f, 60, 0.9f));
    int dark = m.AddMaterial(Mat(0.34f, 0.34f, 0.4f));
    int flame = m.AddMaterial(Mat(1.0f, 0.6f, 0.22f));
    m.Loft(CircleProfile(10), {{-2.2f, 0.36f, 0.3f}, {-1.6f, 0.46f, 0.4f}, {0.5f, 0.5f, 0.45f}, {1.5f, 0.38f, 0.35f, 0, -0.02f},
                               {2.3f, 0.12f, 0.1f, 0, -0.05f}, {2.5f, 0, 0, 0, -0.05f}},
           red);
    m.Loft(CircleProfile(10), {{0.1f, 0, 0, 0, 0.3f}, {0.45f, 0.22f, 0.22f, 0, 0.34f}, {1.05f, 0.2f, 0.2f, 0, 0.34f},
                               {1.5f, 0, 0, 0, 0.28f}},
           glass);
    for (float s : {-1.0f, 1.0f}) {
        m.Prism({{s * 0.35f, 0, 0.7f}, {s * 2.2f, 0, -1.0f}, {s * 2.2f, 0, -1.55f}, {s * 0.35f, 0, -1.7f}}, -0.12f, -0.02f, white);
        m.Box({s * 2.12f, -0.07f, -1.28f}, {0.1f, 0.07f, 0.3f}, red);
        m.Prism({{s * 0.3f, 0, -1.3f}, {s * 1.2f, 0, -2.1f}, {s * 1.2f, 0, -2.35f}, {s * 0.3f, 0, -2.3f}}, -0.02f, 0.06f, white);
        // Twin tails, canted outward.
        m.Prism({{0, 0, -1.2f}, {0.95f, 0, -2.0f}, {0.95f, 0, -2.35f}, {0, 0, -2.3f}}, -0.04f, 0.04f, red,
                Xf{{s * 0.32f, 0.2f, 0}, 0, 0, 90 + s * 14});
        m.Loft(CircleProfile(10), {{-2.45f, 0.16f, 0.16f, s * 0.2f, -0.05f}, {-2.0f, 0.18f, 0.18f, s * 0.2f, -0.05f}}, dark, {},
               true, flame);
    }
    return m;
}

}  // namespace mdl

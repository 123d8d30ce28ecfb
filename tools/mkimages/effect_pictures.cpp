// Impact textures and the charger's glow. They are drawn on world quads with
// their own alpha, faded further by the effect's age.
#include <algorithm>
#include <cmath>

#include "pictures.h"

namespace img {
namespace {
float Smooth(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// World quads show their whole texture: coverage must die out before the
// border, or the square's edge shows.
void FadeBorder(Image& img) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            int d = std::min(std::min(x, img.w - 1 - x), std::min(y, img.h - 1 - y));
            float k = Smooth(0, 3, float(d));
            float* p = img.px(x, y);
            for (int c = 0; c < 4; ++c) p[c] *= k;
        }
}

Picture ChargeGlow() {
    // 64 x 64, faded in as the charger's beam builds up: a hot white core in a
    // magenta halo, clear at the edge.
    Picture p{"light.png", Dest::Archive, Image(64, 64), Col(255, 90, 220, 0)};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float dx = (x + 0.5f - 32) / 32, dy = (y + 0.5f - 32) / 32;
            float r = std::sqrt(dx * dx + dy * dy);
            float ang = std::atan2(dy, dx);
            float rays = 0.5f + 0.5f * std::cos(ang * 6);
            float a = std::pow(std::max(0.0f, 1 - r), 1.6f) + 0.25f * rays * std::max(0.0f, 1 - r * 1.1f);
            a = std::clamp(a, 0.0f, 1.0f);
            Rgba c = Mix(Col(255, 255, 255), Col(255, 80, 214), Smooth(0.05f, 0.7f, r));
            p.img.Over(x, y, c, a);
        }
    return p;
}

Picture Spark() {
    // 16 x 64 streak of the player's beam hitting something: the outer tip
    // (top, v = 0) is the bright head, the tail fades toward the impact.
    Picture p{"dreg_1.png", Dest::Archive, Image(16, 64), Col(120, 240, 255, 0)};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 16; ++x) {
            float v = (y + 0.5f) / 64, u = (x + 0.5f - 8) / 8;
            float width = 0.25f + 0.55f * (1 - v);
            float across = std::exp(-(u * u) / (width * width * 0.5f));
            float along = Smooth(0.0f, 0.12f, v) * (1 - Smooth(0.55f, 1.0f, v));
            float a = std::clamp(across * along * 1.3f, 0.0f, 1.0f);
            Rgba c = Mix(Col(255, 255, 255), Col(90, 220, 255), std::clamp(std::fabs(u) * 1.5f + v * 0.6f, 0.0f, 1.0f));
            p.img.Over(x, y, c, a);
        }
    return p;
}

Picture Fireball(const char* name, uint32_t seed, bool shell) {
    // 64 x 64 explosion billboard. The torpedo's is a ragged fireball; the
    // tank shell's a sharper flash with spikes and a smoke ring.
    Picture p{name, Dest::Archive, Image(64, 64), Col(255, 120, 30, 0)};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float dx = (x + 0.5f - 32) / 30, dy = (y + 0.5f - 32) / 30;
            float r = std::sqrt(dx * dx + dy * dy);
            float ang = std::atan2(dy, dx);
            float n = Fbm((ang + 3.1416f) * 1.6f, r * 3.0f, seed, 4, 0);
            float edge = shell ? 0.55f + 0.35f * std::pow(0.5f + 0.5f * std::cos(ang * 8 + n * 3), 3.0f)
                               : 0.72f + 0.28f * (n - 0.5f) * 2;
            float body = 1 - Smooth(edge * 0.75f, edge, r);
            float heat = std::clamp(1.2f - r / edge - (n - 0.5f) * 0.6f, 0.0f, 1.0f);
            Rgba c = heat > 0.65f ? Mix(Col(255, 200, 80), Col(255, 255, 230), (heat - 0.65f) / 0.35f)
                     : heat > 0.3f ? Mix(Col(240, 90, 20), Col(255, 200, 80), (heat - 0.3f) / 0.35f)
                                   : Mix(Col(90, 30, 20), Col(240, 90, 20), heat / 0.3f);
            float a = body * (0.65f + 0.35f * heat);
            if (shell) {
                float ring = std::exp(-std::pow((r - 0.78f) / 0.12f, 2.0f)) * (0.35f + 0.4f * n);
                p.img.Over(x, y, Col(110, 104, 100), ring);
            }
            p.img.Over(x, y, c, std::clamp(a, 0.0f, 1.0f));
        }
    return p;
}
}  // namespace

void AddEffectPictures(std::vector<Picture>& out) {
    out.push_back(ChargeGlow());
    out.push_back(Spark());
    out.push_back(Fireball("burn.png", 401, false));
    out.push_back(Fireball("cannon_dreg.png", 977, true));
    for (size_t i = out.size() - 4; i < out.size(); ++i) FadeBorder(out[i].img);
}
}  // namespace img

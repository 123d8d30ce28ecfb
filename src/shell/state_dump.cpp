#include "shell/state_dump.h"

#include <cmath>
#include <cstdio>

#include "core/scene_id.h"
#include "formats/hiscore.h"
#include "game/pools.h"
#include "game/stage.h"
#include "screens/screen_state.h"
#include "sound/sound.h"

namespace {

// Floats with nine significant digits read back to the same 32-bit value.
// JSON has no infinity or NaN: a value that is not finite is null.
void Num(FILE* f, float v) {
    if (std::isfinite(v))
        std::fprintf(f, "%.9g", static_cast<double>(v));
    else
        std::fputs("null", f);
}

void Vec(FILE* f, const Vec3& v) {
    std::fputc('[', f);
    Num(f, v.x);
    std::fputc(',', f);
    Num(f, v.y);
    std::fputc(',', f);
    Num(f, v.z);
    std::fputc(']', f);
}

// A tag or name as a JSON string; stops at the terminator or the field's end.
void Str(FILE* f, const char* s, int max) {
    std::fputc('"', f);
    for (int i = 0; i < max && s[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\')
            std::fprintf(f, "\\%c", c);
        else if (c < 0x20 || c >= 0x7F)
            std::fprintf(f, "\\u%04x", c);
        else
            std::fputc(c, f);
    }
    std::fputc('"', f);
}

}  // namespace

bool WriteStateJson(const char* path, int frame) {
    FILE* f = std::fopen(path, "w");
    if (!f) return false;
    std::fprintf(f, "{\"frame\":%d,\"scene\":%d,\"stageNumber\":%d,\"stageTime\":%d,", frame,
                 SceneId, StageNumber, StageTime);
    std::fprintf(f, "\"endReason\":%d,\"startBanner\":%d,\"runTotal\":%d,\"maxLife\":%d,",
                 EndReason, StartBanner, RunTotal, MaxLife);
    std::fputs("\"fadeAlpha\":", f);
    Num(f, FadeAlpha);
    std::fprintf(f, ",\"currentMusic\":%d,\"musicVolume\":%d,", CurrentMusic,
                 CurrentMusicVolume());

    std::fputs("\"player\":{\"tag\":", f);
    Str(f, Player.name, 8);
    std::fprintf(f, ",\"hitPoints\":%d,\"position\":", Player.hitPoints);
    Vec(f, Player.position);
    std::fputs(",\"rotation\":", f);
    Vec(f, Player.rotation);
    std::fputs(",\"velocity\":", f);
    Vec(f, PlayerVelocity);
    std::fprintf(f, ",\"fireCooldown\":%d},", FireCooldown);

    std::fputs("\"enemies\":[", f);
    const int enemies = EnemyCountInTable();
    for (int i = 0; i < enemies; ++i) {
        const Actor& a = Enemies[i];
        std::fputs(i ? ",{\"tag\":" : "{\"tag\":", f);
        Str(f, a.name, 8);
        std::fprintf(f, ",\"hitPoints\":%d,\"position\":", a.hitPoints);
        Vec(f, a.position);
        std::fputs(",\"rotation\":", f);
        Vec(f, a.rotation);
        std::fputs(",\"state\":[", f);
        for (int k = 0; k < 10; ++k) {
            if (k) std::fputc(',', f);
            Num(f, a.state ? a.state->s[k] : 0.0f);
        }
        std::fputs("]}", f);
    }
    std::fputs("],\"shots\":[", f);
    bool first = true;
    for (int i = 0; i < kShotSlots; ++i) {
        const Actor& s = ShotPool[i];
        if (s.hitPoints <= 0) continue;
        std::fprintf(f, "%s{\"slot\":%d,\"tag\":", first ? "" : ",", i);
        first = false;
        Str(f, s.name, 8);
        std::fprintf(f, ",\"hitPoints\":%d,\"position\":", s.hitPoints);
        Vec(f, s.position);
        std::fputs(",\"rotation\":", f);
        Vec(f, s.rotation);
        std::fputc('}', f);
    }
    std::fputs("],\"effects\":[", f);
    first = true;
    for (int i = 0; i < kEffectSlots; ++i) {
        const Effect& e = EffectPool[i];
        if (e.frames <= 0) continue;
        std::fprintf(f, "%s{\"slot\":%d,\"tag\":", first ? "" : ",", i);
        first = false;
        Str(f, e.tag, 8);
        std::fprintf(f, ",\"frames\":%d,\"position\":", e.frames);
        Vec(f, e.position);
        std::fputc('}', f);
    }
    std::fputs("],\"hiscore\":[", f);
    for (int i = 0; i < kHiscoreEntries; ++i) {
        std::fputs(i ? ",{\"name\":" : "{\"name\":", f);
        Str(f, HiscoreTable[i].name, 4);
        std::fprintf(f, ",\"score\":%d}", HiscoreTable[i].score);
    }
    std::fputs("]}\n", f);
    return std::fclose(f) == 0;
}

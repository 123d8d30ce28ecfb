// zorbat-soak: plays the real game for a long time with random input (menus,
// play, pause, name entry) and checks the game's invariants after every frame.
//   zorbat-soak [--frames N] [--seed S] [--dir DIR]
// With ZORBAT_SOAK_RSS set it also prints the resident size every 500 frames.
#include <malloc.h>
#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/actor.h"
#include "core/scene_id.h"
#include "game/pools.h"
#include "game/stage.h"
#include "memory_watch.h"
#include "platform/system.h"
#include "platform/window.h"
#include "shell/harness.h"

namespace {

struct Soak {
    uint64_t rng = 88172645463325252ull;
    int frames = 0;
    int played = 0;  // frames the game really ran
    int failures = 0;
    int exitsChosen = 0;
    int scenesSeen[kSceneCount] = {};
    MemoryWatch heap;      // bytes the allocator has handed out and not had back
    MemoryWatch resident;  // the process's resident size
    bool held[256] = {};
    int focusOutUntil = 0;
    int pilotUntil = 0;
};

// The input's own generator, apart from the game's, so the game's sequence is its own.
uint32_t Rand(Soak* s) {
    s->rng ^= s->rng << 13;
    s->rng ^= s->rng >> 7;
    s->rng ^= s->rng << 17;
    return static_cast<uint32_t>(s->rng >> 32);
}

bool Chance(Soak* s, uint32_t oneIn) { return Rand(s) % oneIn == 0; }

void Key(int vk, bool down) {
    PlatformEvent e{};
    e.type = down ? EvKeyDown : EvKeyUp;
    e.code = vk;
    PlatformInjectEvent(e);
}

// In play, now and then a pilot takes over: it turns toward the nearest live
// enemy, closes in and fires, so that stages get cleared and the result and
// name entry are reached too.
void Pilot(Soak* s) {
    const Actor* target = nullptr;
    float best = 0.0f;
    for (int i = 0; i < EnemyCount && i < kMaxEnemies; ++i) {
        const Actor& e = Enemies[i];
        if (e.hitPoints <= 0) continue;
        const Vec3 d = e.position - Player.position;
        const float dist = Dot(d, d);
        if (!target || dist < best) {
            target = &e;
            best = dist;
        }
    }
    if (!target) return;
    const Vec3 d = target->position - Player.position;
    const float flat = std::sqrt(d.x * d.x + d.z * d.z);
    const float yaw = std::atan2(d.x, d.z) / kDegToRad;
    const float pitch = -std::atan2(d.y, flat) / kDegToRad;  // positive pitch is nose down
    auto arc = [](float a) {
        while (a > 180.0f) a -= 360.0f;
        while (a < -180.0f) a += 360.0f;
        return a;
    };
    // 18 mouse counts turn the craft by one degree.
    const float turn = arc(yaw - Player.rotation.y) * 18.0f * 0.5f;
    const float tilt = arc(pitch - Player.rotation.x) * 18.0f * 0.5f;
    PlatformEvent m{};
    m.type = EvMouseMotion;
    m.dx = static_cast<int>(std::fmax(-120.0f, std::fmin(120.0f, turn)));
    m.dy = static_cast<int>(std::fmax(-60.0f, std::fmin(60.0f, tilt)));
    PlatformInjectEvent(m);
    const bool far = flat > 35.0f;
    if (far != s->held['W']) {
        Key('W', far);
        s->held['W'] = far;
    }
    // Fire button held while piloting (mostly the beam, now and then the star).
    PlatformEvent b{};
    b.type = EvMouseButton;
    b.code = Rand(s) % 4 == 0 ? 1 : 0;
    b.down = 1;
    PlatformInjectEvent(b);
    PlatformEvent up{};
    up.type = EvMouseButton;
    up.code = 1 - b.code;
    up.down = 0;
    PlatformInjectEvent(up);
}

void Input(int frame, void* ctx) {
    Soak* s = static_cast<Soak*>(ctx);
    // Taps from the frame before are released first.
    static const int kTapKeys[] = {0x0D, 0x20, 0x26, 0x28, 0x25, 0x27, 0x10, 0x11};
    for (int vk = 0; vk < 256; ++vk) {
        if (s->held[vk] && Chance(s, 6)) {
            Key(vk, false);
            s->held[vk] = false;
        }
    }
    // Long spells of piloting, short spells of chaos.
    if (SceneId == ScenePlay) {
        if (s->pilotUntil < frame && Chance(s, 400)) s->pilotUntil = frame + 600 + Rand(s) % 1800;
        if (s->pilotUntil >= frame) {
            for (int vk : {0x10, 0x20, 0x0D, 0x11})  // no diving, climbing or pausing
                if (s->held[vk]) {
                    Key(vk, false);
                    s->held[vk] = false;
                }
            Pilot(s);
            return;
        }
    }
    if (Chance(s, 30)) {
        const int vk = kTapKeys[Rand(s) % (sizeof kTapKeys / sizeof kTapKeys[0])];
        Key(vk, true);
        s->held[vk] = true;
    }
    // Flight keys held for a while, letters for name entry now and then.
    static const int kFlight[] = {'W', 'A', 'S', 'D', 0x20, 0x10, 0x26, 0x28};
    if (Chance(s, 8)) {
        const int vk = kFlight[Rand(s) % 8];
        Key(vk, true);
        s->held[vk] = true;
    }
    if (SceneId == SceneNameEntry && Chance(s, 10)) {
        const int vk = 'A' + static_cast<int>(Rand(s) % 26);
        Key(vk, true);
        s->held[vk] = true;
    }
    PlatformEvent m{};
    m.type = EvMouseMotion;
    m.dx = static_cast<int>(Rand(s) % 61) - 30;
    m.dy = static_cast<int>(Rand(s) % 41) - 20;
    PlatformInjectEvent(m);
    if (Chance(s, 20)) {
        PlatformEvent b{};
        b.type = EvMouseButton;
        b.code = static_cast<int>(Rand(s) % 3);
        b.down = Chance(s, 2);
        PlatformInjectEvent(b);
    }
    if (s->focusOutUntil == 0 && Chance(s, 5000)) {
        PlatformEvent f{};
        f.type = EvFocusOut;
        PlatformInjectEvent(f);
        s->focusOutUntil = frame + 30 + static_cast<int>(Rand(s) % 100);
    } else if (s->focusOutUntil != 0 && frame >= s->focusOutUntil) {
        PlatformEvent f{};
        f.type = EvFocusIn;
        PlatformInjectEvent(f);
        s->focusOutUntil = 0;
    }
}

long ResidentKb() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Heap in use over every arena, the large mapped blocks included. A leak, ours
// or a library's, shows here byte for byte; the resident size also moves by a
// megabyte or more as the allocator keeps or returns free pages between screens
// (its arenas' footprint, seen up and down by 1.5 MB in runs whose heap in use
// comes back to the same kilobyte), so it is held to a looser bound.
long HeapInUseKb() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long>((m.uordblks + m.hblkhd) / 1024);
}

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void Fail(Soak* s, int frame, const char* what) {
    if (s->failures++ < 20) std::fprintf(stderr, "zorbat-soak: frame %d: %s\n", frame, what);
}

void Check(int frame, void* ctx) {
    Soak* s = static_cast<Soak*>(ctx);
    ++s->played;
    // Choosing Exit in the title asks to quit; the soak plays on.
    if (QuitRequested() && frame < s->frames) {
        ++s->exitsChosen;
        ResetQuit();
    }
    if (SceneId < 0 || SceneId >= kSceneCount) {
        Fail(s, frame, "scene out of range");
        return;
    }
    ++s->scenesSeen[SceneId];
    if (EnemyCount < 0 || EnemyCount > kMaxEnemies - 1) Fail(s, frame, "enemy count out of its table");
    if (StageObjectCount < 0 || StageObjectCount > kMaxStageObjects)
        Fail(s, frame, "stage object count out of its table");
    if (!Finite(Player.position) || !Finite(Player.rotation) || !Finite(PlayerVelocity))
        Fail(s, frame, "player has a NaN or infinity");
    const int enemies = EnemyCountInTable();
    for (int i = 0; i < enemies; ++i) {
        const Actor& a = Enemies[i];
        bool ok = Finite(a.position) && Finite(a.rotation);
        if (a.state)
            for (float v : a.state->s) ok = ok && std::isfinite(v);
        if (!ok) Fail(s, frame, "an enemy has a NaN or infinity");
    }
    for (const Actor& shot : ShotPool)
        if (shot.hitPoints > 0 && (!Finite(shot.position) || !Finite(shot.rotation)))
            Fail(s, frame, "a shot has a NaN or infinity");
    for (const Effect& e : EffectPool)
        if (e.frames > 32 || (e.frames > 0 && !Finite(e.position)))
            Fail(s, frame, "an effect is out of range");
    // Memory, sampled every 50 frames.
    if (frame % 50 == 0) {
        bool all = true;
        for (int i = SceneLoading; i < kSceneCount; ++i) all = all && s->scenesSeen[i] > 0;
        WatchSample(&s->heap, frame, HeapInUseKb(), all);
        WatchSample(&s->resident, frame, ResidentKb(), all);
    }
    if (frame % 500 == 0 && std::getenv("ZORBAT_SOAK_RSS"))
        std::fprintf(stderr, "zorbat-soak: frame %d scene %d resident %ld KB heap %ld KB\n", frame,
                     SceneId, ResidentKb(), HeapInUseKb());
    if (frame % 50000 == 0) std::fprintf(stderr, "zorbat-soak: %d frames\n", frame);
}

// The soak plays in a scratch copy of data/ under /tmp: the stage files copied,
// every other folder linked, and no hiscore file. So every run starts from the
// default table and plays the same frames, and the names it types never reach
// the player's own table. Returns the scratch folder, or "" with a message.
std::string MakeScratchData() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path data = fs::absolute("data", ec);
    if (ec || !fs::is_directory(data / "bin", ec)) {
        std::fprintf(stderr, "zorbat-soak: no data/bin here; run it from the build folder or give --dir\n");
        return "";
    }
    char name[] = "/tmp/zorbat-soak-XXXXXX";
    if (!mkdtemp(name)) {
        std::fprintf(stderr, "zorbat-soak: cannot make a scratch folder under /tmp\n");
        return "";
    }
    const fs::path scratch = name;
    fs::create_directories(scratch / "data" / "bin", ec);
    for (const fs::directory_entry& e : fs::directory_iterator(data, ec)) {
        const std::string leaf = e.path().filename().string();
        if (leaf != "bin") fs::create_directory_symlink(e.path(), scratch / "data" / leaf, ec);
        if (ec) break;
    }
    // Only when the links were all made: a new iterator would clear their error.
    if (!ec) {
        for (const fs::directory_entry& e : fs::directory_iterator(data / "bin", ec)) {
            if (e.path().filename() == "hiscore.pxd") continue;
            fs::copy_file(e.path(), scratch / "data" / "bin" / e.path().filename(), ec);
            if (ec) break;
        }
    }
    if (ec) {
        std::fprintf(stderr, "zorbat-soak: cannot fill %s: %s\n", name, ec.message().c_str());
        fs::remove_all(scratch, ec);
        return "";
    }
    return scratch.string();
}

}  // namespace

int main(int argc, char** argv) {
    Soak soak;
    soak.frames = 20000;
    uint32_t seed = 1;
    std::string dir;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--frames") soak.frames = std::atoi(argv[i + 1]);
        else if (a == "--seed") seed = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (a == "--dir") dir = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: zorbat-soak [--frames N] [--seed S] [--dir DIR]\n");
            return 2;
        }
    }
    if (soak.frames < 100) soak.frames = 100;
    soak.heap.frames = soak.frames;
    soak.resident.frames = soak.frames;
    if (!dir.empty() && chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "zorbat-soak: cannot enter %s\n", dir.c_str());
        return 2;
    }
    const std::string scratch = MakeScratchData();
    if (scratch.empty() || chdir(scratch.c_str()) != 0) return 2;
    soak.rng ^= seed * 0x9E3779B97F4A7C15ull;
    HarnessOptions o;
    o.frames = soak.frames;
    o.seed = seed;
    o.inputHook = Input;
    o.frameHook = Check;
    o.hookCtx = &soak;
    const int run = RunHarness(o);
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);  // links are removed, not followed
    if (run != 0) return 1;

    const long heapGrowthKb = WatchGrowthKb(soak.heap);
    const long residentGrowthKb = WatchGrowthKb(soak.resident);
    std::printf("zorbat-soak: %d frames, seed %u, exits chosen %d, after warm-up: heap in use %ld KB, "
                "growth %ld KB; resident %ld KB, growth %ld KB\nframes per scene:",
                soak.played, seed, soak.exitsChosen, soak.heap.levelKb, heapGrowthKb,
                soak.resident.levelKb, residentGrowthKb);
    for (int i = 0; i < kSceneCount; ++i) std::printf(" %d", soak.scenesSeen[i]);
    std::printf("\n");
    // A run told to close (a signal, the window closed) ends early: what it
    // did not play is not a pass.
    if (soak.played < soak.frames) {
        std::fprintf(stderr, "zorbat-soak: the game closed after %d of %d frames\n", soak.played, soak.frames);
        ++soak.failures;
    }
    if (heapGrowthKb >= 1024) Fail(&soak, soak.frames, "heap in use grew by 1 MB or more");
    if (residentGrowthKb >= 4096) Fail(&soak, soak.frames, "resident memory grew by 4 MB or more");
    if (soak.failures) {
        std::printf("zorbat-soak: FAILED (%d problems)\n", soak.failures);
        return 1;
    }
    std::printf("zorbat-soak: passed\n");
    return 0;
}

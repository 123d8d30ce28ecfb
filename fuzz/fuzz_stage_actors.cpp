// The actor-file reader on arbitrary text. The first byte picks the call: a
// whole-file load into the stage's tables (kept from input to input, as stage
// reloads keep them), or one block, possibly far into the file.
// fuzz-sources: src/formats/stage_files.cpp src/formats/stage_text.cpp src/core/regular_file.cpp
// fuzz-sources: src/core/collision.cpp src/core/math3d.cpp
// fuzz-args: -max_len=1024
#include <cstdlib>

#include "formats/stage_files.h"
#include "fuzz_stream.h"

namespace {
Actor g_player;
Actor g_enemies[63];
Collider g_colliders[64];

void CheckCollider(const Collider& c) {
    if (c.shape.partCount < 0 || c.shape.partCount > kMaxColliderParts) std::abort();
    if ((c.shape.partCount == 0) != (c.shape.parts == nullptr)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzStream stream(data, size);
    const int pick = size > 0 ? data[0] : 0;
    if (pick % 2 == 0) {
        // A few slots keep each run short; all 64 are covered by the tests.
        const int slots = 1 + pick / 2 % 4;
        const int count = ReadActorFileFrom(stream.File(), &g_player, g_enemies, g_colliders, slots);
        if (count < 0 || count > slots - 1) std::abort();
        if (!g_player.state || g_player.collider != &g_colliders[0]) std::abort();
        for (int i = 0; i < slots; ++i) CheckCollider(g_colliders[i]);
        for (int i = 0; i < count; ++i)
            if (!g_enemies[i].state || g_enemies[i].name[7] != '\0') std::abort();
        return 0;
    }
    Actor actor{};
    Collider collider{};
    if (ReadActorBlockFrom(stream.File(), pick / 2 % 70, &actor, &collider)) {
        CheckCollider(collider);
        if (!actor.state || collider.owner != &actor || actor.name[7] != '\0') std::abort();
    } else if (collider.shape.parts) {
        std::abort();  // a failed block keeps nothing allocated
    }
    ReleaseActor(&actor, &collider);
    return 0;
}

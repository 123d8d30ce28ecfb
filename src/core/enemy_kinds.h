// The kinds of craft (core/enemy_kinds.def) as the game, its tools and its
// checks read them. The behaviours themselves belong to the game:
// game/enemies.cpp reads the same rows for them.
#pragma once
#include <string_view>

enum class KindLook {
    Mesh,        // its mesh with its emissive factor
    ChargeGlow,  // and the charge glow across its nose while the charge blinks on
    Turret,      // and its part mesh turned by the turret angles
};

struct EnemyKind {
    const char* tag;
    bool moves;  // false: no behaviour, it stays where it is placed and never fires
    const char* mesh;
    int meshSlot;  // EnemyMeshes slot
    float emissive;
    KindLook look;
    const char* partMesh;  // the mesh of the part (KindLook::Turret), or null
    int partSlot;          // its EnemyMeshes slot, or -1
    const char* called;    // what stagecheck calls it
};

namespace enemy_kinds_detail {
constexpr bool Moves(std::string_view behaviour) { return behaviour != "StaysPut"; }
}  // namespace enemy_kinds_detail

#define ENEMY_KIND(tag, behaviour, mesh, slot, emissive, look, part, partSlot, called) \
    {tag, enemy_kinds_detail::Moves(#behaviour), mesh, slot, emissive, look, part, partSlot, called},
inline constexpr EnemyKind kEnemyKinds[] = {
#include "core/enemy_kinds.def"
};
#undef ENEMY_KIND
constexpr int kEnemyKindCount = sizeof kEnemyKinds / sizeof kEnemyKinds[0];

namespace enemy_kinds_detail {

constexpr int MeshCount() {
    int count = 0;
    for (const EnemyKind& k : kEnemyKinds) {
        if (k.meshSlot + 1 > count) count = k.meshSlot + 1;
        if (k.partSlot + 1 > count) count = k.partSlot + 1;
    }
    return count;
}

// Slots 0 .. n - 1 each hold exactly one mesh, and only a turret has a part.
constexpr bool SlotsDense() {
    int uses[MeshCount()] = {};
    for (const EnemyKind& k : kEnemyKinds) {
        ++uses[k.meshSlot];
        if (k.partSlot >= 0) ++uses[k.partSlot];
        if ((k.look == KindLook::Turret) != (k.partMesh != nullptr && k.partSlot >= 0)) return false;
    }
    for (int u : uses) {
        if (u != 1) return false;
    }
    return true;
}

}  // namespace enemy_kinds_detail

// Meshes the kinds load into EnemyMeshes: slots 0 .. kEnemyMeshCount - 1.
constexpr int kEnemyMeshCount = enemy_kinds_detail::MeshCount();
static_assert(enemy_kinds_detail::SlotsDense(), "every EnemyMeshes slot holds one mesh of one kind");
static_assert(!kEnemyKinds[0].moves, "the first row is the player's craft, which no behaviour moves");

// The first row whose tag the name holds, or null.
const EnemyKind* EnemyKindOf(const char* name);
// The first row with a behaviour whose tag the name holds, or null.
const EnemyKind* MovingKindOf(const char* name);
// The row the player's craft is drawn from.
inline constexpr const EnemyKind& kPlayerCraft = kEnemyKinds[0];

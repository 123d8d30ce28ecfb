#include "core/enemy_kinds.h"

#include "core/tag.h"

const EnemyKind* EnemyKindOf(const char* name) {
    for (const EnemyKind& k : kEnemyKinds) {
        if (TagHas(name, k.tag)) return &k;
    }
    return nullptr;
}

const EnemyKind* MovingKindOf(const char* name) {
    for (const EnemyKind& k : kEnemyKinds) {
        if (k.moves && TagHas(name, k.tag)) return &k;
    }
    return nullptr;
}

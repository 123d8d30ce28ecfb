// mkmodels: builds every mesh of the game as a text .x file.
//
//   mkmodels MESH_DIR MAP_DIR
//
// The archive meshes go to MESH_DIR (to be packed), the floors and the
// building to MAP_DIR. Prints each mesh's extent, which the stage files'
// colliders follow. Fails when a mesh the kinds table or the manifest names
// has no builder here.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/enemy_kinds.h"
#include "core/manifest.h"
#include "models.h"

using namespace mdl;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkmodels MESH_DIR MAP_DIR\n");
        return 2;
    }
    struct Entry {
        const char* file;
        bool map;
        Model (*make)();
    } entries[] = {
        {"zorbat.x", false, Zorbat},   {"mouse.x", false, Mouse},      {"bship.x", false, Battleship},
        {"sito.x", false, Charger},    {"tank.x", false, TankHull},    {"cannon.x", false, TankTurret},
        {"air.x", false, Aircraft},    {"beam.x", false, Beam},        {"star.x", false, Star},
        {"b_bullet.x", false, Bullet}, {"lay.x", false, Ray},          {"t_b.x", false, Shell},
        {"torpedo.x", false, Torpedo}, {"tri.x", false, Fragment},     {"floor_1.x", true, Floor1},
        {"floor_2.x", true, Floor2},   {"floor_3.x", true, Floor3},    {"buildings.x", true, Building},
    };
    auto built = [&entries](const char* file) {
        for (const Entry& e : entries) {
            if (!e.map && std::strcmp(e.file, file) == 0) return true;
        }
        return false;
    };
    std::vector<const char*> wanted(kShotMeshFiles, kShotMeshFiles + kShotMeshCount);
    for (const EnemyKind& kind : kEnemyKinds) {
        wanted.push_back(kind.mesh);
        if (kind.partMesh != nullptr) wanted.push_back(kind.partMesh);
    }
    for (const char* file : wanted) {
        if (!built(file)) {
            std::fprintf(stderr, "mkmodels: nothing builds %s, which the game loads\n", file);
            return 1;
        }
    }
    for (const Entry& e : entries) {
        Model m = e.make();
        std::string path = std::string(e.map ? argv[2] : argv[1]) + "/" + e.file;
        if (!m.WriteX(path)) {
            std::fprintf(stderr, "mkmodels: cannot write %s\n", path.c_str());
            return 1;
        }
        V3 lo, hi;
        m.Bounds(&lo, &hi);
        std::printf("mkmodels: %-12s %5zu faces, x %.2f..%.2f, y %.2f..%.2f, z %.2f..%.2f\n", e.file, m.FaceCount(), lo.x,
                    hi.x, lo.y, hi.y, lo.z, hi.z);
    }
    return 0;
}

// The generated meshes, read with the game's own .x loader: every mesh the
// game looks up loads, with the textures it names beside it; faces turn
// outward (the game culls the others); the craft fill the colliders the stage
// files give them and the shots their kinds' colliders; the floors carry the
// stages. Appearance itself is not tested.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <string>

#include "content_test_util.h"
#include "core/actor.h"
#include "core/enemy_kinds.h"
#include "core/manifest.h"
#include "formats/archive.h"
#include "formats/stage_files.h"
#include "formats/xfile.h"

namespace {

// Meshes the stage set-up loads from the archive: those of the kinds table.
std::vector<const char*> CraftMeshes() {
    std::vector<const char*> names;
    for (const EnemyKind& kind : kEnemyKinds) {
        names.push_back(kind.mesh);
        if (kind.partMesh != nullptr) names.push_back(kind.partMesh);
    }
    return names;
}

struct Box3 {
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    void Add(Vec3 p) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    void Add(const Box3& b) { Add(b.lo), Add(b.hi); }
};

bool LoadArchiveMesh(const char* name, XMeshData* mesh, std::string* error) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!ReadArchiveEntry(DataPath("data/xfiles/xfiles.arx").c_str(), name, &data, &size)) {
        *error = "not in xfiles.arx";
        return false;
    }
    bool ok = LoadXMesh(data, size, mesh, error);
    delete[] data;
    return ok;
}

bool LoadMapMesh(const char* name, XMeshData* mesh, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(DataPath(std::string("data/xfiles/maps/") + name), &bytes)) {
        *error = "missing";
        return false;
    }
    return LoadXMesh(bytes.data(), bytes.size(), mesh, error);
}

Box3 Extent(const XMeshData& m) {
    Box3 b;
    for (const MeshVertex& v : m.vertices) b.Add(Vec3{v.x, v.y, v.z});
    return b;
}

Vec3 Pos(const MeshVertex& v) { return {v.x, v.y, v.z}; }

// Every texture a mesh names is a file in its texture directory.
void ExpectTexturesPresent(const XMeshData& m, const std::string& dir, const char* mesh) {
    for (const XMaterial& mat : m.materials) {
        if (mat.textureFile.empty()) continue;
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(ReadWholeFile(DataPath(dir + mat.textureFile), &bytes)) << mesh << " names " << mat.textureFile;
    }
}

TEST(ContentModels, EveryMeshTheGameLooksUpLoadsWithItsTextures) {
    REQUIRE_DATA_FILE("data/xfiles/xfiles.arx");
    std::vector<const char*> names(kShotMeshFiles, kShotMeshFiles + kShotMeshCount);
    const std::vector<const char*> craft = CraftMeshes();
    names.insert(names.end(), craft.begin(), craft.end());
    for (const char* name : names) {
        XMeshData m;
        std::string error;
        ASSERT_TRUE(LoadArchiveMesh(name, &m, &error)) << name << ": " << error;
        EXPECT_TRUE(m.hasNormals) << name << " has no normals: lighting would be flat black";
        EXPECT_FALSE(m.defaultMaterial) << name;
        EXPECT_GT(m.attributes.size(), 0u) << name;
        for (size_t i = 0; i < m.materials.size(); ++i) {
            // Everything is drawn alpha-blended: a material alpha below 1 would show through.
            EXPECT_EQ(m.materials[i].material.diffuse.a, 1.0f) << name << " material " << i;
            EXPECT_GT(m.subsetCount[i], 0u) << name << " material " << i << " has no faces";
        }
        ExpectTexturesPresent(m, "data/xfiles/", name);
    }
    for (const char* name : {"floor_1.x", "floor_2.x", "floor_3.x", "buildings.x"}) {
        XMeshData m;
        std::string error;
        ASSERT_TRUE(LoadMapMesh(name, &m, &error)) << name << ": " << error;
        ExpectTexturesPresent(m, "data/xfiles/maps/", name);
    }
}

TEST(ContentModels, FacesTurnOutwardSoCullingShowsTheOutside) {
    // Front faces turn clockwise seen from outside: with (b - a) x (c - a) as
    // the front, a closed surface encloses a positive signed volume, and the
    // stored normals (which light the faces) agree with the winding.
    std::vector<const char*> names(kShotMeshFiles, kShotMeshFiles + kShotMeshCount);
    const std::vector<const char*> craft = CraftMeshes();
    names.insert(names.end(), craft.begin(), craft.end());
    auto check = [](const XMeshData& m, const char* name) {
        double volume = 0;
        size_t agree = 0, faces = m.indices.size() / 3;
        for (size_t f = 0; f < faces; ++f) {
            const MeshVertex &a = m.vertices[m.indices[3 * f]], &b = m.vertices[m.indices[3 * f + 1]],
                             &c = m.vertices[m.indices[3 * f + 2]];
            Vec3 n = Cross(Pos(b) - Pos(a), Pos(c) - Pos(a));
            volume += Dot(Pos(a), Cross(Pos(b), Pos(c))) / 6.0;
            Vec3 stored = {a.nx + b.nx + c.nx, a.ny + b.ny + c.ny, a.nz + b.nz + c.nz};
            agree += Dot(n, stored) > 0;
        }
        EXPECT_GT(volume, 0.0) << name << " is inside out";
        EXPECT_GE(agree, faces * 98 / 100) << name << ": normals disagree with the winding";
    };
    for (const char* name : names) {
        XMeshData m;
        std::string error;
        ASSERT_TRUE(LoadArchiveMesh(name, &m, &error)) << name << ": " << error;
        check(m, name);
    }
    XMeshData building;
    std::string error;
    ASSERT_TRUE(LoadMapMesh("buildings.x", &building, &error)) << error;
    check(building, "buildings.x");
}

// A mesh extent and a collider extent agree when each side is within 1.5
// units or a third of the size on that axis (thin parts such as a tail or a
// mast stick out; big gaps mean shots pass through or stop in mid-air).
void ExpectSameExtent(const Box3& mesh, const Box3& collider, const std::string& what) {
    const float lo[3] = {mesh.lo.x, mesh.lo.y, mesh.lo.z}, hi[3] = {mesh.hi.x, mesh.hi.y, mesh.hi.z};
    const float clo[3] = {collider.lo.x, collider.lo.y, collider.lo.z}, chi[3] = {collider.hi.x, collider.hi.y, collider.hi.z};
    for (int k = 0; k < 3; ++k) {
        float slack = std::max(1.5f, (chi[k] - clo[k]) / 3);
        EXPECT_NEAR(lo[k], clo[k], slack) << what << ", axis " << "xyz"[k] << " low side";
        EXPECT_NEAR(hi[k], chi[k], slack) << what << ", axis " << "xyz"[k] << " high side";
    }
}

// The boxes of a collider as read, in the owner's own frame.
Box3 ColliderExtent(const Collider& c, Vec3 mainCentre) {
    Box3 b;
    auto add = [&](Vec3 centre, Vec3 h) {
        b.Add(centre - h);
        b.Add(centre + h);
    };
    add(mainCentre, c.shape.main.halfExtent);
    for (int p = 0; p < c.shape.partCount; ++p) add(mainCentre + c.shape.parts[p].offset, c.shape.parts[p].box.halfExtent);
    return b;
}

TEST(ContentModels, CraftFillTheCollidersOfTheStageFiles) {
    REQUIRE_DATA_FILE("data/bin/c3.pxd");
    // Stage 3 has every kind; each kind has the same collider in every stage
    // (ContentStages checks the files agree with each other through this one).
    for (int stage = 1; stage <= 3; ++stage) {
        const std::string path = DataPath("data/bin/c" + std::to_string(stage) + ".pxd");
        for (int k = 0;; ++k) {
            Actor actor{};
            Collider collider{};
            if (!ReadActorBlock(path.c_str(), k, &actor, &collider)) break;
            for (const EnemyKind& kind : kEnemyKinds) {
                if (std::string(actor.name) != kind.tag) continue;
                XMeshData m;
                std::string error;
                ASSERT_TRUE(LoadArchiveMesh(kind.mesh, &m, &error)) << error;
                Box3 extent = Extent(m);
                if (kind.partMesh != nullptr) {  // the tank is drawn as hull and turret
                    XMeshData part;
                    ASSERT_TRUE(LoadArchiveMesh(kind.partMesh, &part, &error)) << error;
                    extent.Add(Extent(part));
                }
                ExpectSameExtent(extent, ColliderExtent(collider, Vec3{0, 0, 0}),
                                 std::string(kind.mesh) + " in stage " + std::to_string(stage));
            }
            ReleaseActor(&actor, &collider);
        }
    }
}

TEST(ContentModels, ShotsFillTheirKindsColliders) {
    // Box half extents of the shot kinds, in the order of the shot meshes.
    const Vec3 kinds[6] = {{0.2f, 0.2f, 1.4f}, {0.8f, 0.6f, 0.25f}, {0.4f, 0.2f, 0.6f},
                           {0.2f, 0.2f, 7.0f}, {0.3f, 0.3f, 1.0f},  {0.4f, 0.4f, 2.2f}};
    for (int i = 0; i < 6; ++i) {
        XMeshData m;
        std::string error;
        ASSERT_TRUE(LoadArchiveMesh(kShotMeshFiles[i], &m, &error)) << error;
        Box3 e = Extent(m);
        const float half[3] = {(e.hi.x - e.lo.x) / 2, (e.hi.y - e.lo.y) / 2, (e.hi.z - e.lo.z) / 2};
        const float want[3] = {kinds[i].x, kinds[i].y, kinds[i].z};
        for (int k = 0; k < 3; ++k) {
            EXPECT_GT(half[k], want[k] * 0.6f) << kShotMeshFiles[i] << " axis " << "xyz"[k];
            EXPECT_LT(half[k], want[k] * 1.4f) << kShotMeshFiles[i] << " axis " << "xyz"[k];
        }
    }
}

TEST(ContentModels, BuildingsFillTheirCollidersAndFloorsCarryTheStages) {
    XMeshData building;
    std::string error;
    ASSERT_TRUE(LoadMapMesh("buildings.x", &building, &error)) << error;
    for (int stage = 1; stage <= 3; ++stage) {
        const std::string map = DataPath("data/bin/m" + std::to_string(stage) + ".pxd");
        // The first building standing unturned: its boxes relative to its
        // position are in the mesh's own frame.
        bool compared = false;
        for (int k = 0; !compared; ++k) {
            StageObject object{};
            Collider collider{};
            ASSERT_TRUE(ReadStageObjectBlock(map.c_str(), k, &object, &collider)) << map << ": no unturned building";
            if (object.rotation.y == 0) {
                Box3 boxes = ColliderExtent(collider, collider.shape.main.centre - object.position);
                ExpectSameExtent(Extent(building), boxes, "buildings.x in stage " + std::to_string(stage));
                compared = true;
            }
            ReleaseStageObject(&object, &collider);
        }

        // The floor is drawn 9 times its size: its flat ground covers the
        // stage's bounds at y = 0, the plane the shadow falls on.
        StageSettings settings{};
        ReadStageSettings(map.c_str(), &settings);
        XMeshData floor;
        ASSERT_TRUE(LoadMapMesh(("floor_" + std::to_string(stage) + ".x").c_str(), &floor, &error)) << error;
        Box3 flat;
        float lowest = 0;
        for (const MeshVertex& v : floor.vertices) {
            lowest = std::min(lowest, v.y);
            if (v.y == 0) flat.Add(Vec3{v.x * 9, 0, v.z * 9});
            if (std::fabs(v.x * 9) <= settings.boundsMax.x && std::fabs(v.z * 9) <= settings.boundsMax.z) {
                EXPECT_EQ(v.y, 0.0f) << "floor " << stage << " is not flat inside the stage";
            }
        }
        EXPECT_EQ(lowest, 0.0f) << "floor " << stage << " dips below the shadow plane";
        EXPECT_LE(flat.lo.x, settings.boundsMin.x);
        EXPECT_LE(flat.lo.z, settings.boundsMin.z);
        EXPECT_GE(flat.hi.x, settings.boundsMax.x);
        EXPECT_GE(flat.hi.z, settings.boundsMax.z);
    }
}

}  // namespace

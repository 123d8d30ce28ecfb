// How the .x reader lays a file out: materials referred to by name, frames
// and their transforms, fanned polygons, vertices split by normal, vertex
// colours, the default material and the concatenation of several meshes.
// Expected values are worked out by hand from the files below.
#include <gtest/gtest.h>

#include <cmath>

#include "xfile_test_util.h"
#include "xfile_writer.h"

namespace {

XMeshData Load(const std::string& body) {
    XMeshData m;
    std::string error;
    EXPECT_TRUE(LoadText("xof 0303txt 0032\n" + body, &m, &error)) << error;
    return m;
}

void ExpectColor(const Color4& c, float r, float g, float b, float a) {
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

void ExpectPosition(const MeshVertex& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
}

void ExpectNormal(const MeshVertex& v, float x, float y, float z) {
    EXPECT_NEAR(v.nx, x, 1e-6f);
    EXPECT_NEAR(v.ny, y, 1e-6f);
    EXPECT_NEAR(v.nz, z, 1e-6f);
}

std::vector<uint32_t> Indices(const XMeshData& m) { return m.indices; }

// Vertices and face of a triangle in the plane z.
std::string TriangleAt(int z) {
    std::string zs = std::to_string(z);
    return "3; 0;0;" + zs + ";, 1;0;" + zs + ";, 0;1;" + zs + ";; 1; 3;0,1,2;;";
}

}  // namespace

// Materials written at the top level and named from the mesh's list must be
// taken in the order the list names them (Assimp takes the list position as
// the file's material number, which swaps these two). Every member of the
// material lands where the game reads it; ambient is never the face colour.
TEST(XFileLayout, MaterialsReferredToByName) {
    XMeshData m = Load(R"(
Material Red { 1;0;0;1;; 10; 0.5;0.5;0.5;; 0;0;0;; }
Material Green { 0;1;0;0.5;; 20; 0.25;0.25;0.25;; 0.1;0.2;0.3;;
  TextureFilename { "green.png"; } }
Mesh Quad {
  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
  2; 3;0,1,2;, 3;0,2,3;;
  MeshMaterialList { 2; 2; 1, 0;; { Green } { Red } }
}
)");
    ASSERT_EQ(m.materials.size(), 2u);
    const Material& g = m.materials[0].material;
    ExpectColor(g.diffuse, 0, 1, 0, 0.5f);
    ExpectColor(g.ambient, 0, 0, 0, 1);
    ExpectColor(g.specular, 0.25f, 0.25f, 0.25f, 1);
    ExpectColor(g.emissive, 0.1f, 0.2f, 0.3f, 1);
    EXPECT_EQ(g.power, 20.0f);
    EXPECT_EQ(m.materials[0].textureFile, "green.png");
    ExpectColor(m.materials[1].material.diffuse, 1, 0, 0, 1);
    EXPECT_EQ(m.materials[1].textureFile, "");
    EXPECT_FALSE(m.defaultMaterial);
    // Face 1 uses material 0 (Green) and so comes first.
    EXPECT_EQ(Indices(m), (std::vector<uint32_t>{0, 2, 3, 0, 1, 2}));
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(m.subsetFirst, (std::vector<uint32_t>{0, 3}));
    EXPECT_EQ(m.subsetCount, (std::vector<uint32_t>{3, 3}));
}

// A material written inside one mesh's list can be named from another mesh;
// each mesh keeps its own copy, so there are two subsets.
TEST(XFileLayout, MaterialsNamedAcrossMeshes) {
    XMeshData m = Load(std::string("Mesh A {") + TriangleAt(0) +
                       "MeshMaterialList { 1; 1; 0;; Material Blue { 0;0;1;1;; 5; 0;0;0;; 0;0;0;; } } }"
                       "Mesh B {" + TriangleAt(1) + "MeshMaterialList { 1; 1; 0;; { Blue } } }");
    ASSERT_EQ(m.materials.size(), 2u);
    ExpectColor(m.materials[1].material.diffuse, 0, 0, 1, 1);
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 1}));
}

// One top-level frame next to a top-level mesh: both meshes are kept, and
// only the framed one is moved (Assimp loses the framed mesh here).
TEST(XFileLayout, TopLevelFrameAndTopLevelMesh) {
    XMeshData m = Load(std::string(R"(
Frame F { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
  Mesh A { )") + TriangleAt(0) + "} }\nMesh B {" + TriangleAt(5) + "}");
    EXPECT_EQ(m.meshCount, 2u);
    ASSERT_EQ(m.vertices.size(), 6u);
    ExpectPosition(m.vertices[1], 11, 0, 0);
    ExpectPosition(m.vertices[4], 1, 0, 5);
}

// Nested frames with row vectors: a vertex goes through its own frame's
// matrix first, then its parents'. Inner: rotate 90 degrees about z and scale
// by 2; outer: move by (2, 0, 0). (1,0,0) -> (0,2,0) -> (2,2,0); the other
// order would give (0,6,0). The normal turns with the frame and stays unit
// length despite the scale.
TEST(XFileLayout, NestedFrameTransforms) {
    XMeshData m = Load(R"(
Frame Outer {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 2,0,0,1;; }
  Frame Inner {
    FrameTransformMatrix { 0,2,0,0, -2,0,0,0, 0,0,2,0, 0,0,0,1;; }
    Mesh { 3; 1;0;0;, 0;0;1;, 0;1;0;; 1; 3;0,1,2;;
      MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; } }
  }
})");
    ASSERT_EQ(m.vertices.size(), 3u);
    ExpectPosition(m.vertices[0], 2, 2, 0);
    ExpectPosition(m.vertices[1], 2, 0, 2);
    ExpectNormal(m.vertices[0], 0, 1, 0);
}

// Within one frame, meshes come out in file order and each sees the
// matrices written before it: the first stays put, the second is moved by
// 2, the third by 2 + 3.
TEST(XFileLayout, MatricesApplyToWhatFollowsThem) {
    auto tri = [](int x) {
        return "Mesh { 3; 0;0;0;, " + std::to_string(x) + ";1;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
    };
    auto moveZ = [](int z) {
        return "FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0," + std::to_string(z) + ",1;; }\n";
    };
    XMeshData m = Load("Frame {\n" + tri(1) + moveZ(2) + tri(2) + moveZ(3) + tri(3) + "}");
    ASSERT_EQ(m.vertices.size(), 9u);
    ExpectPosition(m.vertices[1], 1, 1, 0);
    ExpectPosition(m.vertices[4], 2, 1, 2);
    ExpectPosition(m.vertices[7], 3, 1, 5);
    EXPECT_EQ(Indices(m), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

// A frame named from another frame is placed again under it: the mesh
// appears twice, once where it was written and once moved.
TEST(XFileLayout, ReferencedFrameIsPlacedAgain) {
    XMeshData m = Load(std::string("Frame Part { Mesh {") + TriangleAt(0) + R"(} }
Frame Whole { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,7,0,1;; } { Part } })");
    EXPECT_EQ(m.meshCount, 2u);
    ASSERT_EQ(m.vertices.size(), 6u);
    ExpectPosition(m.vertices[5], 0, 8, 0);
}

// Polygons are fanned from their first corner: a pentagon gives
// (0,1,2) (0,2,3) (0,3,4), whatever its shape.
TEST(XFileLayout, PolygonsAreFanned) {
    XMeshData m = Load(R"(Mesh {
  5; 0;0;0;, 2;0;0;, 2;2;0;, 1;0.5;0;, 0;2;0;;
  1; 5;0,1,2,3,4;; })");
    EXPECT_EQ(Indices(m), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
    EXPECT_EQ(m.attributes.size(), 3u);
}

// Without any material the file gets one grey material with zero alpha and
// zero everything else, covering every face; an empty material list counts as
// none.
TEST(XFileLayout, DefaultMaterial) {
    for (const char* list : {"", "MeshMaterialList { 0; 1; 0;; }"}) {
        XMeshData m = Load(std::string("Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 4;0,1,2,3;;") +
                           list + "}");
        ASSERT_EQ(m.materials.size(), 1u) << list;
        EXPECT_TRUE(m.defaultMaterial);
        const Material& d = m.materials[0].material;
        ExpectColor(d.diffuse, 0.5f, 0.5f, 0.5f, 0);
        ExpectColor(d.ambient, 0, 0, 0, 0);
        ExpectColor(d.specular, 0.5f, 0.5f, 0.5f, 0);
        ExpectColor(d.emissive, 0, 0, 0, 0);
        EXPECT_EQ(d.power, 0.0f);
        EXPECT_EQ(m.materials[0].textureFile, "");
        EXPECT_EQ(m.subsetFirst[0], 0u);
        EXPECT_EQ(m.subsetCount[0], 6u);
    }
}

// A vertex used with different normals is split. Vertex 1 and 2 first meet
// normal 0 (+z) in face 0; face 1 uses them with normal 1 (+x), so copies 5
// (of 1) and 6 (of 2) are made after all five file vertices; face 2 reuses
// copy 5; face 3 names normal 2, equal in value to normal 0, so it keeps the
// originals. Vertex 4 is used by no face and has no normal. Copies keep their
// vertex's texture coordinates.
TEST(XFileLayout, VerticesSplitByNormal) {
    XMeshData m = Load(R"(Mesh {
  5; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;, 9;9;9;;
  4; 3;0,1,2;, 3;1,3,2;, 3;3,1,0;, 3;0,2,1;;
  MeshNormals { 3; 0;0;1;, 1;0;0;, 0;0;2;;
    4; 3;0,0,0;, 3;1,1,1;, 3;1,1,0;, 3;2,2,2;; }
  MeshTextureCoords { 5; 0;0;, 0.25;0.75;, 0;1;, 1;1;, 0;0;; }
})");
    ASSERT_EQ(m.vertices.size(), 7u);
    EXPECT_EQ(Indices(m), (std::vector<uint32_t>{0, 1, 2, 5, 3, 6, 3, 5, 0, 0, 2, 1}));
    ExpectNormal(m.vertices[1], 0, 0, 1);
    ExpectNormal(m.vertices[3], 1, 0, 0);
    ExpectNormal(m.vertices[4], 0, 0, 0);
    ExpectPosition(m.vertices[5], 1, 0, 0);
    ExpectNormal(m.vertices[5], 1, 0, 0);
    ExpectPosition(m.vertices[6], 0, 1, 0);
    EXPECT_EQ(m.vertices[5].u, 0.25f);
    EXPECT_EQ(m.vertices[5].v, 0.75f);
}

// The split at scale, on a crafted binary file: 480,000 triangles on three
// vertices, every corner with a normal of its own, so every corner but the
// first three makes a copy (1,440,000 vertices, the corners in order). This
// once took minutes, walking each vertex's copies for every corner. Equal
// normals are equal by value (-0 is 0), and a NaN normal equals nothing, not
// even itself: each of its corners gets a copy.
TEST(XFileLayout, SplitOfEveryCornerOnThreeVertices) {
    auto mesh = [](uint32_t faces, const std::vector<float>& normals, const std::vector<uint32_t>& use) {
        XBinaryWriter w(false);
        w.Begin("Mesh", nullptr);
        w.Ints({3});
        w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
        std::vector<uint32_t> list{faces}, normalList{faces};
        for (uint32_t f = 0; f < faces; ++f) {
            list.insert(list.end(), {3, 0, 1, 2});
            normalList.insert(normalList.end(), {3, use[3 * f], use[3 * f + 1], use[3 * f + 2]});
        }
        w.Ints(list);
        w.Begin("MeshNormals", nullptr);
        w.Ints({uint32_t(normals.size() / 3)});
        w.Floats(normals);
        w.Ints(normalList);
        w.End();
        w.End();
        return w.Bytes();
    };
    const uint32_t faces = 480000;
    std::vector<float> normals;
    std::vector<uint32_t> use;
    for (uint32_t i = 0; i < 3 * faces; ++i) {
        const float a = float(i) * 0.61803398875f, b = float(i % 1000) * 0.001f;
        normals.insert(normals.end(), {std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), std::sin(b)});
        use.push_back(i);
    }
    XMeshData m;
    std::string error;
    ASSERT_TRUE(LoadBytes(mesh(faces, normals, use), &m, &error)) << error;
    ASSERT_EQ(m.vertices.size(), 3u * faces);
    for (uint32_t i = 0; i < 3 * faces; ++i) {
        ASSERT_EQ(m.indices[i], i);
        ASSERT_NEAR(m.vertices[i].nz, normals[3 * i + 2], 1e-6f) << i;
    }
    EXPECT_EQ(m.vertices[3 * faces - 1].x, 0.0f);
    EXPECT_EQ(m.vertices[3 * faces - 1].y, 1.0f);

    const float nan = std::nanf("");
    XMeshData small;
    ASSERT_TRUE(LoadBytes(mesh(4, {0, 0, 1, -0.0f, 0, 1, nan, 0, 1}, {0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2}), &small,
                          &error))
        << error;
    EXPECT_EQ(small.vertices.size(), 9u);
    EXPECT_EQ(Indices(small), (std::vector<uint32_t>{0, 1, 2, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

// Colours are clamped and rounded to bytes (x * 255 + 0.5): (1, 0.5, 0, 0.25)
// gives A 64, R 255, G 128, B 0. A vertex given no colour is white with zero
// alpha.
TEST(XFileLayout, VertexColours) {
    XMeshData m = Load(R"(Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
  MeshVertexColors { 2; 0; 1.0;0.5;0.0;0.25;;, 2; 2.0;-1;0.2;1;;; } })");
    ASSERT_EQ(m.vertices.size(), 3u);
    EXPECT_TRUE(m.hasVertexColours);
    EXPECT_EQ(m.vertices[0].diffuse, 0x40FF8000u);
    EXPECT_EQ(m.vertices[1].diffuse, 0x00FFFFFFu);
    EXPECT_EQ(m.vertices[2].diffuse, 0xFFFF0033u);
}

// Several meshes: materials are concatenated, each mesh's numbers offset past
// the previous ones'. A mesh without materials takes the offset itself, that
// is the next mesh's first material, or no material at all when it is the
// last: such faces are in no subset and never drawn.
TEST(XFileLayout, MeshesConcatenated) {
    auto mat = [](int r) {
        return "Material { " + std::to_string(r) + ";0;0;1;; 1; 0;0;0;; 0;0;0;; }";
    };
    std::string a = "Mesh A { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;"
                    "MeshMaterialList { 2; 2; 1,0;; " + mat(1) + mat(2) + "} }";
    std::string b = std::string("Mesh B {") + TriangleAt(1) + "}";
    std::string c = std::string("Mesh C {") + TriangleAt(2) + "MeshMaterialList { 1; 1; 0;;" +
                    mat(3) + "} }";
    XMeshData m = Load(a + b + c);
    ASSERT_EQ(m.materials.size(), 3u);
    EXPECT_EQ(m.materials[2].material.diffuse.r, 3.0f);
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 1, 2, 2}));
    EXPECT_EQ(Indices(m), (std::vector<uint32_t>{0, 2, 3, 0, 1, 2, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(m.subsetFirst, (std::vector<uint32_t>{0, 3, 6}));
    EXPECT_EQ(m.subsetCount, (std::vector<uint32_t>{3, 3, 6}));

    XMeshData last = Load(a + c + b);
    EXPECT_EQ(last.attributes, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(last.subsetCount, (std::vector<uint32_t>{3, 3, 3}));
}

// Meshes with nothing to draw are left out, their materials with them.
TEST(XFileLayout, EmptyMeshesLeftOut) {
    XMeshData m = Load(std::string("Mesh { 0;; 0;; MeshMaterialList { 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }"
                                   "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }"
                                   "Mesh {") + TriangleAt(0) + "}");
    EXPECT_EQ(m.meshCount, 1u);
    EXPECT_TRUE(m.defaultMaterial);
    EXPECT_EQ(m.vertices.size(), 3u);
}

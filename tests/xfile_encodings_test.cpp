// The same content written as text, as binary with 32- and 64-bit floats,
// and MSZip-compressed (several blocks, each primed with the one before),
// must load to exactly the same mesh; and the text form's looser corners
// (comments, separators, number forms, templates, unknown objects) must read
// as the format allows.
#include <gtest/gtest.h>

#include <cmath>

#include "xfile_test_util.h"
#include "xfile_writer.h"

namespace {

// A grid of (n x n) vertices in quads, in a transformed frame, with normals,
// texture coordinates, some vertex colours, two materials (one by name, with
// a texture) and an animation that refers back to the frame.
void WriteScene(XWriter& w, int n) {
    w.Begin("Header", nullptr);
    w.Ints({1, 0, 1});
    w.End();
    w.Begin("Material", "Shiny");
    w.Floats({0.2f, 0.4f, 0.6f, 0.8f});
    w.Floats({12.5f});
    w.Floats({0.1f, 0.2f, 0.3f});
    w.Floats({0.01f, 0.02f, 0.03f});
    w.Begin("TextureFilename", nullptr);
    w.String("maps\\shiny.png");
    w.End();
    w.End();
    w.Begin("Frame", "Root");
    w.Begin("FrameTransformMatrix", nullptr);
    w.Floats({0.8f, 0.6f, 0, 0, -0.6f, 0.8f, 0, 0, 0, 0, 1, 0, 1.5f, -2.25f, 3, 1});
    w.End();
    w.Begin("Mesh", "Grid");
    std::vector<float> pos, nrm, uv;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            pos.insert(pos.end(), {x * 0.37f, std::sin(float(x * y)) * 0.5f, y * 0.29f});
            nrm.insert(nrm.end(), {std::cos(float(x)), 1.0f, std::sin(float(y))});
            uv.insert(uv.end(), {x / float(n - 1), 1.0f - y / float(n - 1)});
        }
    std::vector<uint32_t> faces{uint32_t((n - 1) * (n - 1))}, faceNormals = faces, mats;
    for (int y = 0; y + 1 < n; ++y)
        for (int x = 0; x + 1 < n; ++x) {
            uint32_t a = uint32_t(y * n + x);
            faces.insert(faces.end(), {4, a, a + 1, a + 1 + uint32_t(n), a + uint32_t(n)});
            // Each face uses its own corner's normal everywhere: many splits.
            faceNormals.insert(faceNormals.end(), {4, a, a, a, a});
            mats.push_back(uint32_t((x + y) % 2));
        }
    w.Ints({uint32_t(n * n)});
    w.Floats(pos);
    w.Ints(faces);
    w.Begin("MeshNormals", nullptr);
    w.Ints({uint32_t(n * n)});
    w.Floats(nrm);
    w.Ints(faceNormals);
    w.End();
    w.Begin("MeshTextureCoords", nullptr);
    w.Ints({uint32_t(n * n)});
    w.Floats(uv);
    w.End();
    w.Begin("MeshVertexColors", nullptr);
    w.Ints({2});
    w.Ints({3});
    w.Floats({0.1f, 0.2f, 0.3f, 0.4f});
    w.Ints({uint32_t(n + 1)});
    w.Floats({1, 1, 0, 1});
    w.End();
    w.Begin("MeshMaterialList", nullptr);
    w.Ints({2, uint32_t(mats.size())});
    w.Ints(mats);
    w.Ref("Shiny");
    w.Begin("Material", nullptr);
    w.Floats({1, 1, 1, 1, 0, 0, 0, 0, 0.5f, 0.5f, 0.5f});
    w.End();
    w.End();
    w.End();  // Mesh
    w.End();  // Frame
    w.Begin("AnimationSet", "Walk");
    w.Begin("Animation", nullptr);
    w.Ref("Root");
    w.Begin("AnimationKey", nullptr);
    w.Ints({0, 1, 0, 4});
    w.Floats({1, 0, 0, 0});
    w.End();
    w.End();
    w.End();
}

std::vector<uint8_t> Scene(XWriter&& w, int n) {
    WriteScene(w, n);
    return w.Bytes();
}

void ExpectSameMesh(const XMeshData& a, const XMeshData& b, const char* what) {
    ASSERT_EQ(a.vertices.size(), b.vertices.size()) << what;
    for (size_t i = 0; i < a.vertices.size(); ++i) {
        const MeshVertex &p = a.vertices[i], &q = b.vertices[i];
        ASSERT_TRUE(p.x == q.x && p.y == q.y && p.z == q.z && p.nx == q.nx && p.ny == q.ny &&
                    p.nz == q.nz && p.u == q.u && p.v == q.v && p.diffuse == q.diffuse)
            << what << ": vertex " << i;
    }
    EXPECT_EQ(a.indices, b.indices) << what;
    EXPECT_EQ(a.attributes, b.attributes) << what;
    EXPECT_EQ(a.subsetFirst, b.subsetFirst) << what;
    EXPECT_EQ(a.subsetCount, b.subsetCount) << what;
    ASSERT_EQ(a.materials.size(), b.materials.size()) << what;
    for (size_t i = 0; i < a.materials.size(); ++i) {
        EXPECT_EQ(std::memcmp(&a.materials[i].material, &b.materials[i].material, sizeof(Material)), 0)
            << what << ": material " << i;
        EXPECT_EQ(a.materials[i].textureFile, b.materials[i].textureFile) << what;
    }
}

}  // namespace

TEST(XFileEncodings, TextBinaryAndCompressedAgree) {
    constexpr int n = 48;
    std::vector<uint8_t> text = Scene(XTextWriter(), n);
    std::vector<uint8_t> bin32 = Scene(XBinaryWriter(false), n);
    // Big enough for the compressed forms to need several blocks.
    ASSERT_GT(text.size(), 3u * 32768u);
    ASSERT_GT(bin32.size(), 2u * 32768u);
    XMeshData ref;
    std::string error;
    ASSERT_TRUE(LoadBytes(text, &ref, &error)) << error;
    // The scene is what it says: (n-1)^2 quads, two subsets, the named
    // material first with its texture name as written.
    EXPECT_EQ(ref.attributes.size(), size_t(2 * (n - 1) * (n - 1)));
    ASSERT_EQ(ref.materials.size(), 2u);
    EXPECT_EQ(ref.materials[0].textureFile, "maps\\shiny.png");
    EXPECT_EQ(ref.materials[0].material.power, 12.5f);
    EXPECT_GT(ref.vertices.size(), size_t(n * n));  // split by normal
    EXPECT_TRUE(ref.hasNormals && ref.hasTexCoords && ref.hasVertexColours);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"binary", bin32},
        {"binary, 64-bit floats", Scene(XBinaryWriter(true), n)},
        {"compressed text", MsZipCompress(text)},
        {"compressed binary", MsZipCompress(bin32)},
    };
    for (const Case& c : cases) {
        XMeshData m;
        ASSERT_TRUE(LoadBytes(c.bytes, &m, &error)) << c.what << ": " << error;
        ExpectSameMesh(ref, m, c.what);
    }
}

// A compressed file whose blocks do not add up to the size in its header, or
// whose data was damaged, is refused.
TEST(XFileEncodings, CompressedDataChecked) {
    std::vector<uint8_t> good = MsZipCompress(Scene(XTextWriter(), 24));
    XMeshData m;
    std::string error;
    ASSERT_TRUE(LoadBytes(good, &m, &error)) << error;

    std::vector<uint8_t> shortTotal = good;
    shortTotal[16] ^= 0x10;
    EXPECT_FALSE(LoadBytes(shortTotal, &m, &error));
    std::vector<uint8_t> noCK = good;
    noCK[24] = 'X';
    EXPECT_FALSE(LoadBytes(noCK, &m, &error));
    EXPECT_NE(error.find("CK"), std::string::npos) << error;
    std::vector<uint8_t> cut(good.begin(), good.end() - 100);
    EXPECT_FALSE(LoadBytes(cut, &m, &error));
    // A total far beyond what the data could inflate to is refused before
    // anything is allocated for it.
    std::vector<uint8_t> huge = good;
    huge[16] = huge[17] = 0xFF;
    huge[18] = 0xFF, huge[19] = 0x01;
    EXPECT_FALSE(LoadBytes(huge, &m, &error));
}

// Comments, CR LF line ends, tabs, any mix of separators, signs, exponents,
// numbers without a fraction where reals are due, GUIDs after '{', templates
// with restrictions, case-insensitive type names, unusual object names,
// braces inside strings of unknown objects: all read as the format allows.
TEST(XFileEncodings, TextSyntax) {
    const char* text =
        "xof 0302txt 0064\r\n"
        "// a comment { with braces\r\n"
        "# another one }\r\n"
        "template Mesh {\r\n <3D82AB44-62DA-11cf-AB39-0020AF71E433>\r\n DWORD nVertices;\r\n"
        " array Vector vertices[nVertices];\r\n [...]\r\n}\r\n"
        "template Odd { <11111111-2222-3333-4444-555555555555> STRING s; [Material <3D82AB4D-62DA-11CF-AB39-0020AF71E433>] }\r\n"
        "Odd notes { \"}{ not a brace\"; }\r\n"
        "MESH Body.01:part {\r\n"
        "\t<01234567-89ab-cdef-0123-456789abcdef>\r\n"
        "\t3;\t+1.5e1; -2.5E-1; .5;,\r\n"
        "\t2, 4, 6,\r\n"
        "\t7;8;9;;\r\n"
        "\t1;3;0,1,2;;;\r\n"
        "\tmeshmateriallist { 1;1;0;; material { 1;0.5;0.25;1;;8;0;0;0;;0;0;0;;\r\n"
        "\t  texturefilename { \"\"; } } }\r\n"
        "}\r\n";
    XMeshData m;
    std::string error;
    ASSERT_TRUE(LoadText(text, &m, &error)) << error;
    ASSERT_EQ(m.vertices.size(), 3u);
    EXPECT_EQ(m.vertices[0].x, 15.0f);
    EXPECT_EQ(m.vertices[0].y, -0.25f);
    EXPECT_EQ(m.vertices[0].z, 0.5f);
    EXPECT_EQ(m.vertices[1].y, 4.0f);
    EXPECT_EQ(m.vertices[2].z, 9.0f);
    ASSERT_EQ(m.materials.size(), 1u);
    EXPECT_EQ(m.materials[0].material.diffuse.b, 0.25f);
    EXPECT_EQ(m.materials[0].material.power, 8.0f);
    EXPECT_EQ(m.materials[0].textureFile, "");
}

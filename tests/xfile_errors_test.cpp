// Damaged and hostile .x files are refused with a reason, and never crash,
// hang or allocate what their counts claim.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "xfile_test_util.h"
#include "xfile_writer.h"

namespace {

const std::string kTri = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; ";

void ExpectRefused(const std::string& file, const std::string& reason) {
    XMeshData m;
    std::string error;
    EXPECT_FALSE(LoadText(file, &m, &error)) << file;
    EXPECT_NE(error.find(reason), std::string::npos) << "got: " << error << "\nfor: " << file;
    EXPECT_TRUE(m.vertices.empty() && m.materials.empty());
}

std::string Text(const std::string& body) { return "xof 0303txt 0032\n" + body; }

}  // namespace

TEST(XFileErrors, Headers) {
    ExpectRefused("", "empty");
    ExpectRefused("xof 0303txt 003", "too short");
    ExpectRefused("xaf 0303txt 0032" + kTri + "}", "not a .x file");
    ExpectRefused("xof 0304txt 0032" + kTri + "}", "version");
    ExpectRefused("xof 0303cmp 0032" + kTri + "}", "encoding");
    ExpectRefused("xof 0303txt 0016" + kTri + "}", "float size");
    ExpectRefused(Text("Header { 1; 0; 1; }"), "no mesh");
    ExpectRefused(Text("Frame { Mesh { 0;; 0;; } }"), "no mesh");
}

// Counts and indices that do not agree with the data, in the mesh and in
// each of its parts; the reason names the line.
TEST(XFileErrors, CountsAndIndices) {
    ExpectRefused(Text("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }"), "line 2: face refers to a vertex past");
    ExpectRefused(Text("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }"), "fewer than three");
    ExpectRefused(Text("Mesh { 4000000000; 0;0;0;; }"), "count larger than the data");
    ExpectRefused(Text("Mesh { 3; 0;0;0;, 1;0;0;; }"), "expected a number");
    ExpectRefused(Text(kTri + "MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;;0;0;0;0;;0;0;0;; } } }"),
                  "material past the list");
    ExpectRefused(Text(kTri + "MeshMaterialList { 1; 2; 0,0;; } }"), "does not cover every face");
    ExpectRefused(Text(kTri + "MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;;0;0;0;0;;0;0;0;; } } }"),
                  "fewer materials than declared");
    ExpectRefused(Text(kTri + "MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;;0;0;0;0;;0;0;0;; }"
                              " Material { 1;1;1;1;;0;0;0;0;;0;0;0;; } } }"),
                  "more materials than declared");
    ExpectRefused(Text(kTri + "MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;;0;0;0;0;;0;0;0;;7; } } }"),
                  "unexpected value");
    ExpectRefused(Text(kTri + "MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } }"), "normals do not cover");
    ExpectRefused(Text(kTri + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }"), "normal index past");
    ExpectRefused(Text(kTri + "MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }"), "corners");
    ExpectRefused(Text(kTri + "MeshTextureCoords { 2; 0;0;, 1;1;; } }"), "do not match the vertices");
    ExpectRefused(Text(kTri + "MeshVertexColors { 1; 3; 1;1;1;1;;; } }"), "vertex colour for a vertex past");
    ExpectRefused(Text(kTri + "SkinWeights { \"bone\"; 1; 1000000; 1.0; "
                              "1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }"),
                  "skin weight for a vertex past");
}

TEST(XFileErrors, Syntax) {
    ExpectRefused(Text(kTri), "ends inside an object");
    ExpectRefused(Text(kTri + "} }"), "'}' without '{'");
    ExpectRefused(Text(kTri + "Odd { \"unterminated; } }"), "unterminated string");
    ExpectRefused(Text(kTri + "} / "), "stray '/'");
    ExpectRefused(Text(kTri + "MeshMaterialList { 1; 1; 0;; { Nowhere } } }"), "unknown object 'Nowhere'");
    ExpectRefused(Text(kTri + "} 42"), "unexpected value between objects");
    ExpectRefused(Text("Mesh { 99999999999; }"), "integer out of range");
    ExpectRefused(Text("Mesh { 1; 1e99;0;0;; 1; 3;0,0,0;; }"), "number out of range");
    ExpectRefused(Text("Mesh { 1; 1.#QNAN0;0;0;; 1; 3;0,0,0;; }"), "expected a number");
    // A sign alone as the very last byte (found by fuzzing: it was read past
    // the end). The bytes are held in a buffer of exactly their size so that
    // the sanitizer build sees any overrun.
    for (const char* end : {"+", "-"}) {
        std::string t = Text(std::string("Mesh { 1; 0;0;") + end);
        std::vector<uint8_t> exact(t.begin(), t.end());
        XMeshData m;
        std::string error;
        EXPECT_FALSE(LoadBytes(exact, &m, &error));
        EXPECT_FALSE(error.empty());
    }
}

// A frame that names itself, a deep pile of frames, and frames that each
// place the previous one twice (2^40 copies) all end with a refusal, quickly.
TEST(XFileErrors, HostileStructure) {
    ExpectRefused(Text("Frame A { " + kTri + "} { A } }"), "nested too deeply");
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "Frame {";
    deep += kTri + "}";
    for (int i = 0; i < 5000; ++i) deep += "}";
    ExpectRefused(Text(deep), "nested too deeply");

    std::string doubling = "Frame F0 { " + kTri + "} }\n";
    for (int i = 1; i <= 40; ++i)
        doubling += "Frame F" + std::to_string(i) + " { {F" + std::to_string(i - 1) + "} {F" +
                    std::to_string(i - 1) + "} }\n";
    auto start = std::chrono::steady_clock::now();
    XMeshData m;
    std::string error;
    EXPECT_FALSE(LoadText(Text(doubling), &m, &error));
    EXPECT_TRUE(error.find("too large") != std::string::npos ||
                error.find("too complex") != std::string::npos)
        << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// Binary token streams that end early or carry unknown codes.
TEST(XFileErrors, BinaryTokens) {
    XBinaryWriter w(false);
    w.Begin("Mesh", nullptr);
    w.Ints({3});
    w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
    w.Ints({1, 3, 0, 1, 2});
    w.End();
    std::vector<uint8_t> good = w.Bytes();
    XMeshData m;
    std::string error;
    ASSERT_TRUE(LoadBytes(good, &m, &error)) << error;

    std::vector<uint8_t> cut(good.begin(), good.end() - 9);  // inside the last list
    EXPECT_FALSE(LoadBytes(cut, &m, &error));
    EXPECT_NE(error.find("byte"), std::string::npos) << error;
    std::vector<uint8_t> unknown = good;
    unknown[16] = 99;  // the first token
    EXPECT_FALSE(LoadBytes(unknown, &m, &error));
    EXPECT_NE(error.find("unknown binary token"), std::string::npos) << error;
    std::vector<uint8_t> longName = good;
    longName[18] = 0xFF;  // length of the name "Mesh"
    EXPECT_FALSE(LoadBytes(longName, &m, &error));
    std::vector<uint8_t> longList = good;
    // The vertex count list: token 6, count 1, value; make the count huge.
    for (size_t i = 16; i + 6 < longList.size(); ++i)
        if (longList[i] == 6 && longList[i + 1] == 0 && longList[i + 2] == 1) {
            longList[i + 5] = 0x7F;
            break;
        }
    EXPECT_FALSE(LoadBytes(longList, &m, &error));
}

// The third-party test files that are known to be damaged.
TEST(XFileErrors, SharedInvalidFiles) {
    for (const std::string& name : InvalidXFiles()) {
        XMeshData m;
        std::string error;
        EXPECT_FALSE(LoadBytes(ReadBytes(XFilePath(name)), &m, &error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}

// A NaN in a vertex colour (found by the fuzzer) reads as 0, never reaching
// the conversion to a byte, where it would be undefined.
TEST(XFileErrors, NanVertexColourReadsAsZero) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    XBinaryWriter w(false);
    w.Begin("Mesh", nullptr);
    w.Ints({3});
    w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
    w.Ints({1, 3, 0, 1, 2});
    w.Begin("MeshVertexColors", nullptr);
    w.Ints({1, 0});
    w.Floats({nan, 0.5f, nan, nan});
    w.End();
    w.End();
    XMeshData m;
    std::string error;
    ASSERT_TRUE(LoadBytes(w.Bytes(), &m, &error)) << error;
    ASSERT_TRUE(m.hasVertexColours);
    ASSERT_FALSE(m.vertices.empty());
    bool found = false;
    for (const MeshVertex& v : m.vertices)
        if (v.diffuse != 0x00FFFFFFu) {
            EXPECT_EQ(v.diffuse, 0x00008000u);  // r, b and alpha 0; green 0.5 -> 128
            found = true;
        }
    EXPECT_TRUE(found);
}

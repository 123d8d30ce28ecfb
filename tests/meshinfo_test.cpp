// The meshinfo tool on the third-party .x files: counts, subsets, materials and
// texture names as the files hold them (numbers from the test data's own
// description), refusals with exit status 1 and no crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "xfile_test_util.h"

namespace {

struct ToolRun {
    std::string out;
    int status;  // exit status, or -1 when killed by a signal
};

// `seconds` > 0: the run is stopped after that long (status 124).
ToolRun MeshInfo(const std::string& args, int seconds = 0) {
    std::string cmd = (seconds > 0 ? "timeout " + std::to_string(seconds) + " " : std::string()) +
                      ZORBAT_BINARY_DIR + "/meshinfo " + args + " 2>&1";
    ToolRun r{"", -1};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

ToolRun On(const std::string& name) { return MeshInfo("'" + XFilePath(name) + "'"); }

// Value of the first line that starts (after indentation) with `key`.
std::string Field(const std::string& out, const std::string& key, size_t from = 0) {
    size_t at = out.find("\n  " + key, from);
    if (at == std::string::npos) at = out.find("\n    " + key, from);
    if (at == std::string::npos) return "?";
    size_t start = out.find_first_not_of(' ', at + 1) + key.size();
    size_t end = out.find('\n', start);
    std::string v = out.substr(start, end - start);
    return v.substr(v.find_first_not_of(' '));
}

int Count(const std::string& out, const std::string& what) {
    int n = 0;
    for (size_t at = out.find(what); at != std::string::npos; at = out.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

// The three cube files are one model in three encodings: the same output
// apart from the file name. 12 triangles, one material (faceColor 0.639216,
// power 96.078430, specular 0.498039 in the text file), no texture.
TEST(MeshInfo, CubeInThreeEncodings) {
    ToolRun text = On("test_cube_text.x");
    ASSERT_EQ(text.status, 0) << text.out;
    EXPECT_EQ(Field(text.out, "faces "), "12");
    EXPECT_EQ(Count(text.out, "subset "), 1);
    EXPECT_EQ(Field(text.out, "diffuse"), "0.639216 0.639216 0.639216 1");
    EXPECT_EQ(Field(text.out, "ambient"), "0 0 0 1");
    EXPECT_EQ(Field(text.out, "specular"), "0.498039 0.498039 0.498039 1");
    EXPECT_EQ(Field(text.out, "power"), "96.0784");
    EXPECT_EQ(Field(text.out, "texture"), "(none)");
    std::string body = text.out.substr(text.out.find('\n'));
    for (const char* other : {"test_cube_binary.x", "test_cube_compressed.x"}) {
        ToolRun r = On(other);
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.substr(r.out.find('\n')), body) << other;
    }
}

// Each third-party file's subsets and materials as its description gives them.
TEST(MeshInfo, SharedFiles) {
    ToolRun maya = On("test.x");  // 12 triangles, one textured material
    EXPECT_EQ(Field(maya.out, "faces "), "12");
    EXPECT_EQ(Field(maya.out, "diffuse"), "0.8 0.8 0.8 1");
    EXPECT_EQ(Field(maya.out, "texture"), "\".\\\\test.png\"");  // as written in the file

    ToolRun ts = On("fromtruespace_bin32.x");  // 6656 triangles, one material, no texture
    EXPECT_EQ(Field(ts.out, "faces "), "6656");
    EXPECT_EQ(Count(ts.out, "subset "), 1);
    EXPECT_EQ(Field(ts.out, "texture"), "(none)");

    ToolRun kw = On("kwxport_test_cubewithvcolors.x");  // three materials, each textured
    EXPECT_EQ(Field(kw.out, "vertex data:"), "normals texcoords colours");
    EXPECT_EQ(Count(kw.out, "subset "), 3);
    size_t at = 0;
    for (const char* tex : {"bottom.tga", "top.tga", "updown.tga"}) {
        at = kw.out.find("subset ", at + 1);
        std::string t = Field(kw.out, "texture", at);
        EXPECT_NE(t.find(std::string("\\\\data\\\\") + tex + "\""), std::string::npos) << t;
    }
    EXPECT_EQ(Field(kw.out, "faces "), "12");
    EXPECT_EQ(kw.out.find("faces in no subset"), std::string::npos);

    ToolRun anim = On("anim_test.x");  // one material with an empty texture name
    EXPECT_EQ(Count(anim.out, "subset "), 1);
    EXPECT_EQ(Field(anim.out, "texture"), "(none)");

    for (const char* name : {"BCN_Epileptic.X", "Testwuson.X"}) {  // no material information
        ToolRun r = On(name);
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(Count(r.out, "subset "), 1) << name;
        EXPECT_NE(r.out.find("(default material)"), std::string::npos) << name;
        EXPECT_EQ(Field(r.out, "diffuse"), "0.5 0.5 0.5 0") << name;
    }
    EXPECT_EQ(Field(On("BCN_Epileptic.X").out, "meshes"), "3");
}

// Damaged files: a reason and exit status 1, never a crash; valid files given
// alongside are still reported.
TEST(MeshInfo, RefusedFiles) {
    for (const std::string& name : InvalidXFiles()) {
        ToolRun r = On(name);
        EXPECT_EQ(r.status, 1) << name << ": " << r.out;
        EXPECT_NE(r.out.find(": error: "), std::string::npos) << r.out;
    }
    ToolRun mixed = MeshInfo("'" + XFilePath("invalid/empty.x") + "' '" + XFilePath("test.x") + "'");
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(Field(mixed.out, "faces "), "12");
    ToolRun missing = MeshInfo("/nonexistent/file.x");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("cannot open"), std::string::npos);

    // A FIFO once blocked the open for ever, and /dev/zero was read to the
    // size limit: both are refused at once (timeout's status 124 otherwise).
    const std::string fifo = std::string(ZORBAT_BINARY_DIR) + "/meshinfo_test_fifo.x";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    ToolRun special = MeshInfo("'" + fifo + "' /dev/zero", 10);
    std::remove(fifo.c_str());
    EXPECT_EQ(special.status, 1) << special.out;
    EXPECT_EQ(Count(special.out, "cannot open the file (not a regular file)"), 2) << special.out;
}

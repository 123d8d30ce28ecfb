// stagecheck: a clean stage passes quietly; each kind of surprise is named
// with its file and line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "child_run.h"
#include "formats/stage_check.h"
#include "formats_test_util.h"

namespace {

struct CheckRun {
    int status;
    std::string output;
};

CheckRun Check(const std::vector<std::string>& files) {
    std::vector<std::string> args = {"stagecheck"};
    args.insert(args.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    CapturedOutput out;
    const int status = StageCheckMain(int(argv.size()), argv.data(), out.File());
    return {status, out.Text()};
}

bool Has(const CheckRun& run, const std::string& text) {
    return run.output.find(text) != std::string::npos;
}

const char* const kCleanActors =
    "// stage 1\r\n"
    "{\r\n\tZORBAT\r\n\t0,0,0\r\n\t0,5,0\r\n\t1,1,1\r\n\t1\r\n\t1,0.5,2\r\n"
    "\t0,0,1\r\n\t0.5,0.5,0.5\r\n\t3\r\n\t40\r\n}\r\n"
    "{\r\n\tENEMY2\r\n\t// gunship\r\n\t0,90,0\r\n\t10,8,30\r\n\t2,2,2\r\n\t0\r\n\t3,1,3\r\n"
    "\t4\r\n\t20\r\n}\r\n"
    "{\r\n\tENEMY1\r\n\t0,0,0\r\n\t-10,0,5\r\n\t1,1,1\r\n\t0\r\n\t1,1,1\r\n\t2\r\n\t5\r\n}\r\n";

const char* const kCleanMap =
    "{\n0,5,-20\n// angles\n30,0,0\n0,1,0\n}\n"
    "{\n128.9,0,255\n-100,0,-100\n100,50,100\n0,-1,1\n1,1,1,1\n}\n"
    "{\n\tFLOOR\n\t1.0\n\t0,0,0\n\t0,-1,0\n\t9,9,9\n\t0\n\t0,-1,0\n\t0,0,0\n\t100,1,100\n\t150\n}\n"
    "{\n\tBUILD\n\t0.5\n\t0,90,0\n\t10,0,20\n\t1,1,1\n\t2\n\t10,5,20\n\t0,90,0\n\t4,5,4\n"
    "\t1,0,0\n\t0,2,0\n\t1,1,1\n\t2,2,2\n\t12\n}\n";

TEST(StageCheck, CleanFilesPassAndSayWhatWasRead) {
    ScratchDir dir;
    WriteText(dir.File("c1.pxd"), kCleanActors);
    WriteText(dir.File("m1.pxd"), kCleanMap);
    const CheckRun run = Check({dir.File("c1.pxd"), dir.File("m1.pxd")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run, "c1.pxd: 0 errors, 0 warnings")) << run.output;
    EXPECT_TRUE(Has(run, "m1.pxd: 0 errors, 0 warnings")) << run.output;
    EXPECT_TRUE(Has(run, "1 player, 2 enemies: ENEMY1 x1 ENEMY2 x1")) << run.output;
    EXPECT_TRUE(Has(run, "enemy 1 \"ENEMY2\" at (10, 8, 30), gunship, 20 hit points")) << run.output;
    EXPECT_TRUE(Has(run, "clear colour 128 0 255")) << run.output;
    EXPECT_TRUE(Has(run, "2 stage objects: BUILD x1 FLOOR x1")) << run.output;
}

TEST(StageCheck, ActorFileSurprisesByLine) {
    ScratchDir dir;
    const std::string path = dir.File("c2.pxd");
    WriteText(path,
              "{\n"                                        // 1
              "\tPLAYER\n"                                 // 2
              "\t0,0,0\n"                                  // 3
              "\t0,0,0 // start on the square here\n"     // 4: 34 characters
              "\t1,1,1\n"                                  // 5
              "\t0\n"                                      // 6
              "\t1,1,1\n"                                  // 7
              "\t2\n"                                      // 8
              "\t10\n"                                     // 9
              "}\n"                                        // 10
              "{\n"                                        // 11
              "\tBOX\n"                                    // 12
              "\t0,0\n"                                    // 13
              "\t0,0,0\n"                                  // 14
              "\t1,1,1\n"                                  // 15
              "\t1\n"                                      // 16
              "\t1,1,1\n"                                  // 17
              "\t// upper part\n"                          // 18
              "\t1,1,1\n"                                  // 19
              "\t2.5\n"                                    // 20
              "\tten\n"                                    // 21
              "}\n"                                        // 22
              "{\n"                                        // 23
              "\tENEMY3\n"                                 // 24
              "\n"                                         // 25
              "\t0,0,0\n"                                  // 26
              "}\n");                                      // 27
    const CheckRun run = Check({path});
    EXPECT_EQ(run.status, 1);
    const char* expected[] = {
        "c2.pxd:4: error: line is 34 characters long",
        "c2.pxd:4: error: the rest of this long line is read as the scale",
        "c2.pxd:1: error: the player's tag \"PLAYER\" has no \"ZORBAT\"",
        "c2.pxd:13: error: the rotation has only 2 of its 3 numbers",
        "c2.pxd:18: error: comment inside the part list is read as the part offset of part 0",
        "c2.pxd:21: error: the hit points is \"ten\", not a number",
        "c2.pxd:11: error: tag \"BOX\" matches no drawing",
        "c2.pxd:25: error: blank line read as the rotation",
        "c2.pxd:27: error: the block closes before its scale line",
    };
    for (const char* e : expected) EXPECT_TRUE(Has(run, e)) << e << "\n" << run.output;
}

TEST(StageCheck, CutBlocksBracesAndCapacity) {
    ScratchDir dir;
    std::string text = "{\nZORBAT\n0,0,0\n0,0,0\n1,1,1\n0\n1,1,1\n1\n10\n\t}\n";
    for (int i = 0; i < 65; ++i) text += "{\nENEMY5\n0,0,0\n0,0,0\n1,1,1\n0\n1,1,1\n1\n1\n}\n";
    text += "{\nENEMY4\n0,0,0\n";
    const std::string path = dir.File("c3.pxd");
    WriteText(path, text);
    const CheckRun run = Check({path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run, "c3.pxd:10: error: indented \"}\" closes this block")) << run.output;
    // The indented brace does not count, so the first enemy's "}" is taken as
    // the player's and that enemy is lost: 65 blocks give 64 enemies, one over.
    EXPECT_TRUE(Has(run, "c3.pxd:651: error: enemy 64: the game holds 63 enemies")) << run.output;
    EXPECT_TRUE(Has(run, "63 enemies (1 more ignored)")) << run.output;
    const int cutLine = 10 + 65 * 10 + 1;
    EXPECT_TRUE(Has(run, "c3.pxd:" + std::to_string(cutLine) + ": error: block 65 is cut short"))
        << run.output;
}

TEST(StageCheck, MapFileSurprises) {
    ScratchDir dir;
    const std::string path = dir.File("m2.pxd");
    WriteText(path,
              "{\n"                  // 1
              "0,5,-20\n"            // 2
              "\t// angles\n"        // 3: indented, so data here
              "0,1,0\n"              // 4
              "}\n"                  // 5
              "{\n"                  // 6
              "300,0,0\n"            // 7
              "0,0,0\n"              // 8
              "100,-5,100\n"         // 9
              "0,-1,0\n"             // 10
              "}\n"                  // 11
              "{\n"                  // 12
              "\tWALL\n"             // 13
              "}\n"                  // 14
              "}\n"                  // 15
              "{\n\tBUILD\n");       // 16, 17
    const CheckRun run = Check({path});
    EXPECT_EQ(run.status, 1);
    const char* expected[] = {
        "m2.pxd:3: error: indented comment is read as the camera angles",
        "m2.pxd:13: error: the stage settings block has too few lines: its light colour",
        "m2.pxd:7: warning: a clear colour value outside 0..255",
        "m2.pxd:8: warning: the bounds' minimum is above their maximum on y",
        "m2.pxd:14: error: the block closes before its emissive line",
        "m2.pxd:12: warning: tag \"WALL\" matches neither FLOOR nor BUILD",
        "m2.pxd:15: error: \"}\" outside any block",
        "m2.pxd:16: error: stage object 2 is cut short",
    };
    for (const char* e : expected) EXPECT_TRUE(Has(run, e)) << e << "\n" << run.output;
}

// A long line is an error where the split changes what the game reads, and a
// warning where every piece is ignored anyway: a modder's header comment
// must not fail the check (it once did), but a comment whose rest starts
// with "}" counts as a brace, and one inside a block is read as data.
TEST(StageCheck, LongLinesAreErrorsOnlyWhereTheSplitChangesTheReading) {
    ScratchDir dir;
    const std::string header = "// " + std::string(40, '=') + "\n";
    const std::string block = "{\n\tZORBAT\n\t0,0,0\n\t0,5,0\n\t1,1,1\n\t0\n\t1,1,1\n\t3\n\t40\n}\n";
    WriteText(dir.File("c1.pxd"), header + header + block + header);
    WriteText(dir.File("m1.pxd"), header + kCleanMap);
    CheckRun run = Check({dir.File("c1.pxd"), dir.File("m1.pxd")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run, "c1.pxd:1: warning: line is 43 characters long")) << run.output;
    EXPECT_TRUE(Has(run, "c1.pxd:13: warning: line is 43 characters long")) << run.output;
    EXPECT_TRUE(Has(run, "c1.pxd: 0 errors, 6 warnings")) << run.output;  // and the rests outside blocks
    EXPECT_TRUE(Has(run, "m1.pxd:1: warning: line is 43 characters long")) << run.output;

    const std::string brace = "// " + std::string(28, '-') + "}\n";  // its rest is "}"
    const std::string inside = "{\n\tZORBAT\n\t// " + std::string(40, '.') + "\n\t0,0,0\n\t0,5,0\n\t1,1,1\n\t0\n"
                               "\t1,1,1\n\t3\n\t40\n}\n";
    WriteText(dir.File("c2.pxd"), brace + block);
    WriteText(dir.File("c3.pxd"), inside);
    WriteText(dir.File("m2.pxd"), "{\n// " + std::string(40, 'x') + "\n0,5,-20\n30,0,0\n0,1,0\n}\n" +
                                      std::string(kCleanMap).substr(std::string(kCleanMap).find("}\n") + 2));
    run = Check({dir.File("c2.pxd"), dir.File("c3.pxd"), dir.File("m2.pxd")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run, "c2.pxd:1: error: line is 32 characters long")) << run.output;
    EXPECT_TRUE(Has(run, "c3.pxd:3: error: line is 44 characters long")) << run.output;
    EXPECT_TRUE(Has(run, "m2.pxd:2: error: line is 43 characters long")) << run.output;
}

TEST(StageCheck, UnknownAndMissingFiles) {
    ScratchDir dir;
    WriteText(dir.File("stage.txt"), "{\n}\n");
    const CheckRun run = Check({dir.File("stage.txt"), dir.File("c9.pxd")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run, "stage.txt: error: cannot tell the kind of file")) << run.output;
    EXPECT_TRUE(Has(run, "c9.pxd: error: cannot open the file (no such file)")) << run.output;
    EXPECT_EQ(Check({}).status, 2);

    // /dev/zero under a stage file's name was once read for ever.
    const std::string zero = dir.File("c8.pxd");
    std::filesystem::create_symlink("/dev/zero", zero);
    EXPECT_EQ(RunInChild([&] { return Check({zero}).output.find("c8.pxd: error: cannot open the file (not a "
                                                               "regular file)") != std::string::npos ? 0 : 1; },
                         5),
              0);
}

}  // namespace

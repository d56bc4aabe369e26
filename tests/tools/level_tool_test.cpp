// zuno-level as a user runs it: exit statuses, messages, the round trip
// between the two forms, and that a failed compile leaves its output alone.
#include <gtest/gtest.h>

#include "app/level_file.h"
#include "tools/levels/level_bytes.h"
#include "tests/support/process.h"

namespace {

const std::string kTool = ZUNO_BINARY_DIR "/zuno-level";

ProcessResult runLevelTool(const std::vector<std::string>& args) { return runProcess(kTool, args); }

}  // namespace

TEST(LevelTool, UsageErrorsExitTwoAndHelpExitsZero) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"compile", "a.txt"}, {"decompile"}, {"check", "a", "b"}}) {
        const ProcessResult r = runLevelTool(args);
        EXPECT_EQ(r.exitStatus, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("zuno-level --help"), std::string::npos);
    }
    for (const char* verb : {"compile", "decompile", "check", "render"}) {
        const ProcessResult r = runLevelTool({verb, "x.txt", "--help"});
        EXPECT_EQ(r.exitStatus, 0) << verb;
        EXPECT_EQ(r.out.rfind("usage: zuno-level", 0), 0u) << verb;
    }
    const ProcessResult help = runLevelTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* word : {"compile", "decompile", "check", "#", "1.5", "40 world units", "overlap"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

TEST(LevelTool, CompileWritesTheLevelAndDecompileGivesItBack) {
    TempDir dir;
    writeFile(dir.file("a.txt"), "# two\n1000 0 1200 0 1000 200\n\n1200 0 1200 200 1000 200  # second\n");
    ASSERT_EQ(runLevelTool({"compile", dir.file("a.txt"), dir.file("a.lev")}).exitStatus, 0);
    const std::vector<FileTriangle> expected = {FileTriangle{{1000, 0, 1200, 0, 1000, 200}},
                                                FileTriangle{{1200, 0, 1200, 200, 1000, 200}}};
    EXPECT_EQ(readFile(dir.file("a.lev")), encodeLevel(expected));
    // To standard output (a pipe here), which a rename could not replace.
    const ProcessResult piped = runLevelTool({"compile", dir.file("a.txt"), "/dev/stdout"});
    EXPECT_EQ(piped.exitStatus, 0) << piped.err;
    EXPECT_EQ(piped.out, encodeLevel(expected));

    // decompile then compile: the shipped level's bytes come back unchanged.
    const std::string shipped = ZUNO_BINARY_DIR "/0.lev";
    const ProcessResult text = runLevelTool({"decompile", shipped});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    writeFile(dir.file("b.txt"), text.out);
    ASSERT_EQ(runLevelTool({"compile", dir.file("b.txt"), dir.file("b.lev")}).exitStatus, 0);
    EXPECT_EQ(readFile(dir.file("b.lev")), readFile(shipped));
}

TEST(LevelTool, FailedCompileLeavesTheOutputAsItWas) {
    TempDir dir;
    writeFile(dir.file("out.lev"), "old");
    writeFile(dir.file("bad.txt"), "1000 0 1200 0 1000 200\n1 2 3 x 5 6\n");
    ProcessResult r = runLevelTool({"compile", dir.file("bad.txt"), dir.file("out.lev")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, dir.file("bad.txt") + ":2: \"x\" is not an integer\n");
    EXPECT_EQ(readFile(dir.file("out.lev")), "old");

    // A geometry problem stops the compile too, unless the checks are skipped.
    writeFile(dir.file("flat.txt"), "1000 0 1100 100 1200 200\n");
    r = runLevelTool({"compile", dir.file("flat.txt"), dir.file("out.lev")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find(dir.file("flat.txt") + ":1: triangle 0: zero area"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir.file("out.lev")), "old");
    EXPECT_EQ(runLevelTool({"compile", "--no-check", dir.file("flat.txt"), dir.file("out.lev")}).exitStatus, 0);
    EXPECT_EQ(readFile(dir.file("out.lev")).size(), 28u);

    // An output that cannot be written.
    writeFile(dir.file("good.txt"), "1000 0 1200 0 1000 200\n");
    r = runLevelTool({"compile", dir.file("good.txt"), dir.file("missing/out.lev")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find(dir.file("missing/out.lev") + ": cannot write"), std::string::npos) << r.err;
}

TEST(LevelTool, CheckPassesTheShippedCourseAndReportsBadLevels) {
    for (const std::string& path : {std::string(ZUNO_BINARY_DIR "/0.lev"), std::string(ZUNO_SOURCE_DIR "/data/course.txt")}) {
        const ProcessResult r = runLevelTool({"check", path});
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        EXPECT_NE(r.out.find(" triangles, x "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(", ok\n"), std::string::npos) << r.out;
    }

    TempDir dir;
    writeFile(dir.file("short.lev"), encodeLevel({FileTriangle{{1000, 0, 1200, 0, 1000, 200}}}).substr(0, 20));
    ProcessResult r = runLevelTool({"check", dir.file("short.lev")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, dir.file("short.lev") + ": truncated: 0 of 1 triangles\n");

    // Two overlapping triangles in a level file: named by index only.
    writeFile(dir.file("two.lev"), encodeLevel({FileTriangle{{1000, 0, 1200, 0, 1000, 200}},
                                                FileTriangle{{1050, 50, 1250, 50, 1050, 250}}}));
    r = runLevelTool({"check", dir.file("two.lev")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, dir.file("two.lev") + ": triangles 0 and 1 overlap\n");

    // A drawing is checked as compile writes it: a corner rounded by 5
    // units, refused as first flattened, passes.
    writeFile(dir.file("round.svg"), "<svg><rect x=\"600\" y=\"600\" width=\"400\" height=\"200\" rx=\"5\"/></svg>");
    r = runLevelTool({"check", dir.file("round.svg")});
    EXPECT_EQ(r.exitStatus, 0) << r.err;

    r = runLevelTool({"decompile", dir.path()});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, dir.path() + ": is a directory\n");
}

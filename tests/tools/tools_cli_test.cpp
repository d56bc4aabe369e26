// The built zuno-replay: exit status 0, 1 and 2 with their messages, and a
// drive that ignores the current directory's 0.lev.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "tools/replays/headless_run.h"
#include "tools/output/png_file.h"
#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

namespace {

const std::string kTool = ZUNO_BINARY_DIR "/zuno-replay";

ProcessResult tool(const std::vector<std::string>& args, const std::string& cwd = "") {
    ProcessOptions options;
    options.workingDirectory = cwd;
    options.timeoutSeconds = 60;
    return runProcess(kTool, args, options);
}

}  // namespace

TEST(ZunoReplayTool, UsageErrorsExitTwo) {
    EXPECT_EQ(tool({}).exitStatus, 2);
    EXPECT_EQ(tool({"frobnicate"}).exitStatus, 2);
    EXPECT_EQ(tool({"render", "a.rec", "--level", "l.lev", "-o", "x.png"}).err,
              "zuno-replay: missing --frame\nTry 'zuno-replay --help'.\n");
    EXPECT_EQ(tool({"gif", "a.rec", "--level", "l.lev", "-o", "x.gif", "--every", "0"}).exitStatus, 2);
    EXPECT_EQ(tool({"drive", "--level", "l.lev", "--keys", "k", "-o", "x.rec", "--colour", "red"}).exitStatus, 2);
    EXPECT_EQ(tool({"info", "a.rec", "b.rec"}).exitStatus, 2);

    ProcessResult help = tool({"drive", "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("FRAME press|release KEY"), std::string::npos);
}

TEST(ZunoReplayTool, InfoJudgesTheFile) {
    TempDir dir;
    writeFile(dir.file("good.rec"), recordBytes({1, 2, 3, 4, 5, 6, 7, 8}) + recordBytes({4, 6, 3, 4, 5, 6, 7, 8}));
    ProcessResult good = tool({"info", dir.file("good.rec")});
    EXPECT_EQ(good.exitStatus, 0) << good.err;
    EXPECT_NE(good.out.find("2 whole records"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("playback:      4 frames"), std::string::npos) << good.out;

    writeFile(dir.file("short.rec"), std::string(100, '\0'));
    ProcessResult partial = tool({"info", dir.file("short.rec")});
    EXPECT_EQ(partial.exitStatus, 1);
    EXPECT_EQ(partial.err.rfind(dir.file("short.rec") + ": not a replay: length 100", 0), 0u) << partial.err;

    ProcessResult missing = tool({"info", dir.file("none.rec")});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, dir.file("none.rec") + ": cannot open: " + std::strerror(ENOENT) + "\n");
}

TEST(ZunoReplayTool, DriveRenderAndTheirBadInputs) {
    TempDir dir;
    std::string levelPath = dir.file("floor.lev");
    writeFile(levelPath, floorLevelBytes());
    writeFile(dir.file("0.lev"), std::string("\0\0\0\0", 4));  // an empty level the periodic reload must not read
    writeFile(dir.file("run.keys"), "0 press up\n50 press space\n50 release space\n");

    std::vector<std::string> args = {"drive", "--level", levelPath, "--keys", dir.file("run.keys"), "-o",
                                     dir.file("run.rec"), "--frames", "120"};
    ProcessResult drive = tool(args, dir.path());
    ASSERT_EQ(drive.exitStatus, 0) << drive.err;
    std::string first = readFile(dir.file("run.rec"));
    ASSERT_EQ(first.size(), 120u * 64);
    ASSERT_EQ(tool(args, dir.path()).exitStatus, 0);
    EXPECT_TRUE(readFile(dir.file("run.rec")) == first);

    // The level's text form drives the same run; a text file not named .txt
    // is said to be text.
    const ProcessResult text = runProcess(ZUNO_BINARY_DIR "/zuno-level", {"decompile", levelPath});
    writeFile(dir.file("floor.txt"), text.out);
    args[2] = dir.file("floor.txt");
    ASSERT_EQ(tool(args).exitStatus, 0);
    EXPECT_TRUE(readFile(dir.file("run.rec")) == first);
    writeFile(dir.file("text.lev"), text.out);
    args[2] = dir.file("text.lev");
    EXPECT_NE(tool(args).err.find("this is text"), std::string::npos);
    args[2] = levelPath;

    // The in-process drive, from another directory, gives the same bytes.
    KeyScript script;
    std::string error;
    ASSERT_TRUE(loadKeyScript(dir.file("run.keys"), script, error));
    ASSERT_EQ(driveToFile(levelPath, script, 120, dir.file("here.rec")), "");
    EXPECT_TRUE(readFile(dir.file("here.rec")) == first);

    ProcessResult render = tool({"render", dir.file("run.rec"), "--level", levelPath, "--frame", "60", "-o",
                                 dir.file("f.png")});
    EXPECT_EQ(render.exitStatus, 0) << render.err;
    RgbImage picture;
    EXPECT_EQ(readPng(dir.file("f.png"), picture), "");
    EXPECT_EQ(picture.width, 1024);

    ProcessResult past = tool({"render", dir.file("run.rec"), "--level", levelPath, "--frame", "122", "-o",
                               dir.file("f.png")});
    EXPECT_EQ(past.exitStatus, 1);
    EXPECT_NE(past.err.find("past the end of the playback (122 frames"), std::string::npos) << past.err;

    writeFile(dir.file("bad.keys"), "0 press up\n\n7 press up\n");
    args[4] = dir.file("bad.keys");
    ProcessResult badScript = tool(args);
    EXPECT_EQ(badScript.exitStatus, 1);
    EXPECT_EQ(badScript.err.rfind(dir.file("bad.keys") + ":3: up is already down", 0), 0u) << badScript.err;

    ProcessResult badLevel = tool({"gif", dir.file("run.rec"), "--level", dir.file("none.lev"), "-o",
                                   dir.file("x.gif")});
    EXPECT_EQ(badLevel.exitStatus, 1);
    EXPECT_EQ(badLevel.err.rfind(dir.file("none.lev") + ": cannot open", 0), 0u) << badLevel.err;
}

TEST(ZunoLevelTool, RenderSubcommand) {
    TempDir dir;
    writeFile(dir.file("floor.lev"), floorLevelBytes());
    ProcessResult ok = runProcess(ZUNO_BINARY_DIR "/zuno-level", {"render", dir.file("floor.lev"), "-o", dir.file("l.png")});
    EXPECT_EQ(ok.exitStatus, 0) << ok.err;
    RgbImage picture;
    EXPECT_EQ(readPng(dir.file("l.png"), picture), "");
    EXPECT_EQ(picture.width, 1024);
    EXPECT_EQ(runProcess(ZUNO_BINARY_DIR "/zuno-level", {"render", dir.file("floor.lev")}).exitStatus, 2);
    EXPECT_EQ(runProcess(ZUNO_BINARY_DIR "/zuno-level", {"render", dir.file("no.lev"), "-o", "x.png"}).exitStatus, 1);
}

// zuno-replay: replay files for players and level authors. Reports on a
// replay, draws one of its frames or an animated GIF with the game's own
// drawing, and records a scripted drive. Exit status 0 ok, 1 bad input, 2 usage.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/input_file.h"
#include "tools/common/text_words.h"
#include "tools/levels/level_source.h"
#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "tools/replays/replay_gif.h"
#include "tools/replays/replay_stats.h"

namespace {

const char* const kUsage =
    "Usage: zuno-replay COMMAND ...   (zuno-replay COMMAND --help: this text)\n"
    "\n"
    "  info FILE.rec\n"
    "      Records (numbered from 0), length, duration, the body ball's extent,\n"
    "      distance and top speed.\n"
    "  render FILE.rec --level L.lev --frame N -o OUT.png\n"
    "      The picture replay mode shows at frame N (0 = first frame).\n"
    "  gif FILE.rec --level L.lev -o OUT.gif [--from N] [--to M] [--every K] [--scale S]\n"
    "      Animated GIF of frames N to M (default: all), every K-th frame (default 3),\n"
    "      shrunk S times (default 2), timed at the game's 16 ms a frame.\n"
    "  drive --level L.lev --keys SCRIPT -o OUT.rec [--frames N]\n"
    "      Records a live run whose keys come from SCRIPT, without a window. Runs N\n"
    "      frames (default: the last event's frame + 300).\n"
    "\n"
    "L.lev is a level file, or the level's text form when its name ends in \".txt\".\n"
    "\n"
    "A key script holds one event a line, \"FRAME press|release KEY\", frames from 0 and\n"
    "never decreasing; \"#\" starts a comment. Keys: up, down, left, right, space, return,\n"
    "lshift, q, e, a, d, w, s, f. The events of frame F are in the key-state array when\n"
    "frame F's controls read it. See the README.\n"
    "\n"
    "Exit status: 0 done, 1 bad input (the message names the file), 2 usage error.\n";

// The level of --level in either form, as the headless game's loader reads it.
std::string levelFor(const Arguments& a, LoadableLevel& level) { return level.open(a.required("--level")); }

int fail(const std::string& message) {
    std::cerr << message << '\n';
    return kExitBadInput;
}

std::string realTime(double seconds, int64_t frames) {
    double played = static_cast<double>(frames) * kPaceMsPerFrame / 1000.0;
    char text[96];
    std::snprintf(text, sizeof text, "%.2f s, %.0f x real time", seconds, seconds > 0 ? played / seconds : 0.0);
    return text;
}

int info(const Arguments& a) {
    std::string path = a.only("replay file");
    std::ifstream in;
    if (std::string fault = openInputFile(path, in); !fault.empty()) return fail(fault);
    ReplayStats stats;
    if (!analyseReplay(in, stats)) return fail(path + ": read error");
    printReplayStats(std::cout, path, stats);
    std::string problem = replayProblem(stats);
    if (!problem.empty()) return fail(path + ": not a replay: " + problem);
    return kExitOk;
}

int render(const Arguments& a) {
    std::string replay = a.only("replay file");
    std::string out = a.required("-o");
    int64_t frame = a.integer("--frame", -1, 0, INT32_MAX);
    if (frame < 0) throw UsageError{"missing --frame"};
    LoadableLevel level;
    if (std::string error = levelFor(a, level); !error.empty()) return fail(error);
    std::string error = renderReplayFrame(replay, level.path(), frame, out);
    return error.empty() ? kExitOk : fail(error);
}

int gif(const Arguments& a) {
    std::string replay = a.only("replay file");
    GifOptions options;
    std::string out = a.required("-o");
    options.from = a.integer("--from", 0, 0, INT32_MAX);
    options.to = a.integer("--to", -1, 0, INT32_MAX);
    options.every = static_cast<int>(a.integer("--every", 3, 1, 1000));
    options.scale = static_cast<int>(a.integer("--scale", 2, 1, 16));
    if (options.to >= 0 && options.to < options.from) throw UsageError{"--to comes before --from"};
    if (isatty(STDERR_FILENO)) options.progress = &std::cerr;
    LoadableLevel level;
    if (std::string error = levelFor(a, level); !error.empty()) return fail(error);
    GifSummary summary;
    std::string error = renderReplayGif(replay, level.path(), out, options, summary);
    if (!error.empty()) return fail(error);
    std::cout << out << ": " << counted(summary.frames, "frame") << " of " << summary.width << " x " << summary.height
              << " for playback frames " << summary.from << " to " << summary.to << " ("
              << realTime(summary.seconds, summary.to + 1) << ")\n";
    return kExitOk;
}

int driveCommand(const Arguments& a) {
    a.nonePositional();
    a.required("--level");
    std::string scriptPath = a.required("--keys");
    std::string out = a.required("-o");
    KeyScript script;
    std::string error;
    if (!loadKeyScript(scriptPath, script, error)) return fail(error);
    int32_t frames = static_cast<int32_t>(a.integer("--frames", defaultDriveFrames(script), 1, 100000000));
    LoadableLevel level;
    if (error = levelFor(a, level); !error.empty()) return fail(error);
    auto started = std::chrono::steady_clock::now();
    error = driveToFile(level.path(), script, frames, out);
    if (!error.empty()) return fail(error);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!script.events.empty() && script.events.back().frame >= frames)
        std::cerr << scriptPath << ": note: events from frame " << frames << " on are past the end of the run\n";
    std::cout << out << ": " << counted(frames, "frame") << " (" << realTime(seconds, frames) << ")\n";
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<Verb> verbs = {
        {"info", {}, nullptr, info},
        {"render", {{"--level", "--frame", "-o"}, {}}, nullptr, render},
        {"gif", {{"--level", "-o", "--from", "--to", "--every", "--scale"}, {}}, nullptr, gif},
        {"drive", {{"--level", "--keys", "-o", "--frames"}, {}}, nullptr, driveCommand},
    };
    return runTool(argc, argv, "zuno-replay", kUsage, verbs, std::cout, std::cerr);
}

// zuno-replay: replay files for players and level authors. Reports on a
// replay, draws one of its frames or an animated GIF with the game's own
// drawing, and records a scripted drive. Exit status 0 ok, 1 bad input, 2 usage.
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "tools/replays/replay_gif.h"
#include "tools/replays/replay_stats.h"

namespace {

const char* const kUsage =
    "Usage: zuno-replay COMMAND ...\n"
    "\n"
    "  info FILE.rec\n"
    "      Records, length, duration, the body ball's extent, distance and top speed.\n"
    "  render FILE.rec --level L.lev --frame N -o OUT.png\n"
    "      The picture replay mode shows at frame N (0 = first frame).\n"
    "  gif FILE.rec --level L.lev -o OUT.gif [--from N] [--to M] [--every K] [--scale S]\n"
    "      Animated GIF of frames N to M (default: all), every K-th frame (default 3),\n"
    "      shrunk S times (default 2), timed at the game's 16 ms a frame.\n"
    "  drive --level L.lev --keys SCRIPT -o OUT.rec [--frames N]\n"
    "      Records a live run whose keys come from SCRIPT, without a window. Runs N\n"
    "      frames (default: the last event's frame + 300).\n"
    "\n"
    "A key script holds one event a line, \"FRAME press|release KEY\", frames from 0 and\n"
    "never decreasing; \"#\" starts a comment. Keys: up, down, left, right, space, return,\n"
    "lshift, q, e, a, d, w, s, f. The events of frame F are in the key-state array when\n"
    "frame F's controls read it. See the README.\n"
    "\n"
    "Exit status: 0 done, 1 bad input (the message names the file), 2 usage error.\n";

struct UsageError {
    std::string message;
};

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool help = false;
};

// Splits "--name value", "--name=value" and "-o value" from positional words.
Arguments parse(int argc, char** argv, int first, const std::vector<std::string>& known) {
    Arguments a;
    for (int i = first; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            a.help = true;
            continue;
        }
        if (word.size() < 2 || word[0] != '-') {
            a.positional.push_back(word);
            continue;
        }
        std::string name = word, value;
        bool inlineValue = false;
        if (std::size_t eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = word.substr(0, eq);
            value = word.substr(eq + 1);
            inlineValue = true;
        }
        bool isKnown = false;
        for (const std::string& k : known) isKnown = isKnown || k == name;
        if (!isKnown) throw UsageError{"unknown option " + name};
        if (!inlineValue) {
            if (i + 1 >= argc) throw UsageError{"option " + name + " needs a value"};
            value = argv[++i];
        }
        if (a.options.count(name)) throw UsageError{"option " + name + " given twice"};
        a.options[name] = value;
    }
    return a;
}

std::string required(const Arguments& a, const std::string& name) {
    auto it = a.options.find(name);
    if (it == a.options.end()) throw UsageError{"missing " + name};
    if (it->second.empty()) throw UsageError{"empty value for " + name};
    return it->second;
}

int64_t integer(const Arguments& a, const std::string& name, int64_t fallback, int64_t low, int64_t high) {
    auto it = a.options.find(name);
    if (it == a.options.end()) return fallback;
    const std::string& text = it->second;
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError{name + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not \"" + text + "\""};
    return value;
}

std::string onlyFile(const Arguments& a, const char* what) {
    if (a.positional.size() != 1)
        throw UsageError{a.positional.empty() ? std::string("missing ") + what
                                              : "unexpected argument \"" + a.positional[1] + "\""};
    return a.positional[0];
}

void noPositional(const Arguments& a) {
    if (!a.positional.empty()) throw UsageError{"unexpected argument \"" + a.positional[0] + "\""};
}

int fail(const std::string& message) {
    std::cerr << message << '\n';
    return 1;
}

std::string realTime(double seconds, int64_t frames) {
    double played = static_cast<double>(frames) * kPaceMsPerFrame / 1000.0;
    char text[96];
    std::snprintf(text, sizeof text, "%.2f s, %.0f x real time", seconds, seconds > 0 ? played / seconds : 0.0);
    return text;
}

int info(const Arguments& a) {
    std::string path = onlyFile(a, "replay file");
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return fail(path + ": is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(path + ": cannot open");
    ReplayStats stats;
    if (!analyseReplay(in, stats)) return fail(path + ": read error");
    printReplayStats(std::cout, path, stats);
    std::string problem = replayProblem(stats);
    if (!problem.empty()) return fail(path + ": not a replay: " + problem);
    return 0;
}

int render(const Arguments& a) {
    std::string replay = onlyFile(a, "replay file");
    std::string levelPath = required(a, "--level");
    std::string out = required(a, "-o");
    int64_t frame = integer(a, "--frame", -1, 0, INT32_MAX);
    if (frame < 0) throw UsageError{"missing --frame"};
    std::string error = renderReplayFrame(replay, levelPath, frame, out);
    return error.empty() ? 0 : fail(error);
}

int gif(const Arguments& a) {
    std::string replay = onlyFile(a, "replay file");
    GifOptions options;
    std::string levelPath = required(a, "--level");
    std::string out = required(a, "-o");
    options.from = integer(a, "--from", 0, 0, INT32_MAX);
    options.to = integer(a, "--to", -1, 0, INT32_MAX);
    options.every = static_cast<int>(integer(a, "--every", 3, 1, 1000));
    options.scale = static_cast<int>(integer(a, "--scale", 2, 1, 16));
    if (options.to >= 0 && options.to < options.from) throw UsageError{"--to comes before --from"};
    if (isatty(STDERR_FILENO)) options.progress = &std::cerr;
    GifSummary summary;
    std::string error = renderReplayGif(replay, levelPath, out, options, summary);
    if (!error.empty()) return fail(error);
    std::cout << out << ": " << summary.frames << " frames of " << summary.width << " x " << summary.height
              << " for playback frames " << summary.from << " to " << summary.to << " ("
              << realTime(summary.seconds, summary.to + 1) << ")\n";
    return 0;
}

int driveCommand(const Arguments& a) {
    noPositional(a);
    std::string levelPath = required(a, "--level");
    std::string scriptPath = required(a, "--keys");
    std::string out = required(a, "-o");
    KeyScript script;
    std::string error;
    if (!loadKeyScript(scriptPath, script, error)) return fail(error);
    int32_t frames = static_cast<int32_t>(integer(a, "--frames", defaultDriveFrames(script), 1, 100000000));
    auto started = std::chrono::steady_clock::now();
    error = driveToFile(levelPath, script, frames, out);
    if (!error.empty()) return fail(error);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!script.events.empty() && script.events.back().frame >= frames)
        std::cerr << scriptPath << ": note: events from frame " << frames << " on are past the end of the run\n";
    std::cout << out << ": " << frames << " frames (" << realTime(seconds, frames) << ")\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    try {
        if (command == "info") {
            Arguments a = parse(argc, argv, 2, {});
            return a.help ? (std::cout << kUsage, 0) : info(a);
        }
        if (command == "render") {
            Arguments a = parse(argc, argv, 2, {"--level", "--frame", "-o"});
            if (a.help) return std::cout << kUsage, 0;
            return render(a);
        }
        if (command == "gif") {
            Arguments a = parse(argc, argv, 2, {"--level", "-o", "--from", "--to", "--every", "--scale"});
            if (a.help) return std::cout << kUsage, 0;
            return gif(a);
        }
        if (command == "drive") {
            Arguments a = parse(argc, argv, 2, {"--level", "--keys", "-o", "--frames"});
            if (a.help) return std::cout << kUsage, 0;
            return driveCommand(a);
        }
        throw UsageError{"unknown command \"" + command + "\""};
    } catch (const UsageError& e) {
        std::cerr << "zuno-replay: " << e.message << "\nTry 'zuno-replay --help'.\n";
        return 2;
    }
}

// Drive and render for the page's API, isolated from the page's run.
#include "web/api.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "sim/contact_list.h"
#include "sim/world.h"
#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "tools/shapes/shape_compile.h"
#include "tools/shapes/shape_union.h"
#include "tools/shapes/svg_reader.h"
#include "web/byte_sink.h"
#include "web/level_input.h"
#include "web/sdl/sdl_web.h"

namespace {

// The files the headless runs read, named as messages show them.
constexpr const char* kLevelPath = "level.lev";
constexpr const char* kReplayPath = "replay.rec";
constexpr int32_t kMaxDriveFrames = 100000000;  // `zuno-replay drive --frames` takes no more

// The global World, Level, ContactList, key-state array and waiting events
// of the page's run, set aside while a headless run uses them.
class PageStateAside {
public:
    PageStateAside() : world_(world), level_(std::make_unique<Level>(level)), contacts_(contactList) {
        std::memcpy(keys_, SDL_GetKeyState(nullptr), sizeof keys_);
        sdlWebSetEventsAside(true);
    }
    ~PageStateAside() {
        world = world_;
        level = *level_;
        contactList = contacts_;
        std::memcpy(SDL_GetKeyState(nullptr), keys_, sizeof keys_);
        sdlWebSetEventsAside(false);
    }
    PageStateAside(const PageStateAside&) = delete;
    PageStateAside& operator=(const PageStateAside&) = delete;

private:
    World world_;
    std::unique_ptr<Level> level_;
    ContactList contacts_;
    Uint8 keys_[SDLK_LAST];
};

// Whether the region fills more or less than its outlines filled one by
// one, as the editor's shapes are: holes, or an even-odd fill.
bool fillsOtherwiseAlone(const SourceRegion& region) {
    if (region.outlines.size() < 2 && !region.evenOdd) return false;
    std::vector<SourceRegion> alone;
    for (const Ring& r : region.outlines) alone.push_back(SourceRegion{{r}, false, region.line, region.label, {}});
    const std::vector<SolidPolygon> a = uniteRegions({region}), b = uniteRegions(alone);
    if (a.size() != b.size()) return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].outer != b[i].outer || a[i].holes != b[i].holes) return true;
    return false;
}

void putOutline(std::vector<int32_t>& words, bool kept, int line, const int32_t* xy, size_t points) {
    words.push_back(kept ? 1 : 0);
    words.push_back(line);
    words.push_back(static_cast<int32_t>(points));
    words.insert(words.end(), xy, xy + 2 * points);
}

}  // namespace

std::string apiDrive(const std::vector<uint8_t>& levelBytes, const std::string& keys, int32_t frames,
                     std::vector<uint8_t>& replay) {
    std::istringstream in(keys);
    KeyScript script;
    std::string error;
    if (!parseKeyScript(in, "keys", script, error)) return error;
    if (frames < 0) frames = defaultDriveFrames(script);
    if (frames < 1 || frames > kMaxDriveFrames)
        return "frames: " + std::to_string(frames) + " is outside 1 to " + std::to_string(kMaxDriveFrames);
    if (std::string e = writeWholeFile(kLevelPath, levelBytes); !e.empty()) return e;
    PageStateAside aside;
    replay.clear();
    return drive(kLevelPath, script, frames, std::make_unique<ByteSinkStream>(replay), kReplayPath);
}

std::string apiRender(const std::vector<uint8_t>& replayBytes, const std::vector<uint8_t>& levelBytes,
                      int64_t frame, std::vector<uint8_t>& rgba) {
    if (std::string e = writeWholeFile(kLevelPath, levelBytes); !e.empty()) return e;
    if (std::string e = writeWholeFile(kReplayPath, replayBytes); !e.empty()) return e;
    if (frame < 0) return std::string(kReplayPath) + ": frame " + std::to_string(frame) + " is below 0";

    PageStateAside aside;
    HeadlessGame game;
    if (std::string error = renderReplayFrame(game, kReplayPath, kLevelPath, frame); !error.empty()) return error;
    const SDL_Surface* s = game.surface();
    rgba.resize(static_cast<std::size_t>(s->w) * s->h * 4);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            const uint32_t p = pixelAt(s, x, y);
            uint8_t* o = &rgba[(static_cast<std::size_t>(y) * s->w + x) * 4];
            o[0] = static_cast<uint8_t>(p >> 16);
            o[1] = static_cast<uint8_t>(p >> 8);
            o[2] = static_cast<uint8_t>(p);
            o[3] = 255;
        }
    return "";
}

std::string apiCompileLevel(const std::vector<uint8_t>& source, const std::string& name, std::vector<uint8_t>& level,
                            std::vector<std::string>& warnings) {
    CompiledLevel compiled;
    const std::string fault = compileLevel(std::string(source.begin(), source.end()), name, true, compiled);
    if (!fault.empty()) return fault;
    warnings = compiled.warnings;
    const std::string bytes = encodeLevel(compiled.triangles);
    level.assign(bytes.begin(), bytes.end());
    return "";
}

std::string apiReadSvg(const std::vector<uint8_t>& source, const std::string& name, std::vector<int32_t>& words,
                       std::vector<std::string>& warnings) {
    std::vector<SourceRegion> regions;
    KeptTriangles kept;
    warnings.clear();
    // Read as the compile writes it: where only curves flattened again make
    // the drawing sound, the editor gets those outlines, which then compile
    // as they stand once it writes them as polygons.
    const std::string bytes(source.begin(), source.end());
    CompiledLevel compiled;
    const Flattening curves = compileLevelSource(bytes, name, true, compiled).empty() ? compiled.curves : Flattening::first;
    if (std::string fault = readSvg(bytes, name, regions, warnings, &kept, curves); !fault.empty()) return fault;
    std::vector<int32_t> body;
    int32_t outlines = 0;
    size_t k = 0;
    const auto putKept = [&](size_t i) {
        putOutline(body, true, kept.lines[i], kept.triangles[i].c, 3);
        ++outlines;
    };
    for (const SourceRegion& region : regions) {
        while (k < kept.lines.size() && kept.lines[k] < region.line) putKept(k++);
        if (fillsOtherwiseAlone(region))
            warnings.push_back(name + ":" + std::to_string(region.line) + ": warning: " + region.label +
                               " has holes or an even-odd fill, which the editor fills outline by outline");
        for (const Ring& ring : region.outlines) {
            std::vector<int32_t> xy;  // the reader bounds every point well inside int32
            for (const IPoint& p : ring) {
                xy.push_back(static_cast<int32_t>(p.x));
                xy.push_back(static_cast<int32_t>(p.y));
            }
            putOutline(body, false, region.line, xy.data(), ring.size());
            ++outlines;
        }
    }
    while (k < kept.lines.size()) putKept(k++);
    // Each warning reads "NAME:LINE: ..."; in line order, as the file reads.
    const auto lineOf = [&](const std::string& w) {
        return w.size() > name.size() ? std::atoi(w.c_str() + name.size() + 1) : 0;
    };
    std::stable_sort(warnings.begin(), warnings.end(),
                     [&](const std::string& a, const std::string& b) { return lineOf(a) < lineOf(b); });
    // The outlines are each element's own, joined by the compile: where it
    // takes corners out of the join or moves them, polygons written from
    // them are refused.
    if (compiled.mended || compiled.nudged)
        warnings.insert(warnings.begin(),
                        name + ": warning: the compile " +
                            (compiled.mended ? "takes corners out where its shapes meet" : "") +
                            (compiled.mended && compiled.nudged ? " and " : "") +
                            (compiled.nudged ? "moves corners where they meet or on its curves by a whole point or two" : "") +
                            ", which the editor's outlines keep: edit them there should the editor's compile refuse "
                            "them");
    words = {outlines, static_cast<int32_t>(warnings.size())};
    for (const std::string& w : warnings) words.push_back(lineOf(w));
    words.insert(words.end(), body.begin(), body.end());
    return "";
}

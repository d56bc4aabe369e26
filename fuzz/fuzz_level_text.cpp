// Fuzz target: any bytes as the text form of a level, compiled the way
// zuno-level compile does it (parse, check, encode). A parse either fails
// with one line naming the file, or its triangles survive the level file and
// the text form unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "tools/levels/level_check.h"
#include "app/level_file.h"
#include "tools/levels/level_text.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"

namespace {

const char* const kName = "fuzz.txt";

void checkOneLine(const std::string& message) {
    fuzz::checkMessages(message + "\n", kName, 1);
}

// The triangles through the level file, with the game's own loader.
void checkLevelFile(const LevelText& text) {
    static Level loaded;  // 240 KB: kept off the stack
    std::istringstream bytes(encodeLevel(text.triangles));
    const std::string refused = LevelLoader::readWhole(bytes, loaded);
    if (!refused.empty()) fuzz::fail("a compiled level is refused: %s", refused.c_str());
    if (!fuzz::sameTriangles(fileTriangles(loaded), text.triangles)) fuzz::fail("the level file changes the triangles");
}

void checkTextForm(const LevelText& text) {
    std::ostringstream formatted;
    formatLevelText(text.triangles, formatted);
    std::istringstream again(formatted.str());
    LevelText reparsed;
    const std::string fault = parseLevelText(again, kName, reparsed);
    if (!fault.empty()) fuzz::fail("the formatted text does not parse: %s", fault.c_str());
    if (!fuzz::sameTriangles(reparsed.triangles, text.triangles)) fuzz::fail("the text form changes the triangles");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    LevelText text;
    const std::string fault = parseLevelText(in, kName, text);
    fuzz::checkParsedText(text);
    if (!fault.empty()) {
        checkOneLine(fault);
        return 0;
    }
    checkLevelFile(text);
    checkTextForm(text);

    // The compile's checks, and their messages.
    for (const LevelProblem& p : checkLevel(text.triangles)) {
        if (p.triangle >= static_cast<int>(text.triangles.size()) || p.other >= static_cast<int>(text.triangles.size()))
            fuzz::fail("a problem names triangle %d of %zu", p.triangle, text.triangles.size());
        checkOneLine(formatProblem(p, kName, &text.lines));
    }
    const LevelBounds b = levelBounds(text.triangles);
    if (b.empty != text.triangles.empty()) fuzz::fail("bounds of an empty level");
    return 0;
}

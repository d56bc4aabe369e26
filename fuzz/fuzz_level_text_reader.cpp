// Fuzz target: any bytes as a level's text form, through the parser alone.
// A parse either fails with one line naming the file and the line, keeping
// only triangles of earlier lines, or gives triangles that its own text
// form gives back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tools/levels/level_text.h"

namespace {

const char* const kName = "fuzz.txt";

bool sameTriangles(const std::vector<FileTriangle>& a, const std::vector<FileTriangle>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

// The line a fault names ("fuzz.txt:LINE: ..."), or 0 when it names none.
long faultLine(const std::string& fault) {
    const std::size_t prefix = std::strlen(kName) + 1;
    if (fault.size() <= prefix || fault[prefix] < '0' || fault[prefix] > '9') return 0;
    return std::strtol(fault.c_str() + prefix, nullptr, 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    LevelText text;
    const std::string fault = parseLevelText(in, kName, text);
    if (text.lines.size() != text.triangles.size()) fuzz::fail("a line number for every triangle");
    for (std::size_t i = 1; i < text.lines.size(); ++i)
        if (text.lines[i] <= text.lines[i - 1]) fuzz::fail("triangle lines out of order");
    if (!text.lines.empty() && text.lines.front() < 1) fuzz::fail("a triangle of line %d", text.lines.front());
    if (text.triangles.size() > static_cast<std::size_t>(kMaxTriangles)) fuzz::fail("more than the level holds");
    if (!fault.empty()) {
        fuzz::checkMessages(fault + "\n", kName, 1);
        const long line = faultLine(fault);
        if (line == 0) fuzz::fail("a fault that names no line: %s", fault.c_str());
        if (!text.lines.empty() && text.lines.back() >= line)
            fuzz::fail("a triangle of line %d kept before the fault of line %ld", text.lines.back(), line);
        return 0;
    }

    std::ostringstream formatted;
    formatLevelText(text.triangles, formatted);
    std::istringstream again(formatted.str());
    LevelText reparsed;
    const std::string refault = parseLevelText(again, kName, reparsed);
    if (!refault.empty()) fuzz::fail("the formatted text does not parse: %s", refault.c_str());
    if (!sameTriangles(reparsed.triangles, text.triangles)) fuzz::fail("the text form changes the triangles");
    return 0;
}

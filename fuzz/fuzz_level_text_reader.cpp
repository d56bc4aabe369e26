// Fuzz target: any bytes as a level's text form, through the parser alone.
// Its triangles, their lines and the line of its first fault must be those
// a model of the text finds; a fault is one line naming the file and the
// line, and what parses comes back unchanged from its own text form. From
// a device that fails at the end, the parse reports the read error.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"
#include "tools/levels/level_text.h"

namespace {

const char* const kName = "fuzz.txt";

long faultLine(const std::string& fault) { return fuzz::messageLine(fault, kName); }

// The text read here by other means: lines cut at "\n" (a last line
// without one counts), comments from "#", words between blanks, each an
// optional sign and digits within 32 bits, six a triangle or none a line.
struct ModelResult {
    std::vector<FileTriangle> triangles;
    std::vector<int> lines;
    int faultLine = 0;  // 0: accepted
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The word [w, end) as a number: a sign, then digits, leading zeros aside
// at most ten of them, within 32 bits.
bool wordValue(const char* w, const char* end, int32_t& value) {
    const bool negative = *w == '-';
    if (*w == '+' || *w == '-') ++w;
    if (w == end || !std::all_of(w, end, isDigit)) return false;
    while (w + 1 < end && *w == '0') ++w;
    if (end - w > 10) return false;
    int64_t v = 0;
    for (; w < end; ++w) v = v * 10 + (*w - '0');
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}

ModelResult modelOf(const uint8_t* data, std::size_t size) {
    ModelResult m;
    const char* p = reinterpret_cast<const char*>(data);
    const char* const textEnd = p + size;
    for (int lineNumber = 1; p < textEnd; ++lineNumber) {
        const char* const lineEnd = std::find(p, textEnd, '\n');
        const char* const next = lineEnd == textEnd ? textEnd : lineEnd + 1;
        int32_t numbers[6];
        int count = 0;
        for (const auto& [word, wordEnd] : fuzz::lineWords(p, lineEnd)) {
            int32_t value;
            if (!wordValue(word, wordEnd, value)) {
                m.faultLine = lineNumber;
                return m;
            }
            if (count < 6) numbers[count] = value;
            ++count;
        }
        p = next;
        if (count == 0) continue;
        if (count != 6 || m.triangles.size() == static_cast<std::size_t>(kMaxTriangles)) {
            m.faultLine = lineNumber;
            return m;
        }
        FileTriangle t;
        std::copy(numbers, numbers + 6, t.c);
        m.triangles.push_back(t);
        m.lines.push_back(lineNumber);
    }
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    LevelText text;
    const std::string fault = parseLevelText(in, kName, text);
    fuzz::checkParsedText(text);
    if (!text.lines.empty() && text.lines.front() < 1) fuzz::fail("a triangle of line %d", text.lines.front());
    const ModelResult model = modelOf(data, size);
    if (!fuzz::sameTriangles(text.triangles, model.triangles) || text.lines != model.lines)
        fuzz::fail("%zu triangles read, the text holds %zu before its first fault", text.triangles.size(),
                   model.triangles.size());
    if (fault.empty() != (model.faultLine == 0) || (!fault.empty() && faultLine(fault) != model.faultLine))
        fuzz::fail("\"%s\", the text's first fault is on line %d", fault.c_str(), model.faultLine);
    // From a device that fails at the end: the same fault when its line came
    // whole, else a read error.
    {
        const std::string bytes(reinterpret_cast<const char*>(data), size);
        fuzz::FailingAtEnd device(bytes);
        std::istream failing(&device);
        LevelText partial;
        const std::string failed = parseLevelText(failing, kName, partial);
        const bool sameFault = !fault.empty() && fuzz::lineEndsInNewline(data, size, faultLine(fault));
        const std::string expected = sameFault ? fault : std::string(kName) + ": read error";
        if (failed != expected)
            fuzz::fail("a device failing at the end: \"%s\", not \"%s\"", failed.c_str(), expected.c_str());
    }
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
    if (!fuzz::sameTriangles(reparsed.triangles, text.triangles)) fuzz::fail("the text form changes the triangles");
    return 0;
}

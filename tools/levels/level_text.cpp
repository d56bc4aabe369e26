// Parsing and formatting of the level's text form.
#include "tools/levels/level_text.h"

#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>

#include "tools/common/text_words.h"

namespace {

constexpr int kNumbersPerTriangle = 6;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Decimal integer with an optional sign; "" on success or what is wrong.
std::string toInt32(const std::string& token, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (token[0] == '+' || token[0] == '-') {
        negative = token[0] == '-';
        i = 1;
    }
    if (i == token.size()) return "\"" + shown(token) + "\" is not an integer";
    int64_t magnitude = 0;
    bool tooBig = false;
    for (; i < token.size(); ++i) {
        const char c = token[i];
        if (c < '0' || c > '9') return "\"" + shown(token) + "\" is not an integer";
        if (!tooBig) {
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > int64_t(std::numeric_limits<int32_t>::max()) + 1) tooBig = true;
        }
    }
    const int64_t v = negative ? -magnitude : magnitude;
    if (tooBig || v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        return shown(token) + " is outside the 32-bit integer range";
    value = int32_t(v);
    return "";
}

}  // namespace

std::string parseLevelText(std::istream& in, const std::string& name, LevelText& out) {
    out.triangles.clear();
    out.lines.clear();
    std::string line;
    std::string token;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        const std::string where = name + ":" + std::to_string(lineNumber) + ": ";
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        FileTriangle t{};
        int numbers = 0;
        size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && isSpace(line[i])) ++i;
            if (i == line.size()) break;
            const size_t start = i;
            while (i < line.size() && !isSpace(line[i])) ++i;
            token.assign(line, start, i - start);
            int32_t value = 0;
            const std::string fault = toInt32(token, value);
            if (!fault.empty()) return where + fault;
            if (numbers < kNumbersPerTriangle) t.c[numbers] = value;
            ++numbers;
        }
        if (numbers == 0) continue;
        if (numbers != kNumbersPerTriangle)
            return where + counted(numbers, "number") +
                   ", a triangle is 6 (x0 y0 x1 y1 x2 y2)";
        if (out.triangles.size() == size_t(kMaxTriangles))
            return where + "more than " + std::to_string(kMaxTriangles) + " triangles";
        out.triangles.push_back(t);
        out.lines.push_back(lineNumber);
    }
    if (in.bad()) return name + ": read error";
    return "";
}

void formatLevelText(const std::vector<FileTriangle>& triangles, std::ostream& out) {
    out << "# " << counted(triangles.size(), "triangle")
        << ": x0 y0  x1 y1  x2 y2 in file units (world = file x 1.5)\n";
    for (const FileTriangle& t : triangles) {
        out << t.c[0] << ' ' << t.c[1] << "  " << t.c[2] << ' ' << t.c[3] << "  " << t.c[4] << ' ' << t.c[5]
            << '\n';
    }
}

// Levels given to the page, refused with the messages the desktop gives.
#include "web/level_input.h"

#include <sstream>

#include "tools/levels/level_check.h"
#include "tools/levels/level_source.h"
#include "tools/levels/level_text.h"
#include "tools/output/output_file.h"

std::string levelFileFrom(const std::vector<uint8_t>& bytes, const std::string& name,
                          std::vector<uint8_t>& levelBytes) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    LevelText level;
    if (std::string fault = readLevelFrom(in, name, LevelForm::byName, level); !fault.empty()) return fault;
    if (!isLevelTextName(name)) {
        levelBytes = bytes;
        return "";
    }
    const std::vector<LevelProblem> problems = checkLevel(level.triangles);
    if (!problems.empty()) {
        std::string line = formatProblem(problems.front(), name, &level.lines);
        if (problems.size() > 1) line += " (and " + std::to_string(problems.size() - 1) + " more problems)";
        return line;
    }
    const std::string encoded = encodeLevel(level.triangles);
    levelBytes.assign(encoded.begin(), encoded.end());
    return "";
}

std::string writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string reason = replaceFile(path, std::string(bytes.begin(), bytes.end()));
    return reason.empty() ? "" : path + ": " + reason;
}

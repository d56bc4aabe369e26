// Levels given to the page, refused with the messages the desktop gives.
#include "web/level_input.h"

#include <memory>
#include <sstream>

#include "app/level_file.h"
#include "tools/levels/level_check.h"
#include "tools/levels/level_source.h"
#include "tools/levels/level_text.h"
#include "tools/output/output_file.h"

std::string levelFileFrom(const std::vector<uint8_t>& bytes, const std::string& name,
                          std::vector<uint8_t>& levelBytes) {
    const std::string text(bytes.begin(), bytes.end());
    if (isLevelTextName(name)) {
        std::istringstream in(text);
        LevelText parsed;
        if (std::string fault = parseLevelText(in, name, parsed); !fault.empty()) return fault;
        const std::vector<LevelProblem> problems = checkLevel(parsed.triangles);
        if (!problems.empty()) {
            std::string line = formatProblem(problems.front(), name, &parsed.lines);
            if (problems.size() > 1) line += " (and " + std::to_string(problems.size() - 1) + " more problems)";
            return line;
        }
        const std::string encoded = encodeLevel(parsed.triangles);
        levelBytes.assign(encoded.begin(), encoded.end());
        return "";
    }
    std::istringstream in(text);
    auto probe = std::make_unique<Level>();
    if (std::string reason = LevelLoader::readWhole(in, *probe); !reason.empty()) return name + ": " + reason;
    levelBytes = bytes;
    return "";
}

std::string writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string reason = replaceFile(path, std::string(bytes.begin(), bytes.end()));
    return reason.empty() ? "" : path + ": " + reason;
}

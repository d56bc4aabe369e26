// Reading levels in the tools, in either form.
#include "tools/levels/level_source.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "app/level_file.h"
#include "tools/common/input_file.h"
#include "tools/common/text_words.h"
#include "tools/output/output_file.h"
#include "tools/shapes/shape_compile.h"

namespace {

// Whether the stream's first bytes read as text: a text level given where a
// level file is read would otherwise be refused for its count alone (the
// bytes "# ZU" make 1431969827 triangles).
bool looksLikeText(std::istream& in) {
    in.clear();
    in.seekg(0);
    char head[64];
    in.read(head, sizeof head);
    const std::streamsize got = in.gcount();
    if (got <= 0) return false;
    for (std::streamsize i = 0; i < got; ++i) {
        const unsigned char c = static_cast<unsigned char>(head[i]);
        if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') return false;
        if (c >= 0x7f) return false;
    }
    return true;
}

}  // namespace

bool isLevelTextName(const std::string& path) { return endsWith(path, ".txt") || isSvgName(path); }

bool isSvgName(const std::string& path) { return endsWith(path, ".svg"); }

std::string readLevel(const std::string& path, LevelForm form, LevelText& level) {
    level = LevelText{};
    std::ifstream in;
    if (std::string fault = openInputFile(path, in); !fault.empty()) return fault;
    return readLevelFrom(in, path, form, level);
}

std::string readLevelFrom(std::istream& in, const std::string& name, LevelForm form, LevelText& level) {
    level = LevelText{};
    if (form == LevelForm::text || isLevelTextName(name)) {
        // Shapes and drawings are meshed as compile meshes them (bent,
        // moved or flattened again where that is what makes them sound);
        // where it refuses them they are meshed anyway, and their checks
        // are the caller's.
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (in.bad()) return name + ": read error";
        CompiledLevel compiled;
        if (!compileLevelSource(bytes.str(), name, true, compiled).empty())
            if (std::string fault = compileLevelSource(bytes.str(), name, false, compiled); !fault.empty()) return fault;
        level.triangles = std::move(compiled.triangles);
        level.lines = std::move(compiled.lines);
        return "";
    }
    auto loaded = std::make_unique<Level>();
    if (std::string reason = LevelLoader::readWhole(in, *loaded); !reason.empty()) {
        if (looksLikeText(in)) reason += " (this is text: a level's text form is read from a name ending in .txt)";
        return name + ": " + reason;
    }
    level.triangles = fileTriangles(*loaded);
    return "";
}

LoadableLevel::~LoadableLevel() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

std::string LoadableLevel::open(const std::string& path) {
    LevelText level;
    if (std::string fault = readLevel(path, LevelForm::byName, level); !fault.empty()) return fault;
    if (!isLevelTextName(path)) {
        path_ = path;
        return "";
    }
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/zuno-level-XXXXXX";
    const int fd = ::mkstemp(&name[0]);
    if (fd < 0) return path + ": cannot compile to a temporary level file: " + std::strerror(errno);
    ::close(fd);
    temporary_ = name;
    if (std::string reason = replaceFile(temporary_, encodeLevel(level.triangles)); !reason.empty())
        return path + ": cannot compile to a temporary level file: " + reason;
    path_ = temporary_;
    return "";
}

// Program directory from argv[0], at any length.
#include "app/program_dir.h"

std::string programDirectoryOf(const char* argv0) {
    if (!argv0) return {};
    std::string path(argv0);
    // "/" counts as well as "\" so that ./build/zuno finds its files from anywhere.
    std::size_t last = path.find_last_of("\\/");
    if (last == std::string::npos) return {};
    return path.substr(0, last + 1);
}

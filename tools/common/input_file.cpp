// Input files of the tools.
#include "tools/common/input_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

std::string openInputFile(const std::string& path, std::ifstream& in, std::ios::openmode mode) {
    // A directory opens as a stream on some systems and then reads nothing.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return path + ": is a directory";
    errno = 0;
    in.open(path, mode | std::ios::in);
    if (in.is_open()) return "";
    const int reason = errno;
    return path + ": cannot open" + (reason ? std::string(": ") + std::strerror(reason) : std::string());
}

// Output files written through a temporary and a rename.
#include "tools/output/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

OutputFile::OutputFile(const std::string& target) : target_(target) {
    struct stat st;
    direct_ = ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
    writePath_ = direct_ ? target : target + ".tmp" + std::to_string(::getpid());
}

OutputFile::~OutputFile() {
    if (!direct_ && !committed_) std::remove(writePath_.c_str());
}

std::string OutputFile::commit() {
    if (direct_) {
        committed_ = true;
        return "";
    }
    if (std::rename(writePath_.c_str(), target_.c_str()) != 0) return std::string("cannot replace: ") + std::strerror(errno);
    committed_ = true;
    return "";
}

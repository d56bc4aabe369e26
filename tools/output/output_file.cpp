// Output files written through a temporary and a rename.
#include "tools/output/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string cannotWrite(int reason) { return std::string("cannot write: ") + std::strerror(reason); }

// A new file beside the target, made with O_EXCL so that it is never one
// that was already there (nor a link planted under its name); the system
// applies the umask to it as to any new file.
int createTemporary(const std::string& target, std::string& path) {
    static std::atomic<unsigned> made{0};
    int fd = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(made++);
        do fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST) break;
    }
    return fd;
}

// /dev/stdout, /dev/fd/N and /proc/self/fd/N name a descriptor the caller
// holds open; what they reach, a regular file included, is written in place,
// never replaced by another file of the same name.
bool namesDescriptor(const std::string& path) {
    return path.rfind("/dev/std", 0) == 0 || path.rfind("/dev/fd/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

}  // namespace

OutputFile::OutputFile(const std::string& target) : target_(target) {
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    direct_ = (exists && !S_ISREG(st.st_mode)) || namesDescriptor(target);
    if (direct_) {
        writePath_ = target;
        return;
    }
    if (exists) {
        // Through a symbolic link the file it names is replaced, not the link.
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    const int fd = createTemporary(target_, writePath_);
    if (fd < 0) {
        createErrno_ = errno;
        error_ = std::string("cannot create: ") + std::strerror(createErrno_);
        return;
    }
    if (exists) ::fchmod(fd, st.st_mode & 07777);  // the replaced file's permissions go on
    ::close(fd);
}

OutputFile::~OutputFile() {
    if (!direct_ && !committed_ && error_.empty()) ::unlink(writePath_.c_str());
}

std::string OutputFile::commit() {
    if (!error_.empty()) return error_;
    if (!direct_ && std::rename(writePath_.c_str(), target_.c_str()) != 0)
        return std::string("cannot replace: ") + std::strerror(errno);
    committed_ = true;
    return "";
}

std::string replaceFile(const std::string& path, const std::string& bytes) {
    OutputFile file(path);
    if (!file.error().empty()) return cannotWrite(file.createErrno_);
    int fd;
    // A descriptor's file is written where it stands (an appending one keeps
    // what it holds); the new temporary is emptied anyway.
    do fd = ::open(file.writePath().c_str(), O_WRONLY | O_CLOEXEC | (file.direct() ? 0 : O_TRUNC));
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return cannotWrite(errno);
    std::size_t done = 0;
    int reason = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reason = n < 0 ? errno : ENOSPC;
            break;
        }
        done += std::size_t(n);
    }
    if (::close(fd) != 0 && reason == 0) reason = errno;
    if (reason != 0) return cannotWrite(reason);
    return file.commit();
}

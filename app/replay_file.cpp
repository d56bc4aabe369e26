// Replay files: composing the name of a new recording, writing one 64-byte
// record per live frame, and reading them back frame by frame for playback.
#include "app/replay_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <streambuf>

namespace {

// A stream buffer over a file descriptor this program opened itself, so that
// a recording can be created with O_EXCL and the reason of any failing read,
// write or close is kept for the message.
class FdStreamBuf : public std::streambuf {
public:
    explicit FdStreamBuf(int fd) : fd_(fd) {
        setg(inBuffer_, inBuffer_, inBuffer_);
        setp(outBuffer_, outBuffer_ + sizeof outBuffer_);
    }
    ~FdStreamBuf() override { closeFd(); }

    // Writes out what is buffered and closes; returns the first errno seen
    // over the buffer's life, 0 when everything reached the file.
    int closeFd() {
        if (fd_ < 0) return error_;
        flushOut();
        if (::close(fd_) != 0 && error_ == 0) error_ = errno;
        fd_ = -1;
        return error_;
    }
    int error() const { return error_; }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (fd_ < 0 || error_ != 0) return traits_type::eof();
        ssize_t n;
        do n = ::read(fd_, inBuffer_, sizeof inBuffer_);
        while (n < 0 && errno == EINTR);
        if (n <= 0) {
            // A failing read ends the stream like the end of the file does,
            // so a playback always ends; the reason is kept for the message.
            if (n < 0) error_ = errno;
            return traits_type::eof();
        }
        consumed_ += n;
        setg(inBuffer_, inBuffer_, inBuffer_ + n);
        return traits_type::to_int_type(*gptr());
    }

    // Only "where am I" is answered: the offset of the next byte to read.
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
        if (off != 0 || dir != std::ios_base::cur || !(which & std::ios_base::in)) return pos_type(off_type(-1));
        return pos_type(consumed_ - (egptr() - gptr()));
    }

    int_type overflow(int_type ch) override {
        if (!flushOut()) return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    int sync() override { return flushOut() ? 0 : -1; }

private:
    bool flushOut() {
        const char* p = pbase();
        std::size_t left = static_cast<std::size_t>(pptr() - pbase());
        setp(outBuffer_, outBuffer_ + sizeof outBuffer_);
        if (error_ != 0 || fd_ < 0) return left == 0 && error_ == 0;
        while (left > 0) {
            ssize_t n = ::write(fd_, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error_ = n < 0 ? errno : EIO;
                return false;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        return true;
    }

    int fd_;
    int error_ = 0;
    std::streamoff consumed_ = 0;  // bytes taken from the file so far
    char inBuffer_[64 * 1024];
    char outBuffer_[64 * 1024];
};

// A std::ostream or std::istream over its own FdStreamBuf.
template <class Stream>
class FdStream : public Stream {
public:
    explicit FdStream(int fd) : Stream(nullptr), buf_(fd) { this->rdbuf(&buf_); }
    FdStreamBuf& buf() { return buf_; }

private:
    FdStreamBuf buf_;
};
using FdOStream = FdStream<std::ostream>;
using FdIStream = FdStream<std::istream>;

void putLittleEndian(unsigned char* out, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

// The record's values in file order: position[0..2], then centre, x before y.
void encodeRecord(const FrameRecord& r, unsigned char* out) {
    for (int i = 0; i < kBallCount; ++i) {
        putLittleEndian(out + 16 * i, r.position[i].x);
        putLittleEndian(out + 16 * i + 8, r.position[i].y);
    }
    putLittleEndian(out + 48, r.centre.x);
    putLittleEndian(out + 56, r.centre.y);
}

FrameRecord decodeRecord(const unsigned char* in) {
    FrameRecord r;
    for (int i = 0; i < kBallCount; ++i)
        r.position[i] = Vec2(littleEndianDouble(in + 16 * i), littleEndianDouble(in + 16 * i + 8));
    r.centre = Vec2(littleEndianDouble(in + 48), littleEndianDouble(in + 56));
    return r;
}

bool isFinite(const FrameRecord& r) {
    for (int i = 0; i < kBallCount; ++i)
        if (!std::isfinite(r.position[i].x) || !std::isfinite(r.position[i].y)) return false;
    return std::isfinite(r.centre.x) && std::isfinite(r.centre.y);
}

// "dir/m...rec" -> "dir/m...-2.rec"; a name without ".rec" gets the suffix at its end.
std::string withCopyNumber(const std::string& path, int copy) {
    const std::string extension = ".rec";
    std::string suffix = "-" + std::to_string(copy);
    if (path.size() >= extension.size() && path.compare(path.size() - extension.size(), extension.size(), extension) == 0)
        return path.substr(0, path.size() - extension.size()) + suffix + extension;
    return path + suffix;
}

constexpr int kMaxCopies = 10000;  // "-2" ... before giving up on a crowded name

}  // namespace

double littleEndianDouble(const unsigned char* bytes) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string composeReplayPath(const std::string& programDirectory, const DateTimeText& now) {
    std::string name = "m" + now.date + "-" + now.time + ".rec";
    // Slashes and colons cannot stand in a file name; the directory, which
    // already ends in its separator, is left as it is. A colon within the
    // first two characters of the whole path would be a drive's and is kept.
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '/') name[i] = '-';
        if (name[i] == ':' && programDirectory.size() + i >= 2) name[i] = '-';
    }
    return programDirectory + name;
}

ReplayWriter::ReplayWriter(const std::string& path) : path_(path) {
    int fd = -1;
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        std::string candidate = copy == 1 ? path : withCopyNumber(path, copy);
        do fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST) {
            // Never overwrite an earlier recording: try the next free number.
            path_ = candidate;
            break;
        }
    }
    if (fd < 0) {
        int reason = errno;
        failed_ = true;
        std::cerr << path_ << ": cannot create: " << std::strerror(reason) << '\n';
        return;
    }
    out_ = std::make_unique<FdOStream>(fd);
    // A live run can end without a clean close (killed, the session closed):
    // each frame's record goes to the file as it is made, one write of 64
    // bytes a frame, nothing beside the 16 ms of pacing.
    writeThrough_ = true;
}

ReplayWriter::ReplayWriter(std::unique_ptr<std::ostream> stream, const std::string& path)
    : out_(std::move(stream)), path_(path) {}

ReplayWriter::~ReplayWriter() { close(); }

void ReplayWriter::append(const World& w) {
    if (!out_ || failed_) return;
    FrameRecord r;
    for (int i = 0; i < kBallCount; ++i) r.position[i] = w.position[i];
    r.centre = w.centre;
    unsigned char bytes[kFrameRecordSize];
    encodeRecord(r, bytes);
    out_->write(reinterpret_cast<const char*>(bytes), kFrameRecordSize);
    if (writeThrough_) out_->flush();
    if (!*out_) reportFailure("write failed: " + failureReason());
}

void ReplayWriter::close() {
    if (!out_) return;
    if (!failed_) {
        out_->flush();
        if (!*out_) reportFailure("write failed: " + failureReason());
    }
    if (auto* own = dynamic_cast<FdOStream*>(out_.get())) {
        int error = own->buf().closeFd();
        if (error != 0) reportFailure(std::string("write failed: ") + std::strerror(error));
    }
    out_.reset();
}

std::string ReplayWriter::failureReason() const {
    if (auto* own = dynamic_cast<FdOStream*>(out_.get()))
        if (own->buf().error() != 0) return std::strerror(own->buf().error());
    return std::strerror(EIO);  // a stream of the caller's making keeps no errno
}

void ReplayWriter::reportFailure(const std::string& reason) {
    if (failed_) return;
    failed_ = true;
    std::cerr << path_ << ": " << reason << '\n';
}

ReplayReader::ReplayReader(const std::string& path) : path_(path) {
    int fd;
    do fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return;
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        error_ = std::strerror(EISDIR);
        return;
    }
    in_ = std::make_unique<FdIStream>(fd);
    open_ = true;
}

ReplayReader::ReplayReader(std::unique_ptr<std::istream> stream, const std::string& path)
    : in_(std::move(stream)), path_(path), open_(true) {}

ReplayReader::~ReplayReader() = default;

void ReplayReader::playNext(World& w, bool& running) {
    if (!in_ || in_->eof()) {
        running = false;
        return;
    }
    std::streamoff offset = in_->tellg();
    if (offset >= 0) recordsSeen_ = offset / static_cast<std::streamoff>(kFrameRecordSize);
    unsigned char bytes[kFrameRecordSize];
    in_->read(reinterpret_cast<char*>(bytes), kFrameRecordSize);
    std::streamsize got = in_->gcount();
    std::streamoff number = recordsSeen_;  // counted from 0, as every tool counts them
    recordsSeen_ += 1;
    if (got == static_cast<std::streamsize>(kFrameRecordSize)) {
        FrameRecord r = decodeRecord(bytes);
        if (!isFinite(r)) {
            reportBadRecord("record " + std::to_string(number) + " holds a non-finite value");
            return;
        }
        for (int i = 0; i < kBallCount; ++i) w.position[i] = r.position[i];
        w.centre = r.centre;
        return;
    }
    // The read ran into the end (or failed): nothing of it is applied, and
    // the next frame ends the playback.
    if (auto* own = dynamic_cast<FdIStream*>(in_.get()); own && own->buf().error() != 0)
        reportBadRecord(std::string("read failed: ") + std::strerror(own->buf().error()));
    else if (got > 0)
        reportBadRecord("record " + std::to_string(number) + " is incomplete (" + std::to_string(got) +
                        " of " + std::to_string(kFrameRecordSize) + " bytes)");
    in_->setstate(std::ios::eofbit);
}

void ReplayReader::skipRecords(int count) {
    if (!in_) return;
    for (int i = 0; i < count && in_->good(); ++i)
        in_->ignore(static_cast<std::streamsize>(kFrameRecordSize), std::char_traits<char>::eof());
}

void ReplayReader::reportBadRecord(const std::string& what) {
    if (reportedBadRecord_) return;
    reportedBadRecord_ = true;
    std::cerr << path_ << ": " << what << '\n';
}

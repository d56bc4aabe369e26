// Replay files: one 64-byte FrameRecord per frame (the three ball positions
// and the centre point as little-endian doubles), no header. Naming,
// writing in record mode and reading back in replay mode.
#pragma once

#include <cstdint>
#include <ios>
#include <iosfwd>
#include <memory>
#include <string>

#include "input/controls.h"
#include "platform/local_time.h"
#include "sim/world.h"

constexpr std::size_t kFrameRecordSize = 64;

struct FrameRecord {
    Vec2 position[kBallCount];  // body ball, wheel 1, wheel 2
    Vec2 centre;
};
static_assert(sizeof(FrameRecord) == kFrameRecordSize, "FrameRecord is 64 bytes on disk");

// One of a record's eight values: the double stored at bytes, little-endian
// on every host.
double littleEndianDouble(const unsigned char* bytes);

// programDirectory + "m" + MM/DD/YY + "-" + HH:MM:SS + ".rec", with "/" and
// ":" of the name (never of the directory) turned into "-".
std::string composeReplayPath(const std::string& programDirectory, const DateTimeText& now);

// Record mode's replay stream.
class ReplayWriter {
public:
    // Creates path without touching an existing file: a name already taken
    // gets "-2", "-3", ... before ".rec". Failure is reported once on stderr
    // and the writer then drops every frame. Each record reaches the file
    // as it is appended.
    explicit ReplayWriter(const std::string& path);
    // Writes to a stream of the caller's making, buffered as that stream is.
    ReplayWriter(std::unique_ptr<std::ostream> stream, const std::string& path);
    ~ReplayWriter();

    void append(const World& w);
    void close();
    const std::string& path() const { return path_; }
    bool failed() const { return failed_; }

private:
    void reportFailure(const std::string& reason);
    std::string failureReason() const;  // strerror text of the stream's failure

    std::unique_ptr<std::ostream> out_;
    std::string path_;
    bool failed_ = false;
    bool writeThrough_ = false;  // flush after every record
};

// Replay mode's replay stream.
class ReplayReader final : public RecordSkipper {
public:
    // Opens path; on failure error() holds the reason (strerror text; a
    // directory is refused as one) and isOpen() is false.
    explicit ReplayReader(const std::string& path);
    // For tests and fuzzers: reads from a stream of the caller's making.
    ReplayReader(std::unique_ptr<std::istream> stream, const std::string& path);
    ~ReplayReader();

    bool isOpen() const { return open_; }
    const std::string& error() const { return error_; }

    // One frame of playback: at end of file clears running and reads nothing;
    // otherwise reads the next record into w.position and w.centre. A short
    // or non-finite record is not applied and is reported once on stderr.
    void playNext(World& w, bool& running);

    // Passes over up to count whole records (the fast-forward), stopping
    // at the end of the file; one that runs into it ends the playback at
    // the next frame, as a read would.
    void skipRecords(int count) override;

private:
    void reportBadRecord(const std::string& what);

    std::unique_ptr<std::istream> in_;
    std::string path_;
    std::string error_;
    bool open_ = false;
    bool reportedBadRecord_ = false;
    std::streamoff recordsSeen_ = 0;  // records before the next one, for messages
};

// Replay file naming, writing and reading (to be completed).
#include "app/replay_file.h"

#include <fstream>
#include <iostream>

std::string composeReplayPath(const std::string& programDirectory, const DateTimeText& now) {
    return programDirectory + "m" + now.date + "-" + now.time + ".rec";
}

ReplayWriter::ReplayWriter(const std::string& path) : path_(path) {}
ReplayWriter::ReplayWriter(std::unique_ptr<std::ostream> stream, const std::string& path)
    : out_(std::move(stream)), path_(path) {}
ReplayWriter::~ReplayWriter() { close(); }
void ReplayWriter::append(const World& w) { (void)w; }
void ReplayWriter::close() { out_.reset(); }
void ReplayWriter::reportFailure(const std::string& reason) {
    if (failed_) return;
    failed_ = true;
    std::cerr << path_ << ": " << reason << '\n';
}

ReplayReader::ReplayReader(const std::string& path) : path_(path) {
    in_ = std::make_unique<std::ifstream>(path, std::ios::binary);
    open_ = static_cast<bool>(*in_);
    if (!open_) error_ = "cannot open";
}
ReplayReader::ReplayReader(std::unique_ptr<std::istream> stream, const std::string& path)
    : in_(std::move(stream)), path_(path), open_(true) {}
ReplayReader::~ReplayReader() = default;
void ReplayReader::playNext(World& w, bool& running) {
    (void)w;
    if (in_->eof()) running = false;
}

// Where a tool writes its output file: a temporary beside a regular (or not
// yet existing) target, renamed over it once complete, so an existing file is
// only ever replaced by a whole one; devices and pipes are written directly.
#pragma once

#include <string>

class OutputFile {
public:
    explicit OutputFile(const std::string& target);
    ~OutputFile();  // removes the temporary unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The path to open for writing.
    const std::string& writePath() const { return writePath_; }

    // Puts the finished file in place; returns "" or the reason it failed.
    std::string commit();

private:
    std::string target_;
    std::string writePath_;
    bool direct_ = false;
    bool committed_ = false;
};

// Where a tool writes its output file: a new temporary beside a regular (or
// not yet existing) target, renamed over it once complete, so an existing
// file is only ever replaced by a whole one. A device, pipe or socket (such
// as /dev/stdout) cannot be replaced by a rename and is written directly.
#pragma once

#include <string>

class OutputFile {
public:
    explicit OutputFile(const std::string& target);
    ~OutputFile();  // removes the temporary unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The path to open for writing (and truncate).
    const std::string& writePath() const { return writePath_; }
    bool direct() const { return direct_; }
    // "" or why no temporary could be made ("cannot create: REASON").
    const std::string& error() const { return error_; }

    // Puts the finished file in place; returns "" or the reason it failed.
    std::string commit();

private:
    std::string target_;  // the file renamed over (a symbolic link's target)
    std::string writePath_;
    std::string error_;
    int createErrno_ = 0;
    friend std::string replaceFile(const std::string& path, const std::string& bytes);
    bool direct_ = false;
    bool committed_ = false;
};

// Replaces the file at path whole with bytes, as above. Returns "" or
// "cannot write: REASON".
std::string replaceFile(const std::string& path, const std::string& bytes);

// Runs a built program as a child process for end-to-end tests: chosen
// argv[0], standard input closed, output captured, a hard time limit.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exitStatus = -1;   // exit code, or -1 when killed by a signal
    int signal = 0;        // the signal that ended it, 0 if it exited
    bool timedOut = false; // killed for running past the limit
    std::string out;       // standard output
    std::string err;       // standard error
};

struct ProcessOptions {
    std::string argv0;                     // defaults to the program path
    std::string workingDirectory;          // defaults to the current one
    std::vector<std::string> environment;  // extra NAME=VALUE entries
    double timeoutSeconds = 30;
    int signalAfterMs = -1;                // send sendSignal this long after start; -1 = never
    int sendSignal = 0;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

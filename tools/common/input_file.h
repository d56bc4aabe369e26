// Opening a file a tool reads, with the reason when it cannot be read, so
// that every "cannot open" says why.
#pragma once

#include <fstream>
#include <string>

// Opens path into in. Returns "" or one line: "PATH: is a directory" or
// "PATH: cannot open: REASON".
std::string openInputFile(const std::string& path, std::ifstream& in,
                          std::ios::openmode mode = std::ios::in | std::ios::binary);

// The directory the program's files live in, taken from argv[0].
#pragma once

#include <string>

// argv[0] up to and including its last "\" or "/"; empty when it has neither.
std::string programDirectoryOf(const char* argv0);

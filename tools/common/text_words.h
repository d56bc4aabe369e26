// Small pieces of wording that the tools' messages share: a word of a file
// as one message line can show it, counts with their noun, file-name tests.
#pragma once

#include <cstdint>
#include <string>

bool endsWith(const std::string& s, const std::string& tail);

// The word with control and non-ASCII bytes as "?", cut to 24 characters
// and "..." when longer, so a message about it stays one readable line.
std::string shown(const std::string& word);

// "1 triangle", "2 triangles": the plural adds "s".
std::string counted(uint64_t n, const std::string& singular);

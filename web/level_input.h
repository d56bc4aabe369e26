// A level the player gives the page: a level file taken as the game's loader
// takes it, or its text form compiled and checked as `zuno-level compile`
// does. Either becomes the bytes of the page's "0.lev".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Returns "" with levelBytes set, or one line "NAME: what is wrong" (or
// "NAME:LINE: what is wrong" for the text form). Names ending in ".txt"
// are the text form.
std::string levelFileFrom(const std::vector<uint8_t>& bytes, const std::string& name,
                          std::vector<uint8_t>& levelBytes);

// Replaces the file at path whole with bytes; "" or "PATH: cannot write: REASON".
std::string writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

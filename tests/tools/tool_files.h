// Small files the tool and file tests are made of: a level with a floor and
// a slope, and replay records composed byte by byte, apart from the writer.
#pragma once

#include <string>
#include <vector>

// A level of a long floor with a slope up and a ramp down, in file units; the
// bike's start pose falls onto it.
std::string floorLevelBytes();

// Eight little-endian doubles.
std::string recordBytes(const std::vector<double>& values);

// Eight doubles per record from a replay file's bytes.
std::vector<std::vector<double>> recordsOf(const std::string& bytes);

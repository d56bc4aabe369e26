// Level file reading (to be completed).
#include "app/level_file.h"

#include <fstream>
#include <iostream>

void LevelLoader::readCount(std::istream& in, const std::string& path) { (void)in; path_ = path; }
void LevelLoader::readTriangles(std::istream& in, Level& l) { (void)in; (void)l; }
void LevelLoader::reload(const std::string& path, Level& l) { (void)path; (void)l; }
std::string LevelLoader::readWhole(std::istream& in, Level& l) { (void)in; (void)l; return "not implemented"; }
void LevelLoader::report(const std::string& path, const std::string& reason) {
    auto& last = lastReported_[path];
    if (last == reason) return;
    last = reason;
    std::cerr << path << ": " << reason << '\n';
}

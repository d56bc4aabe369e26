// The one way the tools read a level: the text form or a level file, chosen
// by the file's name, with one message line for whatever is wrong; and a
// level file the game's loader can open for either form.
#pragma once

#include <string>

#include "tools/levels/level_text.h"

enum class LevelForm {
    byName,  // a source when the name ends in ".txt" or ".svg", else a level file
    text,    // a source whatever the name (text, or SVG by its first bytes)
};

// Sources: the text form (triangle and shape lines) and SVG drawings,
// whose shapes are meshed into triangles on reading.
bool isLevelTextName(const std::string& path);
bool isSvgName(const std::string& path);

// Reads the level at path. Returns "" with level set (no lines for a level
// file), or "PATH: what is wrong" ("PATH:LINE: ..." in the text form). A
// level file is read by the game's own loader, so what the game refuses is
// refused here with its reason.
std::string readLevel(const std::string& path, LevelForm form, LevelText& level);

// The same from a stream already open (in binary mode), named `name` in
// messages and for the choice of form.
std::string readLevelFrom(std::istream& in, const std::string& name, LevelForm form, LevelText& level);

// The path of a level file holding the level at `path`, for the headless
// game, whose loader reads level files only: the file itself, or for the
// text form a temporary level file compiled from it, removed with this.
class LoadableLevel {
public:
    LoadableLevel() = default;
    ~LoadableLevel();
    LoadableLevel(const LoadableLevel&) = delete;
    LoadableLevel& operator=(const LoadableLevel&) = delete;

    // Reads the level as readLevel does; "" or what is wrong.
    std::string open(const std::string& path);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string temporary_;
};

// The page's JavaScript API underneath: a scripted drive and the picture of
// a playback frame, each run by the tools' headless game with the page's own
// run set aside and put back afterwards, so an embedder may call them while
// the page plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `zuno-replay drive`: the replay of `frames` record-mode frames (-1: the
// script's last event plus 300) over the level with the key script's keys.
// Returns "" with replay set, or "NAME: what is wrong".
std::string apiDrive(const std::vector<uint8_t>& level, const std::string& keys, int32_t frames,
                     std::vector<uint8_t>& replay);

// `zuno-replay render`: the picture of playback frame `frame` as 1024 x 768
// RGBA bytes (opaque). Returns "" with rgba set, or what is wrong.
std::string apiRender(const std::vector<uint8_t>& replay, const std::vector<uint8_t>& level, int64_t frame,
                      std::vector<uint8_t>& rgba);

// `zuno-level compile`: the level file's bytes for a level source (text with
// triangle and shape lines, or SVG) named name. Returns "" with level set and
// the compile's warnings, or the same messages as the tool, one a line.
std::string apiCompileLevel(const std::vector<uint8_t>& source, const std::string& name, std::vector<uint8_t>& level,
                            std::vector<std::string>& warnings);

// The filled outlines of an SVG drawing as the shape compiler reads them
// (its curves flattened as the compile that writes the level flattens
// them), for the editor: in source order, each outline as "kept line n x0 y0 ...",
// int32 words after a head of the outline count, the warning count and
// each warning's line (file units; kept is 1 for a data-zuno="keep"
// triangle). Returns "" with words and warnings set, or what is wrong.
std::string apiReadSvg(const std::vector<uint8_t>& source, const std::string& name, std::vector<int32_t>& words,
                       std::vector<std::string>& warnings);

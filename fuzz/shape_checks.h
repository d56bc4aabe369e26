// What the shape source targets check of a compile: one message line per
// fault naming the file, and for what compiles the compiler's promises:
// the solid covered exactly (by area, without overlaps), no thin triangle,
// none that can vanish on screen, the same bytes on a second compile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

void checkShapeCompile(const uint8_t* data, std::size_t size, const std::string& name);

}  // namespace fuzz

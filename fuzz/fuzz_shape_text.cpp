// Fuzz target: any bytes as a level source in the text form, with triangle
// and shape lines, through the whole compile: parse, union, mesh.
#include <cstddef>
#include <cstdint>

#include "fuzz/shape_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::checkShapeCompile(data, size, "fuzz.txt");
    return 0;
}

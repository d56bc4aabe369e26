// Fuzz target: any bytes as an SVG drawing through the whole compile: XML,
// styles, transforms, path data, flattening, union, mesh.
#include <cstddef>
#include <cstdint>

#include "fuzz/shape_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::checkShapeCompile(data, size, "fuzz.svg");
    return 0;
}

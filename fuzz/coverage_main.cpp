// The entry of a coverage build's fuzz target: runs the target once on every
// file named, or in the folders named, as libFuzzer would, so that a run's
// corpus can be measured for the lines and branches it reaches.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

bool runFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t inputs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (!std::filesystem::is_directory(arg, ec)) {
            ok = runFile(arg) && ok;
            ++inputs;
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
            if (!entry.is_regular_file()) continue;
            ok = runFile(entry.path()) && ok;
            ++inputs;
        }
        if (ec) {
            std::fprintf(stderr, "%s: %s\n", argv[i], ec.message().c_str());
            ok = false;
        }
    }
    std::fprintf(stderr, "%zu inputs run\n", inputs);
    return ok ? 0 : 1;
}

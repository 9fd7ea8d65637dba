// The driver of the fuzz targets in the normal and sanitizer builds, where
// there is no fuzzer: it writes the target's seeds into a folder and feeds
// them, then every given file or folder of inputs (the regression inputs),
// to the target once each. A crash or a sanitizer report fails the test.
//
//   <target>_replay [--seeds DIR] [FILE|FOLDER]...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {
// What the fuzzer passes for an empty input: a valid pointer, no bytes.
const uint8_t kNoBytes[1] = {0};

int Replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("replay %s (%zu bytes)\n", file.string().c_str(), bytes.size());
    std::fflush(stdout);
    // A copy of exactly the input's size, so a read past it is caught.
    std::vector<uint8_t> copy(bytes);
    LLVMFuzzerTestOneInput(copy.empty() ? kNoBytes : copy.data(), copy.size());
    return 1;
}

int ReplayPath(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_directory(path, ec)) return fs::exists(path, ec) ? Replay(path) : 0;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(path, ec)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    int count = 0;
    for (const fs::path& f : files) count += Replay(f);
    return count;
}
} // namespace

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seeds") == 0 && i + 1 < argc) {
            fs::path dir = argv[++i];
            std::error_code ec;
            fs::remove_all(dir, ec);
            fs::create_directories(dir, ec);
            WriteFuzzSeeds(dir.string());
            count += ReplayPath(dir);
        } else {
            count += ReplayPath(argv[i]);
        }
    }
    // The empty input too: every reader must take it.
    LLVMFuzzerTestOneInput(kNoBytes, 0);
    std::printf("%d inputs replayed\n", count + 1);
    return 0;
}

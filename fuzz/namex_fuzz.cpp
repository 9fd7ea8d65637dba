// Name texts of "namex.dat": any file, any name number and buffer size.
#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/settings.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/namex_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    FuzzResetPlatform();
    ResetSettings();
    CopyFolderText(gInstallPath, FuzzFolder().c_str());
    // The first byte picks the name, the second the buffer's size.
    int n = data[0] % 8 - 1;
    int bufferSize = data[1] % 40;
    if (PutFuzzFile("namex.dat", data + 2, size - 2).empty()) return 0;
    std::vector<char> buffer(size_t(bufferSize) + 1, 'x');
    int length = ReadNameText(n, bufferSize, buffer.data(), "%Q");
    if (length < 0 || (bufferSize > 0 && length >= bufferSize)) __builtin_trap();
    ReadNameText(n, bufferSize, buffer.data(), nullptr);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    std::vector<uint8_t> file = BuildNamex({"\xA4\xFD\xA4\xFD", "ab", "", "\xB3\x5D\xA9\x77\xBF\xF9"});
    for (uint8_t n = 0; n < 4; ++n) {
        WriteFuzzSeed(dir, "name" + std::to_string(n), FuzzJoin({uint8_t(n + 1), uint8_t(5 + n * 3)}, file));
    }
}

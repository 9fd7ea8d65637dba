// LZO unpacking: any bytes into a destination of any capacity.
#include <cstdint>
#include <string>
#include <vector>

#include "base/lzo.h"
#include "base/memory.h"
#include "fuzz/support/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose the destination's capacity.
    uint32_t capacity = uint32_t(data[0]) << 8 | data[1];
    std::vector<uint8_t> out(capacity ? capacity : 1);
    uint32_t length = capacity;
    int rc = DecompressBuffer(data + 2, out.data(), uint32_t(size - 2), &length);
    if (rc == kLzoOk && length > capacity) __builtin_trap();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::vector<std::string> texts = {"", "a", "abababababababababababababab", std::string(3000, 'x')};
    int n = 0;
    for (const std::string& text : texts) {
        uint32_t packed = 0;
        uint8_t* block = CompressBuffer(text.data(), uint32_t(text.size()), &packed);
        WriteFuzzSeed(dir, "packed" + std::to_string(n++),
                      FuzzJoin({uint8_t(text.size() >> 8), uint8_t(text.size())}, block, block ? packed : 0));
        FreeMem(block);
    }
}

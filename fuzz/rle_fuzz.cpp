// Run-length frames: the checks, the decoder, the conversions to the screen
// and the pixel look-up, on any bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/memory.h"
#include "draw/pixel_format.h"
#include "draw/rle.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/rle_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each call works on its own exact-size copy (two of them convert in place).
    std::vector<uint8_t> frame(data, data + size);
    RleInfo info{};
    ValidateRle(frame.data(), frame.size(), &info);
    int w = 0, h = 0, depth = 0;
    FreeMem(DecodeRle(frame.data(), int(frame.size()), &w, &h, &depth));
    for (int y = -1; y < 4; ++y) {
        for (int x = -1; x < 6; ++x) {
            uint16_t pixel = 0;
            RleLookup(frame.data(), frame.size(), x, y, &pixel);
        }
    }
    std::vector<uint16_t> palette(256);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = uint16_t(i * 129);
    int newSize = 0;
    FreeMem(WidenRle8(frame.data(), int(frame.size()), palette.data(), &newSize));
    std::vector<uint8_t> copy = frame;
    ConvertRleToScreen(copy.data(), int(copy.size()), &w, &h, &depth);
    // A palette block followed by the frame, as the 8-bit packs store it.
    int blockSize = int(512 + size);
    uint8_t* block = static_cast<uint8_t*>(AllocZero(blockSize));
    if (block) {
        std::memcpy(block, palette.data(), 512);
        if (size) std::memcpy(block + 512, data, size);
        ConvertRle8Pal(&block, &blockSize);
        FreeMem(block);
    }
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "rle16", RleWriter(4, 2).Row().Literal({1, 2}).Shadow(1).Key(1).Row().Skip(2).Literal({7, 8}).Finish());
    WriteFuzzSeed(dir, "rle8", RleWriter(3, 2, 8).Row().Literal8({5, 6, 7}).Row().Key(2).Literal8({9}).Finish());
    WriteFuzzSeed(dir, "pixels", RleFromPixels({0x026B, 0x1111, 0x319F, 0x2222, 0x3333, 0x026B}, 3, 2));
    WriteFuzzSeed(dir, "indices", RleFromIndices({1, 3, 9, 9, 1, 2}, 2, 3));
}

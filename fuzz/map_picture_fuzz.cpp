// Map pictures: packed bytes and an unpacked length as the map archive hands
// them over, unpacked, checked and converted to a 16-bit frame, directly and
// through the picture cache.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/lzo.h"
#include "base/memory.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "fuzz/support/fuzz_draw.h"
#include "tools/rle_writer.h"

namespace {
// The input: u32 unpacked length (little-endian), then the packed bytes.
struct MapInput {
    const uint8_t* packed;
    uint32_t packedLength;
    uint32_t unpackedLength;
};
MapInput gInput;

bool Find(uint16_t n, uint32_t* packedLength, uint32_t* unpackedLength) {
    if (n != 7) return false;
    *packedLength = gInput.packedLength;
    *unpackedLength = gInput.unpackedLength;
    return true;
}

bool Read(uint16_t n, uint8_t* destination, uint32_t packedLength) {
    if (n != 7 || packedLength != gInput.packedLength) return false;
    if (packedLength) std::memcpy(destination, gInput.packed, packedLength);
    return true;
}

const MapPictureSource kSource = {Find, Read};

std::vector<uint8_t> Seed(const std::vector<uint8_t>& picture) {
    uint32_t packed = 0;
    uint8_t* block = CompressBuffer(picture.data(), uint32_t(picture.size()), &packed);
    uint32_t length = uint32_t(picture.size());
    std::vector<uint8_t> seed = FuzzJoin({uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)},
                                         block, block ? packed : 0);
    FreeMem(block);
    return seed;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    FuzzDrawTarget target(kFormat565);
    gInput = {data + 4, uint32_t(size - 4), uint32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24)};
    SetMapPictureSource(&kSource);
    PicFrame frame{};
    if (LoadPackImage(7, &frame)) {
        RleInfo info{};
        if (!ValidateRle(frame.data, frame.size, &info) || info.depth != 16) __builtin_trap();
        FreeMem(frame.data);
    }
    GetTswPicture(kMapPictureNumber, 7);
    GetTswPicture(kMapPictureNumber, 8);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "rle16", Seed(RleFromPixels({0x7C00, 0x026B, 0x001F, 0x319F, 0x1234, 0x2345}, 3, 2)));
    std::vector<uint8_t> paletted(512, 0);
    for (size_t i = 0; i < 512; ++i) paletted[i] = uint8_t(i * 7);
    WriteFuzzSeed(dir, "rle8", Seed(FuzzJoin(paletted, RleFromIndices({1, 3, 5, 7, 9, 1, 4, 4, 4}, 3, 3))));
}

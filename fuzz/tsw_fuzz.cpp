// Picture packs with their cache: any pack file, read through the record
// table, the entry head, the frame descriptors and LZO, converted to the
// screen and cached; a second read comes from the cache, a direct read past it.
#include <cstdint>
#include <string>
#include <vector>

#include "base/memory.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "fuzz/support/fuzz_draw.h"
#include "tools/rle_writer.h"
#include "tools/tsw_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FuzzDrawTarget target(data[0]);
    // A small cache limit, so loads also evict.
    SetTswCacheLimit(data[0] & 0x80 ? 64 : 1 << 20);
    if (PutFuzzFile("all_item.tsw", data + 1, size - 1).empty()) return 0;
    FuzzDrawTarget::OpenPacks();
    for (uint16_t number : {3001, 3002, 3003, 3001}) {
        for (uint16_t frame : {0, 1, 2}) {
            const PicFrame* pic = GetTswPicture(number, frame);
            if (pic && pic->data && IsRleFrame(pic->data, pic->size)) {
                RleInfo info{};
                if (!ValidateRle(pic->data, pic->size, &info)) __builtin_trap();
            }
        }
        PicFrame direct{};
        if (GetTswPictureDirect(&direct, number, 0)) FreeMem(direct.data);
        ReleaseRetiredTswPictures();
    }
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::vector<uint16_t> pixels = {0x7C00, 0x026B, 0x001F, 0x319F, 0x1234, 0x2345};
    std::vector<uint16_t> palette(256);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = uint16_t(i * 33);
    std::vector<TswEntryData> entries = {
        {1, 16, {}, {{RleFromPixels(pixels, 3, 2), 3, 2}, {RawFrameBytes16(pixels), 3, 2}}},
        {2, 8, palette, {{{1, 2, 3, 4, 5, 6}, 3, 2}, {RleFromIndices({1, 3, 5, 7, 9, 1}, 3, 2), 3, 2}}},
        {3, 16, {}, {{RawFrameBytes16(std::vector<uint16_t>(64, 0x1111)), 8, 8}}},
    };
    for (uint8_t layout : {0, 0x82}) WriteFuzzSeed(dir, "pack" + std::to_string(layout), layout, BuildTswPack(entries));
}

// Raw and run-length frames through the picture loader and the renderers: the
// input's frame is stored in a picture pack as the writer stores it, loaded
// with GetTswPicture (which checks and converts it) and drawn in any blend
// mode, at any position, mirrored or flipped, with the one-shot parameters.
#include <cstdint>
#include <string>
#include <vector>

#include "base/memory.h"
#include "draw/draw_kernel.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "fuzz/support/fuzz_draw.h"
#include "tools/file_writer.h"
#include "tools/rle_writer.h"
#include "tools/tsw_writer.h"

namespace {
// Head of an input: layout and depth, mode, flags, x, y, a spare byte,
// width, height, alpha, scale, shear, wave and tint; the frame's bytes follow.
constexpr size_t kHead = 12;
constexpr size_t kMaxAlphaMap = 1 << 20;

std::vector<uint8_t> Input(std::vector<uint8_t> head, const std::vector<uint8_t>& frame) {
    head.resize(kHead);
    return FuzzJoin(std::move(head), frame);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead || size > kHead + 65536) return 0;
    FuzzDrawTarget target(data[0]);
    const bool eightBit = data[0] & 4;
    TswEntryData entry;
    entry.index = 1;
    entry.depth = eightBit ? 8 : 16;
    if (eightBit) {
        for (int i = 0; i < 256; ++i) entry.palette.push_back(uint16_t(i * 0x0421));
    }
    entry.frames.push_back({std::vector<uint8_t>(data + kHead, data + size), data[6], data[7]});
    if (!WriteBytesToFile((FuzzFolder() + "all_char.tsw").c_str(), BuildTswPack({entry}))) return 0;
    FuzzDrawTarget::OpenPacks();
    const PicFrame* pic = GetTswPicture(1, 0);
    if (!pic || !pic->data) return 0;
    // The alpha map of modes 8 and 9 covers the whole frame; a frame too
    // large for one is drawn in those modes without it (they then draw nothing).
    const size_t pixels = size_t(pic->width) * pic->height;
    std::vector<uint8_t> extra(pixels <= kMaxAlphaMap ? pixels + 16 : 0, 0x80);
    const uint32_t mode = data[1] & 0xFC;
    const uint32_t flags = mode | (data[2] & 3);
    gCurPic = pic->data;
    gColourTable = pic->palette;
    gAlphaLevel = data[8] & 15;
    gScaleHeight = data[9] & 0x7F;
    gShear = int8_t(data[10]);
    gWaveIndex = data[11] & 15;
    gTintRed = data[11] >> 4;
    DrawPic(int8_t(data[3]) + 20, int8_t(data[4]) + 10, pic->width, pic->height, flags,
            extra.empty() ? nullptr : extra.data());
    gWaveIndex = 0;
    gColourTable = nullptr;
    gCurPic = nullptr;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::vector<uint16_t> pixels = {0x7C00, 0x026B, 0x001F, 0x319F, 0x1234, 0x2345, 0x026B, 0x4210};
    const std::vector<uint8_t> rle = RleFromPixels(pixels, 4, 2);
    const std::vector<uint8_t> raw = RawFrameBytes16(pixels);
    const std::vector<uint8_t> rle8 = RleFromIndices({1, 3, 9, 10, 11, 1, 2, 5}, 4, 2);
    const std::vector<uint8_t> raw8 = {1, 3, 9, 10, 11, 1, 2, 5};
    for (uint8_t mode : {0, 4, 8, 16, 20, 24, 36, 64, 68, 72, 84, 128}) {
        WriteFuzzSeed(dir, "rle16-" + std::to_string(mode), Input({0, mode, 0, 2, 3, 0, 4, 2, 9, 0}, rle));
        WriteFuzzSeed(dir, "raw16-" + std::to_string(mode), Input({2, mode, 1, 0, 0, 0, 4, 2, 4, 0}, raw));
    }
    WriteFuzzSeed(dir, "rle8", Input({4, 0, 2, 250, 1, 0, 4, 2}, rle8));
    WriteFuzzSeed(dir, "raw8", Input({5, 68, 3, 1, 1, 0, 4, 2}, raw8));
}

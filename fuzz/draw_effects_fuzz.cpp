// Fuzz target: a run-length frame that passes validation, drawn through the
// scaled, sprite-effect and zoom renderers with parameters from the input,
// onto a 640x480 back buffer. The renderers trust validated frames; whatever
// the frame and the parameters, no draw may read or write outside the buffer.
//
// Input: 16 bytes of parameters, then the frame's bytes.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "draw/draw_kernel.h"
#include "draw/rle.h"
#include "draw/surface.h"
#include "draw/zoom_render.h"
#include "tools/rle_writer.h"

namespace {

constexpr size_t kParamBytes = 16;

int16_t S16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }

// The blend modes under test, picked by one byte.
const uint32_t kModes[] = {12, 13, 14, 15, 32, 33, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 48, 49, 50, 51,
                           128, 132, 144, 148, 164, 168, 172, 192};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kParamBytes + kRleHeaderBytes) return 0;
    const uint8_t* p = data;
    std::vector<uint8_t> frame(data + kParamBytes, data + size);
    RleInfo info{};
    if (!ValidateRle(frame.data(), frame.size(), &info)) return 0;
    if (info.depth == 16 && !ConvertRleToScreen(frame.data(), static_cast<int>(frame.size()), nullptr, nullptr, nullptr))
        return 0;

    static Surface* surface = nullptr;
    if (!surface) surface = CreateSurface(640, 480);
    ResetDrawKernel();
    InitDrawKernel(surface, p[15] & 3);
    gBackPixels = LockBackBuffer(surface);
    SetClip(p[12] * 3, p[13] * 2, 640 - p[14] * 3, 480 - (p[14] >> 1));
    std::vector<uint16_t> table(256);
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint16_t>(i * 257);

    const uint32_t mode = kModes[p[4] % (sizeof kModes / sizeof kModes[0])];
    SetZoomFactor(static_cast<int8_t>(p[6]) * 4, static_cast<int8_t>(p[7]) * 4, S16(p + 8), S16(p + 10),
                  (p[5] & 1) ? static_cast<int8_t>(p[5]) * 64 : 0);
    gScaleHeight = (p[5] >> 1) * 3;
    gShear = static_cast<int8_t>(p[7]);
    gTintRed = gTintGreen = gTintBlue = static_cast<int8_t>(p[6]) / 4;
    gAlphaLevel = p[4] & 15;
    gWaveIndex = p[5] % 16;
    const uint32_t colour = 0x12345678;
    gCurPic = frame.data();
    gColourTable = (mode == 192 || info.depth == 8) ? table.data() : nullptr;
    DrawPic(S16(p), S16(p + 2), info.width, info.height, mode | (p[15] >> 6), &colour);
    DrawOutlined(S16(p) + 1, S16(p + 2), info.width, info.height, 0, &colour);
    gColourTable = nullptr;
    gWaveIndex = 0;
    UnlockBackBuffer(surface, gBackPixels);
    gBackPixels = nullptr;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    std::vector<uint16_t> px(24 * 16);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = i % 11 == 0 ? kStoredColourKey : (i % 13 == 0 ? kStoredShadowColour : static_cast<uint16_t>(i * 97));
    const std::vector<uint8_t> frame16 = RleFromPixels(px, 24, 16);
    std::vector<uint8_t> idx(24 * 16);
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<uint8_t>(i % 7 == 0 ? 1 : i);
    const std::vector<uint8_t> frame8 = RleFromIndices(idx, 24, 16);
    const uint8_t params[][kParamBytes] = {
        {100, 0, 50, 0, 0, 21, 12, 8, 0, 8, 0, 8, 0, 0, 0, 0},      // shadow, scaled to a third
        {0x38, 0xFF, 0xF0, 0xFF, 20, 3, 2, 2, 0, 0x30, 0, 4, 5, 5, 5, 0x42},  // zoomed, big, partly off screen
        {60, 2, 220, 1, 16, 0, 0, 0, 0, 4, 0, 4, 0, 0, 0, 0x81},    // refraction at the bottom right
    };
    int n = 0;
    for (const auto& param : params)
        for (const std::vector<uint8_t>* frame : {&frame16, &frame8}) {
            std::ofstream out(dir + "/seed" + std::to_string(n++), std::ios::binary);
            out.write(reinterpret_cast<const char*>(param), kParamBytes);
            out.write(reinterpret_cast<const char*>(frame->data()), static_cast<std::streamsize>(frame->size()));
        }
}

// Video files: any file opened as a video, its frames decoded and drawn into
// a target smaller than they may be, its sound (when it has one) streamed.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_media.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_media.h"
#include "platform/plat_audio.h"
#include "platform/plat_video.h"

namespace {
constexpr int kWidth = 48;
constexpr int kHeight = 32;
constexpr int kMaxFrames = 24;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FuzzResetPlatform();
    std::string path = PutFuzzFile("clip.avi", data + 1, size - 1);
    if (path.empty()) return 0;
    if (data[0] & 1) PlatAudioOpen(44100, 16, 2);
    PlatVideo* video = PlatVideoOpen(path.c_str(), 100);
    if (video) {
        // A guard row below the target catches a frame drawn past it.
        std::vector<uint16_t> pixels(size_t(kWidth) * (kHeight + 1), 0xA5A5);
        const PlatPixelLayout layout = static_cast<PlatPixelLayout>((data[0] >> 1) & 3);
        for (int frame = 0; frame < kMaxFrames; ++frame) {
            HeadlessAdvanceClock(40);
            if (PlatVideoShowFrame(video, pixels.data(), kWidth * 2, kWidth, kHeight, layout) < 1) break;
        }
        for (int x = 0; x < kWidth; ++x) {
            if (pixels[size_t(kHeight) * kWidth + x] != 0xA5A5) __builtin_trap();
        }
        PlatVideoFrameCount(video);
        PlatVideoClose(video);
    }
    HeadlessAudioReset();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "silent", 0, FuzzVideo(false));
    WriteFuzzSeed(dir, "sound", 1, FuzzVideo(true, 2));
    WriteFuzzSeed(dir, "wave", 1, FuzzToneWave());
}

// Wave and mp3 decoding: any bytes decoded whole into the mixer's format, as
// a sound effect is when it is loaded, with and without the mp3 hint.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_media.h"
#include "platform/posix/decode_audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const char* hint = data[0] & 1 ? "mp3" : nullptr;
    const int rate = data[0] & 2 ? 22050 : 44100;
    std::vector<int16_t> pcm;
    std::string error;
    DecodeWholeSound(data + 1, size - 1, hint, rate, &pcm, &error);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "wave-stereo", 0, FuzzToneWave());
    WriteFuzzSeed(dir, "wave-mono", 2, FuzzToneWave(11025, 1));
    WriteFuzzSeed(dir, "mp3", 1, FuzzToneMp3());
    WriteFuzzSeed(dir, "video", 0, FuzzVideo(true));
}

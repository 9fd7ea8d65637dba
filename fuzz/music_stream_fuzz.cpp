// Music streams: any file opened as a wave or an mp3 track and played by the
// stream player for a run of frames, looping, fading and closing as the
// game's music does. An input whose first byte has bit 3 set leaves its
// stream playing (and the clock moved on), as a program that ends with music
// on: the last input of a run is what is open when the process exits.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_media.h"
#include "media/music.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_media.h"
#include "platform/plat_audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The empty input (replayed last) leaves what the input before left open.
    if (size < 1) return 0;
    FuzzResetPlatform();
    ResetMusic();
    const char* name = data[0] & 1 ? "track.mp3" : "track.wav";
    std::string path = PutFuzzFile(name, data + 1, size - 1);
    if (path.empty() || !PlatAudioOpen(44100, 16, 2)) return 0;
    gStreamPlayer.InitStreamPlayer(1);
    const int loops = (data[0] >> 1) & 3;
    gStreamPlayer.OpenStream(path.c_str(), 5, 100, loops);
    for (int frame = 0; frame < 12; ++frame) {
        if (frame == 8 && !(data[0] & 8)) gStreamPlayer.FadeOutStream(5, 2);
        HeadlessAdvanceClock(35);
        gStreamPlayer.UpdateStreams();
    }
    if (data[0] & 8) {
        HeadlessAdvanceClock(35);
        return 0;
    }
    ResetMusic();
    HeadlessAudioReset();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "wave", 0, FuzzToneWave());
    WriteFuzzSeed(dir, "wave-looped", 2, FuzzToneWave(11025, 1, 40));
    WriteFuzzSeed(dir, "mp3", 1, FuzzToneMp3());
}

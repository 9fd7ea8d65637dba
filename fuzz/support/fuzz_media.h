// Seeds shared by the fuzz targets that decode sound and video: small files
// made with the project's own writers (a wave file, an mp3 and a short video
// with sound), read back as bytes.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "tools/media_writer.h"
#include "tools/snd_writer.h"

inline std::vector<uint8_t> FuzzToneWave(int rate = 22050, int channels = 2, int ms = 120) {
    return BuildWaveFile(ToneSamples(440, ms, rate, channels, 9000), rate, channels);
}

// The bytes of a file written by a media writer into the scratch folder;
// empty when the writer could not make it.
template <typename Write>
std::vector<uint8_t> FuzzWrittenFile(const char* name, Write write) {
    std::string path = FuzzFolder() + name;
    if (!write(path)) return {};
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> FuzzToneMp3() {
    return FuzzWrittenFile("seed.mp3", [](const std::string& path) {
        std::string error;
        return CanWriteMp3() && WriteMp3File(path, ToneSamples(440, 150, 22050, 1, 9000), 22050, 1, &error);
    });
}

inline std::vector<uint8_t> FuzzVideo(bool withSound, int frames = 3) {
    return FuzzWrittenFile("seed.avi", [&](const std::string& path) {
        VideoClipSpec spec;
        spec.width = 32;
        spec.height = 24;
        spec.frames = frames;
        spec.withSound = withSound;
        std::string error;
        return WriteVideoFile(path, spec, &error);
    });
}

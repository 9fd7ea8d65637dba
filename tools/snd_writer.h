// Writer of the sound-effect pack "all.snd" and of the wave files it holds,
// for test fixtures and the sample install.
#pragma once
#include <cstdint>
#include <vector>

// 16-bit PCM samples of a sine tone, interleaved when channels is 2.
std::vector<int16_t> ToneSamples(int frequency, int milliseconds, int rate, int channels, int amplitude);

// A RIFF wave file of 16-bit PCM samples.
std::vector<uint8_t> BuildWaveFile(const std::vector<int16_t>& samples, int rate, int channels);

// The record bytes of a headerless (kind 0) sound: the 16-byte format block,
// "data", then the samples. Empty when wave is not a plain PCM RIFF file.
std::vector<uint8_t> HeaderlessWave(const std::vector<uint8_t>& wave);

enum : uint32_t {
    kSoundKindHeaderless = 0,
    kSoundKindWholeFile = 1,
};

struct SoundEntrySpec {
    int id = 0; // 1..3000
    std::vector<uint8_t> bytes;
    uint32_t kind = kSoundKindWholeFile;
};

// The whole pack: head, 3000 records, then the entries' bytes in the order
// given. Entries with an id outside 1..3000 are left out.
std::vector<uint8_t> BuildSoundPack(const std::vector<SoundEntrySpec>& entries);

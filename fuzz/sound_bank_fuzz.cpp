// The sound bank: any "all.snd" opened, a few of its ids played (whole files
// and headerless records) and the pool serviced while the sounds run.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_media.h"
#include "media/sound_bank.h"
#include "platform/headless/headless_media.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FuzzResetPlatform();
    ResetSoundBank();
    if (PutFuzzFile("all.snd", data + 1, size - 1).empty()) return 0;
    if (gSoundBank.OpenSound(FuzzFolder().c_str())) {
        // The first byte: a loop count and an id beyond the first three.
        const int loops = data[0] & 3;
        for (int id : {1, 2, 3, 1 + data[0], 3000}) {
            gSoundBank.PlayBankSound(nullptr, id, 100, 0, loops, 0);
            HeadlessAudioAdvance(40);
            gSoundBank.UpdateSounds();
        }
        gSoundBank.StopAllSounds();
        gSoundBank.UpdateSounds();
    }
    ResetSoundBank();
    HeadlessAudioReset();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    std::vector<uint8_t> wave = FuzzToneWave(22050, 1, 60);
    std::vector<SoundEntrySpec> entries = {
        {1, wave, kSoundKindWholeFile},
        {2, HeaderlessWave(wave), kSoundKindHeaderless},
    };
    std::vector<uint8_t> mp3 = FuzzToneMp3();
    if (!mp3.empty()) entries.push_back({3, mp3, kSoundKindWholeFile});
    WriteFuzzSeed(dir, "pack", 1, BuildSoundPack(entries));
}

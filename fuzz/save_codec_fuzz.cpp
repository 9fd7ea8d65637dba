// The saved-game reader on any bytes: a refused file is fine, a crash is not.
// What it accepts must encode again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "menu/save/save_codec.h"
#include "tools/file_writer.h"
#include "tools/save_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SaveImage image;
    if (DecodeSave(data, size, &image).ok) {
        SlotPreview preview;
        FillSlotPreview(image, &preview);
        std::vector<uint8_t> again;
        if (!EncodeSave(image, &again).ok) std::abort();
        SaveImage second;
        if (!DecodeSave(again.data(), again.size(), &second).ok) std::abort();
    }
    FameCounts counts{};
    DecodeFame(data, size, &counts);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const SaveFixture fixture = FullSaveFixture();
    WriteBytesToFile((dir + "/full.sav").c_str(), BuildSaveFile(fixture).bytes);
    WriteBytesToFile((dir + "/oldest.sav").c_str(), BuildSaveFile(fixture, 3).bytes);
    WriteBytesToFile((dir + "/to_fame.sav").c_str(), BuildSaveFile(fixture, 9).bytes);
    WriteBytesToFile((dir + "/fame.dat").c_str(), BuildFameFile({{1, 3}, {500, 9}}));
}

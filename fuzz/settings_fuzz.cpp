// The settings file "Env.dat": either layout, the upgrade of the older one,
// the rebuild of the file image, and the check of the install folder it names.
#include <cstdint>
#include <string>
#include <vector>

#include "base/settings.h"
#include "fuzz/support/fuzz_support.h"

namespace {
const EnvOptions kOptions{6, 6, 60, 100, 1, 2, 10};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzResetPlatform();
    ResetSettings();
    CopyFolderText(gInstallPath, FuzzFolder().c_str());
    if (PutFuzzFile("Env.dat", data, size).empty()) return 0;
    uint8_t kind = 0;
    char install[kPathMax] = {};
    char cd[kPathMax] = {};
    uint32_t sfx = 0, music = 0, cacheMB = 0, dword20 = 0, mapEffects = 0, textSpeed = 0, battleWait = 0;
    ReadEnv(&kind, install, cd, &sfx, &music, &cacheMB, &dword20, &mapEffects, &textSpeed, &battleWait);
    gInstallKind = kind;
    IsHardDiskInstall();
    ReadsFromInstallFolder();
    std::vector<uint8_t> image;
    BuildEnvImage(std::vector<uint8_t>(data, data + size), install, cd, kOptions, &image);
    // The folder the file named, as the start-up takes it; nothing is made
    // outside the scratch folder.
    CopyFolderText(gInstallPath, install);
    UseInstallFolderThatExists(FuzzFolder().c_str());
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    ResetSettings();
    SetDefaultKeys();
    std::vector<uint8_t> image;
    gInstallKind = 4;
    BuildEnvImage({}, "/home/player/game/", "", kOptions, &image);
    WriteFuzzSeed(dir, "current", image);
    gInstallKind = 2;
    BuildEnvImage({}, "D:\\Game\\", "E:\\", kOptions, &image);
    WriteFuzzSeed(dir, "foreign", image);
    // The older layout is the current one without its 4-byte marker.
    WriteFuzzSeed(dir, "older", std::vector<uint8_t>(image.begin() + 4, image.end()));
    WriteFuzzSeed(dir, "short", std::vector<uint8_t>(image.begin(), image.begin() + 30));
}

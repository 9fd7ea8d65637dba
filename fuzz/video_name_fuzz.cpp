// The video name scan of the play-video instruction: any script bytes and
// any install kind, with or without a disc. Whatever the name holds, the
// video asked for lies in one of the install's video folders.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "draw/display.h"
#include "draw/surface.h"
#include "fuzz/support/fuzz_media.h"
#include "media/video.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_media.h"

namespace {
// The display and the two video folders, made once.
void StartOnce() {
    static bool started = false;
    if (started) return;
    started = true;
    FuzzResetPlatform();
    HeadlessSetLayout(kLayout565);
    gDisplay.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16);
    gBackBuffer = gDisplay.CreateOffSurface(640, 480);
    gInput.InitDInput();
    std::vector<uint8_t> clip = FuzzVideo(false, 2);
    PutFuzzFile("Video\\op.avi", clip.data(), clip.size());
    PutFuzzFile("disc\\kyv3e\\Video\\op.avi", clip.data(), clip.size());
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

std::vector<uint8_t> Script(uint8_t kind, uint8_t disc, const std::string& name) {
    std::vector<uint8_t> bytes = FuzzJoin({kind, disc, 0x30, 0x00}, reinterpret_cast<const uint8_t*>(name.data()), name.size());
    return FuzzJoin(std::move(bytes), {0x25, 0x51, 0x07, 0x00});
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The kind, the disc switch, then the script from the opcode word on.
    if (size < 4) return 0;
    StartOnce();
    HeadlessResetSystem();
    HeadlessVideoReset();
    ResetErrorBoxes();
    ResetSettings();
    gInstallKind = data[0];
    const std::string installFolder = FuzzFolder();
    const std::string discFolder = FuzzFolder() + "disc\\";
    CopyFolderText(gInstallPath, installFolder.c_str());
    CopyFolderText(gCdPath, data[1] & 1 ? discFolder.c_str() : "");
    SetupVideoSound(nullptr, 0, 0);
    uint32_t position = 0, length = 0;
    PlayVideoCommand(data + 2, size - 2, &position, &length);
    if (position > size - 2 || length != position) __builtin_trap();
    const std::string asked = HeadlessVideoLastPath();
    if (!asked.empty() && !StartsWith(asked, installFolder + "Video\\") &&
        !StartsWith(asked, discFolder + "kyv3e\\Video\\")) {
        __builtin_trap();
    }
    for (int turn = 0; turn < 8 && (gGameMode & kModeVideo); ++turn) {
        ServiceVideo();
        HeadlessAdvanceClock(50);
    }
    StopVideo();
    ResetVideo();
    gGameMode = 0;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "hard-disk", Script(4, 0, "op.avi"));
    WriteFuzzSeed(dir, "disc", Script(2, 1, "op.avi"));
    WriteFuzzSeed(dir, "no-disc", Script(1, 0, "op.avi"));
    WriteFuzzSeed(dir, "unknown-kind", Script(7, 0, "pipe:0"));
    WriteFuzzSeed(dir, "no-end", std::vector<uint8_t>{3, 0, 0x30, 0x00, 'o', 'p'});
}

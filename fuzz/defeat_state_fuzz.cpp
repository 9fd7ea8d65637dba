// Fuzz target: the defeat display driven by a defeat state read from data
// (an action record's byte 43, SetDefeatEffect) and an override, on a frame
// made from the input, until the role has left.
//
// Input: a 4-byte head, then pixels.
//   0: options (1 unique enemy, 2 facing right, 4 a guard, 8 held every
//      other frame, 16 the tail is the frame's stored bytes rather than its
//      pixels, bits 5..6 the pixel layout)
//   1: the defeat state of the action; 2: the override (0 none)
//   3: the frame's width (1..64)
//   4..: the frame: 16-bit pixels, or the stored frame bytes
// What is checked: every display ends within its cap (the unique enemy's
// 1000-frame burst included), the role is out and no longer defeated, the
// particle image is freed, the music is back at the settings' volume, and
// at most one box was shown.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/random.h"
#include "battle/battle_services.h"
#include "battle/role/roles.h"
#include "fuzz/support/fuzz_draw.h"
#include "fuzz/support/fuzz_support.h"
#include "media/music.h"
#include "platform/headless/headless.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/rle_writer.h"
#include "tools/tsw_writer.h"

namespace {

constexpr size_t kHead = 4;
constexpr int kCallLimit = 2100;

void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "defeat_state: check at line %d failed\n", line);
    __builtin_trap();
}
#define Check(ok) CheckAt((ok), __LINE__)

std::vector<uint8_t> Acts() {
    std::vector<ActStreamData> slots(41, ActStreamData{false, {}});
    slots[36] = ActStreamData{true, ActWords("SD 0 XY 6 30 RF 1 PA 0 WV 12 ED OV")};
    slots[40] = ActStreamData{true, ActWords("SD 1 XY 6 30 RF 1 PA 0 ED O2")};
    return BuildActPack({{1, BuildActData(slots)}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead) return 0;
    const uint8_t options = data[0];
    FuzzDrawTarget target((options >> 5) & 3);
    ResetBattleServices();
    ResetMusic();
    gMusicVolume = 11;
    gMusic.SetMusicVolume(127);
    InitRandom(77);
    const uint8_t* tail = data + kHead;
    const size_t tailSize = size - kHead;
    const int width = 1 + data[3] % 64;
    TswFrameData frame;
    if (options & 16) {
        frame.bytes.assign(tail, tail + tailSize);
        frame.width = uint16_t(width);
        frame.height = uint16_t(std::max<size_t>(1, tailSize / 2 / size_t(width)));
    } else {
        std::vector<uint16_t> pixels;
        for (size_t i = 0; i + 1 < tailSize && pixels.size() < 64 * 64; i += 2)
            pixels.push_back(uint16_t(tail[i] | tail[i + 1] << 8));
        const int height = std::max<int>(1, int(pixels.size()) / width);
        pixels.resize(size_t(width) * size_t(height), 0);
        frame = TswFrameData{RleFromPixels(pixels, width, height), uint16_t(width), uint16_t(height)};
    }
    const std::string& folder = FuzzFolder();
    if (!WriteBytesToFile((folder + "all_char.tsw").c_str(), BuildTswPack({{1, 16, {}, {frame}}})) ||
        !WriteBytesToFile((folder + "all_char.act").c_str(), Acts()))
        return 0;
    FuzzDrawTarget::OpenPacks();

    MonRole& e = gMonRoles[0];
    e.ResetRoleForBattle();
    e.spriteSet = 1;
    e.side = (options & 4) ? 1 : 0;
    e.guard = (options & 4) ? 1 : 0;
    e.facing = (options & 2) ? 1 : 0;
    e.SetRolePos(48, 50);
    if (options & 1) e.monRecord.typeBits |= kObjUnique;
    e.objRecord = &e.monRecord;
    if (data[2] != 0) e.SetDefeatEffectOverride(data[2]);
    e.SetDefeatEffect(data[1]);
    e.defeated = 1;

    int calls = 0;
    bool left = false;
    while (!left && calls < kCallLimit) {
        e.holdFlag = (options & 8) && (calls % 2 == 1) ? 1 : 0;
        left = e.RunDefeatEffect() == 1;
        ++calls;
    }
    Check(left);
    Check(e.defeated == 0);
    Check(e.out == 1);
    Check(e.defeatParticles.pixels == nullptr);
    Check(gMusic.masterVolume == 127);
    Check(HeadlessMessageBoxes().size() <= 1);
    e.ResetRoleForBattle();
    ResetBattleServices();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 12 * 20; ++i) {
        const uint16_t p = uint16_t(0x7C00 | (i % 31));
        pixels.push_back(uint8_t(p));
        pixels.push_back(uint8_t(p >> 8));
    }
    const uint8_t states[] = {0, 1, 2, 3, 5, 7, 8, 9, 10, 12, 14, 16, 40, 50, 51, 77};
    for (uint8_t s : states)
        WriteFuzzSeed(dir, "state_" + std::to_string(s), FuzzJoin({0x00, s, 0x00, 12}, pixels));
    WriteFuzzSeed(dir, "unique", FuzzJoin({0x01, 4, 0x00, 12}, pixels));
    WriteFuzzSeed(dir, "override_held", FuzzJoin({0x0B, 4, 14, 12}, pixels));
    WriteFuzzSeed(dir, "stored_bytes", FuzzJoin({0x10, 2, 0x00, 12}, RleFromPixels(std::vector<uint16_t>(240, 0x03E0), 12, 20)));
}

// Fuzz target: the battle's effect layers over act streams from the input.
// The input's first two bytes are options, the rest one animation-pack entry
// (stream count, offset table, streams) stored as acts 1 and 2 of the
// character pack, so a stream's follow-ups ("AE 1", "AE 2") start copies of
// it. Second-layer acts are started from it and passed over for a run of
// frames; after-images are added with levels and fades from the options.
//
// What is checked: the list never holds more than its bound, a frame that
// starts a follow-up never adds to the mark, every after-image ends within
// 17 updates, and the reset leaves both layers empty.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "battle/battle_services.h"
#include "battle/effects/actor_effects.h"
#include "battle/effects/effect_layers.h"
#include "fuzz/support/fuzz_draw.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"

namespace {

constexpr int kPasses = 64;

void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "second_layer: check at line %d failed\n", line);
    __builtin_trap();
}
#define Check(ok) CheckAt((ok), __LINE__)

int Nodes() {
    int n = 0;
    for (const MagicLayerNode* p = gSecondLayerMagic; p != nullptr; p = p->next) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    FuzzDrawTarget target(kFormat565);
    ResetBattleServices();
    const std::vector<uint8_t> entry(data + 2, data + size);
    if (!WriteBytesToFile((FuzzFolder() + "all_char.act").c_str(), BuildActPack({{1, entry}, {2, entry}}))) return 0;
    FuzzDrawTarget::OpenPacks();

    const uint8_t options = data[0];
    const uint32_t mirror = options & 1;
    const uint16_t x = uint16_t((options & 2) ? 319 : 320);
    AddSecondLayerMagic(1, (options >> 2) & 7, x, 200, mirror);
    if (options & 0x20) AddSecondLayerMagic(2, 0, x, 100, mirror);
    if (options & 0x40) AddSecondLayerMagic(0, 0, x, 100, mirror);  // refused
    for (int pass = 0; pass < kPasses && !IsSecondLayerMagicEmpty(); ++pass) {
        DrawSecondLayerMagic();
        Check(Nodes() <= kSecondLayerMax);
        Check((GetSecondLayerMark() & 0x20) == 0);
    }

    ActorEffectList images{};
    for (int i = 0; i < 4; ++i) {
        ActorEffectNode n{};
        n.picture = uint16_t(9045 + i);
        n.key = uint16_t(i);
        n.options = uint8_t(data[1] & 1);
        n.level = int16_t(int8_t(data[1] + 37 * i));
        n.fade = int16_t(int8_t(data[1] >> 1) - i);
        AddActorEffect(&images, &n);
    }
    for (int frame = 0; frame < 17; ++frame) UpdateActorEffects(&images);
    Check(IsEffectListEmpty(&images) == 1 && images.count == 0);

    ResetEffectLayers();
    Check(IsSecondLayerMagicEmpty() == 1 && GetSecondLayerMark() == 0);
    ResetBattleServices();
    ReleaseActCache();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::vector<std::vector<const char*>> entries = {
        {"SD 0 PA 0 ED PA 1 AT 1 ED PA 2 AT 2 O2"},
        {"SD 0 AE 2 QE 0 AT 0x20 PA 0 ED PA 1 O2"},
        {"SD 0 AE 1 QE 0 AT 0x20 PA 0 ED PA 1 OV"},
        {"SD 1 WV 7 XY 10 4 RF 9045 PA 0 ED PA 1 LP 0 1 0 OV"},
    };
    // Options: plain; mirrored at x 319 with act 2 too; act 2 too (a chain
    // that fills the list); act 0 refused and a parameter with no stream.
    const uint8_t firsts[] = {0x00, 0x23, 0x20, 0x45};
    for (size_t i = 0; i < entries.size(); ++i) {
        std::vector<uint8_t> seed = {firsts[i], uint8_t(0x41 + 0x23 * i)};
        const std::vector<uint8_t> e = BuildActDataFromText(entries[i]);
        seed.insert(seed.end(), e.begin(), e.end());
        WriteFuzzSeed(dir, "layer" + std::to_string(i), seed);
    }
}

// Fuzz target: battle messages as scripts and callers give them (texts with
// colour codes, flags and lives), drawn and aged until the queue is empty.
//
// Input: a run of messages, each a flags selector byte, a life byte and a
// text up to a 0 byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "base/edition.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"
#include "draw/text_font.h"
#include "fuzz/support/fuzz_draw.h"
#include "platform/plat_font.h"

namespace {

// The combinations the game uses, and single bits.
constexpr uint32_t kFlagChoices[] = {0x40000002, 0x41000002, 0x42000002, 0x80000002, 0x81000002, 0x40, 0x2,
                                     0x10,       0x20,       0x1,        0x30,       0x70,       0x0, 0xFFFFFFFF};

bool BoxRasteriser(int, int, uint16_t code, uint8_t* cell, int w, int h, int rowBytes) {
    for (int y = 0; y < h; y += 3) cell[y * rowBytes] = static_cast<uint8_t>(code | 0x80);
    (void)w;
    return true;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzDrawTarget target(size ? data[0] : 0);
    PlatFontSetRasteriser(BoxRasteriser);
    gFontLarge.Init(nullptr);
    gFontLarge.SetFont(gEdition.fontFace, 20);
    gFontLarge.SetTarget(FuzzDrawTarget::kWidth, FuzzDrawTarget::kHeight);
    ResetBattleMessages();
    ResetBattleTint();

    int longestLife = 0;
    size_t i = size ? 1 : 0;
    while (i + 2 <= size) {
        const uint32_t flags = kFlagChoices[data[i] % (sizeof kFlagChoices / sizeof kFlagChoices[0])];
        const uint16_t life = data[i + 1];
        i += 2;
        const size_t end = std::find(data + i, data + size, 0) - data;
        const std::string text(reinterpret_cast<const char*>(data + i), end - i);
        i = end + 1;
        if (AddBattleMessage(280, 10, life, text.c_str(), flags) == 0) {
            longestLife = life > longestLife ? life : longestLife;
            const BattleMessage* m = gBattleMsgs;
            while (m->next) m = m->next;
            Check(std::strlen(m->text) <= kMsgTextMax && m->length >= 0 &&
                  m->length <= static_cast<int>(std::strlen(m->text)));
        }
        DrawBattleMessages();
    }
    // Every message leaves: its life, then a slide-out of a few frames.
    for (int frame = 0; gBattleMsgs && frame <= longestLife + 16; ++frame) DrawBattleMessages();
    Check(gBattleMsgs == nullptr && gMsgStackCount == 0 && gMsgBlockCount == 0);

    ResetBattleMessages();
    gFontLarge.Reset();
    PlatFontSetRasteriser(nullptr);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::string seeds[] = {
        std::string("\x00\x00\x14", 3) + "$1Hero$0 resists" + std::string("\0\x01\x1e", 3) + "$3Cannot flee!!",
        std::string("\x01\x02\x05", 3) + "\xA4\xA4$2\xA5\x5B$" + std::string("\0\x05\x23", 3) + "Stolen",
        std::string("\x02\x07\x02", 3) + "$9$x$" + std::string("\0\x08\x01", 3) + "$0ab$1cd",
    };
    int n = 0;
    for (const std::string& s : seeds) std::ofstream(dir + "/message" + std::to_string(n++), std::ios::binary) << s;
}

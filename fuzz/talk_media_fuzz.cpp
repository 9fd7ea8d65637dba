// Fuzz target of the media talk instructions: any bytes as the talk window,
// walked instruction by instruction; each effect, party, item, media or
// system instruction found is run by its handler (a waiting one a few
// times), with every module it touches reset between inputs.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "base/memory.h"
#include "fuzz/support/fuzz_support.h"
#include "media/music.h"
#include "media/video.h"
#include "menu/menu_services.h"
#include "tools/talk_asm.h"
#include "world/map/frame_sequence.h"
#include "world/map/map_effects.h"
#include "world/minigame/mini_game.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"

namespace {

bool IsMediaOp(uint16_t op) {
    static const uint16_t kOps[] = {0x3A, 0x99, 0x6A, 0x9A, 0x4F, 0xD0, 0x51, 0x52, 0x56, 0x70, 0x53, 0x54, 0xB3,
                                    0xAB, 0xAD, 0xAA, 0xAC, 0x3B, 0x71, 0x72, 0x89, 0x8D, 0x7B, 0xC0, 0x60, 0x61,
                                    0x62, 0x63, 0xAF, 0xB0, 0xD6, 0xC2, 0xC3, 0xC4, 0x55, 0x80, 0x81, 0x82, 0xA7,
                                    0xA8, 0xA5, 0xA6, 0x83, 0x84, 0x85, 0x86, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0x58,
                                    0x87, 0x90, 0x8E, 0x8F, 0xB4, 0xD1, 0xD2, 0x7A};
    for (uint16_t o : kOps)
        if (o == op) return true;
    return false;
}

void ResetModules() {
    FuzzResetPlatform();
    ResetTalkMachine();
    ResetMapEffects();
    FreeItemLists();
    ResetMemberStats();
    ResetStoryFlags();
    ResetVideo();
    ResetMusic();
    StopFrameSequence();
    EndMiniGame();
    FreeMem(gShopStockIds);
    gShopStockIds = nullptr;
    gGameMode = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetModules();
    uint8_t* window = gTalkMachine.window;
    std::memset(window, 0x0C, kTalkWindowBytes);
    std::memcpy(window, data, size < kTalkWindowBytes ? size : kTalkWindowBytes);
    const size_t used = size < kTalkWindowBytes ? size : kTalkWindowBytes;
    for (size_t pc = 0, steps = 0; pc < used && steps < 64; ++steps) {
        TalkInstr in;
        in.at = window + pc;
        in.word = uint16_t(in.at[0] | (pc + 1 < kTalkWindowBytes ? in.at[1] << 8 : 0));
        in.op = in.word & kTalkOpMask;
        in.pc = uint32_t(pc);
        in.length = TalkInstrLength(window, kTalkWindowBytes, pc);
        const TalkHandler handler = FindTalkHandler(in.op);
        if (in.length == 0) {
            ++pc;
            continue;
        }
        if (handler && IsMediaOp(in.op)) {
            for (int run = 0; run < 3 && handler(in) == TalkStep::kWait; ++run) {
            }
        }
        pc += in.length;
    }
    ResetModules();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* sources[] = {
        "talk 0\n  playact 10 20 300 4\n  waitact1 3\n  throw 5 1 0 0 9 9 8\n  waitthrow 5 1\n"
        "  headin 7 1 100 200\n  headout 7 1\n  waitheads\n  area 3 1 1 10 10 100 60\n  areamode 3 0\n"
        "  ripple 320 240 30 200\n  banner0 \"no way\"\n  banner0off\n",
        "talk 0\n  sfx 3\n  musicfade 2 20\n  talkmusic 1 2 5\n  mapmusic 0xFFF0 1 2 1\n  waitmusic\n"
        "  sequence \"%*intro.seq\"\n  seqframe 3\n  waitseqframe 2\n  waitsequence\n  video \"a.avi\"\n"
        "  waitvideoframe 4 1 2\n  waitvideo\n",
        "talk 0\n  additem 10 2\n  ifitem 10 x\nx:\n  learnmagic 0 20\n  equip 0 2 10\n  heal 1 -5 3 3\n"
        "  ifstatlt 6 10 x\n  setstat 6 -3\n  shop 1 2 3\n  nameentry 1\n  storytimer 1 0 5\n  timercancel\n"
        "  fight 3\n  menu 1\n",
    };
    int n = 0;
    for (const char* source : sources) {
        std::map<uint32_t, std::vector<uint8_t>> files;
        if (!AssembleTalkFiles(source, &files, nullptr)) continue;
        const std::vector<uint8_t>& f = files.begin()->second;
        const size_t at = kTalkHeadBytes + 4 * kTalkEntriesPerFile + 2;  // after the shared end
        const std::vector<uint8_t> code(f.begin() + long(at), f.end());
        WriteFuzzSeed(dir, "media_" + std::to_string(n++) + ".bin", code);
    }
}

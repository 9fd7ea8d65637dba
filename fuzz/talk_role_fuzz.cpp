// Fuzz target of the role, movement and view instructions: any bytes as a
// talk window, run instruction by instruction through the handlers of that
// family on a small map with a few roles; a waiting instruction is run a few
// more frames with the renderer's path moves stepped in between. Operands, role
// indexes, icon numbers, scroll steps, tint frames and shake lists come from
// the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "tests/support/talk_moves.h"
#include "tools/talk_asm.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_render.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/world_reset.h"

namespace {

constexpr int kMaxInstructions = 256;
constexpr int kWaitFrames = 8;

void MakeWorld() {
    ResetWorld();
    ResetStoryFlags();
    ResetTalkMachine();
    ClearPathSlots();
    gMap.width = 48;
    gMap.height = 40;
    gMap.cells.assign(size_t(gMap.width) * gMap.height, 0);
    for (uint32_t x = 0; x < gMap.width; ++x) gMap.cells[20 * gMap.width + x] = 0x40000000;  // a wall row
    AllocDrawOrder();
    const uint16_t guids[] = {1, 20, 21, 22};
    for (uint32_t i = 0; i < 4; ++i) {
        RoleRecord& r = gRole[i];
        ResetActRecord(&r.act);
        r.guid = guids[i];
        r.x = int32_t(4 + 6 * i) * 16;
        r.y = 8 * 16;
        r.flags = 0x8000 | (i == 3 ? 0x80u : 0u);
        r.cellIndex = RoleCellIndex(&r);
        InsertDrawOrder(&r, 0);
    }
    TotalRole = 4;
    gPlayerRole = 0;
    ResetPartyLine();
    gTalkContext.guid = 20;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kTalkWindowBytes) return 0;
    FuzzResetPlatform();
    MakeWorld();
    TalkHandler family[kTalkHandlerSlots] = {};
    RegisterTalkRoleOps(family);
    std::memset(gTalkMachine.window, 0x0C, sizeof gTalkMachine.window);
    std::memcpy(gTalkMachine.window, data, size);
    uint32_t pc = 0;
    for (int n = 0; n < kMaxInstructions && pc < size; ++n) {
        TalkInstr in;
        in.at = gTalkMachine.window + pc;
        in.word = uint16_t(in.at[0] | in.at[1] << 8);
        in.op = in.word & kTalkOpMask;
        in.pc = pc;
        in.length = TalkInstrLength(gTalkMachine.window, sizeof gTalkMachine.window, pc);
        // The map change loads another map from the install: not this target's.
        if (in.length == 0 || in.op >= kTalkHandlerSlots || !family[in.op] || in.op == 0x1B) {
            pc += in.length ? in.length : 2;
            continue;
        }
        TalkStep step = family[in.op](in);
        for (int frame = 0; step == TalkStep::kWait && frame < kWaitFrames; ++frame) {
            StepTalkMoves();
            in.word = uint16_t(in.at[0] | in.at[1] << 8);
            step = family[in.op](in);
        }
        if (step == TalkStep::kFail) break;
        pc += in.length;
    }
    ClearPathSlots();
    ResetWorld();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* sources[] = {
        "talk 0\n  walkto 20 10 12\n  step 20\n  movewait 2 21 3 3 22 0xFFFF 30\n  unlock 20\n  holdrole 21\n"
        "  place 22 40 2\n  gather\n",
        "talk 0\n  scroll 3 -2 5 0\n  waitscroll\n  scrollto 70 70 16 16\n  waitscrolly 100\n  shake 2 1 -1 2 -2\n"
        "  tint 0 0 0 40 -40 5 0\n  waittint\n  focusto 40 40 -3 0\n  waitfocus\n",
        "talk 0\n  setqq 20 8\n  setdir 20 3\n  setact 20 0\n  icon 21 11\n  icon 21 12\n  defrole 30 0xFFFF 4 11 12 0 0 0\n"
        "  ifroleat 9 1 1 x\nx:\n  placerole 22\n  becomeplayer 21\n  hide 20\n  show 20\n",
    };
    int n = 0;
    for (const char* source : sources) {
        std::map<uint32_t, std::vector<uint8_t>> files;
        if (!AssembleTalkFiles(source, &files, nullptr)) continue;
        const std::vector<uint8_t>& f = files.begin()->second;
        const uint32_t start = kTalkHeadBytes + (f[512] | f[513] << 8 | f[514] << 16 | uint32_t(f[515]) << 24);
        WriteFuzzSeed(dir, "role_" + std::to_string(n++), std::vector<uint8_t>(f.begin() + start, f.end()));
    }
}

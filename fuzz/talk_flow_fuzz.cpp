// Fuzz target of the flow instructions of talk scripts: any bytes as the
// running talk's window, every flow instruction in it run through its
// handler (jumps, flags, clock, role values, dialogs, captions, waits),
// with a few roles, role definitions and choice buttons in place.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/game_state.h"
#include "base/random.h"
#include "draw/dialog_node.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/talk_asm.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_def.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"

namespace {

uint8_t gDefs[3 * kRoleDefBytes];

void SetUpWorld() {
    for (auto& r : gRole) r = RoleRecord{};
    TotalRole = 3;
    gPlayerRole = 0;
    const uint16_t guids[3] = {1, 50, 60};
    for (uint32_t i = 0; i < 3; ++i) {
        gRole[i].guid = guids[i];
        gRole[i].flags = kRoleActive;
        gRole[i].x = int32_t(64 * (i + 1));
        gRole[i].y = 160;
    }
    std::memset(gDefs, 0, sizeof gDefs);
    gRoleDef = gDefs;
    gRoleDefBytes = sizeof gDefs;
    for (uint32_t i = 0; i < 3; ++i) {
        RoleDef d{};
        d.guid = uint16_t(10 + i);
        d.kept = uint16_t(0x0102 * i);
        PutRoleDefAt(i, d);
    }
    gTalkContext = RoleRecord{};
    gTalkContext.guid = 50;
    gTalkContext.x = 200;
    gTalkContext.y = 200;
    AddEventRect(0, 10, 10, 100, 30);
}

void TearDownWorld() {
    FreeDialogList();
    FreeEventRects();
    ResetDialogSetup();
    ResetTalkMachine();
    ResetStoryFlags();
    gRoleDef = nullptr;
    gRoleDefBytes = 0;
    TotalRole = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kTalkWindowBytes) return 0;
    FuzzResetPlatform();
    ResetRandom();
    TalkHandler flow[kTalkHandlerSlots] = {};
    RegisterTalkFlowOps(flow);
    SetUpWorld();
    // The code at the end of the window, so an instruction that runs past the
    // input runs past the window too.
    uint8_t* window = gTalkMachine.window;
    const size_t start = kTalkWindowBytes - size;
    std::memset(window, 0x0C, start);
    std::memcpy(window + start, data, size);
    uint32_t pc = uint32_t(start);
    int waits = 0;
    for (int steps = 0; steps < 512 && pc < kTalkWindowBytes; ++steps) {
        TalkInstr in;
        in.length = TalkInstrLength(window, kTalkWindowBytes, pc);
        if (in.length == 0) break;
        in.at = window + pc;
        in.pc = pc;
        in.word = uint16_t(in.at[0] | in.at[1] << 8);
        in.op = in.word & kTalkOpMask;
        const TalkHandler handler = in.op < kTalkHandlerSlots ? flow[in.op] : nullptr;
        if (handler && handler(in) == TalkStep::kWait && ++waits < 3) {
            gNow += kFrameMs;
            continue;
        }
        waits = 0;
        pc += in.length;
    }
    TearDownWorld();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* sources[] = {
        "talk 0\ntop:\n  opt20\n  opttimer 30\n  optanchor 700 100\n  caption starter\n  dlgw starter 0 \"hi%B"
        "yes.%N%Bno.\"\n  waitdlg1 50\n  waitdlg 50\n  choice top next\nnext:\n  closedlg 50\n  end\n",
        "talk 0\n  rvadd 10 1 250\n  ifrvcmp 10 1 11 2 x\n  rvswitch 12 1 x x\nx:\n  random x x\n  sleep 1\n"
        "  history \"kept\"\n  captionvar 11\n  end\n",
        "talk 0\n  ifallflags 1 2 3 y\n  ifanyflag y\n  setclock 999\n  markclock\n  ifclocksince 3 y\ny:\n"
        "  optoffset -5 7\n  opt40000\n  dlgsizew none 0 10 4 \"sized\"\n  waitdlg none\n  end\n",
    };
    int n = 0;
    for (const char* source : sources) {
        std::map<uint32_t, std::vector<uint8_t>> files;
        if (!AssembleTalkFiles(source, &files, nullptr)) continue;
        const std::vector<uint8_t>& f = files.begin()->second;
        const size_t code = kTalkHeadBytes + 4 * kTalkEntriesPerFile + 2; // entry 0's code
        if (f.size() <= code) continue;
        WriteFuzzSeed(dir, "flow" + std::to_string(n++), std::vector<uint8_t>(f.begin() + long(code), f.end()));
    }
}

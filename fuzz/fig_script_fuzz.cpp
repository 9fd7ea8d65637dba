// Fuzz target: the battle script interpreter running "figtalk.dat" from the
// input over a loaded scene of two enemies, under a budget of calls.
//
// Input: one byte of options, then the file's bytes.
//   0: bit 0 a second member fights, bit 1 the spirit's flag (no spirit
//      record: it stays out), bits 2..3 the script's battle number (1..4)
// What is checked: every call returns 0, 1 or 2; once the script has ended
// the battle is released and the next call ends again without running; the
// pc stays inside the file (its head included: a target may be negative) or
// the built-in script; no instruction stays longer than its wait limit.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/script/fig_ops.h"
#include "battle/script/fight_script.h"
#include "draw/dialog_node.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/fig_asm.h"
#include "tools/file_writer.h"
#include "tools/obj_db_writer.h"
#include "tools/refine_writer.h"
#include "tools/scene_writer.h"
#include "world/map/map_effects.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

namespace {

constexpr int kBudget = 400;  // calls per input
constexpr uint16_t kSlime = 2001;

void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "fig_script: check at line %d failed\n", line);
    __builtin_trap();
}
#define Check(ok) CheckAt((ok), __LINE__)

void Install() {
    static bool done = false;
    if (done) return;
    done = true;
    const std::string& dir = FuzzFolder();
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", dir.c_str());
    WriteMonDat(dir, {{kSlime, BlockObjectBytes("Slime", 0, {{90, 30}, {92, 10}, {94, 20}, {104, 150}})}}, {});
    BattleSceneRecord r{};
    r.enemyCount = 2;
    for (int i = 0; i < 2; ++i) {
        r.monsterId[i] = kSlime;
        r.homeX[i] = uint16_t(120 + 40 * i);
        r.homeY[i] = uint16_t(200 + 60 * i);
    }
    std::map<uint16_t, std::vector<BattleSceneRecord>> scenes;
    for (uint16_t n = 1; n <= 4; ++n) scenes[n] = {r};
    WriteBytesToFile((dir + "battle.ffd").c_str(), BuildBattleFfd(scenes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Install();
    FuzzResetPlatform();
    ResetBattleServices();
    ResetStoryFlags();
    ResetMemberStats();
    FreeDialogList();
    gParticleLists.clear();
    gRoleHeads.clear();
    InitRandom(11);
    gGameMode = 0;
    gTalkVar[0] = 100;
    for (int m = 0; m < 4; ++m) gMemberStats[m].gauge[0] = gMemberStats[m].gaugeMax[0] = 200;
    const uint8_t options = data[0];
    SetFlag(30);
    if (options & 1) SetFlag(31);
    if (options & 2) SetFlag(90);
    PutFuzzFile("figtalk.dat", data + 1, size - 1);
    LoadBattleScene(1u + ((options >> 2) & 3u));
    int ended = 0;
    for (int call = 0; call < kBudget; ++call) {
        // The player closes every window after a few frames.
        if (call % 8 == 7) FreeDialogList();
        const int r = RunFightScript();
        Check(r == 0 || r == 1 || r == 2);
        const FigScriptView v = FigScriptState();
        Check(v.stayFrames <= kFigWaitLimit);
        if (r != 1) {
            ++ended;
            Check(gBattleMonCount == 0);
            if (ended == 2) break;
            continue;
        }
        Check(!v.running || !v.staged || (v.pc >= -int64_t(kFigHeadBytes) && v.pc < int64_t(size) + 4096));
        Check(ended == 0 || r != 1);
    }
    FreeDialogList();
    ResetBattleServices();
    FreeItemLists();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    std::string source = "battle 1\n  opening 0\ntop:\n";
    for (const FigOpInfo& info : kFigOps) {
        if (info.op == kFigOpEnd || info.op == 24 || info.op == 31 || info.op == 19) continue;
        std::string line = std::string("  ") + info.name;
        for (const char* c = info.operands; *c; ++c) {
            if (*c == 't') line += " top";
            else if (*c == 's') line += " \"hi\"";
            else if (*c == 'l') line += " top";
            else if (*c == 'v') line += " 0 20";
            else if (*c == 'r') line += info.op == 58 ? " 1" : " 0";
            else if (*c == 'w') line += " 2";
        }
        source += line + "\n";
    }
    source += "  end\nbattle 2\n  fight 3\n  forcewin\n  fight 50\n  end\n";
    std::vector<uint8_t> bytes;
    std::string error;
    if (AssembleFigTalk(source, &bytes, &error)) {
        WriteFuzzSeed(dir, "every_op.dat", 0x01, bytes);
        WriteFuzzSeed(dir, "fight.dat", 0x04, bytes);
    }
}

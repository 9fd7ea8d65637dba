// The battle script interpreter.
//
// Until the interpreter is built every fight runs as a script of two
// instructions would: the opening, then battle frames until one side is out.
#include "battle/script/fight_script.h"

#include "battle/battle_frame.h"
#include "battle/battle_services.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"

uint16_t gSceneRepeat;

namespace {

struct FigState {
    int opened;     // 1 once the opening has started
    int endAtOnce;  // the battle could not be set up
};
FigState gFig;

int EndFight(int result) {
    ReleaseBattle();
    CloseFigTalk();
    return result;
}

}  // namespace

int LoadFightScript(uint32_t n) {
    gFig = FigState{};
    return 0;
}

void CloseFigTalk() { ResetFigTalkState(); }

void ResetFigTalkState() { gFig = FigState{}; }

void EndFightScriptAtOnce() { gFig.endAtOnce = 1; }

int RunFightScript() {
    if (gFig.endAtOnce || gBattleMonCount == 0) return EndFight(0);
    if (!gFig.opened) {
        gFig.opened = 1;
        StartBattle(0);
    }
    if (IsBattleOpeningRunning()) {
        StepBattleOpening();
        return 1;
    }
    gBattleLive = 1;
    const uint32_t r = BattleFrame();
    if (r == 1) return 1;
    return EndFight(int(r));
}

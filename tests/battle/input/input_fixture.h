// Two members and two enemies in a battle whose command menu is up for
// member 0 (SEL 20), with helpers that write the key states frame by frame as
// the key update would.
#pragma once
#include <vector>

#include "base/input.h"
#include "battle/action/action_perform.h"
#include "battle/action/action_state.h"
#include "battle/battle_frame.h"
#include "battle/input/battle_input.h"
#include "battle/input/input_state.h"
#include "battle/input/menu_choice.h"
#include "battle/results/battle_results.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "tests/battle/manrole/man_fixture.h"
#include "world/walk/key_state.h"

class BattleInputTest : public ManRoleTest {
protected:
    void SetUp() override {
        ManRoleTest::SetUp();
        gInput.ReleaseDInput();
        ClearKeyStates();
        Party(0, 0);
        Party(1, 1);
        gBattle.partyMask = 0x3;
        Enemy(0);
        Enemy(1);
        gEnemyTargetOrder[0] = 0;
        gEnemyTargetOrder[1] = 1;
        SEL = 20;
        fMenu = kMenuIcons;
        gBattleEnding = 1;
        gPanelOpenStep = 6;
        gOpeningSlot = 0x80;
        ResetCommandFlags();
    }
    void TearDown() override {
        gInput.ReleaseDInput();
        ClearKeyStates();
        ManRoleTest::TearDown();
    }

    // One frame with record `k` held for `frames` frames (0: up) and the
    // others up, as the key update leaves them.
    static void Frame(int k, uint32_t frames) {
        ClearKeyStates();
        gKeyState[k].framesHeld = frames;
        gKeyState[k].state = frames != 0 ? 1 : 0;
        BattleKeyInput();
    }
    // One press of record `k` (a single frame).
    static void Press(int k) { Frame(k, 1); }

    // The mouse at (x, y), moved since the last test.
    static int MouseAt(int x, int y) {
        gKeyInput.mouseX = x;
        gKeyInput.mouseY = y;
        gBattleInput.lastMouseX = x + 1;
        return BattleMouseHitTest();
    }
};

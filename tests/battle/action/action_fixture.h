// A clean battle for the command application and the action performance:
// party roles and enemies placed by hand, a small object table, and fake
// performers that finish after a set number of frames (and can leave an
// amount to book on their last frame).
#pragma once
#include <array>

#include "battle/action/action_perform.h"
#include "battle/action/action_state.h"
#include "battle/action/enemy_command.h"
#include "battle/action/party_command.h"
#include "battle/action/performers.h"
#include "battle/battle_debug.h"
#include "tests/battle/manrole/man_fixture.h"

// What a fake performer of a kind does: frames until it finishes, the life
// amount it leaves in gActionLife on that frame, and the frames it was called.
struct FakeKind {
    int frames = 1;
    int32_t amount = 0;
    int calls = 0;
    int result = 1;  // what it returns when it finishes
};

enum FakeId : int {
    kFakeAttack, kFakeApproach, kFakeWalkBack, kFakeTechnique, kFakeSkill, kFakeSkill24, kFakeRefine, kFakeSteal,
    kFakeRetreat, kFakeSummon, kFakeFusion, kFakeCapture, kFakeDefeat, kFakeAppear, kFakeVanish, kFakeMonAttack,
    kFakeMonSpecial, kFakeMonLeave, kFakeSwallow, kFakeFadeOut, kFakeFadeIn, kFakeCount
};

inline std::array<FakeKind, kFakeCount> gFakes;

template <int K>
int Fake(Role*, Role*, int) {
    FakeKind& f = gFakes[K];
    if (++f.calls < f.frames) return 0;
    gActionLife = f.amount;
    return f.result;
}

class ActionTest : public ManRoleTest {
protected:
    void SetUp() override {
        ManRoleTest::SetUp();
        gFakes = {};
        gInvincible = 0;
        gPerformers.attack = Fake<kFakeAttack>;
        gPerformers.approach = Fake<kFakeApproach>;
        gPerformers.walkBack = Fake<kFakeWalkBack>;
        gPerformers.technique = Fake<kFakeTechnique>;
        gPerformers.skill = Fake<kFakeSkill>;
        gPerformers.skill24 = Fake<kFakeSkill24>;
        gPerformers.refine = Fake<kFakeRefine>;
        gPerformers.steal = Fake<kFakeSteal>;
        gPerformers.retreat = Fake<kFakeRetreat>;
        gPerformers.summon = Fake<kFakeSummon>;
        gPerformers.fusion = Fake<kFakeFusion>;
        gPerformers.capture = Fake<kFakeCapture>;
        gPerformers.defeat = Fake<kFakeDefeat>;
        gPerformers.appear = Fake<kFakeAppear>;
        gPerformers.vanish = Fake<kFakeVanish>;
        gPerformers.monAttack = Fake<kFakeMonAttack>;
        gPerformers.monSpecial = Fake<kFakeMonSpecial>;
        gPerformers.monLeave = Fake<kFakeMonLeave>;
        gPerformers.swallow = Fake<kFakeSwallow>;
        gPerformers.fadeOut = Fake<kFakeFadeOut>;
        gPerformers.fadeIn = Fake<kFakeFadeIn>;
    }
    void TearDown() override {
        UseDefaultPerformers();
        gInvincible = 0;
        ManRoleTest::TearDown();
    }

    // The turn of combatant `id` as the queue hands it.
    static void Turn(int id, int sideWord = 0, int whole = 0, int group = 0, int alk = 1) {
        gCurRole = EmptyOrderEntry();
        gCurRole.id = id;
        gCurRole.ALk = alk;
        if (id < kFirstManId)
            gCurRole.monCommandSet = sideWord;
        else
            gCurRole.manCommandSet = sideWord;
        gCurRole.wholeSide = whole;
        gCurRole.sideFlag = group;
    }

    // One battle frame of a party command: the command, then the action
    // performance with its over bit, as the battle frame runs them.
    static int PartyFrame(int slot, int target) {
        const int r = ApplyBattleCommand(slot, target);
        if (RunCurrentAction() == 1) gActionFlags |= kActionOver;
        return r;
    }
    static int EnemyFrame(int id, int target) {
        const int r = ApplyEnemyCommand(id, target);
        if (RunCurrentAction() == 1) gActionFlags |= kActionOver;
        return r;
    }
    // Frames until the command finishes (at most `limit`); -1 when it did not.
    template <typename F>
    static int FramesUntilDone(F frame, int limit = 100) {
        for (int n = 1; n <= limit; ++n)
            if (frame() == 1) return n;
        return -1;
    }

    static int32_t Life(Role& r) {
        int32_t life = 0, max = 0;
        r.GetRoleLife(&life, &max);
        return life;
    }
    static bool AllTargetsOpen() {
        for (int32_t d : gHitDone)
            if (d != -1) return false;
        return true;
    }
    static std::string LastMessage() {
        const BattleMessage* last = nullptr;
        for (BattleMessage* m = gBattleMsgs; m != nullptr; m = m->next) last = m;
        return last != nullptr ? last->text : "";
    }
};

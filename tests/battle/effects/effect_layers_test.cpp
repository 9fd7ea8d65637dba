// The effect layers: second-layer magic (marks, follow-ups, removals and the
// acts that cannot play) and the roles' after-images (fading and removal).
#include <gtest/gtest.h>

#include <vector>

#include "battle/effects/actor_effects.h"
#include "battle/effects/effect_layers.h"
#include "tests/battle/enemy/enemy_fixture.h"

namespace {

enum : int {
    kMarkAct = 7,      // frames 3 and 5 raise marks 0x1 and 0x2, six frames
    kStarterAct = 8,   // starts act 10 as its follow-up on its first frame
    kSelfAct = 9,      // names itself as its follow-up
    kFollowAct = 10,   // raises mark 0x4 on its first frame
    kLoopAct = 11,     // never ends
    kMissingAct = 20,  // no entry in the pack
};

class EffectLayersTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        Pack("all_char.act",
             {{kMarkAct, Entry({{0, "SD 0 PA 0 ED PA 1 ED PA 2 AT 1 ED PA 3 ED PA 4 AT 2 ED PA 5 O2"}})},
              {kStarterAct, Entry({{0, "SD 0 AE 10 QE 0 AT 0x20 PA 0 ED PA 1 ED PA 2 O2"}})},
              {kSelfAct, Entry({{0, "SD 0 AE 9 QE 0 AT 0x20 PA 0 ED PA 1 O2"}})},
              {kFollowAct, Entry({{0, "SD 0 AT 4 PA 0 ED PA 1 O2"}})},
              {kLoopAct, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})}});
    }
    static int Nodes() {
        int n = 0;
        for (const MagicLayerNode* p = gSecondLayerMagic; p != nullptr; p = p->next) ++n;
        return n;
    }
};

TEST_F(EffectLayersTest, MarksFollowTheFramesThatRaiseThemAndEndWithTheAct) {
    ASSERT_EQ(AddSecondLayerMagic(kMarkAct, 0, 300, 200, 0), 1);
    std::vector<int> marks;
    for (int pass = 0; pass < 6; ++pass) {
        DrawSecondLayerMagic();
        marks.push_back(GetSecondLayerMark());
    }
    EXPECT_EQ(marks, (std::vector<int>{0, 0, 1, 0, 2, 0}));
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);  // removed in the pass its act ended
    EXPECT_EQ(Boxes() + Traces(), 0u);
}

TEST_F(EffectLayersTest, AMarkDoesNotOutliveTheActsThatRaisedIt) {
    // The act ends on the frame that raises the mark: the next pass finds the
    // list empty, and a performer reading the mark then must not see the hit
    // again.
    Pack("all_char.act", {{kMarkAct, Entry({{0, "SD 0 PA 0 AT 1 O2"}})}});
    AddSecondLayerMagic(kMarkAct, 0, 300, 200, 0);
    DrawSecondLayerMagic();
    EXPECT_EQ(GetSecondLayerMark(), 1);
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);
    DrawSecondLayerMagic();
    EXPECT_EQ(GetSecondLayerMark(), 0);
}

TEST_F(EffectLayersTest, AFollowUpStartsBesideItsActAndIsSteppedInTheSamePass) {
    AddSecondLayerMagic(kStarterAct, 0, 100, 150, 1);
    DrawSecondLayerMagic();
    ASSERT_EQ(Nodes(), 2);
    const MagicLayerNode* follow = gSecondLayerMagic->next;
    EXPECT_EQ(follow->rec.act, kFollowAct);
    EXPECT_EQ(follow->x, 100);
    EXPECT_EQ(follow->y, 150);
    EXPECT_EQ(follow->mirror, 1u);
    // The starting frame adds nothing to the mark; the follow-up's first frame does.
    EXPECT_EQ(GetSecondLayerMark(), 4);
    DrawSecondLayerMagic();  // the follow-up ends
    EXPECT_EQ(Nodes(), 1);
    DrawSecondLayerMagic();  // and the starter
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);
}

TEST_F(EffectLayersTest, AnActNamingItselfAsFollowUpIsNotStartedAgain) {
    AddSecondLayerMagic(kSelfAct, 0, 100, 150, 0);
    DrawSecondLayerMagic();
    EXPECT_EQ(Nodes(), 1);
    EXPECT_EQ(Traces(), 1u);
    DrawSecondLayerMagic();
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);
}

TEST_F(EffectLayersTest, ActZeroIsReportedOnceAndNotAdded) {
    EXPECT_EQ(AddSecondLayerMagic(0, 0, 100, 100, 0), 0);
    EXPECT_EQ(AddSecondLayerMagic(-3, 0, 100, 100, 0), 0);
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);
    ASSERT_EQ(Boxes(), 1u);  // one box a battle, none per frame
    DrawSecondLayerMagic();
    EXPECT_EQ(Boxes(), 1u);
    ResetEffectLayers();  // the next battle reports it again
    AddSecondLayerMagic(0, 0, 100, 100, 0);
    EXPECT_EQ(Boxes(), 2u);
}

TEST_F(EffectLayersTest, AnActThatCannotStepIsRemovedOnceReportedAndTheOthersGoOn) {
    AddSecondLayerMagic(kMissingAct, 0, 100, 100, 0);
    AddSecondLayerMagic(kFollowAct, 0, 100, 100, 0);
    DrawSecondLayerMagic();
    EXPECT_EQ(GetSecondLayerMark(), 4);  // the node behind it was stepped
    ASSERT_EQ(Nodes(), 1);
    EXPECT_EQ(gSecondLayerMagic->rec.act, kFollowAct);
    EXPECT_EQ(Traces(), 1u);
    AddSecondLayerMagic(kMissingAct, 0, 100, 100, 0);
    DrawSecondLayerMagic();
    EXPECT_EQ(Traces(), 1u);  // the same act is reported once
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);
}

TEST_F(EffectLayersTest, TheListIsBoundedAndFreedByTheReset) {
    for (int i = 0; i < kSecondLayerMax; ++i) ASSERT_EQ(AddSecondLayerMagic(kLoopAct, 0, 10, 10, 0), 1);
    EXPECT_EQ(AddSecondLayerMagic(kLoopAct, 0, 10, 10, 0), 0);
    EXPECT_EQ(AddSecondLayerMagic(kLoopAct, 0, 10, 10, 0), 0);
    EXPECT_EQ(Traces(), 1u);
    DrawSecondLayerMagic();
    EXPECT_EQ(Nodes(), kSecondLayerMax);
    ResetEffectLayers();
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);
    EXPECT_EQ(GetSecondLayerMark(), 0);
}

// ---- After-images --------------------------------------------------------------

ActorEffectNode Image(int16_t level, int16_t fade, uint16_t picture = 9000, uint16_t frame = 0, uint16_t key = 1,
                      uint8_t options = 0) {
    ActorEffectNode n{};
    n.picture = picture;
    n.frame = frame;
    n.key = key;
    n.options = options;
    n.level = level;
    n.fade = fade;
    return n;
}

// Frames the list updates until it is empty (0: not within 100), and the
// level after each.
struct FadeCase {
    int16_t level, fade;
    std::vector<int> levels;  // the level after each update that kept the node
    int frames;               // updates until the node is gone
};

TEST_F(EffectLayersTest, AfterImagesFadeByTheirStepAndAlwaysEnd) {
    const FadeCase cases[] = {
        {16, 4, {12, 8, 4}, 4},
        {0, 4, {}, 1},          // drawn once at 0 and removed in the same frame
        {40, 8, {8}, 2},        // above 16: taken as 16
        {3, 0, {2, 1}, 3},      // a fade of 0 fades by 1
        {2, -5, {1}, 2},        // and so does a negative one
    };
    ActorEffectList& list = Enemy(0).afterImages;
    for (const FadeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " fade " << c.fade);
        const ActorEffectNode n = Image(c.level, c.fade);
        ASSERT_EQ(AddActorEffect(&list, &n), 1);
        std::vector<int> levels;
        int frames = 0;
        while (!IsEffectListEmpty(&list) && frames < 100) {
            EXPECT_EQ(UpdateActorEffects(&list), 1);
            ++frames;
            if (list.first != nullptr) levels.push_back(list.first->level);
        }
        EXPECT_EQ(levels, c.levels);
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(list.count, 0);
    }
}

TEST_F(EffectLayersTest, ARepeatedAfterImageIsSkippedOnlyWithItsOption) {
    ActorEffectList list{};
    const ActorEffectNode plain = Image(16, 4, 9000, 2, 5);
    const ActorEffectNode skipping = Image(16, 4, 9000, 2, 6, 1);
    const ActorEffectNode sameKey = Image(16, 4, 9001, 0, 6, 1);
    const ActorEffectNode other = Image(16, 4, 9001, 1, 7, 1);
    EXPECT_EQ(AddActorEffect(&list, &plain), 1);
    EXPECT_EQ(AddActorEffect(&list, &plain), 1);     // no option: both kept
    EXPECT_EQ(AddActorEffect(&list, &skipping), 0);  // same picture and frame
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(AddActorEffect(&list, &other), 1);
    EXPECT_EQ(AddActorEffect(&list, &other), 0);     // same picture and frame as the last
    EXPECT_EQ(list.lastKey, 7);
    const ActorEffectNode keyed = Image(16, 4, 9002, 3, 7, 1);
    EXPECT_EQ(AddActorEffect(&list, &keyed), 0);     // same key as the last
    EXPECT_EQ(AddActorEffect(&list, &sameKey), 1);
    EXPECT_EQ(list.count, 4);
    FreeActorEffects(&list);
    EXPECT_EQ(IsEffectListEmpty(&list), 1);
    EXPECT_EQ(list.count, 0);
}

}  // namespace

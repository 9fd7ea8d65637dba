// The queue of turns.
#include <vector>

#include "tests/battle/role/role_fixture.h"

namespace {

class AttackOrderTest : public RoleTest {
protected:
    static std::vector<int> Ids() {
        std::vector<int> ids;
        for (const AttackOrderEntry& e : gAttackOrder) {
            if (e.id == -1) break;
            ids.push_back(e.id);
        }
        return ids;
    }
    static void Queue(std::initializer_list<int> ids) {
        for (int id : ids) AddToAttackOrder(1, id);
    }
};

TEST_F(AttackOrderTest, InsertAtTheFrontOrTheEnd) {
    Queue({3, 21});
    EXPECT_EQ(InsertAttackOrder(1, 22, 0), 1);
    EXPECT_EQ(Ids(), (std::vector<int>{22, 3, 21}));
    ResetAttackOrder();
    Queue({3, 21});
    InsertAttackOrder(1, 22, -1);
    EXPECT_EQ(Ids(), (std::vector<int>{3, 21, 22}));
    EXPECT_EQ(InsertAttackOrder(1, 3, 0), 0);  // already queued: unchanged
    EXPECT_EQ(Ids(), (std::vector<int>{3, 21, 22}));
}

TEST_F(AttackOrderTest, StoredCommandsAreCopiedAndZeroed) {
    gManCommands[2] = StoredCommand{1, 1, 0, 405, 3};
    InsertAttackOrder(1, 22, 0);
    EXPECT_EQ(gAttackOrder[0].manCommandSet, 1);
    EXPECT_EQ(gAttackOrder[0].extra, 405);
    EXPECT_EQ(gAttackOrder[0].ALk, 3);
    EXPECT_EQ(gManCommands[2].commandSet, 0);
    gMonCommands[4] = StoredCommand{1, 0, 1, 7, 1};
    EXPECT_EQ(AddToAttackOrder(2, 4), 1);
    EXPECT_EQ(gAttackOrder[1].kind, 2);
    EXPECT_EQ(gAttackOrder[1].monCommandSet, 1);
    EXPECT_EQ(gAttackOrder[1].sideFlag, 1);
    EXPECT_EQ(gMonCommands[4].extra, 0);
    EXPECT_EQ(AddToAttackOrder(2, 4), 0);  // never queued twice
    EXPECT_EQ(AddToAttackOrder(3, 5), 0);
}

TEST_F(AttackOrderTest, PopSkipsLeadingHeldMembersOnly) {
    Member(2, 0);
    Member(0, 1);
    Member(3, 2);
    gManRoles[2].status = kStatusHeld;
    gManRoles[0].status = kStatusHeld;
    gManRoles[3].status = kStatusHeld;
    Queue({22, 20, 5});
    AttackOrderEntry out;
    PopAttackOrder(&out);
    EXPECT_EQ(out.id, 5);
    EXPECT_EQ(Ids(), (std::vector<int>{22, 20}));
    ResetAttackOrder();
    Queue({2, 23});
    PopAttackOrder(&out);
    EXPECT_EQ(out.id, 2);
    ResetAttackOrder();
    Queue({22, 20});
    PopAttackOrder(&out);
    EXPECT_EQ(out.id, -1);
    EXPECT_EQ(Ids(), (std::vector<int>{22, 20}));
}

TEST_F(AttackOrderTest, RemovalMovesUpAndEmptyEntriesAreAlike) {
    Queue({1, 2, 3});
    RemoveFromAttackOrder(1);
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3}));
    RemoveFromAttackOrder(9);
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3}));
    const AttackOrderEntry& last = gAttackOrder[kAttackOrderSize - 1];
    EXPECT_EQ(last.id, -1);
    EXPECT_EQ(last.ALk, 0);
    EXPECT_EQ(last.kind, 0);
}

TEST_F(AttackOrderTest, AFullQueueRefusesEveryInsertion) {
    for (int id = 0; id < kAttackOrderSize; ++id) ASSERT_EQ(AddToAttackOrder(1, id < 20 ? id : id), 1);
    EXPECT_EQ(AddToAttackOrder(1, 31), 0);
    EXPECT_EQ(InsertAttackOrder(1, 40, 0), 0);
    EXPECT_EQ(InsertAttackOrder(2, 41, 0), 0);
    EXPECT_EQ(gAttackOrder[0].id, 0);
    AttackOrderEntry out;
    PopAttackOrder(&out);
    EXPECT_EQ(out.id, 0);
    EXPECT_EQ(gAttackOrder[kAttackOrderSize - 1].id, -1);
}

TEST_F(AttackOrderTest, TheWaitingListClosesUp) {
    gWaitOrder[0] = 20;
    gWaitOrder[1] = 22;
    gWaitOrder[2] = 21;
    RemoveFromWaitOrder(22);
    EXPECT_EQ(gWaitOrder[0], 20);
    EXPECT_EQ(gWaitOrder[1], 21);
    EXPECT_EQ(gWaitOrder[2], 0);
}

}  // namespace

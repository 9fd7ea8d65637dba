#include "battle/turn/attack_order.h"

#include <cstring>

#include "battle/role/roles.h"

AttackOrderState gOrder;

namespace {

int FirstEmpty() {
    for (int i = 0; i < kAttackOrderSize; ++i)
        if (gAttackOrder[i].id == -1) return i;
    return kAttackOrderSize;
}

int IndexOf(int id) {
    for (int i = 0; i < kAttackOrderSize; ++i) {
        if (gAttackOrder[i].id == -1) break;
        if (gAttackOrder[i].id == id) return i;
    }
    return -1;
}

void CopyStored(AttackOrderEntry& e, StoredCommand& s, bool ally) {
    (ally ? e.manCommandSet : e.monCommandSet) = s.commandSet;
    e.wholeSide = s.wholeSide;
    e.sideFlag = s.sideFlag;
    e.extra = s.extra;
    e.ALk = s.targetCount;
    s = StoredCommand{};
}

// Moves entries pos..e-1 one place back; e < kAttackOrderSize.
void OpenGap(int pos, int e) {
    for (int i = e; i > pos; --i) gAttackOrder[i] = gAttackOrder[i - 1];
    gAttackOrder[pos] = EmptyOrderEntry();
}

// Removes index i; the tail becomes empty.
void CloseGap(int i) {
    for (int j = i; j < kAttackOrderSize - 1; ++j) gAttackOrder[j] = gAttackOrder[j + 1];
    gAttackOrder[kAttackOrderSize - 1] = EmptyOrderEntry();
}

}  // namespace

AttackOrderEntry EmptyOrderEntry() {
    AttackOrderEntry e{};
    e.id = -1;
    return e;
}

bool IsInAttackOrder(int id) { return IndexOf(id) >= 0; }

int AddToAttackOrder(int mode, int id) {
    if (mode != 1 && mode != 2) return 0;
    // A second entry of one combatant would give it two turns.
    if (IsInAttackOrder(id)) return 0;
    int e = FirstEmpty();
    if (e >= kAttackOrderSize) return 0;
    AttackOrderEntry& entry = gAttackOrder[e];
    entry.id = id;
    entry.kind = static_cast<uint16_t>(mode);
    if (mode == 2 && id >= 0 && id < 20) CopyStored(entry, gMonCommands[id], false);
    return 1;
}

int InsertAttackOrder(int kind, int id, int pos) {
    if (IsInAttackOrder(id)) return 0;
    int e = FirstEmpty();
    if (e >= kAttackOrderSize) return 0;  // full: refused, never index 30
    if (pos < 0 || pos > e) pos = e;
    OpenGap(pos, e);
    AttackOrderEntry& entry = gAttackOrder[pos];
    entry.id = id;
    if (kind == 1) {
        entry.kind = 1;
        if (id >= 20 && id < 30) CopyStored(entry, gManCommands[id - 20], true);
        gOrder.sideMarked = 0;
        gOrder.targetsMarked = 0;
    } else {
        entry.kind = static_cast<uint16_t>(kind);
    }
    return 1;
}

void RemoveFromAttackOrder(int id) {
    int i = IndexOf(id);
    if (i >= 0) CloseGap(i);
}

void PopAttackOrder(AttackOrderEntry* out) {
    int i = 0;
    for (; i < kAttackOrderSize; ++i) {
        int id = gAttackOrder[i].id;
        if (id < 20 || id >= 30) break;
        if (!gManRoles[id - 20].IsRoleHeldByAilment()) break;
    }
    if (i >= kAttackOrderSize || gAttackOrder[i].id == -1) {
        *out = EmptyOrderEntry();
        return;
    }
    *out = gAttackOrder[i];
    CloseGap(i);
}

void RemoveFromWaitOrder(int id) {
    for (int i = 0; i < 10; ++i) {
        if (gWaitOrder[i] != id) continue;
        for (int j = i; j < 9; ++j) gWaitOrder[j] = gWaitOrder[j + 1];
        gWaitOrder[9] = 0;
        return;
    }
}

void ResetAttackOrder() {
    gOrder = AttackOrderState{};
    for (AttackOrderEntry& e : gAttackOrder) e = EmptyOrderEntry();
    gCurRole = EmptyOrderEntry();
}

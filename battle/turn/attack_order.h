// The queue of turns: combatants whose gauge is full wait here, and the
// battle frame takes the next turn from the front.
#pragma once
#include <cstdint>

constexpr int kAttackOrderSize = 30;

// One queued turn; also the layout of the current turn, gCurRole.
struct AttackOrderEntry {
    int32_t id;             // combatant id; -1 empty
    int32_t ALk;            // targets the turn's action covers
    uint16_t kind;          // 1 party (or no stored command), 2 an enemy's stored command
    uint16_t extra;         // the stored command's 16-bit field
    int32_t manCommandSet;  // an ally's command was fixed before the turn
    int32_t monCommandSet;  // the same for an enemy
    int32_t wholeSide;      // the action covers a whole side
    int32_t sideFlag;       // the action's flag bit 0x2
};

// A command prepared before the turn was queued.
struct StoredCommand {
    int32_t commandSet;
    int32_t wholeSide;
    int32_t sideFlag;
    uint16_t extra;
    int32_t targetCount;
};

struct AttackOrderState {
    AttackOrderEntry attackOrder[kAttackOrderSize];
    AttackOrderEntry curRole;
    StoredCommand manCommands[10];
    StoredCommand monCommands[20];
    int32_t waitOrder[10];
    int32_t sideMarked;    // the party step marked a whole side as targets
    int32_t targetsMarked; // the command input marked the targets
};
extern AttackOrderState gOrder;

inline AttackOrderEntry (&gAttackOrder)[kAttackOrderSize] = gOrder.attackOrder;
inline AttackOrderEntry& gCurRole = gOrder.curRole;
inline StoredCommand (&gManCommands)[10] = gOrder.manCommands;
inline StoredCommand (&gMonCommands)[20] = gOrder.monCommands;
inline int32_t (&gWaitOrder)[10] = gOrder.waitOrder;

// An empty entry: id -1 and every other field 0.
AttackOrderEntry EmptyOrderEntry();

// mode 1: id and kind 1; mode 2: an enemy's turn with its stored command
// (then zeroed). An id already queued, a full queue or another mode change
// nothing. 1 when queued.
int AddToAttackOrder(int mode, int id);
// kind 1 (a party id): at pos (0 the front, -1 the end) with the member's
// stored command; any other kind: id and kind only. An id already queued or
// a full queue change nothing. 1 when queued.
int InsertAttackOrder(int kind, int id, int pos);
void RemoveFromAttackOrder(int id);
// The next turn into out (id -1 when none), skipping leading party entries
// whose role is held by an ailment.
void PopAttackOrder(AttackOrderEntry* out);
// Whether id is queued.
bool IsInAttackOrder(int id);
// The party's waiting list without id; the later ids move up.
void RemoveFromWaitOrder(int id);

// The queue and the current turn empty, stored commands and the waiting list
// zeroed.
void ResetAttackOrder();

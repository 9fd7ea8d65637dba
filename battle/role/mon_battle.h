// What the enemy side keeps for one battle beside its roles: the trigger
// display of an enemy whose trigger fired, the flag of a self-destructing
// strike and the word that keeps enemies from calling others. ResetMonBattle
// clears it at the battle's start and end.
#pragma once
#include <cstdint>

// Frames a trigger act may play (about ten seconds): an act that loops or
// never ends gives time back at the cap.
constexpr int kTriggerActFrameCap = 300;
// Frames an enemy's performer may take, waits included.
constexpr int kMonPerformFrameCap = 300;

struct MonBattleState {
    // The trigger display: set when a trigger fires, cleared when its act
    // ends (or cannot play, or runs past the cap).
    uint32_t triggerDisplay;   // the field is drawn washed while 1
    uint32_t triggerHold;      // the turn pop waits while 1
    int16_t triggerTint[3];    // the wash: -12 on each channel while it shows
    uint32_t selfDestruct;     // an enemy's self-destructing strike landed
    uint32_t summonBlock;      // enemies may not call others (actions with flag 0x1000)
    // The enemy (id + 1) whose reaction act the display shows; 0 none. One
    // reaction act plays at a time: a trigger that fires while another
    // plays, or while its own enemy acts, keeps its act pending until then.
    int32_t triggerOwner;
};
extern MonBattleState gMonBattle;

// Starts and ends the trigger display (time stops while it shows).
void BeginTriggerDisplay();
void EndTriggerDisplay();

void ResetMonBattle();

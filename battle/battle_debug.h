// The developer's keys and overlay of the battle screen (on while the
// battle's debug switch is set); the snapshot key works in every battle.
#pragma once
#include <cstdint>

struct BattleDebugState {
    uint32_t overlay;       // gDebugOverlay
    uint32_t memberPages;
    uint32_t invincible;    // gInvincible
    uint32_t slow;
    uint8_t before[256];    // the keyboard of the last frame: a key acts once, when it goes down
};
extern BattleDebugState gBattleDebugKeys;
inline uint32_t& gDebugOverlay = gBattleDebugKeys.overlay;
inline uint32_t& gInvincible = gBattleDebugKeys.invincible;

// 0 after the end key (the battle frame returns 0 at once), else 1.
int BattleDebugKeys();
void DrawBattleDebugInfo();
void ResetBattleDebug();

#include "battle/battle_debug.h"

#include <cstdio>
#include <algorithm>
#include <cstring>

#include "base/input.h"
#include "world/story_flags.h"
#include "battle/battle_frame.h"
#include "battle/battle_services.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"
#include "draw/draw_kernel.h"
#include "draw/game_fonts.h"
#include "draw/text_font.h"
#include "media/music.h"

BattleDebugState gBattleDebugKeys;

namespace {

enum : uint8_t {
    kScanCtrlLeft = 0x1D, kScanCtrlRight = 0x9D,
    kScanF1 = 0x3B, kScanF2 = 0x3C, kScanF3 = 0x3D, kScanF4 = 0x3E, kScanF5 = 0x3F, kScanF9 = 0x43,
    kScanX = 0x2D, kScanK = 0x25, kScanZ = 0x2C, kScanT = 0x14, kScanD = 0x20, kScanR = 0x13,
    kScanV = 0x2F, kScanE = 0x12, kScanC = 0x2E, kScanW = 0x11, kScanH = 0x23, kScanJ = 0x24,
    kScanY = 0x15, kScanSnap = 0x19,
};

bool Down(uint8_t c) { return gInput.IsKeyDown(c) != 0; }
// A key acts on the frame where it is first down.
bool Pressed(uint8_t c) { return Down(c) && !(gBattleDebugKeys.before[c] & 0x80); }

bool PartyProper(const Role& r) { return r.IsGuardRole() == 0 && r.GetRoleFlagE() == 0; }

void ForEachParty(void (*f)(Role&)) {
    for (uint32_t s = 0; s < gBattleManCount; ++s) f(gManRoles[s]);
}
void ForEachEnemy(void (*f)(Role&)) {
    for (uint32_t i = 0; i < gBattleMonCount; ++i) f(gMonRoles[i]);
}

void Message(const char* text) { AddBattleMessage(520, 10, 30, text, 2); }

void CancelAction() {
    gActionFlags |= kActionOver;
    GetCom = 0;
    gCurRole = EmptyOrderEntry();
    Stop = mStop = 0;
    if (gManActing) {
        gManActing = 0;
        for (uint32_t s = 0; s < gBattleManCount; ++s)
            if (gManRoles[s].IsActing()) gManRoles[s].EndRoleTurn();
    }
    if (gMonActing) {
        gMonActing = 0;
        for (uint32_t i = 0; i < gBattleMonCount; ++i)
            if (gMonRoles[i].IsActing()) gMonRoles[i].EndRoleTurn();
    }
}

void WinNow() {
    for (uint32_t i = 0; i < gBattleMonCount; ++i) {
        MonRole& e = gMonRoles[i];
        if (e.IsOut()) continue;
        gPendingDefeat[i] = int32_t(i);
        e.defeatEffect = 0;
        e.DamageRole(30000, 0, 0);
    }
    std::memset(gWaitOrder, 0, sizeof gWaitOrder);
    for (int32_t& c : gChosenCommand) c = 0;
    for (AttackOrderEntry& e : gAttackOrder) e = EmptyOrderEntry();
    gLastDowned = -1;
    gManActing = 0;
    Stop = mStop = 1;
    gBattleEnding = 0;
    gLastSel = 0;
    SEL = 0;
    gCurRole = EmptyOrderEntry();
    fMenu = 0;
}

int CtrlKeys() {
    if (Pressed(kScanF3)) gMusic.PlayMusic(4, 1, 0);
    if (Pressed(kScanF4)) gBattleDebugKeys.memberPages ^= 1;
    if (Pressed(kScanF1)) gDebugOverlay ^= 1;
    if (Pressed(kScanX)) gInvincible ^= 1;
    if (Pressed(kScanK)) {
        gStrongAttack = 1;
        Message("\xB1\x6A\xA7\xF0\xC0\xBB");
    }
    if (Pressed(kScanZ)) {
        ForEachParty([](Role& r) {
            r.SetRoleGauges(-1, -1, -1);
            r.AddChargeGauge(-1);
        });
        ForEachParty([](Role& r) { r.SetRoleBattleStats(6500, 155, 100); });
    }
    if (Pressed(kScanT)) ForEachEnemy([](Role& r) { r.InitGauge(1); });
    if (Pressed(kScanD)) ForEachParty([](Role& r) {
        if (PartyProper(r)) r.DamageRole(50, 0, 0);
    });
    if (Pressed(kScanR)) ForEachParty([](Role& r) {
        if (PartyProper(r)) r.DamageRole(500, -5, -5);
    });
    if (Pressed(kScanV)) ForEachEnemy([](Role& r) { r.DamageRole(10, 0, 0); });
    if (Pressed(kScanE)) {
        // The fight ends as it is; the game frame takes the music back.
        gMusic.PlayMusic(4, 1, 0);
        ReleaseBattle();
        return 0;
    }
    if (Pressed(kScanC)) CancelAction();
    if (Pressed(kScanF5)) {
        gBattleDebugKeys.slow ^= 1;
        gFrameInterval = gBattleDebugKeys.slow ? 100 : 35;
    }
    if (Pressed(kScanF2)) {
        gSureCapture ^= 1;
        if (gSureCapture) {
            gBattleOptions |= kOptionSureCapture;
            Message("\xB5\xB4\xB9\xEF\xC6\x46\xAB\xB4");
        } else {
            gBattleOptions &= ~kOptionSureCapture;
            Message("\xA5\xBF\xB1\x60\xC6\x46\xAB\xB4");
        }
    }
    if (Pressed(kScanW)) WinNow();
    return 1;
}

void MoveAll(int dx) {
    for (uint32_t i = 0; i < gBattleMonCount; ++i) gMonRoles[i].MoveRole(int16_t(dx), 0);
    for (uint32_t s = 0; s < gBattleManCount; ++s) gManRoles[s].MoveRole(int16_t(dx), 0);
    gPanStep = dx;
}

}  // namespace

int BattleDebugKeys() {
    int result = 1;
    if (gBattle.battleDebug == 1) {
        if (Down(kScanCtrlLeft) || Down(kScanCtrlRight)) {
            result = CtrlKeys();
        } else {
            // T is the gauge key with Ctrl and the follow mode without it.
            if (Pressed(kScanT)) gPanMode = 1;
        }
        if (result == 1) {
            if (Pressed(kScanH)) MoveAll(10);
            if (Pressed(kScanJ)) MoveAll(-10);
            if (Pressed(kScanY)) gPanMode = 2;
        }
    }
    if (result == 1 && Pressed(kScanSnap)) gSnapRequest = 1;
    for (int c = 0; c < 256; ++c) gBattleDebugKeys.before[c] = Down(uint8_t(c)) ? 0x80 : 0;
    return result;
}

void ResetBattleDebug() { gBattleDebugKeys = BattleDebugState{}; }

void DrawBattleDebugInfo() {
    if (!gBackPixels) return;
    char line[128];
    const auto text = [&line](int x, int y) { gFontMedium.DrawTextStr(gBackPixels, x, y, line, 0xFFFF, 0x10); };
    const int E = int(gBattleMonCount), M = int(gBattleManCount);
    if (gDebugOverlay == 1) {
        for (int i = 0; i < E; ++i) {
            const MonRole& e = gMonRoles[i];
            std::snprintf(line, sizeof line, "\xA5\xCD\xA9\x52:%-3u \xC2\xEA:%-1d \xA5\x4F:%-1d lv:%-2d", e.MonLife(),
                          e.GetRepeatCount(), e.GetCommand(), e.objRecord ? ObjLevel(*e.objRecord) : 0);
            text(10, 10 + 20 * i);
            int16_t x, y;
            e.GetHomePos(&x, &y);
            const int w = std::min(e.GaugeBarWidth(), 200);
            for (int r = 0; r < 2; ++r)
                for (int k = 0; k < w; ++k)
                    if (x + k >= 0 && x + k < gScreenWidth && y + r >= 0 && y + r < gScreenHeight) *BackPixel(x + k, y + r) = 0xEEEE;
        }
        for (int j = 0; j < M; ++j) {
            std::snprintf(line, sizeof line, "\xC2\xEA\xA9\x77:%d \xA9\x52\xA5\x4F:%-3d", gManRoles[j].GetRepeatCount(),
                          gManRoles[j].GetCommand());
            text(520, 10 + 20 * j);
        }
        std::snprintf(line, sizeof line, "\xA7\xF0\xC0\xBB\xB6\xB6\xA7\xC7:");
        text(10, 20 * E + 10);
        for (int k = 0; k < E + M && k < kAttackOrderSize; ++k) {
            std::snprintf(line, sizeof line, "%d", gAttackOrder[k].id);
            text(100 + 20 * k, 20 * E + 10);
        }
        std::snprintf(line, sizeof line, "\xA7\xDA\xA4\xE8\xB5\xA5\xAB\xDD\xB6\xB6\xA7\xC7:");
        text(10, 20 * E + 30);
        for (int k = 0; k < M && k < 10; ++k) {
            std::snprintf(line, sizeof line, "%d", gWaitOrder[k]);
            text(120 + 20 * k, 20 * E + 30);
        }
        std::snprintf(line, sizeof line, "\xB1\xC6\xA6\x43\xB6\xB6\xA7\xC7:");
        text(10, 20 * E + 50);
        for (int k = 0; k < E + M && k < kCombatantIds; ++k) {
            std::snprintf(line, sizeof line, "%d", gArrangeOrder[k]);
            text(100 + 20 * k, 20 * E + 50);
        }
        std::snprintf(line, sizeof line, "\xA5\xD8\xAB\x65\xA8\xA4\xA6\xE2:%d SEL:%d", gCurRole.id, SEL);
        text(240, 70);
        std::snprintf(line, sizeof line, "\xB5\x4C\xBC\xC4:%u UM:%d \xBE\xD4\xB0\xAB:%u", gInvincible, UM, gBattleLive);
        text(240, 30);
        std::snprintf(line, sizeof line, "ALk:%d ALk1:%d", gCurRole.ALk, ALk1);
        text(400, 10);
        // A frame time of 0 (two frames in one millisecond) shows 0, not a division.
        std::snprintf(line, sizeof line, "FRAME:%u", gFrameMs > 0 ? 1000 / gFrameMs : 0);
        text(240, 10);
        std::snprintf(line, sizeof line, "fMenu:%d mMove%d si:%d", fMenu, mMove, si);
        text(240, 50);
        std::snprintf(line, sizeof line, "GetCom:%d ver:11270430", GetCom);
        text(240, 90);
        std::snprintf(line, sizeof line, "MS:%d Stop:%d mStop%d", MS, Stop, mStop);
        text(240, 110);
        std::snprintf(line, sizeof line, "MsDCount:%d", MsDCount);
        text(420, 70);
        std::snprintf(line, sizeof line, "RN:%d Seld:%d", RN, Seld);
        text(420, 90);
        std::snprintf(line, sizeof line, "\xBD\x73\xB8\xB9:%d", gSceneNo);
        text(420, 50);
    }
    if (gBattleDebugKeys.memberPages == 1) {
        for (int k = 0; k < 4; ++k) {
            std::snprintf(line, sizeof line, "\xB8\x67\xC5\xE7:%u", gMemberBattle[k].techniquePoints);
            text(10 + 160 * k, 10);
            std::snprintf(line, sizeof line, "\xA4\x55\xA4\x40\xA9\xDB\xB8\x67\xC5\xE7:%u", gMemberBattle[k].pointsNeeded);
            text(10 + 160 * k, 30);
            std::snprintf(line, sizeof line, "\xA4\x55\xA4\x40\xA9\xDB\xB8\xB9\xBD\x58:%u",
                          gMemberBattle[k].nextTechnique & 0x7FFFFFFFu);
            text(10 + 160 * k, 50);
        }
    }
}

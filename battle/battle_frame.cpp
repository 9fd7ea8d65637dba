// One frame of the battle screen.
#include "battle/battle_frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/settings.h"
#include "battle/action/action_perform.h"
#include "battle/battle_debug.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/hud/battle_hud.h"
#include "battle/input/battle_input.h"
#include "battle/input/command_menu.h"
#include "battle/results/battle_results.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/role/mon_battle.h"
#include "battle/screen/battle_tint.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/turn_steps.h"
#include "draw/act_pack.h"
#include "draw/colour_ops.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/frame_scroll.h"
#include "draw/screenshot.h"
#include "draw/surface.h"
#include "media/music.h"
#include "platform/plat_clock.h"
#include "world/dialog/dlg_message.h"
#include "world/dialog/story_timer.h"
#include "world/map/map_effects.h"
#include "world/walk/key_state.h"

BattleFrameState gFrame;
int32_t gEnemyTargetOrder[20];

namespace {

constexpr int kFieldHeight = 384;
constexpr uint16_t kHudBase = 9077;
constexpr uint16_t kHudAllyFrame = 9119;
constexpr uint16_t kAllyMarker = 9105;
constexpr uint8_t kShakeTable[16] = {4, 3, 4, 3, 4, 3, 2, 3, 2, 3, 2, 1, 2, 1, 2, 0};
constexpr int kAllyFrameX[4] = {239, 79, 399, 399};

bool IsPresent(int id) {
    if (id >= 0 && id < kMaxMonRoles) return uint32_t(id) < gBattleMonCount;
    if (id >= kFirstManId && id < kFirstManId + kMaxManRoles) return uint32_t(id - kFirstManId) < gBattleManCount;
    return false;
}

void AddToField(int r, int g, int b) {
    for (int y = 0; y < kFieldHeight && y < gScreenHeight; ++y) AddRgbToPixels(BackPixel(0, y), gScreenWidth, r, g, b);
}

void DrawBackground(int32_t step) {
    BattleStartState& s = gBattleStart;
    PicFrame& bg = s.background;
    if (bg.data) {
        if (step > 0) ConvertRlePic(bg.data, bg.size, kScrollRight, step);
        if (step < 0) ConvertRlePic(bg.data, bg.size, kScrollLeft, -step);
        DrawFrame(&bg, 0, 0, 0, 0);
    }
    for (uint32_t i = 0; i < s.spriteCount && i < kSceneSprites; ++i) {
        s.sprites[i].x += step;
        DrawSceneSprite(&s.sprites[i]);
    }
}

void StepQuake() {
    if (gEffects.quake != 1 || !gBattleStart.background.data) return;
    int& o = gEffects.quakeOffset;
    o = o < 20 ? std::max(1, o * 2) : std::min(192, o + 22);
    SetClip(0, 192 - o, 640, 192);
    DrawFrame(&gBattleStart.background, 0, -o, 40, 0);
    SetClip(0, 192, 640, 192 + o);
    DrawFrame(&gBattleStart.background, 0, o, 40, 0);
    SetClip(0, 0, 640, 480);
}

void StepDownFlash() {
    if (gSomeoneDowned != 1) return;
    AddToField(gFrame.flashLevel, gFrame.flashLevel, gFrame.flashLevel);
    if (gFrame.flashLevel <= 4) {
        gFrame.flashLevel = 16;
        gSomeoneDowned = 0;
    } else {
        gFrame.flashLevel = uint8_t(gFrame.flashLevel - 4);
    }
}

// Moves each effect colour one step toward its target.
bool StepColours(const int32_t* target) {
    bool done = true;
    for (int i = 0; i < 3; ++i) {
        int32_t& c = gEffects.colour[i];
        if (c < target[i]) ++c;
        if (c > target[i]) --c;
        if (c != target[i]) done = false;
    }
    return done;
}

void PresentBack() {
    if (gDisplay.IsOpen() && gBackBuffer) gDisplay.Blt(gBackBuffer);
}

void TakeSnapshot() {
    ++gFrame.snapCounter;
    char name[512];
    std::snprintf(name, sizeof name, "%sScrnShot\\%05d.bmp", gInstallPath, gFrame.snapCounter + 1000);
    if (gBackPixels) SaveScreenShot(gBackPixels, 640, 480, name);
    gSnapRequest = 0;
}

}  // namespace

void ResetBattleFrame() {
    gFrame = BattleFrameState{};
    gFrame.flashLevel = 16;
    std::memset(gEnemyTargetOrder, 0, sizeof gEnemyTargetOrder);
}

void SkipBattleBackground() { gFrame.skipBackground = 1; }

void DrawBattleScene(int32_t step) {
    SetClip(0, 0, 640, 480);
    if (!gEffects.backgroundOn) {
        DrawBackground(step);
        StepQuake();
        StepDownFlash();
        return;
    }
    if (gFrame.skipBackground == 0) {
        DrawBackground(step);
        StepColours(gEffects.colourTarget);
    } else {
        DrawBackground(step);
        static const int32_t kZero[3] = {0, 0, 0};
        if (StepColours(kZero)) {
            gEffects.backgroundOn = 0;
            gFrame.skipBackground = 0;
        }
    }
    AddToField(gEffects.colour[0], gEffects.colour[1], gEffects.colour[2]);
}

void CollectActorPositions() {
    std::memset(gFrame.position, 0, sizeof gFrame.position);
    for (int32_t& a : gArrangeOrder) a = -1;
    for (uint32_t i = 0; i < gBattleMonCount; ++i) {
        int16_t x, y;
        gMonRoles[i].GetRolePos(&x, &y);
        gFrame.position[i] = y;
    }
    for (uint32_t s = 0; s < gBattleManCount; ++s) {
        int16_t x, y;
        gManRoles[s].GetRolePos(&x, &y);
        gFrame.position[kFirstManId + s] = y;
    }
}

void SortDrawOrder() {
    // Presence is membership of the battle, not a y that is not 0: a role
    // standing at y 0 is still ordered and stepped once. Equal depths keep
    // id order, enemies first.
    int ids[kCombatantIds];
    int n = 0;
    for (uint32_t i = 0; i < gBattleMonCount && i < kMaxMonRoles; ++i) ids[n++] = int(i);
    for (uint32_t s = 0; s < gBattleManCount && s < kMaxManRoles; ++s) ids[n++] = kFirstManId + int(s);
    std::stable_sort(ids, ids + n, [](int a, int b) { return gFrame.position[a] < gFrame.position[b]; });
    for (int i = 0; i < kCombatantIds; ++i) gArrangeOrder[i] = i < n ? ids[i] : -1;
}

void BringActorsToFront() {
    if (gCurRole.id == -1 || gCurRole.wholeSide == 1 || gFrontHold == 1) return;
    const int a = gCurRole.id;
    Role* actor = RoleById(a);
    if (!actor || !IsPresent(a)) return;
    int t = actor->GetActionTarget();
    if (t < 0) return;
    // The target of a party actor's action lies on the other side unless
    // the action is aimed at the party.
    const bool actorParty = a >= kFirstManId;
    const bool onParty = actorParty ? gCurRole.sideFlag == 1 : gCurRole.sideFlag == 0;
    const int targetId = onParty ? kFirstManId + t : t;
    if (!IsPresent(targetId)) return;
    int order[kCombatantIds];
    int n = 0;
    for (int i = 0; i < kCombatantIds && gArrangeOrder[i] != -1; ++i) order[n++] = gArrangeOrder[i];
    int out[kCombatantIds];
    int m = 0;
    const int ay = gFrame.position[a];
    bool placed[kCombatantIds] = {};
    for (int i = 0; i < n; ++i) {
        const int id = order[i];
        const bool sameSide = (id >= kFirstManId) == actorParty;
        if (sameSide && id != a && id != targetId && gFrame.position[id] < ay) {
            out[m++] = id;
            placed[i] = true;
        }
    }
    bool actorHeld = false;
    for (int i = 0; i < n; ++i) {
        if (placed[i]) continue;
        const int id = order[i];
        if (id == a) {
            actorHeld = true;
            continue;
        }
        out[m++] = id;
        if (id == targetId && actorHeld) {
            out[m++] = a;
            actorHeld = false;
        }
    }
    if (actorHeld) out[m++] = a;
    for (int i = 0; i < m; ++i) gArrangeOrder[i] = out[i];
}

void BuildEnemyOrder() {
    int k = 0;
    for (int i = 0; i < kCombatantIds && k < int(gBattleMonCount); ++i)
        if (gArrangeOrder[i] >= 0 && gArrangeOrder[i] < kMaxMonRoles) gEnemyTargetOrder[k++] = gArrangeOrder[i];
}

void RunActorSteps() {
    const int n = int(gBattleMonCount + gBattleManCount);
    for (int i = 0; i < n && i < kCombatantIds; ++i) {
        const int id = gArrangeOrder[i];
        if (id >= kFirstManId && uint32_t(id - kFirstManId) < gBattleManCount)
            RunPartyMemberStep(id - kFirstManId);
        else if (id >= 0 && uint32_t(id) < gBattleMonCount)
            RunEnemyStep(id);
    }
}

void CheckBattleOver() {
    const int fighting = int(gBattleManCount) - SpiritFights() - int(gBattleStart.guardCount);
    if (int(gDownedMen) >= fighting) {
        gBattleEnding = 1;
        if (gLeaveBattle == 1 && FadeBattleScreen() == 1) {
            ClearWaitSlots();
            gBattleResult = (fMenu == 104 || (gBattleOptions & kOptionDefeatEnds)) ? 0 : 2;
        }
    }
    if (!(int(MsDCount) - int(gHeldEnemies) < int(gBattleMonCount) && gForceEnd != 1)) {
        gBattleEnding = 1;
        if (gLeaveBattle == 1 && FadeBattleScreen() == 1) {
            gMusic.PlayMusic(4, 1, 0);
            ClearWaitSlots();
            gBattleResult = 0;
        }
    }
}

void DrawBattleCursor() {
    ++gFrame.idleCursor;
    if (gKeyState[kKeyMouseLeft].framesHeld == 1 || gKeyState[kKeyMouseRight].framesHeld == 1) gFrame.idleCursor = 0;
    if (gFrame.idleCursor >= 300) return;
    const int x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    switch (fMenu) {
    case 1: case 2: case 4: case 5: case 8: case 27: case 30: case 41: case 80:
        DrawActFrame(9102, 0, x, y);
        return;
    case 3: case 9:
        return;
    default:
        DrawActFrame(SEL != 0 ? 9101 : 9100, 0, x, y);
        return;
    }
}

void PresentBattleFrame() {
    if (!gBackBuffer || !gBackBuffer->pixels) return;
    const int d = kShakeTable[gFrame.shakeStep & 15];
    const int h = gBackBuffer->height;
    const size_t pitch = size_t(gBackBuffer->pitch);
    uint8_t* rows = reinterpret_cast<uint8_t*>(gBackBuffer->pixels);
    // The picture is shifted by d rows for the present and put back after,
    // so the next frame draws on the field as it was. The d rows pushed out
    // are kept aside; the band uncovered shows black.
    uint8_t kept[4 * 2048 * 2];
    const size_t band = size_t(d) * pitch;
    if (d == 0 || d >= h || band > sizeof kept) {
        PresentBack();
    } else if ((gFrame.shakeStep & 1) == 0) {
        std::memcpy(kept, rows + size_t(h - d) * pitch, band);
        std::memmove(rows + band, rows, size_t(h - d) * pitch);
        std::memset(rows, 0, band);
        PresentBack();
        std::memmove(rows, rows + band, size_t(h - d) * pitch);
        std::memcpy(rows + size_t(h - d) * pitch, kept, band);
    } else {
        std::memcpy(kept, rows, band);
        std::memmove(rows, rows + band, size_t(h - d) * pitch);
        std::memset(rows + size_t(h - d) * pitch, 0, band);
        PresentBack();
        std::memmove(rows + band, rows, size_t(h - d) * pitch);
        std::memcpy(rows, kept, band);
    }
    if (++gFrame.shakeFrames > gFrame.shakeLimit) {
        gFrame.shakeFrames = 0;
        if (gBattleOptions & kOptionContinuousShake) {
            gFrame.shakeStep ^= 1;
        } else if (++gFrame.shakeStep >= 10) {
            gFrame.shake = 0;
            gFrame.shakeStep = 0;
        }
    }
}

uint32_t BattleFrame() {
    gBattleResult = 1;
    const uint32_t now = PlatTicks();
    gFrameMs = now - gFrame.lastTime;
    gFrame.lastTime = now;

    BattleMouseHitTest();
    BattleKeyInput();
    RunAutoAttack();
    CollectActorPositions();
    SortDrawOrder();

    // The game frame services the sound after every battle frame.
    if (BattleDebugKeys() == 0) return 0;

    if (gAttackOrder[0].id != -1 && GetCom == 0 && gBattleLive == 1 && fMenu == 0 && gMonBattle.triggerHold == 0) {
        PopAttackOrder(&gCurRole);
        if (gCurRole.id != -1) {
            GetCom = 1;
            gLastActorId = uint32_t(gCurRole.id);
        }
    }
    gFrame.idle = (gCurRole.id == -1 && SEL == 0) ? 1 : 0;

    gBackPixels = LockBackBuffer(gBackBuffer);
    if (gBackPixels) UnlockBackBuffer(gBackBuffer, gBackPixels);
    const bool canDraw = gBackPixels != nullptr;

    PanBattleView(gPanRoleId, gPanTargetX, gPanSide);
    if (canDraw) DrawBattleScene(gPanStep);
    if (gManActing == 1 || gMonActing == 1) BringActorsToFront();
    RunActorSteps();

    if (gCoinSpinOn && RunCoinSpin() == 1) gCoinSpinOn = 0;

    CheckBattleEndByStatus();
    UpdateBattleRoles();
    if (RunCurrentAction() == 1) gActionFlags |= kActionOver;

    if (canDraw) {
        DrawPackFirstFrame(kHudBase, 0, kFieldHeight);
        if (SEL >= kFirstManId && SEL < kFirstManId + 4) {
            DrawHudFrame0(kHudAllyFrame, kAllyFrameX[SEL - kFirstManId], kFieldHeight);
            // The commanding ally's marker over its frame, unless the field
            // quakes or the ally is marked hurt.
            const ManRole& ally = gManRoles[SEL - kFirstManId];
            if (gEffects.quake == 0 && !ally.IsHurtMarked()) {
                int16_t x = 0, y = 0;
                ally.GetDrawOrigin(&x, &y);
                DrawSelMarker(kAllyMarker, x + (ally.picture ? ally.picture->width / 2 : 0), y);
            }
        }
        DrawPartyStatus();
    }
    DrawCommandMenu();
    BattleResults();
    if (canDraw) {
        DrawBattleMessages();
        DrawParticles();
        drawRoleHead();
        DlgMessage();
        DrawPercentPanel();
        DrawStoryTimer(10, 8, 1);
    }
    if (canDraw && gBattle.battleDebug == 1) DrawBattleDebugInfo();
    CheckBattleOver();
    if (canDraw) DrawBattleCursor();

    FadeBackBattleTint();
    if (canDraw) StepBattleTint(1);
    if (canDraw && gFlashRequest == 1) {
        // The hit that damage transfer turns away: one white frame.
        for (int y = 0; y < gScreenHeight; ++y) std::memset(BackPixel(0, y), 0xFF, size_t(gScreenWidth) * 2);
    }
    gFlashRequest = 0;

    if (gFrame.shake == 1 || (gBattleOptions & kOptionContinuousShake))
        PresentBattleFrame();
    else
        PresentBack();
    if (gSnapRequest == 1) TakeSnapshot();
    return gBattleResult;
}

// The start and the end of a battle.
#include "battle/battle_start.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/nick_names.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/action/action_perform.h"
#include "battle/battle_frame.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/turn/turn_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/results/battle_results.h"
#include "battle/hud/accumulator.h"
#include "battle/manrole/man_battle.h"
#include "battle/role/mon_battle.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"
#include "battle/script/fight_script.h"
#include "draw/colour_ops.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/rle.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "draw/zoom_render.h"
#include "draw/frame_scroll.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/dialog_setup.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

BattleStartState gBattleStart;
BattleSceneRecord gBattleScene;

namespace {

constexpr int kFlagFirstMember = 30;  // story flags 30..33: members 0..3 present
constexpr int kFlagDebug = 82;
constexpr int kFlagSpirit = 90;
constexpr int kSfxOpening = 192;
constexpr int kHudTop = 384;
constexpr uint16_t kHudBase = 9077;
constexpr uint32_t kBackgroundFirst = 15000;
constexpr int kOpeningFrames = 30;
constexpr int kClosingFrames = 33;

void PresentBack() {
    if (gDisplay.IsOpen() && gBackBuffer) gDisplay.Blt(gBackBuffer);
}

bool LockBack() {
    gBackPixels = LockBackBuffer(gBackBuffer);
    if (gBackPixels) UnlockBackBuffer(gBackBuffer, gBackPixels);
    return gBackPixels != nullptr;
}

void CopySurface(Surface* to, const Surface* from) {
    if (!to || !from || !from->pixels || !to->pixels) return;
    const int rows = std::min(to->height, from->height);
    const int bytes = std::min(to->pitch, from->pitch);
    for (int y = 0; y < rows; ++y)
        std::memcpy(reinterpret_cast<uint8_t*>(to->pixels) + y * to->pitch,
                    reinterpret_cast<const uint8_t*>(from->pixels) + y * from->pitch, size_t(bytes));
}

void ClearBack() {
    if (!gBackBuffer || !gBackBuffer->pixels) return;
    std::memset(gBackBuffer->pixels, 0, size_t(gBackBuffer->pitch) * size_t(gBackBuffer->height));
}

uint8_t* Snapshot(const Surface* s, int* size) {
    *size = 0;
    if (!s || !s->pixels || s->pitch != s->width * 2) return nullptr;
    return EncodeRleSnapshot(s->pixels, size, s->width, s->height);
}

// Draws a packed full-screen picture with a zoom blit of the given flags.
void DrawPacked(const uint8_t* pic, int x, int y, uint32_t flags, int alpha) {
    if (!pic) return;
    gCurPic = pic;
    gAlphaLevel = alpha;
    DrawPic(x, y, 640, 480, flags | kFlagRle);
}

void FreeOpeningPictures() {
    FreeMem(gBattleStart.oldPicture);
    FreeMem(gBattleStart.newPicture);
    gBattleStart.oldPicture = gBattleStart.newPicture = nullptr;
    gBattleStart.oldPictureSize = gBattleStart.newPictureSize = 0;
}

// The members' names, from the nick-name table (its first 10 bytes).
void CopyMemberNames() {
    for (int m = 0; m < 4; ++m) {
        char* name = gBattleStart.names[m];
        std::memset(name, 0, sizeof gBattleStart.names[m]);
        int k = 0;
        for (int i = 0; i < 10 && k < int(sizeof gBattleStart.names[m]) - 1; ++i)
            if (gNickNames[m][i] != 0) name[k++] = char(gNickNames[m][i]);
    }
}

void DrawBattleOnce() {
    DrawBattleScene(gPanStep);
    SortDrawOrder();
    RunActorSteps();
    DrawPackFirstFrame(kHudBase, 0, kHudTop);
    DrawPartyStatus();
}

void FinishOpening() {
    BattleStartState& b = gBattleStart;
    FreeOpeningPictures();
    b.openingPhase = 0;
    Stop = 0;
    SetClip(0, 0, 640, 480);
    if (!(gBattleOptions & kOptionMusicSet)) {
        char path[512];
        std::snprintf(path, sizeof path, "%smusic\\Battle01.mp3", gInstallPath);
        gMusic.QueueTrack(path, 1, 0, 3);
        gMusic.PlayMusic(3, 1, 0);
        gMusic.SetMusicVolume(int(gMusicVolume) * 127 / 11);
    }
    gBattleOptions &= ~kOptionMusicSet;
    if (gSceneRepeat != 0 && gSceneNo < kSceneCount && gSceneVisits[gSceneNo] <= gSceneRepeat &&
        gSceneVisits[gSceneNo] < 255)
        ++gSceneVisits[gSceneNo];
    for (uint32_t i = 0; i < gBattleMonCount; ++i)
        for (uint32_t j = 0; j < gBattleMonCount; ++j)
            if (i != j && gBattleScene.monsterId[i] == gBattleScene.monsterId[j]) {
                gMonRoles[i].CheckMonTrigger(29, 0);
                gMonRoles[j].CheckMonTrigger(29, 0);
            }
    const auto eventOnStanding = [](uint16_t e) {
        for (uint32_t i = 0; i < gBattleMonCount; ++i)
            if (!gMonRoles[i].IsOut()) gMonRoles[i].CheckMonTrigger(e, 0);
    };
    if (IsFlag(31) && IsFlag(32)) eventOnStanding(8);
    if (IsFlag(30) && IsFlag(33)) eventOnStanding(9);
}

}  // namespace

// ---- Party layout ----

bool PartyHomePositions(uint32_t mask, int16_t x[4], int16_t y[4], uint32_t pick[4]) {
    struct Layout {
        uint32_t mask;
        int16_t pos[4][2];
        uint32_t pick[4];
    };
    // Layouts by the members present. A party the scene designs did not
    // cover (four members, or two or three without the first) takes the
    // layout of its size, so every role stands on the field.
    static const Layout kLayouts[] = {
        {0x3, {{515, 233}, {550, 319}}, {2, 1, 0, 3}},
        {0x5, {{498, 227}, {515, 328}}, {2, 1, 0, 3}},
        {0x9, {{515, 318}, {525, 212}}, {2, 1, 0, 3}},
        {0x7, {{482, 265}, {541, 184}, {519, 341}}, {1, 0, 2, 3}},
        {0xB, {{526, 270}, {503, 340}, {511, 181}}, {2, 0, 1, 3}},
        {0xD, {{469, 265}, {524, 339}, {533, 186}}, {2, 0, 1, 3}},
        {0xF, {{545, 295}, {500, 235}, {540, 175}, {505, 355}}, {2, 1, 0, 3}},
    };
    const int size = __builtin_popcount(mask & 0xF);
    if (size == 0) return false;
    static const uint32_t kDefaultPick[4] = {2, 1, 0, 3};
    std::memcpy(pick, kDefaultPick, sizeof kDefaultPick);
    if (size == 1) {
        x[0] = 527;
        y[0] = 287;
        return true;
    }
    const Layout* chosen = nullptr;
    for (const Layout& l : kLayouts)
        if (l.mask == (mask & 0xF)) chosen = &l;
    if (!chosen) {
        const uint32_t bySize = size == 2 ? 0x3 : 0x7;
        for (const Layout& l : kLayouts)
            if (l.mask == bySize) chosen = &l;
    }
    for (int s = 0; s < size; ++s) {
        x[s] = chosen->pos[s][0];
        y[s] = chosen->pos[s][1];
    }
    for (int i = 0; i < 4; ++i) pick[i] = chosen->pick[i];
    return true;
}

int BattlePartyCount() {
    int n = 0;
    for (int m = 0; m < 4; ++m) n += (gBattle.partyMask >> m) & 1;
    return n;
}

int SpiritFights() { return (gBattleStart.spiritFlags & 1) ? 1 : 0; }

// ---- Load ----

void LoadBattleBackground(uint32_t id, int variant) {
    BattleStartState& b = gBattleStart;
    FreeMem(b.background.data);
    b.background = PicFrame{};
    if (GetTswPictureDirect(&b.background, uint16_t(kBackgroundFirst + id), 0) == nullptr) b.background = PicFrame{};
    if (b.background.data && variant > 0) ConvertRlePic(b.background.data, b.background.size, kScrollRight, 640 / variant);
    for (SceneSprite& s : b.sprites) FreeSceneSprite(&s);
    b.spriteCount = gBattleScene.spriteCount;
    for (uint32_t i = 0; i < b.spriteCount; ++i)
        LoadSceneSprite(&b.sprites[i], gBattleScene.spriteX[i], gBattleScene.spriteY[i], gBattleScene.spriteAct[i],
                        variant);
}

void LoadBattleScene(uint32_t number) {
    BattleStartState& b = gBattleStart;
    ReleaseBattle();
    ResetBattleFlow();
    gSceneNo = uint16_t(number);
    gBattle.battleDebug = IsFlag(kFlagDebug) ? 1 : 0;
    ClearBattleMessages();
    ResetManBattle();
    ResetMonBattle();
    SetBattleWaitTime(gBattleWait);
    gBattleColourKey = gColourKey;
    // Dialogs in battle stand on the screen: the battle has no camera.
    gDialogScene.cameraLeft = gDialogScene.cameraTop = 0;
    CopyMemberNames();

    gBattleManCount = 0;
    int slot = 0;
    for (int m = 0; m < 4; ++m) {
        if (!IsFlag(kFlagFirstMember + m)) continue;
        gBattle.partyMask |= 1u << m;
        gSlotMember[slot++] = uint32_t(m);
        ++gBattleManCount;
    }
    ReleaseBattleSurfaces();
    CreateBattleSurfaces();

    LoadFightScript(number);

    char path[512];
    std::snprintf(path, sizeof path, "%sbattle.ffd", gInstallPath);
    gBattleScene = BattleSceneRecord{};
    gSceneFile.LoadSceneIndex(path);
    if (!gSceneFile.LoadSceneRecord(path, &gBattleScene, uint16_t(number), 0)) gBattleScene = BattleSceneRecord{};
    gBattleMonCount = gBattleScene.enemyCount;
    if (gBattleMonCount == 0) {
        // No scene or one without enemies: no fight. One report, and the
        // script is not run.
        ErrorBox("Battle Err(LoadBattleScene)", "battle %u has no enemies", number);
        EndFightScriptAtOnce();
        return;
    }

    LoadBattleBackground(gBattleScene.background, Random(4) + 1);

    for (uint32_t i = 0; i < gBattleMonCount; ++i) {
        MonRole& e = gMonRoles[i];
        e.ResetRoleForBattle();
        BattleSlot& s = b.enemySlots[i];
        s = BattleSlot{};
        s.spriteSet = gBattleScene.monsterId[i];
        s.homeX = int16_t(gBattleScene.homeX[i]);
        s.homeY = int16_t(gBattleScene.homeY[i]);
        s.side = 0;
        if (gBattleMirrored == 1) {
            e.SetRoleFacing(1);
            s.homeX = int16_t(640 - s.homeX);
        }
        e.SetupMonRole(&s, gBattleScene.monsterId[i]);
        if (gBattleScene.targetMark[i] == 1) e.SetRoleTargetFlag(1);
        // A fight offers captures when one of its enemies can be captured.
        if (e.IsCapturable()) gCaptureAllowed = 1;
    }

    int16_t hx[4] = {}, hy[4] = {};
    uint32_t pick[4] = {2, 1, 0, 3};
    PartyHomePositions(gBattle.partyMask, hx, hy, pick);
    std::memcpy(gPartyPickOrder, pick, sizeof pick);
    for (uint32_t s = 0; s < gBattleManCount; ++s) {
        const uint32_t m = gSlotMember[s];
        BattleSlot& rec = b.partySlots[s];
        rec = BattleSlot{};
        rec.spriteSet = uint16_t(m + 1);
        rec.side = 1;
        rec.homeX = hx[s];
        rec.homeY = hy[s];
        ManRole& r = gManRoles[s];
        r.ResetRoleForBattle();
        if (gBattleMirrored == 1) {
            r.SetRoleFacing(r.facing ? 0 : 1);
            rec.homeX = int16_t(640 - rec.homeX);
        }
        r.SetupManRole(&gMemberStats[m], &gMemberBattle[m], &rec);
        if (r.IsOut()) ++gDownedMen;
    }
    SortInventoryById();
    SortMagicListsById();
    for (uint32_t s = 0; s < gBattleManCount; ++s) {
        const uint32_t m = gSlotMember[s];
        ManRole& r = gManRoles[s];
        r.ApplyEquipment(gMemberEquip[m]);
        r.SetManMagicList(&gMagicLists[m]);
        r.SetManItemList(&gInventory);
        r.SetRoleName(b.names[m]);
    }

    const int party = int(gBattleManCount);
    if (gDownedMen < party) {
        if (party == 1) {
            gOpeningSlot = 0;
        } else {
            // A standing member is drawn; the count bounds the draws.
            int s = Random(party);
            for (int tries = 0; tries < 64 && gManRoles[s].IsOut(); ++tries) s = Random(party);
            for (int k = 0; k < party && gManRoles[s].IsOut(); ++k) s = (s + 1) % party;
            gOpeningSlot = uint8_t(s);
        }
    } else {
        gOpeningSlot |= 0x80;
    }

    b.spiritFlags = 0;
    if (IsFlag(kFlagSpirit) && gBattleManCount < kMaxManRoles) {
        const uint32_t s = gBattleManCount;
        BattleSlot& rec = b.partySlots[s];
        rec = BattleSlot{};
        rec.spriteSet = uint16_t(90 + gSpiritSlot);
        rec.side = 1;
        rec.homeX = gBattleMirrored == 1 ? int16_t(640 - 450) : int16_t(450);
        rec.homeY = 170;
        ManRole& r = gManRoles[s];
        r.ResetRoleForBattle();
        r.SetupGhostRole(&rec, &gSpirit);
        r.SetRoleName(gSpirit.name);
        b.spiritFlags = 1 | (s << 16);
        ++gBattleManCount;
        if (r.IsOut()) r.SetRoleStatusBits(0x5000);
    }

    CollectActorPositions();
    SortDrawOrder();
    BuildEnemyOrder();

    const int r = Random(10);
    for (uint32_t i = 0; i < gBattleMonCount; ++i) {
        if (r < 7) {
            gMonRoles[i].InitGauge(0);
        } else {
            const int k = Random(10);
            for (int n = 0; n < k; ++n) gMonRoles[i].StepMonGauge(0);
        }
    }
    for (int s = 0; s < party; ++s) gManRoles[s].InitGauge(s == (gOpeningSlot & 0x7F) && !(gOpeningSlot & 0x80) ? 1 : 0);

    if (gDownedMen >= party - int(b.guardCount)) fMenu = 103;
}

// ---- Opening ----

void StartBattle(int kind) {
    BattleStartState& b = gBattleStart;
    PlaySfx(kSfxOpening, int(gSfxVolume));
    Stop = 1;
    b.openingKind = kind & 0xFFFF;
    if (b.openingKind > 2) b.openingKind = 0;
    FreeOpeningPictures();
    if (!LockBack()) {
        FinishOpening();
        return;
    }
    CopySurface(b.work[1], gBackBuffer);
    b.oldPicture = Snapshot(gBackBuffer, &b.oldPictureSize);
    DrawBattleOnce();
    CopySurface(b.work[0], gBackBuffer);
    if (b.openingKind >= 1) b.newPicture = Snapshot(gBackBuffer, &b.newPictureSize);
    b.openingPhase = 1;
    b.openingFrame = 0;
}

int IsBattleOpeningRunning() { return gBattleStart.openingPhase != 0 ? 1 : 0; }

int StepBattleOpening() {
    BattleStartState& b = gBattleStart;
    if (b.openingPhase == 0) return 1;
    if (!LockBack() || !b.oldPicture) {
        FinishOpening();
        return 1;
    }
    const int i = b.openingFrame;
    if (b.openingPhase == 1) {
        const int t = 9 + 18 * i;
        const int z = (64 - t / 10) * 16;
        switch (b.openingKind) {
        case 0: {
            DrawPacked(b.oldPicture, 0, 0, 0, 0);
            const int c = 320 + 2 * i;
            SetZoomFactor(c, 240, c + 704, (512 - i) * 2, i * 64);
            DrawPacked(b.oldPicture, 0, 0, 0x84, 10);
            break;
        }
        case 1: {
            ClearBack();
            SetZoomFactor(320, 240, z, z, 0);
            const int d = int(256 * std::sin(i * 3.14 / 33));
            DrawPacked(b.oldPicture, d, 0, 0x80, 0);
            DrawPacked(b.oldPicture, -d, 0, 0x80, 0);
            break;
        }
        default: {
            ClearBack();
            SetZoomSource(320, 200, z, z);
            const int d = int(256 * std::sin(i * 3.14 / 30));
            DrawPacked(b.oldPicture, 0, -d, 0x80, 0);
            DrawPacked(b.oldPicture, 0, d, 0x80, 0);
            break;
        }
        }
        PresentBack();
        if (++b.openingFrame >= kOpeningFrames) {
            b.openingPhase = 2;
            b.openingFrame = 0;
        }
        return 0;
    }
    if (b.openingPhase == 2) {
        if (b.openingKind == 1) {
            const int t = 549 - 18 * i;
            const int z = (64 - t / 10) * 16;
            ClearBack();
            SetZoomFactor(320, 240, z, z, 0);
            const int d = int(256 * std::sin(i * 3.14 / 33));
            DrawPacked(b.newPicture, -d, 0, 0x80, 0);
            DrawPacked(b.newPicture, d, 0, 0x80, 0);
            PresentBack();
            if (++b.openingFrame >= kClosingFrames) FinishOpening();
            return b.openingPhase == 0 ? 1 : 0;
        }
        if (b.openingKind == 2 && i * 50 < 1650) {
            SetZoomSource(320, 200, i * 50, i * 50);
            DrawPacked(b.oldPicture, 0, 0, 0x84, 0);
            PresentBack();
            ++b.openingFrame;
            return 0;
        }
        // The closing of kinds 0 and 2: the picture on screen becomes the
        // old one, the battle is drawn as the new one, and the wipe begins.
        CopySurface(b.work[1], gBackBuffer);
        DrawBattleOnce();
        CopySurface(b.work[0], gBackBuffer);
        std::memset(b.wipeWidth, 0, sizeof b.wipeWidth);
        b.wipeTotal = 0;
        CopySurface(gBackBuffer, b.work[1]);
        b.openingPhase = 3;
        return 0;
    }
    if (StepBattleTransition(b.work[0])) {
        CopySurface(gBackBuffer, b.work[0]);
        FinishOpening();
        return 1;
    }
    return 0;
}

int StepBattleTransition(const Surface* to) {
    BattleStartState& b = gBattleStart;
    if (!to || !gBackBuffer || !gBackBuffer->pixels) return 1;
    const int rows = std::min({480, to->height, gBackBuffer->height});
    const int bytesPerRow = std::min(to->pitch, gBackBuffer->pitch);
    for (int y = 0; y < rows; ++y) {
        if (b.wipeWidth[y] < 640) {
            b.wipeWidth[y] = int16_t(std::min(640, b.wipeWidth[y] + Random(20) * 2 + 30));
            if (b.wipeWidth[y] == 640) ++b.wipeTotal;
        }
        const int bytes = std::min(int(b.wipeWidth[y]) * 2, bytesPerRow);
        std::memcpy(reinterpret_cast<uint8_t*>(gBackBuffer->pixels) + y * gBackBuffer->pitch,
                    reinterpret_cast<const uint8_t*>(to->pixels) + y * to->pitch, size_t(bytes));
    }
    PresentBack();
    return b.wipeTotal >= rows ? 1 : 0;
}

// ---- Surfaces ----

void CreateBattleSurfaces() {
    for (Surface*& s : gBattleStart.work)
        if (!s) s = CreateSurface(640, 480);
}

void ReleaseBattleSurfaces() {
    for (Surface*& s : gBattleStart.work) {
        FreeSurface(s);
        s = nullptr;
    }
}

// ---- End ----

int ReleaseBattle() {
    BattleStartState& b = gBattleStart;
    for (uint32_t i = 0; i < gBattleMonCount && i < kMaxMonRoles; ++i) gMonRoles[i].ResetRoleForBattle();
    for (uint32_t s = 0; s < gBattleManCount && s < kMaxManRoles; ++s) gManRoles[s].ResetRoleForBattle();
    ReleaseBattleSurfaces();
    for (SceneSprite& s : b.sprites) FreeSceneSprite(&s);
    FreeMem(b.background.data);
    b.background = PicFrame{};
    FreeOpeningPictures();
    ResetBattleCounters();
    ResetAccumulator();
    ResetManBattle();
    ResetMonBattle();
    gBattleScene = BattleSceneRecord{};
    // Options and mirroring belong to one fight; the next starts plain.
    ResetBattleFlow();
    ResetBattleTint();
    ResetEffectLayers();
    ResetBattleResults();
    ClearBattleMessages();
    b.fadeLevel = 0;
    b.scrollCounter = b.scrollAmount = 0;
    b.openingPhase = 0;
    b.spiritFlags = 0;
    b.guardCount = 0;
    gBattleMonCount = 0;
    gBattleManCount = 0;
    return 0;
}

void ResetBattleRecords() {
    FreeFameLists();
    for (MemberBattleRecord& r : gMemberBattle) r = MemberBattleRecord{};
    for (MonRole& r : gMonRoles) r.ResetRoleForBattle();
    for (ManRole& r : gManRoles) r.ResetRoleForBattle();
}

int FadeBattleScreen() {
    BattleStartState& b = gBattleStart;
    if (LockBack()) {
        for (int y = 0; y < gScreenHeight; ++y) AddRgbToPixels(BackPixel(0, y), gScreenWidth, b.fadeLevel, b.fadeLevel, b.fadeLevel);
    }
    b.fadeLevel -= 2;
    if (b.fadeLevel > -32) return 0;
    b.fadeLevel = 0;
    return 1;
}

int ScrollBattleRoles(int limit, int reload) {
    BattleStartState& b = gBattleStart;
    ++b.scrollCounter;
    const auto moveAll = [] {
        for (uint32_t i = 0; i < gBattleMonCount; ++i) {
            int16_t x, y;
            gMonRoles[i].GetHomePos(&x, &y);
            gMonRoles[i].SetRolePos(int16_t(x + gPanStep), y);
        }
        for (uint32_t s = 0; s < gBattleManCount; ++s) {
            int16_t x, y;
            gManRoles[s].GetHomePos(&x, &y);
            gManRoles[s].SetRolePos(int16_t(x + gPanStep), y);
        }
    };
    if (b.scrollAmount > 0) {
        b.scrollCounter = 0;
        b.scrollAmount /= 2;
        gViewOffsetX = int16_t(gViewOffsetX + b.scrollAmount);
        gPanStep = gBattleMirrored ? b.scrollAmount : -b.scrollAmount;
    }
    if (gPanStep == 0) {
        if (gCurRole.extra < limit) {
            if (gViewOffsetX > 0) {
                const int d = std::min<int>(30, gViewOffsetX);
                gViewOffsetX = int16_t(gViewOffsetX - d);
                gPanStep = gBattleMirrored ? -d : d;
                moveAll();
            }
            SkipBattleBackground();
        }
        if (reload == 1) b.scrollAmount = 420;
        return 1;
    }
    moveAll();
    return 0;
}

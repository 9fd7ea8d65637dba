#include "world/minigame/mini_game.h"

#include <algorithm>
#include <cmath>

#include "base/game_state.h"
#include "base/random.h"
#include "draw/colour_ops.h"
#include "draw/display.h"
#include "draw/surface.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

MiniGameState* gMiniGame = nullptr;

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kGaugeTop = 128, kGaugeRows = 200, kGaugeCap = 12;
constexpr int kCourseGaugeX = 32, kEnergyGaugeX = 56;
constexpr uint16_t kMarkerSheet = 9007;
constexpr uint32_t kGoalAct = 9010, kGoalQq = 11;
constexpr int kSpawnChance = 750;
constexpr int kKeyCancel = 0;

void SetAct(MiniGameObject* o, uint32_t act, uint32_t qq) {
    o->act = ActRecord{};
    ResetActRecord(&o->act);
    o->act.act = int32_t(act);
    o->act.qq = int32_t(qq);
}

void Place(MiniGameObject* o, int32_t x, int32_t y) {
    o->x = x;
    o->y = y;
    o->vx = o->vy = 0;
}

void StartEnding(MiniGameState* g) {
    g->flags |= kMiniGameEnding;
    g->endTimer = kMiniGameEndFrames;
}

int32_t TowardZero(int32_t v) { return v > 0 ? v - 1 : v < 0 ? v + 1 : 0; }

// Adds a to v and keeps v no further than a in a's direction.
int32_t AddLimited(int32_t v, int32_t a) {
    v += a;
    return a > 0 ? std::min(v, a) : std::max(v, a);
}

void AddEnergy(int32_t delta) { gMiniGame->energy = std::clamp(gMiniGame->energy + delta, 0, 100); }

// One gauge row: red edges, the inner part tinted by the given steps.
void GaugeRow(uint16_t* row, int x, const int (*inner)[3], const int* widths, int parts) {
    AddRgbToPixels(row + x, 2, 8, -8, -8);
    int at = x + 2;
    for (int i = 0; i < parts; ++i) {
        AddRgbToPixels(row + at, widths[i], inner[i][0], inner[i][1], inner[i][2]);
        at += widths[i];
    }
    AddRgbToPixels(row + at, 2, 8, -8, -8);
}

void DrawMiniGameEnergy(uint16_t* pixels, int pitchPixels) {
    static constexpr int kCourse[3][3] = {{4, 4, 4}, {12, 12, 12}, {4, 4, 4}};
    static constexpr int kCourseWidths[3] = {2, 6, 2};
    static constexpr int kFull[2][3] = {{-4, -8, 16}, {-4, -4, 24}};
    static constexpr int kFullWidths[2] = {2, 8};
    static constexpr int kEmpty[1][3] = {{-4, -8, 16}};
    static constexpr int kEmptyWidths[1] = {10};
    const int filledFrom = (100 - gMiniGame->energy) * 2;
    for (int i = -kGaugeCap; i < kGaugeRows + kGaugeCap; ++i) {
        uint16_t* row = pixels + size_t(kGaugeTop + i) * size_t(pitchPixels);
        const bool cap = i < 0 || i >= kGaugeRows;
        GaugeRow(row, kCourseGaugeX, kCourse, kCourseWidths, cap ? 0 : 3);
        if (cap)
            GaugeRow(row, kEnergyGaugeX, kEmpty, kEmptyWidths, 0);
        else if (i >= filledFrom)
            GaugeRow(row, kEnergyGaugeX, kFull, kFullWidths, 2);
        else
            GaugeRow(row, kEnergyGaugeX, kEmpty, kEmptyWidths, 1);
    }
    DrawActFrame(kMarkerSheet, 0, kCourseGaugeX - 10, gMiniGame->player.y * kGaugeRows / kMiniGameCourse + 50);
}

void DrawObject(MiniGameObject* o) { DrawActData(&o->act, o->x, o->y - gMiniGame->cameraTop); }

void DrawMiniGameBackground() {
    MiniGameState* g = gMiniGame;
    TakeActData(&g->background);
    const int x0 = g->backX % 64 - 64;
    const int y0 = (g->backY - g->player.y) % 64 - 64;
    for (int y = y0; y < kScreenH; y += 64)
        for (int x = x0; x < kScreenW; x += 64) DrawActFrame(g->background.picNumber, g->background.picFrame, x, y);
}

} // namespace

bool StartMiniGame(uint32_t stored, uint32_t backAct, uint32_t backQq, uint32_t playerAct, uint32_t playerQq,
                   uint32_t layerAct, uint32_t layerQq, uint32_t energy) {
    EndMiniGame();
    auto* g = new MiniGameState{};
    gMiniGame = g;
    g->stored = stored;
    g->driftX = Random(3) - 1;
    g->driftY = Random(8);
    g->flags = kMiniGameStarted;
    g->energy = int32_t(std::min<uint32_t>(energy, 100));
    g->background = ActRecord{};
    ResetActRecord(&g->background);
    g->background.act = int32_t(backAct);
    g->background.qq = int32_t(backQq);
    Place(&g->player, 320, kMiniGameStartY);
    SetAct(&g->player, playerAct, playerQq);
    Place(&g->goals[0], 320, -72);
    SetAct(&g->goals[0], layerAct, layerQq);
    Place(&g->goals[1], 320, -60);
    SetAct(&g->goals[1], kGoalAct, kGoalQq);
    for (MiniGameObject& o : g->obstacles) {
        Place(&o, kMiniGameEmpty, kMiniGameEmpty);
        SetAct(&o, 0, 0);
    }
    ClearKeyStates();
    g->cameraTop = g->player.y - 240;
    return true;
}

bool SetMiniGameObject(int32_t kind, uint32_t act, uint32_t qq) {
    if (!gMiniGame || kind < 0 || kind >= kMiniGameKinds) return false;
    gMiniGame->kinds[kind][0] = act;
    gMiniGame->kinds[kind][1] = qq;
    return true;
}

void MiniGameInput(int32_t* dx, int32_t* dy) {
    *dx = *dy = 0;
    const KeyState& up = gKeyState[kKeyUp];
    const KeyState& down = gKeyState[kKeyDown];
    if (up.framesHeld > 0) {
        if (up.framesHeld < 3 && gMiniGame->energy > 5)
            *dy = -4;
        else if (up.framesHeld >= 3)
            *dy = kMiniGameHold;
    }
    if (down.framesHeld == 1 && gMiniGame->energy > 0) *dy = 2;
    if (gKeyState[kKeyLeft].framesHeld > 0) *dx = -3;
    if (gKeyState[kKeyRight].framesHeld > 0) *dx = 3;
    const KeyState& cancel = gKeyState[kKeyCancel];
    if ((cancel.state & ~kKeyConsumedBit) == 1 && cancel.framesHeld == 1 && !(gMiniGame->flags & kMiniGameEnding))
        StartEnding(gMiniGame);
}

void ApplyMiniGameVelocity(MiniGameObject* o, int32_t ax, int32_t ay, bool energyRule) {
    o->vx = TowardZero(o->vx);
    o->vy = TowardZero(o->vy);
    if (ax != 0) o->vx = AddLimited(o->vx, ax);
    if (ay == kMiniGameHold) {
        o->vy = 0;
        if (energyRule) AddEnergy(1);
    } else if (ay != 0) {
        o->vy = AddLimited(o->vy, ay);
        if (energyRule) AddEnergy(-4);
    } else if (energyRule) {
        AddEnergy(1);
    }
}

void RepelMiniGamePlayer(MiniGameObject* player, const MiniGameObject* obstacle) {
    const double dx = double(player->x) - obstacle->x, dy = double(player->y) - obstacle->y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d > kMiniGameRepelRange) return;
    player->x += player->x >= obstacle->x ? 1 : -1;
    const int32_t push = int32_t(kMiniGameRepelRange - d);
    player->y += player->y <= obstacle->y ? -push : push;
}

void MiniGameMove(int32_t dx, int32_t dy) {
    MiniGameState* g = gMiniGame;
    if (g->flags & kMiniGameEnding) return;
    g->driftX = std::clamp(g->driftX + Random(3) - 1, -16, 16);
    g->driftY = std::clamp(g->driftY + Random(4) - 1, 0, 16);
    g->backX += g->driftX / 8;
    g->backY += g->driftY / 8;
    MiniGameObject& p = g->player;
    ApplyMiniGameVelocity(&p, g->driftX / 8, g->driftY / 8, false);
    ApplyMiniGameVelocity(&p, dx, dy, true);
    p.x += p.vx;
    p.y += p.vy;
    g->cameraTop = p.y - 240;
    for (MiniGameObject& goal : g->goals) goal.x += goal.x < p.x ? 1 : goal.x > p.x ? -1 : 0;
    for (MiniGameObject& o : g->obstacles) {
        if (o.y != kMiniGameEmpty) {
            ApplyMiniGameVelocity(&o, g->driftX / 8, g->driftY / 8, false);
            o.x += o.vx;
            o.y += o.vy;
            RepelMiniGamePlayer(&p, &o);
            if (o.y > g->cameraTop + 560) Place(&o, kMiniGameEmpty, kMiniGameEmpty);
        } else if (CRand() % kSpawnChance == 1 && g->cameraTop >= 60) {
            const int kind = Random(kMiniGameKinds);
            const int32_t x = Random(520) + 60;
            Place(&o, x, g->cameraTop - 60);
            SetAct(&o, g->kinds[kind][0], g->kinds[kind][1]);
        }
    }
    // The player stays on the field: sideways inside it, never below the start.
    if (p.x < kMiniGameFieldLeft || p.x > kMiniGameFieldRight) {
        p.x = std::clamp(p.x, kMiniGameFieldLeft, kMiniGameFieldRight);
        p.vx = 0;
    }
    if (p.y > kMiniGameStartY) {
        p.y = kMiniGameStartY;
        p.vy = 0;
    }
    g->cameraTop = p.y - 240;
    if (p.y <= 0) StartEnding(g);
}

void DrawMiniGame() {
    MiniGameState* g = gMiniGame;
    uint16_t* pixels = nullptr;
    int pitch = 0;
    const bool locked = gBackBuffer && LockSurface(gBackBuffer, &pixels, &pitch);
    const int pitchPixels = pitch / 2;
    if (g->flags & kMiniGameEnding) {
        if (locked)
            for (int y = 0; y < gBackBuffer->height; ++y)
                AddRgbToPixels(pixels + size_t(y) * size_t(pitchPixels), gBackBuffer->width, -1, -1, -1);
        if (--g->endTimer <= 0) g->flags |= kMiniGameEnded;
    } else if (locked && gBackBuffer->width >= kScreenW && gBackBuffer->height >= kScreenH) {
        DrawMiniGameBackground();
        for (MiniGameObject& o : g->obstacles)
            if (o.y != kMiniGameEmpty) DrawObject(&o);
        for (MiniGameObject& goal : g->goals) DrawObject(&goal);
        DrawObject(&g->player);
        DrawMiniGameEnergy(pixels, pitchPixels);
    }
    if (locked) {
        UnlockSurface(gBackBuffer);
        gDisplay.Blt(gBackBuffer);
    }
}

bool MiniGameFrame() {
    if (!gMiniGame) return true;
    int32_t dx = 0, dy = 0;
    MiniGameInput(&dx, &dy);
    MiniGameMove(dx, dy);
    DrawMiniGame();
    if (gMiniGame->flags & kMiniGameEnded) EndMiniGame();
    return gMiniGame == nullptr;
}

void StartTestMiniGame() {
    constexpr uint32_t kTestAct = 9010;
    gGameMode |= kModeMiniGame;
    StartMiniGame(100, kTestAct, 0, kTestAct, 1, kTestAct, 2, 100);
    for (int kind = 0; kind < kMiniGameKinds; ++kind) SetMiniGameObject(kind, kTestAct, uint32_t(3 + kind % 4));
}

void EndMiniGame() {
    delete gMiniGame;
    gMiniGame = nullptr;
}

// The reward roulette and the coin spin of special commands, and the eased
// counter of the result pages.
#include <algorithm>
#include <cstdio>

#include "base/random.h"
#include "base/settings.h"
#include "battle/hud/accumulator.h"
#include "battle/hud/battle_hud.h"
#include "battle/hud/hud_pieces.h"
#include "battle/results/battle_results.h"
#include "battle/hud/hud_state.h"
#include "battle/hud/hud_texts.h"
#include "battle/screen/battle_messages.h"
#include "draw/draw_kernel.h"
#include "draw/tsw_pack.h"
#include "draw/zoom_render.h"
#include "media/sound_bank.h"

uint32_t gCoinSpinOn;

namespace {

constexpr uint16_t kRoulettePack = 9136;
constexpr uint16_t kCoinAct = 9115;
constexpr int kDigitMaxTop = 9;
// Steps beyond these raise nothing: every maximum is 9 after 4 + 4 + 9 + 9.
constexpr int kDigitStepsMax = 32;
constexpr uint32_t kRewardMessageFlags = 0x40000002;

// Frames between two steps of digit i while it rolls.
int RollPeriod(int i) { return i < 2 ? 3 : (i == 2 ? 2 : 1); }

void Post(const char* format, int value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    AddBattleMessage(280, 10, 60, text, kRewardMessageFlags);
}

}  // namespace

int EaseResultCounter(int32_t start, int32_t target, int32_t divisor) {
    if (divisor == 0) divisor = 1;  // a divisor of 0 moves the whole way at once
    const int32_t step = (target - gResultHeight - start) / divisor;
    gResultHeight += step;
    return step == 0 ? 1 : 0;
}

void StepDigitCounter() {
    for (int i = 0; i < 4; ++i) {
        if (gHud.digitMax[i] >= kDigitMaxTop) continue;
        ++gHud.digitMax[i];
        if (i == 2) gHud.digitCount = 3;
        if (i == 3) gHud.digitCount = 4;
        return;
    }
}

void ResetDigitCounter(int n) {
    gHud.digitMax[0] = gHud.digitMax[1] = 5;
    gHud.digitMax[2] = gHud.digitMax[3] = 0;
    gHud.digitCount = 2;
    n = std::clamp(n, 0, kDigitStepsMax);
    for (int i = 0; i < n; ++i) StepDigitCounter();
}

void RollCounterDigits() {
    gHud.stopIndex = 0;
    for (int i = 0; i < 4; ++i) {
        // One draw per shown digit, folded into the digit's range: a digit
        // never shows (or stops on) a value above its maximum.
        gHud.rolling[i] = i < gHud.digitCount ? Random(10) % (gHud.digitMax[i] + 1) : 0;
        gHud.finals[i] = 0;
        gHud.ticks[i] = 0;
    }
}

int DrawRewardRoulette(int32_t x, int32_t y, int32_t* result, int stop) {
    const int count = std::clamp<int>(gHud.digitCount, 2, 4);
    if (const PicFrame* f = GetTswPicture(kRoulettePack, stop == 1 ? 1 : 0))
        DrawFrame(f, x - f->width + 52, y - f->height / 2 + 2, 0, 0);
    for (int i = 0; i < count; ++i) {
        if (i >= gHud.stopIndex) {
            const int period = RollPeriod(i);
            if (++gHud.ticks[i] > period) gHud.ticks[i] = 1;
            if (gHud.ticks[i] == 1 && i == gHud.stopIndex) PlaySfx(293, int(gSfxVolume));
            if (gHud.ticks[i] == period) gHud.rolling[i] = (gHud.rolling[i] + 1) % (gHud.digitMax[i] + 1);
        }
        const int value = i < gHud.stopIndex ? gHud.finals[i] : gHud.rolling[i];
        DrawBattleNumber(kHudDigits, uint32_t(std::max(value, 0)), x - 14 * i, y);
    }
    if (stop == 1 && gHud.stopIndex < count) {
        gHud.finals[gHud.stopIndex] = gHud.rolling[gHud.stopIndex];
        ++gHud.stopIndex;
    }
    if (gHud.stopIndex < count) return 0;
    if (result) *result = gHud.finals[0] + 10 * gHud.finals[1] + 100 * gHud.finals[2] + 1000 * gHud.finals[3];
    return 1;
}

void DrawBattleReward() {
    const int count = std::clamp<int>(gHud.digitCount, 2, 4);
    const int ones = gHud.finals[0];
    bool same = true;
    for (int i = 1; i < count; ++i) same = same && gHud.finals[i] == ones;
    if (!same) {
        if (ones == 0) gExpBonus = 0;
        if (ones == 7) gSilverFactor = 0;
        return;
    }
    if (ones == 0) {
        gExpBonus = uint16_t(10 * count);
        Post(kTextExpBonus, gExpBonus);
    } else if (ones == 7) {
        // The raised factor is kept for the results: it is what the page pays.
        gSilverFactor = uint16_t(gSilverFactor + 2 * (count - 1));
        Post(kTextMoneyFactor, gSilverFactor);
    } else {
        gHud.treasureBonus = uint16_t(10 * (count - 1));
        Post(kTextTreasureExp, gHud.treasureBonus);
    }
}

int RunCoinSpin() {
    HudState& h = gHud;
    ActRecord& coin = gHudActs.coin[0];
    if (!h.coinStarted) {
        h.coinStarted = 1;
        h.coinOutcome = h.coinWins == 0 ? Random(2) : 0;
        h.coinSpeed = h.coinCountdown = 1;
        h.coinFrames = h.coinZoom = h.coinPhase = 0;
        coin = ActRecord{};
        coin.act = kCoinAct;
    }
    ++h.coinFrames;
    if (h.coinPhase == 0) {
        coin.qq = 0;
        // The spin runs faster as its speed doubles: fewer frames per step.
        coin.waitOverride = uint16_t(0x8000 | std::max(1, 8 / std::min(h.coinSpeed, 8)));
        if (TakeActData(&coin)) {
            const int zoom = std::min(h.coinZoom, 1024);
            SetZoomFactor(int(coin.hotX), int(coin.hotY), std::max(zoom, 1), std::max(zoom, 1), 0);
            DrawPictureFrame(coin.picNumber, coin.picFrame, 260 - int(coin.hotX), 200 - int(coin.hotY), 128, 0);
            ResetZoom();
        }
        if (h.coinZoom < 1024) h.coinZoom += 128;
        if (h.coinFrames % 8 == 0) PlaySfx(46, int(gSfxVolume));
        if (h.coinFrames % 25 == 0) h.coinSpeed *= 2;
        if (h.coinSpeed > 63) {
            h.coinSpeed = 1;
            PlaySfx(279, int(gSfxVolume));
            if (h.coinOutcome == 1) ++h.coinWins;
            h.coinPhase = 1;
            h.coinFrames = 0;
            coin = ActRecord{};
            coin.act = kCoinAct;
            coin.qq = h.coinOutcome + 1;
        }
        return 0;
    }
    if (h.coinPhase == 1) {
        DrawActData(&coin, 260, 200);
        if (h.coinFrames >= 30) {
            PlaySfx(407, int(gSfxVolume));
            h.coinPhase = 2;
            h.coinZoom = 0;
            coin = ActRecord{};
            coin.act = kCoinAct;
            coin.qq = 3;
        }
        return 0;
    }
    if (TakeActData(&coin)) {
        const int z = 1024 + 5 * h.coinZoom;
        SetZoomFactor(int(coin.hotX), int(coin.hotY), z, z, 0);
        DrawPictureFrame(coin.picNumber, coin.picFrame, 260 - int(coin.hotX), 200 - int(coin.hotY), 132, 0);
        ResetZoom();
    }
    h.coinZoom += 60;
    if (h.coinZoom < 1024) return 0;
    gHudActs.coin[0] = gHudActs.coin[1] = ActRecord{};
    h.coinStarted = 0;
    return 1;
}

void ResetBattleCounters() {
    gAccumTotal = 0;
    gAccumLast = 0;
    gHud.accumShown = 0;
    gHud.accumOn = 0;
}

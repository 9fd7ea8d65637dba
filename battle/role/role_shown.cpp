// The numbers shown above a role: damage, healing, spirit and stamina, each
// four digits that pop in one after another, then rise and fade.
#include <algorithm>

#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/role/roles.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"

namespace {

constexpr uint16_t kDigitsDamage = 9097;
constexpr int16_t kBounce[10] = {0, 12, 18, 12, 8, 4, 0, 2, 0, 0};
constexpr int16_t kPopDone = 9;
constexpr int16_t kAgeEnd = 48;
// 抵抗所有攻擊解除
constexpr char kResistAllEnds[] = "\xA9\xE8\xA7\xDC\xA9\xD2\xA6\xB3\xA7\xF0\xC0\xBB\xB8\xD1\xB0\xA3";

bool AllPopped(const ShownNumber& n) {
    return std::all_of(n.pop, n.pop + 4, [](int16_t p) { return p >= kPopDone; });
}

// Draws the digits the number shows: the thousands only when not 0, the
// hundreds when they or the thousands are not 0, and so on; the ones always.
void DrawDigits(const ShownNumber& n, int x, int y, const int16_t raise[4], int blend) {
    bool shown = false;
    for (int k = 0; k < 4; ++k) {
        shown = shown || n.digit[k] != 0 || k == 3;
        if (!shown) continue;
        const int d = std::clamp<int>(n.digit[k], 0, 9);
        gTintRed = gTintGreen = gTintBlue = blend;
        DrawPictureFrame(n.sprite, uint16_t(d), x - 16 + 16 * k, y - raise[k], blend != 0 ? 16 : 0, 0);
        gTintRed = gTintGreen = gTintBlue = 0;
    }
}

}  // namespace

void Role::PushShownNumber(uint16_t spriteSetOfDigits) {
    if (shownCursor >= kShownNumbers) shownCursor = kShownNumbers - 1;
    shown[shownCursor].sprite = spriteSetOfDigits;
}

void Role::SetDamageDigits(int16_t amount) {
    if (status & kStatusNoDamage) return;
    if (shownCursor >= kShownNumbers) shownCursor = kShownNumbers - 1;
    ShownNumber& n = shown[shownCursor];
    if (n.sprite == kDigitsDamage && (effectBits & kEffectResistAll) && amount >= 0) {
        // The hit is resisted: it uses up one resist-all hit and shows nothing.
        if (resistAllHits > 0) --resistAllHits;
        if (resistAllHits == 0) {
            effectBits &= ~kEffectResistAll;
            SendRoleMessage(kResistAllEnds, 0x41000002);
        }
        return;
    }
    // The magnitude of a negative amount; -32768 and amounts above 9999
    // show 9999.
    int32_t a = amount < 0 ? -int32_t(amount) : amount;
    a = std::min<int32_t>(a, 9999);
    n.digit[0] = int16_t(a / 1000);
    n.digit[1] = int16_t((a % 1000) / 100);
    n.digit[2] = int16_t((a % 100) / 10);
    n.digit[3] = int16_t(a % 10);
}

void Role::SetShownNumberDelay(uint16_t frames) {
    if (shownCursor >= kShownNumbers) shownCursor = kShownNumbers - 1;
    shown[shownCursor].delay = frames;
}

void Role::CommitShownNumber(uint32_t n) {
    if (n != 1) {
        if (shownCursor > shownDone) --shownCursor;
        numberPending = n;
        return;
    }
    if (shownCursor < kShownNumbers && shown[shownCursor].sprite == kDigitsDamage && side == 1 &&
        (effectBits & kEffectTransfer) && transferFlag == 0 && pendingDamage == 0) {
        StartTransferAct();
        return;
    }
    if (statusDword & 0x8) {
        numberCancelled = 0;
        if (numberWindow != -1) numberWindow = 2;
    }
    // Up to 35 entries are committed; the 36th number of one action is
    // written over the 35th (a push at 35 prepares the last entry again).
    if (shownCursor < kShownNumbers) ++shownCursor;
    numberPending = 1;
}

uint32_t Role::StepShownNumbers() {
    if (numberPending == 0) return 0;
    int16_t x, y;
    GetRolePos(&x, &y);
    y = int16_t(y - 30);
    const bool held = holdFlag != 0;
    const uint16_t end = std::min<uint16_t>(shownCursor, kShownNumbers);
    for (uint16_t i = shownDone; i < end; ++i) {
        ShownNumber& n = shown[i];
        if (n.delay > 0) {
            --n.delay;
            continue;
        }
        if (!AllPopped(n)) {
            int16_t raise[4];
            for (int k = 0; k < 4; ++k) raise[k] = kBounce[std::clamp<int>(n.pop[k], 0, 9)];
            if (gBackPixels) DrawDigits(n, x, y, raise, 0);
            if (!held) {
                if (n.pop[0] < kPopDone) ++n.pop[0];
                for (int k = 1; k < 4; ++k)
                    if (n.pop[k - 1] > 0 && n.pop[k] < kPopDone) ++n.pop[k];
            }
            continue;
        }
        if (numberRepeat == 1) {
            numberRepeat = 0;
            if (shownCursor < kShownNumbers) {
                ShownNumber& extra = shown[shownCursor];
                extra = ShownNumber{};
                extra.sprite = n.sprite;
                for (int k = 0; k < 4; ++k) extra.digit[k] = gBattle.repeatDigits[k];
                ++shownCursor;
            }
        }
        if (n.age >= kAgeEnd) {
            n = ShownNumber{};
            ++shownDone;
            continue;
        }
        if (!held) n.age = int16_t(n.age + 2);
        const int16_t raise[4] = {n.age, n.age, n.age, n.age};
        if (gBackPixels) DrawDigits(n, x, y, raise, -n.age);
    }
    if (shownDone >= shownCursor) {
        shownCursor = shownDone = 0;
        numberPending = 0;
        return 1;
    }
    return 0;
}

uint32_t Role::CancelLastShownNumber() {
    if ((gBattle.inputLock & 0x800) || numberWindow < 0) return 0;
    if (numberCancelled == 1) return 1;
    if (!(statusDword & 0x8)) return 0;
    numberCancelled = 0;
    if (numberWindow > 0 && shownCursor > 0) {
        ShownNumber& last = shown[shownCursor - 1];
        const int32_t value = 1000 * last.digit[0] + 100 * last.digit[1] + 10 * last.digit[2] + last.digit[3];
        AddToAccumulator(-value);
        for (int16_t& d : last.digit) d = 0;
        numberWindow = -2;
        numberCancelled = 1;
        return 1;
    }
    numberWindow = -1;
    return 0;
}

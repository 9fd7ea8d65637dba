// The act players that fly an act to a target, fade it or draw it with a
// scaled shadow, and the screen effects: a target's frame dissolved into
// particles in one of the role's particle slots.
#include <algorithm>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/line_tool.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"

namespace {

// A fly that has not arrived after this many frames has arrived.
constexpr int kFlyFrameCap = 240;
constexpr int32_t kSpeedDoubleBelow = 33;
constexpr int32_t kSpeedGrowth = 48;
constexpr uint16_t kScreenEffectFlags = 86;

bool SlotInRange(int slot) { return slot >= 0 && slot < kScreenEffectSlots; }

}  // namespace

int Role::PlayActRecord(Role* targetRole, int block, int slot, int32_t sprite, int32_t x, int32_t y,
                        int32_t multiplier, int32_t delay, int32_t reverse) {
    if (block < 0 || block >= kRoleActBlocks || !SlotInRange(slot)) {
        TraceHook("PlayActRecord: block %d or slot %d out of range", block, slot);
        return 1;
    }
    ActBlock& b = acts[block];
    if (!flyStarted[slot]) {
        if (b.Empty() && sprite != -1) b.rec.act = sprite;
        if (b.Empty()) return 1;
        int32_t tx = 0, ty = 0;
        ActTargetPoint(targetRole, &tx, &ty);
        // y 0 keeps the act on the target's row.
        const int32_t fromY0 = y == 0 ? ty : y;
        const int32_t fromX = reverse == 1 ? tx : x, fromY = reverse == 1 ? ty : fromY0;
        const int32_t toX = reverse == 1 ? x : tx, toY = reverse == 1 ? fromY0 : ty;
        flyLine[slot] = LineWalker{fromX, fromY, toX, toY, fromX, fromY, 0, 0};
        flySpeed[slot] = 1;
        flyDelay[slot] = std::max(0, delay);
        flyStarted[slot] = 1;
        player.runFrames = 0;
    }
    LineWalker& line = flyLine[slot];
    bool arrived = line.x == line.endX && line.y == line.endY;
    if (flyDelay[slot] > 0) {
        --flyDelay[slot];
    } else if (!arrived) {
        // A multiplier of 0 or less would never move: it counts as 1.
        const int64_t points = int64_t(flySpeed[slot]) * std::max(1, multiplier);
        for (int64_t i = 0; i < points && !arrived; ++i) arrived = StepLine(&line) == 1;
        if (flySpeed[slot] < kSpeedDoubleBelow) flySpeed[slot] *= 2;
        else flySpeed[slot] = std::min(flySpeed[slot] + kSpeedGrowth, 1 << 16);
    }
    const int ended = DrawActBlock(block, line.x, line.y, false);
    if (arrived || ended == 1 || ++player.runFrames > kFlyFrameCap) {
        flyStarted[slot] = 0;
        b.Clear();
        return 1;
    }
    return 0;
}

int Role::PlayActRecordBlend(int block, int32_t level) {
    if (block < 0 || block >= kRoleActBlocks) return 1;
    ActBlock& b = acts[block];
    if (b.Empty()) {
        blendLevel = 0;
        return 1;
    }
    if (blendLevel <= 0) blendLevel = level > 0 ? level : 16;
    b.rec.hold = holdFlag != 0 || b.freeze != 0;
    if (TakeActData(&b.rec) == 0) {
        blendLevel = 0;
        b.Clear();
        return 1;
    }
    int16_t x, y;
    GetRolePos(&x, &y);
    const PicFrame* pic = b.rec.picNumber != 0 ? GetTswPicture(b.rec.picNumber, b.rec.picFrame) : nullptr;
    const bool mirrored = DrawsMirrored();
    const int32_t hotX = static_cast<int16_t>(b.rec.hotX);
    const int32_t left = pic == nullptr ? x : mirrored ? x - (pic->width - hotX) : x - hotX;
    if (b.rec.soundId != 0) {
        PlaySfx(b.rec.soundId, int(gSfxVolume));
        SetSfxPan(b.rec.soundId, x < 320 ? -48 : 48);
        b.rec.soundId = 0;
    }
    const int32_t shown = b.rec.light != 0 ? std::min<int32_t>(blendLevel, b.rec.light) : blendLevel;
    if (pic != nullptr)
        DrawFrame(pic, left, y - static_cast<int16_t>(b.rec.hotY), 20 | (mirrored ? kFlagMirror : 0),
                  std::clamp(shown, 0, 16));
    if (holdFlag == 0) blendLevel -= 2;
    if (blendLevel <= 0) {
        blendLevel = 0;
        b.Clear();
        return 1;
    }
    return 0;
}

int Role::PlayActRecordScaled(int block) {
    int16_t x, y;
    GetRolePos(&x, &y);
    return DrawActBlock(block, x, y, true);
}

uint32_t Role::StartRoleScreenEffect(int slot, Role* targetRole) {
    if (!SlotInRange(slot) || targetRole == nullptr) {
        TraceHook("StartRoleScreenEffect: slot %d out of range or no target", slot);
        return 0;
    }
    ParticleEmitter& e = screenParticles[slot];
    FreeParticles(&e);
    FreeMem(e.pixels);
    e = ParticleEmitter{};
    const PicFrame* pic = targetRole->picture;
    int w = 0, h = 0, depth = 0;
    uint8_t* pixels = nullptr;
    if (pic != nullptr && pic->data != nullptr && pic->palette == nullptr)
        pixels = DecodeRle(pic->data, int(pic->size), &w, &h, &depth);
    if (pixels == nullptr || depth != 16 || w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF) {
        // A frame that cannot be unpacked gives no particles (it used to be
        // handed to them all the same); the effect's end finds nothing to run.
        FreeMem(pixels);
        TraceHook("StartRoleScreenEffect: the target's frame cannot be unpacked");
        return 0;
    }
    int16_t x, y;
    GetRolePos(&x, &y);
    int16_t tx, ty;
    targetRole->GetRolePos(&tx, &ty);
    e.pixels = reinterpret_cast<uint16_t*>(pixels);
    e.width = uint16_t(w);
    e.height = uint16_t(h);
    e.x = x - 50;
    e.y = y + 40;
    e.targetLeft = tx - 1;
    e.targetWidth = 3;
    e.targetTop = e.y + h / 2 - 1;
    e.targetHeight = 3;
    e.speedRange = 20;
    e.batchesLeft = 40 / 5;
    e.spawnDivisor = 1;
    e.baseLife = 60;
    e.tint[0] = e.tint[1] = e.tint[2] = 5;
    e.flags = uint16_t(kScreenEffectFlags | (targetRole->DrawsMirrored() ? kEffectMirror : 0));
    actionFlags |= 0x8;
    gLineTool.ResizeLineTool(gScreenPitch / 2, gScreenHeight);
    return 1;
}

uint32_t Role::EndRoleScreenEffect(int slot) {
    if (!SlotInRange(slot)) {
        TraceHook("EndRoleScreenEffect: slot %d out of range", slot);
        return 1;
    }
    ParticleEmitter& e = screenParticles[slot];
    if (e.pixels == nullptr) return 1;
    e.tint[0] = e.tint[1] = e.tint[2] = 5;
    particleFlag = 1;
    if (gLineTool.UpdateParticles(gBackPixels, &e) == 0) return 0;
    FreeParticles(&e);
    FreeMem(e.pixels);
    e = ParticleEmitter{};
    particleFlag = 0;
    return 1;
}

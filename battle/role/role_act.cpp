// The act players of a role: the common recipe that steps and draws an act
// block with its shadow and sound, the acts drawn on a target, the follow-up
// and second acts, the run-up to a target and the strike back home, and the
// after-image trail.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/role/role_act.h"
#include "battle/role/roles.h"
#include "draw/draw_kernel.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"

namespace {

constexpr int kPanLeft = -48, kPanRight = 48;
constexpr int kShadowMode = 12;
constexpr uint32_t kInvisibleMode = 48;
constexpr int kRunStep = 24, kRunStepSpirit = 16;
constexpr int kStrikeStep = 28, kStrikeStepSpirit = 24;
// A run that has not arrived after this many frames arrives.
constexpr int kRunFrameCap = 120;
// Where a striker stands beside its target.
constexpr int kStrikeGap = 48;
// The run-up's act, and the first member's arrival act with its sprite set.
constexpr int32_t kRunAct = 46;
constexpr int32_t kArrivalAct = 57;
constexpr uint16_t kArrivalSprite = 1;

// The act last reported as missing: a missing act is reported once, not
// every frame it is asked for.
struct ActReport {
    int32_t act = -1, qq = -1;
};
ActReport gActReport;

void ReportAct(const Role& r, const ActRecord& rec) {
    if (gActReport.act == rec.act && gActReport.qq == rec.qq) return;
    gActReport.act = rec.act;
    gActReport.qq = rec.qq;
    ErrorBox("Attack Act", "[%s]QQ:%d\xB8\xB9\xBF\xF9\xBB\x7E!!", r.name != nullptr ? r.name : "", rec.qq);
}

void PlayActSound(ActRecord& rec, int32_t x) {
    if (rec.soundId == 0) return;
    PlaySfx(rec.soundId, int(gSfxVolume));
    SetSfxPan(rec.soundId, x < 320 ? kPanLeft : kPanRight);
    rec.soundId = 0;
}

int32_t FrameWidth(const PicFrame* f) { return f != nullptr ? f->width : 0; }

}  // namespace

void ResetActPlayers() { gActReport = ActReport{}; }

void Role::ClearActPlayerAreas() {
    std::memset(&player, 0, sizeof player);
    for (AfterimageEntry& e : player.trail.entry) e.frame = 65535;
}

bool Role::DrawsMirrored() const {
    // The pictures face right: the party, which faces left, draws them
    // mirrored, and an enemy turned the other way does too.
    const bool partySide = member == 1 || spareFlag == 1 || guard == 1 || spirit == 1 || side == 1;
    return partySide ? facing == 0 : facing == 1;
}

void Role::ApplyActEdgeTarget(int32_t* x, int32_t* y) const {
    if (actionFlags & 0x10) *x = (side == 0 || facing == 1) && (action.word20 & 0x1) ? 640 : 0;
    if (actionFlags & 0x20) *y = 0;
}

void Role::ActTargetPoint(const Role* target, int32_t* x, int32_t* y) const {
    int16_t px = 0, py = 0;
    if ((action.word20 & 0x38) && GetActionTargetPoint(&px, &py)) {
        *x = px;
        *y = py;
        return;
    }
    if (action.flags & (1u << 18)) {
        *x = side == 1 ? 240 : 420;
        *y = side == 1 ? 300 : 280;
        return;
    }
    if (target != nullptr) {
        target->GetRolePos(&px, &py);
    } else {
        GetRolePos(&px, &py);
    }
    *x = px;
    *y = py;
}

int Role::DrawActBlock(int block, int32_t x, int32_t y, bool shadow, bool run, int mirror) {
    if (block < 0 || block >= kRoleActBlocks) return 1;
    ActBlock& b = acts[block];
    if (b.Empty()) return 1;
    b.rec.hold = holdFlag != 0 || b.freeze != 0;
    if (TakeActData(&b.rec) == 0) {
        // Nothing to draw: the act ends here, so no performer waits for it.
        ReportAct(*this, b.rec);
        b.Clear();
        return 1;
    }
    const PicFrame* frame = b.rec.picNumber != 0 ? GetTswPicture(b.rec.picNumber, b.rec.picFrame) : nullptr;
    const bool mirrored = mirror < 0 ? DrawsMirrored() : mirror == 1;
    if (b.rec.events & 0x1000) {
        SetRoleHoldTimer(40, 0);
        b.rec.events &= ~0x1000;
    }
    const int32_t hotX = static_cast<int16_t>(b.rec.hotX);
    const int32_t hotY = static_cast<int16_t>(b.rec.hotY);
    const int32_t left = mirrored ? x - (FrameWidth(frame) - hotX) : x - hotX;
    const int32_t top = y - hotY;
    if (run && player.soundPlayed) b.rec.soundId = 0;
    if (run && b.rec.soundId != 0) player.soundPlayed = 1;
    const bool unseen = run && (effectBits & kEffectInvisible);
    if (unseen) shadow = false;
    PlayActSound(b.rec, left);
    if ((b.rec.events & 0x108) == 0x108) {
        player.trail.length = 14;
        player.trail.delay = 10;
        if (side == 0) state |= kStateTurnOnly;
    }
    if (frame != nullptr && gBackPixels != nullptr) {
        const uint32_t flip = mirrored ? kFlagMirror : 0;
        if (shadow) {
            gScaleHeight = std::max<int32_t>(1, frame->height / 4);
            const int dark = (effectBits & kEffectInvisible) ? -1 : -6;
            gTintRed = gTintGreen = gTintBlue = dark;
            DrawFrame(frame, left, top + frame->height / 3, kShadowMode | flip, 0);
            gTintRed = gTintGreen = gTintBlue = 0;
        }
        if (state & kStateTurnOnly) DrawAfterimageTrail(&player.trail, b.rec.picNumber, b.rec.picFrame, flip, left, top);
        const uint32_t flags = unseen ? kInvisibleMode : b.rec.drawFlags & ~(kFlagMirror | kFlagRle);
        DrawFrame(frame, left, top, flags | flip, b.rec.alpha);
        // The second sprite follows at its own offsets, mirrored the same way.
        DrawSecondSprite(b, x, y, mirrored);
    }
    if (b.rec.done) {
        b.secondPic = b.secondFrame = 0;
        b.secondX = b.secondY = 0;
        return 1;
    }
    return 0;
}

int Role::BeginRoleAct(Role* target, int block) {
    int32_t x = 0, y = 0;
    if (target != nullptr || (action.word20 & 0x38)) {
        ActTargetPoint(target, &x, &y);
    } else {
        int16_t px, py;
        GetRolePos(&px, &py);
        x = px;
        y = py;
    }
    return DrawActBlock(block, x, y, false);
}

int Role::PlayActRecordAt(Role* target, int block, int32_t dx, int32_t dy) {
    int32_t x = 0, y = 0;
    ActTargetPoint(target, &x, &y);
    ApplyActEdgeTarget(&x, &y);
    if (block < 0 || block >= kRoleActBlocks) return 1;
    const bool hurt = (acts[block].rec.events & 0x4) != 0;
    const int done = DrawActBlock(block, x + dx, y + dy, false);
    if ((hurt || (acts[block].rec.events & 0x4)) && target != nullptr) {
        target->SetHurtMark();
        acts[block].rec.events &= ~0x4;
    }
    return done;
}

int Role::PlayActRecordOnTarget(int block, Role* target) {
    int32_t x = 0, y = 0;
    ActTargetPoint(target, &x, &y);
    if (block < 0 || block >= kRoleActBlocks) return 1;
    const int done = DrawActBlock(block, x, y, false);
    if ((acts[block].rec.events & 0x1) && target != nullptr) {
        target->SetHurtMark();
        acts[block].rec.events &= ~0x1;
    }
    return done;
}

int Role::DrawFollowUpAct() {
    ActBlock& wait = acts[kActWait];
    if (wait.rec.events & 0x2) {
        if (wait.rec.followAct != 0) actFlags[0] |= 0x4000;
        if (GetActionFollowUpAct() != 0) actFlags[0] |= 0x8000;
        if (wait.rec.events & 0x200) wait.freeze = 1;
        wait.rec.events &= ~0x2;
        acts[kActFollowUp].Clear();
        if (actFlags[0] & 0x4000) {
            acts[kActFollowUp].rec.act = int32_t(wait.rec.followAct);
            acts[kActFollowUp].rec.qq = int32_t(wait.rec.followQq);
        }
    }
    if (!(actFlags[0] & 0x4000)) return 1;
    int16_t x, y;
    GetRolePos(&x, &y);
    if (DrawActBlock(kActFollowUp, x, y, false) == 1) {
        actFlags[0] &= ~0x4000u;
        wait.freeze = 0;
        acts[kActFollowUp].Clear();
        return 1;
    }
    return 0;
}

int Role::DrawSecondAct() {
    if (!(actFlags[0] & 0x8000)) return 1;
    int16_t x, y;
    GetRolePos(&x, &y);
    if (DrawActBlock(kActSecond, x, y, false) == 1) {
        actFlags[0] &= ~0x8000u;
        acts[kActSecond].Clear();
        actState = 0;
        return 1;
    }
    return 0;
}

void Role::DrawActSprite(uint16_t pic, uint16_t frame, int32_t x, int32_t y, int mirror) {
    if (pic == 0 || gBackPixels == nullptr) return;
    const PicFrame* f = GetTswPicture(pic, frame);
    if (f == nullptr) return;
    const bool mirrored = mirror < 0 ? DrawsMirrored() : mirror == 1;
    DrawFrame(f, mirrored ? x - f->width : x, y, mirrored ? kFlagMirror : 0, 0);
}

void Role::DrawSecondSprite(const ActBlock& b, int32_t x, int32_t y, bool mirrored) {
    if (b.secondPic == 0 || b.secondFrame == 0) return;
    DrawActSprite(b.secondPic, uint16_t(b.secondFrame - 1), mirrored ? x - b.secondX : x + b.secondX, y + b.secondY,
                  mirrored ? 1 : 0);
}

namespace {

// A run (or its arrival act) is over: the role goes on to its second
// command. Returns 1, the approach's "arrived".
int EndRun(Role& r) {
    r.command = r.subCommand;
    r.subCommand = 0;
    r.player.running = 0;
    r.player.runFrames = 0;
    r.player.auraShown = 0;
    return 1;
}

} // namespace

int Role::StepRoleApproach(Role* target) {
    if (numberPending == 1) return 0;
    const auto finish = [this] { return EndRun(*this); };
    if (status & kStatusWeakened) return finish();
    if (guard == 1 && (action.word20 & 0x18)) return finish();
    // An invisible role shows its aura once before it sets off; the run
    // waits while the aura draws.
    if ((effectBits & kEffectInvisible) && !player.running && !(state & kStateArrived) && !player.auraShown) {
        if (DrawRoleAura(0) == 1) return 0;
        player.auraShown = 1;
    }
    // An out role has nowhere to run: its action ends rather than waiting.
    if (IsOut()) {
        state &= ~kStateArrived;
        return finish();
    }
    acting = 1;
    if (state & kStateArrived) return StepRoleArrival();
    if (!player.running) {
        int16_t hx, hy;
        GetRolePos(&hx, &hy);
        int32_t tx = 0, ty = 0;
        ActTargetPoint(target, &tx, &ty);
        // The striker stands beside its target, on its own side of it.
        tx += side == 1 ? kStrikeGap : -kStrikeGap;
        player.run = LineWalker{hx, hy, tx, ty, hx, hy, 0, 0};
        player.targetX = tx;
        player.targetY = ty;
        player.runCount = 1;
        player.runFrames = 0;
        player.running = 1;
        player.soundPlayed = 0;
        acts[kActSecond].Clear();
        acts[kActSecond].rec.act = spriteSet;
        acts[kActSecond].rec.qq = side == 0 ? 36 : kRunAct;
        acts[kActSecond].freeze = holdFlag;
        acts[kActFade].Clear();
        acts[kActFade].rec.act = spriteSet;
        acts[kActFade].rec.qq = specialMark == 1 ? 48 : specialMark == 2 ? 49 : 40;
    }
    int step = (spirit == 1 ? kRunStepSpirit : kRunStep) * player.runCount;
    if ((action.word20 & 0x20) && side != 0) {
        // An approach that moves on its act's beat: a sixteenth of the way on
        // each frame with event 0x8, at least a point (within 16 pixels a
        // sixteenth was 0 and the run never arrived). An enemy runs up in its
        // wait pose (36), which raises no beat (a beat in the wait pose would
        // release its action's hit while it waits): it runs by the count, or
        // it would stand until the frame cap.
        const int64_t dx = std::llabs(int64_t(player.run.endX) - player.run.x);
        const int64_t dy = std::llabs(int64_t(player.run.endY) - player.run.y);
        step = (acts[kActSecond].rec.events & 0x8) ? int(std::max<int64_t>(1, std::max(dx, dy) / 16)) : 0;
    }
    bool arrived = player.run.x == player.run.endX && player.run.y == player.run.endY;
    for (int i = 0; i < step && !arrived; ++i) arrived = StepLine(&player.run) == 1;
    ++player.runCount;
    player.drawX = player.run.x;
    player.drawY = player.run.y;
    DrawActBlock(kActSecond, player.drawX, player.drawY, true, true);
    if (arrived || ++player.runFrames > kRunFrameCap) {
        hitCounter = 0;
        acts[kActSecond].Clear();
        acts[kActFade].Clear();
        if (side == 1 && spriteSet == kArrivalSprite) {
            // The first member plays its arrival act at the target before
            // the strike; the command stays until that act has ended.
            state |= kStateArrived;
            player.running = 0;
            player.runFrames = 0;
            player.soundPlayed = 0;
            return 1;
        }
        return finish();
    }
    return 0;
}

int Role::StepRoleArrival() {
    ActBlock& b = acts[kActSecond];
    if (b.Empty()) {
        b.rec.act = spriteSet;
        b.rec.qq = kArrivalAct;
        b.freeze = holdFlag;
    }
    player.drawX = player.targetX;
    player.drawY = player.targetY;
    const int ended = DrawActBlock(kActSecond, player.drawX, player.drawY, true, true);
    // A looping arrival act ends with the run's own bound.
    if (ended == 1 || ++player.runFrames > kRunFrameCap) {
        state &= ~kStateArrived;
        acts[kActSecond].Clear();
        acts[kActFade].Clear();
        return EndRun(*this);
    }
    return 0;
}

int Role::StepRoleStrike(Role* target, int32_t sprite, int32_t act) {
    const bool nothing = (side == 0 && !(action.word20 & 0x10)) ||
                         (side == 1 && !(skillBits & 0x4) && !(action.word20 & 0x28) && member == 1) ||
                         guard == 1 || spareFlag == 1 || ((effectBits & kEffectConfuse) && (state & kStateBit28)) ||
                         (status & kStatusWeakened);
    if (nothing) {
        player.running = 0;
        return 1;
    }
    acting = 1;
    if (!player.running) {
        int32_t fromX = player.targetX, fromY = player.targetY;
        if (fromX == 0 && fromY == 0) {
            ActTargetPoint(target, &fromX, &fromY);
            fromX += side == 1 ? kStrikeGap : -kStrikeGap;
        }
        int16_t hx, hy;
        GetRolePos(&hx, &hy);
        player.run = LineWalker{fromX, fromY, hx, hy, fromX, fromY, 0, 0};
        player.runCount = 1;
        player.runFrames = 0;
        player.holdCount = 0;
        player.soundPlayed = 0;
        player.running = 1;
        acts[kActSecond].Clear();
        acts[kActSecond].rec.act = sprite != -1 ? sprite : spriteSet;
        acts[kActSecond].rec.qq = act != 0 ? act : (side == 1 ? 47 : 36);
        acts[kActSecond].freeze = holdFlag;
    }
    const int step = (spirit == 1 ? kStrikeStepSpirit : kStrikeStep) * player.runCount;
    bool home = player.run.x == player.run.endX && player.run.y == player.run.endY;
    for (int i = 0; i < step && !home; ++i) home = StepLine(&player.run) == 1;
    // The run speeds up a step a frame from the first frame of the act that
    // carries event 0x8 on.
    if (acts[kActSecond].rec.events & 0x8) player.holdCount = 1;
    if (player.holdCount) ++player.runCount;
    player.drawX = player.run.x;
    player.drawY = player.run.y;
    // The strike runs home facing away from its target: its own rule, not
    // the recipe's (a role facing right, and the spirit, mirror the frame).
    DrawActBlock(kActSecond, player.drawX, player.drawY, true, true, (facing == 1 || spirit == 1) ? 1 : 0);
    if (home || ++player.runFrames > kRunFrameCap) {
        player.running = 0;
        player.runCount = 0;
        player.holdCount = 0;
        player.targetX = player.targetY = 0;
        acts[kActSecond].Clear();
        acts[kActFade].Clear();
        return 1;
    }
    return 0;
}

void Role::DrawAfterimageTrail(AfterimageRing* ring, uint16_t pic, uint16_t frame, uint32_t flags, int32_t x,
                               int32_t y) {
    const int length = std::clamp<int>(ring->length, 1, kAfterimageRing);
    if (ring->delay > 0) {
        --ring->delay;
    } else {
        for (int k = length - 1; k > 0; --k) ring->entry[k] = ring->entry[k - 1];
        AfterimageEntry& e = ring->entry[0];
        e.pic = pic;
        e.frame = frame;
        e.flags = flags;
        e.level = (flags & 0x4) ? 24 : 12;
        e.x = int16_t(x);
        e.y = int16_t(y);
        ring->count = uint8_t(std::min(length, ring->count + 1));
        ring->delay = 1;
    }
    const int fade = std::max<int>(1, ring->fade);
    const int spacing = ring->mode == 1 ? -30 : ring->mode == 2 ? 0 : 30;
    for (int k = 0; k < ring->count && k < kAfterimageRing; ++k) {
        AfterimageEntry& e = ring->entry[k];
        if (e.frame == 65535) continue;
        e.level = int16_t(e.level - fade);
        if (e.level < 1) {
            e.frame = 65535;
            continue;
        }
        if (gBackPixels == nullptr) continue;
        const PicFrame* f = GetTswPicture(e.pic, e.frame);
        if (f == nullptr) continue;
        const int32_t dx = k * spacing + (ring->mode == 1 ? e.level - 12 : 12 - e.level);
        if (e.flags & 0x4) {
            gTintRed = gTintBlue = e.level - 31;
            gTintGreen = -16;
            DrawFrame(f, e.x + dx, e.y, 16 | (e.flags & kFlagMirror), 0);
            gTintRed = gTintGreen = gTintBlue = 0;
        } else {
            DrawFrame(f, e.x + dx, e.y, 20 | (e.flags & kFlagMirror), std::min<int>(16, e.level));
        }
    }
}

bool StartBlockAct(ActBlock* block, uint16_t spriteSet, int32_t act) {
    block->Clear();
    block->rec.act = spriteSet;
    block->rec.qq = act;
    ActRecord probe = block->rec;
    if (spriteSet != 0 && TakeActData(&probe) != 0) return true;
    block->Clear();
    return false;
}

bool StepBlockAct(ActBlock* block) {
    if (block->Empty()) return true;
    if (TakeActData(&block->rec) == 0 || block->rec.done) {
        block->Clear();
        return true;
    }
    return false;
}

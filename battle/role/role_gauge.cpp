// Time gauges, the action timer, positions and the command state of a role.
#include <cstring>

#include "base/random.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "world/party/member_stats.h"

namespace {

constexpr uint16_t kActionTimerFull = 2400;
constexpr int kGaugeBarPixels = 62;

// gGaugeFull as the 16-bit gauge compares with it; the battle wait keeps it
// within 100..2000, and a value that is not positive counts as 1 so that no
// gauge is full before it has moved.
int32_t GaugeFull() { return gGaugeFull > 0 ? gGaugeFull : 1; }

// The wait act's act number: its own when set, 39 when the role is out,
// else 36.
int32_t WaitActNumber(const Role& r) {
    if (r.acts[kActWait].rec.qq != 0) return r.acts[kActWait].rec.qq;
    return r.IsOut() ? 39 : 36;
}

}  // namespace

// ---- Gauge ----

void Role::InitGauge(int surprise) {
    if (surprise == 1) {
        int32_t full = GaugeFull();
        int32_t g = side == 0 ? full - 1 : full - 300;
        gauge = static_cast<uint16_t>(g < 0 ? 0 : g);
        return;
    }
    gauge = static_cast<uint16_t>(360 / (Random(10) + 1) + 50);
}

void Role::FillGauge() { gauge = static_cast<uint16_t>(GaugeFull()); }

int Role::GaugeBarWidth() const {
    return static_cast<int>(static_cast<double>(gauge) / GaugeFull() * kGaugeBarPixels);
}

void Role::StartActionTimer() { actionTimer = action.word24 != 0 ? kActionTimerFull : 0; }

int Role::ActionTimerBarWidth() const {
    return static_cast<int>(actionTimer * (1.0f / kActionTimerFull) * kGaugeBarPixels);
}

void Role::SetGaugeHold(uint32_t v) { gaugeHold = v; }

// One frame of gauge below full; shared by both sides.
static void StepGaugeBelowFull(Role& r, int speed, int boost) {
    int step = speed / 4;
    if (boost == 1) step = step + step / 4 + 1;
    int drag = 0;
    if (r.effectBits & kEffectInvisible) drag = (r.skillValue * step / 100) / 2 + 4;
    r.ready = 0;
    int g = static_cast<int>(r.gauge) - drag + step;
    if (g < 0) g = 0;
    if (g > 0xFFFF) g = 0xFFFF;
    r.gauge = static_cast<uint16_t>(g);
}

static int BuffedSpeed(const Role& r, int agility) {
    int speed = agility;
    if (r.effectBits & kEffectSpeedDown) speed -= r.speedAmount;
    if (r.effectBits & kEffectSpeedUp) speed += r.speedAmount;
    return speed;
}

int ManRole::StepManGauge(int boost) {
    if ((status & (kStatusHeld | kStatusGaugeStopped)) || out == 1 || gaugeHold == 1 || ready == 1 ||
        (spiritEvents & 0x2) || (state & kStateHurt))
        return 0;
    if (static_cast<int32_t>(gauge) >= GaugeFull()) {
        if (spirit == 1 && spiritRecord != nullptr) {
            int roll = Random(100) + 1;
            if (roll > SpiritAffinity()) {
                spiritEvents |= 0x1;  // it dawdles
                int32_t g = static_cast<int32_t>(gauge) - GaugeFull() / 3;
                gauge = static_cast<uint16_t>(g < 0 ? 0 : g);
                return 0;
            }
            DecideGhostAction();
            spiritEvents &= ~0x1;
        }
        ready = 1;
        turnOver = 0;
        if (facingLock == 1) {
            facingLock = 0;
            if (spareFlag == 0) facing = 0;
        }
        acts[kActWait].rec.markSM = 0;
        acts[kActWait].work = 0;
        acts[kActFollowUp].work = 1;
        if (spiritEvents & 0x80) {
            ready = 0;
            gauge = 0;
            spiritEvents &= ~0x80;
            return 0;
        }
        return 1;
    }
    StepGaugeBelowFull(*this, BuffedSpeed(*this, BattleAgility()), boost);
    return 0;
}

int MonRole::StepMonGauge(int boost) {
    if ((status & (kStatusHeld | kStatusGaugeStopped)) || (state & kStateHurt)) return 0;
    if (static_cast<int32_t>(gauge) >= GaugeFull()) {
        ready = 1;
        turnOver = 0;
        if (facingLock == 1) {
            facingLock = 0;
            facing = 0;
        }
        return 1;
    }
    StepGaugeBelowFull(*this, BuffedSpeed(*this, BattleAgility()), boost);
    return 0;
}

// ---- Positions ----

void Role::GetHomePos(int16_t* x, int16_t* y) const {
    *x = slot.homeX;
    *y = slot.homeY;
}

void Role::GetRolePos(int16_t* x, int16_t* y) const {
    if (holdTimer[0] != 0) {
        *x = savedSlot.homeX;
        *y = savedSlot.homeY;
    } else {
        GetHomePos(x, y);
    }
}

void Role::SetRolePos(int16_t x, int16_t y) {
    slot.homeX = x;
    slot.homeY = y;
    savedSlot = slot;
}

void Role::MoveRole(int16_t dx, int16_t dy) {
    slot.homeX = static_cast<int16_t>(slot.homeX + dx);
    slot.homeY = static_cast<int16_t>(slot.homeY + dy);
}

void Role::GetHitPoint(int16_t* x, int16_t* y) const {
    const ActBlock* block = &acts[kActWaitDraw];
    if (actionFlags & 0x2)
        block = &acts[kActBegin];
    else if (side == 0 && command == 4)
        block = &acts[kActPerform];
    int hx = block->rec.hitX;
    if (facing == 1 && hx != 0) {
        int width = picture != nullptr ? picture->width : static_cast<int>(block->rec.width);
        hx = width - hx;
    }
    *x = static_cast<int16_t>(hx);
    *y = static_cast<int16_t>(block->rec.hitY);
}

void Role::GetDrawOrigin(int16_t* x, int16_t* y) const {
    if (actionFlags & 0x2) {
        const ActRecord& b = acts[kActBegin].rec;
        int bx = (action.flags & (1u << 18)) ? 240 : slot.homeX;
        int by = (action.flags & (1u << 18)) ? 300 : slot.homeY;
        *x = static_cast<int16_t>(bx - static_cast<int16_t>(b.hotX));
        *y = static_cast<int16_t>(by - static_cast<int16_t>(b.hotY));
        return;
    }
    *x = static_cast<int16_t>(slot.homeX - static_cast<int16_t>(actGeometry[0]));
    *y = static_cast<int16_t>(slot.homeY - static_cast<int16_t>(actGeometry[1]));
}

int Role::LoadWaitFrame(int32_t rect[4]) {
    if ((side == 0 && IsOut()) || spriteSet == 0) return 0;
    ActBlock local;
    local.Clear();
    local.rec.act = spriteSet;
    local.rec.qq = WaitActNumber(*this);
    if (TakeActData(&local.rec) == 0) return 0;
    const PicFrame* frame = GetTswPicture(local.rec.picNumber, local.rec.picFrame);
    if (frame == nullptr) return 0;
    picture = frame;
    int offX = static_cast<int16_t>(local.rec.hotX);
    if (facing == 1) offX = frame->width - offX;
    rect[0] = slot.homeX - offX;
    rect[1] = slot.homeY - static_cast<int16_t>(local.rec.hotY);
    rect[2] = frame->width;
    rect[3] = frame->height;
    return 1;
}

int Role::PrepareWaitAct() {
    acts[kActWaitDraw] = acts[kActWait];
    if (acts[kActWaitDraw].Empty()) return 0;
    if (TakeActData(&acts[kActWaitDraw].rec) == 0) return 0;
    const PicFrame* frame = GetTswPicture(acts[kActWaitDraw].rec.picNumber, acts[kActWaitDraw].rec.picFrame);
    if (frame == nullptr) return 0;
    picture = frame;
    return 1;
}

void Role::ClearExtraAct() { acts[kActWait].Clear(); }

// ---- Command state ----

int Role::SetCommand(uint16_t code) {
    switch (code) {
    case 2: case 3: case 13: case 41:
        subCommand = code;
        command = 0;
        break;
    case 6: case 80:
        subCommand = code;
        command = 0;
        actionFlags |= 0x8;
        break;
    case 14: case 15:
        subCommand = code;
        command = 0;
        actionFlags |= 0x40;
        break;
    default:
        command = code;
        break;
    }
    return 1;
}

void Role::BeginRoleAction(int16_t targetIndex) {
    gauge = 0;
    target = targetIndex;
    acted = 1;
    redraw = 1;
}

void Role::CountRepeat() {
    if (repeatCount < 0xFFFF) ++repeatCount;
    redraw = 1;
}

void Role::SetHurtMark() {
    if ((effectBits & kEffectResistAll) || HasRoleEffect(kEffectFreeze) || (effectBits & kEffectStone) ||
        (state & kStateBlocking))
        return;
    if ((effectBits & kEffectTransfer) && !(gActionFlags & kActionRunning)) {
        state |= kStateTransferProtected;
        return;
    }
    if (pendingDamage != 0) state |= kStatePendingHurt;
    hurtCounter = 0;
    state |= kStateHurt;
}

void Role::SetOut(uint32_t v) {
    out = v;
    defeated = 1;
    if (defeatEffect == 0) defeatEffect = 6;
    if (side == 1 && baseStats != nullptr) baseStats->gauge[0] = 0;
}

void Role::EndRoleTurn() {
    gauge = 0;
    acting = ready = acted = 0;
    turnStarted = redraw = 0;
    for (uint32_t& f : actFlags) f = 0;
    actionFlags = 0;
    command = subCommand = commandSpare = 0;
    pulse[0] = 0;
    skillAmount = 0;
    fadeCounter = 15;
    fadeInLevel = 1;
    appearCounter = 1;
    pulse[1] = 2;
    pulse[2] = 24;
    for (int16_t& b : blend) b = 0;
    scriptAct = 0;
    specialAct = 0;
    actState = 0;
    hitCounter = 0;
    for (int16_t& a : regenAmount) a = 0;
    acts[kActWait].rec.hitX = acts[kActWait].rec.hitY = 0;
    skillBits = 0;
    if (!IsOut() && gaugeHold == 0 && (action.flags & 0x8)) targetFlag = 0;
    if (action.flags & 0x4) {
        targetFlag = 0;
        status = static_cast<uint16_t>((status & ~kStatusFading) | kStatusFadingIn);
        fadeInLevel = -32;
    }
    state &= ~kStateTurnOnly;
    // An arrival act cut short with its turn does not wait for the next one.
    state &= ~kStateArrived;
    player.auraShown = 0;
    for (int i = kActPerform; i <= kActSecond; ++i) acts[i].Clear();
    for (int i = kActMultiFirst + 1; i <= kActMultiLast; ++i) acts[i].Clear();
    FreeRecordText(&actionObj);
    std::memset(static_cast<void*>(&actionObj), 0, sizeof(actionObj));
    std::memset(&action, 0, sizeof(action));
    for (int32_t& s : hitSlots) s = -1;
    if (side == 1) {
        if (cancelWord != 1) gauge = static_cast<uint16_t>(Random(140) + 50);
        cancelWord = 0;
    }
    if (effectBits & kEffectConfuse) {
        facing = 0;
        state &= ~kStateBit28;
    }
}

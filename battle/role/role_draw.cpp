// A waiting role on screen, every battle frame: the wait act it chooses,
// its shadow, fades, aura, outline and tints, the hit reactions (the recoil
// of a hit, the slide of a blocked one), the block banner, the guard's life
// bar, and the two halves of a teleport move. Also the action timer.
//
// The role's point (GetRolePos) is where its acts are drawn from: a frame's
// corner is the point less the act's hot spot, measured from the right edge
// when the frame is drawn mirrored (DrawsMirrored, as the act players do).
#include <algorithm>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/role/mon_battle.h"
#include "battle/role/roles.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pic_number.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "world/party/member_stats.h"
#include "world/talk_state.h"

namespace {

constexpr int16_t kBounce[10] = {0, 12, 18, 12, 8, 4, 0, 2, 0, 0};
constexpr int16_t kPopDone = 9;
// The recoil of a hit: x offsets by step (50 from the ninth step on), the
// shake while the hold timer runs, and the weak pose's second copy.
constexpr int kDodge[9] = {20, 35, 42, 45, 47, 48, 49, 49, 50};
constexpr int kHoldShake[4] = {-4, -1, 0, 0};
constexpr int kWeakShake[10] = {14, 14, -24, 10, 10, -8, -8, 6, 6, -4};
constexpr uint16_t kBannerPicture = 9072;
constexpr uint16_t kLifeBarPicture = 9069;
constexpr int kLifeBarWidth = 48;
constexpr uint32_t kOutlineColours = 0x07E007E0;
constexpr int kBannerEnd = 24;
constexpr int kPulseTop = 24;
constexpr int kAuraEnd = 24;
constexpr int kFadeBottom = -32;
constexpr int kTeleportEnd = 15;
constexpr uint16_t kWeakSprite = 250;
constexpr int kHurtSlideSteps = 6;
constexpr int kHurtSlide = 8;
// A hit reaction or a blocked slide whose act never ends (a looping act, a
// banner that never goes) ends after this many frames.
constexpr int kReactionCap = 90;
constexpr uint32_t kModeTint = 16;
constexpr uint32_t kModeAlpha = 20;
constexpr uint32_t kModeShadow = 12;
constexpr uint32_t kModeInvisible = 48;
constexpr uint32_t kModeGrey = 0x28;
constexpr uint16_t kCommandCapture = 6, kCommandCaptureItem = 80;
constexpr uint32_t kStateWaitForced = 0x40000000u;
constexpr uint16_t kStatusFadeOut = 0x1000;
constexpr uint16_t kStatusAura = kStatusInvisible | kStatusRevealed;
constexpr uint16_t kSoundBlocked = 5;
constexpr uint16_t kSoundVanish = 667;
// [%s]QQ:%d號錯誤!!
constexpr char kQqError[] = "[%s]QQ:%d\xB8\xB9\xBF\xF9\xBB\x7E!!";

const char* NameOf(const Role& r) { return r.name != nullptr ? r.name : ""; }

// A sound panned by the side: 48 right for the party side, 48 left for enemies.
void SideSound(const Role& r, uint16_t id) {
    if (id == 0) return;
    PlaySfx(id, int(gSfxVolume));
    SetSfxPan(id, r.side == 1 ? 48 : -48);
}

// A sound panned by the screen half the drawing x lies in.
void HalfSound(uint16_t* id, int32_t x) {
    if (*id == 0) return;
    PlaySfx(*id, int(gSfxVolume));
    SetSfxPan(*id, x < 320 ? -48 : 48);
    *id = 0;
}

// A frame placed on screen.
struct Placed {
    const PicFrame* pic;
    int32_t x, y;
    uint32_t flip;
};

bool Place(const Role& r, const ActRecord& rec, int32_t x, int32_t y, Placed* out) {
    const PicFrame* pic = rec.picNumber != 0 ? GetTswPicture(rec.picNumber, rec.picFrame) : nullptr;
    if (pic == nullptr || pic->data == nullptr) return false;
    const bool mirrored = r.DrawsMirrored();
    const int32_t hotX = static_cast<int16_t>(rec.hotX);
    out->pic = pic;
    out->x = mirrored ? x - (pic->width - hotX) : x - hotX;
    out->y = y - static_cast<int16_t>(rec.hotY);
    out->flip = mirrored ? kFlagMirror : 0;
    return true;
}

void DrawWith(const Placed& p, uint32_t mode, int32_t red, int32_t green, int32_t blue, int alpha = 0, int dx = 0,
              int dy = 0) {
    gTintRed = red;
    gTintGreen = green;
    gTintBlue = blue;
    DrawFrame(p.pic, p.x + dx, p.y + dy, mode | p.flip, alpha);
    gTintRed = gTintGreen = gTintBlue = 0;
}

void DrawPlain(const Placed& p, int dx = 0, int dy = 0) { DrawWith(p, 0, 0, 0, 0, 0, dx, dy); }

// The shadow: the frame a third of its height lower, a quarter of its
// height tall, darkened.
void DrawShadow(const Placed& p, int dark, int dx = 0) {
    gScaleHeight = std::max<int32_t>(1, p.pic->height / 4);
    DrawWith(p, kModeShadow, dark, dark, dark, 0, dx, p.pic->height / 3);
    gScaleHeight = 0;
}

int ShadowDark(const Role& r) { return r.guard == 1 || (r.effectBits & kEffectInvisible) ? -1 : -6; }

// The role's wait frame as the last DrawRoleWait placed it.
bool WaitFrame(const Role& r, Placed* out) {
    int16_t x, y;
    r.GetRolePos(&x, &y);
    return Place(r, r.acts[kActWaitDraw].rec, x, y, out);
}

// Starts a block on (sprite, act) unless it already plays it.
void Request(ActBlock& b, uint16_t sprite, int32_t act, uint32_t freeze) {
    if (b.rec.act != sprite || b.rec.qq != act) {
        b.Clear();
        b.rec.act = sprite;
        b.rec.qq = act;
    }
    b.freeze = freeze;
}

// Steps a block; false when there is nothing to draw.
bool Step(ActBlock& b, bool held) {
    if (b.Empty()) return false;
    b.rec.hold = held || b.freeze != 0 ? 1 : 0;
    return TakeActData(&b.rec) != 0;
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return std::clamp(v, lo, hi); }

}  // namespace

// ---- The wait act ----

void Role::ChooseWaitAct(uint16_t* sprite, int32_t* act) const {
    uint16_t s = spriteSet;
    int32_t a = 36;
    if (spiritEvents & 0x1) a = 37;
    if (status & kStatusWeakened) {
        s = kWeakSprite;
        a = 36;
    }
    if (state & kStateWaitForced) a = 36;
    if (member == 1 && !(status & kStatusWeakened)) {
        int32_t life = 0, max = 0;
        GetRoleLife(&life, &max);
        if (max > 0 && int64_t{life} * 4 <= max) a = 37;
    }
    if (actionTimerRunning) a = 45;
    if (member == 1 && IsOut()) a = 39;
    if (scriptAct != 0) a = scriptAct;
    if (acted == 1 && actionTimerRunning == 0 && actionTimer == 0) {
        a = actParam != 0 ? actParam : 44;
        if (actionFlags & (0x40 | 0x20 | 0x04)) a = 52;
        if (actionFlags & 0x08) a = 49;
        if (actionFlags & 0x02) a = 0;
    }
    if (member == 1) {
        if (waitState == 1) a = 51;
        if (waitState == 2) a = 56;
        if (waitState == 4) a = 55;
    }
    *sprite = s;
    *act = a;
}

void Role::DrawRoleWait(int mode) {
    if (IsOut()) return;
    uint16_t sprite = 0;
    int32_t act = 0;
    ChooseWaitAct(&sprite, &act);
    if (act == 0) {
        // The action asks for no wait pose at all.
        if (guard == 1) targetFlag = 0;
        if (spareFlag == 1) SetRolePos(320, 310);
        acts[kActWait].Clear();
        return;
    }
    if (member == 1 && waitState == 1 && (status & kStatusWeakened)) {
        // The weak pose ends with every effect; the sprite set is its own again.
        ExpireRoleEffects(1);
        status = uint16_t(status & ~kStatusWeakened);
        weakened = 0;
        sprite = spriteSet;
    }
    ActBlock& wait = acts[kActWait];
    Request(wait, sprite, act, wait.freeze);
    const bool held = mode == 1 || (status & kStatusHeld) || holdFlag != 0;

    if (state & kStateBlocking) PlayHurtAct();
    if (!Step(wait, held)) {
        // Reported once for each act, not every frame it is asked for.
        if (reportedWaitQq != wait.rec.qq) {
            reportedWaitQq = wait.rec.qq;
            ErrorBox("Wait Act", kQqError, NameOf(*this), int(wait.rec.qq));
        }
        return;
    }
    if (wait.rec.events & 0x8) {
        // The action's hit is released on this frame.
        wait.rec.events &= ~0x8;
        if (!(action.word20 & 0x1) && GetActionFollowUpAct() != 0) actFlags[0] |= 0x8000;
        if (action.flags & 0x4) {
            status |= kStatusFading;
            acts[kActFade] = wait;
        }
    }
    acts[kActWaitDraw] = wait;
    int16_t px, py;
    GetRolePos(&px, &py);
    Placed p;
    if (!Place(*this, wait.rec, px, py, &p)) return;
    picture = p.pic;

    const bool reacting = (state & (kStateHurt | kStateBlocking)) != 0;
    if (!reacting) {
        if (!(effectBits & kEffectInvisible)) DrawShadow(p, ShadowDark(*this));
        bool drawn = false;
        if (status & kStatusFadeOut) {
            FadeOutRoleFrame(0);
            drawn = true;
        } else if (status & kStatusFadingIn) {
            FadeInRoleFrame();
            drawn = true;
        }
        if (!drawn && (mode == 0 || mode == 28) && (status & kStatusAura)) {
            DrawRoleAura((status & kStatusInvisible) ? 0 : 1);
            drawn = true;
        }
        if (!drawn) {
            if (highlight == 1 && !p.pic->palette) {
                gCurPic = p.pic->data;
                DrawOutlined(p.x, p.y, p.pic->width, p.pic->height, 36 | p.flip, &kOutlineColours);
            }
            if (effectBits & kEffectInvisible) DrawWith(p, kModeInvisible, 0, 0, 0);
            else DrawPlain(p);
            if (!StepStatusTint()) {
                if (state & kStateBit19) DrawRoleTinted();
                else if (SEL != 0 && SEL == Id()) StepPulse();
            }
        }
        // Time stands still for the role: its frame again in grey.
        if (status & kStatusTimeFrozen) DrawWith(p, kModeGrey, 0, 0, 0);
    }
    if (guard == 1) {
        // The guard's life bar: the frame, then the fill cut to the life left.
        const int32_t fill = GetRoleLifeBar(kLifeBarWidth);
        const int32_t bx = px - kLifeBarWidth / 2, by = p.y - 8;
        DrawPictureFrame(kLifeBarPicture, 0, bx, by, 0, 0);
        if (fill > 0) {
            const ClipRect saved = gClip;
            if (SetClip(bx, by, bx + fill, by + 16)) DrawPictureFrame(kLifeBarPicture, 1, bx, by, 0, 0);
            gClip = saved;
        }
    }
    HalfSound(&wait.rec.soundId, p.x);
    // The hit reaction draws the overlays where it moved the role.
    if (!(state & kStateHurt)) DrawRoleEffectOverlays(px, py);
    // A capturing member (the command, or a parked second command): the
    // capture sprites flying in.
    const uint16_t running = command != 0 ? command : subCommand;
    if ((running == kCommandCapture || running == kCommandCaptureItem) && side == 1 && Id() >= kFirstManId)
        static_cast<const ManRole*>(this)->DrawCaptureSprites();
    DrawFollowUpAct();
    DrawSecondAct();
    if (state & kStateHurt) PlayIdleAct();
    if (silverShield == 1) DrawPicNumber(p.x + p.pic->width + 40, p.y, gTalkVar[0]);
    DrawStatusBanner();
}

// ---- The hit reactions ----

uint32_t Role::PlayIdleAct() {
    ActBlock& b = acts[kActSecond];
    uint16_t sprite = spriteSet;
    int32_t act = 38;
    if (side == 0) {
        act = weakened ? 58 : 38;
    } else if (member == 1 && (status & kStatusWeakened)) {
        sprite = kWeakSprite;
        act = 36;
    } else if ((turnOver == 1 || cancelWord == 1) && !(status & kStatusHeld) && !(state & kStatePendingHurt)) {
        act = 43;  // the guard pose
    }
    if (holdTimerDone) act = 36;
    Request(b, sprite, act, holdFlag);
    const auto finish = [this, &b] {
        b.Clear();
        idleStep = 0;
        hurtCounter = 0;
        ClearHurtMark();
        return 1u;
    };
    if (IsRoleTargeted()) return finish();
    if (effectBits & kEffectStone) b.rec = acts[kActWait].rec;  // frozen in its wait pose
    if (!Step(b, holdFlag != 0)) return finish();
    int16_t px, py;
    GetRolePos(&px, &py);
    const int step = Clamp(idleStep, 0, 1000);
    int dx;
    if (holdTimer[0] != 0 && !holdTimerDone) dx = kHoldShake[step % 4];
    else dx = kDodge[std::min(step, 8)];
    if (side == 0) dx = -dx;
    Placed p;
    if (Place(*this, b.rec, px + dx, py, &p)) {
        picture = p.pic;
        SideSound(*this, b.rec.soundId);
        b.rec.soundId = 0;
        if (weakened) DrawWith(p, kModeTint, 15, 15, 15, 0, kWeakShake[step % 10], 0);
        DrawShadow(p, ShadowDark(*this));
        DrawPlain(p);
        DrawRoleEffectOverlays(px + dx, py);
        DrawSecondSprite(b, px + dx, py, p.flip != 0);
    }
    if (holdFlag == 0 && idleStep < 0xFFFF) ++idleStep;
    if (b.rec.done || idleStep >= kReactionCap) return finish();
    return 0;
}

uint32_t Role::PlayHurtAct() {
    acting = 1;
    ActBlock& b = acts[kActSecond];
    uint16_t sprite = spriteSet;
    int32_t act = side == 1 ? 58 : 36;
    if (side == 1 && (status & kStatusWeakened)) {
        sprite = kWeakSprite;
        act = 36;
    }
    Request(b, sprite, act, holdFlag);
    if (hurtCounter == 0) SideSound(*this, kSoundBlocked);
    const int slide = kHurtSlide * std::min<int>(hurtCounter + 1, kHurtSlideSteps);
    const int dx = side == 1 ? slide : -slide;
    int16_t px, py;
    GetRolePos(&px, &py);
    Placed p;
    if (Step(b, holdFlag != 0) && Place(*this, b.rec, px + dx, py, &p)) {
        picture = p.pic;
        if (hurtCounter < kHurtSlideSteps) {
            player.trail.length = 2;
            player.trail.fade = 1;
            player.trail.mode = 2;
        }
        DrawAfterimageTrail(&player.trail, b.rec.picNumber, b.rec.picFrame, p.flip, p.x, p.y);
        DrawShadow(p, ShadowDark(*this));
        DrawPlain(p);
    }
    if (holdFlag == 0 && hurtCounter < 0xFFFF) ++hurtCounter;
    bool trailLeft = false;
    for (int k = 0; k < player.trail.count && k < kAfterimageRing; ++k) trailLeft = trailLeft || player.trail.entry[k].frame != 65535;
    const bool bannerOver = !(status & kStatusBanner);
    if ((bannerOver && !trailLeft && hurtCounter > kHurtSlideSteps) || hurtCounter >= kReactionCap) {
        hurtCounter = 0;
        acting = 0;
        state &= ~kStateBlocking;
        b.Clear();
        player.trail = AfterimageRing{};
        for (AfterimageEntry& e : player.trail.entry) e.frame = 65535;
        return 1;
    }
    return 0;
}

// ---- Teleport halves ----

uint32_t Role::RoleVanish() {
    if (IsOut()) return 0;
    if (effectBits & kEffectInvisible) return 1;
    if (fadeCounter <= 0) return 1;
    acting = 1;
    ActBlock& b = acts[kActFade];
    Request(b, spriteSet, 36, holdFlag);
    if (!Step(b, holdFlag != 0)) {
        fadeCounter = 0;
        return 1;
    }
    if (actFlags[0] & 0x14) {
        fadeCounter = 0;
        return 1;
    }
    if (fadeCounter == kTeleportEnd) {
        PlaySfx(kSoundVanish, int(gSfxVolume));
        SetSfxPan(kSoundVanish, side == 1 ? 48 : -48);
    }
    int16_t hx, hy;
    GetHomePos(&hx, &hy);
    Placed p;
    if (Place(*this, b.rec, hx, hy, &p)) {
        if (member == 1) DrawPlain(p);
        else DrawWith(p, kModeAlpha, 0, 0, 0, Clamp(fadeCounter, 0, 16));
    }
    if (holdFlag == 0) --fadeCounter;
    if (fadeCounter <= 0) {
        b.Clear();
        return 1;
    }
    return 0;
}

uint32_t Role::RoleAppear(Role* targetRole) {
    if (effectBits & kEffectInvisible) return 1;
    if (appearCounter >= kTeleportEnd) return 1;
    acting = 1;
    ActBlock& b = acts[kActFade];
    const int32_t act = specialMark == 1 ? 48 : specialMark == 2 ? 49 : command == 1 ? 40 : 36;
    Request(b, spriteSet, act, holdFlag);
    if (!Step(b, holdFlag != 0)) {
        // Shown once: the teleport ends here rather than boxing every frame.
        ErrorBox("Fade Act", kQqError, NameOf(*this), int(act));
        appearCounter = kTeleportEnd + 1;
        b.Clear();
        return 1;
    }
    if (actFlags[0] & 0x14) {
        appearCounter = kTeleportEnd + 1;
        b.Clear();
        return 1;
    }
    int32_t tx = 0, ty = 0;
    if (side == 0 && (action.flags & (1u << 18))) {
        tx = 420;
        ty = 280;
    } else {
        ActTargetPoint(targetRole, &tx, &ty);
    }
    Placed p;
    if (Place(*this, b.rec, tx, ty, &p)) {
        if (side == 0) DrawWith(p, kModeAlpha, 0, 0, 0, Clamp(appearCounter, 0, 16));
        else DrawPlain(p);
    }
    if (holdFlag == 0) {
        // An enemy appears by its act-number slot a frame (at least 1, or it
        // would never appear), a party member by one.
        const int step = side == 0 ? std::max<int>(1, actNumberSlot) : 1;
        appearCounter = uint16_t(std::min<int>(appearCounter + step, kTeleportEnd));
    }
    if (appearCounter >= kTeleportEnd) {
        b.Clear();
        return 1;
    }
    return 0;
}

// ---- Fades and the aura ----

uint32_t Role::FadeOutRoleFrame(int /*a*/) {
    Placed p;
    if (fadeLevel > 0) fadeLevel = 0;
    const int32_t level = Clamp(fadeLevel, kFadeBottom, 0);
    if (WaitFrame(*this, &p)) DrawWith(p, kModeTint, level, level, level);
    if (acts[kActSecond].rec.picNumber != 0) {
        Placed second;
        int16_t x, y;
        GetRolePos(&x, &y);
        if (Place(*this, acts[kActSecond].rec, x, y, &second)) DrawWith(second, kModeTint, level, level, level);
    }
    if (holdFlag == 0) fadeLevel -= 2;
    // At or below the bottom: a level that started odd passes -32 by one.
    if (fadeLevel <= kFadeBottom) {
        acts[kActFade].Clear();
        fadeLevel = 0;
        status = uint16_t(status & ~kStatusFadeOut);
        return 1;
    }
    return 0;
}

uint32_t Role::FadeInRoleFrame() {
    if (fadeInLevel > 0) fadeInLevel = kFadeBottom;
    const int32_t level = Clamp(fadeInLevel, kFadeBottom, 0);
    Placed p;
    if (WaitFrame(*this, &p)) DrawWith(p, kModeTint, level, level, level);
    if (holdFlag == 0) ++fadeInLevel;
    if (fadeInLevel >= 0) {
        status = uint16_t(status & ~kStatusFadingIn);
        fadeInLevel = 1;
        return 1;
    }
    return 0;
}

uint32_t Role::DrawRoleAura(int mode) {
    const int32_t n = Clamp(fadeLevel, 0, kAuraEnd);
    if (n >= kAuraEnd) {
        if (mode == 0) effectBits |= kEffectInvisible;
        status = uint16_t(status & ~kStatusAura);
        fadeLevel = 0;
        return 0;
    }
    Placed p;
    if (WaitFrame(*this, &p)) {
        DrawShadow(p, -1);
        const int32_t blend = mode == 0 ? 15 - n / 2 : n / 2;
        DrawWith(p, kModeTint, blend, blend, blend);
    }
    if (holdFlag == 0) fadeLevel = n + 1;
    return 1;
}

// ---- Tints ----

uint32_t Role::StepPulse() {
    const bool held = holdFlag != 0;
    int32_t value;
    if (pulse[1] < kPulseTop) {
        value = pulse[1];
        if (!held) ++pulse[1];
    } else {
        value = std::min<int32_t>(pulse[2], kPulseTop);
        if (!held) {
            if (pulse[2] > 0) --pulse[2];
            else {
                pulse[1] = 2;
                pulse[2] = kPulseTop;
            }
        }
    }
    Placed p;
    if (!WaitFrame(*this, &p)) return 0;
    DrawWith(p, kModeTint, value, value, 0);
    return 1;
}

uint32_t Role::StepStatusTint() {
    if (!(state & kStateTriggerFired) || gMonBattle.triggerDisplay == 1 || (effectBits & (kEffectFreeze | kEffectStone)))
        return 0;
    const int32_t value = pulse[1] < kPulseTop ? pulse[1] : std::min<int32_t>(pulse[2], kPulseTop);
    if (holdFlag == 0) {
        if (pulse[1] < kPulseTop) ++pulse[1];
        else if (pulse[2] > 0) --pulse[2];
        else {
            pulse[1] = 2;
            pulse[2] = kPulseTop;
        }
    }
    Placed p;
    if (!WaitFrame(*this, &p)) return 0;
    DrawWith(p, kModeTint, value, 0, 0);
    return 1;
}

uint32_t Role::DrawRoleTinted() {
    if (!(state & kStateBit19)) return 0;
    Placed p;
    if (!WaitFrame(*this, &p)) return 0;
    if (acts[kActWaitDraw].rec.light != 0) DrawWith(p, kModeTint, 15, 15, 0);
    else DrawWith(p, kModeTint, -12, -12, -12);
    return 1;
}

// ---- The block banner ----

uint32_t Role::DrawStatusBanner() {
    if (!(status & kStatusBanner)) return 0;
    int16_t x, y;
    GetRolePos(&x, &y);
    static constexpr int kBannerX[4] = {-20, -2, 10, 26};
    const bool held = holdFlag != 0;
    for (int16_t& c : bannerPop) c = int16_t(Clamp(c, 0, kPopDone));
    const bool popped = std::all_of(bannerPop, bannerPop + 4, [](int16_t c) { return c >= kPopDone; });
    if (!popped) {
        for (int k = 0; k < 4; ++k)
            DrawPictureFrame(kBannerPicture, uint16_t(k), x + kBannerX[k], y - 20 - kBounce[bannerPop[k]], 0, 0);
        if (!held) {
            if (bannerPop[0] < kPopDone) ++bannerPop[0];
            for (int k = 1; k < 4; ++k)
                if (bannerPop[0] > 0 && bannerPop[k] < kPopDone) ++bannerPop[k];
        }
        return 0;
    }
    bannerAge = int16_t(Clamp(bannerAge, 0, kBannerEnd));
    if (bannerAge >= kBannerEnd) {
        for (int16_t& c : bannerPop) c = 0;
        bannerAge = 0;
        status = uint16_t(status & ~kStatusBanner);
        scriptAct = 0;
        blend[0] = blend[1] = 0;
        return 1;
    }
    for (int k = 0; k < 4; ++k) {
        gTintRed = gTintGreen = gTintBlue = -bannerAge;
        DrawPictureFrame(kBannerPicture, uint16_t(k), x + kBannerX[k], y - 20 - bannerAge, kModeTint, 0);
        gTintRed = gTintGreen = gTintBlue = 0;
    }
    if (!held) bannerAge = int16_t(bannerAge + 4);
    return 0;
}

// ---- The action timer ----

uint32_t Role::StepActionTimer() {
    if (commandChosen == 1) return 0;
    if (IsRoleDefeated() && spirit == 0) {
        actionTimer = 0;
        actionTimerRunning = 0;
        return 0;
    }
    const int32_t rate = ActionRate(action);
    if (rate == 0) {
        // No timer: done at once, and not left running (the member kept its
        // charging pose for the rest of the turn).
        actionTimer = 0;
        actionTimerRunning = 0;
        actionTimerDone = 1;
        return 1;
    }
    if (status & (kStatusHeld | kStatusHeld2)) return 0;
    // Worked out wide: a rate above the timer used to wrap it to a large
    // value that took a whole battle to run out.
    const int32_t left = int32_t(actionTimer) - rate;
    actionTimerRunning = 1;
    if (left > 0) {
        actionTimer = uint16_t(left);
        actionTimerDone = 0;
        return 0;
    }
    actionTimer = 0;
    actionTimerRunning = 0;
    actionTimerDone = 1;
    return 1;
}

// The status effects on screen: the icon row of a role and the layers drawn
// over its frame (overlay acts, tinted copies, the ripple of a damage
// transfer).
//
// (x, y) of DrawRoleEffectOverlays is the role's point: where its wait act
// is drawn from, so the frame's corner is that point less the act's hot spot
// (mirrored with the role's facing).
#include <algorithm>
#include <new>

#include "battle/battle_state.h"
#include "battle/role/effect_node.h"
#include "battle/role/roles.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pic_number.h"
#include "draw/ripple.h"
#include "draw/tsw_pack.h"

namespace {

constexpr uint16_t kIconPicture = 9142;
constexpr int32_t kRevertAct = 7051;
constexpr int32_t kBurnAct = 7318;
constexpr int32_t kPoisonAct = 7319;
constexpr int kTransferFrames = 30;
constexpr uint16_t kWipeRunning = 0x8000;
constexpr uint16_t kWipeRows = 0x7FFF;
constexpr int kWipeStep = 8;
constexpr uint32_t kModeTint = 16;
constexpr uint32_t kModeGrey = 0x28;
constexpr int kRippleWidth = 640;
constexpr int kRippleHeight = 480;

// The role's current frame and where it lies.
struct RoleFrame {
    const PicFrame* pic;
    int x, y;
    uint32_t mirror;
};

bool CurrentFrame(const Role& r, int x, int y, RoleFrame* out) {
    const PicFrame* pic = r.picture;
    // Tinted and grey copies are run-length modes: a raw frame is not copied.
    if (pic == nullptr || pic->data == nullptr || pic->palette != nullptr || pic->width == 0 || pic->height == 0)
        return false;
    const ActRecord& rec = r.acts[kActWaitDraw].rec;
    // Mirrored as the wait act drew the frame, so the copy lies on it.
    const bool mirrored = r.DrawsMirrored();
    int hx = static_cast<int16_t>(rec.hotX);
    if (mirrored) hx = pic->width - hx;
    *out = {pic, x - hx, y - static_cast<int16_t>(rec.hotY), mirrored ? kFlagMirror : 0u};
    return true;
}

// Draws the frame again in the blend mode with the three tints; rows above
// `fromRow` (a wipe that has not reached them yet) are left out.
void DrawFrameCopy(const RoleFrame& f, uint32_t mode, int tintRed, int tintGreen, int tintBlue, int fromRow = 0) {
    const ClipRect saved = gClip;
    if (fromRow > 0) {
        const int top = std::max(saved.top, f.y + fromRow);
        const int bottom = saved.top + saved.height;
        if (top >= bottom) return;
        SetClip(saved.left, top, saved.left + saved.width, bottom);
    }
    gTintRed = tintRed;
    gTintGreen = tintGreen;
    gTintBlue = tintBlue;
    gCurPic = f.pic->data;
    DrawPic(f.x, f.y, f.pic->width, f.pic->height, mode | f.mirror);
    gTintRed = gTintGreen = gTintBlue = 0;
    gClip = saved;
}

// The rising wipe: rows shown from the bottom, 8 more a frame. Returns the
// first row to draw, or 0 once the wipe is over.
int StepWipe(Role& r, int height) {
    if (!(r.wipe & kWipeRunning)) return 0;
    const int shown = std::min<int>((r.wipe & kWipeRows) + kWipeStep, height);
    if (shown >= height) {
        r.wipe = 0;
        return 0;
    }
    r.wipe = static_cast<uint16_t>(kWipeRunning | shown);
    return height - shown;
}

// Plays an act in the role's ailment act record, restarting it when the act
// changes.
void PlayAilmentAct(Role& r, int32_t act, int x, int y, uint32_t flags) {
    if (r.ailmentAct.act != act) {
        r.ailmentAct = ActRecord{};
        r.ailmentAct.act = act;
    }
    DrawActDataFlags(&r.ailmentAct, x, y, flags);
}

// The turns left of a doom, in the digits of the HUD, right of the frame.
void DrawTurnsLeft(int x, int y, uint16_t turns) {
    uint8_t digits[10];
    const int count = PicNumberDigits(turns, digits);
    for (int i = count - 1; i >= 0; --i) {
        const PicFrame* pic = GetTswPicture(kDigitPicture, digits[i]);
        if (pic == nullptr) return;
        DrawPictureFrame(kDigitPicture, digits[i], x, y, 0, 0);
        x += pic->width;
    }
}

const EffectNode* FindKind(const Role& r, uint32_t kind) {
    for (const EffectNode* n = r.effects; n != nullptr; n = n->next)
        if (n->kind == kind) return n;
    return nullptr;
}

void StepTransferAct(Role& r) {
    ++r.transferFrames;
    cRipple* ripple = r.transferRipple;
    if (ripple != nullptr && gBackPixels != nullptr && gScreenWidth >= kRippleWidth && gScreenHeight >= kRippleHeight) {
        int16_t px, py;
        r.GetRolePos(&px, &py);
        ripple->CopyRipple(gBackPixels, gScreenPitch);
        ripple->ClampRipple(px - 80, py - 120);
        ripple->DrawRipple(gBackPixels, gScreenPitch);
        ripple->StepRipple();
    }
    if (r.transferFrames < kTransferFrames) return;
    r.FreeTransferRipple();
    Stop = 0;
    GetCom = 0;
    gTransferOverlay = 0;
    r.state &= ~kStateTransferAct;
    r.acts[kActTrigger].Clear();
}

}  // namespace

void Role::DrawRoleEffectIcons(int x, int y) {
    for (const EffectNode* n = effects; n != nullptr; n = n->next) {
        if (n->icon == 0) continue;
        const uint16_t frame = static_cast<uint16_t>(n->icon - 1);
        const PicFrame* pic = GetTswPicture(kIconPicture, frame);
        if (pic == nullptr) continue;
        DrawPictureFrame(kIconPicture, frame, x, y, 0, 0);
        x += pic->width;
    }
}

void Role::DrawRoleEffectOverlays(int x, int y) {
    if (state & kStateTransferAct) StepTransferAct(*this);

    if (!IsRoleTargeted() && !(effectBits & kEffectInvisible)) {
        for (EffectNode* n = effects; n != nullptr; n = n->next) {
            if (n->overlay.act == 0) continue;
            DrawActDataFlags(&n->overlay, x, y, side == 1 ? kFlagMirror : 0);
            break;
        }
    }
    if (effectBits == 0) return;

    if ((effectBits & kEffectWeaken) && acts[kActTrigger].rec.act == kRevertAct) {
        ActRecord& rec = acts[kActTrigger].rec;
        // A missing act ends at once: the role still turns weak.
        if (DrawActDataFlags(&rec, x, y, facing == 1 ? kFlagMirror : 0) == 0 || rec.done) {
            status |= kStatusWeakened;
            facing = 1;
            weakened = 1;
            acts[kActTrigger].Clear();
        }
    }

    RoleFrame f;
    const bool hasFrame = CurrentFrame(*this, x, y, &f);
    if (effectBits & kEffectStone) {
        if (hasFrame) DrawFrameCopy(f, kModeGrey, 0, 0, 0, StepWipe(*this, f.pic->height));
        return;
    }
    if (effectBits & kEffectBurn)
        PlayAilmentAct(*this, kBurnAct, x, y, side == 0 ? kFlagMirror : 0);
    else if (effectBits & kEffectPoison)
        PlayAilmentAct(*this, kPoisonAct, x, y, side == 0 ? kFlagMirror : 0);
    if (!hasFrame) return;
    if (effectBits & kEffectSpread) {
        if (state & kStateCarrier)
            DrawFrameCopy(f, kModeTint, -32, -1, -1);
        else
            DrawFrameCopy(f, kModeTint, -12, -12, -12);
    }
    if (effectBits & kEffectFreeze) {
        const int fromRow = StepWipe(*this, f.pic->height);
        if (fromRow > 0) {
            DrawFrameCopy(f, kModeTint, 15, 0, 30, fromRow);
        } else {
            const double p = std::clamp(GetEffectProgress(kEffectFreeze), 0.0, 1.0);
            DrawFrameCopy(f, kModeTint, static_cast<int>(8 * p + 7), 0, static_cast<int>(20 * p + 10));
        }
    }
    if (effectBits & kEffectDoom) {
        const double p = std::clamp(GetEffectProgress(kEffectDoom), 0.0, 1.0);
        const int dark = -(20 + static_cast<int>(p));
        DrawFrameCopy(f, kModeTint, dark, dark, dark);
        const EffectNode* doom = FindKind(*this, kEffectDoom);
        if (doom != nullptr) DrawTurnsLeft(f.x + f.pic->width, f.y, doom->turnsLeft);
    }
}

void Role::FreeTransferRipple() {
    delete transferRipple;
    transferRipple = nullptr;
}

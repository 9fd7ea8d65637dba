// The battle's effect layers: the second-layer magic list and the roles'
// after-image lists, and the reset of the effect words.
#include "battle/effects/effect_layers.h"

#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/settings.h"
#include "battle/effects/actor_effects.h"
#include "battle/role/roles.h"
#include "draw/draw_kernel.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"

EffectLayerState gEffects;
MagicLayerNode* gSecondLayerMagic = nullptr;
uint16_t gSecondLayerMark = 0;

namespace {

// "第二層" / "第二層魔法act號碼錯誤!!"
constexpr char kSecondLayerCaption[] = "\xB2\xC4\xA4G\xBCh";
constexpr char kSecondLayerActText[] = "\xB2\xC4\xA4G\xBCh\xC5]\xAAkact\xB8\xB9\xBDX\xBF\xF9\xBB~!!";

constexpr uint16_t kEventFollowUp = 0x20;
constexpr int kPanLeft = -48, kPanRight = 48;
constexpr uint32_t kBlendFade = 20;     // mode 20: translucent by gAlphaLevel
constexpr uint32_t kBlendTint = 16;     // mode 16: tinted by gTintRed ...

// The act last reported as unsteppable: reported once, not every frame.
struct StallReport {
    int32_t act = -1, qq = -1;
};
StallReport gStallReport;
// A bad act number is shown in a box once a battle; the list being full is
// traced once each time it fills.
bool gActNumberTold = false;
bool gFullTold = false;

int CountNodes() {
    int n = 0;
    for (const MagicLayerNode* p = gSecondLayerMagic; p != nullptr; p = p->next) ++n;
    return n;
}

void ReportStall(const ActRecord& rec) {
    if (gStallReport.act == rec.act && gStallReport.qq == rec.qq) return;
    gStallReport.act = rec.act;
    gStallReport.qq = rec.qq;
    TraceHook("second-layer act %d (parameter %d) cannot be stepped; removed", int(rec.act), int(rec.qq));
}

void PlayNodeSound(ActRecord& rec, int16_t x) {
    if (rec.soundId == 0) return;
    PlaySfx(rec.soundId, int(gSfxVolume));
    SetSfxPan(rec.soundId, x < 320 ? kPanLeft : kPanRight);
    rec.soundId = 0;
}

void DrawNode(MagicLayerNode& n) {
    ActRecord& rec = n.rec;
    const PicFrame* frame = rec.picNumber != 0 ? GetTswPicture(rec.picNumber, rec.picFrame) : nullptr;
    // The mirror is applied to this frame's copy of the flags and origin: the
    // record keeps the act's own values for the next step.
    uint32_t flags = rec.drawFlags & ~kFlagRle;
    int32_t hotX = static_cast<int16_t>(rec.hotX);
    const int32_t hotY = static_cast<int16_t>(rec.hotY);
    if (n.mirror == 1) {
        flags ^= kFlagMirror;
        if (hotX != 0 && frame != nullptr) hotX = int32_t(frame->width) - hotX;
    }
    if (frame != nullptr && gBackPixels != nullptr) DrawFrame(frame, n.x - hotX, n.y - hotY, flags, rec.alpha);
}

}  // namespace

// ---- Second-layer magic ------------------------------------------------------

void ResetSecondLayerMark() { gSecondLayerMark = 0; }

int AddSecondLayerMagic(int act, uint32_t param, uint16_t x, uint16_t y, uint32_t mirror) {
    if (act < 1) {
        // A node without an act could never be stepped: it is not added.
        if (!gActNumberTold) ErrorBox(kSecondLayerCaption, "%s", kSecondLayerActText);
        gActNumberTold = true;
        return 0;
    }
    if (CountNodes() >= kSecondLayerMax) {
        if (!gFullTold) TraceHook("second-layer act %d refused: %d acts are running", act, kSecondLayerMax);
        gFullTold = true;
        return 0;
    }
    gFullTold = false;
    auto* node = static_cast<MagicLayerNode*>(AllocZero(int(sizeof(MagicLayerNode))));
    if (node == nullptr) return 0;
    node->rec.act = act;
    node->rec.qq = int32_t(param);
    node->rec.savedAct = node->rec.savedQq = node->rec.savedDir = -1;
    node->mirror = mirror;
    node->x = static_cast<int16_t>(x);
    node->y = static_cast<int16_t>(y);
    MagicLayerNode** tail = &gSecondLayerMagic;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = node;
    return 1;
}

void DrawSecondLayerMagic() {
    ResetSecondLayerMark();
    if (gSecondLayerMagic == nullptr) return;
    for (MagicLayerNode* n = gSecondLayerMagic; n != nullptr; n = n->next) {
        ActRecord& rec = n->rec;
        if (TakeActData(&rec) == 0) {
            ReportStall(rec);
            n->remove = 1;
            continue;
        }
        if (rec.events & kEventFollowUp) {
            if (rec.followAct != 0) {
                if (int32_t(rec.followAct) == rec.act && int32_t(rec.followQq) == rec.qq) {
                    // An act that starts itself would start a new copy every
                    // pass (and within the pass, for ever).
                    TraceHook("second-layer act %d starts itself as its follow-up; not started", int(rec.act));
                } else {
                    AddSecondLayerMagic(int(rec.followAct), rec.followQq, uint16_t(n->x), uint16_t(n->y), n->mirror);
                }
            }
            rec.events = 0;
        } else if (rec.events != 0) {
            gSecondLayerMark |= rec.events;
            rec.events = 0;
        }
        PlayNodeSound(rec, n->x);
        DrawNode(*n);
        if (rec.done == 1) n->remove = 1;
    }
    MagicLayerNode** link = &gSecondLayerMagic;
    while (*link != nullptr) {
        MagicLayerNode* n = *link;
        if (n->remove == 1) {
            *link = n->next;
            FreeMem(n);
        } else {
            link = &n->next;
        }
    }
}

int IsSecondLayerMagicEmpty() { return gSecondLayerMagic == nullptr ? 1 : 0; }

int16_t GetSecondLayerMark() { return static_cast<int16_t>(gSecondLayerMark); }

void FreeSecondLayerMagic() {
    while (gSecondLayerMagic != nullptr) {
        MagicLayerNode* n = gSecondLayerMagic;
        gSecondLayerMagic = n->next;
        FreeMem(n);
    }
    gSecondLayerMark = 0;
    gStallReport = StallReport{};
    gActNumberTold = gFullTold = false;
}

// ---- After-images ------------------------------------------------------------

int AddActorEffect(ActorEffectList* list, const ActorEffectNode* record) {
    if (list == nullptr || record == nullptr) return 0;
    if ((record->options & 1) &&
        ((record->picture == list->lastPicture && record->frame == list->lastFrame) || record->key == list->lastKey))
        return 0;
    auto* node = static_cast<ActorEffectNode*>(AllocZero(int(sizeof(ActorEffectNode))));
    if (node == nullptr) return 0;
    *node = *record;
    node->next = nullptr;
    // The fading draw's alpha table has 17 levels, and a fade that takes
    // nothing would keep the image for ever.
    node->level = std::clamp<int16_t>(node->level, 0, kAfterImageLevelMax);
    if (node->fade < 1) node->fade = 1;
    ActorEffectNode** tail = &list->first;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = node;
    ++list->count;
    list->lastPicture = record->picture;
    list->lastFrame = record->frame;
    list->lastKey = record->key;
    return 1;
}

int UpdateActorEffects(ActorEffectList* list) {
    if (list == nullptr) return 1;
    ActorEffectNode** link = &list->first;
    while (*link != nullptr) {
        ActorEffectNode* n = *link;
        const PicFrame* frame = GetTswPicture(n->picture, n->frame);
        if (n->level > 0) n->level = static_cast<int16_t>(std::max(0, n->level - n->fade));
        const bool draw = frame != nullptr && gBackPixels != nullptr;
        const uint32_t flags = n->drawFlags & ~(kModeBits | kFlagRle);
        if (draw) DrawFrame(frame, n->x, n->y, flags | kBlendFade, n->level);
        if (n->level > 0) {
            if (draw) {
                gTintRed = n->tint[0];
                gTintGreen = n->tint[1];
                gTintBlue = n->tint[2];
                DrawFrame(frame, n->x, n->y, flags | kBlendTint, 0);
                gTintRed = gTintGreen = gTintBlue = 0;
            }
            link = &n->next;
        } else {
            *link = n->next;
            if (list->count > 0) --list->count;
            FreeMem(n);
        }
    }
    return 1;
}

int IsEffectListEmpty(const ActorEffectList* list) { return list == nullptr || list->first == nullptr ? 1 : 0; }

void FreeActorEffects(ActorEffectList* list) {
    if (list == nullptr) return;
    while (list->first != nullptr) {
        ActorEffectNode* n = list->first;
        list->first = n->next;
        FreeMem(n);
    }
    *list = ActorEffectList{};
}

// ---- Reset -------------------------------------------------------------------

void ResetEffectLayers() {
    gEffects = EffectLayerState{};
    FreeSecondLayerMagic();
    for (ManRole& r : gManRoles) FreeActorEffects(&r.afterImages);
    for (MonRole& r : gMonRoles) FreeActorEffects(&r.afterImages);
}

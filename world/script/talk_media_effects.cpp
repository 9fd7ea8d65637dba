// Talk instructions: act objects, thrown objects, head pictures, line wipes,
// ripples and banners.
#include <algorithm>
#include <cmath>
#include <memory>

#include "base/errorbox.h"
#include "world/map/map_effects.h"
#include "world/script/talk_machine.h"
#include "world/script/talk_media.h"
#include "world/story_flags.h"

namespace {

// "Talk system(GAON)", "Talk(%d) ,id value too large(%d)", "Talk(%d) ,position outside the screen(...)"
constexpr char kCapGaon[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(GAON)";
constexpr char kTextIdTooBig[] = "Talk(%d) ,\xA5N\xBDX\xAD\xC8\xA4\xD3\xA4j(%d)";
constexpr char kTextOffScreen[] =
    "Talk(%d) ,\xA6\xEC\xB8m\xB6W\xA5X\xBF\xC3\xB9\xF5(x%d ,y%d ,w%d ,h%d)";
// "Talk system(G_AREA_OFF)", "Talk(%d)id value too large(%d)"
constexpr char kCapAreaOff[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(G_AREA_OFF)";
constexpr char kTextAreaIdTooBig[] = "Talk(%d)\xA5N\xBDX\xAD\xC8\xA4\xD3\xA4j(%d)";

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kWipeIds = 256;
// A pass counter is one byte: a wait for more than 254 passes waits for the
// act's end instead.
constexpr uint16_t kMaxPassWait = 254;
// A thrown object moves at most this far a frame (and never farther than
// its whole way), so it cannot step over the 32-pixel window around its
// target in which it is taken away.
constexpr int32_t kMaxThrowSpeed = 48;
// Where a head slides in from.
constexpr int16_t kHeadLeftStart = -120, kHeadRightStart = 760, kHeadSplit = 320;
constexpr int16_t kHeadInPlace = int16_t(0x8000);
constexpr int16_t kHeadLeaveInPlace = 10000;
// A ripple's square must fit the screen.
constexpr int32_t kRippleMinRadius = 2, kRippleMaxRadius = kScreenH / 2 - 1;
constexpr int32_t kRippleDepth = 24;

uint64_t Mix(uint64_t key, uint64_t v) { return (key ^ v) * 0x100000001B3ull; }

// ---- Act objects ---------------------------------------------------------------------------------

TalkStep NewPlayAct(TalkInstr& in, int list) {
    ByteReader r = in.Operands();
    PlayActObject o;
    o.x = r.i16();
    o.y = r.i16();
    ResetActRecord(&o.act);
    o.act.act = r.u16();
    o.act.qq = r.u16();
    auto& objects = gPlayActLists[list];
    objects.insert(objects.begin(), o);  // newest first
    return TalkStep::kYield;
}
TalkStep OpPlayAct1(TalkInstr& in) { return NewPlayAct(in, 0); }
TalkStep OpPlayAct2(TalkInstr& in) { return NewPlayAct(in, 1); }

TalkStep WaitPlayAct(TalkInstr& in, int list) {
    const uint16_t n = in.Operands().u16();
    const auto& objects = gPlayActLists[list];
    if (objects.empty()) return TalkWaitDone(), TalkStep::kContinue;
    const ActRecord& newest = objects.front().act;
    const uint16_t passes = newest.stepWord >> 8;
    if (n <= kMaxPassWait ? passes > n : newest.done == 1) return TalkWaitDone(), TalkStep::kContinue;
    const uint64_t key = Mix(Mix(Mix(objects.size(), newest.cursor), newest.stepWord), newest.wait);
    return TalkWaitStalled(in.pc, key) ? TalkStep::kContinue : TalkStep::kWait;
}
TalkStep OpWaitPlayAct1(TalkInstr& in) { return WaitPlayAct(in, 0); }
TalkStep OpWaitPlayAct2(TalkInstr& in) { return WaitPlayAct(in, 1); }

// ---- Thrown objects -------------------------------------------------------------------------------

TalkStep OpThrow(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t act = r.u16(), qq = r.u16();
    const int32_t x0 = r.u16() * 16, y0 = r.u16() * 16, x1 = r.u16() * 16, y1 = r.u16() * 16;
    const int32_t speed0 = r.u16();
    const double distance = std::hypot(double(x1 - x0), double(y1 - y0));
    // Nothing to throw: it would divide by zero or never move.
    if (distance < 1.0 || speed0 == 0) return TalkStep::kContinue;
    // The object is taken away once it lies within 32 pixels of its target
    // after a move. A step of at most 48 pixels and at most the distance
    // always ends a move within half a step of it.
    const double speed = std::min({double(speed0), double(kMaxThrowSpeed), std::floor(distance)});
    FreeObject o;
    ResetActRecord(&o.act);
    o.act.act = act;
    o.act.qq = qq;
    o.x = float(x0);
    o.y = float(y0);
    o.dx = float((x1 - x0) * speed / distance);
    o.dy = float((y1 - y0) * speed / distance);
    o.targetX = int16_t(x1);
    o.targetY = int16_t(y1);
    gTObjList.insert(gTObjList.begin(), o);
    return TalkStep::kContinue;
}

TalkStep OpWaitThrow(TalkInstr& in) {
    ByteReader r = in.Operands();
    const int32_t act = r.u16(), qq = r.u16();
    uint64_t key = 0;
    bool any = false;
    for (const FreeObject& o : gTObjList) {
        if (o.act.act != act || o.act.qq != qq) continue;
        any = true;
        key = Mix(Mix(key, uint64_t(int64_t(o.x))), uint64_t(int64_t(o.y)));
    }
    if (!any) return TalkWaitDone(), TalkStep::kContinue;
    return TalkWaitStalled(in.pc, key) ? TalkStep::kContinue : TalkStep::kWait;
}

// ---- Heads ------------------------------------------------------------------------------------------

RoleHead* FindHead(int32_t act, int32_t qq) {
    for (RoleHead& h : gRoleHeads)
        if (h.act.act == act && h.act.qq == qq) return &h;
    return nullptr;
}

TalkStep OpHeadIn(TalkInstr& in) {
    ByteReader r = in.Operands();
    RoleHead h;
    ResetActRecord(&h.act);
    h.act.act = r.u16();
    h.act.qq = r.u16();
    const int16_t x = r.i16();
    const uint16_t y = r.u16();
    h.targetX = x;
    h.y = int16_t(y & 0x7FFF);
    if (y & 0x8000) {
        h.x = x;
        h.speed = kHeadInPlace;
    } else {
        h.x = x <= kHeadSplit ? kHeadLeftStart : kHeadRightStart;
        h.speed = 0;
    }
    gRoleHeads.insert(gRoleHeads.begin(), h);
    return TalkStep::kContinue;
}

TalkStep OpHeadOut(TalkInstr& in) {
    ByteReader r = in.Operands();
    const int32_t act = r.u16(), qq = r.u16();
    if (RoleHead* h = FindHead(act, qq)) {
        if (h->speed == kHeadInPlace) h->speed = kHeadLeaveInPlace;
        else h->speed = h->x <= kHeadSplit ? -1 : 1;
    }
    return TalkStep::kContinue;
}

TalkStep OpHeadChange(TalkInstr& in) {
    ByteReader r = in.Operands();
    const int32_t act = r.u16(), qq = r.u16();
    const int32_t act2 = r.u16(), qq2 = r.u16();
    if (RoleHead* h = FindHead(act, qq)) {
        h->act.act = act2;
        h->act.qq = qq2;
    }
    return TalkStep::kContinue;
}

// Whether anything on screen is on its way out: a leaving head or an opening
// or shrinking wipe. Heads and wipes at rest stay until a talk instruction
// sends them away, which cannot happen while the talk waits.
bool SomethingLeaves(uint64_t* key) {
    bool any = false;
    for (const RoleHead& h : gRoleHeads) {
        if ((h.speed & 0x7FFF) == 0 && h.x == h.targetX) continue;
        any = true;
        *key = Mix(Mix(*key, uint16_t(h.x)), uint16_t(h.speed));
    }
    for (const LineWipe& w : gParticleLists) {
        if (w.state == kWipeHold) continue;
        any = true;
        *key = Mix(Mix(*key, w.state), w.start.empty() ? 0 : uint64_t(w.start[0] << 16 | uint16_t(w.length[0])));
    }
    return any;
}

TalkStep OpWaitHeads(TalkInstr& in) {
    uint64_t key = 0;
    if (SomethingLeaves(&key) && !TalkWaitStalled(in.pc, key)) return TalkStep::kWait;
    TalkWaitDone();
    return TalkStep::kYield;
}

// ---- Line wipes ---------------------------------------------------------------------------------------

void RemoveWipe(uint16_t id) {
    gParticleLists.erase(std::remove_if(gParticleLists.begin(), gParticleLists.end(),
                                        [id](const LineWipe& w) { return w.id == id; }),
                         gParticleLists.end());
}

TalkStep OpArea(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t id = r.u16(), colour = r.u16(), mode = r.u16();
    int32_t x = r.i16(), y = r.i16(), w = r.i16(), h = r.i16();
    if (id >= kWipeIds) {
        ErrorBox(kCapGaon, kTextIdTooBig, TalkNumberForText(), int(id));
        return TalkStep::kContinue;
    }
    RemoveWipe(id);
    x &= ~1;
    y &= ~1;
    w &= ~1;
    h &= ~1;
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > kScreenW || y + h > kScreenH) {
        ErrorBox(kCapGaon, kTextOffScreen, TalkNumberForText(), x, y, w, h);
        return TalkStep::kContinue;
    }
    LineWipe wipe;
    wipe.id = uint8_t(id);
    wipe.x = int16_t(x);
    wipe.y = int16_t(y);
    wipe.width = int16_t(w);
    wipe.colour = int16_t(colour);
    int16_t fill = 0;
    if (mode == 1) fill = int16_t(w - 2), wipe.state = kWipeClose;
    else if (mode == 2) wipe.state = kWipeHold;
    else wipe.state = kWipeGrow;
    wipe.start.assign(size_t(h), fill);
    wipe.length.assign(size_t(h), 2);
    gParticleLists.insert(gParticleLists.begin(), std::move(wipe));
    return TalkStep::kContinue;
}

TalkStep OpAreaMode(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t id = r.u16(), mode = r.u16();
    if (id >= kWipeIds) {
        ErrorBox(kCapAreaOff, kTextAreaIdTooBig, TalkNumberForText(), int(id));
        return TalkStep::kContinue;
    }
    if (mode == 2) {
        RemoveWipe(id);
        return TalkStep::kContinue;
    }
    for (LineWipe& w : gParticleLists) {
        if (w.id != id) continue;
        if (mode == 0) w.state = kWipeOpen;
        else if (mode == 1) w.state = kWipeShrink;
    }
    return TalkStep::kContinue;
}

// ---- Ripple -----------------------------------------------------------------------------------------------

TalkStep OpRipple(TalkInstr& in) {
    ByteReader r = in.Operands();
    const int32_t x = r.i16(), y = r.i16(), radius = r.i16(), strength = r.i16();
    // Below two pixels there is no field to ripple; a radius wider than the
    // screen is cut to it (the ripple keeps its square inside the picture).
    if (radius < kRippleMinRadius) return TalkStep::kContinue;
    const int32_t rr = std::min(radius, kRippleMaxRadius);
    auto ripple = std::make_unique<cRipple>();
    if (!ripple->InitRipple(kScreenW, kScreenH, x - rr, y - rr, 2 * rr, 2 * rr)) return TalkStep::kContinue;
    ripple->DropRipple(rr, rr, kRippleDepth, strength);
    gEffectObjects.insert(gEffectObjects.begin(), std::move(ripple));
    return TalkStep::kContinue;
}

// ---- Banners ------------------------------------------------------------------------------------------------

TalkStep SetBannerFrom(TalkInstr& in, int slot) {
    // The text runs to the "%Q" that ends the instruction.
    SetBanner(slot, in.at + 2, in.length - 4);
    return TalkStep::kYield;
}
TalkStep OpBanner0(TalkInstr& in) { return SetBannerFrom(in, 0); }
TalkStep OpBanner1(TalkInstr& in) { return SetBannerFrom(in, 1); }
TalkStep OpBanner0Off(TalkInstr&) { return SetBanner(0, nullptr, 0), TalkStep::kYield; }
TalkStep OpBanner1Off(TalkInstr&) { return SetBanner(1, nullptr, 0), TalkStep::kYield; }

} // namespace

void RegisterTalkEffectOps(TalkHandler* t) {
    t[0x3A] = OpPlayAct1;
    t[0x99] = OpPlayAct2;
    t[0x6A] = OpWaitPlayAct1;
    t[0x9A] = OpWaitPlayAct2;
    t[0x4F] = OpThrow;
    t[0xD0] = OpWaitThrow;
    t[0x51] = OpHeadIn;
    t[0x52] = OpHeadOut;
    t[0x56] = OpHeadChange;
    t[0x70] = OpWaitHeads;
    t[0x53] = OpArea;
    t[0x54] = OpAreaMode;
    t[0xB3] = OpRipple;
    t[0xAB] = OpBanner0;
    t[0xAD] = OpBanner1;
    t[0xAA] = OpBanner0Off;
    t[0xAC] = OpBanner1Off;
}

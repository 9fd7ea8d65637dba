#include "world/map/map_effects.h"

#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/random.h"
#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw/text_colours.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "world/dialog/name_entry.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_render.h"
#include "world/map/map_texts.h"
#include "world/requests.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

std::vector<PlayActObject> gPlayActLists[2];
std::vector<FreeObject> gTObjList;
std::vector<RoleHead> gRoleHeads;
std::vector<LineWipe> gParticleLists;
std::vector<std::unique_ptr<cRipple>> gEffectObjects;
ScreenShake gShake;
MapCursor gMapCursor;
bool gPlayerWalking = false;
std::vector<Caption> gCaptions;
Chimney gChimneys[kChimneys];
int gChimneyCount = 0;
ActRecord gSmokeAct;

namespace {

constexpr int kMenuButtonIdle = 17;
constexpr int kMenuButtonIn = -32;
constexpr int kCaptionStep = 24;
constexpr int kCaptionCharWidth = 11;
constexpr int32_t kEffectActs = 9003;  // the act entry of the smoke and the spotlight
constexpr int32_t kSmokeQq = 59;
constexpr int32_t kCursorActs = 9001;  // the act entry of the cursor and the menu button

} // namespace

// Draws a record's current frame at (x, y) less its hot spot.
void DrawRecordFrame(const ActRecord& a, int32_t x, int32_t y, uint32_t flags, int alpha) {
    const PicFrame* pic = GetTswPicture(a.picNumber, a.picFrame);
    if (!pic || !pic->data) return;
    const bool runs = !pic->palette && IsRleFrame(pic->data, pic->size);
    const uint16_t* table = gColourTable;
    if (pic->palette) gColourTable = pic->palette;
    gCurPic = pic->data;
    gAlphaLevel = alpha;
    DrawPic(x - int32_t(a.hotX), y - int32_t(a.hotY), pic->width, pic->height,
            runs ? (flags | kFlagRle) : (flags & ~kFlagRle));
    gColourTable = table;
}

namespace {
// An act whose stream is missing is reported once (until another fails).
struct Reported {
    int32_t act = -1, qq = -1, dir = -1;
} gReported;
} // namespace

bool StepMapAct(ActRecord* a, const char* caption) {
    if (TakeActData(a)) return true;
    if (gReported.act != a->act || gReported.qq != a->qq || gReported.dir != a->dir) {
        gReported = {a->act, a->qq, a->dir};
        ErrorBox(caption, kTextActErr, a->act, a->qq, a->dir);
    }
    return false;
}

// ---- Act objects ---------------------------------------------------------------------

void PlayAct(int list) {
    if (list < 0 || list > 1) return;
    auto& objects = gPlayActLists[list];
    for (PlayActObject& o : objects) {
        StepMapAct(&o.act, "Act Err(PicPaint:PlayAct)");
        DrawRecordFrame(o.act, o.x, o.y, o.flags | (o.act.drawFlags & 3), o.alpha);
        if (o.act.soundId) o.sound = o.act.soundId, o.act.soundId = 0;
        if (o.sound) {
            PlaySfxAt(o.sound, o.x + gCamera.left, o.y + gCamera.top);
            o.sound = 0;
        }
    }
    objects.erase(std::remove_if(objects.begin(), objects.end(), [](const PlayActObject& o) { return o.act.done == 1; }),
                  objects.end());
}

void DrawTObj() {
    for (FreeObject& o : gTObjList) {
        const int32_t sx = int32_t(o.x) - gCamera.left, sy = int32_t(o.y) - gCamera.top;
        StepMapAct(&o.act, "Act Err(PicPaint:DrawTObj)");
        if (sx > -72 && sx < 712 && sy > -72 && sy < 552) DrawRecordFrame(o.act, sx, sy, o.flags, o.alpha);
        if (o.hold == 0) {
            o.x += o.dx;
            o.y += o.dy;
        }
    }
    gTObjList.erase(std::remove_if(gTObjList.begin(), gTObjList.end(),
                                   [](const FreeObject& o) {
                                       return o.hold == 0 && std::abs(int32_t(o.x) - o.targetX) < 32 &&
                                              std::abs(int32_t(o.y) - o.targetY) < 32;
                                   }),
                    gTObjList.end());
}

int16_t EaseHead(int16_t x, int16_t target) {
    const int step = (target - x) * 2 / 3;
    if (step > -2 && step < 2) return target;
    return int16_t(x + step);
}

void drawRoleHead() {
    for (RoleHead& h : gRoleHeads) {
        StepMapAct(&h.act, "Act Err(PicPaint:drawRoleHead)");
        DrawRecordFrame(h.act, h.x, h.y, h.flags, h.alpha);
        if ((h.speed & 0x7FFF) == 0) {
            h.x = EaseHead(h.x, h.targetX);
        } else {
            h.x = int16_t(std::clamp<int32_t>(h.x + h.speed, -32768, 32767));
            h.speed = int16_t(std::clamp<int32_t>(h.speed * 3, -16384, 16383));
        }
    }
    gRoleHeads.erase(std::remove_if(gRoleHeads.begin(), gRoleHeads.end(),
                                    [](const RoleHead& h) { return (h.speed & 0x7FFF) != 0 && (h.x <= -120 || h.x >= 760); }),
                     gRoleHeads.end());
}

// ---- Line wipes --------------------------------------------------------------------------

namespace {
// One wipe's rows this frame; true when the wipe is finished and goes.
bool StepWipe(LineWipe& w) {
    const int rows = int(std::min(w.start.size(), w.length.size()));
    bool allDone = true;
    for (int i = 0; i < rows; ++i) {
        int16_t& s = w.start[size_t(i)];
        int16_t& n = w.length[size_t(i)];
        switch (w.state) {
        case kWipeHold: s = 0; n = w.width; break;
        case kWipeGrow:
            n = int16_t(std::min<int>(w.width, n + 48 + 2 * Random(6)));
            allDone &= n >= w.width;
            break;
        case kWipeClose:
            s = int16_t(std::max(0, s - 48 - 2 * Random(24)));
            n = int16_t(w.width - s);
            allDone &= s == 0;
            break;
        case kWipeOpen:
            s = int16_t(std::min<int>(w.width, s + 48 + 2 * Random(48)));
            n = int16_t(std::max(2, w.width - s));
            allDone &= s >= w.width;
            break;
        case kWipeShrink:
            n = int16_t(n - 48 - 2 * Random(48));
            if (n < 3) n = 2;
            allDone &= n <= 2;
            break;
        default: allDone = false; break;
        }
    }
    // Each row is a run blended at a quarter weight with the wipe's colour.
    const uint32_t colour = w.colour >= 0 && w.colour < kTextColourCount ? gTextColours[w.colour] : 0;
    for (int i = 0; i < rows && gBackPixels; ++i) {
        const int y = w.y + i;
        if (y < gClip.top || y >= gClip.top + gClip.height) continue;
        const int x0 = std::max<int>(gClip.left, w.x + w.start[size_t(i)]);
        const int x1 = std::min<int>(gClip.left + gClip.width, w.x + w.start[size_t(i)] + w.length[size_t(i)]);
        if (x1 > x0) BlendColourQuarter(BackPixel(x0, y), colour, x1 - x0);
    }
    if (allDone && w.state == kWipeGrow) w.state = kWipeHold;
    if (allDone && w.state == kWipeClose) w.state = kWipeHold;
    return allDone && (w.state == kWipeOpen || w.state == kWipeShrink);
}
} // namespace

void DrawParticles() {
    gParticleLists.erase(std::remove_if(gParticleLists.begin(), gParticleLists.end(), StepWipe), gParticleLists.end());
}

// ---- Shake -------------------------------------------------------------------------------

void SetShakeTable(const int16_t* words, size_t count, int32_t period) {
    gShake.table.clear();
    size_t n = 0;
    while (n < count && uint16_t(words[n]) != kShakeEnd) ++n;
    n &= ~size_t(1);  // whole pairs only
    gShake.table.assign(words, words + n);
    gShake.table.push_back(int16_t(kShakeEnd));
    gShake.index = 0;
    gShake.period = std::max(1, period);
    gShake.hold = gShake.period;
}

void StopShake() {
    if (!gShake.table.empty()) gShake.table[0] = int16_t(kShakeEnd);
}

bool ShakeRuns() { return !gShake.table.empty() && uint16_t(gShake.table[0]) != kShakeEnd; }

void StepScreenShake() {
    gShake.shaken = false;
    if (!ShakeRuns()) return;
    if (gShake.index + 1 >= gShake.table.size() || uint16_t(gShake.table[gShake.index]) == kShakeEnd) gShake.index = 0;
    const int16_t dx = gShake.table[gShake.index], dy = gShake.table[gShake.index + 1];
    if (--gShake.hold < 1) {
        gShake.index += 2;
        gShake.hold = gShake.period;
    }
    gShake.baseLeft = gCamera.left;
    gShake.baseTop = gCamera.top;
    gCamera.left += dx;
    gCamera.right += dx;
    gCamera.top += dy;
    gCamera.bottom += dy;
    gShake.shaken = true;
}

void EndShakeFrame() {
    if (!gShake.shaken) return;
    gCamera = {gShake.baseLeft, gShake.baseTop, gShake.baseLeft + kViewWidth, gShake.baseTop + kViewHeight};
    gShake.shaken = false;
}

// ---- Cursor --------------------------------------------------------------------------------

void RefrashCursor() {
    MapCursor& c = gMapCursor;
    // The cursor stands where the pointer was read this frame.
    c.x = gKeyInput.mouseX;
    c.y = gKeyInput.mouseY;
    int32_t want = int32_t(gCursorShape);
    if (gInput.IsKeyDown(0x2E)) want = 15;
    const bool talk = gMapSeams.talkRuns && gMapSeams.talkRuns();
    if (gMenuRequest == 0) {
        if (!gPlayerWalking) {
            ++c.idle;
            if (c.idle >= kMenuButtonIdle) c.offset = std::max(kMenuButtonIn, c.offset - 1);
        } else {
            c.idle = 0;
            c.offset = std::min(0, c.offset + 1);
        }
        if (c.mouseActive && c.x >= 611 && c.y <= 23 && !talk) gMenuRequest = 0x80000001u;
        const int window = gMapSeams.talkWindow ? gMapSeams.talkWindow() : 0;
        if (!(talk && window > 7) && c.button.act != 0) {
            StepMapAct(&c.button, "Act Err(RefrashCursor)");
            DrawRecordFrame(c.button, 642 + c.offset, 0, c.button.drawFlags, 0);
        }
    }
    if (want != c.shownAct) {
        c.shownAct = want;
        ResetActRecord(&c.act);
        c.act.act = kCursorActs;
        c.act.qq = want;
    }
    if (c.act.act == 0) return;
    if (StepMapAct(&c.act, "Act Err(RefrashCursor)")) DrawRecordFrame(c.act, c.x, c.y, c.act.drawFlags, 0);
}

// ---- Captions and map pictures ------------------------------------------------------------------

void DrawCaption() {
    int row = 0;
    for (Caption& c : gCaptions) {
        if (!IsFlag(14) && gBackPixels && gFontMedium.HasCache()) {
            const int x = kViewWidth - kCaptionCharWidth * int(c.text.size());
            gFontMedium.DrawTextStr(gBackPixels, x, 8 + kCaptionStep * row, c.text.c_str(),
                                    uint16_t(gTextColours[0]), 0);
        }
        --c.frames;
        ++row;
    }
    gCaptions.erase(std::remove_if(gCaptions.begin(), gCaptions.end(), [](const Caption& c) { return c.frames <= 0; }),
                    gCaptions.end());
}

namespace {
// One axis of a map picture: the offset into the picture at the overlap.
int32_t PictureOffset(int32_t camLo, int32_t camHi, int32_t picLo, int32_t rate, int32_t overlapScreenLo) {
    if (rate == 8) return camLo > picLo ? camLo - picLo : 0;
    int32_t off = (camHi - picLo) * rate / 16;
    if (camLo < picLo) off += overlapScreenLo;
    return off;
}
} // namespace

void DrawMapPictures() {
    for (const MapPicture& p : gMapPictures) {
        const int32_t right = p.right + 16, bottom = p.bottom + 16;
        const int32_t l = std::max<int32_t>(gCamera.left, p.left), t = std::max<int32_t>(gCamera.top, p.top);
        const int32_t r = std::min<int32_t>(gCamera.right, right), b = std::min<int32_t>(gCamera.bottom, bottom);
        if (l >= r || t >= b) continue;
        const int32_t sl = l - gCamera.left, st = t - gCamera.top;
        SetClip(sl, st, r - gCamera.left, b - gCamera.top);
        const int32_t ox = PictureOffset(gCamera.left, gCamera.right, p.left, p.rateX, sl);
        const int32_t oy = PictureOffset(gCamera.top, gCamera.bottom, p.top, p.rateY, st);
        gCurPic = p.picture;
        DrawPic(sl - ox, st - oy, p.width, p.height, kFlagRle);
        SetClip(0, 0, kViewWidth, kViewHeight);
    }
}

// ---- Chimneys ---------------------------------------------------------------------------------------

void SpawnNearEffect(int32_t x, int32_t y, uint16_t guid) {
    if (x < gCamera.left - 64 || x > gCamera.right + 64 || y < gCamera.top - 64 || y > gCamera.bottom + 64) return;
    const int wind = Random(5) - 3;
    if (gSmokeAct.act == 0) {
        ResetActRecord(&gSmokeAct);
        gSmokeAct.act = kEffectActs;
        gSmokeAct.qq = kSmokeQq;
    }
    TakeActData(&gSmokeAct);
    const bool map50 = gCurrentMap == 50;
    for (int i = 0; i < gChimneyCount && i < kChimneys; ++i) {
        Chimney& c = gChimneys[i];
        if (c.guid != guid) continue;
        c.x = uint16_t(x);
        c.y = uint16_t(y);
        c.flags = Random(1000) > 250 ? 1 : 0;
        if (c.flags & 1)
            c.puffs.insert(c.puffs.begin(), SmokePuff{(c.x - 8 + Random(16)) * 16, c.y, Random(16) - 8, -1,
                                                      map50 ? Random(16) + 16 : Random(30) + 30});
        for (SmokePuff& p : c.puffs) {
            p.y += p.dy;
            p.x += p.dx + wind;
            if (Random(1000) > 50) --p.life;
            if (p.life < 1) continue;
            if (map50) {
                gTintRed = p.life - 30;
                gTintGreen = p.life - 38;
                gTintBlue = p.life - 50;
            } else {
                gTintRed = gTintGreen = gTintBlue = p.life / 2 - 30;
            }
            DrawRecordFrame(gSmokeAct, p.x / 16 - gCamera.left, p.y - gCamera.top, 16 | (gSmokeAct.drawFlags & 3), 0);
            gTintRed = gTintGreen = gTintBlue = 0;
        }
        c.puffs.erase(std::remove_if(c.puffs.begin(), c.puffs.end(), [](const SmokePuff& p) { return p.life < 1; }),
                      c.puffs.end());
    }
}

void StepEffectObjects() {
    // Each ripple distorts the frame as drawn so far; a calm one goes.
    if (!gBackPixels) return;
    for (auto& ripple : gEffectObjects) {
        if (ripple->pictureWidth > gScreenWidth || ripple->pictureHeight > gScreenHeight) continue;
        ripple->CopyRipple(gBackPixels, gScreenPitch);
        ripple->DrawRipple(gBackPixels, gScreenPitch);
        if (ripple->StepRipple()) ripple->FreeRipple();
    }
    gEffectObjects.erase(std::remove_if(gEffectObjects.begin(), gEffectObjects.end(),
                                        [](const std::unique_ptr<cRipple>& r) { return r->fields == nullptr; }),
                         gEffectObjects.end());
}

// ---- Text entry ------------------------------------------------------------------------------------

void DrawInputOverlay() {
    if (gGameMode & kModeTextEntry) NameEntryFrame();
}

void ResetMapEffects() {
    for (auto& l : gPlayActLists) l.clear();
    gTObjList.clear();
    gRoleHeads.clear();
    gParticleLists.clear();
    gEffectObjects.clear();
    gShake = ScreenShake{};
    gMapCursor = MapCursor{};
    gPlayerWalking = false;
    gCaptions.clear();
    for (Chimney& c : gChimneys) c = Chimney{};
    gChimneyCount = 0;
    gSmokeAct = ActRecord{};
    gReported = {};
    ResetWeatherForMap();
}

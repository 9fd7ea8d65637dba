#include "world/map/map_render.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/colour_ops.h"
#include "draw/dialog_text.h"
#include "draw/display.h"
#include "draw/pic_number.h"
#include "draw/draw_kernel.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "draw/zoom_render.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "world/dialog/story_timer.h"
#include "world/map/debug_overlay.h"
#include "world/map/draw_order.h"
#include "world/map/floater.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_effects.h"
#include "world/map/map_texts.h"
#include "world/map/role_moves.h"
#include "world/map/zone_table.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

Camera gCamera;
CameraScroll gCameraScroll;
PlayerStep gPlayerStep;
ScreenTint gScreenTint;
MapTint gMapTint;
uint32_t gViewFlags = 0;
uint32_t gTileAnimPeriod = 1;
ActRecord gFreeActs[kFreeActs];
int32_t gFollowTrailX[kTrailLength], gFollowTrailY[kTrailLength], gFollowTrailFacing[kTrailLength];
MapFrameSeams gMapSeams;

namespace {

constexpr int kShadowDark[16] = {-8, -7, -6, -5, -4, -3, -2, 0, 0, 0, -14, -13, -12, -11, -10, -9};
constexpr int kLitTint[16] = {0, 2, 4, 6, 8, 10, 12, 0, 0, 0, -12, -10, -8, -6, -4, -2};
constexpr int kFacingOfCode[8] = {5, 1, 6, 2, 4, 0, 7, 3};
constexpr int kCodeDx[8] = {1, 0, -1, -1, -1, 0, 1, 1};
constexpr int kCodeDy[8] = {1, 1, 1, 0, -1, -1, -1, 0};
constexpr int kSoundRange = 512;
constexpr int kRoleDrawLeft = -400, kRoleDrawRight = 1040;
constexpr int kBucketsDrawn = 70;
constexpr uint32_t kZoomMode = 128;
constexpr uint32_t kShadowMode = 0x90;
constexpr uint32_t kTintMode = 16;
constexpr uint32_t kKeyedRawMode = 4;
// A shadow leans a quarter pixel per row (in the zoom's 1/1024 units): to
// one side for odd shadow modes, to the other for even ones.
constexpr int32_t kShadowShear = 256;
constexpr int kRoleTextUnit = 11;  // pixels of a text byte
constexpr int kRoleTextRow = 22;
constexpr int32_t kStoryTimerX = 400, kStoryTimerY = 8;

RoleRecord* Player() { return gPlayerRole < kMaxRoles ? &gRole[gPlayerRole] : nullptr; }

void MoveCamera(int32_t dx, int32_t dy) {
    gCamera.left += dx;
    gCamera.right += dx;
    gCamera.top += dy;
    gCamera.bottom += dy;
}

// One axis of the camera rule: the view starts at `want`, at least 0, and
// stops at the map's far edge; a map no larger than the view starts at 0.
int32_t ClampView(int32_t want, uint32_t cells, int32_t view) {
    const int64_t extent = int64_t(cells) * kCellPixels;
    if (extent <= view) return 0;
    return int32_t(std::clamp<int64_t>(want, 0, extent - view));
}

void SetZoom(int32_t anchorX, int32_t anchorY, int32_t zoomX, int32_t zoomY) {
    if (gActZoomSource) gActZoomSource(anchorX, anchorY, zoomX, zoomY);
}

// The flags a frame is drawn with: the run-length bit from the picture.
uint32_t FrameFlags(const PicFrame* pic, uint32_t flags) {
    const bool runs = !pic->palette && IsRleFrame(pic->data, pic->size);
    return runs ? (flags | kFlagRle) : (flags & ~kFlagRle);
}

void DrawFrame(const PicFrame* pic, int32_t x, int32_t y, uint32_t flags) {
    const uint16_t* table = gColourTable;
    if (pic->palette) gColourTable = pic->palette;
    gCurPic = pic->data;
    DrawPic(x, y, pic->width, pic->height, FrameFlags(pic, flags));
    gColourTable = table;
}

// The stepping failure of an act, reported once for each act, qq and dir in a row.
struct ActReport {
    int32_t act = -1, qq = -1, dir = -1;
} gLastActReport;

} // namespace

// ---- Camera ------------------------------------------------------------------

void CenterView() {
    const RoleRecord* p = Player();
    if (!p) return;
    gCamera.left = ClampView(p->x - 304, gMap.width, kViewWidth);
    gCamera.top = ClampView(p->y - 240, gMap.height, kViewHeight);
    gCamera.right = gCamera.left + kViewWidth;
    gCamera.bottom = gCamera.top + kViewHeight;
}

void ViewRectAt(int32_t x, int32_t y, Camera* rect) {
    rect->left = ClampView(x - 320, gMap.width, kViewWidth);
    rect->top = ClampView(y - 240, gMap.height, kViewHeight);
    rect->right = rect->left + kViewWidth;
    rect->bottom = rect->top + kViewHeight;
}

namespace {
// One axis of a scroll: moves by the step toward the remaining distance and
// never past it; a step of 0 moves the whole distance at once.
int32_t ScrollAxis(int32_t* remain, int32_t step) {
    if (*remain == 0) return 0;
    int32_t mag = std::abs(step);
    if (mag == 0 || mag > std::abs(*remain)) mag = std::abs(*remain);
    const int32_t move = *remain > 0 ? mag : -mag;
    *remain -= move;
    return move;
}
} // namespace

void StepCameraScroll() {
    const int32_t dx = ScrollAxis(&gCameraScroll.remainX, gCameraScroll.stepX);
    const int32_t dy = ScrollAxis(&gCameraScroll.remainY, gCameraScroll.stepY);
    MoveCamera(dx, dy);
}

// ---- Screen tint ---------------------------------------------------------------

void StepScreenTint(int count) {
    ScreenTint& t = gScreenTint;
    if (t.rate[0] == 0 && t.rate[1] == 0 && t.rate[2] == 0) return;
    if (count != 0 && t.counter >= 0) --t.counter;
    if (t.counter >= 0) {
        for (int c = 0; c < 3; ++c) t.value[c] += t.rate[c];
    } else {
        for (int c = 0; c < 3; ++c) t.rate[c] = t.nextRate[c];
    }
    if (!gBackPixels) return;
    for (int y = 0; y < kViewHeight && y < gScreenHeight; ++y)
        AddRgbToPixels(BackPixel(0, y), std::min(kViewWidth, int(gScreenWidth)), int(t.value[0]), int(t.value[1]),
                       int(t.value[2]));
}

// ---- Tiles -----------------------------------------------------------------------

void DrawTileLayer() {
    if (!gMap.pixel || gMap.tiles.empty() || !gBackPixels) return;
    const bool deep = gMap.depth == 16;
    const uint16_t* table = gColourTable;
    if (!deep) gColourTable = gMap.palette;
    const int32_t col0 = std::max(0, gCamera.left / kCellPixels);
    const int32_t row0 = std::max(0, gCamera.top / kCellPixels);
    const int32_t col1 = std::min<int32_t>(int32_t(gMap.width), (gCamera.right + 15) / kCellPixels);
    const int32_t row1 = std::min<int32_t>(int32_t(gMap.height), (gCamera.bottom + 15) / kCellPixels);
    const bool aligned = gCamera.left % kCellPixels == 0 && gCamera.top % kCellPixels == 0;
    const uint16_t* tiles = CurrentTiles();
    for (int32_t cy = row0; cy < row1; ++cy) {
        for (int32_t cx = col0; cx < col1; ++cx) {
            const size_t i = size_t(cy) * gMap.width + size_t(cx);
            const uint32_t cell = gMap.cells[i];
            if (cell & kCellNoTile) continue;
            // Every tile number was checked against the layer at load.
            const uint32_t n = tiles[i];
            gCurPic = deep ? gMap.pixel + size_t(n) * 512 : gMap.pixel + (size_t(n) + 2) * 256;
            const int32_t sx = cx * kCellPixels - gCamera.left, sy = cy * kCellPixels - gCamera.top;
            const bool keyed = cell & kCellKeyedTile;
            const bool whole = sx >= gClip.left && sy >= gClip.top && sx + 16 <= gClip.left + gClip.width &&
                               sy + 16 <= gClip.top + gClip.height;
            if (aligned && whole) {
                if (deep) keyed ? DrawTile16Keyed(sx, sy) : DrawTile16(sx, sy);
                else keyed ? DrawTile8Keyed(sx, sy) : DrawTile8(sx, sy);
            } else {
                DrawPic(sx, sy, 16, 16, keyed ? kKeyedRawMode : 0);
            }
        }
    }
    gColourTable = table;
}

void StepTileAnimation() {
    ++gMap.tileAnimTick;
    if (gMap.tileAnimTick < std::max<uint32_t>(1, gTileAnimPeriod) || gMap.tileFrames <= 1) return;
    gMap.tileAnimTick = 0;
    int32_t frame = int32_t(gMap.tileFrame) + gMap.tileAnimDir;
    if (frame >= int32_t(gMap.tileFrames) || frame < 0) {
        gMap.tileAnimDir = -gMap.tileAnimDir;
        frame += 2 * gMap.tileAnimDir;
    }
    gMap.tileFrame = uint32_t(std::clamp<int32_t>(frame, 0, int32_t(gMap.tileFrames) - 1));
}

// ---- Roles -------------------------------------------------------------------------

void DrawZoomedFrame(const PicFrame* pic, int32_t x, int32_t y, uint32_t flags, int32_t scale, int32_t anchorX,
                     int32_t anchorY, uint32_t roleFlags) {
    const int mode = int(gShadowMode);
    const int32_t zoomY = mode < 5 ? scale / 2 : scale / 4;
    SetZoomFactor(anchorX, anchorY, scale, std::max(1, zoomY), (mode & 1) ? kShadowShear : -kShadowShear);
    const int dark = kShadowDark[(roleFlags >> 20) & 15];
    gTintRed = gTintGreen = gTintBlue = dark;
    uint32_t f = kShadowMode | (flags & 3);
    if ((mode - 1) % 4 >= 2) f |= kFlagFlip;
    DrawFrame(pic, x, y, f);
    gTintRed = gTintGreen = gTintBlue = 0;
}

namespace {
bool TalkRunsOnMap() { return gMapSeams.talkRuns && gMapSeams.talkRuns(); }

// A role's text (set by its path script) centred over the frame drawn at
// (x, y), one text row above its top, in the colour of its text kind.
void DrawRoleText(const RoleRecord& role, int32_t x, int32_t y, int32_t width) {
    if (!role.text || !role.text[0] || !gBackPixels || TalkRunsOnMap()) return;
    const int32_t length = int32_t(std::strlen(role.text));
    DrawColourText(gBackPixels, x + width / 2 - length * kRoleTextUnit / 2, y - kRoleTextRow, role.textKind,
                   role.textKind, role.text, kTextBoldShadowed);
}
} // namespace

int DrawMapObject(RoleRecord* role) {
    if (!(role->flags & kRoleActive) || (role->flags & kRoleHidden)) return 1;
    const int32_t sx = role->x - gCamera.left;
    if (sx <= kRoleDrawLeft || sx >= kRoleDrawRight) return 1;
    if (role->act.act != 0 && IsFlag(11)) return 1;
    if (role->act.soundId != 0) {
        PlaySfxAt(role->act.soundId, role->x, role->y);
        role->act.soundId = 0;
    }
    const PicFrame* pic = GetTswPicture(role->act.picNumber, role->act.picFrame);
    if (!pic || !pic->data) return 1;

    int32_t scale = 1024;
    if (role->guid != kGuidMapObject && !(role->flags & kRoleNoZone)) scale = int32_t(ZoneScaleAt(role->x, role->y));
    const bool zoomed = scale != 1024;
    const int32_t x = sx + role->drawOffsetX - int32_t(role->act.hotX);
    const int32_t y = role->y - gCamera.top + role->drawOffsetY - int32_t(role->act.hotY);
    const int32_t anchorX = int32_t(role->act.hotX) + 16, anchorY = int32_t(role->act.hotY) + 8;
    const uint32_t own = role->act.drawFlags & (kFlagMirror | kFlagFlip);

    if (gShadowMode != 0 && (role->flags & kRoleLit)) DrawZoomedFrame(pic, x, y, own, scale, anchorX, anchorY, role->flags);

    gAlphaLevel = role->act.alpha;
    if (zoomed) {
        SetZoom(anchorX, anchorY, scale, scale);
        DrawFrame(pic, x, y, kZoomMode | own);
    } else {
        DrawFrame(pic, x, y, role->act.drawFlags & ~kFlagRle);
    }
    if (role->flags & kRoleLit) {
        const int lit = kLitTint[(role->flags >> 20) & 15];
        const int r = gMapTint.red + lit, g = gMapTint.green + lit, b = gMapTint.blue + lit;
        if (r != 0 || g != 0 || b != 0) {
            gTintRed = r;
            gTintGreen = g;
            gTintBlue = b;
            DrawFrame(pic, x, y, kTintMode | own);
            gTintRed = gTintGreen = gTintBlue = 0;
        }
    }
    if (role->extraAct) {
        const PicFrame* extra = GetTswPicture(role->extraAct->picNumber, role->extraAct->picFrame);
        if (extra && extra->data)
            DrawFrame(extra, x + 20 - int32_t(role->extraAct->hotX) * scale / 1024,
                      y - int32_t(role->extraAct->hotY) * scale / 1024, role->extraAct->drawFlags & ~kFlagRle);
    }
    if (zoomed) SetZoom(0, 0, 1024, 1024);
    gAlphaLevel = 0;
    if ((role->flags & kRoleChimney) && !IsFlag(72)) SpawnNearEffect(role->x, role->y, role->guid);
    DrawRoleText(*role, x, y, int32_t(pic->width));
    return 1;
}

void PlayObjectSound(RoleRecord* role) {
    const RoleRecord* p = Player();
    const int id = int(role->soundId & 0xFFFF);
    if (!p || id == 0) return;
    const int64_t dx = int64_t(role->x) - p->x, dy = int64_t(role->y) - p->y;
    const int64_t d2 = dx * dx + dy * dy;
    const bool inRange = d2 < int64_t(kSoundRange) * kSoundRange && (role->flags & kRoleActive);
    if (!inRange) {
        if (role->flags & kRolePlaying) {
            StopSfx(id);
            role->flags &= ~kRolePlaying;
        }
        return;
    }
    const uint32_t interval = role->soundTimer >> 16;
    uint32_t countdown = role->soundTimer & 0xFFFF;
    const int d = int(std::sqrt(double(d2)));
    const int volume = 128 - d * 128 / kSoundRange;
    const int pan = int(dx * 64 / kSoundRange);
    if (interval != 0 && interval != 0xFFFF) {
        // A repeated sound: played once every `interval` frames while in range.
        if (countdown > 0) --countdown;
        if (countdown == 0) {
            countdown = interval;
            gSoundBank.PlayBankSound(nullptr, id, ClampVolume(volume), ClampPan(pan), 1, 0);
        }
        role->soundTimer = (interval << 16) | countdown;
    } else if (!(role->flags & kRolePlaying)) {
        // Interval 0 loops, 0xFFFF plays once; either starts once per visit.
        gSoundBank.PlayBankSound(nullptr, id, ClampVolume(volume), ClampPan(pan), interval == 0 ? 0 : 1, 0);
        role->flags |= kRolePlaying;
    }
    gSoundBank.SetSoundVolume(id, ClampVolume(volume));
    gSoundBank.SetSoundPan(id, ClampPan(pan));
}

namespace {
void DrawObjects() {
    static constexpr int kPlaneOrder[3] = {2, 0, 1};
    const int firstRow = gCamera.top / kCellPixels - kDrawRowsAbove;
    const int lastRow = int(gMap.height) + kDrawRowsBelow - 1;
    for (int plane : kPlaneOrder) {
        for (int row = firstRow; row < firstRow + kBucketsDrawn && row <= lastRow; ++row) {
            for (RoleRecord* r = DrawOrderBucket(plane, row); r; r = r->drawNext) {
                DrawMapObject(r);
                if (r->soundId & 0xFFFF) PlayObjectSound(r);
            }
        }
    }
}

void ClipToSpotSquare(bool roundUp) {
    int32_t cx = kViewWidth / 2, cy = kViewHeight / 2;
    if (roundUp) {
        cx = (cx + 15) / 16 * 16;
        cy = (cy + 15) / 16 * 16;
    }
    SetClip(cx - kSpotSquare / 2, cy - kSpotSquare / 2, cx + kSpotSquare / 2, cy + kSpotSquare / 2);
}

void ClearBack() {
    if (!gBackPixels) return;
    for (int y = 0; y < gScreenHeight; ++y) std::memset(BackPixel(0, y), 0, size_t(gScreenWidth) * 2);
}
} // namespace

bool DrawMoneyNumber() {
    const bool talk = TalkRunsOnMap();
    const int window = gMapSeams.talkWindow ? gMapSeams.talkWindow() : 0;
    if ((talk && window >= 8) || IsFlag(81)) return false;
    DrawPicNumber(636, 460, int32_t(std::min<uint32_t>(gTalkVar[0], INT32_MAX)));
    return true;
}

void RenderScene() {
    SetClip(0, 0, kViewWidth, kViewHeight);
    if (gViewFlags & kViewSpotClip) ClipToSpotSquare(false);
    const bool sequence = FrameSequenceRuns();
    if (sequence) {
        PlayFrameSequence();
    } else {
        if (IsFlag(15) || IsFlag(19)) ClearBack();
        if (gViewFlags & kViewMapChange) {
            ClearBack();
            PlayAct(1);
        } else {
            DrawMapPictures();
            if (IsFlag(19) && !IsFlag(72)) ClipToSpotSquare(true);
            DrawTileLayer();
            DrawObjects();
            PlayAct(0);
            DrawTObj();
            if (!IsFlag(72)) {
                DrawDriftingObjects();
                DrawFlashPixels();
                DrawSparkleDots();
                DrawParticleWeather();
                DrawStreakDrops();
                StepEffectObjects();
            }
            SetClip(0, 0, kViewWidth, kViewHeight);
            if (!IsFlag(72)) DrawCentredOverlay();
            PlayAct(1);
        }
    }
    SetClip(0, 0, kViewWidth, kViewHeight);
    StepScreenTint(1);
    DrawParticles();
    if (gMapSeams.drawDialogs) gMapSeams.drawDialogs();
    drawRoleHead();
    DrawMoneyNumber();
    DrawInputOverlay();
    if (!IsFlag(9) && !IsFlag(10) && !IsFlag(81)) RefrashCursor();
    DrawCaption();
}

// ---- Route steps ----------------------------------------------------------------------

int FacingOfRouteCode(int code) { return code >= 0 && code < 8 ? kFacingOfCode[code] : -1; }

bool RouteCodeOffset(int code, int* dx, int* dy) {
    if (code < 0 || code >= 8) return false;
    *dx = kCodeDx[code];
    *dy = kCodeDy[code];
    return true;
}

bool MoveRoleCell(RoleRecord* role, int code) {
    int dx = 0, dy = 0;
    if (!RouteCodeOffset(code, &dx, &dy) || role->cellIndex < 0 || gMap.width == 0) return false;
    const int cx = role->cellIndex % int(gMap.width) + dx, cy = role->cellIndex / int(gMap.width) + dy;
    if (!CellInMap(cx, cy)) return false;
    role->cellIndex = cy * int(gMap.width) + cx;
    return true;
}

bool PlayerListener(int* x, int* y) {
    const RoleRecord* p = Player();
    if (!p || TotalRole == 0) return false;
    *x = p->x;
    *y = p->y;
    return true;
}

// ---- The frame ----------------------------------------------------------------------

void ReportRoleActOnce(const char* caption, const RoleRecord& r) {
    if (gLastActReport.act == r.act.act && gLastActReport.qq == r.act.qq && gLastActReport.dir == r.act.dir) return;
    gLastActReport = {r.act.act, r.act.qq, r.act.dir};
    ErrorBox(caption, kTextActErrGuid, int(r.guid), r.act.act, r.act.qq, r.act.dir);
}

namespace {

void StepPlayer(RoleRecord* p) {
    const PlayerStep& s = gPlayerStep;
    p->x += (s.dx + s.pushDx) * s.step;
    p->y += (s.dy + s.pushDy) * s.step;
    MoveCamera(s.dx * s.step, s.dy * s.step);
}

void SettlePlayer(RoleRecord* p) {
    if (p->x % kCellPixels != 0 || p->y % kCellPixels != 0 || !(p->flags & kRoleActive)) return;
    RebucketRole(p);
    // The marks leave the cell the step started from (outside the map the
    // role has no cell, as everywhere else).
    const PlayerStep& s = gPlayerStep;
    if (s.dx + s.pushDx != 0 || s.dy + s.pushDy != 0) MoveRoleMarks(p, s.dx + s.pushDx, s.dy + s.pushDy);
    gPlayerStep.dx = gPlayerStep.dy = gPlayerStep.pushDx = gPlayerStep.pushDy = 0;
    if (p->x != gFollowTrailX[0] || p->y != gFollowTrailY[0]) {
        std::memmove(gFollowTrailX + 1, gFollowTrailX, sizeof(int32_t) * (kTrailLength - 1));
        std::memmove(gFollowTrailY + 1, gFollowTrailY, sizeof(int32_t) * (kTrailLength - 1));
        std::memmove(gFollowTrailFacing + 1, gFollowTrailFacing, sizeof(int32_t) * (kTrailLength - 1));
        gFollowTrailX[0] = p->x;
        gFollowTrailY[0] = p->y;
        gFollowTrailFacing[0] = p->act.dir;
    }
    TakeCellAttributes(p);
}
} // namespace

void Render() {
    if (gMap.width == 0 || gMap.height == 0) {
        // No map is loaded (the title screen, a failed load): the frame as it is.
        if (gDisplay.IsOpen() && gBackBuffer) gDisplay.Blt(gBackBuffer);
        return;
    }
    for (int i = kFreeActs - 1; i >= 0; --i)
        if (gFreeActs[i].act != 0) TakeActData(&gFreeActs[i]);
    RoleRecord* p = TotalRole > gPlayerRole ? Player() : nullptr;
    if (p) StepPlayer(p);
    StepPathMoves();
    StepPartyMoves();
    StepCameraScroll();
    StepScreenShake();

    gBackPixels = LockBackBuffer(gBackBuffer);
    UnlockBackBuffer(gBackBuffer, gBackPixels);
    if (gBackPixels) {
        RenderScene();
        DrawStoryTimer(kStoryTimerX, kStoryTimerY, 0);
        if (gFloater && p) {
            SteerFloater(float(p->x + 16), float(p->y - 64));
            DrawFloater();
        }
        for (int y = 0; y < gScreenHeight; ++y) BackPixel(0, y)[0] = BackPixel(0, y)[1] = 0;
        DrawMapDebugOverlay();
        if (gDisplay.IsOpen()) gDisplay.Blt(gBackBuffer);
    }
    if (p) {
        SettlePlayer(p);
        if ((p->flags & kRoleAnimated) && !(p->flags & 0x40000000) && !TakeActData(&p->act))
            ReportRoleActOnce("Act Err(PicPaint:Render:MRl)", *p);
    }
    StepTileAnimation();
    EndShakeFrame();
}

bool MapFrameHook() { return true; }

bool ServiceSound() {
    // One order for the whole game: the music picks its next track, then
    // finished effects give their voices back, then the streams step.
    gMusic.UpdateMusic();
    gSoundBank.UpdateSounds();
    gStreamPlayer.UpdateStreams();
    return true;
}

void ResetMapRender() {
    gCamera = {0, 0, kViewWidth, kViewHeight};
    gCameraScroll = {};
    gPlayerStep = {};
    gScreenTint = {};
    gMapTint = {};
    gViewFlags = 0;
    gTileAnimPeriod = 1;
    for (ActRecord& a : gFreeActs) a = ActRecord{};
    std::memset(gFollowTrailX, 0, sizeof gFollowTrailX);
    std::memset(gFollowTrailY, 0, sizeof gFollowTrailY);
    std::memset(gFollowTrailFacing, 0, sizeof gFollowTrailFacing);
    gMapSeams = {};
    gLastActReport = {};
}

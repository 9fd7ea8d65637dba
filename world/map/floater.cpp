#include "world/map/floater.h"

#include <cmath>

#include "draw/draw_kernel.h"
#include "draw/tsw_pack.h"
#include "world/map/map_render.h"
#include "world/story_flags.h"

Floater* gFloater = nullptr;

namespace {
constexpr uint32_t kFloaterMode = 20;
constexpr int32_t kFadeStart = -32, kFadeEnd = 64;
} // namespace

void CreateFloater(uint32_t act, uint32_t qq, float x, float y, float a, float b) {
    FreeFloater();
    gFloater = new Floater{};
    ResetActRecord(&gFloater->act);
    gFloater->act.act = int32_t(act);
    gFloater->act.qq = int32_t(qq);
    gFloater->x = x;
    gFloater->y = y;
    gFloater->stored[0] = a;
    gFloater->stored[1] = b;
    gFloater->fade = kFadeStart;
}

void FreeFloater() {
    delete gFloater;
    gFloater = nullptr;
}

void SteerFloater(float targetX, float targetY) {
    if (!gFloater) return;
    Floater& f = *gFloater;
    const float dx = targetX - f.x, dy = targetY - f.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    // Within one step the floater lands on the target instead of passing it
    // and coming back (which shook it by a pixel every frame).
    if (d <= 1.0f) {
        f.x = targetX;
        f.y = targetY;
    } else {
        f.vx += dx / d;
        f.vy += dy / d;
        f.x += f.vx;
        f.y += f.vy;
    }
    f.vx = f.vy = 0;
    if (f.fade < kFadeEnd) ++f.fade;
}

int FloaterAlpha(int32_t fade) {
    if (fade < 0) return (fade + 32) / 2;
    if (fade < 32) return 16;
    return fade >= kFadeEnd ? 0 : (64 - fade) / 2;
}

void DrawFloater() {
    if (!gFloater) return;
    Floater& f = *gFloater;
    // A step that yields no picture draws nothing (not the last one drawn).
    if (!TakeActData(&f.act) || f.act.picNumber == 0) return;
    const PicFrame* pic = GetTswPicture(f.act.picNumber, f.act.picFrame);
    if (!pic || !pic->data) return;
    gCurPic = pic->data;
    gAlphaLevel = FloaterAlpha(f.fade);
    const uint32_t runs = IsRleFrame(pic->data, pic->size) ? kFlagRle : 0;
    DrawPic(int32_t(f.x) - gCamera.left - int32_t(f.act.hotX), int32_t(f.y) - gCamera.top - int32_t(f.act.hotY),
            pic->width, pic->height, kFloaterMode | runs);
}

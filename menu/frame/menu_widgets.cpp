#include "menu/frame/menu_widgets.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "draw/act_pack.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "menu/frame/menu_frame.h"
#include "world/map/map_effects.h"

namespace {

constexpr uint32_t kBlendAlpha = 20;
constexpr uint32_t kBlendOutline = 36;
constexpr char kActErrorText[] = "\xB3]\xA9w\xBF\xF9\xBB~ \nact[%d] qq[%d] dir[%d]"; // "設定錯誤 \nact[%d] qq[%d] dir[%d]"

// Reports already shown: tag, act, qq and dir.
struct Reported {
    std::string tag;
    int32_t act, qq, dir;
};
std::vector<Reported> gReported;

} // namespace

bool StepMenuAct(ActRecord* record, const char* tag) {
    if (!record) return false;
    if (TakeActData(record)) return true;
    for (const Reported& r : gReported)
        if (r.tag == tag && r.act == record->act && r.qq == record->qq && r.dir == record->dir) return false;
    gReported.push_back({tag, record->act, record->qq, record->dir});
    ErrorBox(tag, kActErrorText, record->act, record->qq, record->dir);
    return false;
}

BarPlaces DrawBar(int x, int y, int h, uint32_t flags, float start, float end) {
    MenuActs& acts = gMenu.acts;
    ActRecord& track = acts.barTrack;
    ActRecord& thumb = acts.barThumb;
    ActRecord& capTop = acts.barTop;
    ActRecord& capBottom = acts.barBottom;
    BarPlaces places{y, y + int(float(h) * start), y + int(float(h) * end), y + h};
    DrawFramedBox(x + 4, y - 12, 8, h + 24, kFillEighth, 0, 0, 0);
    const ClipRect saved = gClip;
    SetClip(x, y, x + 32, y + h);
    track.act = thumb.act = 9002;
    track.qq = 28;
    thumb.qq = 29;
    if (StepMenuAct(&track, "Act Err(Menu:DrawBar)") && track.height > 0)
        for (int ty = y; ty < y + h; ty += int(track.height)) DrawRecordFrame(track, x, ty, track.drawFlags, 0);
    if (StepMenuAct(&thumb, "Act Err(Menu:Prop:Render:bar)") && thumb.height > 0) {
        SetClip(x, places.thumbTop, x + 32, places.thumbBottom);
        for (int ty = places.thumbTop; ty < places.thumbBottom; ty += int(thumb.height))
            DrawRecordFrame(thumb, x + 3, ty, thumb.drawFlags, 0);
    }
    gClip = saved;
    SetClip(0, 0, gScreenWidth, gScreenHeight);
    capTop.act = capBottom.act = 9002;
    capTop.qq = (flags & 1) ? 30 : 26;
    capBottom.qq = (flags & 2) ? 31 : 27;
    DrawActData(&capTop, x - 2, y - 16);
    DrawActData(&capBottom, x - 2, y + h);
    return places;
}

int DrawActGhost(ActRecord* record, int x, int y, int alpha, const char* tag) {
    if (!StepMenuAct(record, tag)) return 0;
    DrawRecordFrame(*record, x, y, (record->drawFlags & 0x80000003u) | kBlendAlpha, alpha);
    return 1;
}

int DrawActBorder(ActRecord* record, int x, int y) {
    if (!StepMenuAct(record, "Act Err(Menu::DrawActBorder)")) return 0;
    uint32_t white = MakeColour(31, 31, 31);
    const PicFrame* pic = GetTswPicture(record->picNumber, record->picFrame);
    if (pic && pic->data && !pic->palette && IsRleFrame(pic->data, pic->size)) {
        gCurPic = pic->data;
        DrawOutlined(x - int32_t(record->hotX), y - int32_t(record->hotY), pic->width, pic->height,
                     kBlendOutline | kFlagRle, &white);
    }
    DrawRecordFrame(*record, x, y, record->drawFlags & 0x80000003u, 0);
    return 1;
}

int DrawActAlpha(ActRecord* record, int x, int y, int alpha) {
    return DrawActGhost(record, x, y, alpha, "Act Err(Menu::DrawActAlpha)");
}

void ShowBlackScreen() {
    Surface* back = gBackBuffer;
    uint16_t* pixels = back ? LockBackBuffer(back) : nullptr;
    if (!pixels) return;
    auto* bytes = reinterpret_cast<uint8_t*>(pixels);
    for (int row = 0; row < back->height; ++row) std::memset(bytes + size_t(row) * size_t(back->pitch), 0, size_t(back->width) * 2);
    UnlockBackBuffer(back, pixels);
    gDisplay.Blt(gBackBuffer);
}

void ResetMenuWidgets() { gReported.clear(); }

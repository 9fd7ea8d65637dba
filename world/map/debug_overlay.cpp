#include "world/map/debug_overlay.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "base/game_state.h"
#include "base/settings.h"
#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "media/music.h"
#include "world/debug/debug_keys.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_render.h"
#include "world/map/map_texts.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"
#include "world/walk/map_events.h"
#include "world/walk/player_walk.h"
#include "world/walk/walk_cells.h"

namespace {

constexpr uint16_t kOverlayColour = 0xFFFF;
constexpr int kBarLevels = 32;

void AddLine(OverlayText* out, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

void AddLine(OverlayText* out, const char* format, ...) {
    if (out->count >= kOverlayMaxLines) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(out->lines[out->count++], kOverlayLineBytes, format, args);
    va_end(args);
}

const char* RepeatText(uint32_t repeat) { return repeat == 1 ? "Rep1" : repeat == 2 ? "Cyc2" : ""; }

// The repeat of a music mode (1..3); none for the stopped state.
uint32_t ModeRepeat(uint32_t mode) { return mode >= 1 && mode <= uint32_t(kMusicModes) ? gMusic.repeat[mode - 1] : 0; }

uint32_t KeysDown() {
    uint32_t mask = 0;
    for (int k = 0; k < kGameKeys; ++k)
        if (gKeyState[k].framesHeld != 0) mask |= 1u << k;
    return mask;
}

bool FlagSet(uint32_t n) { return n < uint32_t(kStoryFlagCount) && IsFlag(int(n)); }

void AddPointLine(OverlayText* out, int32_t cx, int32_t cy) {
    if (!CellInMap(cx, cy)) return;
    const uint32_t event = CellAt(cx, cy) & 0xFF;
    if (event == 0) return;
    const MapPoint* point = FindNodeById(event);
    if (!point) return AddLine(out, kTextOverlayNoPoint, int(event));
    const uint32_t flag = point->values[kPointFlag];
    AddLine(out, kTextOverlayPoint, int(point->number), int(point->values[kPointTalk] & 0x7FFF),
            FlagSet(flag) ? kTextOverlayClickable : kTextOverlayNotClickable, int(flag),
            MapEventBlocked(int(event)) ? kTextOverlayNotPassable : kTextOverlayPassable);
}

void AddRoleLines(OverlayText* out, int32_t cx, int32_t cy) {
    int found[kOverlayRoles];
    const int count = RolesAtCell(cx, cy, found, kOverlayRoles);
    for (int i = 0; i < std::min(count, kOverlayRoles); ++i) {
        const RoleRecord& r = gRole[found[i]];
        uint32_t value1 = 0, value2 = 0;
        RoleValue(r.guid, 1, &value1, 1);
        RoleValue(r.guid, 2, &value2, 1);
        AddLine(out, kTextOverlayRole, int(r.guid), r.act.act, r.act.qq, r.act.dir, int(value1), int(value2));
        AddLine(out, "[GUID %d] [Talk %d] [Path %d] [Argu %4x] [ArrIdx %d]", int(r.guid), int(r.talkNumber),
                int(r.pathNumber), r.flags, found[i]);
    }
    if (count > 1) AddLine(out, "%s", kTextOverlayOverlap);
}

} // namespace

void MapDebugLines(OverlayText* out) {
    out->count = 0;
    const RoleRecord* p = gPlayerRole < TotalRole && gPlayerRole < kMaxRoles ? &gRole[gPlayerRole] : nullptr;
    const double px = p ? p->x / double(kCellPixels) : 0, py = p ? p->y / double(kCellPixels) : 0;
    AddLine(out, "MAct[%4.1f/%4.1f] LTCor[%4d/%4d]", px, py, CellOfPixel(gCamera.left), CellOfPixel(gCamera.top));

    const int32_t mx = gKeyInput.mouseX, my = gKeyInput.mouseY;
    const int32_t cx = CellOfPixel(int64_t(gCamera.left) + mx), cy = CellOfPixel(int64_t(gCamera.top) + my);
    AddLine(out, "Mouse :OnMap[%4d/%4d] OnScr[%4d/%4d]", cx, cy, mx, my);
    AddLine(out, "MapID[%d] MapCyc[%d] %d", int(gCurrentMap), int(gTileAnimPeriod), int(gDebugKeys.mapSpeed));
    AddLine(out, "ULck[%x] UIpt[%x] gTm[%d] Fsc[%d] ,BtlM[%d] ,BtnIp[%d]", gDialogState, KeysDown(),
            int(gFrameDelta), int(gPlayerWalk.fastMode), int(gInBattle), gKeyInput.mouseButtons);
    AddLine(out, "T.Gd[%d] T.Tid[%d] dbg1[%d] dbg2[%d]", int(gTalkContext.guid), int(gTalkContext.talkNumber), 0, 0);
    AddLine(out, kTextOverlayMusic, int(gMusic.slots[0][0].id), int(gMusic.slots[0][1].id),
            int(gMusic.slots[1][0].id), int(gMusic.slots[1][1].id), int(gMusic.current.id),
            RepeatText(ModeRepeat(gMusic.currentMode)), RepeatText(gMusic.repeat[0]), RepeatText(gMusic.repeat[1]));
    AddPointLine(out, cx, cy);
    AddRoleLines(out, cx, cy);
}

void DrawColourMaskBars() {
    if (!gBackPixels) return;
    const uint32_t* tables[3] = {gRedSatTable, gGreenSatTable, gBlueSatTable};
    const int right = std::min<int>(gScreenWidth, kOverlayLeft + kBarLevels * kOverlayBarLevelWidth);
    for (int bar = 0; bar < 3; ++bar) {
        const int top = kOverlayBarTop + bar * kOverlayBarHeight;
        for (int y = top; y < top + kOverlayBarHeight && y < gScreenHeight; ++y) {
            uint16_t* row = BackPixel(0, y);
            for (int x = kOverlayLeft; x < right; ++x)
                row[x] = uint16_t(tables[bar][kBarLevels + (x - kOverlayLeft) / kOverlayBarLevelWidth]);
        }
    }
}

int DrawMapDebugOverlay() {
    if (gDebugAllowed == 0 || !gBackPixels) return 0;
    int drawn = 0;
    if (gDebugKeys.overlay[0]) {
        OverlayText text;
        MapDebugLines(&text);
        for (; drawn < text.count; ++drawn)
            PrintText(kOverlayLeft, drawn * kOverlayLineGap, kOverlayColour, 0, "%s", text.lines[drawn]);
    }
    if (gDebugKeys.overlay[1]) DrawColourMaskBars();
    return drawn;
}

#include "world/debug/cheat_dialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/input.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "draw/widgets.h"
#include "platform/plat_display.h"
#include "world/debug/cheat_model.h"
#include "world/map/map_render.h"

CheatView gCheatView;

namespace {

// How long one pass waits for events: about 30 passes a second.
constexpr uint32_t kPassMs = 33;
// A held key acts on its press, then every third pass after ten.
constexpr uint32_t kRepeatAfter = 10, kRepeatEvery = 3;

// Scan codes the dialog reads.
constexpr uint8_t kScanTab = 0x0F, kScanSpace = 0x39;
constexpr uint8_t kScanUp = 0xC8, kScanDown = 0xD0, kScanPageUp = 0xC9, kScanPageDown = 0xD1;
// The digit keys of the main block ('1'..'9', '0') and of the number pad.
constexpr uint8_t kDigitRow[10] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
constexpr uint8_t kDigitPad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};

// The panel's places.
constexpr int kPanelX = 48, kPanelY = 32, kPanelW = 544, kPanelH = 416;
constexpr int kTabX = 56, kTabY = 56, kTabW = 104, kTabH = 20, kTabsPerRow = 5;
constexpr int kListX = 56, kListY = 104, kListW = 480, kRowH = 18;
constexpr int kBodyY = kListY + kRowH;  // the first row under the headings
constexpr int kBarX = 540, kBarW = 16;
constexpr int kColumnX[kCheatColumns] = {60, 124, 328, 442};
constexpr int kFieldY = 350, kFieldH = 20;
constexpr int kLabelX[kCheatFields] = {56, 176, 336};
constexpr int kFieldX[kCheatFields] = {100, 220, 408};
constexpr int kFieldW[kCheatFields] = {60, 100, 60};
constexpr int kButtonX = 56, kButtonY = 392, kButtonW = 88, kButtonH = 24, kButtonGap = 100;

// Texts: the caption, the field labels and the buttons (Big5).
constexpr char kCaption[] = "Cheating";
const char* const kFieldLabel[kCheatFields] = {
    "\xB8\xB9\xBD\x58",          // number
    "\xBC\xC6\xB6\x71",          // count
    "\xAA\xFE\xA5\x5B\xAD\xC8",  // extra value
};
const char* const kButtonLabel[kCheatButtons] = {
    "\xA5\xFE\xBA\xA1",  // full
    "\xA7\x52\xB0\xA3",  // delete
    "\xA5\x5B\xA4\x4A",  // add
    "\xAD\xD7\xA7\xEF",  // modify
    "\xB5\xB2\xA7\xF4",  // close
};

struct Rect {
    int x, y, w, h;
    bool Holds(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

Rect TabRect(int t) { return {kTabX + (t % kTabsPerRow) * kTabW, kTabY + (t / kTabsPerRow) * (kTabH + 2), kTabW - 4, kTabH}; }
Rect BodyRect() { return {kListX, kBodyY, kListW, kCheatVisibleRows * kRowH}; }
Rect ScrollUpRect() { return {kBarX, kBodyY, kBarW, kBarW}; }
Rect ScrollDownRect() { return {kBarX, kBodyY + kCheatVisibleRows * kRowH - kBarW, kBarW, kBarW}; }
Rect TrackRect() { return {kBarX, kBodyY + kBarW, kBarW, kCheatVisibleRows * kRowH - 2 * kBarW}; }
Rect FieldRect(int f) { return {kFieldX[f], kFieldY, kFieldW[f], kFieldH}; }
Rect ButtonRect(int b) { return {kButtonX + b * kButtonGap, kButtonY, kButtonW, kButtonH}; }

// The thumb's span in the track.
void ThumbSpan(int* top, int* bottom) {
    const Rect t = TrackRect();
    const int rows = std::max<int>(int(gCheat.rows.size()), 1);
    const int shown = std::min(rows, kCheatVisibleRows);
    *top = t.y + t.h * gCheat.top / rows;
    *bottom = std::min(t.y + t.h, *top + std::max(4, t.h * shown / rows));
}

bool FocusUsable(int focus) {
    if (focus < kCheatFocusButton0) return CheatFieldEnabled(focus);
    return CheatButtonEnabled(focus - kCheatFocusButton0);
}

void MoveFocus() {
    for (int step = 1; step <= kCheatFocusCount; ++step) {
        const int f = (gCheatView.focus + step) % kCheatFocusCount;
        if (FocusUsable(f)) {
            gCheatView.focus = f;
            return;
        }
    }
}

void ChangeTab(int tab) {
    CheatSelectTab((tab + kCheatTabs) % kCheatTabs);
    if (!FocusUsable(gCheatView.focus)) MoveFocus();
}

void MoveSelection(int to) {
    const int rows = int(gCheat.rows.size());
    if (rows == 0) return;
    CheatSelectRow(std::clamp(to, 0, rows - 1));
    CheatScrollTo(gCheat.selected, kCheatVisibleRows);
}

// The press, then the repeats of a held key.
bool Acts(const uint8_t keys[256], uint8_t code, bool repeats) {
    if (!(keys[code] & 0x80)) return false;
    const uint32_t held = gCheatView.heldPasses[code];
    if (held == 1) return true;
    return repeats && held > kRepeatAfter && (held - kRepeatAfter) % kRepeatEvery == 0;
}

void Keys(const uint8_t keys[256]) {
    CheatView& v = gCheatView;
    for (int c = 0; c < 256; ++c) v.heldPasses[c] = (keys[c] & 0x80) ? v.heldPasses[c] + 1 : 0;
    if (Acts(keys, kScanEsc, false)) {
        gCheat.result = 1;
        return;
    }
    if (Acts(keys, kScanTab, true)) MoveFocus();
    if (Acts(keys, kScanLeft, true)) ChangeTab(gCheat.tab - 1);
    if (Acts(keys, kScanRight, true)) ChangeTab(gCheat.tab + 1);
    const int sel = gCheat.selected;
    if (Acts(keys, kScanUp, true)) MoveSelection(sel < 0 ? 0 : sel - 1);
    if (Acts(keys, kScanDown, true)) MoveSelection(sel + 1);
    if (Acts(keys, kScanPageUp, true)) MoveSelection(std::max(sel, 0) - kCheatVisibleRows);
    if (Acts(keys, kScanPageDown, true)) MoveSelection(std::max(sel, 0) + kCheatVisibleRows);
    if (Acts(keys, kScanHome, false)) MoveSelection(0);
    if (Acts(keys, kScanEnd, false)) MoveSelection(int(gCheat.rows.size()) - 1);
    if (v.focus < kCheatFocusButton0) {
        for (int d = 0; d < 10; ++d) {
            if (Acts(keys, kDigitRow[d], true) || Acts(keys, kDigitPad[d], true)) CheatTypeDigit(v.focus, char('0' + d));
        }
        if (Acts(keys, kScanBackspace, true)) CheatErase(v.focus);
    } else if (Acts(keys, kScanEnter, false) || Acts(keys, kScanSpace, false)) {
        CheatPressButton(v.focus - kCheatFocusButton0);
    }
}

void Click(int x, int y) {
    const CheatControl c = CheatControlAt(x, y);
    switch (c.kind) {
    case kCheatAtTab: ChangeTab(c.index); break;
    case kCheatAtRow: CheatSelectRow(c.index); break;
    case kCheatAtScrollUp: CheatScroll(-1, kCheatVisibleRows); break;
    case kCheatAtScrollDown: CheatScroll(1, kCheatVisibleRows); break;
    case kCheatAtTrackUp: CheatScroll(-kCheatVisibleRows, kCheatVisibleRows); break;
    case kCheatAtTrackDown: CheatScroll(kCheatVisibleRows, kCheatVisibleRows); break;
    case kCheatAtField:
        if (CheatFieldEnabled(c.index)) gCheatView.focus = c.index;
        break;
    case kCheatAtButton:
        if (!CheatButtonEnabled(c.index)) break;
        gCheatView.focus = kCheatFocusButton0 + c.index;
        CheatPressButton(c.index);
        break;
    default: break;
    }
}

// ---- Drawing ---------------------------------------------------------------

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

void Fill(const Rect& r, uint16_t colour) {
    for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, int(gScreenHeight)); ++y) {
        for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, int(gScreenWidth)); ++x) *BackPixel(x, y) = colour;
    }
}

void Outline(const Rect& r, uint16_t colour) {
    Fill({r.x, r.y, r.w, 1}, colour);
    Fill({r.x, r.y + r.h - 1, r.w, 1}, colour);
    Fill({r.x, r.y, 1, r.h}, colour);
    Fill({r.x + r.w - 1, r.y, 1, r.h}, colour);
}

void Text(int x, int y, const std::string& text, uint16_t colour, int clipWidth = 0) {
    if (text.empty() || !gFontSmall.HasCache()) return;
    if (clipWidth > 0) gFontSmall.SetTextClip(x, y, clipWidth, kRowH);
    gFontSmall.DrawTextStr(gBackPixels, x, y, text.c_str(), colour, kTextPlain);
    if (clipWidth > 0) gFontSmall.SetTextClip(0, 0, gScreenWidth, gScreenHeight);
}

void DrawTabs() {
    for (int t = 0; t < kCheatTabs; ++t) {
        const Rect r = TabRect(t);
        const bool on = t == gCheat.tab;
        Fill(r, on ? Colour(6, 10, 18) : Colour(3, 4, 7));
        Outline(r, on ? Colour(31, 31, 31) : Colour(14, 14, 16));
        Text(r.x + 4, r.y + 3, CheatTabLabel(t), on ? Colour(31, 31, 20) : Colour(24, 24, 24), r.w - 6);
    }
}

void DrawList() {
    const uint16_t text = Colour(28, 28, 28), head = Colour(31, 28, 12);
    Fill({kListX, kListY, kListW, kRowH}, Colour(5, 5, 9));
    for (int c = 0; c < kCheatColumns; ++c) Text(kColumnX[c], kListY + 3, gCheat.heading[c], head);
    const Rect body = BodyRect();
    Fill(body, Colour(1, 1, 3));
    Outline({kListX - 1, kListY - 1, kListW + 2, body.y + body.h - kListY + 2}, Colour(14, 14, 16));
    for (int line = 0; line < kCheatVisibleRows; ++line) {
        const int row = gCheat.top + line;
        if (row >= int(gCheat.rows.size())) break;
        const int y = body.y + line * kRowH;
        if (row == gCheat.selected) Fill({body.x, y, body.w, kRowH}, Colour(4, 8, 20));
        for (int c = 0; c < kCheatColumns; ++c) {
            const int right = c + 1 < kCheatColumns ? kColumnX[c + 1] : kListX + kListW;
            Text(kColumnX[c], y + 3, gCheat.rows[size_t(row)].cell[c], text, right - kColumnX[c] - 4);
        }
    }
    // The scroll bar: two arrows and the thumb in its track.
    const uint16_t frame = Colour(14, 14, 16);
    Fill(TrackRect(), Colour(2, 2, 4));
    for (const Rect& r : {ScrollUpRect(), ScrollDownRect()}) {
        Fill(r, Colour(6, 6, 10));
        Outline(r, frame);
    }
    Text(kBarX + 4, ScrollUpRect().y + 2, "^", text);
    Text(kBarX + 4, ScrollDownRect().y + 2, "v", text);
    int top = 0, bottom = 0;
    ThumbSpan(&top, &bottom);
    Fill({kBarX + 2, top, kBarW - 4, bottom - top}, Colour(16, 16, 20));
}

void DrawFields() {
    for (int f = 0; f < kCheatFields; ++f) {
        const bool on = CheatFieldEnabled(f);
        const Rect r = FieldRect(f);
        Text(kLabelX[f], kFieldY + 4, kFieldLabel[f], on ? Colour(28, 28, 28) : Colour(14, 14, 14));
        Fill(r, on ? Colour(0, 0, 2) : Colour(4, 4, 4));
        Outline(r, gCheatView.focus == f ? Colour(31, 31, 12) : Colour(14, 14, 16));
        std::string shown = gCheat.field[f];
        if (gCheatView.focus == f && (gCheatView.passes / 8) % 2 == 0) shown += '_';
        Text(r.x + 4, r.y + 4, shown, Colour(31, 31, 31));
    }
}

void DrawButtons() {
    for (int b = 0; b < kCheatButtons; ++b) {
        const bool on = CheatButtonEnabled(b);
        const Rect r = ButtonRect(b);
        Fill(r, on ? Colour(8, 8, 14) : Colour(4, 4, 5));
        Outline(r, gCheatView.focus == kCheatFocusButton0 + b ? Colour(31, 31, 12) : Colour(18, 18, 20));
        Text(r.x + (r.w - 24) / 2, r.y + 6, kButtonLabel[b], on ? Colour(31, 31, 31) : Colour(12, 12, 12));
    }
}

// The dialog's own pointer: an arrow at the game's mouse position.
void DrawPointer() {
    const uint16_t edge = Colour(0, 0, 0), body = Colour(31, 31, 31);
    for (int row = 0; row < 12; ++row) {
        const int width = std::min(row + 1, 12 - row / 2);
        for (int col = 0; col < width; ++col) {
            const int x = gCheatView.pointerX + col, y = gCheatView.pointerY + row;
            if (x < 0 || y < 0 || x >= gScreenWidth || y >= gScreenHeight) continue;
            *BackPixel(x, y) = (col == 0 || col == width - 1 || row == 11) ? edge : body;
        }
    }
}

// ---- The loop --------------------------------------------------------------

bool LockScreen() {
    if (!gBackBuffer) return false;
    gBackPixels = LockBackBuffer(gBackBuffer);
    return gBackPixels != nullptr;
}

void UnlockScreen() { UnlockBackBuffer(gBackBuffer, gBackPixels); }

void TakeUnder() {
    gCheatView.under.clear();
    if (!LockScreen()) return;
    gCheatView.under.resize(size_t(gScreenWidth) * size_t(gScreenHeight));
    for (int y = 0; y < gScreenHeight; ++y) std::memcpy(&gCheatView.under[size_t(y) * gScreenWidth], BackPixel(0, y), size_t(gScreenWidth) * 2);
    UnlockScreen();
}

// Puts the picture taken at the opening back on the locked back buffer.
void RestoreUnder() {
    if (gCheatView.under.size() != size_t(gScreenWidth) * size_t(gScreenHeight)) return;
    for (int y = 0; y < gScreenHeight; ++y) std::memcpy(BackPixel(0, y), &gCheatView.under[size_t(y) * gScreenWidth], size_t(gScreenWidth) * 2);
}

void Present() {
    if (!LockScreen()) return;
    RestoreUnder();
    DrawCheatDialog();
    DrawPointer();
    UnlockScreen();
    if (gDisplay.IsOpen()) gDisplay.Blt(gBackBuffer);
}

void Pass() {
    PlatEvent e{};
    while (PlatPollEvent(&e)) {
        if (e.kind == kPlatEventQuit) gCheatView.windowClosed = true;
    }
    if (gCheatView.windowClosed) return;
    gInput.ReadKeyboard();
    uint8_t keys[256];
    for (int c = 0; c < 256; ++c) keys[c] = gInput.IsKeyDown(c) ? 0x80 : 0;
    int32_t x = 0, y = 0;
    const int buttons = gInput.ReadMouse(&x, &y);
    CheatDialogInput(keys, x, y, buttons);
}

} // namespace

CheatControl CheatControlAt(int x, int y) {
    for (int t = 0; t < kCheatTabs; ++t) {
        if (TabRect(t).Holds(x, y)) return {kCheatAtTab, t};
    }
    if (BodyRect().Holds(x, y)) {
        const int row = gCheat.top + (y - kBodyY) / kRowH;
        return row < int(gCheat.rows.size()) ? CheatControl{kCheatAtRow, row} : CheatControl{};
    }
    if (ScrollUpRect().Holds(x, y)) return {kCheatAtScrollUp, 0};
    if (ScrollDownRect().Holds(x, y)) return {kCheatAtScrollDown, 0};
    if (TrackRect().Holds(x, y)) {
        int top = 0, bottom = 0;
        ThumbSpan(&top, &bottom);
        if (y < top) return {kCheatAtTrackUp, 0};
        if (y >= bottom) return {kCheatAtTrackDown, 0};
        return {};
    }
    for (int f = 0; f < kCheatFields; ++f) {
        if (FieldRect(f).Holds(x, y)) return {kCheatAtField, f};
    }
    for (int b = 0; b < kCheatButtons; ++b) {
        if (ButtonRect(b).Holds(x, y)) return {kCheatAtButton, b};
    }
    return {};
}

void CheatDialogInput(const uint8_t keys[256], int pointerX, int pointerY, int buttons) {
    CheatView& v = gCheatView;
    ++v.passes;
    Keys(keys);
    if (gCheat.result != 0) return;
    v.pointerX = std::clamp(pointerX, 0, 639);
    v.pointerY = std::clamp(pointerY, 0, 479);
    const bool down = (buttons & 1) != 0;
    if (down && !v.pointerDown) Click(v.pointerX, v.pointerY);
    v.pointerDown = down;
}

void DrawCheatDialog() {
    if (!gBackPixels) return;
    DrawFramedBox(kPanelX, kPanelY, kPanelW, kPanelH, kFillEighth, 0, 0, 0);
    if (gFontMedium.HasCache()) gFontMedium.DrawTextStr(gBackPixels, kPanelX + 8, kPanelY + 2, kCaption, Colour(31, 31, 31), kTextPlain);
    DrawTabs();
    DrawList();
    DrawFields();
    DrawButtons();
}

int RunCheatDialog() {
    gGameRunning = 0;
    ResetCheatDialog();
    CheatInitDialog();
    // Keys and a button already down (the key that opened the dialog) are
    // no presses.
    gInput.ReadKeyboard();
    for (int c = 0; c < 256; ++c) gCheatView.heldPasses[c] = gInput.IsKeyDown(c) ? 2 : 0;
    int32_t x = 0, y = 0;
    gCheatView.pointerDown = (gInput.ReadMouse(&x, &y) & 1) != 0;
    gCheatView.pointerX = std::clamp<int>(x, 0, 639);
    gCheatView.pointerY = std::clamp<int>(y, 0, 479);
    TakeUnder();
    while (gCheat.result == 0) {
        Pass();
        if (gCheatView.windowClosed) break;
        Present();
        ServiceSound();
        PlatWaitEvent(kPassMs);
    }
    // Put the game's picture back; the next frame draws over it anyway.
    if (LockScreen()) {
        RestoreUnder();
        UnlockScreen();
    }
    gCheatView.under.clear();
    gCheatView.under.shrink_to_fit();
    const bool closedWindow = gCheatView.windowClosed;
    gCheat.rows.clear();
    if (closedWindow) {
        if (gRequestClose) gRequestClose();
        return 0;
    }
    // Whatever the dialog answers, the game goes on where it was.
    gGameRunning = 1;
    return 1;
}

void ResetCheatDialog() {
    gCheatView = CheatView{};
}

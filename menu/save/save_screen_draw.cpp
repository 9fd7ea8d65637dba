// Drawing of the save/load screen: the slot list with the previews, the
// overwrite question, the arrows and the pointer, and the flag editor's page.
// It reads the screen's state and changes nothing but the act records it
// steps and the blink counter.
#include <cstdio>
#include <cstring>

#include "base/errorbox.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pic_number.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "menu/frame/menu_widgets.h"
#include "menu/save/save_screen.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

namespace {

constexpr uint16_t kBackgroundAct = 9002;
constexpr uint16_t kArrowSheet = 9051;
constexpr uint16_t kCursorAct = 9001;
constexpr uint16_t kFramePicture = 9019;
constexpr int kRowHeight = 140;
constexpr int kGlyphWidth = 8; // medium font: 8 pixels a byte

// "No saved game", "Save damaged", "Overwrite?", "  Yes  No", "%d level",
// hours, minutes, seconds.
constexpr char kNoSaveText[] = "\xA8\x53\xA6\xB3\xA6\x73\xC0\xC9\xB8\xEA\xB0\x54";
constexpr char kDamagedText[] = "\xA6\x73\xC0\xC9\xB7\x6C\xB7\xB4";
constexpr char kOverwriteText[] = "\xAD\x6E\xC2\xD0\xBB\x5C\xB6\xDC\x3F";
constexpr char kAnswersText[] = "\x20\x20\xAC\x4F\x20\x20\xA7\x5F";
constexpr char kLevelFormat[] = "%d\xAF\xC5";
constexpr char kPlayTimeFormat[] = "%02u\xAE\xC9%02u\xA4\xC0%02u\xAC\xED";

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

void Text(int x, int y, const char* text, uint16_t colour) {
    if (!gBackPixels || !gFontMedium.HasCache()) return;
    gFontMedium.DrawTextStr(gBackPixels, x, y, text, colour, kTextPlain);
}

void TextRightAligned(int right, int y, const char* text, uint16_t colour) {
    Text(right - kGlyphWidth * int(std::strlen(text)), y, text, colour);
}

// Stored pixels at (x, y) in the screen's layout, clipped to the screen.
void DrawThumbnail(const std::vector<uint8_t>& stored, int x, int y) {
    if (stored.size() != kSaveThumbSize) return;
    uint16_t row[160];
    for (int r = 0; r < 120 && y + r < gScreenHeight; ++r) {
        for (int c = 0; c < 160; ++c) row[c] = uint16_t(stored[size_t(2 * (r * 160 + c))] | stored[size_t(2 * (r * 160 + c) + 1)] << 8);
        ToScreenFormat(row, 160);
        for (int c = 0; c < 160 && x + c < gScreenWidth; ++c) BackPixel(x + c, y + r)[0] = row[c];
    }
}

// Steps the act and draws its picture at (x, y) less its hot spot. A stream
// that cannot be found is told once in an opening of the screen, not every frame.
void DrawStepped(ActRecord* act, int x, int y, const char* caption, bool* shown) {
    if (!TakeActData(act)) {
        if (!*shown) ErrorBox(caption, "act[%d] qq[%d] dir[%d]", act->act, act->qq, act->dir);
        *shown = true;
        return;
    }
    DrawPictureFrame(act->picNumber, act->picFrame, x - int(act->hotX), y - int(act->hotY), act->drawFlags, 0);
}

void DrawPointer() {
    SaveScreen& s = gSaveScreen;
    if (s.cursor.act != kCursorAct || s.cursor.qq != int32_t(s.cursorKind)) {
        ResetActRecord(&s.cursor);
        s.cursor.act = kCursorAct;
        s.cursor.qq = int32_t(s.cursorKind);
    }
    DrawStepped(&s.cursor, gKeyInput.mouseX, gKeyInput.mouseY, "Act Err(RefrashCursor)", &s.cursorErrorShown);
}

void DrawAct(ActRecord* act, int x, int y) { DrawStepped(act, x, y, "Act Err(SaveLoad)", &gSaveScreen.actErrorShown); }

void DrawPreview(const SlotPreview& p, int top, bool selected, int row) {
    const uint16_t white = Colour(31, 31, 31);
    Text(200, top + 52, p.timeText, white);
    DrawThumbnail(p.thumbnail, 20, top + 52);
    if (!selected) FillMenuRect(20, top + 52, 160, 120, 0, 0, 0, 3);
    FillMenuRect(20, top + 156, 160, 14, -12, -12, -12, 1);
    const int length = int(strnlen(p.mapName, kSaveMapNameSize));
    Text(20 + (32 - length) * 3, top + 156, p.mapName, white);
    for (int m = 0; m < 4; ++m) {
        if (!p.present[size_t(m)]) continue;
        const int x = 224 + 72 * m;
        DrawAct(&gSaveScreen.portraits[row * 4 + m], x, top + 136);
        char level[16];
        std::snprintf(level, sizeof level, kLevelFormat, int(p.level[size_t(m)]));
        TextRightAligned(x + 56, top + 140, level, white);
    }
    DrawPicNumber(622, top + 60, int32_t(p.talkVar0 > 0x7FFFFFFF ? 0x7FFFFFFF : p.talkVar0));
    DrawActFrame(uint16_t(p.badgeSheet), 0, 602, top + 130);
    char played[32];
    std::snprintf(played, sizeof played, kPlayTimeFormat, p.playTime / 3600 % 100, p.playTime / 60 % 60, p.playTime % 60);
    TextRightAligned(620, top + 100, played, white);
}

void DrawQuestion(int row) {
    const int qy = kRowHeight * row + 70;
    const uint16_t white = Colour(31, 31, 31);
    DrawFrameWindow(kFramePicture, 400, qy, 500, qy + 50, 0, 0);
    Text(400, qy, kOverwriteText, white);
    FillMenuRect(44 * gSaveScreen.question + 180, qy + 24, 44, 24, 20, 13, 0, 5);
    Text(400, qy + 24, kAnswersText, white);
}

void DrawArrows() {
    const SaveScreen& s = gSaveScreen;
    const int y = gKeyInput.mouseY;
    if (gSlot + 2 < kSaveSlotCount) {
        DrawActFrame(kArrowSheet, 0, 304, 448);
        if (y >= 451 && y <= 484) DrawActFrame(kArrowSheet, 1, 304, 448 + s.bounce[1]);
    }
    if (gSlot - 2 >= 0) {
        DrawActFrame(kArrowSheet, 2, 304, 4);
        if (y >= 0 && y <= 29) DrawActFrame(kArrowSheet, 3, 304, 4 - s.bounce[0]);
    }
}

} // namespace

void DrawSlotList() {
    SaveScreen& s = gSaveScreen;
    ActRecord background{};
    ResetActRecord(&background);
    background.act = kBackgroundAct;
    background.qq = gSaveLoadLoading ? 12 : 0;
    DrawAct(&background, 0, 0);
    s.blink = (s.blink + 1) % 14;
    const int first = gSlot - gSlot % kSlotRows;
    const uint16_t white = Colour(31, 31, 31);
    for (int row = 0; row < kSlotRows; ++row) {
        const int top = kRowHeight * row;
        const bool selected = row == gSlot % kSlotRows;
        FillMenuRect(192, top + 50, 440, 124, 0, 0, 0, selected ? 4 : 2);
        const SlotPreview& p = s.previews[row];
        if (p.state == kPreviewReady) DrawPreview(p, top, selected, row);
        else if (p.state == kPreviewDamaged) Text(508, top + 156, kDamagedText, white);
        else Text(508, top + 156, kNoSaveText, white);
        if (selected) {
            DrawFrameWindow(kFramePicture, 22, top + 55, 178, top + 169, 0, kFrameNoFill);
            DrawFrameWindow(kFramePicture, 196, top + 55, 624, top + 169, 0, kFrameNoFill);
        }
        char number[8];
        std::snprintf(number, sizeof number, "%02d", first + row);
        Text(20, top + 52, number, white);
    }
    if (!gSaveLoadLoading && (s.question == kQuestionYes || s.question == kQuestionNo)) DrawQuestion(gSlot % kSlotRows);
    DrawArrows();
    DrawPointer();
}

void DrawFlagPage() {
    const uint16_t white = Colour(31, 31, 31), black = 0;
    const int cursor = gSaveScreen.flagCursor;
    const int first = kStoryFlagsShown * (cursor / kStoryFlagsShown);
    for (int i = 0; i < kStoryFlagsShown && first + i < kStoryFlagCount; ++i) {
        const int n = first + i, x = 100 * (i % 6), y = 32 + 22 * (i / 6);
        if (n == cursor) FillMenuRect(x, y, 100, 22, 31, 31, 31, 1);
        char cell[24];
        std::snprintf(cell, sizeof cell, "[%5d:  ]", n);
        Text(x, y, cell, n == cursor ? black : white);
        Text(x + 64, y, IsFlag(n) ? "@" : " ", 0xFF00);
    }
}

void DrawSaveScreen() {
    if (!gBackBuffer) return;
    gBackPixels = LockBackBuffer(gBackBuffer);
    UnlockBackBuffer(gBackBuffer, gBackPixels);
    if (!gBackPixels) return;
    SetClip(0, 0, gScreenWidth, gScreenHeight);
    if (gSaveLoadPage == kSavePageFlags) {
        for (int y = 0; y < gScreenHeight; ++y) std::memset(BackPixel(0, y), 0, size_t(gScreenWidth) * 2);
        DrawFlagPage();
    } else {
        DrawSlotList();
    }
    if (gDisplay.IsOpen()) gDisplay.Blt(gBackBuffer);
}

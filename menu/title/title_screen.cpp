#include "menu/title/title_screen.h"

#include <algorithm>
#include <cstring>

#include "base/game_state.h"
#include "base/input.h"
#include "base/nick_names.h"
#include "base/random.h"
#include "base/settings.h"
#include "draw/colour_ops.h"
#include "draw/dialog_node.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "media/music.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_options.h"
#include "menu/frame/menu_texts.h"
#include "menu/frame/menu_widgets.h"
#include "menu/menu_services.h"
#include "world/dialog/text_entry_box.h"
#include "world/new_game.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

TitleScreen gTitle;

namespace {

constexpr uint32_t kTitleRequest = 0x80000003u;
constexpr int32_t kFadeInStart = -6;
constexpr int32_t kTransitionStart = -120;
constexpr int32_t kActFade = 105;
constexpr int kTypistIdle = 40;
constexpr int kMusicFadeOut = 4;

struct FieldPlace {
    const char* text;
    uint32_t capacity;
    int32_t x, y;
    int32_t left, top, right, bottom; // where a click gives it the focus
    int nameOffset;                   // where its text goes in the name buffer
};
constexpr FieldPlace kFields[kTitleNameFields] = {
    {kTextNameFamily, 4, 290, 238, 285, 237, 339, 259, 0},
    {kTextNameGiven, 4, 378, 238, 373, 237, 429, 259, 6},
    {kTextNameNick, 8, 330, 280, 325, 279, 429, 301, 12},
};

bool Inside(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return x >= left && x <= right && y >= top && y <= bottom;
}

bool LeftDown() { return gKeyState[kMenuKeyMouseLeft].framesHeld > 0; }

void FocusField(int i) {
    gTitle.focus = i;
    gEditField = gTitle.fieldMade[i] ? &gTitle.fields[i] : nullptr;
}

void ReleaseFields() {
    for (int i = 0; i < kTitleNameFields; ++i) {
        gTitle.fields[i].Destroy();
        gTitle.fieldMade[i] = false;
    }
    gEditField = nullptr;
}

void OpenNameEntry() {
    SetFlag(kFlagEditField);
    ResetActRecord(&gTitle.typist);
    gTitle.typist.act = 1;
    gTitle.typist.qq = 0;
    gTitle.typistCountdown = 0;
    std::memset(gTitle.name, 0, sizeof gTitle.name);
    gTitle.fade = kTitleNameFade;
    for (int i = 0; i < kTitleNameFields; ++i) {
        const FieldPlace& f = kFields[i];
        gTitle.fieldMade[i] = gTitle.fields[i].Create(f.text, f.capacity, f.x, f.y) != nullptr;
    }
    FocusField(0);
}

// The typed names become the first member's row of the name table. The
// other rows go back to their defaults, so a new game never keeps the
// names of a game loaded before.
void CommitNameEntry() {
    for (int i = 0; i < kTitleNameFields; ++i)
        if (gTitle.fieldMade[i]) gTitle.fields[i].CopyOut(reinterpret_cast<char*>(gTitle.name) + kFields[i].nameOffset,
                                                          kFields[i].capacity + 1);
    ReleaseFields();
    InitNickNames();
    std::memcpy(gNickNames[0], gTitle.name, kNickRowBytes);
    gTitle.fade = kTitleFadeOut;
    ClearFlag(kFlagEditField);
}

void CancelNameEntry() {
    ReleaseFields();
    std::memset(gTitle.name, 0, sizeof gTitle.name);
    gTitle.state = kTitleChoosing;
    ClearFlag(kFlagEditField);
}

void StepTypist() {
    const bool keyDown = gInput.FirstKeyDown() != 0;
    int32_t& countdown = gTitle.typistCountdown;
    if (!keyDown) {
        if (countdown > 0) --countdown;
        if (countdown == 2) {
            gTitle.typist.act = 1;
            gTitle.typist.qq = Random(2) == 0 ? 13 : 76;
        }
    } else if (countdown == 0) {
        static constexpr int32_t kTyping[3] = {0, 10, 74};
        gTitle.typist.act = 1001;
        gTitle.typist.qq = kTyping[Random(3)];
        countdown = kTypistIdle;
    } else {
        countdown = kTypistIdle;
    }
}

void StepNameEntry() {
    StepTypist();
    const bool focusedMade = gTitle.focus >= 0 && gTitle.focus < kTitleNameFields && gTitle.fieldMade[gTitle.focus];
    const int32_t fieldState = focusedMade ? gTitle.fields[gTitle.focus].GetState() : kTextEditing;
    if (fieldState == kTextConfirmed || gTitle.mouseResult == 1) CommitNameEntry();
    else if (fieldState == kTextCancelled || gTitle.mouseResult == 2) CancelNameEntry();
}

void ActOnEntry() {
    switch (gTitle.entry) {
    case kEntryNewGame:
        gMenuRequest = 0;
        // The world's new game, then the menus' share of it (the saves'
        // is the save screen's new-game step).
        if (NewGame(1)) {
            InitMenu();
            SaveScreenNewGame();
        }
        break;
    case kEntryLoad:
        gMenuRequest = 0;
        OpenSaveScreen(3, 1, 1);
        break;
    case kEntryQuit: gGameMode |= kModeQuit; break;
    default: break;
    }
}

void StepTransition() {
    if (gMenu.pageId == 1) {
        const int32_t f = gTitle.fade;
        gMenu.fade = f < -90 ? f + 90 : (f <= -11 ? 0 : (-10 - f) * 3);
    } else if (gTitle.fade % 3 == 0) {
        AddRgbToPixels(gTitle.screenCopy.data(), int(gTitle.screenCopy.size()), -1, -1, -1);
    }
    if (++gTitle.fade < 0) return;
    gMenuRequest = kTitleRequest;
    gSaveLoadMode = gSaveLoadPage = gSaveLoadLoading = gSaveLoadKind = 0;
    gDialogCount = 0;  // no talk dialog waits for the player any more
    gTitle.screenCopy.clear();
    gTitle.screenCopy.shrink_to_fit();
    gMenu.fade = 0;
}

// The back buffer's pixels as one run (the menus draw on a whole screen).
uint16_t* ScreenPixels(int* count) {
    *count = 0;
    if (!gBackBuffer || !gBackBuffer->pixels || gBackBuffer->pitch != gBackBuffer->width * 2) return nullptr;
    *count = gBackBuffer->width * gBackBuffer->height;
    return gBackBuffer->pixels;
}

void DarkenScreen(int amount) {
    int count = 0;
    if (uint16_t* p = ScreenPixels(&count); p && amount > 0) AddRgbToPixels(p, count, -amount, -amount, -amount);
}

void ClearScreen() {
    int count = 0;
    if (uint16_t* p = ScreenPixels(&count)) std::fill(p, p + count, uint16_t(0));
}

void DrawEntries() {
    DrawActData(&gMenu.acts.background, 0, 0);
    const int32_t e = std::clamp(gTitle.entry, 0, 3);
    DrawActAlpha(&gMenu.acts.portrait[e], (e + 1) * 112, 320, 16);
}

void DrawNameEntry() {
    for (int i = 0; i < kTitleNameFields; ++i)
        if (gTitle.fieldMade[i]) DrawTextEntryBox(&gTitle.fields[i], i == gTitle.focus, 0);
    DrawActData(&gTitle.typist, 220, 254);
}

void DrawOptions() {
    DrawActData(&gMenu.acts.background, 0, 0);
    DrawFramedBox(152, 236, 400, 160, kFillEighth, 0, 0, 0);
    const uint16_t colour = uint16_t(MakeColour(21, 15, 8));
    static const struct {
        const char* text;
        int x;
    } kLabels[kOptionRows] = {{kTextSound, 196}, {kTextMusic, 196}, {kTextCache, 152}, {kTextMapEffects, 152},
                              {kTextTextSpeed, 152}};
    for (int row = 0; row < kOptionRows; ++row)
        DrawShadowText(kLabels[row].x, 240 + 32 * row, colour, 0, kLabels[row].text, gFontLarge);
    StepSpeedSample();
    DrawOptionValues(256, 240);
    FillMenuRect(147, 236 + 32 * std::clamp(gTitle.fade, 0, kOptionRows - 1), 410, 32, 20, 13, 0, kFillGradient);
}

void DrawTransition() {
    if (gMenu.pageId == 1) {
        ActRecord picture{};
        ResetActRecord(&picture);
        picture.act = 9002;
        picture.qq = 68;
        DrawActData(&picture, 0, 0);
        return;
    }
    int count = 0;
    uint16_t* p = ScreenPixels(&count);
    if (p && size_t(count) == gTitle.screenCopy.size()) std::copy(gTitle.screenCopy.begin(), gTitle.screenCopy.end(), p);
}

// Keys that move the entry in state 1, and the row in the options box.
void MoveEntry(int32_t to) {
    if (gTitle.state == kTitleChoosing) gTitle.entry = std::clamp(to, int32_t(kEntryNewGame), int32_t(kEntryQuit));
}
void MoveRow(int32_t to) {
    if (gTitle.state == kTitleOptions) gTitle.fade = std::clamp(to, 0, kOptionRows - 1);
}

bool OtherKeyDown() {
    const int shift = int(gKeyMap.k[kMenuKeyShift] & 0xFF);
    for (int code = 1; code < 256; ++code)
        if (code != shift && gInput.IsKeyDown(code)) return true;
    return false;
}

// Right Shift moves the focus when it is tapped alone: held together with
// a letter it is typing, not a move.
void TrackShiftTap() {
    if (!TitleNameEntryOpen()) {
        gTitle.shiftAlone = false;
        return;
    }
    const KeyState& shift = gKeyState[kMenuKeyShift];
    if (shift.framesHeld == 1) gTitle.shiftAlone = true;
    if (shift.framesHeld > 0 && OtherKeyDown()) gTitle.shiftAlone = false;
    if (shift.framesHeld == 0 && gTitle.shiftAlone) {
        gTitle.shiftAlone = false;
        FocusField((gTitle.focus + 1) % kTitleNameFields);
    }
}

void ChoosingMouse(int32_t x, int32_t y) {
    if (y < 321 || y > 383) return;
    for (int32_t e = 0; e < 4; ++e) {
        const int32_t left = 113 + 112 * e;
        if (x < left || x > left + 78) continue;
        gTitle.entry = e;
        if (gMenu.mouseButtons & kMouseLeftClick) TitleScreenConfirm();
        return;
    }
}

void NameEntryMouse(int32_t x, int32_t y) {
    if (gTitle.fade > 96 && (gMenu.mouseButtons & kMouseLeftSingle) && Inside(x, y, 377, 309, 437, 327))
        gTitle.mouseResult = 1;
    if (gTitle.fade < kTitleFadeOut && (gMenu.mouseButtons & kMouseLeftClick))
        for (int i = 0; i < kTitleNameFields; ++i)
            if (Inside(x, y, kFields[i].left, kFields[i].top, kFields[i].right, kFields[i].bottom)) FocusField(i);
    if (gMenu.mouseButtons & kMouseRightClick) gTitle.mouseResult = 2;
}

void OptionsMouse(int32_t x, int32_t y) {
    if (gMenu.mouseButtons & kMouseRightClick) {
        TitleScreenCancel();
        return;
    }
    if (!LeftDown() || x < 169 || x > 447) return;
    for (int row = 0; row < kOptionRows; ++row) {
        const int32_t top = 241 + 32 * row;
        if (y < top || y > top + 29) continue;
        gTitle.fade = row;
        if (x >= 256) SetOptionByPointer(row, (x - 256) / 16);
        return;
    }
}
} // namespace

bool TitleNameEntryOpen() {
    return gTitle.state == kTitleActing && gTitle.fade < kTitleFadeOut && gTitle.entry == kEntryNewGame;
}

void RegisterTitleScreen() {
    MenuPage page{};
    page.enter = TitleScreenEnter;
    page.slots.frame = TitleScreenUpdate;
    page.slots.cancel = TitleScreenCancel;
    page.slots.key2 = TitleKeyNextField;
    page.slots.key10 = TitleKeyNext;
    page.slots.down = TitleKeyDown;
    page.slots.up = TitleKeyUp;
    page.slots.pageDown = TitleKeyPageDown;
    page.slots.pageUp = TitleKeyPageUp;
    page.slots.left = TitleKeyLeft;
    page.slots.right = TitleKeyRight;
    page.slots.confirm = TitleScreenConfirm;
    page.slots.draw = DrawTitleScreen;
    RegisterMenuPage(kPageTitle, page);
}

void TitleScreenEnter() {
    ReleaseFields();
    gTitle.entry = kEntryNewGame;
    gTitle.fade = kFadeInStart;
    gTitle.state = kTitleFadingIn;
    gTitle.screenCopy.clear();
    gTitle.mouseResult = 0;
    RestartSpeedSample();
    const int32_t page = gMenu.pageId;
    if (page == 1 || page == 2) {
        gTitle.state = kTitleTransition;
        gTitle.fade = kTransitionStart;
        int count = 0;
        if (uint16_t* p = ScreenPixels(&count)) gTitle.screenCopy.assign(p, p + count);
    } else if (page == 3) {
        gTitle.state = kTitleChoosing;
        gTitle.entry = kEntryLoad;
        TitleScreenConfirm();
    }
}

void TitleScreenConfirm() {
    if (gTitle.state != kTitleChoosing) return;
    gTitle.fade = kTitleFadeOut;
    gTitle.state = kTitleActing;
    switch (gTitle.entry) {
    case kEntryNewGame: OpenNameEntry(); break;
    case kEntryQuit: gMusic.PlayMusic(kMusicFadeOut, 1, 15); break;
    case kEntryOptions:
        gTitle.fade = 0;
        gTitle.state = kTitleOptions;
        break;
    default: break;
    }
}

void TitleScreenCancel() {
    // While a name field is open, Esc belongs to the field: it ends the
    // entry there, and must not also act on the entries below.
    if (gTitle.state == kTitleChoosing) {
        gTitle.entry = kEntryQuit;
    } else if (gTitle.state == kTitleOptions) {
        gTitle.state = kTitleChoosing;
        WriteMenuSettings();
    }
}

void TitleScreenUpdate() {
    const int32_t x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    TrackShiftTap();
    if (gTitle.state == kTitleChoosing) ChoosingMouse(x, y);
    else if (gTitle.state == kTitleActing && gTitle.entry == kEntryNewGame) NameEntryMouse(x, y);
    else if (gTitle.state == kTitleOptions) OptionsMouse(x, y);
}

void TitleKeyDown() {
    MoveEntry(gTitle.entry + 1);
    MoveRow(gTitle.fade + 1);
}
void TitleKeyUp() {
    MoveEntry(gTitle.entry - 1);
    MoveRow(gTitle.fade - 1);
}
void TitleKeyPageDown() {
    MoveEntry(kEntryQuit);
    MoveRow(kOptionRows - 1);
}
void TitleKeyPageUp() {
    MoveEntry(kEntryNewGame);
    MoveRow(0);
}
void TitleKeyLeft() {
    MoveEntry(gTitle.entry - 1);
    if (gTitle.state == kTitleOptions) StepOption(gTitle.fade, -1);
}
void TitleKeyRight() {
    MoveEntry(gTitle.entry + 1);
    if (gTitle.state == kTitleOptions) StepOption(gTitle.fade, +1);
}
void TitleKeyNext() { MoveEntry(gTitle.entry + 1); }
// The focus moves on a tap of the key (TitleScreenUpdate), not on its press.
void TitleKeyNextField() {}

void StepTitleScreen() {
    switch (gTitle.state) {
    case kTitleFadingIn:
    case kTitleChoosing:
    case kTitleActing:
        if (gTitle.fade < 0 && ++gTitle.fade == 0) gTitle.state = kTitleChoosing;
        if (gTitle.state == kTitleActing && gTitle.fade < kTitleFadeOut && gTitle.entry == kEntryNewGame)
            StepNameEntry();
        else if (gTitle.state == kTitleActing && gTitle.fade >= kTitleFadeOut && ++gTitle.fade >= kActFade)
            ActOnEntry();
        break;
    case kTitleTransition: StepTransition(); break;
    default: break;
    }
}

void DrawTitleScreen() {
    const int32_t state = gTitle.state;
    const int32_t fadeBefore = gTitle.fade;
    if (state == kTitleTransition) DrawTransition();
    StepTitleScreen();
    if (gMenuRequest == 0 || gTitle.state == kTitleTransition) {
        if (gMenuRequest == 0 || gMenuRequest == kTitleRequest) ClearScreen();
        return;
    }
    if (state == kTitleOptions) {
        DrawOptions();
    } else {
        DrawEntries();
        if (fadeBefore < 0) DarkenScreen(5 * -fadeBefore);
        if (gTitle.state == kTitleActing && gTitle.fade < kTitleFadeOut && gTitle.entry == kEntryNewGame)
            DrawNameEntry();
        else if (gTitle.state == kTitleActing && gTitle.fade > kTitleFadeOut) DarkenScreen((gTitle.fade - 100) * 8);
    }
    gTitle.mouseResult = 0;
}

void ResetTitleScreen() {
    ReleaseFields();
    gTitle.screenCopy.clear();
    gTitle.state = gTitle.entry = gTitle.fade = gTitle.mouseResult = 0;
    gTitle.focus = 0;
    std::memset(gTitle.name, 0, sizeof gTitle.name);
    gTitle.typist = ActRecord{};
    gTitle.typistCountdown = 0;
    gTitle.shiftAlone = false;
}

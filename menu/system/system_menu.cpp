#include "menu/system/system_menu.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/edition.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_options.h"
#include "menu/frame/menu_texts.h"
#include "menu/menu_services.h"
#include "world/map/map.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

SystemMenu gSystem;

namespace {

constexpr int kSfxRefused = 139;
constexpr int kSfxKeyRow = 263;
constexpr int kSfxBadKey = 140;
constexpr int kSfxSwap = 184;
constexpr int kFlagNoSave = 18;
constexpr int kLeaveFirstStep = 30, kLeaveLastStep = 60;
constexpr uint32_t kTitleRequest = 0x80000003u;
constexpr int kKeyRowsAll = kSysRowDefaults + 1;


int RecordCount() { return int(gSystem.records.size()); }

void ResetRecordList() {
    gSystem.recordTop = gSystem.recordCursor = 0;
    gSystem.recordShown = std::min(kRecordRows, RecordCount());
}

void RecordsDown(int rows) {
    for (int i = 0; i < rows; ++i) {
        if (gSystem.recordCursor + 1 < gSystem.recordShown) {
            ++gSystem.recordCursor;
        } else if (gSystem.recordTop + kRecordRows < RecordCount()) {
            gSystem.recordTop += kRecordRows;
            gSystem.recordShown = std::min(kRecordRows, RecordCount() - gSystem.recordTop);
            gSystem.recordCursor = 0;
        }
    }
}

void RecordsUp(int rows) {
    for (int i = 0; i < rows; ++i) {
        if (gSystem.recordCursor > 0) {
            --gSystem.recordCursor;
        } else if (gSystem.recordTop > 0) {
            gSystem.recordTop = std::max(0, gSystem.recordTop - kRecordRows);
            gSystem.recordShown = std::min(kRecordRows, RecordCount() - gSystem.recordTop);
            gSystem.recordCursor = gSystem.recordShown - 1;
        }
    }
}

void StartLeaving() {
    gSystem.leaving = true;
    gSystem.leaveChoice = kLeaveFirstStep;
}

void SaveCarriedSpirit() {
    if (gSpiritSlot >= 1 && gSpiritSlot <= 5) SaveSpirit();
}

void FinishLeaving() {
    SystemMenuLeave();
    gSystem.leaving = false;
    gMenu.fade = 0;
    if (gSystem.leaveKind == 1) {
        ClearFrameInterval(0);
        gMenuRequest = 0;
        ClearFlag(kFlagGameInPlay);
        gGameMode |= kModeQuit;
    } else {
        gMenuRequest = kTitleRequest;
        gSaveLoadMode = gSaveLoadPage = gSaveLoadLoading = 0;
    }
    SaveCarriedSpirit();
}

void StepLeaving() {
    gMenu.fade = kLeaveFirstStep - gSystem.leaveChoice;
    if (++gSystem.leaveChoice >= kLeaveLastStep) FinishLeaving();
}

void ChooseEntry(int32_t to) {
    to = std::clamp(to, int32_t(kSysSave), int32_t(kSysLeave));
    if (to != gSystem.entry) MenuSfx(kMenuSfxMove);
    gSystem.entry = to;
}

void MoveKeyRow(int32_t to) {
    gSystem.keyRow = (to + kKeyRowsAll) % kKeyRowsAll;
    MenuSfx(kMenuSfxMove);
}

void InsideKey(int direction, bool page) {
    switch (gSystem.entry) {
    case kSysRecords:
        if (direction > 0) RecordsDown(page ? kRecordRows : 1);
        else RecordsUp(page ? kRecordRows : 1);
        break;
    case kSysSettings: {
        const int32_t to = page ? (direction > 0 ? kSysSettingsKeysRow : 0)
                                : std::clamp(gSystem.row + direction, 0, kSysSettingsKeysRow);
        if (to != gSystem.row) MenuSfx(kMenuSfxMove);
        gSystem.row = to;
        break;
    }
    case kSysLeave: gSystem.row = direction > 0 ? 1 : 0; break;
    default: break;
    }
}

// A key of the vertical family in every state.
void VerticalKey(int direction, bool page) {
    if (gSystem.leaving) return;
    switch (gSystem.state) {
    case kSysChoosing: ChooseEntry(page ? (direction > 0 ? kSysLeave : kSysSave) : gSystem.entry + direction); break;
    case kSysInside: InsideKey(direction, page); break;
    case kSysAsking: gSystem.leaveChoice = direction > 0 ? 1 : 0; break;
    case kSysKeyList:
        if (page) {
            gSystem.keyRow = direction > 0 ? kSysKeyRows - 1 : 0;
            MenuSfx(kMenuSfxMove);
        } else {
            MoveKeyRow(gSystem.keyRow + direction);
        }
        break;
    default: break;
    }
}

void SideKey(int direction) {
    if (gSystem.leaving) return;
    if (gSystem.state == kSysChoosing) ChooseEntry(gSystem.entry + direction);
    else if (gSystem.state == kSysAsking) gSystem.leaveChoice = direction > 0 ? 1 : 0;
    else if (gSystem.state == kSysInside && gSystem.entry == kSysSettings && gSystem.row < kOptionRows)
        StepOption(gSystem.row, direction);
}

bool KeyHeldByRow(int key, int* row) {
    for (int r = 0; r < kSysKeyRows; ++r)
        if (r != gSystem.keyRow && gSystem.edit.k[kSysRowSlot[r]] == uint32_t(key)) {
            *row = r;
            return true;
        }
    return false;
}

// ---- Mouse ----------------------------------------------------------------------

bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

void EntryBarMouse(int32_t x, int32_t y) {
    if (!(gMenu.mouseButtons & kMouseLeftClick) || !In(x, 213, 511) || !In(y, 59, 79)) return;
    gSystem.entry = std::clamp((x - 212) / 60, 0, int(kSysLeave));
    gSystem.state = kSysChoosing;
    SystemMenuConfirm();
    MenuSfx(kMenuSfxMove);
}

void KeyListMouse(int32_t x, int32_t y, bool click) {
    if (!click) return;
    if (In(x, 323, 511) && In(y, 105, 422)) {
        gSystem.keyRow = std::min((y - 104) / 20, kSysKeyRows - 1);
        SystemMenuConfirm();
    } else if (In(y, 445, 467)) {
        const int row = In(x, 394, 436) ? kSysRowApply : In(x, 439, 481) ? kSysRowDiscard
                                                        : In(x, 484, 580) ? kSysRowDefaults : -1;
        if (row < 0) return;
        gSystem.keyRow = row;
        SystemMenuConfirm();
    }
}

void SettingsMouse(int32_t x, int32_t y, bool click) {
    const bool down = gKeyState[kMenuKeyMouseLeft].framesHeld > 0;
    if (down && In(x, 215, 507)) {
        for (int row = 0; row < kOptionRows; ++row) {
            if (!In(y, 131 + 32 * row, 160 + 32 * row)) continue;
            gSystem.row = row;
            if (x >= 317) SetOptionByPointer(row, (x - 317) / 16);
            return;
        }
    }
    if (click && x > 94 && In(y, 291, 320)) {
        gSystem.row = kSysSettingsKeysRow;
        SystemMenuConfirm();
    }
}

void RecordsBarMouse(int32_t x, int32_t y) {
    if (RecordCount() <= kRecordRows || !IsKeyTriggered(kMenuKeyMouseLeft) || !In(x, 613, 627)) return;
    if (In(y, 117, 129)) RecordsUp(1);
    else if (In(y, 449, 461)) RecordsDown(1);
    else if (In(y, gSystem.bar.top, gSystem.bar.thumbBottom)) RecordsUp(kRecordRows);
    else if (In(y, gSystem.bar.thumbTop, gSystem.bar.bottom)) RecordsDown(kRecordRows);
}

// ---- Drawing ----------------------------------------------------------------------

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

void Text(int x, int y, const char* text, uint16_t colour = Colour(21, 15, 8)) {
    if (gBackPixels) gFontLarge.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

void DrawRecords() {
    for (int i = 0; i < gSystem.recordShown; ++i) {
        const int index = gSystem.recordTop + i;
        if (index >= RecordCount()) break;
        std::string text;
        if (MenuText(gSystem.records[size_t(index)], &text)) DrawMessageBox(text.c_str(), 240, 110 + 70 * i, 3, 340, 2);
    }
    if (RecordCount() > kRecordRows) {
        const float total = float(RecordCount());
        gSystem.bar = DrawBar(613, 133, 312, 0, float(gSystem.recordTop) / total,
                              float(gSystem.recordTop + gSystem.recordShown) / total);
    }
}

void DrawSettings() {
    static const char* const kLabels[6] = {kTextSound, kTextMusic, kTextCache, kTextMapEffects, kTextTextSpeed, kTextKeys};
    for (int row = 0; row < 6; ++row) Text(215, 133 + 32 * row, kLabels[row]);
    StepSpeedSample();
    DrawOptionValues(317, 131);
    FillMenuRect(210, 128 + 32 * gSystem.row, 400, 32, 20, 13, 0, kFillGradient);
    Text(544, 345, gEdition.versionText);
}

void DrawKeyList() {
    char name[32];
    for (int row = 0; row < kSysKeyRows; ++row) {
        const bool waiting = gSystem.state == kSysKeyWaiting && row == gSystem.keyRow;
        Text(330, 104 + 20 * row, waiting ? kTextPressKey : KeyName(gSystem.edit.k[kSysRowSlot[row]], name, sizeof name));
    }
    Text(390, 445, kTextKeyButtons);
    if (gSystem.keyRow < kSysKeyRows) FillMenuRect(323, 104 + 20 * gSystem.keyRow, 188, 20, 20, 13, 0, kFillGradient);
}

constexpr int kAskX = 456;

void DrawLeave() {
    Text(480, 108, kTextEndGame);
    Text(480, 134, kTextRestart);
    FillMenuRect(477, 105 + 26 * gSystem.row, 106, 26, 20, 13, 0, kFillGradient);
    if (gSystem.state != kSysAsking || gSystem.leaving) return;
    // The question and its warning stand left of the rows, so that the
    // warning's eight characters end inside the screen.
    Text(kAskX, 180, gSystem.leaveKind == 1 ? kTextAskEnd : kTextAskRestart);
    Text(kAskX, 202, kTextProgressLost);
    Text(490, 228, kTextYes);
    Text(556, 228, kTextNo);
    FillMenuRect(483 + 66 * gSystem.leaveChoice, 226, 66, 24, 20, 13, 0, kFillGradient);
}
} // namespace

void RegisterSystemMenuPage() {
    MenuPage page{};
    page.firstId = 60;
    page.lastId = 62;
    page.enter = SystemMenuEnter;
    page.leave = SystemMenuLeave;
    page.draw = DrawSystemMenuPage;
    page.slots.frame = SystemMenuFrame;
    page.slots.cancel = SystemMenuCancel;
    page.slots.down = SystemKeyDown;
    page.slots.up = SystemKeyUp;
    page.slots.pageDown = SystemKeyPageDown;
    page.slots.pageUp = SystemKeyPageUp;
    page.slots.left = SystemKeyLeft;
    page.slots.right = SystemKeyRight;
    page.slots.confirm = SystemMenuConfirm;
    page.slots.draw = DrawSystemMenuPage;
    page.busy = SystemMenuBusy;
    RegisterMenuPage(kPageSystem, page);
}

int SystemMenuBusy() {
    return (gSystem.leaving || gSystem.state == kSysKeyChosen || gSystem.state == kSysKeyWaiting) ? 1 : 0;
}

bool SystemMenuMaySave() {
    return !IsFlag(kFlagNoSave) && !FindExitGroup(gCurrentMap, nullptr) && gCurrentMap != kNoSaveMap;
}

void SystemMenuEnter() {
    gMenu.member = kNoMember;
    gSystem.entry = kSysSave;
    gSystem.state = kSysChoosing;
    gSystem.row = 0;
    gSystem.leaving = false;
    gSystem.leaveKind = 0;
    gSystem.leaveChoice = 0;
    // Every set record flag has its number: up to 299 of them.
    gSystem.records.clear();
    for (int n = kRecordFirstFlag; n <= kRecordLastFlag; ++n)
        if (IsFlag(n)) gSystem.records.push_back(uint16_t(n - 3700));
    ResetRecordList();
    gSystem.keyRow = 0;
    gSystem.swapLatch = gSystem.returnHeld = false;
    gSystem.bar = BarPlaces{};
    RestartSpeedSample();
}

void SystemMenuLeave() {
    gSystem.records.clear();
    gSystem.records.shrink_to_fit();
    WriteMenuSettings();
}

void SystemMenuConfirm() {
    if (gSystem.leaving) return;
    switch (gSystem.state) {
    case kSysChoosing:
        switch (gSystem.entry) {
        case kSysSave:
            if (SystemMenuMaySave()) {
                OpenSaveScreen(1, 1, 0);
            } else {
                gSystem.state = kSysRefused;
                MenuSfx(kSfxRefused);
            }
            break;
        case kSysLoad: OpenSaveScreen(2, 1, 1); break;
        case kSysRecords:
            gSystem.state = kSysInside;
            ResetRecordList();
            break;
        default:
            gSystem.state = kSysInside;
            gSystem.row = 0;
            break;
        }
        break;
    case kSysInside:
        if (gSystem.entry == kSysSettings && gSystem.row == kSysSettingsKeysRow) {
            gSystem.state = kSysKeyList;
            gSystem.keyRow = 0;
            gSystem.edit = gKeyMap;
            MenuSfx(kMenuSfxMove);
        } else if (gSystem.entry == kSysLeave) {
            gSystem.state = kSysAsking;
            gSystem.leaveKind = gSystem.row == 0 ? 1 : 2;
            gSystem.leaveChoice = 0;
            if (gMenuStatus & kMenuStatusSaved) StartLeaving();
        }
        break;
    case kSysAsking:
        if (gSystem.leaveChoice == 0) StartLeaving();
        else gSystem.state = kSysInside;
        break;
    case kSysKeyList:
        if (gSystem.keyRow == kSysRowApply) {
            gKeyMap = gSystem.edit;
            SaveKeyMap();
            gSystem.state = kSysInside;
            MenuSfx(kMenuSfxMove);
        } else if (gSystem.keyRow == kSysRowDiscard) {
            gSystem.state = kSysInside;
            MenuSfx(kMenuSfxMove);
        } else if (gSystem.keyRow == kSysRowDefaults) {
            SetDefaultKeys();
            gSystem.edit = gKeyMap;
        } else {
            MenuSfx(kSfxKeyRow);
            gSystem.state = kSysKeyChosen;
        }
        break;
    case kSysKeyChosen:
        gSystem.state = kSysKeyWaiting;
        gSystem.returnHeld = gInput.IsKeyDown(int(gKeyMap.k[kMenuKeyReturn])) != 0;
        MenuSfx(kMenuSfxMove);
        break;
    case kSysRefused: gSystem.state = kSysChoosing; break;
    default: break;
    }
}

void SystemMenuCancel() {
    if (gSystem.leaving) return;
    switch (gSystem.state) {
    case kSysChoosing:
        --gMenu.depth;
        SystemMenuLeave();
        if (gMenu.depth < kDepthRoot) gMenuRequest = 0;
        SetMenuHandlers(gMenu.depth);
        break;
    case kSysInside: gSystem.state = kSysChoosing; break;
    case kSysAsking: gSystem.state = kSysInside; break;
    case kSysKeyList: gSystem.keyRow = kSysRowDiscard; break;
    case kSysKeyChosen: gSystem.state = kSysKeyList; break;
    // While a key is awaited, Esc and right Ctrl are keys to capture, not
    // a way out of the menu.
    case kSysKeyWaiting: break;
    case kSysRefused: gSystem.state = kSysChoosing; break;
    default: break;
    }
}

void SystemKeyDown() { VerticalKey(+1, false); }
void SystemKeyUp() { VerticalKey(-1, false); }
void SystemKeyPageDown() { VerticalKey(+1, true); }
void SystemKeyPageUp() { VerticalKey(-1, true); }
void SystemKeyLeft() { SideKey(-1); }
void SystemKeyRight() { SideKey(+1); }

void SystemMenuFrame() {
    if (gSystem.leaving) return;
    const int32_t x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    const bool click = (gMenu.mouseButtons & kMouseLeftClick) != 0;
    if (gMenu.mouseButtons & kMouseRightClick) {
        if (gSystem.state == kSysKeyWaiting) gInput.PressKey(kScanBackspace);
        SystemMenuCancel();
        return;
    }
    if (gSystem.state == kSysKeyWaiting || gSystem.state == kSysKeyChosen) return;
    if (gSystem.state == kSysRefused) {
        if (click) SystemMenuConfirm();
        return;
    }
    EntryBarMouse(x, y);
    if (gSystem.state == kSysKeyList) {
        KeyListMouse(x, y, click);
    } else if (gSystem.state == kSysInside && gSystem.entry == kSysSettings) {
        SettingsMouse(x, y, click);
    } else if (gSystem.state == kSysInside && gSystem.entry == kSysLeave) {
        if (In(x, 477, 583) && In(y, 105, 155)) {
            gSystem.row = std::min((y - 104) / 26, 1);
            if (click) SystemMenuConfirm();
        }
    } else if (gSystem.state == kSysAsking) {
        if (In(x, 484, 614) && In(y, 225, 253)) {
            gSystem.leaveChoice = std::min((x - 483) / 66, 1);
            if (click) SystemMenuConfirm();
        }
    }
    if (gSystem.entry == kSysRecords && (gSystem.state == kSysInside || gSystem.state == kSysAsking))
        RecordsBarMouse(x, y);
}

bool IsReservedKey(int code) {
    static constexpr int kReserved[] = {0x3A, 0x45, 0x46, 0x43, 0x44, 0x57, 0x58, 0x64,
                                        0x65, 0x66, 0xB7, 0xDB, 0xDC, 0xDD, 0x19};
    return std::find(std::begin(kReserved), std::end(kReserved), code) != std::end(kReserved);
}

void CaptureKey(int key) {
    if (gSystem.keyRow < 0 || gSystem.keyRow >= kSysKeyRows) {
        gSystem.state = kSysKeyList;
        return;
    }
    uint32_t& slot = gSystem.edit.k[kSysRowSlot[gSystem.keyRow]];
    if (gInput.IsKeyDown(kScanBackspace) && slot != kNoKey) {
        gSystem.state = kSysKeyList;
        MenuSfx(kSfxRefused);
        return;
    }
    if (gSystem.swapLatch) {
        gSystem.swapLatch = false;
        return;
    }
    const int returnKey = int(gKeyMap.k[kMenuKeyReturn]);
    if (!gInput.IsKeyDown(returnKey)) gSystem.returnHeld = false;
    if (key == returnKey && gSystem.returnHeld) return;
    if (key != 0 && uint32_t(key) == slot) {
        gSystem.state = kSysKeyList;
        return;
    }
    if (key == 0 || IsReservedKey(key)) {
        if (key != 0) {
            MenuSfx(kSfxBadKey);
            MenuSfx(kSfxBadKey);
        }
        return;
    }
    int other = -1;
    if (KeyHeldByRow(key, &other)) {
        gSystem.edit.k[kSysRowSlot[other]] = kNoKey;
        slot = uint32_t(key);
        gSystem.keyRow = other;
        gSystem.swapLatch = true;
        MenuSfx(kSfxSwap);
        return;
    }
    slot = uint32_t(key);
    gSystem.state = kSysKeyList;
    MenuSfx(kSfxRefused);
}

void StepSystemMenu() {
    if (gSystem.leaving) {
        StepLeaving();
        return;
    }
    if (gSystem.state == kSysKeyWaiting) CaptureKey(gInput.FirstKeyDown());
}

void DrawSystemMenuPage() {
    StepSystemMenu();
    if (gMenuRequest == 0 || gMenuRequest == kTitleRequest) return;
    static const char* const kEntries[5] = {kTextSave, kTextLoad, kTextRecords, kTextSettings, kTextLeave};
    for (int e = 0; e < 5; ++e) Text(222 + 60 * e, 60, kEntries[e]);
    FillMenuRect(213 + 60 * gSystem.entry, 59, 60, 21, 20, 13, 0, kFillGradient);
    if (gSystem.state == kSysRefused) {
        Text(300, 240, kTextCannotSave);
        return;
    }
    if (gSystem.state == kSysChoosing) return;
    switch (gSystem.entry) {
    case kSysRecords: DrawRecords(); break;
    case kSysSettings:
        if (gSystem.state >= kSysKeyList) DrawKeyList();
        else DrawSettings();
        break;
    case kSysLeave: DrawLeave(); break;
    default: break;
    }
}

const char* KeyName(uint32_t code, char* buffer, int size) {
    static const struct {
        uint32_t code;
        const char* name;
    } kNames[] = {
        {0x01, "Esc"},   {0x0E, "BackSpace"}, {0x0F, "Tab"},    {0x1C, "Enter"},  {0x1D, "LCtrl"},  {0x2A, "LShift"},
        {0x36, "RShift"}, {0x38, "LAlt"},    {0x39, "Space"},  {0x3B, "F1"},     {0x3C, "F2"},     {0x3D, "F3"},
        {0x3E, "F4"},    {0x3F, "F5"},       {0x40, "F6"},     {0x41, "F7"},     {0x42, "F8"},     {0x9D, "RCtrl"},
        {0xB8, "RAlt"},  {0xC7, "Home"},     {0xC8, "Up"},     {0xC9, "PgUp"},   {0xCB, "Left"},   {0xCD, "Right"},
        {0xCF, "End"},   {0xD0, "Down"},     {0xD1, "PgDn"},   {0xD2, "Insert"}, {0xD3, "Delete"},
    };
    static const char kRows[3][11] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static constexpr uint32_t kRowStart[3] = {0x10, 0x1E, 0x2C};
    for (const auto& n : kNames)
        if (n.code == code) return n.name;
    for (int r = 0; r < 3; ++r)
        if (code >= kRowStart[r] && code < kRowStart[r] + 10 && kRows[r][code - kRowStart[r]] != 0) {
            std::snprintf(buffer, size_t(size), "%c", kRows[r][code - kRowStart[r]]);
            return buffer;
        }
    if (code >= 0x02 && code <= 0x0B) {
        std::snprintf(buffer, size_t(size), "%c", code == 0x0B ? '0' : char('1' + code - 0x02));
        return buffer;
    }
    if (code == kNoKey) return "--";
    std::snprintf(buffer, size_t(size), "0x%02X", unsigned(code));
    return buffer;
}

void ResetSystemMenu() { gSystem = SystemMenu{}; }

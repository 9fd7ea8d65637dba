#include "menu/frame/menu_frame.h"
#include "menu/save/save_screen.h"

#include <algorithm>
#include <cstdio>

#include "base/errorbox.h"
#include "base/file.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_pages.h"
#include "menu/items/item_menu.h"
#include "menu/save/save_state.h"
#include "platform/plat_file.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

SaveScreen gSaveScreen;
int32_t gSlot;

namespace {

constexpr int kLastSlot = kSaveSlotCount - 1;
constexpr uint32_t kTitleRequest = 0x80000003u;
constexpr int kSfxMove = 263;
constexpr int kSfxPage = 194;
constexpr int kSfxNoSave = 184;
constexpr uint32_t kCursorMenu = 13;

// Game keys of this screen.
enum : int {
    kKeyCancel = 0,
    kKeyPageUp = 7,
    kKeyPageDown = 8,
    kKeyCancel2 = 9,
};

// "Save failed" / "Load failed"
constexpr char kSaveFailedCaption[] = "\xA6\x73\xC0\xC9\xA5\xA2\xB1\xD1";
constexpr char kLoadFailedCaption[] = "\xC5\xAA\xA8\xFA\xA5\xA2\xB1\xD1";

void TitleScreenEnterStandIn() {}
void SystemMenuLeaveStandIn() {}


const KeyState& Key(int n) { return gKeyState[n]; }
bool Pressed(int n) { return Key(n).state != 0 && Key(n).framesHeld == 1; }
// A press, then every second frame of a hold past 10 frames.
bool Triggered(int n) {
    const KeyState& k = Key(n);
    return k.state != 0 && (k.framesHeld == 1 || (k.framesHeld > 10 && k.framesHeld % 2 == 0));
}
bool SingleClick(int n) { return Key(n).state == 1 && Key(n).framesHeld == 1; }
bool DoubleClick(int n) { return Key(n).state == 2 && Key(n).framesHeld == 1; }

int Row() { return gSlot % kSlotRows; }
const SlotPreview& SelectedPreview() { return gSaveScreen.previews[Row()]; }

void FinishClosing() {
    const SaveClosing closing = gSaveScreen.closing;
    gSaveScreen.closing = SaveClosing::kNone;
    gSaveScreen.closingFrames = 0;
    gSaveLoadMode = 0;
    if (closing == SaveClosing::kSaved && gSaveLoadKind == kSaveKindItem) gSaveScreenHooks.restoreInventory(1);
    gSaveLoadKind = 0;
    FreeSlotPreviews();
}

void StartClosing(SaveClosing how, int32_t frames) {
    gSaveScreen.closing = how;
    gSaveScreen.closingFrames = frames;
}

// Moves the selection; out of range it stays without a sound.
void MoveSlot(int delta, int sound, bool rereadAnyway) {
    const int wanted = gSlot + delta;
    const int next = std::clamp(wanted, 0, kLastSlot);
    const bool moved = next != gSlot;
    if (wanted == next && moved) MenuSfx(sound);
    gSlot = next;
    if (moved || rereadAnyway) ReadPagePreviews();
}

void Refuse(const char* caption, const SaveResult& r) {
    MenuSfx(kMenuSfxRefused);
    ErrorBox(caption, "%s", r.text.c_str());
}

// The accepted save or load, on gSlot.
void CarryOut() {
    SaveScreen& s = gSaveScreen;
    s.question = kQuestionNone;
    if (gSaveLoadLoading) {
        const SaveResult r = ReadSaveSlot(gSlot);
        if (!r.ok) {
            Refuse(kLoadFailedCaption, r);
            ReadPagePreviews();
            return;
        }
        s.frames = 0;
        gSaveLoadMode = 0;
        if (gSaveLoadKind == kSaveKindSystemLoad) gSaveScreenHooks.systemMenuLeave();
        if (gSaveLoadKind == kSaveKindSystemLoad || gSaveLoadKind == kSaveKindTitle) gMenuRequest = 0;
        FreeSlotPreviews();
        return;
    }
    const SaveResult r = WriteSaveSlot(gSlot);
    ReadPagePreviews();
    if (!r.ok) {
        Refuse(kSaveFailedCaption, r);
        return;
    }
    gMenuStatus |= kMenuStatusSaved;
    s.frames = 0;
    StartClosing(SaveClosing::kSaved, kSavedPauseFrames);
}

// Confirm on the selected slot; returns true when it acted.
bool Confirm() {
    SaveScreen& s = gSaveScreen;
    const bool hasFile = SelectedPreview().state == kPreviewReady || SelectedPreview().state == kPreviewDamaged;
    if (gSaveLoadLoading) {
        if (SelectedPreview().state != kPreviewReady) {
            MenuSfx(kSfxNoSave); // no file, or one that cannot be loaded
            return true;
        }
        s.question = kQuestionAccepted;
        return true;
    }
    switch (s.question) {
    case kQuestionNone: s.question = hasFile ? kQuestionYes : kQuestionAccepted; break;
    case kQuestionYes: s.question = kQuestionAccepted; break;
    case kQuestionNo: s.question = kQuestionNone; break;
    default: break;
    }
    return true;
}

void SlotKeys() {
    SaveScreen& s = gSaveScreen;
    const bool asking = s.question == kQuestionYes || s.question == kQuestionNo;
    const auto acted = [&] { s.idle = kSaveIdleFrames; };
    if (Triggered(kKeyLeft) || Triggered(kKeyUp)) {
        acted();
        if (asking) s.question = kQuestionYes;
        else if (s.question == kQuestionNone) {
            MoveSlot(-1, kSfxMove, false);
            s.bounce[0] = 3;
        }
    }
    if (Triggered(kKeyRight) || Triggered(kKeyDown)) {
        acted();
        if (asking) s.question = kQuestionNo;
        else if (s.question == kQuestionNone) {
            MoveSlot(1, kSfxMove, false);
            s.bounce[1] = 3;
        }
    }
    if (Triggered(kKeyPageUp)) {
        acted();
        if (asking) s.question = kQuestionYes;
        else if (s.question == kQuestionNone) MoveSlot(-kSlotRows, kSfxPage, true);
    }
    if (Triggered(kKeyPageDown)) {
        acted();
        if (asking) s.question = kQuestionNo;
        else if (s.question == kQuestionNone) MoveSlot(kSlotRows, kSfxPage, true);
    }
    bool confirmed = false;
    if ((Pressed(kKeyConfirm) || Pressed(kKeyMenu)) && s.question != kQuestionAccepted) {
        acted();
        confirmed = Confirm();
    }
    const auto cancel = [](int n) { return Key(n).state == 1 && Key(n).framesHeld == 1; };
    if (!confirmed && (cancel(kKeyCancel) || cancel(kKeyCancel2))) {
        acted();
        LeaveSaveScreen();
    }
}

void SlotMouse() {
    SaveScreen& s = gSaveScreen;
    const bool leftDown = Key(kKeyMouseLeft).state != 0;
    if (!leftDown && s.idle != 0) return;
    const int x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    const bool asking = s.question == kQuestionYes || s.question == kQuestionNo;
    if (asking) {
        const int top = 140 * Row();
        if (x >= 401 && x <= 485 && y >= top + 94 && y <= top + 118) {
            s.question = std::clamp((x - 400) / 44 + kQuestionYes, int(kQuestionYes), int(kQuestionNo));
            if (SingleClick(kKeyMouseLeft)) {
                if (s.question == kQuestionYes) s.question = kQuestionAccepted;
                else {
                    s.question = kQuestionNone;
                    ClearKeyStates();
                }
            }
        }
        return;
    }
    if (s.question != kQuestionNone) return;
    if (x >= 17 && x <= 623 && y >= 41 && y <= 459) {
        if (SingleClick(kKeyMouseLeft)) {
            const int next = std::clamp(gSlot + (y - 40) / 140 - Row(), 0, kLastSlot);
            if (next != gSlot) {
                gSlot = next;
                MenuSfx(kSfxMove);
                ResetSlotCursors();
            }
        } else if (DoubleClick(kKeyMouseLeft)) {
            Confirm();
        } else if (DoubleClick(kKeyMouseRight)) {
            LeaveSaveScreen();
            return;
        }
    }
    if (y < 30 && x != 0) {
        s.cursorKind = 0;
        if (SingleClick(kKeyMouseLeft)) MoveSlot(-kSlotRows, kSfxPage, true);
    } else if (y >= 451 && y <= 484) {
        s.cursorKind = 1;
        if (SingleClick(kKeyMouseLeft)) MoveSlot(kSlotRows, kSfxPage, true);
    }
}

void FlagKeys() {
    SaveScreen& s = gSaveScreen;
    if (Pressed(kKeyConfirm)) SetFlagTo(s.flagCursor, IsFlag(s.flagCursor) ? 0 : 1);
    const struct {
        int key, step;
    } moves[] = {{kKeyLeft, -1}, {kKeyRight, 1}, {kKeyUp, -6}, {kKeyDown, 6}, {kKeyPageUp, -120}, {kKeyPageDown, 120}};
    int step = 0;
    for (const auto& m : moves) {
        const KeyState& k = Key(m.key);
        if (k.state != 0 && (k.framesHeld == 1 || k.framesHeld > 3)) step = m.step;
    }
    if (step == 0) return;
    int next = s.flagCursor + step;
    if (next < 0) next = kStoryFlagCount - 1;
    if (next >= kStoryFlagCount) next = 0;
    s.flagCursor = next;
}

// Esc, either Ctrl, or a new right click leave on any frame.
bool LeaveKeyDown() {
    constexpr int kScanLeftCtrl = 0x1D, kScanRightCtrl = 0x9D;
    return SingleClick(kKeyMouseRight) || DoubleClick(kKeyMouseRight) || gInput.IsKeyDown(kScanEsc) ||
           gInput.IsKeyDown(kScanLeftCtrl) || gInput.IsKeyDown(kScanRightCtrl);
}

} // namespace

SaveScreenHooks gSaveScreenHooks = {TitleScreenEnterStandIn, SystemMenuLeaveStandIn, RestoreInventory};

void ReadPagePreviews() {
    FreeSlotPreviews();
    const int first = gSlot - Row();
    for (int r = 0; r < kSlotRows; ++r) ReadSlotPreview(&gSaveScreen.previews[r], first + r);
    ResetSlotCursors();
}

void ResetSlotCursors() {
    for (int r = 0; r < kSlotRows; ++r) {
        for (int m = 0; m < 4; ++m) {
            ActRecord& a = gSaveScreen.portraits[r * 4 + m];
            ResetActRecord(&a);
            a.act = m + 1;
            a.qq = r == Row() ? 8 : 0;
            a.dir = 6;
        }
    }
}

void ResetSaveScreen() {
    SaveScreen& s = gSaveScreen;
    ClearKeyStates();
    s.bounce[0] = 0;
    s.bounce[1] = 1;
    s.question = kQuestionNone;
    s.idle = 0;
    s.frames = 0;
    s.closing = SaveClosing::kNone;
    s.closingFrames = 0;
    s.cursorKind = kCursorMenu;
    s.cursorErrorShown = false;
    s.actErrorShown = false;
    ResetActRecord(&s.cursor);
    gSlot = std::clamp(gSlot, 0, kLastSlot);
    ReadPagePreviews();
}

int LeaveSaveScreen() {
    switch (gSaveLoadKind) {
    case kSaveKindSystemSave:
    case kSaveKindSystemLoad:
        StartClosing(SaveClosing::kLeave, kLeavePauseFrames);
        return 1;
    case kSaveKindTitle:
        gSaveScreenHooks.titleScreenEnter();
        gMenuRequest = kTitleRequest;
        break;
    case kSaveKindTalk: gMenuRequest = 0; break;
    case kSaveKindItem: gSaveScreenHooks.restoreInventory(0); break;
    default: break;
    }
    FinishClosing();
    return 1;
}

void SaveLoadScreen() {
    SaveScreen& s = gSaveScreen;
    if (--s.idle < 0 || s.idle > 1000) s.idle = 0;
    ++s.frames;
    if (gSaveLoadMode == kSaveModeOpened) gSaveLoadMode = kSaveModeRunning;
    s.cursorKind = kCursorMenu;
    gCursorShape = kCursorMenu;
    if (s.closing != SaveClosing::kNone) {
        DrawSaveScreen();
        if (--s.closingFrames <= 0) FinishClosing();
        return;
    }
    if (LeaveKeyDown()) {
        LeaveSaveScreen();
    } else if (gSaveLoadPage == kSavePageFlags) {
        FlagKeys();
    } else {
        SlotKeys();
        if (gSaveLoadMode != 0 && s.closing == SaveClosing::kNone) SlotMouse();
        // A save or load accepted in the first frames is carried out as soon
        // as the screen has run long enough: the confirm is never lost.
        if (gSaveLoadMode != 0 && s.closing == SaveClosing::kNone && s.question == kQuestionAccepted &&
            s.frames > kSaveFramesBeforeAct)
            CarryOut();
    }
    for (uint8_t& b : s.bounce)
        if (b > 0) --b;
    if (gSaveLoadMode != 0) DrawSaveScreen();
}

int SlotIsEmpty(int slot) {
    const std::string path = SaveSlotPath(slot);
    return path.empty() || !FileOpensForReading(path.c_str()) ? 1 : 0;
}

int AnySaveExists() {
    for (int slot = 0; slot < kSaveSlotCount; ++slot)
        if (!SlotIsEmpty(slot)) return 1;
    return 0;
}

void SelectNewestSlot() {
    int newest = -1;
    int64_t newestTime = 0;
    for (int slot = 0; slot < kSaveSlotCount; ++slot) {
        const std::string path = SaveSlotPath(slot);
        const PlatFileHandle f = PlatFileOpen(path.c_str(), kPlatOpenRead);
        if (f == kPlatNoFile) continue;
        int64_t created = 0, accessed = 0, written = 0;
        const bool known = PlatFileTimes(f, &created, &accessed, &written);
        PlatFileClose(f);
        if (!known) continue;
        if (newest < 0 || written >= newestTime) {
            newest = slot;
            newestTime = written;
        }
    }
    if (newest >= 0) gSlot = newest;
    ReadPagePreviews();
}

void FreeSlotPreviews() {
    for (SlotPreview& p : gSaveScreen.previews) p = SlotPreview();
}

void ResetSaveScreenState() {
    gSaveScreen = SaveScreen();
    gSlot = 0;
}

void ResetSaveScreenHooks() { gSaveScreenHooks = {TitleScreenEnterStandIn, SystemMenuLeaveStandIn, RestoreInventory}; }

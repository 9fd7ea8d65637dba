#include "world/debug/debug_keys.h"

#include <cstring>

#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "world/debug/cheat_dialog.h"
#include "world/minigame/mini_game.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/requests.h"
#include "world/story_flags.h"
#include "world/walk/key_cole.h"
#include "world/walk/player_walk.h"

DebugKeys gDebugKeys;

namespace {

// Scan codes of the debug keys.
constexpr uint8_t kScanCtrlLeft = 0x1D, kScanCtrlRight = 0x9D, kScanShiftLeft = 0x2A;
constexpr uint8_t kScanD = 0x20, kScanG = 0x22, kScanF = 0x21, kScanQ = 0x10, kScanS = 0x1F, kScanL = 0x26;
constexpr uint8_t kScanTab = 0x0F, kScanPadPlus = 0x4E, kScanPadMinus = 0x4A;
constexpr uint8_t kScanF1 = 0x3B, kScanF2 = 0x3C, kScanF3 = 0x3D, kScanF4 = 0x3E, kScanF6 = 0x40, kScanF7 = 0x41,
                  kScanF9 = 0x43, kScanF12 = 0x58;

constexpr uint32_t kDebugItemFirst = 101, kDebugItemLast = 1199, kDebugItemCount = 10;

struct Keyboard {
    uint8_t now[256];
    bool Down(uint8_t code) const { return (now[code] & 0x80) != 0; }
    bool Pressed(uint8_t code) const { return Down(code) && !(gDebugKeys.before[code] & 0x80); }
    bool Ctrl() const { return Down(kScanCtrlLeft) || Down(kScanCtrlRight); }
};

bool Ask(bool (*hook)()) { return hook && hook(); }

// The save screens open only on a quiet map.
bool Quiet() { return !Ask(gKeyColeHooks.talkRunning) && !Ask(gKeyColeHooks.dialogsOpen); }

void Toggle(uint32_t* value) { *value ^= 1; }

void ForceFight() {
    if (!gKeyColeHooks.chooseRandomFight) return;
    const uint32_t fight = gKeyColeHooks.chooseRandomFight(gFightStep, 1);
    // The fight starts as a walked-into one does: the music's place is kept
    // for the way back.
    if (fight != 0 && gKeyColeHooks.startFight) gKeyColeHooks.startFight(fight);
}

void Quit() {
    gMinimized = 1;
    gFrameInterval = 0;
    gGameMode |= kModeQuit;
    ClearFlag(kFlagGameInPlay);
}

// The keys held with Ctrl; true when one acted.
bool CtrlKeys(const Keyboard& k) {
    if (k.Pressed(kScanF) && IsFlag(kFlagRandomFights)) return ForceFight(), true;
    if (k.Pressed(kScanF9)) return Toggle(&gPlayerWalk.fastMode), true;
    if (k.Pressed(kScanQ)) return Quit(), true;
    if (k.Pressed(kScanS) && Quiet()) return RequestSaveScreen(1, 1, 0), true;
    if (k.Pressed(kScanL) && Quiet()) return RequestSaveScreen(2, 1, 1), true;
    if (k.Pressed(kScanF1)) return Toggle(&gDebugKeys.overlay[0]), true;
    if (k.Pressed(kScanF2)) return Toggle(&gDebugKeys.overlay[1]), true;
    if (k.Pressed(kScanF3)) return SetFlagTo(kFlagWalkThroughWalls, !IsFlag(kFlagWalkThroughWalls)), true;
    if (k.Down(kScanTab) && k.Pressed(kScanPadPlus)) {
        if (gDebugKeys.mapSpeed < kMapSpeedMax) ++gDebugKeys.mapSpeed;
        return true;
    }
    if (k.Down(kScanTab) && k.Pressed(kScanPadMinus)) {
        if (gDebugKeys.mapSpeed > 1) --gDebugKeys.mapSpeed;
        return true;
    }
    return false;
}

bool IsDebugItemKind(uint16_t kind) { return kind <= 9 || (kind >= 15 && kind <= 21) || kind == 24; }

} // namespace

void AddDebugItems() {
    for (uint32_t id = kDebugItemFirst; id <= kDebugItemLast; ++id) {
        ObjRecord record{};
        const bool found = ReadObjRecord(&record, id) != 0;
        const uint16_t kind = record.kind;
        FreeRecordText(&record);
        if (found && IsDebugItemKind(kind)) AddItem(&gInventory, uint16_t(id), int(kDebugItemCount), kAddCount);
    }
}

bool RunDebugKeys() {
    Keyboard k{};
    for (int c = 0; c < 256; ++c) k.now[c] = gInput.IsKeyDown(c) ? 0x80 : 0;
    bool acted = false;
    if (gDebugAllowed == 1 && k.Down(kScanCtrlLeft) && k.Down(kScanShiftLeft) && k.Down(kScanD) && k.Down(kScanG))
        SetFlag(kFlagDebugMode);
    if (IsFlag(kFlagDebugMode)) {
        if (k.Pressed(kScanF12) && Quiet()) {
            RequestSaveScreen(1, 0, 0);
            acted = true;
        } else if (k.Ctrl()) {
            acted = CtrlKeys(k);
        }
        if (!acted && k.Pressed(kScanF4)) {
            // The dialog reads the keyboard itself; the keys it saw are not
            // presses for the map when it closes.
            std::memcpy(gDebugKeys.before, k.now, sizeof k.now);
            RunCheatDialog();
            gInput.ReadKeyboard();
            for (int c = 0; c < 256; ++c) k.now[c] = gInput.IsKeyDown(c) ? 0x80 : 0;
            acted = true;
        } else if (!acted && k.Pressed(kScanF7)) {
            StartTestMiniGame();
            acted = true;
        } else if (!acted && k.Pressed(kScanF6)) {
            AddDebugItems();
            acted = true;
        }
    }
    std::memcpy(gDebugKeys.before, k.now, sizeof k.now);
    return acted;
}

void ResetDebugKeys() { gDebugKeys = DebugKeys{}; }

// Talk instructions that hand over to other parts of the game: fights, the
// save screen and the title pages, the story countdown, the pause, the name
// entry and the mini-game.
#include "base/errorbox.h"
#include "base/game_state.h"
#include "world/dialog/name_entry.h"
#include "world/dialog/story_timer.h"
#include "world/map/map_effects.h"
#include "world/minigame/mini_game.h"
#include "world/requests.h"
#include "world/script/talk_machine.h"
#include "world/script/talk_media.h"
#include "world/story_flags.h"

namespace {

// "Talk system(NAME_BOX)", "Number out of range"
constexpr char kCapNameBox[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(NAME_BOX)";
constexpr char kTextNameRange[] = "\xB8\xB9\xBDX\xB6W\xB9L\xBD" "d\xB3\xF2";

constexpr uint32_t kSaveKindStory = 4;
constexpr uint32_t kTitlePageLoad = 5, kTitlePageOver = 4;
constexpr int kFlagTimerHidden = 76;
constexpr uint16_t kOperandStarted = 0x8000;  // the name entry is open (written into the window copy)

TalkStep OpFight(TalkInstr& in) {
    const uint16_t fight = in.Operands().u16();
    gRoleHeads.clear();
    gParticleLists.clear();
    gFightRequest = fight | kFightRequested;
    return TalkStep::kYield;
}

TalkStep OpSaveGame(TalkInstr&) {
    RequestSaveScreen(kSaveKindStory, 1, 0);
    return TalkStep::kYield;
}

TalkStep OpMenu(TalkInstr& in) {
    TalkMenuRequest(in.Operands().u16());
    return TalkStep::kYield;
}

TalkStep OpStoryTimer(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t minutes = r.u16(), seconds = r.u16(), talk = r.u16();
    StartStoryTimer(minutes, seconds, talk, 0);
    return TalkStep::kYield;
}

TalkStep OpTimerCancel(TalkInstr&) {
    gTalkCountdown = -1;
    ClearFlag(kFlagTimedTalkArmed);
    ClearFlag(kFlagTimerHidden);
    ClearFlag(kFlagTimedTalkRunning);
    return TalkStep::kYield;
}

TalkStep OpPause(TalkInstr&) {
    gGameRunning = 0;
    return TalkStep::kYield;
}

TalkStep OpClearWord(TalkInstr&) {
    gTalkMachine.media.engineWord = 0;
    return TalkStep::kContinue;
}

TalkStep OpMiniGame(TalkInstr&) {
    StartTestMiniGame();  // the same scene: act 9010, obstacle kinds 3..6 twice
    return TalkStep::kYield;
}

// ---- Name entry -------------------------------------------------------------------------------------

void SetOperandWord(TalkInstr& in, uint16_t v) {
    in.at[2] = uint8_t(v);
    in.at[3] = uint8_t(v >> 8);
}

// First run: the entry opens and the instruction is marked open (state bit
// 15 of its operand, in the window's copy); then it waits while the entry is
// open (the map frame's overlay answers it) and goes on once it closed.
TalkStep OpNameEntry(TalkInstr& in) {
    const uint16_t operand = in.Operands().u16();
    if (!(operand & kOperandStarted)) {
        if (!OpenNameEntry(operand)) {
            // No member to name: the entry is not opened.
            ErrorBox(kCapNameBox, "%s", kTextNameRange);
            return TalkStep::kYield;
        }
        SetOperandWord(in, uint16_t(operand | kOperandStarted));
        return TalkStep::kWait;
    }
    if (gGameMode & kModeTextEntry) return TalkStep::kWait;
    SetOperandWord(in, uint16_t(operand & ~kOperandStarted));
    return TalkStep::kYield;
}

} // namespace

void TalkMenuRequest(uint16_t k) {
    gMenuRequest = kMenuPending | ((k & 0xFF) == 1 ? kTitlePageLoad : kTitlePageOver);
    gSaveLoadMode = gSaveLoadPage = gSaveLoadLoading = gSaveLoadKind = 0;
    gSaveLoadReset = 1;
}

void RegisterTalkSystemOps(TalkHandler* t) {
    t[0x58] = OpFight;
    t[0x87] = OpSaveGame;
    t[0x90] = OpMenu;
    t[0x8E] = OpStoryTimer;
    t[0x8F] = OpTimerCancel;
    t[0xB4] = OpPause;
    t[0xD1] = OpNameEntry;
    t[0xD2] = OpMiniGame;
    t[0x7A] = OpClearWord;
}

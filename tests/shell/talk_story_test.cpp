// A whole talk on the sample install, frame by frame through the game frame:
// the opening talk (100) of a new game shows a dialog, walks the player,
// asks twice, sets flags, gives an item and ends. A mouse-only player answers
// it (a hover, then a click; clicks turn the pages), and so does a
// keyboard-only player. The run is deterministic: two runs present the same
// frames.
#include "shell_fixture.h"

#include "base/game_state.h"
#include "base/random.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "draw/frame_window.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/menu_services.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "shell/shell_hooks.h"
#include "tools/talk_asm.h"
#include "world/map/map_load.h"
#include "tools/map_tables_writer.h"
#include "tools/sample_maps.h"
#include "world/new_game.h"
#include "world/party/item_list.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"
#include "world/world_reset.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int kMaxFrames = 2000;

const char kStory[] =
    "talk 100\n"
    "  dlgw player 9030 \"Hello.\"\n"
    "  waitdlg player\n"
    "  movewait 1 player 14 12\n"
    "  dlgw player 9030 \"Which?%N%BLeft.%N%BRight.\"\n"
    "  waitdlg player\n"
    "  choice a1 a2\n"
    "a1:\n"
    "  setflag 700\n"
    "  jump second\n"
    "a2:\n"
    "  setflag 701\n"
    "second:\n"
    "  dlgw player 9030 \"Again?%N%BUp.%N%BDown.\"\n"
    "  waitdlg player\n"
    "  choice b1 b2\n"
    "b1:\n"
    "  setflag 702\n"
    "  jump done\n"
    "b2:\n"
    "  setflag 703\n"
    "done:\n"
    "  additem 101 2\n"
    "  end\n";

// The player's side, decided from what the screen holds each frame. Both
// players answer the first choice with its second line and the second with
// its first line.
// - The mouse player does everything with the mouse: a choice is answered as
//   the talk families decided (the line the pointer comes onto is the
//   choice): the first by resting the pointer on its second line for a
//   frame, then a click; the second by a click straight on its first line.
//   Any other dialog is turned with a click.
// - The keyboard player never touches the mouse: Down then the confirm key
//   for the first choice; Up, Up (round and back) then the confirm key for
//   the second, each once the option page is complete; the confirm key for
//   every other dialog.
struct Player {
    bool keys = false;
    int choices = 0;
    int moves = 0;  // key moves made in the open choice
    bool rested = false;
    bool pressed = false;
};
Player gPlayer;

void Press(int key) {
    gKeyState[key] = KeyState{};
    gKeyState[key].state = 1;
    gKeyState[key].framesHeld = 1;
}

void MousePlayer() {
    if (CountEventRects() > 0) {
        const EventRectNode* line = gEventRects.head;
        if (gPlayer.choices == 0 && line->next) line = line->next;
        gKeyInput.mouseX = (line->left + line->right) / 2;
        gKeyInput.mouseY = (line->top + line->bottom) / 2;
        if (gPlayer.choices == 0 && !gPlayer.rested) {
            gPlayer.rested = true;  // the pointer coming onto the line picks it
            return;
        }
        Press(kKeyMouseLeft);
        ++gPlayer.choices;
        gPlayer.pressed = true;
        return;
    }
    if (gDialogList) {
        Press(kKeyMouseLeft);
        gPlayer.pressed = true;
    }
}

void KeyboardPlayer() {
    static const int kFirst[] = {kKeyDown};
    static const int kSecond[] = {kKeyUp, kKeyUp};
    if (CountEventRects() > 0) {
        const int* moves = gPlayer.choices == 0 ? kFirst : kSecond;
        const int count = gPlayer.choices == 0 ? 1 : 2;
        if (gPlayer.moves < count) {
            Press(moves[gPlayer.moves++]);
        } else if (gEventRects.words[kEventRectChoiceFlags] & kChoiceKeysClose) {
            Press(kKeyConfirm);
            ++gPlayer.choices;
            gPlayer.moves = 0;
        } else {
            return;  // the option page is still typing
        }
        gPlayer.pressed = true;
        return;
    }
    if (gDialogList) {
        Press(kKeyConfirm);
        gPlayer.pressed = true;
    }
}

void PlayerKeys() {
    KeyUpdate();
    if (gPlayer.pressed) {  // every press is one frame down, one frame up
        gPlayer.pressed = false;
        return;
    }
    if (gPlayer.keys)
        KeyboardPlayer();
    else
        MousePlayer();
}

class TalkStoryTest : public ShellTest {
protected:
    void TearDown() override {
        ReleaseGameAndShell();
        ResetWorld();
        ResetTalkMachine();
        ResetTswPacks();
        ResetActPacks();
        ResetSoundBank();
        ShellTest::TearDown();
    }
    // Runs the story from a new game; frames until the talk ended (or kMaxFrames + 1).
    int RunStory(bool keys = false) {
        gPlayer = Player{};
        gPlayer.keys = keys;
        ResetKeyStates();    // the pointer starts where it started the first run
        ResetFrameWindow();  // and the option outline's shimmer at its phase 0
        UseInstallFolder();
        EXPECT_EQ(OnStartGame(), 1);
        InitRandom(7);
        EXPECT_EQ(NewGame(0), 1);
        // The sample's start map (the talk runs on whatever map is up).
        LoadCity(kSampleStartMap, kSampleStartX, kSampleStartY, 0, 0, 0, 0);
        EXPECT_EQ(gRole[gPlayerRole].x, kSampleStartX * 16);
        swordsBefore = Swords();
        gShellHooks.keyUpdate = PlayerKeys;
        gMenuRequest = 0;
        gGameRunning = 1;
        gAppActive = 1;
        for (int frame = 1; frame <= kMaxFrames; ++frame) {
            HeadlessAdvanceClock(kFrameMs);
            GameFrame();
            if (TalkIdle() && frame > 1) return frame;
            if (gGameMode & kModeQuit) break;
        }
        return kMaxFrames + 1;
    }
    static int Swords() {
        const ItemRecord* item = FindItem(gInventory, 101);
        return item ? item->count + item->newCount : 0;
    }
    // The sample install with the sample maps' role database and the story.
    void InstallStory() {
        for (uint16_t op : {0x01, 0x0E, 0x0F, 0x14, 0x19, 0x29, 0x80}) ASSERT_TRUE(FindTalkHandler(op)) << op;
        const std::string tool = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool.c_str(), X_OK), 0) << tool;
        ASSERT_EQ(std::system(("'" + tool + "' '" + install.Path() + "' >/dev/null").c_str()), 0);
        // The role database with the sample maps' tables (the sample's own has
        // only a new game's), and the story.
        install.Write("maps.dat", BuildMapsFile(SampleMapTables()));
        std::string error;
        ASSERT_TRUE(WriteTalkFiles(install.Path(), kStory, &error)) << error;
    }
    // What the talk leaves behind once both choices were answered as the players do.
    void ExpectAnswered(int frames) {
        for (const auto& b : HeadlessMessageBoxes()) ADD_FAILURE() << b.caption << " / " << b.text;
        ASSERT_LE(frames, kMaxFrames);
        EXPECT_TRUE(IsFlag(701));  // the first choice's second line
        EXPECT_FALSE(IsFlag(700));
        EXPECT_TRUE(IsFlag(702));  // the second choice's first line
        EXPECT_FALSE(IsFlag(703));
        EXPECT_EQ(Swords(), swordsBefore + 2);
        const RoleRecord& p = gRole[gPlayerRole];
        EXPECT_EQ(p.x, 14 * 16);
        EXPECT_EQ(p.y, 12 * 16);
        EXPECT_TRUE(TalkContextIdle());
        EXPECT_EQ(gDialogState, 0u);
        EXPECT_EQ(gDialogList, nullptr);
        EXPECT_EQ(CountEventRects(), 0);
    }
    int swordsBefore = 0;
};

TEST_F(TalkStoryTest, TheOpeningTalkRunsToItsEndTheSameWayTwice) {
    InstallStory();
    const int frames = RunStory();
    ExpectAnswered(frames);
    const uint64_t hash = HeadlessRunHash();
    const uint32_t presents = HeadlessPresentCount();

    ReleaseGameAndShell();
    ResetWorld();
    ResetTalkMachine();
    ResetStoryFlags();
    ResetTswPacks();
    ResetActPacks();
    ResetSoundBank();
    ResetShell();
    HeadlessReset();
    EXPECT_EQ(RunStory(), frames);
    EXPECT_EQ(HeadlessPresentCount(), presents);
    EXPECT_EQ(HeadlessRunHash(), hash);
}

TEST_F(TalkStoryTest, AKeyboardOnlyPlayerAnswersTheWholeTalk) {
    InstallStory();
    const int frames = RunStory(true);
    ExpectAnswered(frames);
    EXPECT_EQ(gPlayer.choices, 2);
}

} // namespace

// The title's options box and the name entry.
#include "../frame/menu_fixture.h"

#include <cstring>

#include "base/game_state.h"
#include "base/input.h"
#include "base/nick_names.h"
#include "draw/dialog_node.h"
#include "menu/frame/menu_options.h"
#include "menu/frame/menu_texts.h"
#include "menu/save/save_screen.h"

namespace {

class TitleTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        RegisterMenuPages();
        InitMenu();
        gMenuRequest = 0x80000003u;
        MenuFrame(); // opens page 0 at depth 60000
        gTitle.state = kTitleChoosing;
        gTitle.fade = 0;
    }
    void OpenOptions() {
        gTitle.entry = kEntryOptions;
        TitleScreenConfirm();
    }
    static void Type(cTextRecord& field, const char* bytes) {
        for (const char* p = bytes; *p; ++p) field.EditFieldMessage(kEditMsgChar, uint8_t(*p), 0);
    }
};

TEST_F(TitleTest, OptionsChangeWithinTheirRanges) {
    OpenOptions();
    ASSERT_EQ(gTitle.state, kTitleOptions);
    const struct {
        int row;
        int direction;
        int times;
        uint32_t* value;
        uint32_t start, expect;
    } cases[] = {
        {kOptionMusic, +1, 1, &gMusicVolume, 11, 11},
        {kOptionMusic, -1, 20, &gMusicVolume, 3, 0},
        {kOptionSound, +1, 3, &gSfxVolume, 9, 11},
        {kOptionCache, +1, 1, &gMapCacheMB, 60, 100},
        {kOptionCache, +1, 5, &gMapCacheMB, 60, 140},
        {kOptionCache, -1, 5, &gMapCacheMB, 140, 60},
        {kOptionSpeed, -1, 9, &gTextSpeed, 2, 4},  // Left is slower
        {kOptionSpeed, +1, 9, &gTextSpeed, 2, 0},
    };
    for (const auto& c : cases) {
        *c.value = c.start;
        gTitle.fade = c.row;
        for (int i = 0; i < c.times; ++i) c.direction > 0 ? TitleKeyRight() : TitleKeyLeft();
        EXPECT_EQ(*c.value, c.expect) << "row " << c.row;
    }
    gTitle.fade = kOptionEffects;
    TitleKeyLeft();
    EXPECT_TRUE(IsFlag(kFlagMapEffects));
    EXPECT_EQ(gMapEffectsOff, 1u);
    TitleKeyRight();
    EXPECT_FALSE(IsFlag(kFlagMapEffects));
    // Rows stay within 0..4.
    for (int i = 0; i < 9; ++i) TitleKeyDown();
    EXPECT_EQ(gTitle.fade, 4);
    TitleKeyPageUp();
    EXPECT_EQ(gTitle.fade, 0);
}

TEST_F(TitleTest, PointerSetsTheRowAndLeftOfTheIconsOnlySelects) {
    OpenOptions();
    gMusicVolume = 5;
    gKeyState[kMenuKeyMouseLeft].framesHeld = 3;
    const struct {
        int x, y;
        int row;
        uint32_t music, cache;
    } cases[] = {
        {200, 280, 1, 5, 60},      // left of 256: the row only
        {256 + 16 * 7, 280, 1, 7, 60},
        {447, 280, 1, 11, 60},     // past the last icon: 11
        {256 + 16 * 9, 310, 2, 11, 140}, // the budget takes at most the third icon
    };
    for (const auto& c : cases) {
        gKeyInput.mouseX = c.x;
        gKeyInput.mouseY = c.y;
        TitleScreenUpdate();
        EXPECT_EQ(gTitle.fade, c.row) << c.x;
        EXPECT_EQ(gMusicVolume, c.music) << c.x;
        EXPECT_EQ(gMapCacheMB, c.cache) << c.x;
    }
}

TEST_F(TitleTest, NameEntryWritesTheFieldsAtTheirOffsets) {
    // A loaded game's names must not survive into a new game.
    std::memset(gNickNames[2], 'X', kNickRowBytes);
    gTitle.entry = kEntryNewGame;
    TitleScreenConfirm();
    ASSERT_TRUE(TitleNameEntryOpen());
    EXPECT_TRUE(IsFlag(kFlagEditField));
    ASSERT_EQ(gEditField, &gTitle.fields[0]);
    // Empty the first field, type one double-byte character.
    for (int i = 0; i < 8; ++i) gTitle.fields[0].EditFieldMessage(kEditMsgKeyDown, kEditVkDelete, 0);
    for (int i = 0; i < 8; ++i) gTitle.fields[0].EditFieldMessage(kEditMsgKeyDown, kEditVkBack, 0);
    gTitle.fields[0].EditFieldMessage(kEditMsgKeyDown, kEditVkHome, 0);
    for (int i = 0; i < 8; ++i) gTitle.fields[0].EditFieldMessage(kEditMsgKeyDown, kEditVkDelete, 0);
    Type(gTitle.fields[0], "\xA7\x64"); // one Big5 character
    gTitle.fields[0].EditFieldMessage(kEditMsgKeyDown, kEditVkReturn, 0);
    StepTitleScreen();
    EXPECT_FALSE(TitleNameEntryOpen());
    EXPECT_FALSE(IsFlag(kFlagEditField));
    EXPECT_EQ(gEditField, nullptr);
    const uint8_t* row = gNickNames[0];
    EXPECT_EQ(row[0], 0xA7);
    EXPECT_EQ(row[1], 0x64);
    EXPECT_EQ(row[2], 0);
    EXPECT_EQ(row[3], 0);
    EXPECT_EQ(std::memcmp(row + 6, kTextNameGiven, std::strlen(kTextNameGiven)), 0);
    EXPECT_EQ(std::memcmp(row + 12, kTextNameNick, std::strlen(kTextNameNick)), 0);
    EXPECT_NE(gNickNames[2][0], 'X');
    EXPECT_EQ(gTitle.fade, kTitleFadeOut);
}

TEST_F(TitleTest, EscInAFieldEndsTheEntryOnlyAndNewGameMakesFreshFields) {
    gTitle.entry = kEntryNewGame;
    TitleScreenConfirm();
    Type(gTitle.fields[0], "ab");
    // The Esc key reaches the field and is also the menu's cancel key.
    gTitle.fields[0].EditFieldMessage(kEditMsgKeyDown, kEditVkEscape, 0);
    TitleScreenCancel();
    EXPECT_EQ(gTitle.entry, kEntryNewGame); // the cancel did not also choose quit
    StepTitleScreen();
    EXPECT_EQ(gTitle.state, kTitleChoosing);
    EXPECT_EQ(gTitle.entry, kEntryNewGame);
    EXPECT_FALSE(IsFlag(kFlagEditField));
    // Choosing new game again: the default texts.
    TitleScreenConfirm();
    EXPECT_STREQ(gTitle.fields[0].Text(), kTextNameFamily);
}

TEST_F(TitleTest, RightShiftMovesTheFocusOnlyWhenTappedAlone) {
    gTitle.entry = kEntryNewGame;
    TitleScreenConfirm();
    const int shift = int(gKeyMap.k[kMenuKeyShift]);
    // Shift held with a letter (typing a capital): no move.
    gInput.PressKey(shift);
    gInput.PressKey(0x1E);
    gKeyState[kMenuKeyShift].framesHeld = 1;
    TitleScreenUpdate();
    ResetInput();
    gKeyState[kMenuKeyShift].framesHeld = 0;
    TitleScreenUpdate();
    EXPECT_EQ(gTitle.focus, 0);
    // Tapped alone: the next field.
    gInput.PressKey(shift);
    gKeyState[kMenuKeyShift].framesHeld = 1;
    TitleScreenUpdate();
    ResetInput();
    gKeyState[kMenuKeyShift].framesHeld = 0;
    TitleScreenUpdate();
    EXPECT_EQ(gTitle.focus, 1);
    EXPECT_EQ(gEditField, &gTitle.fields[1]);
}

TEST_F(TitleTest, EntriesMoveWithinTheFourAndCancelChoosesQuit) {
    for (int i = 0; i < 6; ++i) TitleKeyDown();
    EXPECT_EQ(gTitle.entry, kEntryQuit);
    TitleKeyPageUp();
    EXPECT_EQ(gTitle.entry, kEntryNewGame);
    TitleKeyUp();
    EXPECT_EQ(gTitle.entry, kEntryNewGame);
    TitleScreenCancel();
    EXPECT_EQ(gTitle.entry, kEntryQuit);
}

} // namespace

namespace {

TEST_F(TitleTest, LoadFadesOutThenOpensTheLoadScreenFromTheTitle) {
    gTitle.entry = kEntryLoad;
    TitleScreenConfirm();
    int frames = 0;
    while (gMenuRequest != 0 && frames < 20) {
        StepTitleScreen();
        ++frames;
    }
    EXPECT_EQ(frames, 5);
    EXPECT_EQ(gSaveLoadMode, 3u);
    EXPECT_EQ(gSaveLoadKind, 3u);
    EXPECT_EQ(gSaveLoadPage, 1u);
    EXPECT_EQ(gSaveLoadLoading, 1u);
}

TEST_F(TitleTest, PageThreeGoesStraightOnToTheLoadScreen) {
    gMenuRequest = 0x80000006u;
    MenuFrame();
    EXPECT_EQ(gTitle.state, kTitleActing);
    EXPECT_EQ(gTitle.entry, kEntryLoad);
    for (int i = 0; i < 5; ++i) StepTitleScreen();
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_EQ(gSaveLoadKind, 3u);
}

TEST_F(TitleTest, TransitionPagesReturnToTheTitle) {
    for (uint32_t kind : {4u, 5u}) {
        gMenuRequest = kMenuPending | kind;
        MenuFrame();
        ASSERT_EQ(gTitle.state, kTitleTransition) << kind;
        gSaveLoadKind = 2;
        gDialogCount = 3;  // dialogs the story left waiting
        int frames = 0;
        while (gMenuRequest != 0x80000003u && frames < 200) {
            StepTitleScreen();
            ++frames;
        }
        EXPECT_EQ(frames, 120) << kind;
        EXPECT_EQ(gSaveLoadKind, 0u);
        EXPECT_EQ(gDialogCount, 0u);
        EXPECT_TRUE(gTitle.screenCopy.empty());
        EXPECT_EQ(gMenu.fade, 0);
    }
}

// Leaving the load screen that the title opened enters the title again:
// its first page fades in with the first entry chosen.
TEST_F(TitleTest, LeavingTheTitlesLoadScreenEntersTheTitle) {
    gTitle.entry = kEntryLoad;
    TitleScreenConfirm();
    for (int i = 0; i < 5; ++i) StepTitleScreen();
    ASSERT_EQ(gSaveLoadKind, 3u);
    ASSERT_EQ(gTitle.state, kTitleActing);
    EXPECT_EQ(LeaveSaveScreen(), 1);
    EXPECT_EQ(gTitle.state, kTitleFadingIn);
    EXPECT_EQ(gTitle.entry, kEntryNewGame);
    EXPECT_LT(gTitle.fade, 0);
    EXPECT_EQ(gMenuRequest, 0x80000003u);
}

TEST_F(TitleTest, QuitFadesOutThenAsksTheFrameToClose) {
    gTitle.entry = kEntryQuit;
    TitleScreenConfirm();
    for (int i = 0; i < 5; ++i) StepTitleScreen();
    EXPECT_TRUE(gGameMode & kModeQuit);
    gGameMode = 0;
}

} // namespace

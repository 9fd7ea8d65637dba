// The message dialog with nodes built here and the page-turn request made
// from scripted keys, as the walking code makes it. Logic is checked through
// the node's state, the option list, the sounds and the error boxes.
#include "world/dialog/dlg_message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_media.h"
#include "tools/snd_writer.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"

namespace {

constexpr uint8_t kConfirmScan = 0x39; // Space, game key 1

class DlgMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        HeadlessAudioReset();
        ResetErrorBoxes();
        ResetSoundBank();
        ResetStoryFlags();
        ResetDlgMessage();
        ResetSettings();
        FreeDialogList();
        TotalRole = 0;
        gNow = 1000;
        gTextSpeed = 0;
        const char* root = std::getenv("KYV_TEST_TMP");
        dir_ = std::filesystem::path(root ? root : "/tmp") / "dlg" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir_);
        std::vector<uint8_t> wave = BuildWaveFile(ToneSamples(440, 50, 22050, 1, 8000), 22050, 1);
        WriteBytesToFile((dir_ / "all.snd").string().c_str(),
                         BuildSoundPack({{kDialogSoundCode, wave, kSoundKindWholeFile}}));
        ASSERT_TRUE(gSoundBank.OpenSound((dir_.string() + "/").c_str()));
        gSfxVolume = 11;
    }
    void TearDown() override {
        FreeDialogList();
        ResetDlgMessage();
        ResetStoryFlags();
        ResetSoundBank();
        HeadlessAudioReset();
        std::filesystem::remove_all(dir_);
    }

    static bool WriteBytesToFile(const char* path, const std::vector<uint8_t>& bytes) {
        FILE* f = std::fopen(path, "wb");
        if (!f) return false;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        return std::fclose(f) == 0;
    }

    // A node of w x h units at (100, 100) holding text, appended to the list.
    DialogNode* Open(const char* text, int w, int h, uint32_t flags = 0) {
        auto* n = new DialogNode{};
        std::snprintf(n->text, sizeof n->text, "%s", text);
        n->width = w * kDialogCharPixels;
        n->height = h * kDialogCharPixels;
        n->x = n->y = 100;
        n->flags = flags;
        n->typeDelay = 0;
        DialogNode** link = &gDialogList;
        while (*link) link = &(*link)->next;
        *link = n;
        return n;
    }

    // One frame: the stand-in for the walking code turns a fresh press of
    // the confirm key (and a click) into the page-turn request.
    void Frame(bool click = false) {
        uint8_t keys[256];
        PlatReadKeyboard(keys);
        const bool down = keys[kConfirmScan] & 0x80;
        gPageTurnRequest = (click ? 1 : 0) + (down && !held_ ? 1 : 0);
        held_ = down;
        DlgMessage();
        gNow += 35;
        frame_++;
    }
    // Presses the confirm key for one frame.
    void Confirm() {
        HeadlessQueueKey(kConfirmScan, true);
        Frame();
        HeadlessQueueKey(kConfirmScan, false);
        Frame();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    std::string Page(const DialogNode* n) const { return std::string(n->text + n->pageStart); }
    bool Sounded() {
        bool played = gSoundBank.VoiceOf(kDialogSoundCode) >= 0;
        gSoundBank.StopAllSounds();
        return played;
    }

    std::filesystem::path dir_;
    bool held_ = false;
    int frame_ = 0;
};

TEST_F(DlgMessageTest, OpensOverFourFramesBeforeAnyTextIsTyped) {
    DialogNode* n = Open("AB%Q", 10, 2);
    n->typeDelay = 2;
    for (int step = 1; step <= 4; ++step) {
        Frame();
        EXPECT_EQ(n->openStep, step);
        EXPECT_EQ(n->readPos, 0u);
    }
    Frame();
    EXPECT_EQ(n->readPos, 1u); // the first character
    Frames(2);
    EXPECT_EQ(n->readPos, 1u); // two frames a character
    Frame();
    EXPECT_EQ(n->readPos, 2u);
    // Typing reached "%Q": the page is complete.
    EXPECT_TRUE(n->flags & kDlgPageComplete);
    EXPECT_TRUE(n->flags & kDlgLastPage);
    EXPECT_TRUE(n->flags & kDlgOpenComplete);
}

TEST_F(DlgMessageTest, TextTallerThanTheBoxEndsThePageThere) {
    // Four columns, two rows: eight characters a page.
    DialogNode* n = Open("ABCDEFGHIJKL%Q", 4, 4);
    n->height = 2 * kDialogRowPixels;
    Frames(4 + 12);
    EXPECT_TRUE(n->flags & kDlgPageComplete);
    EXPECT_FALSE(n->flags & kDlgLastPage);
    EXPECT_EQ(n->readPos, 8u);
    Confirm();
    EXPECT_EQ(Page(n), "IJKL%Q");
    Frames(8);
    EXPECT_TRUE(n->flags & kDlgLastPage);
}

TEST_F(DlgMessageTest, RequestWhileTypingShowsThePageAndASecondTurnsIt) {
    DialogNode* n = Open("ABCDEFGH%PIJ%Q", 10, 2);
    n->typeDelay = 4;
    Frames(5);
    EXPECT_LT(n->readPos, 8u);
    Confirm();
    EXPECT_TRUE(n->flags & kDlgPageComplete);
    EXPECT_EQ(n->pageStart, 0u); // the first request only showed the page
    Confirm();
    EXPECT_EQ(Page(n), "IJ%Q");
}

TEST_F(DlgMessageTest, NoSkipDropsTheRequestWhileTyping) {
    DialogNode* n = Open("ABCDEFGH%Q", 10, 2, kDlgNoSkip);
    n->typeDelay = 4;
    Frames(5);
    Confirm();
    EXPECT_FALSE(n->flags & kDlgPageComplete);
}

TEST_F(DlgMessageTest, ClickAndKeyInOneFrameTurnThePage) {
    DialogNode* n = Open("AB%PCD%Q", 10, 2);
    Frames(6);
    ASSERT_TRUE(n->flags & kDlgPageComplete);
    HeadlessQueueKey(kConfirmScan, true);
    Frame(/*click=*/true); // request 2
    EXPECT_EQ(Page(n), "CD%Q");
}

TEST_F(DlgMessageTest, LastPageEndsTheDialogAndReleasesThePlayer) {
    TotalRole = 3;
    gRole[2].talkLock = 1;
    DialogNode* n = Open("AB%Q", 10, 2, kDlgReleasesPlayer);
    n->speaker = 2;
    n->anchorX = 5;
    gDialogCount = 1;
    Frames(6);
    Confirm();
    EXPECT_EQ(gDialogList, nullptr);
    EXPECT_EQ(gDialogCount, 0u);
    EXPECT_EQ(gRole[2].talkLock, 0);
    TotalRole = 0;
}

TEST_F(DlgMessageTest, ShrinkingCloseTakesFourFrames) {
    Open("AB%Q", 10, 2, kDlgClosing);
    Frames(6);
    HeadlessQueueKey(kConfirmScan, true);
    Frame();
    EXPECT_NE(gDialogList, nullptr);
    Frames(3);
    EXPECT_EQ(gDialogList, nullptr);
}

TEST_F(DlgMessageTest, ColourCodesCarryToTheNextPageAndBadDigitsAreIgnored) {
    DialogNode* n = Open("%C3A%D5B%G1C%PD%Cz%Q", 10, 2);
    Frames(8);
    Confirm();
    EXPECT_EQ(Page(n), "D%Cz%Q");
    EXPECT_EQ(n->colour, 3);
    EXPECT_EQ(n->shadow, 5);
    EXPECT_EQ(n->style, 16);
    Frames(4);
    EXPECT_TRUE(n->flags & kDlgLastPage);
    EXPECT_EQ(n->colour, 3); // "%Cz" changed nothing
}

TEST_F(DlgMessageTest, SpeedCodeTakesADigitOnly) {
    gTextSpeed = 2;
    DialogNode* n = Open("A%S3BCDEF%SxG%Q", 20, 2);
    n->typeDelay = 2;
    Frames(4 + 4);
    EXPECT_EQ(n->readPos, 5u);
    EXPECT_EQ(n->typeDelay, 10); // (3 + 2) * 2
    EXPECT_FALSE(n->flags & kDlgPageComplete);
    DialogNode* m = Open("%S\xFF" "AB%Q", 20, 2);
    Frames(6);
    EXPECT_EQ(m->typeDelay, 0);
    EXPECT_TRUE(m->flags & kDlgPageComplete);
}

TEST_F(DlgMessageTest, SoundCodeSoundsOnce) {
    DialogNode* n = Open("A%A12.B%Q", 10, 2);
    Frames(4);
    int sounded = 0;
    for (int i = 0; i < 6; ++i) {
        Frame();
        sounded += Sounded();
    }
    EXPECT_EQ(sounded, 1);
    EXPECT_EQ(std::string(n->text), "A%a12.B%Q");
    // Without its "." the code is passed over: no scan past the text.
    DialogNode* m = Open("A%A123456789012345678%Q", 30, 2);
    Frames(30);
    EXPECT_TRUE(m->flags & kDlgLastPage);
    DialogNode* o = Open("%BYES NO MAYBE LATER%Q", 30, 2);
    Frames(30);
    EXPECT_TRUE(o->flags & kDlgLastPage);
    EXPECT_EQ(CountEventRects(), 0);
}

TEST_F(DlgMessageTest, OptionsChosenWithDownAndConfirm) {
    DialogNode* n = Open("Go?%N%BYes.%N%BNo.%PAfter%Q", 20, 6);
    Frames(4 + 20);
    ASSERT_TRUE(n->flags & kDlgOptions);
    ASSERT_EQ(CountEventRects(), 2);
    EXPECT_EQ(std::string(n->text, 18), "Go?%N%bYes.%N%bNo.");
    Frames(3);
    EXPECT_EQ(CountEventRects(), 2); // listed once
    // The walking code: Down raises the choice, confirm closes the list.
    gEventRects.words[0] = 1;
    Frame();
    Confirm(); // a request alone does not turn an option page
    EXPECT_EQ(n->pageStart, 0u);
    FreeEventRects();
    Frame();
    EXPECT_EQ(Page(n), "After%Q");
}

TEST_F(DlgMessageTest, OnlyACompleteOptionPageLetsTheKeysCloseItsChoice) {
    // Typed one character every third frame: the option lines are listed
    // long before the text after them is typed out.
    DialogNode* n = Open("%BYes.%N%BNo.%NThat is all.%Q", 20, 6);
    n->typeDelay = 2;
    Frames(4 + 3);
    ASSERT_GE(CountEventRects(), 1);
    ASSERT_FALSE(n->flags & kDlgPageComplete);
    EXPECT_EQ(gEventRects.words[kEventRectChoiceFlags] & kChoiceKeysClose, 0u);
    Frames(60);
    ASSERT_TRUE(n->flags & kDlgPageComplete);
    EXPECT_EQ(CountEventRects(), 2);
    EXPECT_EQ(gEventRects.words[kEventRectChoiceFlags] & kChoiceKeysClose, kChoiceKeysClose);
    // Taken: the list goes with its flags and the page ends.
    FreeEventRects();
    Frame();
    EXPECT_EQ(gEventRects.words[kEventRectChoiceFlags], 0u);
    EXPECT_EQ(gDialogList, nullptr);  // the last page ended and the box went
    // A plain page never sets it.
    FreeDialogList();
    Open("Plain.%Q", 20, 2);
    Frames(20);
    EXPECT_EQ(gEventRects.words[kEventRectChoiceFlags], 0u);
}

TEST_F(DlgMessageTest, OptionsChosenByMouse) {
    Open("%BYes.%N%BNo.%Q", 20, 6);
    Frames(4 + 10);
    ASSERT_EQ(CountEventRects(), 2);
    EventRectNode* hit = nullptr;
    // The second line lies one row lower: (100 + 5, 100 + 22 + 5).
    EXPECT_EQ(FindEventRect(105, 127, &hit), 1);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->word, 1u);
    FreeEventRects();
    Frame();
    EXPECT_EQ(gDialogList, nullptr);
}

TEST_F(DlgMessageTest, TimedPageTurnsByItself) {
    DialogNode* n = Open("AB%PCD%Q", 10, 2, kDlgAutoAdvance);
    n->autoTime = 5; // half a second
    Frames(6);
    ASSERT_TRUE(n->flags & kDlgPageComplete);
    Frames(10);
    EXPECT_EQ(Page(n), "AB%PCD%Q");
    Frames(10);
    EXPECT_EQ(Page(n), "CD%Q");
}

// The page turns once the time since it completed, in tenths, is past its
// time: at exactly five tenths it still stands.
TEST_F(DlgMessageTest, ATimedPageStandsAtExactlyItsTime) {
    DialogNode* n = Open("AB%PCD%Q", 10, 2, kDlgAutoAdvance);
    n->autoTime = 5;
    Frames(6);
    ASSERT_TRUE(n->flags & kDlgPageComplete);
    for (uint32_t since : {500u, 599u}) {
        n->pageStartMs = gNow - since;
        Frame();
        EXPECT_EQ(Page(n), "AB%PCD%Q") << since;
    }
    n->pageStartMs = gNow - 600;
    Frame();
    EXPECT_EQ(Page(n), "CD%Q");
}

TEST_F(DlgMessageTest, BoxLargerThanTheCanvasIsHeldToIt) {
    std::vector<uint16_t> screen(640 * 480, 0);
    gBackPixels = screen.data();
    gPitchPixels = 640;
    std::string text(500, 'W');
    text += "%Q";
    DialogNode* n = Open(text.c_str(), 200, 200);
    n->x = n->y = 10;
    Frames(4 + 2);
    EXPECT_TRUE(n->flags & kDlgPageComplete);
    EXPECT_FALSE(n->flags & kDlgLastPage); // 40 x 5 rows fit, not 500
    EXPECT_EQ(n->readPos, 200u);
    gBackPixels = nullptr;
}

TEST_F(DlgMessageTest, BoxTooSmallForACharacterStillEnds) {
    Open("ABC%PDEF%Q", 0, 0);
    Frames(6);
    Confirm();
    EXPECT_EQ(gDialogList, nullptr);
}

TEST_F(DlgMessageTest, ButtonFailuresAreReportedOncePerAct) {
    InitDialogActs();
    Open("AB%Q", 10, 2);
    Frames(20);
    // No act pack: the end and the next-page button each report once.
    ASSERT_EQ(HeadlessMessageBoxes().size(), 2u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "Act Err(DlgMessage:EndBtn)");
    EXPECT_EQ(HeadlessMessageBoxes()[1].caption, "Act Err(DlgMessage:NextPage)");
}

TEST_F(DlgMessageTest, CaptionWithoutTerminatorIsMeasuredWithinItsBuffer) {
    std::vector<uint16_t> screen(640 * 480, 0x7BDE);
    ResetDrawKernel();
    gBackPixels = screen.data();
    gPitchPixels = 640;
    DialogNode* n = Open("AB%Q", 10, 2);
    std::memset(n->caption, 'N', sizeof n->caption);
    n->readPos = 0x0101; // the bytes behind the caption are not part of it
    Frames(5);
    // The darkened strip above the box is 32 * 8 + 28 pixels wide from x + 6.
    EXPECT_NE(screen[80 * 640 + 106 + 283], 0x7BDE);
    EXPECT_EQ(screen[80 * 640 + 106 + 284], 0x7BDE);
    gBackPixels = nullptr;
}

TEST_F(DlgMessageTest, NoWaitDialogIgnoresThePlayer) {
    DialogNode* n = Open("AB%PCD%Q", 10, 2, kDlgNoWait);
    Frames(6);
    Confirm();
    EXPECT_EQ(n->pageStart, 0u);
}

} // namespace

// The framework's frame: key repeat, the cancel lock, the handler slots by
// depth and the icon bar's mouse.
#include "menu_fixture.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> gCalls;

void Note(const char* what) { gCalls.push_back(what); }

MenuSlots RecordingSlots() {
    MenuSlots s{};
    s.cancel = [] { Note("cancel"); };
    s.key2 = [] { Note("key2"); };
    s.key10 = [] { Note("key10"); };
    s.down = [] { Note("down"); };
    s.up = [] { Note("up"); };
    s.pageDown = [] { Note("pageDown"); };
    s.pageUp = [] { Note("pageUp"); };
    s.left = [] { Note("left"); };
    s.right = [] { Note("right"); };
    s.confirm = [] { Note("confirm"); };
    s.draw = [] { Note("draw"); };
    return s;
}

class MenuFrameTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        gCalls.clear();
        MenuPage page{};
        page.firstId = 60;
        page.lastId = 62;
        page.slots = RecordingSlots();
        RegisterMenuPage(kPageSystem, page);
        InitMenu();
        gMenu.pageId = 60;
        gMenu.depth = kDepthPage;
        gMenuOnPreFrame = nullptr;
        SetMenuHandlers(kDepthPage);
    }
    // Frames at which the handler of `key` fires while it is held 1..frames.
    std::vector<int> FiringFrames(int key, const char* name, int frames) {
        std::vector<int> at;
        for (int f = 1; f <= frames; ++f) {
            Hold(key);
            gCalls.clear();
            MenuInput();
            for (const std::string& c : gCalls)
                if (c == name) at.push_back(f);
        }
        Release(key);
        return at;
    }
};

TEST_F(MenuFrameTest, HeldKeysRepeatByTheirOwnHoldCounts) {
    const std::vector<int> repeat{1, 8, 10, 12, 14};
    EXPECT_EQ(FiringFrames(kMenuKeyDown, "down", 14), repeat);
    EXPECT_EQ(FiringFrames(kMenuKeyLeft, "left", 14), repeat);
    // Left keeps its own count while PgUp is held from later on.
    std::vector<int> left;
    for (int f = 1; f <= 10; ++f) {
        Hold(kMenuKeyLeft);
        if (f >= 5) Hold(kMenuKeyPageUp);
        gCalls.clear();
        MenuInput();
        for (const std::string& c : gCalls)
            if (c == "left") left.push_back(f);
    }
    EXPECT_EQ(left, (std::vector<int>{1, 8, 10}));
    // Confirm, Esc, key 2 and key 10 act on the press only.
    EXPECT_EQ(FiringFrames(kMenuKeySpace, "confirm", 14), std::vector<int>{1});
    EXPECT_EQ(FiringFrames(kMenuKeyEsc, "cancel", 14), std::vector<int>{1});
    EXPECT_EQ(FiringFrames(kMenuKeyShift, "key2", 14), std::vector<int>{1});
    EXPECT_EQ(FiringFrames(kMenuKeyEnd, "key10", 14), std::vector<int>{1});
}

TEST_F(MenuFrameTest, IsKeyTriggeredFiresOnTheFirstFrameThenFromTwelve) {
    std::vector<int> at;
    for (int f = 1; f <= 16; ++f) {
        Hold(kMenuKeyDown);
        if (IsKeyTriggered(kMenuKeyDown)) at.push_back(f);
    }
    EXPECT_EQ(at, (std::vector<int>{1, 12, 14, 16}));
    EXPECT_EQ(IsKeyTriggered(-1), 0);
    EXPECT_EQ(IsKeyTriggered(kGameKeys), 0);
}

TEST_F(MenuFrameTest, RightCtrlTwiceWithinSixFramesCancelsOnce) {
    const struct {
        int secondPress; // frame of the second press
        int cancels;
    } cases[] = {{3, 1}, {6, 1}, {7, 2}, {10, 2}};
    for (const auto& c : cases) {
        gMenu.cancelLock = 0;
        int cancels = 0;
        for (int f = 1; f <= 12; ++f) {
            gKeyState[kMenuKeyCtrl].framesHeld = (f == 1 || f == c.secondPress) ? 1 : 0;
            gCalls.clear();
            MenuInput();
            for (const std::string& n : gCalls) cancels += n == "cancel";
        }
        EXPECT_EQ(cancels, c.cancels) << "second press on frame " << c.secondPress;
    }
    // Confirm by Space and Return on the same frame acts once.
    gKeyState[kMenuKeySpace].framesHeld = gKeyState[kMenuKeyReturn].framesHeld = 1;
    gCalls.clear();
    MenuInput();
    EXPECT_EQ(std::count(gCalls.begin(), gCalls.end(), "confirm"), 1);
}

TEST_F(MenuFrameTest, HandlerSlotsByDepth) {
    // Depth 1: the icon bar.
    SetMenuHandlers(kDepthRoot);
    EXPECT_EQ(gMenuOnPreFrame, &RootMenuMouse);
    EXPECT_EQ(gMenuOnCancel, &RootMenuCancel);
    EXPECT_EQ(gMenuOnLeft, &RootMenuLeft);
    EXPECT_EQ(gMenuOnRight, &RootMenuRight);
    EXPECT_EQ(gMenuOnConfirm, &RootMenuConfirm);
    EXPECT_EQ(gMenuOnDraw, &RootMenuDraw);
    EXPECT_EQ(gMenuOnDown, &MenuNothing);
    EXPECT_EQ(gMenuOnKey10, &MenuNothing);
    // Depth 2 in the registered family: its slots; the pre-frame slot stays.
    const struct {
        int pageId;
        bool installs;
    } ids[] = {{59, false}, {60, true}, {62, true}, {63, false}, {65, false}, {36, false}};
    for (const auto& c : ids) {
        SetMenuHandlers(kDepthRoot);
        gMenu.pageId = c.pageId;
        SetMenuHandlers(kDepthPage);
        EXPECT_EQ(gMenuOnPreFrame, &RootMenuMouse) << c.pageId;
        EXPECT_EQ(gMenuOnConfirm == &RootMenuConfirm, !c.installs) << c.pageId;
        // A slot the page left empty is the empty handler, never null.
        EXPECT_EQ(gMenuOnFrame, &MenuNothing) << c.pageId;
    }
    // Any other depth changes nothing.
    SetMenuHandlers(kDepthRoot);
    for (int32_t depth : {0, 3, 5, 15, 500}) {
        SetMenuHandlers(depth);
        EXPECT_EQ(gMenuOnConfirm, &RootMenuConfirm) << depth;
    }
    // The title depth runs the title's enter and clears the pre-frame slot.
    RegisterTitleScreen();
    gMenu.pageId = 0;
    SetMenuHandlers(kDepthTitle);
    EXPECT_EQ(gMenuOnPreFrame, nullptr);
    EXPECT_EQ(gMenuOnConfirm, &TitleScreenConfirm);
    EXPECT_EQ(gTitle.fade, -6);
}

TEST_F(MenuFrameTest, EquipNowFromTheShopKeepsTheShopBit) {
    gMenuRequest = 0xC0000001u;
    MenuFrame();
    EXPECT_EQ(gMenu.depth, kDepthPage);
    EXPECT_EQ(gMenu.pageId, 36);
    EXPECT_EQ(gMenuRequest, 0x20000001u);
    // The shop's word without bit 29 gets it as well.
    gMenuRequest = 0x40000001u | kMenuPending;
    MenuFrame();
    EXPECT_TRUE(gMenuRequest & kMenuFromShop);
    // A plain menu request opens the icon bar over the item page.
    gMenuRequest = 0x80000001u;
    MenuFrame();
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    EXPECT_EQ(gMenu.pageIndex, kPageItem);
    EXPECT_EQ(gMenuRequest, 1u);
}

TEST_F(MenuFrameTest, IconBarClicksOpenPagesOnlyFromTheBarOrAPage) {
    int leaves = 0;
    MenuPage system = *RegisteredMenuPage(kPageSystem);
    system.leave = [] { Note("leave"); };
    RegisterMenuPage(kPageSystem, system);
    MenuPage magic{};
    magic.firstId = 42;
    magic.lastId = 46;
    magic.enter = [] { Note("enterMagic"); };
    RegisterMenuPage(kPageMagic, magic);
    InitMenu();
    auto click = [](int x, int y) {
        gKeyInput.mouseX = x;
        gKeyInput.mouseY = y;
        gMenu.mouseButtons = kMouseLeftSingle;
        gCalls.clear();
        RootMenuMouse();
    };
    // On the system page at depth 2: a click on the magic icon (cell 2).
    gMenu.pageIndex = kPageSystem;
    gMenu.depth = kDepthPage;
    click(220 + 7 * 25, 20);
    EXPECT_EQ(gMenu.pageIndex, kPageMagic);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"leave", "enterMagic"}));
    (void)leaves;
    // The gap between two icons does nothing.
    for (int gap : {0, 8, 9}) {
        click(220 + 7 * (20 + gap), 20);
        EXPECT_TRUE(gCalls.empty()) << gap;
    }
    // At depth 500 (the book over the item menu) the bar is not the top.
    gMenu.depth = kDepthBookOverItems;
    gMenu.pageIndex = kPageItem;
    click(220 + 7 * 25, 20);
    EXPECT_EQ(gMenu.pageIndex, kPageItem);
    EXPECT_TRUE(gCalls.empty());
    // A busy page (the system menu's key capture) keeps the mouse.
    system.busy = [] { return 1; };
    RegisterMenuPage(kPageSystem, system);
    InitMenu();
    gMenu.depth = kDepthPage;
    gMenu.pageIndex = kPageSystem;
    click(220 + 7 * 25, 20);
    EXPECT_EQ(gMenu.pageIndex, kPageSystem);
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(MenuFrameTest, PartyShowsAtMostThreeMembers) {
    for (int f = 30; f <= 33; ++f) SetFlag(f);
    EXPECT_EQ(CollectParty(), 4);
    EXPECT_EQ(PartyMember(2), 2);
    EXPECT_EQ(PartyMember(3), -1);
    EXPECT_EQ(PartyMember(-1), -1);
    BuildPartyList();
    EXPECT_EQ(gMenu.rows[2].member, 2);
    EXPECT_EQ(gMenu.rows[3].member, 0xFFFF);
    EXPECT_EQ(gMenu.rows[3].y, 442);
}

TEST_F(MenuFrameTest, RootCancelBelowDepthOneClosesTheMenu) {
    gMenuRequest = 1;
    gMenu.depth = kDepthRoot;
    RootMenuCancel();
    EXPECT_EQ(gMenuRequest, 0u);
    // Left and Right stay within the bar's six pages.
    gMenu.pageIndex = kPageItem;
    RootMenuLeft();
    EXPECT_EQ(gMenu.pageIndex, kPageItem);
    for (int i = 0; i < 8; ++i) RootMenuRight();
    EXPECT_EQ(gMenu.pageIndex, kPageSystem);
    EXPECT_EQ(gMenu.pageId, 60);
    EXPECT_EQ(PageIndexOf(66), kPageBook);
}

} // namespace

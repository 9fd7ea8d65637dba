#include "menu/frame/menu_frame.h"

#include <cstring>

#include "base/input.h"
#include "base/settings.h"
#include "draw/colour_ops.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/pic_number.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/frame/status_panel.h"
#include "menu/menu_services.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

MenuState gMenu;
uint32_t gMenuStatus;
MenuHandler gMenuOnPreFrame, gMenuOnFrame, gMenuOnCancel, gMenuOnKey2, gMenuOnKey10, gMenuOnDown, gMenuOnUp,
    gMenuOnPageDown, gMenuOnPageUp, gMenuOnLeft, gMenuOnRight, gMenuOnConfirm, gMenuOnDraw;

namespace {

constexpr int kSfxOpen = 187;
constexpr int kSfxMove = 139;
constexpr int kFirstPageId = 30;
constexpr int kEquipPageId = 36;
constexpr int kCancelLockFrames = 6;
constexpr int kFlagPartyFirst = 30;
constexpr int kFlagSpiritPreview = 73;
constexpr int kFlagNoSilver = 81;
constexpr int kCursorMenu = 13;
constexpr uint16_t kMenuPack = 9002;
constexpr uint16_t kTitlePack = 9003;
constexpr int kScreenPixels = 640 * 480;

// What the pages registered; the page tables are copied from it.
struct Registry {
    MenuPage root[kRootPageCount];
    bool rootSet[kRootPageCount];
    MenuPage title;
    bool titleSet;
    SaveScreenEntry saveScreen;
};
Registry gRegistry;

MenuPage* TableEntry(int32_t index) {
    if (index < kFirstRootPage || index > kLastRootPage) return nullptr;
    return &gMenu.pages[index - kFirstRootPage];
}

void CallPageEnter(int32_t index) {
    if (const MenuPage* p = TableEntry(index); p && p->enter) p->enter();
}
void CallPageLeave(int32_t index) {
    if (const MenuPage* p = TableEntry(index); p && p->leave) p->leave();
}

MenuHandler OrNothing(MenuHandler h) { return h ? h : MenuNothing; }

// A slot is read when it is called: a handler that changes the slots acts
// on the slots called after it. A slot never installed does nothing.
void Call(MenuHandler h) {
    if (h) h();
}

void InstallSlots(const MenuSlots& s) {
    gMenuOnFrame = OrNothing(s.frame);
    gMenuOnCancel = OrNothing(s.cancel);
    gMenuOnKey2 = OrNothing(s.key2);
    gMenuOnKey10 = OrNothing(s.key10);
    gMenuOnDown = OrNothing(s.down);
    gMenuOnUp = OrNothing(s.up);
    gMenuOnPageDown = OrNothing(s.pageDown);
    gMenuOnPageUp = OrNothing(s.pageUp);
    gMenuOnLeft = OrNothing(s.left);
    gMenuOnRight = OrNothing(s.right);
    gMenuOnConfirm = OrNothing(s.confirm);
    gMenuOnDraw = OrNothing(s.draw);
}

void InstallRootSlots() {
    gMenuOnPreFrame = RootMenuMouse;
    MenuSlots s{};
    s.cancel = RootMenuCancel;
    s.left = RootMenuLeft;
    s.right = RootMenuRight;
    s.confirm = RootMenuConfirm;
    s.draw = RootMenuDraw;
    InstallSlots(s);
}

// The family of a page id at depth 2, or null.
const MenuPage* FamilyOf(int32_t pageId) {
    for (const MenuPage& p : gMenu.pages)
        if ((p.firstId || p.lastId) && pageId >= p.firstId && pageId <= p.lastId) return &p;
    return nullptr;
}

void SetAct(ActRecord* r, int act, int qq) {
    r->act = act;
    r->qq = qq;
}

void ResetActs() {
    MenuActs& a = gMenu.acts;
    ActRecord* all[] = {&a.background, &a.barTop, &a.barBottom, &a.iconBar, &a.iconCursor, &a.panelBack,
                        &a.spiritBack, &a.spirit, &a.barTrack, &a.barThumb};
    for (ActRecord* r : all) ResetActRecord(r);
    for (int i = 0; i < 4; ++i) {
        for (ActRecord* r : {&a.portrait[i], &a.tab[i], &a.memberBack[i]}) ResetActRecord(r);
        SetAct(&a.portrait[i], kMenuPack, 8 + i);
        SetAct(&a.tab[i], kMenuPack, 92 + i);
        SetAct(&a.memberBack[i], kMenuPack, 72 + i);
    }
    SetAct(&a.background, kMenuPack, 52);
    SetAct(&a.barTop, kMenuPack, 26);
    SetAct(&a.barBottom, kMenuPack, 27);
    SetAct(&a.iconBar, kMenuPack, 2);
    SetAct(&a.iconCursor, kMenuPack, 16);
    SetAct(&a.panelBack, kMenuPack, 1);
    SetAct(&a.spiritBack, kMenuPack, 91);
    SetAct(&a.spirit, 9011, 0);
    SetAct(&a.barTrack, kMenuPack, 28);
    SetAct(&a.barThumb, kMenuPack, 29);
}

// The menu's own acts for a map menu (kinds 0..2) or the title.
void SetMapMenuActs() {
    MenuActs& a = gMenu.acts;
    SetAct(&a.background, kMenuPack, 52);
    SetAct(&a.barTop, kMenuPack, 26);
    SetAct(&a.barBottom, kMenuPack, 27);
    for (int i = 0; i < 4; ++i) SetAct(&a.portrait[i], kMenuPack, 8 + i);
}

void SetTitleActs() {
    MenuActs& a = gMenu.acts;
    for (int i = 0; i < 4; ++i) {
        a.portrait[i] = ActRecord{};
        ResetActRecord(&a.portrait[i]);
        SetAct(&a.portrait[i], kTitlePack, 44 + i);
    }
    a.background.qq = 78;
}

void OpenRequestedMenu(uint32_t kind) {
    CollectParty();
    gMenu.lastMouseX = gMenu.lastMouseY = -1;
    if (kind <= kMenuShop) {
        gSaveLoadKind = 0;
        SetMapMenuActs();
        if (!(gMenuRequest & kMenuEquipNow)) {
            OpenMenuPage(kFirstPageId, kDepthRoot);
        } else {
            OpenMenuPage(kEquipPageId, kDepthPage);
            CallPageEnter(gMenu.pageIndex);
            gMenuOnPreFrame = nullptr;
            const MenuPage* equip = TableEntry(kPageEquip);
            gMenuOnFrame = OrNothing(equip ? equip->slots.frame : nullptr);
            // The equipment page tells the shop's visit by bit 29; the shop
            // writes it together with bit 30, and a request that only has
            // bit 30 came from the shop's path too.
            gMenuRequest |= kMenuFromShop;
        }
        MenuSfx(kSfxOpen);
    } else if (kind == kMenuTitle || kind == kMenuTitleLast) {
        ClearTswCache();
        SetTitleActs();
        OpenMenuPage(kind == kMenuTitle ? 0 : 3, kDepthTitle);
    } else if (kind == kMenuTitle + 1 || kind == kMenuTitle + 2) {
        ClearTswCache();
        OpenMenuPage(kind == kMenuTitle + 1 ? 1 : 2, kDepthTitle);
    }
    gMenu.frameCount = kMenuOpeningFrame - 1;
    gMenuRequest &= ~(kMenuPending | kMenuEquipNow);
    gMenuStatus = 0;
}

uint16_t Colour(int r, int g, int b) { return static_cast<uint16_t>(MakeColour(r, g, b)); }

bool SlidingOut() {
    return (gMenu.pageIndex == kPageRefine && gMenu.depth >= kDepthPage && IsFlag(kFlagSpiritPreview)) ||
           (gMenu.pageIndex == kPageItem && gMenu.depth >= kDepthBookOverItems);
}

int PanelMode() {
    if (gMenu.depth == kDepthRoot) return 1;
    switch (gMenu.pageIndex) {
    case kPageEquip: return 2;
    case kPageFeed: return 3;
    default: return 1;
    }
}

void DrawPanelAndBar() {
    MenuActs& a = gMenu.acts;
    if (!SlidingOut()) {
        DrawMemberTab();
        DrawActData(&a.panelBack, -gMenu.panelSlide, 0);
        DrawStatusPanel(gMenu.panelSlide, PanelMode());
        return;
    }
    int32_t slide = gMenu.panelSlide == 0 ? 1 : gMenu.panelSlide;
    DrawActData(&a.panelBack, -slide, 0);
    DrawStatusPanel(slide, 2);
    slide *= 2;
    gMenu.panelSlide = slide > kPanelSlideMax ? kPanelSlideMax : slide;
}

void RememberMouse() {
    gMenu.lastMouseX = gKeyInput.mouseX;
    gMenu.lastMouseY = gKeyInput.mouseY;
}

void PresentMenu(uint16_t* pixels) {
    UnlockBackBuffer(gBackBuffer, pixels);
    gDisplay.Blt(gBackBuffer);
    RememberMouse();
    gMenu.lastPageIndex = gMenu.pageIndex;
}
} // namespace

void MenuNothing() {}

void RegisterMenuPage(int index, const MenuPage& page) {
    if (index == kPageTitle) {
        gRegistry.title = page;
        gRegistry.titleSet = true;
        return;
    }
    if (index < kFirstRootPage || index > kLastRootPage) return;
    gRegistry.root[index - kFirstRootPage] = page;
    gRegistry.rootSet[index - kFirstRootPage] = true;
}

const MenuPage* RegisteredMenuPage(int index) {
    if (index == kPageTitle) return gRegistry.titleSet ? &gRegistry.title : nullptr;
    if (index < kFirstRootPage || index > kLastRootPage) return nullptr;
    return gRegistry.rootSet[index - kFirstRootPage] ? &gRegistry.root[index - kFirstRootPage] : nullptr;
}

void ClearMenuPages() { gRegistry = Registry{}; }

void RegisterSaveScreen(const SaveScreenEntry& entry) { gRegistry.saveScreen = entry; }

void OpenSaveScreen(uint32_t kind, uint32_t page, uint32_t loading) {
    gSaveLoadMode = 3;
    gSaveLoadKind = kind;
    gSaveLoadPage = page;
    gSaveLoadLoading = loading;
    if (gRegistry.saveScreen.reset) gRegistry.saveScreen.reset();
}

void SaveScreenNewGame() {
    gSaveLoadMode = 0;
    if (gRegistry.saveScreen.newGame) gRegistry.saveScreen.newGame();
}

void LeaveMenuFromPage() {
    if (gMenu.depth >= kDepthPage && gMenu.depth != kDepthTitle) CallPageLeave(gMenu.pageIndex);
    gMenuRequest = 0;
}

int32_t PageIndexOf(int32_t pageId) { return 11 + (pageId - kFirstPageId) / 6; }

void InitMenuPageTables() {
    for (int i = 0; i < kRootPageCount; ++i) gMenu.pages[i] = gRegistry.rootSet[i] ? gRegistry.root[i] : MenuPage{};
}

void InitMenu() {
    gMenuStatus = 0;
    InitMenuPageTables();
    ResetActs();
}

void SetMenuHandlers(int32_t depth) {
    if (depth == kDepthRoot) {
        InitMenuPageTables();
        InstallRootSlots();
    } else if (depth == kDepthTitle) {
        if (!gRegistry.titleSet) return;
        if (gRegistry.title.enter) gRegistry.title.enter();
        gMenuOnPreFrame = nullptr;
        InstallSlots(gRegistry.title.slots);
    } else if (depth == kDepthPage) {
        if (const MenuPage* family = FamilyOf(gMenu.pageId)) InstallSlots(family->slots);
    }
}

void OpenMenuPage(int32_t pageId, int32_t depth) {
    gMenu.depth = depth;
    gMenu.member = kNoMember;
    gMenu.pageIndex = PageIndexOf(pageId);
    gMenu.pageId = gMenu.pageIdCopy[0] = gMenu.pageIdCopy[1] = pageId;
    SetMenuHandlers(depth);
    BuildPartyList();
    // The key that opened the page must not act on it as well.
    ClearKeyStates();
    gMenu.fade = 0;
    for (cTextFont* f : {&gFontLarge, &gFontMedium, &gFontSmall}) {
        f->SetTextShadow(Colour(6, 4, 3));
        f->SetTextColour(kNoTextBox);
    }
}

bool IsKeyPressed(int key) { return gKeyState[key].framesHeld == 1; }

bool IsKeyPressedOrRepeated(int key) {
    uint32_t held = gKeyState[key].framesHeld;
    return held == 1 || (held > 7 && held % 2 == 0);
}

void MenuSfx(int id) { PlaySfx(id, int(gSfxVolume)); }

int IsKeyTriggered(int key) {
    if (key < 0 || key >= kGameKeys) return 0;
    uint32_t held = gKeyState[key].framesHeld;
    return (held == 1 || (held > 10 && held % 2 == 0)) ? 1 : 0;
}

void UpdateMenuMouse() {
    uint32_t bits = 0;
    const KeyState& left = gKeyState[kMenuKeyMouseLeft];
    const KeyState& right = gKeyState[kMenuKeyMouseRight];
    if (left.framesHeld == 1 && left.state == 1) bits |= kMouseLeftSingle;
    if (left.framesHeld == 1 && left.state > 1) bits |= kMouseLeftDouble;
    if (right.framesHeld == 1 && right.state == 1) bits |= kMouseRightSingle;
    if (right.framesHeld == 1 && right.state > 1) bits |= kMouseRightDouble;
    gMenu.mouseButtons = bits;
}

void MenuInput() {
    Call(gMenuOnPreFrame);
    Call(gMenuOnFrame);
    if (IsKeyPressed(kMenuKeyEsc)) Call(gMenuOnCancel);
    if (IsKeyPressed(kMenuKeyCtrl) && gMenu.cancelLock == 0) {
        Call(gMenuOnCancel);
        gMenu.cancelLock = kCancelLockFrames;
    }
    if (gMenu.cancelLock > 0) --gMenu.cancelLock;
    if (IsKeyPressed(kMenuKeyShift)) Call(gMenuOnKey2);
    if (IsKeyPressed(kMenuKeyEnd)) Call(gMenuOnKey10);
    // Each slot is read when its key is tested: a handler that changes the
    // slots acts on the keys tested after it.
    if (IsKeyPressedOrRepeated(kMenuKeyDown)) Call(gMenuOnDown);
    if (IsKeyPressedOrRepeated(kMenuKeyUp)) Call(gMenuOnUp);
    if (IsKeyPressedOrRepeated(kMenuKeyPageDown)) Call(gMenuOnPageDown);
    if (IsKeyPressedOrRepeated(kMenuKeyPageUp)) Call(gMenuOnPageUp);
    if (IsKeyPressedOrRepeated(kMenuKeyLeft)) Call(gMenuOnLeft);
    if (IsKeyPressedOrRepeated(kMenuKeyRight)) Call(gMenuOnRight);
    if (IsKeyPressed(kMenuKeySpace) || IsKeyPressed(kMenuKeyReturn)) Call(gMenuOnConfirm);
}

void RenderMenu() {
    if (gMenu.frameCount == kMenuOpeningFrame) gMenu.panelSlide = kPanelSlideMax;
    if (!SlidingOut()) gMenu.panelSlide >>= 1;
    uint16_t* pixels = LockBackBuffer(gBackBuffer);
    if (!pixels) return;
    if (gMenu.depth != kDepthTitle) {
        int32_t s = gMenu.frameCount < 75 ? gMenu.panelSlide : 0;
        if (gMenu.pageIndex == kPageFeed && IsFlag(kFlagSpiritPreview)) s = 0;
        DrawActData(&gMenu.acts.background, 180 + s, 0);
    }
    if (gMenu.depth != kDepthRoot) {
        Call(gMenuOnDraw);
        if (gMenuRequest == 0) {
            UnlockBackBuffer(gBackBuffer, pixels);
            return;
        }
    }
    if (gSaveLoadKind != 0 && gSaveLoadMode != 0) {
        // The save screen runs over the menu and presents its own frame.
        UnlockBackBuffer(gBackBuffer, pixels);
        RememberMouse();
        return;
    }
    if (gMenu.depth != kDepthTitle && gMenu.pageIndex != kPageBook) DrawPanelAndBar();
    if (!IsFlag(kFlagIdle)) DrawMenuCursor(kCursorMenu);
    if (gMenu.depth == kDepthRoot && !IsFlag(kFlagNoSilver)) DrawPicNumber(636, 460, int32_t(gTalkVar[0]));
    if (gMenu.fade != 0) AddRgbToPixels(gBackPixels, kScreenPixels, gMenu.fade, gMenu.fade, gMenu.fade);
    PresentMenu(pixels);
}

void MenuFrame() {
    if (gMenuRequest & kMenuPending) OpenRequestedMenu(gMenuRequest & kMenuKindMask);
    ++gMenu.frameCount;
    UpdateMenuMouse();
    MenuInput();
    if (gMenuRequest != 0) RenderMenu();
    if (gMenuRequest == 0) gMenuStatus &= ~kMenuStatusSaved;
}

int CollectParty() {
    gMenu.partyCount = 0;
    for (int32_t& m : gMenu.party) m = -1;
    for (int m = 0; m < kMenuPartyMax; ++m)
        if (IsFlag(kFlagPartyFirst + m)) gMenu.party[gMenu.partyCount++] = m;
    return gMenu.partyCount;
}

int32_t PartyMember(int i) { return (i >= 0 && i < kMenuRowsShown) ? gMenu.party[i] : -1; }

int PartyCount() { return gMenu.partyCount; }

void BuildPartyList() {
    static constexpr uint16_t kRowY[kPanelRows] = {52, 182, 312, 442};
    for (int i = 0; i < kPanelRows; ++i) {
        PanelRow& r = gMenu.rows[i];
        r = PanelRow{};
        r.member = 0xFFFF;
        r.x = 14;
        r.y = kRowY[i];
        r.packs[0] = 9003;
        r.packs[1] = 9004;
        r.packs[2] = 9002;
    }
    int row = 0;
    for (int i = 0; i < kMenuRowsShown; ++i) {
        int32_t m = PartyMember(i);
        if (m >= 0) gMenu.rows[row++].member = uint16_t(m);
    }
}

// ---- Root icon bar ------------------------------------------------------------

void RootMenuLeft() {
    if (gMenu.pageIndex > kFirstRootPage) --gMenu.pageIndex;
    gMenu.acts.background.qq = gMenu.pageIndex + 41;
    gMenu.pageId = 6 * gMenu.pageIndex - 36;
    MenuSfx(kSfxMove);
}

void RootMenuRight() {
    if (gMenu.pageIndex < kPageSystem) ++gMenu.pageIndex;
    gMenu.acts.background.qq = gMenu.pageIndex + 41;
    gMenu.pageId = 6 * gMenu.pageIndex - 36;
    MenuSfx(kSfxMove);
}

void RootMenuConfirm() {
    gMenu.depth = kDepthPage;
    if (gMenu.pageIndex != kPageBook) gMenu.acts.background.qq = gMenu.pageIndex + 41;
    SetMenuHandlers(kDepthPage);
    CallPageEnter(gMenu.pageIndex);
    MenuSfx(kSfxOpen);
}

void RootMenuCancel() {
    --gMenu.depth;
    if (gMenu.depth < kDepthRoot) gMenuRequest = 0;
    SetMenuHandlers(gMenu.depth);
}

void RootMenuDraw() {}

void RootMenuMouse() {
    // The bar answers only where it is the menu's top: on the bar itself and
    // on a page opened from it, and not while that page finishes something
    // of its own (a fade, a key capture).
    if (gMenu.depth != kDepthRoot && gMenu.depth != kDepthPage) return;
    if (gMenu.depth == kDepthPage) {
        const MenuPage* page = TableEntry(gMenu.pageIndex);
        if (page && page->busy && page->busy()) return;
    }
    const int32_t x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    if (x <= 220 || x >= 630) return;
    if ((gMenu.mouseButtons & kMouseLeftSingle) && y > 10 && y < 42) {
        int32_t c = (x - 220) / 7;
        if (c % 10 >= 1 && c % 10 <= 7) {
            if (gMenu.depth != kDepthRoot) CallPageLeave(gMenu.pageIndex);
            gMenu.pageIndex = c / 10 + 12;
            RootMenuLeft();
            RootMenuConfirm();
        }
    } else if ((gMenu.mouseButtons & kMouseRightClick) && gMenu.depth == kDepthRoot) {
        gKeyInput.mouseSuppress = 12;
        RootMenuCancel();
    }
}

void ResetMenuFrame() {
    gMenu = MenuState{};
    gMenuStatus = 0;
    gRegistry = Registry{};
    gMenuOnPreFrame = nullptr;
    for (MenuHandler* slot : {&gMenuOnFrame, &gMenuOnCancel, &gMenuOnKey2, &gMenuOnKey10, &gMenuOnDown, &gMenuOnUp,
                              &gMenuOnPageDown, &gMenuOnPageUp, &gMenuOnLeft, &gMenuOnRight, &gMenuOnConfirm,
                              &gMenuOnDraw})
        *slot = MenuNothing;
    ResetActs();
}

#include "tools/story_player.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "base/game_state.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/input/input_common.h"
#include "battle/input/input_state.h"
#include "battle/manrole/manrole.h"
#include "battle/script/fight_script.h"
#include "draw/display.h"
#include "draw/screenshot.h"
#include "base/settings.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_pages.h"
#include "menu/equip/equip_page.h"
#include "menu/feed/feed_page.h"
#include "menu/items/item_menu.h"
#include "menu/menu_services.h"
#include "menu/refine/refine_page.h"
#include "menu/save/save_screen.h"
#include "menu/system/system_menu.h"
#include "menu/title/title_screen.h"
#include "platform/headless/headless.h"
#include "shell/launcher.h"
#include "tools/replay_run.h"
#include "world/map/map.h"
#include "world/party/item_list.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

namespace {

constexpr uint32_t kCellWall = 0x40000000;
constexpr uint32_t kCellRole = 0x10000000;
constexpr uint32_t kCellEvent = 0xFF;
constexpr int kLauncherCentreX = 320, kLauncherCentreY = 240;
constexpr int kZoneHalfWidth = 56, kZoneHalfHeight = 20;
// Every step gives up after this many frames; the whole run after kRunFrames.
constexpr int kStepFrames = 3000;
constexpr uint32_t kRunFrames = 40000;
// A fight gives up after this many frames; the run of all fights after
// kFightsRunFrames; the walk in the woods for a random fight after
// kWoodsWalkFrames.
constexpr int kFightFrames = 6000;
constexpr uint32_t kFightsRunFrames = 90000;
constexpr int kWoodsWalkFrames = 6000;
// A fight whose script, acting role, menu and enemies' lives all stay as
// they are for this many frames has stalled.
constexpr int kFightStallFrames = 1500;
// The battle script's opcode of the turns ("fight").
constexpr int16_t kFigOpFight = 1;
// The battle's command-menu state of the icons (kMenuIcons of
// battle/input/menu_choice.h, whose enum shares its name with the menus'
// state) and the first state of the result pages.
constexpr int32_t kBattleMenuIcons = 1, kBattleMenuTarget = 3, kBattleResultPages = 96;
// The battle's item list (kMenuItems), its tabs, and the scan code of the
// digit 3 (the icon menu's third entry, the items, chosen directly).
constexpr int32_t kBattleMenuItems = 4;
constexpr int kBattleItemTabs = 4;
constexpr uint8_t kScanDigit3 = 0x04;
// The magic list (kMenuMagic), its tabs, the digit 2 that opens it and the
// battle's back key record (Esc).
constexpr int32_t kBattleMenuMagic = 2;
constexpr int kBattleMagicTabs = 3;
constexpr uint8_t kScanDigit2 = 0x03;
constexpr uint8_t kScanDigit1 = 0x02;
// The digits of the defence (5), the capture (6, the hero's first extra
// entry) and the spirit's orders (7, his second).
constexpr uint8_t kScanDigit5 = 0x06, kScanDigit6 = 0x07, kScanDigit7 = 0x08;
// The battle's capture-item list (kMenuCaptureItems) and the capture way
// of that list in the capture sub-menu.
constexpr int32_t kBattleMenuCaptureItems = 80;
constexpr int kCaptureWayItem = 2;
constexpr int kBattleKeyBack = 0;
// Frames a page takes to settle (the status panel's slide) before it is looked at.
constexpr int kSettleFrames = 16;

struct GameOver {};       // the program ended while the player waited
struct StepFailed {
    std::string why;
};

// The game thread and the player's thread take turns: the game runs until
// it presents a frame, then waits while the player looks and queues input.
class Lockstep {
public:
    // Game thread, after each present.
    void GameTurn(uint32_t frame) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (finished_) return;
        frame_ = frame;
        playerTurn_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !playerTurn_; });
    }
    // Game thread, before each launch: false once the player has finished.
    bool StartLaunch(int launch) {
        std::lock_guard<std::mutex> lock(mutex_);
        launch_ = launch;
        return !finished_;
    }
    // Game thread, when no launch follows.
    void ProgramOver() {
        std::lock_guard<std::mutex> lock(mutex_);
        over_ = true;
        changed_.notify_all();
    }
    // Player thread: the game runs until its next frame.
    void PlayerWait() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (started_) playerTurn_ = false; // the first call waits for the first frame
        started_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return playerTurn_ || over_; });
        if (!playerTurn_) throw GameOver{};
    }
    // Player thread: nothing more to do; the game runs on its own.
    void PlayerFinished() {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        playerTurn_ = false;
        changed_.notify_all();
    }
    uint32_t Frame() const { return frame_; }
    int Launch() const { return launch_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool playerTurn_ = false, finished_ = false, over_ = false, started_ = false;
    uint32_t frame_ = 0;
    int launch_ = -1;
};

Lockstep* gStep = nullptr;
bool gCloseAfterFinish = false; // a failed player: the program is closed

void OnPresent(uint32_t frame) {
    gStep->GameTurn(frame);
    if (gCloseAfterFinish) HeadlessQueueEvent({kPlatEventQuit, 0, 0});
}

bool BeforeLaunch(int launch) { return gStep->StartLaunch(launch); }

class Player {
public:
    Player(const SampleStory& story, StoryRecording* out, std::string shots, CheckHook hook)
        : story_(story), out_(out), script_(&out->script), shots_(std::move(shots)), hook_(std::move(hook)) {}

    void Play() {
        Frame();
        // The first start: a new game, the elder's question, Mei, the bag,
        // refining and feeding, a save.
        Launcher(kZoneNewGame);
        NewGame("Lan");
        Check(kCheckNewGame);
        FinishTalk("the opening");
        Check(kCheckOpeningDone);
        TalkTo(RoleNamed("Elder"));
        Choose(0, kCheckElderChoice);
        FinishTalk("the elder's talk");
        Check(kCheckElderAsked);
        TalkTo(RoleNamed("Mei"));
        FinishTalk("Mei's talk");
        Check(kCheckMeiJoined);
        OpenPage(kPageItem);
        Frames(kSettleFrames);  // the status panel slides in or out
        Check(kCheckItemPage);
        UseItem(kReplayUsedItem);
        LeaveMenu();
        Check(kCheckHerbUsed);
        OpenPage(kPageEquip);
        Frames(kSettleFrames);  // the status panel slides in or out
        Check(kCheckEquipPage);
        LeaveMenu();
        OpenPage(kPageMagic);
        Frames(kSettleFrames);  // the status panel slides in or out
        Check(kCheckMagicPage);
        LeaveMenu();
        OpenPage(kPageRefine);
        Frames(kSettleFrames);  // the status panel slides in or out
        Check(kCheckRefinePage);
        Refine(story_.recipes.at(0));
        LeaveMenu();
        Check(kCheckRefined);
        OpenPage(kPageFeed);
        Frames(kSettleFrames);  // the status panel slides in or out
        Check(kCheckFeedPage);
        Feed(kReplayFedItem);
        LeaveMenu();
        Check(kCheckSpiritFed);
        OpenPage(kPageSystem);
        Frames(kSettleFrames);  // the status panel slides in or out
        Check(kCheckMenuOpen);
        SaveToSlot(kReplaySaveSlot);
        Check(kCheckSaved);
        LeaveMenu();
        // The woods in the rain, the shrine's video and its mini-game.
        WalkOnto(EventCell(1), "the east gate");
        WaitFor("the woods", [this] { return gCurrentMap != story_.start[0] && TalkIdle(); });
        Frames(40);  // the rain sets in
        Check(kCheckWoods);
        WalkOnto(EventCell(2), "the shrine");
        FinishTalkUntil("the shrine's video", [] { return (gGameMode & kModeVideo) != 0; });
        Frames(10);
        Check(kCheckShrineVideo);
        FinishTalkUntil("the mini-game", [] { return (gGameMode & kModeMiniGame) != 0; });
        Climb();
        FinishTalk("the shrine's talk");
        Check(kCheckCharmFound);
        OpenPage(kPageSystem);
        LookAtSettings();
        EndGame();
        // The second start: continue, and the newest slot loads.
        WaitForLaunch(1);
        Launcher(kZoneContinue);
        LoadSlot(kReplaySaveSlot);
        Check(kCheckLoaded);
        Close();
    }

    // The training fight: the party of the hero, Mei and the talisman's
    // spirit against the straw dummy.
    void PlayTrainingFight() {
        Frame();
        Launcher(kZoneNewGame);
        NewGame("Lan");
        FinishTalk("the opening");
        TalkTo(RoleNamed("Elder"));
        Choose(0, kCheckElderChoice);
        FinishTalk("the elder's talk");
        TalkTo(RoleNamed("Mei"));
        FinishTalk("Mei's talk");
        TalkTo(RoleNamed("Dummy"));
        Choose(0, kCheckFightChoice);
        PlayFight(kReplayTrainingFight);
        Close();
    }

    // The three fights. The hero and the talisman's spirit go to the shrine
    // first: its charm stirs the woods (flag 12), and the guardian woken
    // at the shrine again beats the two (talk 99 wakes them in the
    // village). Then Mei joins, the training fight is won, and a random
    // fight in the woods is won.
    void PlayAllFights() {
        runFrames_ = kFightsRunFrames;
        Frame();
        Launcher(kZoneNewGame);
        NewGame("Lan");
        FinishTalk("the opening");
        TalkTo(RoleNamed("Elder"));
        Choose(0, kCheckElderChoice);
        FinishTalk("the elder's talk");
        ToTheWoods();
        WalkOnto(EventCell(2), "the shrine");
        FinishTalkUntil("the shrine's video", [] { return (gGameMode & kModeVideo) != 0; });
        FinishTalkUntil("the mini-game", [] { return (gGameMode & kModeMiniGame) != 0; });
        Climb();
        FinishTalk("the shrine's talk");
        // Off the shrine's cell and onto it again: its guardian wakes.
        WalkOnto(EventCell(2), "the shrine");
        if (gInBattle != 0 || gFightRequest != 0) Fail("a random fight on the way to the shrine");
        step_ = "the shrine's guardian";
        for (int i = 0; i < kStepFrames && gInBattle == 0; ++i) {
            if (gDialogList) Tap(kKeyConfirm);
            else Frame();
        }
        PlayFight(kReplayShrineFight);
        // Mei, the paper talisman worn by the hero (it grows in the fights
        // he wins), the training fight, the woods' random fight.
        TalkTo(RoleNamed("Mei"));
        FinishTalk("Mei's talk");
        OpenPage(kPageEquip);
        Frames(kSettleFrames);  // the status panel slides in
        Wear(kReplayTreasureSlot, kReplayTreasure);
        LeaveMenu();
        Check(kCheckTreasureWorn);
        TalkTo(RoleNamed("Dummy"));
        Choose(0, kCheckFightChoice);
        PlayFight(kReplayTrainingFight);
        ToTheWoods();
        WalkUntilFight();
        PlayFight(kReplayWoodsFight);
        Close();
    }

private:
    // ---- Fights -------------------------------------------------------------
    // Fight `number` from its start to the map again (after talk 99 when it
    // was lost).
    void PlayFight(uint32_t number) {
        StartFight(number);
        Check(kCheckFightStart);
        const bool lost = FightToTheEnd(number);
        Check(lost ? kCheckFightLost : kCheckFightWon);
        if (lost) FinishTalk("talk 99");
        WaitFor("the map after the fight", [] { return gInBattle == 0 && TalkIdle() && gMenuRequest == 0; });
        Check(kCheckFightBack);
    }
    // Through the village's east gate into the woods.
    void ToTheWoods() {
        WalkOnto(EventCell(1), "the east gate");
        WaitFor("the woods", [this] { return gCurrentMap != story_.start[0] && TalkIdle(); });
    }
    // Walks to and fro in the woods until a random fight comes: ahead while
    // the next cell is free, else back, else any free way.
    void WalkUntilFight() {
        static constexpr int kKeyOf[4] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight};
        static constexpr int kDx[4] = {0, 0, -1, 1}, kDy[4] = {-1, 1, 0, 0}, kBack[4] = {1, 0, 3, 2};
        step_ = "walking in the woods";
        WaitFor("walking", [] { return TalkIdle() && gMenuRequest == 0; });
        int d = 3;
        for (int i = 0; i < kWoodsWalkFrames; ++i) {
            if (gInBattle != 0 || gFightRequest != 0) {
                Hold(-1);
                return;
            }
            const RoleRecord& p = gRole[gPlayerRole];
            if (TalkIdle() && p.x % kCellPixels == 0 && p.y % kCellPixels == 0) {
                const int px = p.x / kCellPixels, py = p.y / kCellPixels;
                auto open = [&](int dir) { return Free(px + kDx[dir], py + kDy[dir]); };
                if (!open(d)) {
                    int next = open(kBack[d]) ? kBack[d] : -1;
                    for (int k = 0; k < 4 && next < 0; ++k)
                        if (open(k)) next = k;
                    if (next < 0) Fail("the player is walled in");
                    d = next;
                }
                Hold(kKeyOf[d]);
            }
            Frame();
        }
        Hold(-1);
        Fail("no fight in " + std::to_string(kWoodsWalkFrames) + " frames");
    }
    // The woods fight's own step: on the hero's first command menu the
    // item list is opened (the digit 3), the Stone Warden is found in its
    // tabs and chosen, and the guard stands beside the party (check point
    // kCheckFightGuard). True when the step pressed something this frame.
    bool SummonStep() {
        if (summon_ == 0) {
            if (woods_ < 2) return false;  // the order and the capture come first
            if (fMenu != kBattleMenuIcons || SEL != kFirstManId || Seld != 1) return false;
            ScanTap(kScanDigit3);
            summon_ = fMenu == kBattleMenuItems ? 1 : 0;
            if (summon_ == 0) Fail("the item list does not open from the hero's menu");
            return true;
        }
        if (summon_ == 1) {
            ManRole* role = CommandingRole();
            if (role == nullptr || fMenu != kBattleMenuItems) Fail("the item list closed before the guard was chosen");
            int entry = 0;
            for (int tab = 0; tab < kBattleItemTabs && entry == 0; ++tab) {
                const int32_t cursor = role->itemCursor;  // read, not moved
                for (int n = 1; n <= 99 && entry == 0; ++n) {
                    const ItemRecord* item = role->FindNthItem(uint32_t(gItemTab), n);
                    if (item == nullptr) break;
                    if (item->id == kReplayGuardItem) entry = n;
                }
                role->itemCursor = cursor;
                if (entry == 0) Tap(kKeyRight);
            }
            if (entry == 0) Fail("no tab of the item list holds the guard " + std::to_string(kReplayGuardItem));
            for (int i = 0; i < 99 && ListEntry(gListTop, gListCursor) != entry; ++i)
                Tap(ListEntry(gListTop, gListCursor) < entry ? kKeyDown : kKeyUp);
            if (ListEntry(gListTop, gListCursor) != entry) Fail("the cursor does not reach the guard");
            Tap(kKeyConfirm);
            summon_ = 2;
            return true;
        }
        if (summon_ == 2) {
            for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
                if (gManRoles[s].guard == 1 && gManRoles[s].spriteSet == kReplayGuardItem) {
                    summon_ = 3;
                    Check(kCheckFightGuard);
                    return false;
                }
        }
        return false;
    }
    // The woods fight's first steps. On the hero's first command menu the
    // spirit is given its order (the digit 7 opens the order sub-menu, the
    // cursor is stepped onto the order's row, confirmed: check point
    // kCheckSpiritOrder), then the hare is captured with a net (the digit 6
    // opens the capture sub-menu, the net way leads to the capture list, the
    // net and the hare as the target are chosen; check point
    // kCheckFightCapture once the hare is in the bag). Until the guard
    // stands the other members defend (the digit 5), so that the hare stays
    // whole for the capture and the thief stands until the summons. True
    // when the step pressed something this frame.
    bool WoodsStep() {
        const bool menu = fMenu == kBattleMenuIcons && Seld == 1 && SEL >= kFirstManId &&
                          SEL < kFirstManId + kMaxManRoles;
        if (menu && SEL != kFirstManId && summon_ < 3) {
            ScanTap(kScanDigit5);
            return true;
        }
        if (woods_ == 0 && menu) {
            OrderSpirit();
            Capture();
            woods_ = 1;
            return true;
        }
        if (woods_ == 1) {
            const int hare = EnemyOfSet(kReplayCaptured);
            if (hare >= 0 && gMonRoles[hare].IsOut() && BagCount(kReplayCaptured) > 0) {
                woods_ = 2;
                Check(kCheckFightCapture);
                return false;
            }
            if (menu && SEL == kFirstManId) {
                std::string said;
                for (const FightMessage& m : out_->messages) said += " [" + m.text + "]";
                Fail("the hero commands again before the hare is caught (hare out " +
                     std::to_string(hare >= 0 ? int(gMonRoles[hare].IsOut()) : -1) + ", in the bag " +
                     std::to_string(BagCount(kReplayCaptured)) + ", nets " +
                     std::to_string(BagCount(kReplayCaptureItem)) + "), the fight's messages:" + said);
            }
        }
        return false;
    }
    void OrderSpirit() {
        ScanTap(kScanDigit7);
        if (gOrderMenuOpen == 0) Fail("the spirit's orders do not open from the hero's menu");
        for (int i = 0; i < 8 && gOrderCursor != kReplaySpiritOrder; ++i) Tap(kKeyDown);
        if (gOrderCursor != kReplaySpiritOrder) Fail("the cursor does not reach the spirit's order");
        Tap(kKeyConfirm);
        if (gOrderMenuOpen != 0 || fMenu != kBattleMenuIcons) Fail("the spirit's order is not taken");
        Check(kCheckSpiritOrder);
    }
    void Capture() {
        ScanTap(kScanDigit6);
        if (gCaptureMenuOpen != 1) Fail("the capture does not open from the hero's menu");
        for (int i = 0; i < 2 && gCaptureChoice != kCaptureWayItem; ++i) Tap(kKeyDown);
        Tap(kKeyConfirm);
        if (fMenu != kBattleMenuCaptureItems) Fail("the capture list does not open");
        ManRole* role = CommandingRole();
        if (role == nullptr) Fail("no member commands the capture");
        int entry = 0;
        const int32_t cursor = role->itemCursor;  // read, not moved
        for (int n = 1; n <= 99 && entry == 0; ++n) {
            const ItemRecord* item = role->FindNthItem(kCaptureItemCategory, n);
            if (item == nullptr) break;
            if (item->id == kReplayCaptureItem) entry = n;
        }
        role->itemCursor = cursor;
        if (entry == 0) Fail("the capture list holds no net " + std::to_string(kReplayCaptureItem));
        for (int i = 0; i < 99 && ListEntry(gListTop, gListCursor) != entry; ++i)
            Tap(ListEntry(gListTop, gListCursor) < entry ? kKeyDown : kKeyUp);
        if (ListEntry(gListTop, gListCursor) != entry) Fail("the cursor does not reach the net");
        Tap(kKeyConfirm);
        if (fMenu != kBattleMenuTarget) Fail("the net is not taken");
        const int hare = EnemyOfSet(kReplayCaptured);
        if (hare < 0) Fail("no enemy " + std::to_string(kReplayCaptured) + " to capture");
        for (uint32_t i = 0; i < gBattleMonCount && MS != hare + 1; ++i) Tap(kKeyRight);
        if (MS != hare + 1) Fail("the target cursor does not reach the hare");
        Tap(kKeyConfirm);
        if (fMenu == kBattleMenuTarget) Fail("the capture is refused");
    }
    // The scene slot of the enemy of sprite set `set` (-1 none).
    static int EnemyOfSet(uint16_t set) {
        for (uint32_t e = 0; e < gBattleMonCount && e < uint32_t(kMaxMonRoles); ++e)
            if (gMonRoles[e].spriteSet == set) return int(e);
        return -1;
    }
    static int BagCount(uint16_t id) {
        int n = 0;
        for (const ItemRecord* e = gInventory; e != nullptr; e = e->next)
            if (e->id == id) n += e->count + e->newCount;
        return n;
    }
    // The training fight's own step: the Rain Charm on the party, then the
    // Fire Charm on the dummy, each by the first member whose magic list
    // holds it when its command menu opens (the digit 2 opens the list, the
    // tabs are looked through, the cursor is stepped onto the spell by the
    // keys, which take it from the pointer, the spell and its target are
    // confirmed). A member without the spell goes back to its icons and
    // attacks. True when the step pressed something this frame.
    bool CastStep() {
        if (cast_ >= int(std::size(kReplaySpells))) return false;
        const uint16_t spell = kReplaySpells[cast_];
        if (!castOpen_) {
            if (fMenu != kBattleMenuIcons || SEL < kFirstManId || Seld != 1 || SEL >= kFirstManId + kMaxManRoles)
                return false;
            const uint32_t bit = 1u << (SEL - kFirstManId);
            if (castTried_ & bit) return false;
            castTried_ |= bit;
            ScanTap(kScanDigit2);
            castOpen_ = fMenu == kBattleMenuMagic;
            castWait_ = 0;
            return true;
        }
        ManRole* role = CommandingRole();
        if (role == nullptr || fMenu != kBattleMenuMagic) {
            castOpen_ = false;
            return false;
        }
        // The list's panel opens over a few frames; its rows count once drawn.
        if (gMagicCount == 0 && ++castWait_ < kSettleFrames) {
            Frame();
            return true;
        }
        int entry = 0;
        for (int tab = 0; tab < kBattleMagicTabs && entry == 0; ++tab) {
            entry = MagicEntry(*role, spell);
            if (entry == 0) Tap(kKeyRight);
        }
        if (entry != 0) {
            // A keyboard step first: the pointer resting on a row no longer
            // moves the cursor.
            Tap(ListEntry(gMagicTop, gMagicCursor) < gMagicCount ? kKeyDown : kKeyUp);
            for (int i = 0; i < 99 && ListEntry(gMagicTop, gMagicCursor) != entry; ++i)
                Tap(ListEntry(gMagicTop, gMagicCursor) < entry ? kKeyDown : kKeyUp);
            if (ListEntry(gMagicTop, gMagicCursor) == entry) Tap(kKeyConfirm);
        }
        castOpen_ = false;
        if (fMenu == kBattleMenuTarget) {
            Tap(kKeyConfirm);
            ++cast_;
            castTried_ = 0;
            return true;
        }
        // No such spell, or it cannot be paid: back to the icons, and the
        // attack (the digit 1).
        for (int i = 0; i < 4 && fMenu == kBattleMenuMagic; ++i) Tap(kBattleKeyBack);
        if (fMenu == kBattleMenuMagic) Fail("the magic list does not close");
        if (fMenu == kBattleMenuIcons) ScanTap(kScanDigit1);
        return true;
    }
    // The row of `spell` on the shown tab of the role's magic list (0 none),
    // read without moving the role's own list cursor.
    static int MagicEntry(ManRole& role, uint16_t spell) {
        const int32_t cursor = role.magicCursor;
        int entry = 0;
        for (int n = 1; n <= 99 && entry == 0; ++n) {
            const ItemRecord* magic = role.FindNthMagic(uint32_t(gMagicTab), 0, n);
            if (magic == nullptr) break;
            if (magic->id == spell) entry = n;
        }
        role.magicCursor = cursor;
        return entry;
    }
    // Notes every fall of an enemy's life and every new battle message.
    void WatchFight(uint32_t number) {
        for (uint32_t e = 0; e < gBattleMonCount && e < uint32_t(kEnemySlots); ++e) {
            const uint32_t life = gMonRoles[e].MonLife();
            if (seenLife_[e] >= 0 && life < uint32_t(seenLife_[e]))
                out_->hits.push_back({number, int(e), uint32_t(seenLife_[e]), life});
            seenLife_[e] = int64_t(life);
        }
        std::vector<const BattleMessage*> now;
        for (const BattleMessage* m = gBattleMsgs; m; m = m->next) {
            now.push_back(m);
            if (std::find(seenMessages_.begin(), seenMessages_.end(), m) == seenMessages_.end())
                out_->messages.push_back({number, m->text});
        }
        seenMessages_ = std::move(now);
    }
    // Waits for fight `number` and confirms its staging's windows until its
    // script reaches the turns.
    void StartFight(uint32_t number) {
        step_ = "the fight's start";
        WaitFor("fight " + std::to_string(number), [number] { return gInBattle == 1 && gSceneNo == number; });
        for (int i = 0; i < kStepFrames; ++i) {
            if (FigScriptState().op == kFigOpFight) return;
            if (gInBattle != 1) Fail("the fight ended in its staging");
            if (gDialogList) Tap(kKeyConfirm);
            else Frame();
        }
        Fail("the staging does not reach the turns");
    }
    // Plays the fight until it is over: windows and result pages are
    // confirmed, and a member's command menu takes its first command (the
    // attack) on the target the cursor shows. True when the fight was lost.
    bool FightToTheEnd(uint32_t number) {
        step_ = "fight " + std::to_string(number);
        uint32_t result = 1;
        bool pages = false;
        std::fill(std::begin(seenLife_), std::end(seenLife_), -1);
        seenMessages_.clear();
        // The watchdog's view of the fight: it moves while any of these change.
        auto progress = [] {
            std::vector<int64_t> v = {FigScriptState().pc, gCurRole.id, fMenu, SEL, int64_t(gBattleMonCount)};
            for (uint32_t e = 0; e < gBattleMonCount && e < uint32_t(kEnemySlots); ++e) v.push_back(gMonRoles[e].MonLife());
            return v;
        };
        std::vector<int64_t> last = progress();
        int quiet = 0;
        for (int i = 0; i < kFightFrames; ++i) {
            if (gInBattle != 1) return result == 2;
            WatchFight(number);
            std::vector<int64_t> now = progress();
            quiet = now == last ? quiet + 1 : 0;
            if (quiet >= kFightStallFrames)
                Fail("the fight stalls for " + std::to_string(kFightStallFrames) + " frames at script offset " +
                     std::to_string(FigScriptState().pc) + ", menu " + std::to_string(fMenu) + ", actor " +
                     std::to_string(gCurRole.id));
            last = std::move(now);
            if (gBattleResult != 1) result = gBattleResult;
            if (number == kReplayWoodsFight && (WoodsStep() || SummonStep())) continue;
            if (number == kReplayTrainingFight && CastStep()) continue;
            if (fMenu >= kBattleResultPages && !pages) {
                pages = true;
                Frames(kSettleFrames);
                WatchFight(number);
                Check(kCheckFightPages);
            }
            const bool menu = ((fMenu == kBattleMenuIcons || fMenu == kBattleMenuTarget) && SEL != 0) ||
                              fMenu >= kBattleResultPages;
            if (gDialogList != nullptr || menu) Tap(kKeyConfirm);
            else Frame();
        }
        Fail("the fight does not end in " + std::to_string(kFightFrames) + " frames");
    }

    // ---- Turns and inputs ---------------------------------------------------
    void Frame() {
        gStep->PlayerWait();
        if (gStep->Frame() > runFrames_) Fail("the run takes too long");
        if (!HeadlessMessageBoxes().empty()) {
            const HeadlessMessageBox& box = HeadlessMessageBoxes().front();
            Fail("an error box: " + box.caption + " / " + box.text);
        }
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    [[noreturn]] void Fail(const std::string& why) { throw StepFailed{step_ + ": " + why}; }
    // Waits until `done` holds on two frames running (a frame presented in
    // the middle of a load is not taken for the load's end).
    void WaitFor(const std::string& what, const std::function<bool()>& done, int frames = kStepFrames) {
        int held = 0;
        for (int i = 0; i < frames; ++i) {
            held = done() ? held + 1 : 0;
            if (held >= 2) return;
            Frame();
        }
        Fail("no " + what + " after " + std::to_string(frames) + " frames");
    }
    void Record(ReplayItem item) {
        item.frame = gStep->Frame();
        while (int(script_->launches.size()) <= gStep->Launch()) script_->launches.emplace_back();
        script_->launches.back().items.push_back(item);
        QueueReplayItem(item);
    }
    void Key(int record, bool down) {
        ReplayItem item;
        item.kind = ReplayKind::kKey;
        item.code = uint8_t(gKeyMap.k[record] & 0xFF);
        item.down = down;
        Record(item);
    }
    // A key by its scan code (a key no record of the key map names, such as
    // a digit): down for a frame, then up for a frame.
    void ScanTap(uint8_t code) {
        ReplayItem item;
        item.kind = ReplayKind::kKey;
        item.code = code;
        item.down = true;
        Record(item);
        Frame();
        item.down = false;
        Record(item);
        Frame();
    }
    // One press: down for a frame, then up for a frame.
    void Tap(int record) {
        Key(record, true);
        Frame();
        Key(record, false);
        Frame();
    }
    void Mouse() {
        ReplayItem item;
        item.kind = ReplayKind::kMouse;
        item.mouse.x = rawX_;
        item.mouse.y = rawY_;
        item.mouse.button[0] = left_ ? 0x80 : 0;
        Record(item);
    }
    // The left button down for a frame, where the pointer is.
    void Click() {
        left_ = true;
        Mouse();
        Frame();
        left_ = false;
        Mouse();
    }
    void Type(const char* utf8) {
        ReplayItem item;
        item.kind = ReplayKind::kText;
        item.text = utf8;
        Record(item);
    }
    void Check(const char* name) {
        ReplayItem item;
        item.kind = ReplayKind::kCheck;
        item.text = name;
        Record(item);
        if (!shots_.empty()) Shot(name);
        if (hook_) hook_(name);
    }
    // The screen as presented last, to look at.
    void Shot(const char* name) {
        char file[64];
        std::snprintf(file, sizeof file, "/%02d-%s.bmp", ++shotCount_, name);
        const std::vector<uint16_t>& pixels = HeadlessLastFrame();
        if (pixels.empty()) return;
        const std::vector<uint8_t> bmp =
            BuildScreenShot(pixels.data(), HeadlessFrameWidth(), HeadlessFrameHeight(), gDisplay.PixelFormatCode());
        if (FILE* f = std::fopen((shots_ + file).c_str(), "wb")) {
            std::fwrite(bmp.data(), 1, bmp.size(), f);
            std::fclose(f);
        }
    }
    void Close() {
        ReplayItem item;
        item.kind = ReplayKind::kClose;
        Record(item);
    }

    // ---- The launcher -------------------------------------------------------
    // The launcher's pointer starts at the picture's centre and moves by the
    // mouse's counts from where they stood when it opened.
    void Launcher(int zone) {
        step_ = "the launcher";
        const int fromX = rawX_, fromY = rawY_;
        rawX_ = fromX + kZonePlaces[zone].left + kZoneHalfWidth - kLauncherCentreX;
        rawY_ = fromY + kZonePlaces[zone].top + kZoneHalfHeight - kLauncherCentreY;
        Mouse();
        Frame();
        Click();
        WaitFor("game", [] { return gLauncher.result != 0 && gGameRunning == 1; });
    }
    void WaitForLaunch(int launch) {
        step_ = "the next start";
        for (int i = 0; i < kStepFrames && gStep->Launch() < launch; ++i) Frame();
        if (gStep->Launch() < launch) Fail("the program did not end");
    }

    // ---- The title ----------------------------------------------------------
    void NewGame(const char* name) {
        step_ = "the title";
        WaitFor("title screen", [] { return gMenu.depth == kDepthTitle && gTitle.state == kTitleChoosing; });
        Frames(kSettleFrames);
        Check(kCheckTitle);
        for (int i = 0; i < 8 && gTitle.entry != kEntryNewGame; ++i) Tap(kKeyUp);
        Tap(kKeyConfirm);
        WaitFor("name entry", [] { return TitleNameEntryOpen() && gTitle.fade > 96; });
        Type(name);
        Frames(2);
        Check(kCheckNameEntry);
        Key(kMenuKeyReturn, true);
        Frame();
        Key(kMenuKeyReturn, false);
        step_ = "the new game";
        WaitFor("map", [] { return gMenuRequest == 0 && gCurrentMap != 0 && gPlayerRole < TotalRole; });
    }

    // ---- Talks --------------------------------------------------------------
    void FinishTalk(const char* what) {
        step_ = what;
        for (int i = 0; i < kStepFrames; ++i) {
            if (TalkIdle() && gDialogList == nullptr) {
                Frames(2);
                if (TalkIdle()) return;
            }
            if (CountEventRects() > 0) Fail("a choice is open");
            if (gDialogList) Tap(kKeyConfirm);
            else Frame();
        }
        Fail("the talk does not end");
    }
    // Answers the next choice with line `n` (from 0): the pointer rests on it
    // for a frame, then clicks.
    void Choose(int n, const char* check) {
        step_ = "a choice";
        for (int i = 0; i < kStepFrames && CountEventRects() == 0; ++i) {
            if (gDialogList) Tap(kKeyConfirm);
            else Frame();
        }
        const EventRectNode* line = gEventRects.head;
        for (int i = 0; i < n && line; ++i) line = line->next;
        if (!line) Fail("no line " + std::to_string(n));
        const int x = (line->left + line->right) / 2, y = (line->top + line->bottom) / 2;
        PointAt(x, y);
        Frame();
        Check(check);
        Click();
        WaitFor("end of the choice", [] { return CountEventRects() == 0; });
    }
    // Moves the game's pointer onto (x, y) by the mouse's counts, looking at
    // where it went every frame.
    void PointAt(int x, int y) {
        for (int i = 0; i < 20; ++i) {
            const int dx = x - gKeyInput.mouseX, dy = y - gKeyInput.mouseY;
            if (std::abs(dx) <= 1 && std::abs(dy) <= 1) return;
            rawX_ += dx / 2 + (dx % 2);
            rawY_ += dy / 2 + (dy % 2);
            Mouse();
            Frame();
        }
        Fail("the pointer does not reach (" + std::to_string(x) + ", " + std::to_string(y) + ")");
    }

    // Confirms the talk's dialogs until `until` holds.
    void FinishTalkUntil(const char* what, const std::function<bool()>& until) {
        step_ = what;
        for (int i = 0; i < kStepFrames; ++i) {
            if (until()) return;
            if (TalkIdle() && gDialogList == nullptr) Fail("the talk ended first");
            if (gDialogList) Tap(kKeyConfirm);
            else Frame();
        }
        Fail("it does not come");
    }
    // The mini-game: climbs with Up (two frames of climbing, then rests
    // while Up is held, which wins strength back) for a while, looks, and
    // gives up with the cancel key.
    void Climb() {
        step_ = "the mini-game";
        for (int i = 0; i < 12; ++i) {
            Key(kKeyUp, true);
            Frames(6);
            Key(kKeyUp, false);
            Frame();
        }
        Check(kCheckMiniGame);
        Tap(kMenuKeyEsc);
        WaitFor("the end of the mini-game", [] { return (gGameMode & kModeMiniGame) == 0; }, 200);
    }

    // ---- Walking ------------------------------------------------------------
    // The cell of the map's event point `point` (the low byte of its cells).
    static std::pair<int, int> EventCell(int point) {
        for (int y = 0; y < int(gMap.height); ++y)
            for (int x = 0; x < int(gMap.width); ++x)
                if ((CellAt(x, y) & kCellEvent) == uint32_t(point)) return {x, y};
        throw StepFailed{"the map has no event point " + std::to_string(point)};
    }
    // Walks beside the cell by a shortest path, then steps onto it.
    void WalkOnto(std::pair<int, int> cell, const char* what) {
        static constexpr int kKeyOf[4] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight};
        step_ = std::string("walking to ") + what;
        WaitFor("walking", [] { return TalkIdle() && gMenuRequest == 0; });
        const auto [tx, ty] = cell;
        for (int i = 0; i < kStepFrames; ++i) {
            if (!TalkIdle() || gInBattle != 0 || gFightRequest != 0) {
                Hold(-1);
                return;
            }
            const RoleRecord& p = gRole[gPlayerRole];
            if (p.x % kCellPixels || p.y % kCellPixels) {
                Frame();
                continue;
            }
            const int px = p.x / kCellPixels, py = p.y / kCellPixels, dx = tx - px, dy = ty - py;
            int d = -1;
            if (std::abs(dx) + std::abs(dy) == 1) d = dy < 0 ? 0 : dy > 0 ? 1 : dx < 0 ? 2 : 3;
            else d = FirstStep(px, py, tx, ty);
            if (d < 0) Fail("no way there");
            Hold(kKeyOf[d]);
            Frame();
        }
        Fail("the cell is not reached");
    }

    uint16_t RoleNamed(const char* name) const {
        for (const auto& [number, text] : story_.names)
            if (text == name)
                for (const RoleDef& def : story_.roleDefs)
                    if (def.guid == number) return def.guid;
        throw StepFailed{std::string("the story has no role named ") + name};
    }
    static bool Free(int x, int y) {
        const uint32_t cell = CellAt(x, y);
        return cell != kCellOutside && !(cell & (kCellWall | kCellRole | kCellEvent));
    }
    // The first step of a shortest walk from (x, y) to a cell beside (tx, ty)
    // whose last step goes toward (tx, ty), so that the walk ends facing it:
    // roles block the way, and a step toward one only to turn would slide
    // round it. -1 when there is none. Directions: 0 up, 1 down, 2 left, 3 right.
    static int FirstStep(int x, int y, int tx, int ty) {
        static constexpr int kDx[4] = {0, 0, -1, 1}, kDy[4] = {-1, 1, 0, 0};
        const int w = int(gMap.width), h = int(gMap.height);
        std::vector<int> first(size_t(w) * size_t(h), -2);
        std::deque<std::pair<int, int>> open;
        first[size_t(y) * size_t(w) + size_t(x)] = -1;
        open.push_back({x, y});
        while (!open.empty()) {
            const auto [cx, cy] = open.front();
            open.pop_front();
            const int via = first[size_t(cy) * size_t(w) + size_t(cx)];
            for (int d = 0; d < 4; ++d) {
                const int nx = cx + kDx[d], ny = cy + kDy[d];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h || !Free(nx, ny)) continue;
                const int step = via == -1 ? d : via;
                if (nx + kDx[d] == tx && ny + kDy[d] == ty) return step;
                int& seen = first[size_t(ny) * size_t(w) + size_t(nx)];
                if (seen != -2) continue;
                seen = step;
                open.push_back({nx, ny});
            }
        }
        return -1;
    }
    void Hold(int key) {
        if (held_ == key) return;
        if (held_ >= 0) Key(held_, false);
        held_ = key;
        if (key >= 0) Key(key, true);
    }
    // Walks beside the role (found where it stands now, every cell again, as
    // it may walk too), faces it and talks.
    void TalkTo(uint16_t guid) {
        static constexpr int kKeyOf[4] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight};
        static constexpr int kFacing[4] = {kFaceN, kFaceS, kFaceW, kFaceE};
        step_ = "walking to role " + std::to_string(guid);
        int stuck = 0;
        for (int i = 0; i < kStepFrames; ++i) {
            uint32_t index = 0;
            if (!FindRole(guid, &index)) Fail("the role is not on this map");
            const RoleRecord& p = gRole[gPlayerRole];
            const RoleRecord& r = gRole[index];
            if (p.x % kCellPixels || p.y % kCellPixels || r.x % kCellPixels || r.y % kCellPixels) {
                Frame();
                continue;
            }
            const int px = p.x / kCellPixels, py = p.y / kCellPixels, rx = r.x / kCellPixels, ry = r.y / kCellPixels;
            const int dx = rx - px, dy = ry - py;
            const int toward = dy < 0 ? 0 : dy > 0 ? 1 : dx < 0 ? 2 : 3;
            if (std::abs(dx) + std::abs(dy) == 1 && p.act.dir == kFacing[toward]) {
                Hold(-1);
                step_ = "talking to role " + std::to_string(guid);
                Tap(kKeyConfirm);
                WaitFor("talk", [] { return !TalkIdle(); }, 40);
                return;
            }
            const int d = FirstStep(px, py, rx, ry);
            if (d < 0) {
                Hold(-1);
                if (++stuck > 400) Fail("no way to the role");
            } else {
                Hold(kKeyOf[d]);
            }
            Frame();
        }
        Fail("the role is not reached");
    }

    // ---- Menus and the save screen -------------------------------------------
    void OpenPage(int page) {
        step_ = "the menu";
        WaitFor("walking", [] { return TalkIdle() && gMenuRequest == 0; });
        Tap(kKeyMenu);
        WaitFor("menu", [] { return gMenuRequest != 0 && gMenu.depth == kDepthRoot; });
        for (int i = 0; i < 12 && gMenu.pageIndex != page; ++i) Tap(gMenu.pageIndex < page ? kKeyRight : kKeyLeft);
        if (gMenu.pageIndex != page) Fail("page " + std::to_string(page) + " is not on the bar");
        Tap(kKeyConfirm);
        WaitFor("page", [] { return gMenu.depth == kDepthPage; });
    }
    // On the equipment page: the first member's slot `slot`, then the item
    // `id` from the slot's list.
    void Wear(int slot, uint16_t id) {
        step_ = "wearing " + std::to_string(id);
        if (!gEquip.open) Fail("the equipment page is shut");
        for (int i = 0; i < kEquipPageSlots && gEquip.slot != slot; ++i)
            Tap(gEquip.slot < slot ? kMenuKeyDown : kMenuKeyUp);
        if (gEquip.slot != slot) Fail("no slot " + std::to_string(slot));
        Tap(kMenuKeySpace);
        WaitFor("the slot's list", [] { return gEquip.state == kEquipChoosingItem; }, 20);
        auto under = [] { return EquipCursorItem() ? EquipCursorItem()->id : 0; };
        for (int i = 0; i < 99 && under() != id; ++i) Tap(kMenuKeyDown);
        if (under() != id) Fail("the slot's list shows no item " + std::to_string(id));
        Tap(kMenuKeySpace);
        WaitFor("worn", [slot, id] { return gMemberEquip[0][slot] && gMemberEquip[0][slot]->id == id; }, 20);
    }
    // On the item page: finds the item under a filter, uses it on the first
    // member and goes back to the list.
    void UseItem(uint16_t id) {
        step_ = "using an item";
        auto selected = [] { return SelectedItem() ? SelectedItem()->id : 0; };
        for (int f = 0; f < kItemFilters && gItems.win.total > 0 && !HasRow(id); ++f) Tap(kMenuKeyRight);
        if (!HasRow(id)) Fail("the bag shows no item " + std::to_string(id));
        for (int i = 0; i < 200 && selected() != id; ++i) Tap(kMenuKeyDown);
        if (selected() != id) Fail("the cursor does not reach item " + std::to_string(id));
        Tap(kMenuKeySpace);
        WaitFor("member box", [] { return gMenu.depth == kItemDepthMember; });
        Tap(kMenuKeySpace);
        Tap(kMenuKeyEsc);
        WaitFor("item list", [] { return gMenu.depth == kDepthPage; });
    }
    static bool HasRow(uint16_t id) {
        for (const ItemRecord* n = gItems.list; n; n = n->next)
            if (n->id == id) return true;
        return false;
    }
    // On the refining page: the recipe's two items into the two fields (the
    // cursor fills the active field as it moves), the contract, the merging,
    // and the result taken into the bag.
    void Refine(const std::array<uint16_t, 3>& recipe) {
        step_ = "refining";
        if (!gRefine.open || !IsFlag(kRefineFlag)) Fail("the refining page is shut (story flag 73)");
        for (int f = 0; f < 2; ++f) {
            if (gRefine.field != f) Tap(kMenuKeyShift);
            if (gRefine.field != f) Fail("no field " + std::to_string(f));
            const int want = RefineRow(recipe[size_t(f)]);
            if (want < 0) Fail("the list shows no item " + std::to_string(recipe[size_t(f)]));
            for (int i = 0; i < 40 && gRefine.fields[f].id != recipe[size_t(f)]; ++i) {
                const int at = RefineRow(RefineCursorItem() ? RefineCursorItem()->id : 0);
                // On the row already: away and back, so that the move fills the field.
                if (at == want) Tap(at + 1 < int(gRefine.list.size()) ? kMenuKeyDown : kMenuKeyUp);
                else Tap(at < want ? kMenuKeyDown : kMenuKeyUp);
            }
            if (gRefine.fields[f].id != recipe[size_t(f)]) Fail("field " + std::to_string(f) + " is not filled");
        }
        if (gRefine.result.id != recipe[2]) Fail("the fields make no " + std::to_string(recipe[2]));
        Tap(kMenuKeySpace);
        WaitFor("contract", [] { return gRefine.state == kRefinePreview; });
        Tap(kMenuKeySpace);
        WaitFor("the merged result", [] { return gRefine.state == kRefineShown; });
        Tap(kMenuKeySpace);
        WaitFor("the list again", [] { return gRefine.state == kRefineChoosing; });
    }
    static int RefineRow(uint16_t id) {
        for (size_t i = 0; i < gRefine.list.size(); ++i)
            if (gRefine.list[i]->id == id) return int(i);
        return -1;
    }
    // On the feeding page: the creature's row, its choices, the direct
    // feeding, and back to the list.
    void Feed(uint16_t id) {
        step_ = "feeding";
        if (!gFeed.open) Fail("the feeding page is shut (no spirit)");
        auto row = [id] {
            for (size_t i = 0; i < gFeed.list.size(); ++i)
                if (gFeed.list[i].id == id) return int(i);
            return -1;
        };
        for (int c = 0; c < kFeedCategories && row() < 0; ++c) Tap(kMenuKeyRight);
        if (row() < 0) Fail("the list shows no creature " + std::to_string(id));
        for (int i = 0; i < 70 && (!FeedCursorEntry() || FeedCursorEntry()->id != id); ++i)
            Tap(gFeed.cursor.cursor < row() ? kMenuKeyDown : kMenuKeyUp);
        if (!FeedCursorEntry() || FeedCursorEntry()->id != id) Fail("the cursor does not reach creature " + std::to_string(id));
        Tap(kMenuKeySpace);
        WaitFor("the creature's choices", [] { return gFeed.state == kFeedChoice; });
        Check(kCheckFeedChoice);
        auto direct = [] {
            const FeedEntry* e = FeedCursorEntry();
            return e && gFeed.choice >= 0 && gFeed.choice < kFeedChoices && e->choice[gFeed.choice].id == kFeedDirect;
        };
        for (int i = 0; i < kFeedChoices && !direct(); ++i) Tap(kMenuKeyDown);
        if (!direct()) Fail("no direct feeding among the choices");
        Tap(kMenuKeySpace);
        WaitFor("the list again", [] { return gFeed.state == kFeedChoosing; });
    }
    // Out of the menu, back to walking.
    void LeaveMenu() {
        step_ = "leaving the menu";
        for (int i = 0; i < 10 && gMenuRequest != 0; ++i) Tap(kMenuKeyEsc);
        WaitFor("walking", [] { return TalkIdle() && gMenuRequest == 0; });
    }
    void SystemEntry(int entry) {
        for (int i = 0; i < 8 && gSystem.entry != entry; ++i) Tap(gSystem.entry < entry ? kKeyDown : kKeyUp);
        if (gSystem.entry != entry) Fail("no system entry " + std::to_string(entry));
    }
    void PickSlot(int slot, const char* check = nullptr) {
        WaitFor("save screen", [] { return gSaveLoadMode != 0 && gSaveScreen.closing == SaveClosing::kNone; });
        for (int i = 0; i < 200 && gSlot != slot; ++i) Tap(gSlot < slot ? kKeyDown : kKeyUp);
        if (gSlot != slot) Fail("slot " + std::to_string(slot) + " is not reached");
        if (check) {
            Frames(4);
            Check(check);
        }
        Tap(kKeyConfirm);
        if (gSaveScreen.question == kQuestionYes) Tap(kKeyConfirm); // yes, over the old one
    }
    void SaveToSlot(int slot) {
        step_ = "saving";
        SystemEntry(kSysSave);
        Tap(kKeyConfirm);
        WaitFor("save screen", [] { return gSaveLoadMode != 0 && gSaveScreen.closing == SaveClosing::kNone; });
        Check(kCheckSaveScreen);
        // Down the list past its first window, and back.
        for (int i = 0; i < kReplayScrollSlots; ++i) Tap(kKeyDown);
        Frames(4);
        Check(kCheckSaveScrolled);
        PickSlot(slot);
        WaitFor("save", [] { return (gMenuStatus & kMenuStatusSaved) != 0; });
        for (int i = 0; i < 100 && gSaveLoadMode != 0; ++i) {
            if (gSaveScreen.closing == SaveClosing::kNone) Tap(kMenuKeyEsc);
            else Frame();
        }
        WaitFor("system menu", [] { return gSaveLoadMode == 0 && gMenu.depth == kDepthPage; });
    }
    // The system menu's settings, looked at and left as they are.
    void LookAtSettings() {
        step_ = "the settings";
        SystemEntry(kSysSettings);
        Tap(kKeyConfirm);
        WaitFor("the settings", [] { return gSystem.state == kSysInside; });
        Frames(4);
        Check(kCheckSettings);
        Tap(kMenuKeyEsc);
        WaitFor("the system menu", [] { return gSystem.state == kSysChoosing; });
    }
    void EndGame() {
        step_ = "ending the game";
        SystemEntry(kSysLeave);
        Tap(kKeyConfirm);
        for (int i = 0; i < 10 && gSystem.row != 0; ++i) Tap(kKeyUp);
        Tap(kKeyConfirm);
        Frames(4);
        Check(kCheckLeaving);
        if (gSystem.state == kSysAsking && !gSystem.leaving) Tap(kKeyConfirm);
    }
    void LoadSlot(int slot) {
        step_ = "loading";
        PickSlot(slot, kCheckLoadScreen);
        WaitFor("map", [] { return gSaveLoadMode == 0 && gCurrentMap != 0 && TalkIdle(); });
    }

    const SampleStory& story_;
    StoryRecording* out_;
    ReplayScript* script_;
    std::string shots_;
    CheckHook hook_;
    uint32_t runFrames_ = kRunFrames;
    int64_t seenLife_[kEnemySlots] = {};
    int summon_ = 0;  // the woods fight's summoning step
    int woods_ = 0;   // the woods fight's order and capture: 1 asked, 2 caught
    int cast_ = 0;    // the training fight's spells cast so far
    bool castOpen_ = false;  // the magic list was opened for a spell
    int castWait_ = 0;
    uint32_t castTried_ = 0;  // the members (bit per party slot) that looked for the spell
    std::vector<const BattleMessage*> seenMessages_;
    int shotCount_ = 0;
    std::string step_ = "the start";
    int rawX_ = 0, rawY_ = 0;
    bool left_ = false;
    int held_ = -1;
};

} // namespace

namespace {

// Runs `play` on the player's thread against the program on `folder`.
StoryRecording RecordRun(const std::string& folder, const SampleStory& story, const std::string& shots,
                         void (Player::*play)(), const CheckHook& hook = {}) {
    StoryRecording out;
    HeadlessReset();
    Lockstep step;
    gStep = &step;
    gCloseAfterFinish = false;
    std::thread player([&] {
        Player p(story, &out, shots, hook);
        try {
            (p.*play)();
            out.ok = true;
        } catch (const StepFailed& f) {
            out.error = f.why;
            gCloseAfterFinish = true;
        } catch (const GameOver&) {
            out.error = "the program ended before the run did";
        }
        step.PlayerFinished();
    });
    ProgramRun run;
    run.folder = folder;
    run.onPresent = OnPresent;
    run.beforeLaunch = BeforeLaunch;
    const int launches = RunProgramLaunches(run);
    step.ProgramOver();
    player.join();
    gStep = nullptr;
    if (launches < 0 && out.error.empty()) {
        out.ok = false;
        out.error = "cannot enter " + folder;
    }
    return out;
}

}  // namespace

StoryRecording RecordSampleStory(const std::string& folder, const SampleStory& story, const std::string& shots) {
    return RecordRun(folder, story, shots, &Player::Play);
}

StoryRecording RecordSampleFight(const std::string& folder, const SampleStory& story, const std::string& shots) {
    return RecordRun(folder, story, shots, &Player::PlayTrainingFight);
}

StoryRecording RecordSampleFights(const std::string& folder, const SampleStory& story, const CheckHook& hook,
                                  const std::string& shots) {
    return RecordRun(folder, story, shots, &Player::PlayAllFights, hook);
}

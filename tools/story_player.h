// The scripted player of the sample story. It plays the program headless
// from the launcher like a person at the keyboard would, in high-level steps
// (choose in the launcher, start a new game with a name, confirm the talk's
// dialogs, walk to a role found by path finding and talk to it, answer a
// choice with the mouse, open a menu page, use an item, refine, feed the
// spirit, save to a slot, end the game, continue), deciding every frame from what the game holds, and records
// every input it gave with its frame as a replay script.
//
// Because the steps look for roles, cells and screens rather than counting
// frames, a changed story (moved roles, longer talks) is recorded again by
// running the player again.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/replay_file.h"
#include "tools/sample_story.h"

// The check points the sample run records, in order.
constexpr const char* kCheckTitle = "title";
constexpr const char* kCheckNameEntry = "name-entry";
constexpr const char* kCheckNewGame = "new-game";
constexpr const char* kCheckOpeningDone = "opening-done";
constexpr const char* kCheckElderChoice = "elder-choice";
constexpr const char* kCheckElderAsked = "elder-asked";
constexpr const char* kCheckMeiJoined = "mei-joined";
constexpr const char* kCheckItemPage = "item-page";
constexpr const char* kCheckHerbUsed = "herb-used";
constexpr const char* kCheckEquipPage = "equip-page";
constexpr const char* kCheckMagicPage = "magic-page";
constexpr const char* kCheckRefinePage = "refine-page";
constexpr const char* kCheckRefined = "refined";
constexpr const char* kCheckFeedPage = "feed-page";
constexpr const char* kCheckFeedChoice = "feed-choice";
constexpr const char* kCheckSpiritFed = "spirit-fed";
constexpr const char* kCheckMenuOpen = "menu-open";
constexpr const char* kCheckSaveScreen = "save-screen";
constexpr const char* kCheckSaveScrolled = "save-scrolled";
constexpr const char* kCheckSaved = "saved";
constexpr const char* kCheckWoods = "woods";
constexpr const char* kCheckShrineVideo = "shrine-video";
constexpr const char* kCheckMiniGame = "mini-game";
constexpr const char* kCheckCharmFound = "charm-found";
constexpr const char* kCheckSettings = "settings";
constexpr const char* kCheckLeaving = "leaving";
constexpr const char* kCheckLoadScreen = "load-screen";
constexpr const char* kCheckLoaded = "loaded";
// The check points of a fight the player plays (RecordSampleFight): the
// answer that starts it, the staging run (the fight's script has reached
// its turns), the end (won or lost) and the map again.
constexpr const char* kCheckFightChoice = "fight-choice";
constexpr const char* kCheckFightStart = "fight-start";
constexpr const char* kCheckFightWon = "fight-won";
constexpr const char* kCheckFightLost = "fight-lost";
constexpr const char* kCheckFightBack = "fight-back";
// The fight RecordSampleFight plays: the training fight, started by the
// straw dummy's talk.
constexpr uint32_t kReplayTrainingFight = 1;
// The woods' random fight and the shrine guardian's fight (RecordSampleFights).
constexpr uint32_t kReplayWoodsFight = 2;
constexpr uint32_t kReplayShrineFight = 3;
// The check point of the first result page of a fight (victory or defeat).
constexpr const char* kCheckFightPages = "fight-pages";
// The check point of the woods fight once the summoned guard stands.
constexpr const char* kCheckFightGuard = "fight-guard";
// The guard the woods fight summons from the bag (the Stone Warden the
// shrine gives).
constexpr uint16_t kReplayGuardItem = 1006;
// The woods fight's order to the spirit (2, rest and keep its spirit) and
// its check point once given; the net the hero captures with (the capture
// item, category 6 of the battle's item lists), the creature it catches
// (the Moss Hare) and the check point once that is in the bag.
constexpr uint16_t kReplaySpiritOrder = 2;
constexpr const char* kCheckSpiritOrder = "spirit-order";
constexpr uint16_t kReplayCaptureItem = 470;
constexpr uint32_t kCaptureItemCategory = 6;
constexpr uint16_t kReplayCaptured = 1002;
constexpr const char* kCheckFightCapture = "fight-capture";
// The treasure the hero wears into the fights after the guardian's (the
// paper talisman of the starting bag, which grows), its equipment slot (the
// first talisman slot) and the check point once it is worn.
constexpr uint16_t kReplayTreasure = 456;
constexpr int kReplayTreasureSlot = 7;
constexpr const char* kCheckTreasureWorn = "treasure-worn";
// The spells cast in the training fight, in order: the Rain Charm on the
// whole party, then the Fire Charm on one target.
constexpr uint16_t kReplaySpells[] = {202, 201};
// The item the run uses from the bag (a Herb, which the elder gives).
constexpr uint16_t kReplayUsedItem = 1;
// The creature the run feeds to the spirit (an Ember Imp of the starting bag).
constexpr uint16_t kReplayFedItem = 520;
// The slot the run saves to.
constexpr int kReplaySaveSlot = 1;
// How far the run scrolls the save screen's list before it picks the slot.
constexpr int kReplayScrollSlots = 12;

// A fall of an enemy's life seen during a fight: the fight, the enemy's
// scene slot, its life before and after.
struct FightHit {
    uint32_t fight = 0;
    int enemy = 0;
    uint32_t before = 0, after = 0;
};
// A battle message as it came into the queue, with its fight.
struct FightMessage {
    uint32_t fight = 0;
    std::string text;
};

struct StoryRecording {
    bool ok = false;
    std::string error;     // the step that failed and why
    ReplayScript script;   // what was pressed, also when a step failed
    std::vector<FightHit> hits;          // every hit on an enemy, in order
    std::vector<FightMessage> messages;  // every battle message, in order
};

// Called on the player's thread at every check point while the game waits
// for the player: the game's state may be read, not changed.
using CheckHook = std::function<void(const char* check)>;

// Plays the sample story on the install in `folder` (written by make_sample
// from `story`): from the launcher through a new game, the opening, the
// elder's question (and his talisman), Mei, a Herb used from the bag, the
// story's recipe refined and a creature fed to the spirit, the menu and a
// save, the end of the game, then continue from the launcher and the load. Runs in the calling process with
// the headless back-end, which it resets first.
// With `shots` a folder, the screen at every check point is written there as
// "<n>-<check>.bmp", to look at.
StoryRecording RecordSampleStory(const std::string& folder, const SampleStory& story, const std::string& shots = "");
// Plays the training fight of the sample story on the install in `folder`:
// a new game, the opening, the elder's question answered yes (the
// talisman's spirit), Mei joining, then the straw dummy's talk answered
// yes; the fight's staging is confirmed until its turns begin, the party's
// command menus are confirmed (the first command on the first target)
// until the fight ends, then the map (or, lost, talk 99) comes back. The
// check points are kCheckFightChoice, kCheckFightStart, kCheckFightWon or
// kCheckFightLost, and kCheckFightBack. A fight that does not end within
// its bound fails the step "the fight".
StoryRecording RecordSampleFight(const std::string& folder, const SampleStory& story, const std::string& shots = "");
// Plays the sample story's three fights on the install in `folder`: the
// training fight as RecordSampleFight does, then the east gate, the shrine
// (its video, mini-game and charm: flag 12, the nets and the warden), a
// walk to and fro in the woods until the random fight comes, that fight
// (the spirit given its order, the hare caught with a net, the guard
// summoned: check points kCheckSpiritOrder, kCheckFightCapture and
// kCheckFightGuard), and the shrine again, whose guardian fights. Every
// fight has the check points kCheckFightStart, kCheckFightPages,
// kCheckFightWon or kCheckFightLost and kCheckFightBack (after talk 99 when
// lost); the first also kCheckFightChoice. `hook` is called at every check point.
StoryRecording RecordSampleFights(const std::string& folder, const SampleStory& story, const CheckHook& hook = {},
                                  const std::string& shots = "");

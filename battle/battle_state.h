// The words the battle's modules share: one plain struct, one reset.
//
// Each field keeps the name the design gives it; the global names are
// references to the fields, so code reads as the design does while the whole
// state still resets in one place (ResetBattleState, from
// ResetBattleServices, and the battle's load and release).
#pragma once
#include <cstdint>

#include "battle/turn/attack_order.h"

constexpr int kPartySlots = 10;
constexpr int kEnemySlots = 20;
constexpr int kCombatantIds = 30;
constexpr int kControlMarks = 3;
constexpr int kMaxSpoils = 10;

// Bits of the battle's action word (gActionFlags).
enum ActionWordBit : uint32_t {
    kActionOver = 0x1,        // set by the battle when the running action has ended
    kActionStrikeAll = 0x400, // a strike on all enemies
    kActionRunning = 0x8000,  // an action is running (effects may start)
};

// Bits of gBattleOptions.
enum BattleOptionBit : uint32_t {
    kOptionBackground1 = 0x1,
    kOptionSureCapture = 0x2,
    kOptionGuardReturned = 0x4,
    kOptionDefeatEnds = 0x8,     // a defeat ends the battle as over (result 0)
    kOptionPartyDown = 0x10,
    kOptionBit40 = 0x40,
    kOptionContinuousShake = 0x100,
    kOptionBit200 = 0x200,
    kOptionMusicSet = 0x400,     // the script set the battle music
    kOptionBit800 = 0x800,
};

struct BattleState {
    // Hand-off and end of the battle.
    uint16_t sceneNo;            // gSceneNo
    uint32_t battleResult;       // gBattleResult: 1 go on, 0 over, 2 lost
    uint32_t battleLive;         // gBattleLive
    uint32_t battleEnding;       // gBattleEnding
    uint32_t leaveBattle;        // gLeaveBattle
    uint32_t forceEnd;           // gForceEnd
    uint32_t battleOptions;      // gBattleOptions
    uint32_t battleMirrored;     // gBattleMirrored
    uint32_t savedMusicMode;     // gSavedMusicMode
    uint8_t openingSlot;         // gOpeningSlot; bit 0x80 once the opening is over
    uint32_t battleDebug;        // the battle's own debug switch (story flag 82 at the load)
    uint32_t slotMember[4];      // gSlotMember: party slot -> member
    uint32_t partyPickOrder[4];  // gPartyPickOrder
    uint32_t partyMask;          // bit m: member m present

    // Gauges and actions.
    int32_t gaugeFull;           // gGaugeFull
    uint32_t actionWord;         // gActionFlags (ActionWordBit)
    int32_t wholeSide;           // gWholeSide
    uint32_t flashRequest;       // gFlashRequest: the next frame is drawn white

    // Turn model.
    int32_t Stop, mStop;         // time stops while either is set
    int32_t SEL;                 // party id whose command menus are open; 0 none
    int32_t GetCom;              // 1 while a turn is being taken
    uint32_t transferOverlay;    // 1 while a damage-transfer overlay runs
    int16_t UM;                  // the performing combatant's id
    int32_t MS;                  // the selected target, 1-based
    int32_t ALk1;
    int32_t RN;                  // 1 after a script's random jump was taken
    int32_t fMenu;               // command-menu state; 0 none
    int32_t si;
    int32_t Seld;
    int32_t mMove;
    int32_t chosenCommand[4];    // gChosenCommand
    int32_t allyQueued[kPartySlots];  // gAllyQueued
    int32_t monTimerRunning[kEnemySlots];
    int32_t manActing;           // gManActing
    int32_t monActing;           // gMonActing
    int32_t turnOpened;          // gTurnOpened
    int32_t lastSel;             // gLastSel
    int32_t lastCommand;         // gLastCommand
    int32_t autoAttack;          // gAutoAttack
    uint32_t lastActorId;        // gLastActorId
    uint32_t scriptActionDone;   // gScriptActionDone
    uint16_t monScriptTarget[kEnemySlots];
    int32_t arrangeOrder[kCombatantIds];  // gArrangeOrder: ids in draw and update order
    uint16_t monHitAct[kEnemySlots];      // gMonHitAct
    uint16_t manHitAct[kPartySlots];      // gManHitAct

    // Bookkeeping.
    uint8_t downedMen;           // gDownedMen: party members downed
    uint8_t msDCount;            // MsDCount: enemies downed
    uint8_t heldEnemies;         // gHeldEnemies
    int32_t pendingDefeat[kEnemySlots];   // gPendingDefeat: own id while removed, else -1
    int16_t lastDowned;          // gLastDowned: the enemy downed last, -1 none
    int32_t pendingDown;         // gPendingDown
    uint32_t someoneDowned;      // gSomeoneDowned: the down flash runs
    uint16_t controlMark[kControlMarks];  // gControlMark
    uint8_t monBlockCounter;     // enemy block counter of the hit resolution
    uint16_t spoilIds[kMaxSpoils];        // gSpoilIds
    uint16_t spoilCounts[kMaxSpoils];
    uint32_t spoilCount;         // gSpoilCount
    uint32_t sureCapture;        // gSureCapture
    uint32_t strongAttack;       // gStrongAttack
    uint32_t revertRunning;      // gRevertRunning: a revert act (special 58) plays
    uint32_t scriptVictory;      // gScriptVictory
    uint32_t magicLearnt;        // gMagicLearnt
    uint16_t battleEventWord;    // gBattleEventWord
    int16_t repeatDigits[4];     // the digits a role's repeat flag shows once more
    uint32_t inputLock;          // bits of the command input; 0x800 no number may be taken back
    uint32_t fightWord;          // gFightWord: bit 15 a fight instruction runs, low 15 bits turns left
    // The hit resolution's own words.
    uint8_t manBlockCounter;     // party block counter
    uint8_t justBlocked;         // 1 after a block: the next chance-0 test never blocks
    uint32_t stealSuccess;       // gStealSuccess: an enemy's item theft succeeded
    int32_t weaponUseBonus;      // gWeaponUseBonus: the last hit's weapon-use bonus
    // Words the command input shares with the turns, the command application,
    // the battle frame and the result pages.
    uint32_t commandIssued;      // gCommandIssued: the menus issued a command
    int32_t releaseAlly;         // gReleaseAlly: the member with a release pending; -1 none
    uint32_t actionWait;         // gActionWait: the command application waits for a Space press while 1
    uint32_t actionWaitWord;     // gActionWaitWord: bit 0, the press came
    uint32_t actionStage[2];     // gActionStage: the two action-stage flags
    uint32_t actionPause;        // gActionPause: bit 31 and bit 30 ask, bit 0 acknowledges
    uint8_t screenHold;          // gScreenHold: the battle frame and the result pages hold the screen
    uint32_t enemyHold;          // gEnemyHold: an enemy's command holds the screen
    uint32_t captureAllowed;     // gCaptureAllowed: the scene allows captures
    uint32_t refineCounter;      // gRefineCounter: refinings that set action bit 5
    uint32_t controlWord;        // gControlWord: bit 4, the control skill was chosen
    uint32_t aimWord;            // gAimWord
    uint8_t frontHold;           // gFrontHold: 1 suspends BringActorsToFront
};

extern BattleState gBattle;

// The design's names for the shared words.
inline uint16_t& gSceneNo = gBattle.sceneNo;
inline uint32_t& gBattleResult = gBattle.battleResult;
inline uint32_t& gBattleLive = gBattle.battleLive;
inline uint32_t& gBattleEnding = gBattle.battleEnding;
inline uint32_t& gLeaveBattle = gBattle.leaveBattle;
inline uint32_t& gForceEnd = gBattle.forceEnd;
inline uint32_t& gBattleOptions = gBattle.battleOptions;
inline uint32_t& gBattleMirrored = gBattle.battleMirrored;
inline uint32_t& gSavedMusicMode = gBattle.savedMusicMode;
inline uint8_t& gOpeningSlot = gBattle.openingSlot;
inline uint32_t (&gSlotMember)[4] = gBattle.slotMember;
inline uint32_t (&gPartyPickOrder)[4] = gBattle.partyPickOrder;
inline int32_t& gGaugeFull = gBattle.gaugeFull;
inline uint32_t& gActionFlags = gBattle.actionWord;
inline int32_t& gWholeSide = gBattle.wholeSide;
inline uint32_t& gFlashRequest = gBattle.flashRequest;
inline int32_t& Stop = gBattle.Stop;
inline int32_t& mStop = gBattle.mStop;
inline int32_t& SEL = gBattle.SEL;
inline int32_t& GetCom = gBattle.GetCom;
inline uint32_t& gTransferOverlay = gBattle.transferOverlay;
inline int16_t& UM = gBattle.UM;
inline int32_t& MS = gBattle.MS;
inline int32_t& ALk1 = gBattle.ALk1;
inline int32_t& RN = gBattle.RN;
inline int32_t& fMenu = gBattle.fMenu;
inline int32_t& si = gBattle.si;
inline int32_t& Seld = gBattle.Seld;
inline int32_t& mMove = gBattle.mMove;
inline int32_t (&gChosenCommand)[4] = gBattle.chosenCommand;
inline int32_t (&gAllyQueued)[kPartySlots] = gBattle.allyQueued;
inline int32_t (&gMonTimerRunning)[kEnemySlots] = gBattle.monTimerRunning;
inline int32_t& gManActing = gBattle.manActing;
inline int32_t& gMonActing = gBattle.monActing;
inline int32_t& gTurnOpened = gBattle.turnOpened;
inline int32_t& gLastSel = gBattle.lastSel;
inline int32_t& gLastCommand = gBattle.lastCommand;
inline int32_t& gAutoAttack = gBattle.autoAttack;
inline uint32_t& gLastActorId = gBattle.lastActorId;
inline uint32_t& gScriptActionDone = gBattle.scriptActionDone;
inline uint16_t (&gMonScriptTarget)[kEnemySlots] = gBattle.monScriptTarget;
inline int32_t (&gArrangeOrder)[kCombatantIds] = gBattle.arrangeOrder;
inline uint16_t (&gMonHitAct)[kEnemySlots] = gBattle.monHitAct;
inline uint16_t (&gManHitAct)[kPartySlots] = gBattle.manHitAct;
inline uint8_t& gDownedMen = gBattle.downedMen;
inline uint8_t& MsDCount = gBattle.msDCount;
inline uint8_t& gHeldEnemies = gBattle.heldEnemies;
inline int32_t (&gPendingDefeat)[kEnemySlots] = gBattle.pendingDefeat;
inline int16_t& gLastDowned = gBattle.lastDowned;
inline int32_t& gPendingDown = gBattle.pendingDown;
inline uint32_t& gSomeoneDowned = gBattle.someoneDowned;
inline uint16_t (&gControlMark)[kControlMarks] = gBattle.controlMark;
inline uint16_t (&gSpoilIds)[kMaxSpoils] = gBattle.spoilIds;
inline uint32_t& gSpoilCount = gBattle.spoilCount;
inline uint32_t& gSureCapture = gBattle.sureCapture;
inline uint32_t& gStrongAttack = gBattle.strongAttack;
inline uint32_t& gRevertRunning = gBattle.revertRunning;
inline uint32_t& gScriptVictory = gBattle.scriptVictory;
inline uint32_t& gMagicLearnt = gBattle.magicLearnt;
inline uint16_t& gBattleEventWord = gBattle.battleEventWord;
inline uint32_t& gFightWord = gBattle.fightWord;
inline uint32_t& gStealSuccess = gBattle.stealSuccess;
inline int32_t& gWeaponUseBonus = gBattle.weaponUseBonus;
inline uint32_t& gCommandIssued = gBattle.commandIssued;
inline int32_t& gReleaseAlly = gBattle.releaseAlly;
inline uint32_t& gActionWait = gBattle.actionWait;
inline uint32_t& gActionWaitWord = gBattle.actionWaitWord;
inline uint32_t (&gActionStage)[2] = gBattle.actionStage;
inline uint32_t& gActionPause = gBattle.actionPause;
inline uint8_t& gScreenHold = gBattle.screenHold;
inline uint32_t& gEnemyHold = gBattle.enemyHold;
inline uint32_t& gCaptureAllowed = gBattle.captureAllowed;
inline uint32_t& gRefineCounter = gBattle.refineCounter;
inline uint32_t& gControlWord = gBattle.controlWord;
inline uint32_t& gAimWord = gBattle.aimWord;
inline uint8_t& gFrontHold = gBattle.frontHold;
inline uint32_t gFightWordLow() { return gFightWord & 0x7FFF; }

// The gauge-full value before the first battle.
constexpr int32_t kGaugeFullStart = 900;

// Every shared word back to its start: the queue empty (ids -1), no turn,
// nobody pending, the gauge-full value kept.
void ResetBattleFlow();
// ResetBattleFlow and the gauge-full value back to its start (900).
void ResetBattleState();

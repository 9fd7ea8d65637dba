// The combatants of a battle.
//
// Every fighter is a Role: party members, summoned guards and the talisman
// spirit are ManRoles (battle/manrole/manrole.h), enemies are MonRoles. The
// classes have no virtual functions; code that must tell the sides apart
// tests the flags of the base (side, member, guard, spirit), never a type.
//
// The roles live for the whole run in gMonRoles (ids 0..19) and gManRoles
// (ids 20..29, slot = id - 20). They are plain data with no constructors of
// their own, so no global constructor runs: InitBattleRoles gives each its
// start state and FreeBattleRoles releases what they allocated.
//
// The methods are defined by concern, one file each: role.cpp (life cycle),
// role_gauge.cpp (gauges, positions, command state), role_status.cpp (the
// accessors and the per-battle reset), role_effects.cpp (status effects),
// role_effect_draw.cpp (their icons and overlays), role_damage.cpp (damage
// and elements), role_skill.cpp (weapon skills).
#pragma once
#include <cstddef>
#include <cstdint>

#include "battle/effects/actor_effects.h"
#include "draw/act_pack.h"
#include "draw/line_tool.h"
#include "draw/particles.h"
#include "world/org/obj_record.h"

class cRipple;
struct MemberStats;
struct MemberBattleRecord;
struct SpiritRecord;
struct PicFrame;

constexpr int kMaxMonRoles = 20;
constexpr int kMaxManRoles = 10;
constexpr int kFirstManId = 20;        // battle ids 20..29 are the party side
constexpr int kRoleActBlocks = 20;
constexpr int kShownNumbers = 35;
constexpr int kRoleMessageBytes = 64;
constexpr int kActionNameBytes = 16;
constexpr int kScreenEffectSlots = 4;  // particle slots of the screen effects

// Act blocks of a role, by index.
enum RoleActBlock : int {
    kActWait = 0,        // the wait act (PrepareWaitAct)
    kActPerform = 1,     // the performer's act
    kActFollowUp = 2,
    kActFade = 3,
    kActSecond = 4,
    kActMultiFirst = 5,  // 5..13: multi-hit and capture sprites
    kActMultiLast = 13,
    kActBegin = 14,      // BeginRoleAct and its partner
    kActBeginPartner = 15,
    kActTrigger = 16,    // trigger or revert act
    kActWork1 = 17,
    kActWork2 = 18,
    kActWaitDraw = 19,   // the draw copy of the wait act
};

// One animation request of a role: the act's running state, the freeze flag
// (set while the role is held) and a working word of the act players.
struct ActBlock {
    ActRecord rec;
    uint32_t freeze;
    uint32_t work;
    // The second sprite drawn beside the act's frame: picture and frame + 1
    // (0: none), offsets from the drawing point (mirrored with the frame).
    // The recipe clears it at the act's end.
    uint16_t secondPic;
    uint16_t secondFrame;
    int32_t secondX, secondY;
    // Empty when no sprite set (act) is named.
    bool Empty() const { return rec.act == 0; }
    void Clear();
};

// A role's place in the battle scene. The scene's load writes the sprite set,
// the home point and the side; the forced-hit kind is the scene's too.
struct BattleSlot {
    uint16_t hitKind;     // forced-hit kind of a party slot (0 none)
    uint16_t spare[9];
    uint16_t spriteSet;   // party: member index + 1 (a guard: its item id); enemy: monster id
    int16_t homeX;
    int16_t homeY;
    uint16_t spare2;
    uint32_t side;        // 1 party side, 0 enemy side
};

// Role status word bits (RoleStatus).
enum RoleStatusBit : uint16_t {
    kStatusBanner = 0x1,
    kStatusHeld2 = 0x2,
    kStatusTimeFrozen = 0x4,  // time stands still for the role (code 404)
    kStatusFading = 0x8,
    kStatusWeakened = 0x10,
    kStatusHeld = 0x40,       // held by an ailment: no gauge, no turn
    kStatusInvisible = 0x80,
    kStatusSlowed = 0x100,
    kStatusFadingIn = 0x200,
    kStatusRevealed = 0x400,
    kStatusNoRetreat = 0x800,
    kStatusTargeted = 0x1000,
    kStatusOut = 0x2000,
    kStatusGaugeStopped = 0x4000,
    kStatusNoDamage = 0x8000,
};

// Role state word bits (RoleState).
enum RoleStateBit : uint32_t {
    kStateHurt = 0x80000000u,        // the hurt mark
    kStateCarrier = 0x20000000u,     // carries the spreading effect
    kStateBit28 = 0x10000000u,
    kStateTransferProtected = 0x8000000u,
    kStateBlocking = 0x4000000u,
    kStateArrived = 0x2000000u,      // the first member's run-up arrived: its arrival act plays
    kStateElementNeutral = 0x800000u,
    kStateTriggerActDone = 0x400000u,  // the trigger act has played
    kStateTriggerFired = 0x200000u,
    kStateTransferAct = 0x100000u,
    kStateBit19 = 0x80000u,
    kStateTurnOnly = 0x40000u,       // cleared at the end of every turn
    kStateFused = 0x20000u,
    kStateSelfDestruct = 0x10000u,   // the enemy's attacks strike and destroy it
    kStateFleeOnce = 0x4000u,        // an enemy that took something flees once
    kStatePendingHurt = 0x2000u,
    kStateHunting = 0x1000u,         // a unique enemy hunts a weak member
};

// Effect bits (EffectBits): one per effect kind in force.
enum EffectBit : uint32_t {
    kEffectStun = 0x1,
    kEffectFreeze = 0x2,
    kEffectStone = 0x4,
    kEffectSleep = 0x8,
    kEffectSlow = 0x10,
    kEffectConfuse = 0x20,
    kEffectPoison = 0x40,
    kEffectSeal = 0x80,
    kEffectBurn = 0x100,
    kEffectWeaken = 0x200,
    kEffectDoom = 0x400,
    kEffectSpread = 0x1000,
    kEffectTransfer = 0x20000,
    kEffectStrong = 0x40000,
    kEffectDefenceDown = 0x100000,
    kEffectAttackDown = 0x1000000,
    kEffectResistAll = 0x2000000,
    kEffectShield = 0x4000000,
    kEffectSpeedDown = 0x8000000,
    kEffectAttackUp = 0x10000000,
    kEffectSpeedUp = 0x20000000,
    kEffectDefenceUp = 0x40000000,
    kEffectInvisible = 0x80000000u,  // also the gauge drag of the gauge step
};

// One number shown above a role: its digit pictures (9097 damage, 9085
// healing, 9086 spirit, 9087 stamina), four digits that pop in one after
// another, a delay before it shows and its age while it rises and fades.
struct ShownNumber {
    uint16_t sprite;
    int16_t digit[4];   // thousands, hundreds, tens, ones
    uint16_t delay;
    int16_t age;        // 0..48
    int16_t pop[4];     // 0..9
    // The number the digits show (its magnitude: the sprite tells a heal).
    int32_t Amount() const { return 1000 * digit[0] + 100 * digit[1] + 10 * digit[2] + digit[3]; }
};

// The after-images of a moving role: its last positions, drawn fading.
constexpr int kAfterimageRing = 16;
struct AfterimageEntry {
    int16_t x, y;
    uint16_t frame;   // 65535: empty
    uint16_t pic;
    uint32_t flags;
    int16_t level;
};
struct AfterimageRing {
    AfterimageEntry entry[kAfterimageRing];
    uint8_t count;    // entries in use, at most kAfterimageRing
    uint8_t delay;
    uint8_t length;   // how many entries the trail keeps
    uint8_t fade;     // level lost per frame
    uint8_t mode;     // 0 spaced right, 1 spaced left, 2 in place
};

// The working state of the act players: where the role is drawn, the run
// toward a target and back, and its counters.
struct ActPlayerState {
    int32_t drawX, drawY;     // where the role stands this frame
    int32_t targetX, targetY;
    LineWalker run;
    int32_t runCount;         // the run's step count (it grows a step a frame)
    int32_t runFrames;        // frames the run has taken (bounded)
    uint32_t soundPlayed;
    uint32_t running;         // a run is under way
    int32_t holdCount;
    AfterimageRing trail;
    uint32_t auraShown;       // an invisible role's aura has shown before its run-up
};

// The trigger counters of an enemy (Role::triggerCounter).
enum RoleTriggerCounter : int {
    kTrigAttacks = 0,    // plain attacks chosen
    kTrigHits = 1,       // hits taken; kTrigMarked once a forced hit marked it
    kTrigMagicHits = 2,  // magic hits taken; kTrigMarked for magic cast as an item
    kTrigItems = 3,      // items used
};
constexpr uint16_t kTrigMarked = 0xFFFF;

// The turn choice's counters and modes (Role::choiceCounter, choiceMode).
enum RoleChoiceCounter : int {
    kChoiceSinceLast = 0,  // turns since the last spell or special
    kChoiceSpells = 1,
    kChoiceSpecials = 2,
    kChoiceToggle = 3,     // alternates spells and specials in mode 0
};
enum RoleChoiceMode : int {
    kModeByte = 0,         // 0 alternate, 1 specials, 2 spells (the battle script)
    kModePendingItem = 1,  // 1 or 2: the special action ChooseMonSpecial picked
    kModeSpellUsed = 2,
};

struct EffectNode;
struct ActEffectNode;
struct CountNode;
using CountList = CountNode;

// The charge gauge is full (the strong attack may be used) at this count.
constexpr uint32_t kChargeFull = 48;

class Role {
public:
    // ---- Data (plain fields; see docs/battle-roles.md) ----
    MemberStats* stats;          // the battle copy of the stats (party side)
    MemberStats* baseStats;      // the member's own record (or the copy)
    MemberBattleRecord* battleRecord;
    ObjRecord* objRecord;        // enemy: its monster record; guard: its object
    SpiritRecord* spiritRecord;  // the spirit: gSpirit
    ObjRecord actionObj;         // object whose action the role prepares
    ObjRecord weapon;            // copy of equipment slot 0
    ObjRecord treasure[2];       // copies of equipment slots 7 and 8
    uint16_t treasureId[2];      // their item ids (the key of their growth)
    ActBlock acts[kRoleActBlocks];
    char messageText[kRoleMessageBytes];
    BattleSlot slot;
    BattleSlot savedSlot;        // its x and y are the held position
    ActionRecord action;
    const PicFrame* picture;     // the current frame taken this frame
    const char* name;            // the name used in battle messages
    EffectNode* effects;         // head of the effect list
    char actionName[kActionNameBytes];
    int32_t fadeCounter;         // 15 after a reset
    int32_t fadeInLevel;         // 1 after a reset; -32 when a fade-in starts
    int32_t fadeLevel;
    uint32_t actState;
    uint32_t followFlags;        // 0x2, 0x4000, 0x8000
    uint32_t specialAct;         // an enemy's special act value
    uint32_t drawFlags;          // bit 0 mirrored
    int32_t extraLife;           // an enemy's extra life pool
    int32_t extraLifeMax;        // the pool's size when it was given (heals stop there)
    uint32_t monLifeMax;         // an enemy's maximum life
    uint32_t state;              // RoleState
    uint32_t colourPair;         // two 16-bit colours
    uint32_t effectBits;         // EffectBits
    uint32_t statusDword;        // low byte equipment specials; bit 0x100 banking
    uint32_t skillBits;          // weapon-skill bits of the chosen skill
    uint16_t status;             // RoleStatus
    uint16_t spiritEvents;
    uint16_t waitState;
    uint16_t hurtCounter;        // frames of the hurt act
    uint16_t holdTimer[2];
    uint16_t holdTimerDone;
    uint16_t skillValue;         // growth value of the selected weapon skill
    uint16_t actionTimer;        // 0..2400
    uint16_t actionTimerRunning;
    // Shown numbers above the role: entries from shownDone up to
    // shownCursor are drawn.
    ShownNumber shown[kShownNumbers];
    uint16_t shownCursor;
    uint16_t shownDone;
    uint32_t numberPending;
    int8_t numberWindow;         // cancel window: 2 open, 0 closed, -1 no cancel, -2 cancelled
    uint32_t numberCancelled;
    uint32_t numberRepeat;       // one more entry from the battle's repeat digits
    int16_t blend[3];
    int16_t target;              // target index of the action; -1 none
    uint16_t skillAmount;
    int16_t stackCount;
    uint16_t hitCounter;
    int16_t regenAmount[3];      // life, spirit, stamina of the current heal
    uint32_t regenPercent;       // 1: the amounts are percentages of the maxima
    uint16_t actGeometry[14];
    int16_t attackAmount;        // percentages the assists apply
    int16_t defenceAmount;
    int16_t speedAmount;
    uint16_t actNumberSlot;      // 4 after construction
    uint16_t spriteSet;          // the role's sprite set (actNumber)
    uint16_t scriptAct;
    uint16_t gauge;              // time gauge, 0 .. gGaugeFull and above
    uint16_t gauge2;             // the gauge's second word
    int32_t hitSlots[4];         // -1 when empty
    uint16_t pulse[3];           // 0, 2, 24 after a reset
    uint16_t command;
    uint16_t subCommand;         // the command kept back by SetCommand
    uint16_t commandSpare;
    uint16_t repeatCount;
    uint16_t altCount;
    uint8_t actionFlags;
    uint16_t actParam;
    uint16_t attackKind;         // enemy: 0 plain, 1 or 2 the attack object
    uint16_t actionPower;
    // Effects and triggers.
    int16_t pendingDamage;       // tick damage put aside; negative heals
    uint16_t resistAllHits;
    uint16_t savedStats[4];      // attack, defence, agility, wisdom (ailment 0x200)
    uint16_t spreadCounter;
    uint16_t spreadValue;
    uint16_t spreadStage;
    uint16_t wipe;               // bit 15: the rising wipe runs; low bits: rows shown
    ActRecord ailmentAct;        // the act that ailments 0x40 and 0x100 play over the role
    cRipple* transferRipple;     // the screen ripple of a running damage-transfer act
    uint16_t transferFrames;     // frames the damage-transfer act has run
    uint16_t triggerFrames;      // frames the trigger act has run (capped)
    uint16_t triggerCounter[8];  // by RoleTriggerCounter
    uint8_t triggerPhase;
    uint8_t choiceCounter[4];    // by RoleChoiceCounter
    uint8_t choiceMode[4];       // by RoleChoiceMode
    uint8_t blockChance;
    uint8_t blockCounter;
    uint8_t defeatEffect;
    uint8_t defeatOverride;
    uint8_t monChoice;           // 0, 1 or 2 by what the enemy carries
    uint8_t transferFlag;        // may take the next hit under damage transfer
    uint16_t bankValue;
    int16_t bankedTotal;         // never below 0
    int32_t chargeCarry;
    uint16_t specialMark;        // 1 or 2 while an enemy's special is its action
    uint16_t cancelWord;         // set when a shown damage number was cancelled
    // Flags.
    uint32_t side;               // 1 party side, 0 enemy side
    uint32_t turnStarted;
    uint32_t acting;
    uint32_t ready;
    uint32_t acted;
    uint32_t out;
    uint32_t defeated;
    uint32_t highlight;
    uint32_t redraw;
    uint32_t commandChosen;
    uint32_t turnOver;
    uint32_t targetFlag;
    uint32_t gaugeHold;
    uint32_t member;
    uint32_t guard;
    uint32_t spareFlag;
    uint32_t spirit;
    uint32_t facing;             // 1 mirrored
    uint32_t facingLock;
    uint32_t holdFlag;           // held by an ailment: acts frozen, no ticks
    uint32_t secondHold;
    uint32_t quietFlag;          // no expiry messages while 1
    uint32_t silverShield;
    uint32_t weakened;
    uint32_t noBlock;
    uint32_t actFlags[4];        // working flags of the act players
    ActPlayerState player;
    uint32_t noAct38;
    ActorEffectList afterImages; // fading copies of its frames (AddActorEffect)
    // Drawing state (role_draw.cpp).
    int16_t bannerAge;           // the block banner's rise, 0..24
    int16_t bannerPop[4];        // its four frames' pop counters, 0..9
    uint16_t appearCounter;      // the appearing half of a teleport; 1 after a reset
    uint16_t idleStep;           // steps of the hit reaction (dodge and weak-pose tables)
    uint16_t actionTimerDone;    // the action timer has run out
    int32_t reportedWaitQq;      // the wait act last reported missing (-1 none)
    // The defeat display (role_defeat.cpp).
    int16_t defeatCounter;
    int16_t defeatCounter2;      // state 14's hold and the unique enemy's swing
    int32_t defeatCycles;        // the unique enemy's swings
    uint32_t defeatStarted;      // sound 49 played, the frame taken
    uint32_t defeatParticlesOn;  // the particles of states 2, 8 and 100 run
    uint32_t particleFlag;       // a screen effect's particles are ending
    ActBlock deathAct;           // the death act request
    ParticleEmitter defeatParticles;
    LineWalker defeatLine;       // state 16's flight
    // The screen effects' particle slots (role_act_play.cpp).
    ParticleEmitter screenParticles[kScreenEffectSlots];
    // The shared fly of PlayActRecord, by slot: speed and the point reached.
    int32_t flySpeed[kScreenEffectSlots];
    LineWalker flyLine[kScreenEffectSlots];
    int32_t flyDelay[kScreenEffectSlots];
    uint32_t flyStarted[kScreenEffectSlots];
    int32_t blendLevel;          // PlayActRecordBlend's fade level
    // The flying effect sprites of the role's action (battle/role/act_effects.cpp).
    ActEffectNode* actEffects;   // head of the list; null when empty
    uint16_t actEffectsAdded;    // nodes added since the list was last empty
    uint16_t actEffectsDone;     // nodes that arrived and were resolved

    // ---- Life cycle (role.cpp) ----
    void RoleCtor();
    void RoleDtor();
    // 1: the stats copy; 0: the record damage changes.
    MemberStats* GetStatsRecord(int which) const;
    int Id() const;  // battle id: 0..19 enemies, 20..29 the party side
    // Frees every effect node without undoing it (the game's release).
    void FreeRoleEffects();

    // ---- Gauges, positions and command state (role_gauge.cpp) ----
    void InitGauge(int surprise);
    void FillGauge();
    int GaugeBarWidth() const;
    void StartActionTimer();
    int ActionTimerBarWidth() const;
    void SetGaugeHold(uint32_t v);
    void GetHomePos(int16_t* x, int16_t* y) const;
    void GetRolePos(int16_t* x, int16_t* y) const;
    void SetRolePos(int16_t x, int16_t y);
    void MoveRole(int16_t dx, int16_t dy);
    void GetHitPoint(int16_t* x, int16_t* y) const;
    void GetDrawOrigin(int16_t* x, int16_t* y) const;
    int LoadWaitFrame(int32_t rect[4]);
    int PrepareWaitAct();
    void ClearExtraAct();
    int SetCommand(uint16_t code);
    uint16_t GetCommand() const { return command; }
    uint16_t GetSubCommand() const { return subCommand; }
    void SetCommandChosen(uint32_t v) { commandChosen = v; }
    void BeginRoleAction(int16_t targetIndex);
    int16_t GetActionTarget() const { return target; }
    void ClearActionTarget() { target = -1; }
    void MarkTurnStarted() { turnStarted = 1; }
    uint32_t IsTurnStarted() const { return turnStarted; }
    uint32_t IsActing() const { return acting; }
    uint32_t HasActed() const { return acted; }
    uint16_t GetRepeatCount() const { return repeatCount; }
    void CountRepeat();
    uint16_t GetAltCount() const { return altCount; }
    void SetHurtMark();
    void ClearHurtMark() { state &= ~kStateHurt; }
    uint32_t IsHurtMarked() const { return (state & kStateHurt) ? 1 : 0; }
    void SetOut(uint32_t v);
    void EndRoleTurn();

    // ---- Status effects (role_effects.cpp) ----
    uint32_t ApplyAilment(const ActionRecord* a);
    uint32_t ApplyAssistEffect(const ActionRecord* a);
    uint32_t CheckEffectConflict(const ActionRecord* a);
    void TickRoleEffects();
    void ExpireRoleEffects(uint32_t all);
    uint32_t RemoveRoleEffect(uint32_t mask);
    uint32_t HasElementAttackUp(uint32_t element) const;
    uint32_t HasRoleEffect(uint32_t mask) const;
    uint32_t HasAssistEffect() const;
    double GetEffectProgress(uint32_t kind) const;
    void DrawRoleEffectIcons(int x, int y);
    void DrawRoleEffectOverlays(int x, int y);
    uint32_t IsSpreadDue() const;
    uint16_t GetSpreadValue() const { return spreadValue; }
    uint32_t CatchSpreadingEffect(int16_t value, uint8_t stage);
    void StepSpreadCounter();
    // Frees the damage-transfer ripple (its 30 frames are over, the reset).
    void FreeTransferRipple();

    // ---- Damage and elements (role_damage.cpp) ----
    uint32_t DamageRole(int32_t life, int16_t spiritAmount, int16_t staminaAmount);
    uint16_t GetRoleDefence() const;
    uint32_t ApplyPendingDamage();
    void SetDefeatEffect(uint8_t value);
    void SetDefeatEffectOverride(uint8_t value);
    void AddChargeGauge(int32_t amount);
    uint32_t IsChargeGaugeFull() const;

    // ---- Weapon skills and treasure growth (role_skill.cpp) ----
    uint16_t SelectRoleWeaponSkill(uint16_t kind);
    uint16_t GetWeaponSkillCost(uint16_t kind) const;
    uint32_t CanUseWeaponSkill(uint16_t kind);
    uint32_t AddWeaponExperience(CountList* list, uint16_t kind, uint16_t amount);
    int16_t GetRoleStackCount() const { return static_cast<int16_t>(stackCount + 1); }
    uint32_t CanRaiseStackCount();

    // ---- Shown numbers (role_shown.cpp) ----
    void PushShownNumber(uint16_t spriteSetOfDigits);
    void SetDamageDigits(int16_t amount);
    void SetShownNumberDelay(uint16_t frames);
    void CommitShownNumber(uint32_t n);
    // Draws and ages the list; 1 when it has just emptied.
    uint32_t StepShownNumbers();
    // Takes the last committed number back from the running total; 1 when it did.
    uint32_t CancelLastShownNumber();
    // A message about this role ("$1name$0" and the text) with the effect sound.
    void SendRoleMessage(const char* text, uint32_t flags);

    // ---- Enemy triggers and the enemy's turn choice (battle/role/mon_trigger.cpp,
    // mon_choice.cpp); a guard chooses its turn as an enemy does ----
    void CountMonTriggerEvent(uint16_t event);
    uint32_t CheckMonTrigger(uint16_t event, uint16_t element);
    uint32_t FireMonTrigger();
    // The reaction act of a fired trigger: its display and act start when
    // this enemy does not act and no other enemy's reaction shows (false:
    // it stays pending); its display ends only if it is this enemy's.
    bool StartReactionAct();
    void EndReactionDisplay();
    uint32_t PlayMonTriggerAct();
    void StartTransferAct();
    uint32_t ChooseMonAction(uint32_t* objectId);
    // The record's trigger and reaction codes (0 without a record).
    uint16_t MonTriggerCode() const;
    uint16_t MonReactionCode() const;

    // ---- Action resolution (battle/role/role_resolve.cpp) ----
    // The hit of an enemy's (or a guard's) action on one target: the signed
    // amount shown (positive damage, negative healing, -1 no number).
    int16_t ResolveMonRoleAction(Role* targetRole);
    // Called on the target of a hit: 1 when it blocks (chance 0: the
    // counters decide; else Random(10) < chance).
    uint32_t TryBlockHit(uint16_t chance);

    // ---- The act effect list (battle/role/act_effects.cpp) ----
    // Steps and draws every flying effect sprite once; an arrived sprite
    // plays its impact and then resolves the action on the target. 1 only
    // when the list is empty.
    uint32_t PlayActEffectList(Role* target, int32_t act);
    // Appends a node (not arrived, speed 0). flags: kActEffectNoResolve.
    void AddActEffectNode(uint16_t flyingSprite, int32_t flyingAct, int32_t endX, int32_t endY, int32_t startX,
                          int32_t startY, int16_t multiplier, uint16_t delay, uint16_t impactSprite, uint8_t flags);
    // Turns on the after-image trail of the last node (nothing on an empty list).
    void EndActEffectList(int32_t a, int32_t b, int32_t c);
    void FreeActEffectList();

    // ---- Status accessors and the per-battle reset (role_status.cpp) ----
    void ResetRoleForBattle();
    uint32_t SetHighlight(uint32_t flag);
    uint16_t GetActionKind() const { return action.word20; }
    void SetActionTimerFlag();
    void SetAilmentHold(uint32_t flag) { holdFlag = flag; }
    void SetSecondHold(uint32_t flag) { secondHold = flag; }
    uint32_t IsFlipped() const { return drawFlags & 1; }
    uint32_t IsOut() const { return (out == 1 || (status & kStatusOut)) ? 1 : 0; }
    uint32_t HasOutStatus() const { return (status & kStatusOut) ? 1 : 0; }
    uint32_t IsRoleDefeated() const { return (out == 1 || defeated == 1) ? 1 : 0; }
    void SetRoleTurnOver();
    uint32_t IsRoleTurnOver() const;
    void SetRoleStatusBits(uint16_t mask);
    void ClearRoleStatusBits(uint16_t mask);
    void SetRoleActNumberSlot(uint16_t n) { actNumberSlot = n; }
    void SetRoleTargetFlag(uint32_t flag) { targetFlag = flag; }
    uint32_t IsActionFlag(int bit) const { return (action.flags >> bit) & 1; }
    uint32_t IsActionFlag0() const { return IsActionFlag(0); }
    uint32_t IsActionFlag1() const { return IsActionFlag(1); }
    uint32_t IsActionFlag11() const { return IsActionFlag(11); }
    uint32_t IsActionFlag13() const { return IsActionFlag(13); }
    uint32_t IsActionFlag14() const { return IsActionFlag(14); }
    uint32_t IsActionFlag15() const { return IsActionFlag(15); }
    uint32_t IsActionFlag17() const { return IsActionFlag(17); }
    uint32_t IsActionFlag18() const { return IsActionFlag(18); }
    uint32_t TestActionFlags(uint32_t mask) const { return (action.flags & mask) ? 1 : 0; }
    uint16_t GetActionPresetWord() const;
    uint16_t SetScriptAct(uint16_t n);
    uint32_t IsRoleTargeted() const { return (targetFlag == 1 || (status & kStatusTargeted)) ? 1 : 0; }
    void SetRoleGauges(int16_t life, int16_t spirit, int16_t stamina);
    void SetRoleBattleStats(int16_t attack, int16_t defence, int16_t speed);
    void SetMonLevel(uint16_t level);
    void SetGuardFlag(uint32_t flag) { guard = flag; }
    uint32_t SetRoleFacing(uint32_t f);
    uint16_t GetRoleActNumber() const { return spriteSet; }
    uint32_t IsRoleHeldByAilment() const { return (status & kStatusHeld) ? 1 : 0; }
    uint32_t IsRoleStatus100Clear() const { return (status & kStatusSlowed) ? 0 : 1; }
    uint32_t IsRoleStatusBit1() const { return (status & kStatusHeld2) ? 1 : 0; }
    uint32_t IsRoleStatusBit4() const { return (status & kStatusWeakened) ? 1 : 0; }
    void SetRoleWaitState(uint16_t quiet, uint32_t force);
    void SetRoleHoldTimer(uint16_t a, uint16_t b);
    uint16_t GetActionTargetKind() const;
    uint32_t IsScriptActAtFrame(uint16_t n) const;
    uint32_t IsRoleEffectBit5() const { return (effectBits & kEffectConfuse) ? 1 : 0; }
    uint32_t GetActionTargetPoint(int16_t* x, int16_t* y) const;
    uint16_t GetActionFollowUpAct() const { return action.followUp; }
    void GetRoleStamina(int16_t* max, int16_t* cur) const;
    void GetRoleSpirit(int16_t* max, int16_t* cur) const;
    uint16_t GetRoleAgility() const;
    uint16_t GetRoleAttack() const;
    void SetRoleActing(uint32_t flag) { acting = flag; }
    void SetRoleName(const char* text) { name = text; }
    void SetRoleFacingLock(uint32_t f);
    void GetRoleLife(int32_t* life, int32_t* max) const;
    int32_t GetRoleLifeBar(int32_t width) const;
    void CloseCancelWindow() { numberWindow = 0; }
    void SetRoleStateBit28() { state |= kStateBit28; }
    uint32_t IsPartyMemberRole() const { return member; }
    uint32_t IsGuardRole() const { return guard; }
    uint32_t GetRoleFlagE() const { return spareFlag; }
    uint32_t IsSpiritRole() const { return spirit; }
    uint8_t GetMonTriggerPhase() const { return triggerPhase; }
    void RoleNoOp(int) {}
    uint8_t GetActionDuration() const { return action.duration; }
    void SetRoleStateBit19(uint32_t on);
    uint32_t IsElementNeutral() const { return (state & kStateElementNeutral) ? 1 : 0; }
    void SetRoleStateBits(uint32_t mask) { state |= mask; }
    void ClearRoleStateBits(uint32_t mask) { state &= ~mask; }
    uint32_t IsDamageTransferOn() const { return (effectBits & kEffectTransfer) ? 1 : 0; }
    uint32_t IsActionSupportive() const;
    uint32_t IsActionInstantKill() const { return (action.ailment & 0x8000) ? 1 : 0; }
    uint32_t HasEffectBits(uint32_t mask) const { return (effectBits & mask) ? 1 : 0; }

    // The party side's life, spirit and stamina live in the member record;
    // an enemy has no stats copy. These read the role's own speed, attack,
    // defence and wisdom wherever they live (0 when nothing is set up).
    uint16_t BattleAgility() const;
    uint16_t BattleAttack() const;
    uint16_t BattleDefence() const;
    uint16_t BattleWisdom() const;
    // The ailment threshold (a higher threshold lets more ailments hold).
    uint16_t AilmentThreshold() const;
    // Element percentages e = 0..4 (metal, wood, water, fire, earth) of the
    // battle copy or the monster record; 0 when the role has neither.
    int8_t ElementPercent(int e) const;
    void SetElementPercent(int e, int8_t value);
    // An enemy's life in its monster record and its maximum, held battle-side.
    uint32_t MonLife() const;
    void SetMonLife(uint32_t v);
    uint32_t MonLifeMax() const { return monLifeMax; }
    void SetMonLifeMax(uint32_t v) { monLifeMax = v; }

    // ---- Act players (role_act.cpp) ----
    // Empties the after-image, screen-effect, particle and sprite areas.
    void ClearActPlayerAreas();
    // Whether this role's frames are drawn mirrored (its pictures face right).
    bool DrawsMirrored() const;
    // The point an action aims at on `target` (or the role's own place).
    void ActTargetPoint(const Role* target, int32_t* x, int32_t* y) const;
    // The common recipe: steps act block `block` and draws it at (x, y) with
    // its shadow and sound; 1 when the act has ended (an act that cannot be
    // played ends at once, reported once).
    // run: the role's own run (the run-up, the strike): the act's sound plays
    // on the first frame that has one and never again in the run
    // (player.soundPlayed), and an invisible role (effect 0x80000000) is
    // drawn in mode 48 without its shadow.
    // mirror: -1 the recipe's rule (DrawsMirrored), 0 or 1 a player's own rule.
    int DrawActBlock(int block, int32_t x, int32_t y, bool shadow, bool run = false, int mirror = -1);
    int BeginRoleAct(Role* target, int block);
    int PlayActRecordAt(Role* target, int block, int32_t dx, int32_t dy);
    int PlayActRecordOnTarget(int block, Role* target);
    int DrawFollowUpAct();
    int DrawSecondAct();
    // One frame at (x, y): mirrored (mirror -1: by facing, DrawsMirrored)
    // it lies left of x.
    void DrawActSprite(uint16_t pic, uint16_t frame, int32_t x, int32_t y, int mirror = -1);
    // Block `b`'s second sprite beside its frame drawn at (x, y): at the
    // point plus the sprite's offsets, mirrored with the frame.
    void DrawSecondSprite(const ActBlock& b, int32_t x, int32_t y, bool mirrored);
    int StepRoleApproach(Role* target);
    // The first member's arrival act (act 57) at the run-up's end, while
    // state kStateArrived is set; 1 at its end (the command then moves on).
    int StepRoleArrival();
    int StepRoleStrike(Role* target, int32_t sprite, int32_t act);
    void DrawAfterimageTrail(AfterimageRing* ring, uint16_t pic, uint16_t frame, uint32_t flags, int32_t x, int32_t y);
    void ApplyActEdgeTarget(int32_t* x, int32_t* y) const;

    // ---- More act players and the screen effects (role_act_play.cpp) ----
    // Flies act block `block` (sprite set `sprite`, or the role's when -1)
    // from (x, y) to the target's point (back when reverse is 1; y 0 keeps
    // the act on its row) after `delay` frames; slot 0..3 keeps the speed.
    int PlayActRecord(Role* targetRole, int block, int slot, int32_t sprite, int32_t x, int32_t y,
                      int32_t multiplier, int32_t delay, int32_t reverse);
    int PlayActRecordBlend(int block, int32_t level);
    int PlayActRecordScaled(int block);
    uint32_t StartRoleScreenEffect(int slot, Role* targetRole);
    uint32_t EndRoleScreenEffect(int slot);

    // ---- Drawing a waiting role (role_draw.cpp) ----
    void DrawRoleWait(int mode);
    // The wait act the rules choose now (no side effects): its sprite set and
    // act; act 0 when nothing is drawn.
    void ChooseWaitAct(uint16_t* sprite, int32_t* act) const;
    uint32_t PlayIdleAct();
    uint32_t PlayHurtAct();
    uint32_t RoleVanish();
    uint32_t RoleAppear(Role* targetRole);
    uint32_t FadeOutRoleFrame(int a);
    uint32_t FadeInRoleFrame();
    uint32_t DrawRoleAura(int mode);
    uint32_t StepPulse();
    uint32_t StepStatusTint();
    uint32_t DrawRoleTinted();
    uint32_t DrawStatusBanner();
    uint32_t StepActionTimer();

    // ---- The defeat display (role_defeat.cpp) ----
    // One frame of the display; 1 when the role has left the battle.
    uint32_t RunDefeatEffect();
    // The particle images of the defeat display and the screen effects.
    void FreeRoleParticles();
};

class MonRole : public Role {
public:
    uint32_t unusedWord;
    ObjRecord monRecord;  // the monster record `objRecord` points at

    void MonRoleCtor();
    void MonRoleDtor();
    void FreeMonRecord();

    int StepMonGauge(int boost);

    uint8_t stealCheck[2];       // the two steal-check bytes (IsMonEmptyHanded)
    // The performers' frame bookkeeping (mon_attack.cpp).
    uint16_t performFrames;      // frames of this performance so far (capped)
    uint16_t riseFrames;         // frames of a self-destructing strike's rise
    uint8_t performStarted;      // act block [1] holds the performer's act
    uint8_t performHitPhase;     // the follow-up act plays on the target
    uint8_t performAppeared;     // the run-up's teleport was made
    uint8_t performEffect;       // the act started a screen effect (event 0x8)

    // ---- Enemy set-up, choices, queries and script setters (mon_role.cpp) ----
    void SetupMonRole(const BattleSlot* slotRecord, uint16_t id);
    void ReloadMonRecord(uint16_t id);
    uint32_t HasMonSpecial() const;
    uint32_t IsMonLifeLow() const;
    uint32_t ChooseMonSpecial();
    void PrepareMonMagic(uint16_t id, uint16_t* out);
    uint16_t PrepareMonDefault();
    uint32_t PrepareMonAttack(uint16_t kind, uint16_t* out);
    // 1 escaped, 0 failed with a message, -1 no escape.
    int MonTryEscape(uint16_t level);
    uint32_t IsMonEmptyHanded() const;
    uint32_t GetMonAttackPlusLife() const;
    void GetActionValues(uint16_t* value, uint8_t* duration) const;
    void ClearMonTurn();
    uint32_t IsCapturable() const;
    uint32_t IsMonUnique() const;
    uint8_t GetMonClass() const;
    uint16_t GetMonElement() const;
    // Slot 0..2: carried object 1..3; its name (at most size - 1 bytes,
    // never half a character) and id. 0 for an empty or unknown slot.
    uint32_t GetCarriedObject(int slotIndex, char* nameOut, size_t nameSize, uint16_t* id);
    // Slot 0..1: attack object 1..2.
    uint32_t GetMonSkillName(int slotIndex, char* nameOut, size_t nameSize);
    // Experience (+30 % once the trigger fired) and silver.
    void GetMonRewards(uint32_t* experience, uint32_t* silver) const;
    uint16_t RollMonDrop();
    void SetMonElements(const uint16_t values[5]);
    void SetMonCarried(uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint16_t e, uint16_t f);
    void SetMonAttackItems(uint16_t a, uint16_t b, uint16_t c, uint16_t d);

    // ---- Performers (mon_attack.cpp): one frame a call, 1 when finished ----
    int MonRoleAttack(Role* targetRole);
    int MonSpecialAct(Role* targetRole);
    int MonLeaveAct();
    void EndMonPerform();
};
